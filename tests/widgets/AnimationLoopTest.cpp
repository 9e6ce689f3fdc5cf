// The animation's platform-free decisions: waits, disposals, the order of drawing, the background
// fill after the last frame and resuming after a stop. The host records what the loop asks of it;
// its Wait only notes the time asked for, and stops the loop after a set number of waits.
#include "widgets/AnimationLoop.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "widgets/FrameTiming.h"

namespace {

using Log = std::vector<std::string>;

class RecordingHost : public AnimationHost {
 public:
  explicit RecordingHost(std::vector<GifFrameInfo> frames) : frames_(std::move(frames)) {}

  // The loop is stopped by the nth wait, as a stop during that wait would.
  void StopAtWait(int n) { stop_at_wait_ = n; }
  void StopAtRender(int n) { stop_at_render_ = n; }
  void FailRender(std::int32_t index) { failing_.insert(index); }
  void DropPicture(std::int32_t index) { without_picture_.insert(index); }
  void Restart() {
    exit_ = false;
    waits_ = renders_ = 0;
    log.clear();
  }

  std::int32_t FrameCount() const override { return static_cast<std::int32_t>(frames_.size()); }
  const GifFrameInfo& Frame(std::int32_t index) const override { return frames_.at(index); }
  bool HasPicture(std::int32_t index) const override { return without_picture_.count(index) == 0; }
  bool ExitRequested() const override { return exit_; }

  void Wait(std::uint32_t milliseconds) override {
    log.push_back("wait " + std::to_string(milliseconds));
    waited_ms += milliseconds;
    if (++waits_ == stop_at_wait_) exit_ = true;
  }
  void SaveArea(const GifFrameInfo& f) override { log.push_back("save " + Rect(f)); }
  bool Render(std::int32_t index) override {
    log.push_back("render " + std::to_string(index));
    if (++renders_ == stop_at_render_) exit_ = true;
    return failing_.count(index) == 0;
  }
  void Invalidate() override { log.push_back("invalidate"); }
  void FillFrameArea(const GifFrameInfo& f) override { log.push_back("fill " + Rect(f)); }
  void RestoreArea(const GifFrameInfo& f) override { log.push_back("restore " + Rect(f)); }
  void FillSurface() override { log.push_back("fill surface"); }

  Log log;
  std::uint64_t waited_ms = 0;

 private:
  static std::string Rect(const GifFrameInfo& f) {
    return std::to_string(f.left) + "," + std::to_string(f.top) + " " + std::to_string(f.width) +
           "x" + std::to_string(f.height);
  }

  std::vector<GifFrameInfo> frames_;
  std::set<std::int32_t> failing_;
  std::set<std::int32_t> without_picture_;
  bool exit_ = false;
  int waits_ = 0;
  int renders_ = 0;
  int stop_at_wait_ = -1;
  int stop_at_render_ = -1;
};

GifFrameInfo Frame(std::uint32_t delay, std::uint32_t disposal, int left = 0, int top = 0,
                   int width = 26, int height = 26) {
  GifFrameInfo f;
  f.left = left;
  f.top = top;
  f.width = width;
  f.height = height;
  f.delay = delay;
  f.disposal = disposal;
  return f;
}

TEST(FrameTiming, WaitsTenMillisecondsPerHundredthFromFiveOn) {
  EXPECT_EQ(100u, FrameWaitMilliseconds(0));
  EXPECT_EQ(100u, FrameWaitMilliseconds(4));
  EXPECT_EQ(50u, FrameWaitMilliseconds(5));
  EXPECT_EQ(100u, FrameWaitMilliseconds(10));
  EXPECT_EQ(1000u, FrameWaitMilliseconds(100));
  EXPECT_EQ(655350u, FrameWaitMilliseconds(0xFFFF));
  // No graphic control extension: not 0xFFFFFFFF * 10 (wrapped or not), but the short default.
  EXPECT_EQ(100u, FrameWaitMilliseconds(kNoFrameDelay));
  EXPECT_EQ(100u, FrameWaitMilliseconds(0x10000));
  EXPECT_EQ(100u, FrameWaitMilliseconds(0x1999999A));  // whose 32-bit product would wrap to 4
}

TEST(FrameTiming, OnlyDisposalsTwoAndThreeDoAnything) {
  EXPECT_EQ(FrameDisposal::RestoreBackground, DisposalOf(2));
  EXPECT_EQ(FrameDisposal::RestorePrevious, DisposalOf(3));
  for (std::uint32_t d : {0u, 1u, 4u, 5u, 6u, 7u, 8u, 0xFFFFFFFFu})
    EXPECT_EQ(FrameDisposal::Keep, DisposalOf(d)) << d;
  EXPECT_TRUE(SavesAreaUnderFrame(3));
  EXPECT_FALSE(SavesAreaUnderFrame(2));
}

TEST(AnimationLoop, BusyAnimationTurnTakes800MsAndFillsAfterTheLastFrame) {
  RecordingHost host(std::vector<GifFrameInfo>(8, Frame(10, 1)));
  host.StopAtWait(9);  // the ninth wait is frame 0's again
  FrameCursor cursor;
  RunAnimationLoop(host, cursor);

  Log expected;
  for (int turn = 0; turn < 2; ++turn) {
    for (int i = 0; i < (turn == 0 ? 8 : 1); ++i) {
      expected.push_back("render " + std::to_string(i));
      expected.push_back("invalidate");
      expected.push_back("wait 100");
    }
    if (turn == 0) expected.push_back("fill surface");
  }
  EXPECT_EQ(expected, host.log);
  EXPECT_EQ(900u, host.waited_ms);
  EXPECT_EQ(0, cursor.Current());
}

TEST(AnimationLoop, DisposalTwoFillsAndThreeRestoresAfterTheWait) {
  RecordingHost host({Frame(5, 2, 1, 2, 3, 4), Frame(kNoFrameDelay, 3, 5, 6, 7, 8), Frame(2, 0)});
  host.StopAtWait(3);
  FrameCursor cursor;
  RunAnimationLoop(host, cursor);
  const Log expected = {
      "fill 1,2 3x4",  // the opening disposal: harmless before anything is drawn
      "render 0",     "invalidate", "wait 50",  "fill 1,2 3x4",
      "save 5,6 7x8", "render 1",   "invalidate", "wait 100", "restore 5,6 7x8",
      "render 2",     "invalidate", "wait 100",
  };
  EXPECT_EQ(expected, host.log);
  EXPECT_EQ(2, cursor.Current());
}

TEST(AnimationLoop, FailedRenderSkipsInvalidateButKeepsWaitAndDisposal) {
  RecordingHost host({Frame(10, 2, 0, 0, 2, 2), Frame(10, 1)});
  host.FailRender(0);
  host.StopAtWait(2);
  FrameCursor cursor;
  RunAnimationLoop(host, cursor);
  const Log expected = {"fill 0,0 2x2", "render 0", "wait 100", "fill 0,0 2x2",
                        "render 1",     "invalidate", "wait 100"};
  EXPECT_EQ(expected, host.log);
}

TEST(AnimationLoop, RestartResumesAtTheFrameOnShowAfterDisposingOfIt) {
  RecordingHost host({Frame(10, 1), Frame(10, 3, 4, 4, 8, 8), Frame(10, 2, 1, 1, 2, 2)});
  host.StopAtWait(2);  // stopped while frame 1 is on show
  FrameCursor cursor;
  RunAnimationLoop(host, cursor);
  EXPECT_EQ(1, cursor.Current());
  EXPECT_EQ("wait 100", host.log.back());  // neither disposed of nor advanced

  host.Restart();
  host.StopAtWait(2);
  RunAnimationLoop(host, cursor);
  const Log expected = {
      "restore 4,4 8x8",                                     // frame 1, on show at the stop
      "save 4,4 8x8",    "render 1", "invalidate", "wait 100", "restore 4,4 8x8",
      "render 2",        "invalidate", "wait 100",
  };
  EXPECT_EQ(expected, host.log);
  EXPECT_EQ(2, cursor.Current());

  // Stopped again while frame 2 is on show: its disposal 2 opens the next run.
  host.Restart();
  host.StopAtWait(1);
  RunAnimationLoop(host, cursor);
  EXPECT_EQ("fill 1,1 2x2", host.log.front());
}

TEST(AnimationLoop, ExitDuringRenderEndsBeforeTheWait) {
  RecordingHost host({Frame(10, 2), Frame(10, 1)});
  host.StopAtRender(1);
  FrameCursor cursor;
  RunAnimationLoop(host, cursor);
  const Log expected = {"fill 0,0 26x26", "render 0", "invalidate"};
  EXPECT_EQ(expected, host.log);
  EXPECT_EQ(0, cursor.Current());
}

TEST(AnimationLoop, FramesWithoutPicturesAreSkippedWithoutWaiting) {
  RecordingHost host({Frame(10, 2), Frame(20, 1), Frame(30, 2)});
  host.DropPicture(0);
  host.DropPicture(2);
  host.StopAtWait(2);
  FrameCursor cursor;
  RunAnimationLoop(host, cursor);
  const Log expected = {"fill 0,0 26x26",  // the opening disposal of frame 0 still applies
                        "render 1", "invalidate", "wait 200", "fill surface",
                        "render 1", "invalidate", "wait 200"};
  EXPECT_EQ(expected, host.log);
}

TEST(AnimationLoop, NothingToDrawReturnsAtOnce) {
  RecordingHost empty({});
  FrameCursor cursor;
  RunAnimationLoop(empty, cursor);
  EXPECT_TRUE(empty.log.empty());

  RecordingHost blank({Frame(10, 2), Frame(10, 2)});
  blank.DropPicture(0);
  blank.DropPicture(1);
  RunAnimationLoop(blank, cursor);  // would otherwise spin without ever waiting
  EXPECT_TRUE(blank.log.empty());
}

TEST(AnimationLoop, CursorBeyondTheFramesStartsAtFrameZero) {
  FrameCursor cursor;
  for (int i = 0; i < 5; ++i) cursor.Advance(10);
  EXPECT_EQ(5, cursor.Current());
  RecordingHost host({Frame(10, 1), Frame(10, 1)});
  host.StopAtWait(1);
  RunAnimationLoop(host, cursor);
  EXPECT_EQ("render 0", host.log.front());

  EXPECT_FALSE(cursor.Advance(2));
  EXPECT_TRUE(cursor.Advance(2));
  EXPECT_EQ(0, cursor.Current());
  cursor.Advance(2);
  cursor.Reset();
  EXPECT_EQ(0, cursor.Current());
}

}  // namespace
