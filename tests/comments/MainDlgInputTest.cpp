// What the user does in the comments window, with the real mouse and keyboard under Wine: the
// hint rules of the comment box, the comment handed over, the command each click posts to the
// frame, Ctrl+O, the keys and close requests that must do nothing, the support link.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "DialogTestBed.h"
#include "app/AppModule.h"
#include "comments/CommentsText.h"

namespace {

using commentstest::BedOptions;
using commentstest::DialogBed;
using commentstest::PostedCommand;
using commentstest::ShownLook;
using commentstest::Text;

// A recording the user can comment on, shown and active.
struct RecordingBed {
  DialogBed bed;
  explicit RecordingBed(BedOptions options = BedOptions()) : bed(std::move(options)) {
    bed.Render(commentstest::kRecordingLook);
    bed.ShowActive();
  }
};

TEST(CommentsInput, TheHintGoesOnFocusAndComesBackToAnEmptyBox) {
  RecordingBed r;
  DialogBed& bed = r.bed;
  HWND box = bed.Item(IDC_COMMENT);
  const auto tabAway = [&] { return bed.Press({VK_TAB}) && ::GetFocus() == bed.Item(IDC_START_SUBMIT); };
  const auto tabBack = [&] { return bed.Press({VK_SHIFT, VK_TAB}) && ::GetFocus() == box; };
  {
    SCOPED_TRACE("a click in the box clears the hint, Tab out of the empty box puts it back");
    ASSERT_TRUE(bed.ClickWithMouse(IDC_COMMENT));
    ASSERT_EQ(box, ::GetFocus());
    EXPECT_EQ("", Text(box));
    ASSERT_TRUE(tabAway());
    EXPECT_EQ(comments::kHint, Text(box));
    ASSERT_TRUE(tabBack());
    EXPECT_EQ("", Text(box));
  }
  {
    SCOPED_TRACE("a single space is text: kept on the way out and in");
    ASSERT_TRUE(bed.Type(" "));
    ASSERT_TRUE(tabAway());
    EXPECT_EQ(" ", Text(box));
    ASSERT_TRUE(tabBack());
    EXPECT_EQ(" ", Text(box));
  }
  {
    SCOPED_TRACE("the hint typed out is cleared on focus like the hint; a near-hint is not");
    ::SendMessageA(box, EM_SETSEL, 0, -1);
    ASSERT_TRUE(bed.Type(comments::kHint));
    ASSERT_TRUE(tabAway());
    ASSERT_TRUE(tabBack());
    EXPECT_EQ("", Text(box));
    const std::string upper = "ADD COMMENTS TO YOUR VIDEO. YOUR SUPERVISOR WILL BE ABLE TO READ THESE.";
    ASSERT_TRUE(bed.Type(upper));
    ASSERT_TRUE(tabAway());
    ASSERT_TRUE(tabBack());
    EXPECT_EQ(upper, Text(box));
  }
}

TEST(CommentsInput, TheTypedCommentIsHandedOverAndTheHintComesBack) {
  RecordingBed r;
  DialogBed& bed = r.bed;
  HWND box = bed.Item(IDC_COMMENT);
  EXPECT_EQ(comments::kHint, bed.dlg().TakeComment()) << "the hint as it is; the model drops it";
  {
    SCOPED_TRACE("typed, then Submit clicked: the frame takes the text, the hint comes back");
    ASSERT_TRUE(bed.ClickWithMouse(IDC_COMMENT));
    ASSERT_TRUE(bed.Type("Customer asked about the refund"));
    ASSERT_TRUE(bed.ClickWithMouse(IDC_START_SUBMIT));
    EXPECT_EQ("Customer asked about the refund", bed.dlg().TakeComment());
    EXPECT_EQ(comments::kHint, Text(box));
  }
  {
    SCOPED_TRACE("the empty box hands over the empty text");
    ::SetWindowTextA(box, "");
    EXPECT_EQ("", bed.dlg().TakeComment());
  }
  {
    SCOPED_TRACE("characters outside ASCII come back in the ANSI code page");
    ASSERT_TRUE(bed.ClickWithMouse(IDC_COMMENT));
    ASSERT_EQ("", Text(box));
    const std::string accented = "Kund fr\xE5gade om \xE5terbetalning";  // Windows-1252
    ASSERT_TRUE(bed.Type(accented));
    EXPECT_EQ(accented, bed.dlg().TakeComment());
  }
  {
    SCOPED_TRACE("a draft survives other looks, the box hidden and shown again by an upload");
    ASSERT_TRUE(bed.ClickWithMouse(IDC_STOP));
    ASSERT_TRUE(bed.ClickWithMouse(IDC_COMMENT));
    ASSERT_TRUE(bed.Type("draft"));
    bed.Render("paused submit+ resume+ stop+ what- comment- uploading+ uploaded- => submit/resume");
    bed.Render(commentstest::kRecordingLook);
    EXPECT_EQ("draft", Text(box));
  }
  {
    SCOPED_TRACE("reset: the draft is discarded");
    bed.dlg().ResetComment();
    EXPECT_EQ(comments::kHint, Text(box));
  }
}

TEST(CommentsInput, AClickPostsTheCommandItsLookGaveTheButton) {
  struct Row {
    const char* look;
    int control;
    WORD command;  // 0: nothing is posted
  };
  const Row rows[] = {
      {commentstest::kIdleLook, IDC_START_SUBMIT, ID_RECORDING_START},
      {commentstest::kRecordingLook, IDC_START_SUBMIT, ID_COMMENT_SUBMIT},
      {commentstest::kRecordingLook, IDC_PAUSE_RESUME, ID_RECORDING_PAUSE},
      {"paused submit+ resume+ stop+ what- comment+ uploading- uploaded- => submit/resume",
       IDC_PAUSE_RESUME, ID_RECORDING_RESUME},
      {"recording submitted+ pause+ stop+ what- comment+ uploading- uploaded- => -/pause",
       IDC_START_SUBMIT, 0},
      {"idle start+ pause+ stop- what+ comment- uploading- uploaded- => start/-", IDC_PAUSE_RESUME, 0},
      // The look's command, whatever the face says.
      {"recording submit+ pause+ stop+ what- comment+ uploading- uploaded- => start/resume",
       IDC_START_SUBMIT, ID_RECORDING_START},
      {"recording submit+ pause+ stop+ what- comment+ uploading- uploaded- => start/resume",
       IDC_PAUSE_RESUME, ID_RECORDING_RESUME},
      {commentstest::kRecordingLook, IDC_STOP, ID_RECORDING_STOP},
      {commentstest::kIdleLook, IDC_CLOSE, ID_COMMENTS_HIDE},
      {commentstest::kRecordingLook, IDC_CLOSE, ID_COMMENTS_HIDE},
  };
  DialogBed bed;
  bed.ShowActive();
  std::vector<std::pair<WORD, int>> want;
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.look << " / control " << row.control);
    bed.Render(row.look);
    const std::string before = ShownLook(bed);
    ASSERT_TRUE(bed.ClickWithMouse(row.control));
    if (row.command != 0) want.emplace_back(row.command, row.control);
    EXPECT_EQ(want.size(), bed.commands().size());
    EXPECT_EQ(before, ShownLook(bed)) << "the frame renders what follows, not the window";
  }
  EXPECT_TRUE(::IsWindowVisible(bed.hwnd())) << "Close asks the frame; the window stays";

  ASSERT_EQ(want.size(), bed.commands().size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    const PostedCommand& got = bed.commands()[i];
    EXPECT_EQ(want[i].first, got.id) << "command " << i;
    EXPECT_EQ(0, got.code) << "the high word of wParam is 0";
    EXPECT_EQ(want[i].second, got.lParam) << "lParam is the control id, not a handle";
  }
}

TEST(CommentsInput, TheKeyboardPressesButtonsToo) {
  RecordingBed r;
  DialogBed& bed = r.bed;
  ASSERT_TRUE(bed.ClickWithMouse(IDC_COMMENT));
  ASSERT_TRUE(bed.Press({VK_TAB}));
  ASSERT_EQ(bed.Item(IDC_START_SUBMIT), ::GetFocus());
  ASSERT_TRUE(bed.Press({VK_SPACE}));
  ASSERT_EQ(1u, bed.commands().size());
  EXPECT_EQ(ID_COMMENT_SUBMIT, bed.commands()[0].id);
  EXPECT_EQ(IDC_START_SUBMIT, bed.commands()[0].lParam);
}

TEST(CommentsInput, WithoutAParentNothingIsPosted) {
  DialogBed bed(BedOptions{false});
  bed.ShowActive();
  ASSERT_TRUE(bed.ClickWithMouse(IDC_START_SUBMIT));
  ASSERT_TRUE(bed.ClickWithMouse(IDC_CLOSE));
  EXPECT_TRUE(bed.commands().empty());
  EXPECT_TRUE(::IsWindow(bed.hwnd()));
}

TEST(CommentsInput, CtrlORunsTheActionOncePerKeyDown) {
  int runs = 0;
  BedOptions options;
  options.onCtrlO = [&] { ++runs; };
  RecordingBed r(options);
  DialogBed& bed = r.bed;
  ASSERT_TRUE(bed.ClickWithMouse(IDC_COMMENT));
  ASSERT_TRUE(bed.Press({VK_CONTROL, 'O'}));
  EXPECT_EQ(1, runs);
  {
    SCOPED_TRACE("held down, the key repeats: every key-down runs it again");
    ASSERT_TRUE(bed.Keys({{VK_CONTROL, false}, {'O', false}, {'O', false}, {'O', false},
                          {'O', true}, {VK_CONTROL, true}}));
    EXPECT_EQ(4, runs);
  }
  {
    SCOPED_TRACE("other keys with Ctrl do not; nor does O alone, which is typed");
    ASSERT_TRUE(bed.Press({VK_CONTROL, 'P'}));
    ASSERT_TRUE(bed.Press({'O'}));
    EXPECT_EQ(4, runs);
    EXPECT_EQ("o", Text(bed.Item(IDC_COMMENT)));
  }
  {
    SCOPED_TRACE("in another window of the thread, Ctrl+O is not the comments window's");
    HWND other = ::CreateWindowExA(0, "EDIT", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200,
                                   100, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
    ::SetForegroundWindow(other);
    ::SetFocus(other);
    bed.Pump();
    ASSERT_EQ(other, ::GetFocus());
    ASSERT_TRUE(bed.Press({VK_CONTROL, 'O'}));
    EXPECT_EQ(4, runs);
    ::DestroyWindow(other);
  }
}

TEST(CommentsInput, CtrlOWithoutAnActionDoesNothing) {
  RecordingBed r;
  ASSERT_TRUE(r.bed.ClickWithMouse(IDC_COMMENT));
  ASSERT_TRUE(r.bed.Press({VK_CONTROL, 'O'}));
  EXPECT_TRUE(::IsWindowVisible(r.bed.hwnd()));
  EXPECT_EQ("", Text(r.bed.Item(IDC_COMMENT))) << "not typed either";
}

TEST(CommentsInput, EscapeEnterAndCloseRequestsDoNothing) {
  RecordingBed r;
  DialogBed& bed = r.bed;
  ASSERT_TRUE(bed.ClickWithMouse(IDC_COMMENT));
  ASSERT_TRUE(bed.Type("draft"));
  // Escape in the multiline box: the box sends WM_CLOSE, which ends in IDCANCEL. Enter in the
  // box (no want-return) goes to the dialog as IDOK. Alt+F4 arrives as SC_CLOSE, then WM_CLOSE.
  ASSERT_TRUE(bed.Press({VK_ESCAPE}));
  ASSERT_TRUE(bed.Press({VK_RETURN}));
  ASSERT_TRUE(bed.Press({VK_MENU, VK_F4}));
  // The system menu's Close and the same requests sent by others.
  ::SendMessageA(bed.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
  ::SendMessageA(bed.hwnd(), WM_CLOSE, 0, 0);
  ::SendMessageA(bed.hwnd(), WM_COMMAND, IDCANCEL, 0);
  ::SendMessageA(bed.hwnd(), WM_COMMAND, IDOK, 0);
  bed.Pump();
  EXPECT_TRUE(::IsWindow(bed.hwnd()));
  EXPECT_TRUE(::IsWindowVisible(bed.hwnd()));
  EXPECT_TRUE(bed.commands().empty());
  EXPECT_EQ("draft", Text(bed.Item(IDC_COMMENT)));
  EXPECT_EQ(commentstest::WithoutCommands(commentstest::kRecordingLook), ShownLook(bed));
}

TEST(CommentsInput, WhatIsThisOpensTheSupportPage) {
  DialogBed bed;
  bed.ShowActive();
  ASSERT_TRUE(bed.ClickWithMouse(IDC_WHAT_IS_THIS));
  ASSERT_EQ(1u, bed.shellCalls().size());
  const commentstest::ShellCall& call = bed.shellCalls()[0];
  EXPECT_EQ(nullptr, call.owner);
  EXPECT_EQ("open", call.verb);
  EXPECT_EQ(0u, call.file.rfind("https://", 0));
  EXPECT_EQ(comments::kSupportPageUrl, call.file);
  EXPECT_TRUE(call.noParameters);
  EXPECT_TRUE(call.noDirectory);
  EXPECT_EQ(SW_SHOWNORMAL, call.show);
  // The shell answered "file not found": nothing is reported, nothing posted.
  EXPECT_TRUE(bed.commands().empty());
  EXPECT_EQ(bed.hwnd(), ::GetForegroundWindow());
}

TEST(CommentsInput, TheFilterLeavesTheLoopWithTheWindow) {
  DialogBed bed;
  CMessageLoop* loop = g_appModule.CurrentLoop();
  ASSERT_NE(nullptr, loop);
  EXPECT_EQ(1u, loop->m_filters.size());
  EXPECT_TRUE(loop->m_idleHandlers.empty());
  ::DestroyWindow(bed.hwnd());
  EXPECT_TRUE(loop->m_filters.empty());
}

}  // namespace
