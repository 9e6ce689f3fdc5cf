// The comments window's looks on the real dialog under Wine: which controls are shown, which
// faces and texts they carry, which title; the upload display; profile changes.
#include <windows.h>

#include <gtest/gtest.h>

#include "DialogTestBed.h"
#include "comments/CommentsText.h"
#include "tools/WinTestSupport.h"

namespace {

using commentstest::ButtonFace;
using commentstest::DialogBed;
using commentstest::Picture;
using commentstest::Profile;
using commentstest::Shown;
using commentstest::Text;

// What a look says about the controls that the look table lists.
struct Look {
  bool whatIsThis;
  bool startSubmit;
  bool stopPause;
  bool comment;
};

void ExpectLook(DialogBed& bed, const Look& look) {
  EXPECT_EQ(look.whatIsThis, Shown(bed.Item(IDC_WHAT_IS_THIS)));
  EXPECT_EQ(look.startSubmit, Shown(bed.Item(IDC_START_SUBMIT)));
  EXPECT_EQ(look.stopPause, Shown(bed.Item(IDC_STOP)));
  EXPECT_EQ(look.stopPause, Shown(bed.Item(IDC_PAUSE_RESUME)));
  EXPECT_EQ(look.comment, Shown(bed.Item(IDC_COMMENT)));
  // The title and the close button are always there.
  EXPECT_TRUE(Shown(bed.dlg().m_stTitle));
  EXPECT_TRUE(Shown(bed.Item(IDC_CLOSE)));
}

TEST(CommentsLooks, IdleAfterCreation) {
  DialogBed bed;
  CMainDlg& dlg = bed.dlg();
  ASSERT_TRUE(::IsWindow(bed.hwnd()));
  EXPECT_FALSE(::IsWindowVisible(bed.hwnd())) << "created hidden";
  EXPECT_FALSE(dlg.m_bRecording);
  EXPECT_FALSE(dlg.m_bServiceReady);
  ExpectLook(bed, {true, true, false, false});
  EXPECT_FALSE(Shown(bed.Item(IDC_UPLOADING)));
  EXPECT_FALSE(Shown(bed.Item(IDC_UPLOADED)));
  EXPECT_FALSE(Shown(bed.Item(IDC_BUSY)));

  // The title is the template's first child, the one without an id.
  EXPECT_EQ(::GetWindow(bed.hwnd(), GW_CHILD), static_cast<HWND>(dlg.m_stTitle));
  EXPECT_EQ(0xFFFF, ::GetDlgCtrlID(dlg.m_stTitle) & 0xFFFF);
  EXPECT_EQ(dlg.m_bmpTitleIdle.get(), Picture(dlg.m_stTitle));
  EXPECT_EQ(dlg.m_bmpStart.get(), ButtonFace(dlg.m_btnStartSubmit));
  EXPECT_NE(nullptr, dlg.m_bmpTitleIdle.get()) << "the 96-DPI set is loaded";

  // Every button is named after its face for screen readers.
  EXPECT_EQ("Start", Text(bed.Item(IDC_START_SUBMIT)));
  EXPECT_EQ("Close", Text(bed.Item(IDC_CLOSE)));
  EXPECT_EQ("Stop", Text(bed.Item(IDC_STOP)));
  EXPECT_EQ("Pause", Text(bed.Item(IDC_PAUSE_RESUME)));
  EXPECT_EQ("What is this?", Text(bed.Item(IDC_WHAT_IS_THIS)));
  // The first face of 1002 is a handle of its own, not the owned pause bitmap.
  EXPECT_NE(nullptr, ButtonFace(bed.Item(IDC_PAUSE_RESUME)));
  EXPECT_NE(dlg.m_bmpPause.get(), ButtonFace(bed.Item(IDC_PAUSE_RESUME)));

  EXPECT_EQ(comments::kHint, Text(dlg.m_editComment));
  EXPECT_EQ(1024, ::SendMessageA(dlg.m_editComment, EM_GETLIMITTEXT, 0, 0));
  EXPECT_FALSE(dlg.m_busy.IsAnimated()) << "decoded only once it is to be seen";
  EXPECT_FALSE(dlg.m_busy.IsAnimationStarted());
  EXPECT_NE(0, ::SendMessageA(bed.hwnd(), WM_GETICON, ICON_BIG, 0));
  EXPECT_NE(0, ::SendMessageA(bed.hwnd(), WM_GETICON, ICON_SMALL, 0));
}

TEST(CommentsLooks, RecordingPausedResumedStopped) {
  DialogBed bed;
  CMainDlg& dlg = bed.dlg();
  {
    SCOPED_TRACE("recording, service ready, comments allowed");
    dlg.m_bServiceReady = true;
    dlg.OnRecordingStarted();
    EXPECT_TRUE(dlg.m_bRecording);
    ExpectLook(bed, {false, true, true, true});
    EXPECT_EQ(dlg.m_bmpTitleRecording.get(), Picture(dlg.m_stTitle));
    EXPECT_EQ(dlg.m_bmpSubmit.get(), ButtonFace(dlg.m_btnStartSubmit));
    EXPECT_EQ(dlg.m_bmpPause.get(), ButtonFace(dlg.m_btnPauseResume));
    EXPECT_EQ("Submit", Text(dlg.m_btnStartSubmit));
    EXPECT_EQ("Pause", Text(dlg.m_btnPauseResume));
  }
  {
    SCOPED_TRACE("paused: title and 1002 only");
    dlg.OnRecordingPaused();
    EXPECT_TRUE(dlg.m_bPaused);
    ExpectLook(bed, {false, true, true, true});
    EXPECT_EQ(dlg.m_bmpTitlePaused.get(), Picture(dlg.m_stTitle));
    EXPECT_EQ(dlg.m_bmpResume.get(), ButtonFace(dlg.m_btnPauseResume));
    EXPECT_EQ("Resume", Text(dlg.m_btnPauseResume));
    EXPECT_EQ(dlg.m_bmpSubmit.get(), ButtonFace(dlg.m_btnStartSubmit));
  }
  {
    SCOPED_TRACE("running again");
    dlg.OnRecordingResumed();
    EXPECT_FALSE(dlg.m_bPaused);
    EXPECT_EQ(dlg.m_bmpTitleRecording.get(), Picture(dlg.m_stTitle));
    EXPECT_EQ(dlg.m_bmpPause.get(), ButtonFace(dlg.m_btnPauseResume));
    EXPECT_EQ("Pause", Text(dlg.m_btnPauseResume));
  }
  {
    SCOPED_TRACE("stopped: typed text is lost, the box hidden with the hint in it");
    ::SetWindowTextA(dlg.m_editComment, "not submitted");
    dlg.OnRecordingStopped();
    EXPECT_FALSE(dlg.m_bRecording);
    ExpectLook(bed, {true, true, false, false});
    EXPECT_EQ(comments::kHint, Text(dlg.m_editComment));
    EXPECT_EQ(dlg.m_bmpTitleIdle.get(), Picture(dlg.m_stTitle));
    EXPECT_EQ(dlg.m_bmpStart.get(), ButtonFace(dlg.m_btnStartSubmit));
    EXPECT_EQ("Start", Text(dlg.m_btnStartSubmit));
  }
  {
    SCOPED_TRACE("a new start after a paused stop shows the pause face again");
    dlg.OnRecordingPaused();
    dlg.OnRecordingStarted();
    EXPECT_FALSE(dlg.m_bPaused);
    EXPECT_EQ(dlg.m_bmpPause.get(), ButtonFace(dlg.m_btnPauseResume));
  }
}

TEST(CommentsLooks, RecordingWithoutReadyServiceOrComments) {
  {
    SCOPED_TRACE("service not ready: no box, no Submit");
    DialogBed bed;
    bed.dlg().OnRecordingStarted();
    ExpectLook(bed, {false, false, true, false});
  }
  {
    SCOPED_TRACE("comments not allowed");
    DialogBed bed(Profile{true, false});
    bed.dlg().m_bServiceReady = true;
    bed.dlg().OnRecordingStarted();
    ExpectLook(bed, {false, false, true, false});
  }
  {
    SCOPED_TRACE("recording control not allowed: comments only");
    DialogBed bed(Profile{false, true});
    ExpectLook(bed, {true, false, false, false});
    bed.dlg().m_bServiceReady = true;
    bed.dlg().OnRecordingStarted();
    ExpectLook(bed, {false, true, false, true});
    bed.dlg().OnRecordingStopped();
    ExpectLook(bed, {true, false, false, false});
  }
}

TEST(CommentsLooks, ProfileChangesThroughUpdateProfileControls) {
  DialogBed bed(Profile{false, true});
  CMainDlg& dlg = bed.dlg();
  dlg.m_profile.allowRecordingControl = true;
  dlg.UpdateProfileControls();
  EXPECT_TRUE(Shown(bed.Item(IDC_START_SUBMIT))) << "idle: Start appears at once";
  EXPECT_FALSE(Shown(bed.Item(IDC_STOP)));

  dlg.m_bServiceReady = true;
  dlg.OnRecordingStarted();
  dlg.m_profile.allowRecordingControl = false;
  dlg.UpdateProfileControls();
  EXPECT_FALSE(Shown(bed.Item(IDC_STOP)));
  EXPECT_FALSE(Shown(bed.Item(IDC_PAUSE_RESUME)));
  EXPECT_TRUE(Shown(bed.Item(IDC_START_SUBMIT))) << "recording: Submit is not a recording control";
  EXPECT_TRUE(Shown(bed.Item(IDC_COMMENT))) << "the box is not touched";

  dlg.m_profile.allowRecordingControl = true;
  dlg.UpdateProfileControls();
  EXPECT_TRUE(Shown(bed.Item(IDC_STOP)));
  EXPECT_TRUE(Shown(bed.Item(IDC_PAUSE_RESUME)));
}

TEST(CommentsLooks, UploadDisplay) {
  DialogBed bed;
  CMainDlg& dlg = bed.dlg();
  bed.ShowActive();
  dlg.m_bServiceReady = true;
  dlg.OnRecordingStarted();
  ASSERT_TRUE(::IsWindowVisible(dlg.m_editComment));
  {
    SCOPED_TRACE("in progress: box hidden, uploading picture with the busy animation");
    dlg.OnUploadProgress(0);
    EXPECT_FALSE(Shown(dlg.m_editComment));
    EXPECT_TRUE(Shown(bed.Item(IDC_UPLOADING)));
    EXPECT_TRUE(Shown(dlg.m_busy));
    EXPECT_TRUE(Shown(bed.Item(IDC_STOP))) << "buttons are left as they are";
    EXPECT_TRUE(Shown(bed.Item(IDC_START_SUBMIT)));
  }
  {
    SCOPED_TRACE("99 and anything but exactly 100 is still in progress");
    for (int percent : {50, 99, 101, -1}) {
      dlg.OnUploadProgress(percent);
      EXPECT_TRUE(Shown(bed.Item(IDC_UPLOADING)));
      EXPECT_FALSE(Shown(bed.Item(IDC_UPLOADED)));
    }
  }
  {
    SCOPED_TRACE("stopping and starting a recording does not clear the uploading look");
    dlg.OnRecordingStopped();
    dlg.OnRecordingStarted();
    EXPECT_TRUE(Shown(bed.Item(IDC_UPLOADING)));
    EXPECT_TRUE(Shown(dlg.m_busy));
    // The new recording brought the box back over the upload display, by design.
    EXPECT_TRUE(Shown(dlg.m_editComment));
  }
  {
    SCOPED_TRACE("done: uploaded picture, stop and pause hidden for three seconds");
    dlg.OnUploadProgress(100);
    EXPECT_TRUE(Shown(dlg.m_editComment));
    EXPECT_FALSE(Shown(bed.Item(IDC_UPLOADING)));
    EXPECT_FALSE(Shown(dlg.m_busy));
    EXPECT_TRUE(Shown(bed.Item(IDC_UPLOADED)));
    EXPECT_FALSE(Shown(bed.Item(IDC_STOP)));
    EXPECT_FALSE(Shown(bed.Item(IDC_PAUSE_RESUME)));
    // Timer 3 is not waited for: its message is delivered now.
    ::SendMessageA(bed.hwnd(), WM_TIMER, CMainDlg::kUploadedTimer, 0);
    EXPECT_FALSE(Shown(bed.Item(IDC_UPLOADED)));
    EXPECT_TRUE(Shown(bed.Item(IDC_STOP)));
    EXPECT_TRUE(Shown(bed.Item(IDC_PAUSE_RESUME)));
  }
  {
    SCOPED_TRACE("timer 3 after the recording ended brings no recording buttons back");
    dlg.OnUploadProgress(100);
    dlg.OnRecordingStopped();
    ::SendMessageA(bed.hwnd(), WM_TIMER, CMainDlg::kUploadedTimer, 0);
    EXPECT_FALSE(Shown(bed.Item(IDC_UPLOADED)));
    EXPECT_FALSE(Shown(bed.Item(IDC_STOP)));
  }
}

TEST(CommentsLooks, BusyAnimationPlaysOnlyWhileItCanBeSeen) {
  DialogBed bed;
  CMainDlg& dlg = bed.dlg();
  bed.Pump();
  const int threads = wintest::ThreadCount();
  ASSERT_GT(threads, 0);
  const auto stopped = [&] {
    return !dlg.m_busy.IsAnimationStarted() && !dlg.m_busy.IsPlaying() &&
           wintest::ThreadCount() == threads;
  };
  // Playing: its own thread is in its loop and has moved on from frame `from`.
  const auto playsOnFrom = [&](int from) {
    return bed.PumpUntil([&] {
      return dlg.m_busy.IsPlaying() && dlg.m_busy.GetCurrentFrame() != from &&
             wintest::ThreadCount() == threads + 1;
    });
  };
  {
    SCOPED_TRACE("an upload reported while the window is hidden: shown in it, but not played");
    dlg.OnUploadProgress(30);
    ASSERT_TRUE(Shown(dlg.m_busy));
    EXPECT_TRUE(stopped());
  }
  {
    SCOPED_TRACE("the window opens on the upload display: the animation is loaded and plays");
    bed.ShowActive();
    EXPECT_EQ(8, dlg.m_busy.GetFrameCount());
    EXPECT_EQ(26, dlg.m_busy.GetPictureSize().cx);
    RECT busy{};
    ::GetClientRect(dlg.m_busy, &busy);
    EXPECT_EQ(26, busy.right) << "the control takes the picture's size";
    EXPECT_TRUE(playsOnFrom(dlg.m_busy.GetCurrentFrame()));
  }
  int kept = 0;
  {
    SCOPED_TRACE("the window hides: the thread has ended when the hide returns");
    ::ShowWindow(bed.hwnd(), SW_HIDE);
    EXPECT_TRUE(stopped());
    kept = dlg.m_busy.GetCurrentFrame();
  }
  {
    SCOPED_TRACE("shown again by SetWindowPos, as a placement may: it resumes");
    ::SetWindowPos(bed.hwnd(), nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    EXPECT_TRUE(dlg.m_busy.IsAnimationStarted());
    EXPECT_TRUE(playsOnFrom(kept));
  }
  {
    SCOPED_TRACE("the upload is done: the display hides the animation and it stops");
    dlg.OnUploadProgress(100);
    EXPECT_TRUE(stopped());
  }
  {
    SCOPED_TRACE("a new upload while the window is open plays at once");
    dlg.OnUploadProgress(5);
    EXPECT_TRUE(dlg.m_busy.IsAnimationStarted());
    EXPECT_TRUE(playsOnFrom(-1));
  }
}

TEST(CommentsLooks, UploadedTimerFiresOnItsOwn) {
  // The one real three-second wait of the suite: timer 3 is armed and fires once.
  DialogBed bed;
  bed.dlg().OnUploadProgress(100);
  ASSERT_TRUE(Shown(bed.Item(IDC_UPLOADED)));
  EXPECT_TRUE(bed.PumpUntil([&] { return !Shown(bed.Item(IDC_UPLOADED)); }, 6000));
}

TEST(CommentsLooks, UploadReportsWhileHidden) {
  DialogBed bed;
  CMainDlg& dlg = bed.dlg();
  dlg.m_bServiceReady = true;
  dlg.OnRecordingStarted();
  ASSERT_FALSE(::IsWindowVisible(bed.hwnd()));
  ASSERT_TRUE(Shown(dlg.m_editComment));
  {
    SCOPED_TRACE("in progress while hidden: the box counts as not visible and stays");
    dlg.OnUploadProgress(30);
    EXPECT_TRUE(Shown(dlg.m_editComment));
    EXPECT_TRUE(Shown(bed.Item(IDC_UPLOADING)));
    EXPECT_TRUE(Shown(dlg.m_busy));
    dlg.OnUploadProgress(60);  // the busy picture counts as not visible: shown again, harmlessly
    EXPECT_TRUE(Shown(bed.Item(IDC_UPLOADING)));
  }
  {
    SCOPED_TRACE("100 while hidden and recording shows the box, even one hidden before");
    dlg.m_editComment.ShowWindow(SW_HIDE);
    dlg.OnUploadProgress(100);
    EXPECT_TRUE(Shown(dlg.m_editComment));
    EXPECT_TRUE(Shown(bed.Item(IDC_UPLOADED)));
    EXPECT_FALSE(Shown(bed.Item(IDC_UPLOADING)));
  }
  {
    SCOPED_TRACE("100 while idle leaves the box hidden");
    DialogBed idle;
    idle.dlg().OnUploadProgress(100);
    EXPECT_FALSE(Shown(idle.dlg().m_editComment));
  }
  {
    SCOPED_TRACE("the result shows when the window is opened");
    bed.ShowActive();
    EXPECT_TRUE(::IsWindowVisible(dlg.m_editComment));
    EXPECT_TRUE(::IsWindowVisible(bed.Item(IDC_UPLOADED)));
  }
}

}  // namespace
