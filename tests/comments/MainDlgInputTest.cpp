// What the user does in the comments window, on the real dialog under Wine: the hint rules of the
// comment box, the commands posted to the frame, the submit check mark, Ctrl+O, the keys and
// close requests that must do nothing, the support link.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "DialogTestBed.h"
#include "app/AppModule.h"
#include "comments/CommentsText.h"

namespace {

using commentstest::ButtonFace;
using commentstest::DialogBed;
using commentstest::PostedCommand;
using commentstest::Profile;
using commentstest::Shown;
using commentstest::Text;

void ExpectCommands(const std::vector<PostedCommand>& got,
                    const std::vector<std::pair<WORD, int>>& want) {
  ASSERT_EQ(want.size(), got.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(want[i].first, got[i].id) << "command " << i;
    EXPECT_EQ(0, got[i].code) << "the high word of wParam is 0";
    EXPECT_EQ(want[i].second, got[i].lParam) << "lParam is the control id, not a handle";
  }
}

// A recording the user can comment on, shown and active.
struct RecordingBed {
  DialogBed bed;
  RecordingBed() {
    bed.dlg().m_bServiceReady = true;
    bed.dlg().OnRecordingStarted();
    bed.ShowActive();
  }
};

TEST(CommentsInput, HintRules) {
  RecordingBed r;
  DialogBed& bed = r.bed;
  CMainDlg& dlg = bed.dlg();
  HWND box = dlg.m_editComment;
  HWND other = bed.Item(IDC_START_SUBMIT);
  {
    SCOPED_TRACE("focus in clears the hint, focus out of an empty box puts it back");
    ::SetFocus(box);
    bed.Pump();
    ASSERT_EQ(box, ::GetFocus());
    EXPECT_EQ("", Text(box));
    ::SetFocus(other);
    bed.Pump();
    EXPECT_EQ(comments::kHint, Text(box));
  }
  {
    SCOPED_TRACE("a single space is text: kept on focus out and in");
    ::SetFocus(box);
    ::SetWindowTextA(box, " ");
    ::SetFocus(other);
    bed.Pump();
    EXPECT_EQ(" ", Text(box));
    ::SetFocus(box);
    bed.Pump();
    EXPECT_EQ(" ", Text(box));
  }
  {
    SCOPED_TRACE("text identical to the hint is cleared on focus; near-hints are not");
    ::SetFocus(other);
    ::SetWindowTextA(box, comments::kHint);
    ::SetFocus(box);
    bed.Pump();
    EXPECT_EQ("", Text(box));
    const std::string upper = "ADD COMMENTS TO YOUR VIDEO. YOUR SUPERVISOR WILL BE ABLE TO READ THESE.";
    ::SetFocus(other);
    ::SetWindowTextA(box, upper.c_str());
    ::SetFocus(box);
    bed.Pump();
    EXPECT_EQ(upper, Text(box));
  }
}

TEST(CommentsInput, TakeComment) {
  DialogBed bed;
  CMainDlg& dlg = bed.dlg();
  std::string text = "stale";
  {
    SCOPED_TRACE("the hint itself is not a comment");
    EXPECT_FALSE(dlg.TakeComment(text));
    EXPECT_EQ(comments::kHint, text);
  }
  {
    SCOPED_TRACE("typed text is handed over and the hint comes back");
    ::SetWindowTextA(dlg.m_editComment, "Customer asked about the refund");
    EXPECT_TRUE(dlg.TakeComment(text));
    EXPECT_EQ("Customer asked about the refund", text);
    EXPECT_EQ(comments::kHint, Text(dlg.m_editComment));
  }
  {
    SCOPED_TRACE("the empty text differs from the hint");
    ::SetWindowTextA(dlg.m_editComment, "");
    EXPECT_TRUE(dlg.TakeComment(text));
    EXPECT_EQ("", text);
  }
  {
    SCOPED_TRACE("a full box of 1024 characters arrives whole");
    const std::string full(1024, 'x');
    ::SetWindowTextA(dlg.m_editComment, full.c_str());
    EXPECT_TRUE(dlg.TakeComment(text));
    EXPECT_EQ(full, text);
  }
  {
    SCOPED_TRACE("characters outside ASCII come back in the ANSI code page");
    const std::string accented = "Kund fr\xE5gade om \xE5terbetalning";  // Windows-1252
    ::SetWindowTextA(dlg.m_editComment, accented.c_str());
    EXPECT_TRUE(dlg.TakeComment(text));
    EXPECT_EQ(accented, text);
  }
}

TEST(CommentsInput, StartSubmitStopPauseResumeClose) {
  DialogBed bed;
  CMainDlg& dlg = bed.dlg();
  bed.ShowActive();
  {
    SCOPED_TRACE("idle: Start");
    bed.Click(IDC_START_SUBMIT);
    ExpectCommands(bed.commands(), {{ID_RECORDING_START, IDC_START_SUBMIT}});
    bed.commands().clear();
    EXPECT_FALSE(dlg.m_bRecording) << "the frame starts the recording, not the window";
  }
  {
    SCOPED_TRACE("1002 while not recording posts nothing");
    ::SendMessageA(bed.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_PAUSE_RESUME, BN_CLICKED),
                   reinterpret_cast<LPARAM>(bed.Item(IDC_PAUSE_RESUME)));
    bed.Pump();
    EXPECT_TRUE(bed.commands().empty());
  }
  dlg.m_bServiceReady = true;
  dlg.OnRecordingStarted();
  {
    SCOPED_TRACE("pause and resume switch the look at once");
    bed.Click(IDC_PAUSE_RESUME);
    EXPECT_TRUE(dlg.m_bPaused);
    EXPECT_EQ(dlg.m_bmpTitlePaused.get(), commentstest::Picture(dlg.m_stTitle));
    EXPECT_EQ(dlg.m_bmpResume.get(), ButtonFace(dlg.m_btnPauseResume));
    EXPECT_EQ("Resume", Text(dlg.m_btnPauseResume));
    bed.Click(IDC_PAUSE_RESUME);
    EXPECT_FALSE(dlg.m_bPaused);
    EXPECT_EQ(dlg.m_bmpTitleRecording.get(), commentstest::Picture(dlg.m_stTitle));
    EXPECT_EQ(dlg.m_bmpPause.get(), ButtonFace(dlg.m_btnPauseResume));
    ExpectCommands(bed.commands(), {{ID_RECORDING_PAUSE, IDC_PAUSE_RESUME},
                                    {ID_RECORDING_RESUME, IDC_PAUSE_RESUME}});
    bed.commands().clear();
  }
  {
    SCOPED_TRACE("stop posts and leaves the look to the frame");
    bed.Click(IDC_STOP);
    ExpectCommands(bed.commands(), {{ID_RECORDING_STOP, IDC_STOP}});
    bed.commands().clear();
    EXPECT_TRUE(dlg.m_bRecording);
    EXPECT_TRUE(Shown(bed.Item(IDC_STOP)));
  }
  {
    SCOPED_TRACE("close asks the frame to hide the window");
    bed.Click(IDC_CLOSE);
    ExpectCommands(bed.commands(), {{ID_COMMENTS_HIDE, IDC_CLOSE}});
    EXPECT_TRUE(::IsWindowVisible(bed.hwnd())) << "the frame hides it, not the window itself";
  }
}

TEST(CommentsInput, SubmitShowsTheCheckMarkForThreeSeconds) {
  RecordingBed r;
  DialogBed& bed = r.bed;
  CMainDlg& dlg = bed.dlg();
  ::SetWindowTextA(dlg.m_editComment, "first comment");
  bed.Click(IDC_START_SUBMIT);
  ExpectCommands(bed.commands(), {{ID_COMMENT_SUBMIT, IDC_START_SUBMIT}});
  EXPECT_TRUE(dlg.m_bSubmitPending);
  EXPECT_EQ(dlg.m_bmpSubmitted.get(), ButtonFace(dlg.m_btnStartSubmit));
  EXPECT_EQ("Submitted", Text(dlg.m_btnStartSubmit));
  {
    SCOPED_TRACE("a second click within the three seconds posts nothing");
    bed.Click(IDC_START_SUBMIT);
    EXPECT_EQ(1u, bed.commands().size());
  }
  {
    SCOPED_TRACE("the frame takes the comment; the hint is back under the check mark");
    std::string text;
    EXPECT_TRUE(dlg.TakeComment(text));
    EXPECT_EQ("first comment", text);
    EXPECT_EQ(comments::kHint, Text(dlg.m_editComment));
  }
  {
    SCOPED_TRACE("timer 2 (delivered now instead of waited for) brings Submit back");
    ::SendMessageA(bed.hwnd(), WM_TIMER, CMainDlg::kSubmitTimer, 0);
    EXPECT_FALSE(dlg.m_bSubmitPending);
    EXPECT_EQ(dlg.m_bmpSubmit.get(), ButtonFace(dlg.m_btnStartSubmit));
    EXPECT_EQ("Submit", Text(dlg.m_btnStartSubmit));
    bed.Click(IDC_START_SUBMIT);
    EXPECT_EQ(2u, bed.commands().size());
  }
  {
    SCOPED_TRACE("submitting the hint still shows the check mark; nothing to take");
    ::SendMessageA(bed.hwnd(), WM_TIMER, CMainDlg::kSubmitTimer, 0);
    bed.commands().clear();
    bed.Click(IDC_START_SUBMIT);
    ExpectCommands(bed.commands(), {{ID_COMMENT_SUBMIT, IDC_START_SUBMIT}});
    std::string text;
    EXPECT_FALSE(dlg.TakeComment(text));
    EXPECT_EQ(dlg.m_bmpSubmitted.get(), ButtonFace(dlg.m_btnStartSubmit));
  }
  {
    SCOPED_TRACE("a stop during the check mark: timer 2 then leaves the Start face alone");
    dlg.OnRecordingStopped();
    ::SendMessageA(bed.hwnd(), WM_TIMER, CMainDlg::kSubmitTimer, 0);
    EXPECT_EQ(dlg.m_bmpStart.get(), ButtonFace(dlg.m_btnStartSubmit));
    dlg.OnRecordingStarted();
    EXPECT_FALSE(dlg.m_bSubmitPending) << "a new recording starts with Submit";
  }
  {
    SCOPED_TRACE("other timer ids are not the window's");
    EXPECT_EQ(0, ::SendMessageA(bed.hwnd(), WM_TIMER, 7, 0));
  }
}

TEST(CommentsInput, NoParentPostsNothing) {
  DialogBed bed(Profile(), /*withParent=*/false);
  bed.ShowActive();
  bed.Click(IDC_START_SUBMIT);
  bed.Click(IDC_CLOSE);
  EXPECT_TRUE(bed.commands().empty());
  EXPECT_TRUE(::IsWindow(bed.hwnd()));
}

TEST(CommentsInput, CtrlORunsTheActionOncePerKeyDown) {
  RecordingBed r;
  DialogBed& bed = r.bed;
  CMainDlg& dlg = bed.dlg();
  int runs = 0;
  dlg.m_onCtrlO = [&] { ++runs; };
  ::SetFocus(dlg.m_editComment);
  bed.Pump();

  // The keyboard state says Ctrl is down; the key-downs arrive through the queue as typed keys
  // do, so the loop's filter sees them.
  BYTE keys[256];
  ::GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  ::SetKeyboardState(keys);
  ::PostMessageA(dlg.m_editComment, WM_KEYDOWN, 'O', 0x00180001);
  bed.Pump();
  EXPECT_EQ(1, runs);
  {
    SCOPED_TRACE("auto-repeat: every key-down runs it again");
    ::PostMessageA(dlg.m_editComment, WM_KEYDOWN, 'O', 0x40180001);
    ::PostMessageA(dlg.m_editComment, WM_KEYDOWN, 'O', 0x40180001);
    bed.Pump();
    EXPECT_EQ(3, runs);
  }
  {
    SCOPED_TRACE("key-ups and other keys do not");
    ::PostMessageA(dlg.m_editComment, WM_KEYUP, 'O', 0xC0180001);
    ::PostMessageA(dlg.m_editComment, WM_KEYDOWN, 'P', 0x00190001);
    bed.Pump();
    EXPECT_EQ(3, runs);
  }
  {
    SCOPED_TRACE("keys meant for another window of the thread do not");
    commentstest::CommandRecorder elsewhere;
    ::PostMessageA(elsewhere.Handle(), WM_KEYDOWN, 'O', 0x00180001);
    bed.Pump();
    EXPECT_EQ(3, runs);
  }
  {
    SCOPED_TRACE("without Ctrl, O is just a letter");
    keys[VK_CONTROL] = 0;
    ::SetKeyboardState(keys);
    ::PostMessageA(dlg.m_editComment, WM_KEYDOWN, 'O', 0x00180001);
    bed.Pump();
    EXPECT_EQ(3, runs);
  }
  {
    SCOPED_TRACE("an empty action is skipped");
    keys[VK_CONTROL] = 0x80;
    ::SetKeyboardState(keys);
    dlg.m_onCtrlO = nullptr;
    ::PostMessageA(dlg.m_editComment, WM_KEYDOWN, 'O', 0x00180001);
    bed.Pump();
    keys[VK_CONTROL] = 0;
    ::SetKeyboardState(keys);
  }
}

TEST(CommentsInput, EscapeEnterAndCloseRequestsDoNothing) {
  RecordingBed r;
  DialogBed& bed = r.bed;
  CMainDlg& dlg = bed.dlg();
  ::SetFocus(dlg.m_editComment);
  bed.Pump();
  ::SetWindowTextA(dlg.m_editComment, "draft");
  {
    SCOPED_TRACE("Escape in the multiline box: the box sends WM_CLOSE, which ends in IDCANCEL");
    ::PostMessageA(dlg.m_editComment, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    ::PostMessageA(dlg.m_editComment, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    bed.Pump();
  }
  {
    SCOPED_TRACE("Enter in the box (no want-return) goes to the dialog as IDOK");
    ::PostMessageA(dlg.m_editComment, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    bed.Pump();
  }
  {
    SCOPED_TRACE("Alt+F4 and the system menu's Close arrive as SC_CLOSE, then WM_CLOSE");
    ::SendMessageA(bed.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    ::SendMessageA(bed.hwnd(), WM_CLOSE, 0, 0);
    ::SendMessageA(bed.hwnd(), WM_COMMAND, IDCANCEL, 0);
    ::SendMessageA(bed.hwnd(), WM_COMMAND, IDOK, 0);
    bed.Pump();
  }
  EXPECT_TRUE(::IsWindow(bed.hwnd()));
  EXPECT_TRUE(::IsWindowVisible(bed.hwnd()));
  EXPECT_TRUE(bed.commands().empty());
  EXPECT_EQ("draft", Text(dlg.m_editComment));
  EXPECT_TRUE(dlg.m_bRecording);
}

TEST(CommentsInput, WhatIsThisOpensTheSupportPage) {
  struct Call {
    HWND owner;
    std::string verb, file;
    bool noParameters, noDirectory;
    INT show;
  };
  static std::vector<Call> calls;
  calls.clear();
  DialogBed bed;
  bed.dlg().m_shellExecute = [](HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                                LPCSTR directory, INT show) -> HINSTANCE {
    calls.push_back({owner, verb ? verb : "", file ? file : "", parameters == nullptr,
                     directory == nullptr, show});
    return reinterpret_cast<HINSTANCE>(2);  // "file not found": not reported
  };
  bed.ShowActive();
  bed.Click(IDC_WHAT_IS_THIS);
  ASSERT_EQ(1u, calls.size());
  EXPECT_EQ(nullptr, calls[0].owner);
  EXPECT_EQ("open", calls[0].verb);
  EXPECT_EQ(0u, calls[0].file.rfind("https://", 0));
  EXPECT_EQ(comments::kSupportPageUrl, calls[0].file);
  EXPECT_TRUE(calls[0].noParameters);
  EXPECT_TRUE(calls[0].noDirectory);
  EXPECT_EQ(SW_SHOWNORMAL, calls[0].show);
  EXPECT_TRUE(bed.commands().empty()) << "the link posts nothing to the frame";
}

TEST(CommentsInput, TheFilterLeavesTheLoopWithTheWindow) {
  CMessageLoop* loop = nullptr;
  std::size_t filtersWhileOpen = 0;
  {
    DialogBed bed;
    loop = g_appModule.CurrentLoop();
    ASSERT_NE(nullptr, loop);
    filtersWhileOpen = loop->m_filters.size();
    EXPECT_EQ(1u, filtersWhileOpen);
    EXPECT_EQ(1u, loop->m_idleHandlers.size());
    ::DestroyWindow(bed.hwnd());
    EXPECT_TRUE(loop->m_filters.empty());
    EXPECT_TRUE(loop->m_idleHandlers.empty());
  }
}

}  // namespace
