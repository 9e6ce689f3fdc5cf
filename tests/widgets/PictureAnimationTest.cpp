// The animation thread of the picture control under Wine. The steered edge (PictureTestBed) holds
// the thread in each frame wait until the test lets it on, so every pixel check happens after a
// StopAnimation, on a surface no thread draws into. It also makes a stop give up waiting, as if
// the thread had not ended within 5000 ms, to show that such a thread cannot draw any more nor
// use anything that a restart, a release, a new load or the control's destruction replaces.
#include <gtest/gtest.h>

#include <memory>

#include "PictureTestBed.h"
#include "res/resource.h"
#include "tools/WinTestSupport.h"
#include "widgets/PictureExWnd.h"

namespace {

using picturetest::At;
using picturetest::LoadBytes;
using picturetest::Painted;
using picturetest::PaletteColour;
using picturetest::SolidFrame;
using picturetest::SolidGif;
using picturetest::Steering;
using picturetest::TestWindow;

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool Ended(HANDLE thread, DWORD timeoutMs = 5000) {
  return ::WaitForSingleObject(thread, timeoutMs) == WAIT_OBJECT_0;
}

class PictureAnimation : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(picture.SubclassWindow(window.Placeholder())); }

  std::vector<COLORREF> Pixels() const {
    EXPECT_FALSE(picture.IsPlaying());
    return Painted(picture);
  }
  RECT LastDraw() const {
    const auto draws = steering.Draws();
    return draws.empty() ? RECT{-1, -1, -1, -1} : draws.back().rect;
  }
  DWORD LastDrawingThread() const {
    const auto draws = steering.Draws();
    return draws.empty() ? 0 : draws.back().thread;
  }

  TestWindow window;
  Steering steering;  // outlives the control, so that held threads are let go after it
  CPictureExWnd picture{steering.Edge()};
};

TEST_F(PictureAnimation, EachFrameWaitsItsDelayAndShortOrMissingDelaysWait100Ms) {
  // Delays 0 and 4 are too short, the last frame has no graphic control extension at all.
  ASSERT_TRUE(LoadBytes(picture, SolidGif(3, 3, {{0, 0, 3, 3, 0, 0, 1},
                                                 {0, 0, 3, 3, 1, 4, 1},
                                                 {0, 0, 3, 3, 2, 5, 1},
                                                 {0, 0, 3, 3, 3, 10, 1},
                                                 {0, 0, 3, 3, 0, 100, 1},
                                                 {0, 0, 3, 3, 1, -1, 0}})));
  ASSERT_EQ(6, picture.GetFrameCount());

  steering.HoldFrames();
  ASSERT_TRUE(picture.StartAnimation());
  ASSERT_TRUE(steering.WaitForWaits(1));
  EXPECT_TRUE(picture.IsPlaying());
  for (int i = 0; i < 6; ++i) ASSERT_TRUE(steering.Step()) << i;
  picture.StopAnimation();
  EXPECT_FALSE(picture.IsPlaying());
  const std::vector<DWORD> expected = {100, 100, 50, 100, 1000, 100, 100};
  EXPECT_EQ(expected, steering.Waits());
}

// Screen 4 x 2, at first all in the menu colour (m); the background is the button face (bg), a
// colour of its own while the tests run. F0 fills the top row (kept), F1 the left half (restored
// to the background), F2 the right half (restored to what was under it), F3 the bottom-left pixel
// (kept). Each state is checked after a stop, and each restart resumes at the frame on show.
TEST_F(PictureAnimation, DisposalsBackgroundFillAndResumingAfterAStop) {
  const SolidFrame f0{0, 0, 4, 1, 1, 10, 1}, f1{0, 0, 2, 2, 2, 10, 2}, f2{2, 0, 2, 2, 3, 10, 3},
      f3{0, 1, 1, 1, 0, 10, 1};
  ASSERT_TRUE(LoadBytes(picture, SolidGif(4, 2, {f0, f1, f2, f3})));
  const COLORREF m = ::GetSysColor(COLOR_MENU), bg = ::GetSysColor(COLOR_BTNFACE);
  const COLORREF c0 = PaletteColour(0, 2), c1 = PaletteColour(1, 2), c2 = PaletteColour(2, 2),
                 c3 = PaletteColour(3, 2);
  auto rectOf = [](const SolidFrame& f) {
    return RECT{f.left, f.top, f.left + f.width, f.top + f.height};
  };
  auto expectSurface = [&](const char* state, std::vector<COLORREF> rows) {
    const std::vector<COLORREF> pixels = Pixels();
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 4; ++x)
        EXPECT_EQ(rows[y * 4 + x], At(pixels, 4, x, y)) << state << " at " << x << "," << y;
  };
  steering.HoldFrames();

  // First start: F0 is drawn and waited for.
  ASSERT_TRUE(picture.StartAnimation());
  ASSERT_TRUE(steering.WaitForWaits(1));
  picture.StopAnimation();
  EXPECT_EQ(0, picture.GetCurrentFrame());
  expectSurface("F0", {c1, c1, c1, c1, m, m, m, m});

  // Resumes at F0 (drawn again), then goes on to F1.
  ASSERT_TRUE(picture.StartAnimation());
  ASSERT_TRUE(steering.WaitForWaits(2));
  EXPECT_TRUE(SameRect(rectOf(f0), LastDraw()));
  ASSERT_TRUE(steering.Step());
  picture.StopAnimation();
  EXPECT_EQ(1, picture.GetCurrentFrame());
  expectSurface("F1", {c2, c2, c1, c1, c2, c2, m, m});

  // Resumes at F1: disposed of (background) and drawn again. Then F1 goes to the background and
  // F2 is drawn over what it keeps.
  ASSERT_TRUE(picture.StartAnimation());
  ASSERT_TRUE(steering.WaitForWaits(4));
  EXPECT_TRUE(SameRect(rectOf(f1), LastDraw()));
  ASSERT_TRUE(steering.Step());
  picture.StopAnimation();
  EXPECT_EQ(2, picture.GetCurrentFrame());
  expectSurface("F2", {bg, bg, c3, c3, bg, bg, c3, c3});

  // Resumes at F2: the area saved before the first run drew it is put back, saved again and F2
  // drawn again. Then F2's area returns to what was under it, and F3 is drawn.
  ASSERT_TRUE(picture.StartAnimation());
  ASSERT_TRUE(steering.WaitForWaits(6));
  EXPECT_TRUE(SameRect(rectOf(f2), LastDraw()));
  ASSERT_TRUE(steering.Step());
  picture.StopAnimation();
  EXPECT_EQ(3, picture.GetCurrentFrame());
  expectSurface("F3", {bg, bg, c1, c1, c0, bg, m, m});

  // After the last frame the whole surface is filled with the background before F0: F3's pixel
  // goes, though F3 itself is kept.
  ASSERT_TRUE(picture.StartAnimation());
  ASSERT_TRUE(steering.WaitForWaits(8));
  ASSERT_TRUE(steering.Step());
  picture.StopAnimation();
  EXPECT_EQ(0, picture.GetCurrentFrame());
  expectSurface("F0 again", {c1, c1, c1, c1, bg, bg, bg, bg});
}

// The thread is held inside a draw (with the surface's lock) when the stop gives up on it; the
// control restarts at once. The old thread finishes that one draw, then neither draws again nor
// runs on, while the new one plays.
TEST_F(PictureAnimation, StragglerCannotDrawAfterARestart) {
  ASSERT_TRUE(LoadBytes(picture, SolidGif(4, 2, {{0, 0, 4, 2, 1, 10, 1},
                                                 {0, 0, 4, 2, 2, 10, 1},
                                                 {0, 0, 4, 2, 3, 10, 1}})));
  steering.HoldFrames();
  ASSERT_TRUE(picture.StartAnimation());
  ASSERT_TRUE(steering.WaitForWaits(1));
  const DWORD oldThread = LastDrawingThread();

  steering.BlockNextDraw();
  steering.Proceed();
  ASSERT_TRUE(steering.WaitUntilBlocked(5000));
  steering.AbandonJoins();
  picture.StopAnimation();  // gives up on the thread at once
  EXPECT_FALSE(picture.IsPlaying());
  EXPECT_EQ(1, picture.GetCurrentFrame());
  ASSERT_EQ(1u, steering.JoinedThreads().size());
  const HANDLE old = steering.JoinedThreads()[0];
  EXPECT_FALSE(Ended(old, 0));

  steering.RealJoins();
  ASSERT_TRUE(picture.StartAnimation());
  steering.ReleaseDraw();
  ASSERT_TRUE(Ended(old));
  ASSERT_TRUE(steering.WaitForWaits(2));
  ASSERT_TRUE(steering.Step());
  ASSERT_TRUE(steering.Step());
  picture.StopAnimation();

  EXPECT_EQ(2u, steering.DrawsBy(oldThread)) << "F0, and F1 that it was inside when stopped";
  const DWORD newThread = LastDrawingThread();
  EXPECT_NE(oldThread, newThread);
  EXPECT_EQ(steering.Draws().size() - 2, steering.DrawsBy(newThread));
  EXPECT_EQ(0, picture.GetCurrentFrame());
  for (COLORREF c : Pixels()) EXPECT_EQ(PaletteColour(1, 2), c);
}

// The same straggler while the control releases its picture, loads another and plays it: the
// new surface is a different one, so the new thread is not even held up by the old one's lock.
TEST_F(PictureAnimation, StragglerKeepsItsOwnPicturesAndSurfaceThroughAReload) {
  ASSERT_TRUE(LoadBytes(picture, SolidGif(4, 2, {{0, 0, 4, 2, 1, 10, 1}, {0, 0, 4, 2, 2, 10, 1}})));
  steering.HoldFrames();
  ASSERT_TRUE(picture.StartAnimation());
  ASSERT_TRUE(steering.WaitForWaits(1));
  const DWORD oldThread = LastDrawingThread();
  steering.BlockNextDraw();
  steering.Proceed();
  ASSERT_TRUE(steering.WaitUntilBlocked(5000));
  steering.AbandonJoins();

  picture.ReleasePicture();
  steering.RealJoins();
  ASSERT_TRUE(LoadBytes(picture, SolidGif(3, 3, {{0, 0, 3, 3, 3, 10, 1}, {0, 0, 3, 3, 0, 10, 1}})));
  ASSERT_TRUE(picture.StartAnimation());
  ASSERT_TRUE(steering.WaitForWaits(2));  // the new thread drew and waits, the old one is held
  ASSERT_TRUE(steering.Step());
  picture.StopAnimation();
  std::vector<COLORREF> pixels = Pixels();
  for (COLORREF c : pixels) EXPECT_EQ(PaletteColour(0, 2), c);

  const HANDLE old = steering.JoinedThreads()[0];
  EXPECT_FALSE(Ended(old, 0));
  steering.ReleaseDraw();
  ASSERT_TRUE(Ended(old));
  EXPECT_EQ(2u, steering.DrawsBy(oldThread));
  // The old thread finished on the released surface; the new one is untouched.
  pixels = Pixels();
  for (COLORREF c : pixels) EXPECT_EQ(PaletteColour(0, 2), c);
}

// A straggler held while its window is destroyed and the control object deleted: it ends on its
// own, with the session's event, pictures and surface still valid until it lets go of them.
TEST_F(PictureAnimation, StragglerOutlivesTheWindowAndTheControl) {
  HWND placeholder = ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 60, 10, 21, 18,
                                       window.Frame(), nullptr, ::GetModuleHandleA(nullptr), nullptr);
  auto control = std::make_unique<CPictureExWnd>(steering.Edge());
  ASSERT_TRUE(control->SubclassWindow(placeholder));
  ASSERT_TRUE(control->LoadFromResource(IDR_BUSY_GIF, "gif"));
  steering.HoldFrames();
  ASSERT_TRUE(control->StartAnimation());
  ASSERT_TRUE(steering.WaitForWaits(1));
  const DWORD thread = LastDrawingThread();
  steering.BlockNextDraw();
  steering.Proceed();
  ASSERT_TRUE(steering.WaitUntilBlocked(5000));
  steering.AbandonJoins();

  ::DestroyWindow(placeholder);  // WM_DESTROY stops the animation, giving up on the thread
  ASSERT_EQ(1u, steering.JoinedThreads().size());
  control.reset();
  const HANDLE straggler = steering.JoinedThreads()[0];
  EXPECT_FALSE(Ended(straggler, 0));
  steering.ReleaseDraw();
  ASSERT_TRUE(Ended(straggler));
  EXPECT_EQ(2u, steering.DrawsBy(thread));
  DWORD code = 1;
  ::GetExitCodeThread(straggler, &code);
  EXPECT_EQ(0u, code);
}

TEST_F(PictureAnimation, DestroyingTheWindowStopsTheThread) {
  ASSERT_TRUE(picture.LoadFromResource(IDR_BUSY_GIF, "gif"));
  ASSERT_TRUE(picture.StartAnimation());
  ASSERT_TRUE(wintest::PumpUntil([&] { return picture.IsPlaying() != FALSE; }, 5000));
  window.Destroy();
  EXPECT_FALSE(picture.IsPlaying());
  ASSERT_EQ(1u, steering.JoinedThreads().size());
  EXPECT_TRUE(Ended(steering.JoinedThreads()[0], 0));
}

// Paints of one window, counted by subclassing it.
class PaintCounter {
 public:
  explicit PaintCounter(HWND window) : m_window(window) {
    s_self = this;
    m_original = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Count)));
  }
  ~PaintCounter() {
    ::SetWindowLongPtrA(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_original));
    s_self = nullptr;
  }
  int paints = 0;

 private:
  static LRESULT CALLBACK Count(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) ++s_self->paints;
    return ::CallWindowProcA(s_self->m_original, window, message, wParam, lParam);
  }
  static PaintCounter* s_self;
  HWND m_window;
  WNDPROC m_original = nullptr;
};
PaintCounter* PaintCounter::s_self = nullptr;

// Mended: a control that was never attached to a window invalidated the whole desktop at every
// frame (InvalidateRect with no window), so every window on it was painted again.
TEST(PictureUnattached, PlaysWithoutRepaintingTheDesktop) {
  TestWindow window;
  PaintCounter counter(window.Frame());
  ::ShowWindow(window.Frame(), SW_SHOW);
  ::UpdateWindow(window.Frame());
  // Whatever the display still sends a newly shown window arrives before the count starts.
  wintest::PumpUntil([] { return false; }, 300);
  ASSERT_GE(counter.paints, 1);
  counter.paints = 0;

  Steering steering;
  CPictureExWnd picture{steering.Edge()};
  ASSERT_TRUE(picture.LoadFromResource(IDR_BUSY_GIF, "gif"));
  steering.HoldFrames();
  ASSERT_TRUE(picture.StartAnimation());
  ASSERT_TRUE(steering.WaitForWaits(1));
  for (int frame = 0; frame < 5; ++frame) ASSERT_TRUE(steering.Step());
  picture.StopAnimation();
  wintest::PumpIdle();
  EXPECT_GE(steering.Draws().size(), 6u) << "the frames were drawn";
  EXPECT_EQ(0, counter.paints);
}

// Resource 239 in real time: the frames move on by themselves, the frame on show survives a stop.
TEST(PictureRealTime, BusyAnimationPlays) {
  TestWindow window;
  CPictureExWnd picture;
  ASSERT_TRUE(picture.SubclassWindow(window.Placeholder()));
  ASSERT_TRUE(picture.LoadFromResource(IDR_BUSY_GIF, "gif"));
  ASSERT_TRUE(picture.StartAnimation());
  ASSERT_TRUE(wintest::PumpUntil([&] { return picture.IsPlaying() != FALSE; }, 5000));
  int seen = 0, last = picture.GetCurrentFrame();
  ASSERT_TRUE(wintest::PumpUntil(
      [&] {
        const int now = picture.GetCurrentFrame();
        if (now != last) ++seen;
        last = now;
        return seen >= 3;
      },
      5000));
  picture.StopAnimation();
  EXPECT_FALSE(picture.IsPlaying());
  const int kept = picture.GetCurrentFrame();
  wintest::PumpIdle(300);
  EXPECT_EQ(kept, picture.GetCurrentFrame());
  const std::vector<COLORREF> pixels = Painted(picture);
  std::size_t drawn = 0;
  for (COLORREF c : pixels) drawn += c != ::GetSysColor(COLOR_MENU) ? 1 : 0;
  EXPECT_GT(drawn, 0u);
}

}  // namespace
