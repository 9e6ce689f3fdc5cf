// The comments window as created, a look rendered while it is hidden, and the busy animation of
// the upload display, which plays only while it can be seen. (Every look rendered at every DPI:
// DpiTest.cpp; which look follows which event: the model's tables.)
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "DialogTestBed.h"
#include "comments/CommentsText.h"
#include "tools/WinTestSupport.h"

namespace {

using commentstest::DialogBed;
using commentstest::Shown;
using commentstest::Text;

const char* const kUploadingLook =
    "recording submit+ pause+ stop+ what- comment- uploading+ uploaded- => submit/pause";
const char* const kUploadedLook =
    "recording submit+ pause- stop- what- comment+ uploading- uploaded+ => submit/pause";

SIZE WindowSize(HWND hwnd) {
  RECT rc{};
  ::GetWindowRect(hwnd, &rc);
  return SIZE{rc.right - rc.left, rc.bottom - rc.top};
}

int IconWidth(LRESULT icon) {
  ICONINFO info{};
  if (!icon || !::GetIconInfo(reinterpret_cast<HICON>(icon), &info)) return 0;
  BITMAP bm{};
  ::GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
  if (info.hbmColor) ::DeleteObject(info.hbmColor);
  if (info.hbmMask) ::DeleteObject(info.hbmMask);
  return bm.bmWidth;
}

TEST(CommentsWindow, AsCreated) {
  DialogBed bed;
  ASSERT_TRUE(::IsWindow(bed.hwnd()));
  EXPECT_FALSE(::IsWindowVisible(bed.hwnd())) << "created hidden";
  // The title is the template's first child, the one without an id.
  EXPECT_EQ(0xFFFF, ::GetDlgCtrlID(bed.Title()) & 0xFFFF);
  EXPECT_EQ(commentstest::WithoutCommands(commentstest::kIdleLook), commentstest::ShownLook(bed));
  EXPECT_EQ(comments::kHint, Text(bed.Item(IDC_COMMENT)));
  // Each icon at its own size: the small one is not the large image scaled by whoever draws it.
  EXPECT_EQ(IconWidth(::SendMessageA(bed.hwnd(), WM_GETICON, ICON_BIG, 0)),
            ::GetSystemMetrics(SM_CXICON));
  EXPECT_EQ(IconWidth(::SendMessageA(bed.hwnd(), WM_GETICON, ICON_SMALL, 0)),
            ::GetSystemMetrics(SM_CXSMICON));
}

TEST(CommentsWindow, ALookRenderedWhileHiddenShowsWhenOpened) {
  DialogBed bed;
  bed.Render(kUploadedLook);
  ASSERT_FALSE(::IsWindowVisible(bed.hwnd()));
  EXPECT_TRUE(Shown(bed.Item(IDC_COMMENT)));
  EXPECT_FALSE(::IsWindowVisible(bed.Item(IDC_COMMENT))) << "not on screen yet";
  bed.ShowActive();
  EXPECT_TRUE(::IsWindowVisible(bed.Item(IDC_COMMENT)));
  EXPECT_TRUE(::IsWindowVisible(bed.Item(IDC_UPLOADED)));
  EXPECT_TRUE(::IsWindowVisible(bed.Item(IDC_START_SUBMIT)));
  EXPECT_FALSE(::IsWindowVisible(bed.Item(IDC_STOP)));
}

// The busy control's pixels on screen, row by row.
std::vector<DWORD> ScreenPixels(HWND control) {
  RECT rc{};
  ::GetClientRect(control, &rc);
  HDC dc = ::GetDC(control);
  HBITMAP copy = ::CreateCompatibleBitmap(dc, rc.right, rc.bottom);
  HDC memory = ::CreateCompatibleDC(dc);
  HGDIOBJ old = ::SelectObject(memory, copy);
  ::BitBlt(memory, 0, 0, rc.right, rc.bottom, dc, 0, 0, SRCCOPY);
  ::SelectObject(memory, old);
  ::DeleteDC(memory);
  ::ReleaseDC(control, dc);
  std::vector<DWORD> pixels = wintest::BitmapPixels(copy);
  ::DeleteObject(copy);
  return pixels;
}

TEST(CommentsWindow, TheBusyAnimationPlaysOnlyWhileItCanBeSeen) {
  DialogBed bed;
  HWND busy = bed.Item(IDC_BUSY);
  bed.Pump();
  const int threads = wintest::ThreadCount();
  ASSERT_GT(threads, 0);
  // Playing: its own thread runs and the picture on screen moves on from `from`.
  const auto playsOnFrom = [&](const std::vector<DWORD>& from) {
    return bed.PumpUntil([&] {
      return wintest::ThreadCount() == threads + 1 && ScreenPixels(busy) != from;
    });
  };
  const SIZE placeholder = WindowSize(busy);
  {
    SCOPED_TRACE("an upload shown while the window is hidden: in it, but neither loaded nor played");
    bed.Render(kUploadingLook);
    ASSERT_TRUE(Shown(busy));
    EXPECT_EQ(threads, wintest::ThreadCount());
    EXPECT_EQ(placeholder.cx, WindowSize(busy).cx) << "still the template's placeholder";
    EXPECT_NE(26, placeholder.cx);
  }
  std::vector<DWORD> kept;
  {
    SCOPED_TRACE("the window opens on the upload display: the animation is loaded and plays");
    bed.ShowActive();
    EXPECT_EQ(26, WindowSize(busy).cx) << "the control takes the picture's size";
    EXPECT_EQ(26, WindowSize(busy).cy);
    EXPECT_TRUE(playsOnFrom(ScreenPixels(busy)));
    EXPECT_TRUE(playsOnFrom(ScreenPixels(busy))) << "and keeps playing";
    kept = ScreenPixels(busy);
  }
  {
    SCOPED_TRACE("the window hides: the thread has ended when the hide returns");
    ::ShowWindow(bed.hwnd(), SW_HIDE);
    EXPECT_EQ(threads, wintest::ThreadCount());
  }
  {
    SCOPED_TRACE("shown again by SetWindowPos, as a placement may: it plays on");
    ::SetWindowPos(bed.hwnd(), nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
    EXPECT_EQ(threads + 1, wintest::ThreadCount()) << "started by the show itself";
    EXPECT_TRUE(playsOnFrom(kept));
  }
  {
    SCOPED_TRACE("the upload is done: the display hides the animation and it stops");
    bed.Render(kUploadedLook);
    EXPECT_FALSE(Shown(busy));
    EXPECT_EQ(threads, wintest::ThreadCount());
  }
  {
    SCOPED_TRACE("a look that keeps the upload display leaves the animation alone");
    bed.Render(kUploadingLook);
    EXPECT_EQ(threads + 1, wintest::ThreadCount()) << "a new upload while open plays at once";
    bed.Render("paused submit+ resume+ stop+ what- comment- uploading+ uploaded- => submit/resume");
    EXPECT_EQ(threads + 1, wintest::ThreadCount());
    EXPECT_TRUE(playsOnFrom(ScreenPixels(busy)));
  }
}

}  // namespace
