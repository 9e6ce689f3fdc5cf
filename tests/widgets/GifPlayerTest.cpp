// The player's steps, per GIF: made with GifBuilder, split, played for a number of steps from a
// starting frame, each step written out as text. A new behaviour of the animation is a new row.
#include "widgets/GifPlayer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GifBuilder.h"
#include "SplitGif.h"

namespace {

// "[save, ]draw F at L,T WxH, wait MS[, fill area | , restore][, fill surface]"
std::string Describe(const GifStep& s) {
  const GifArea& a = s.area;
  std::string text = s.savesArea ? "save, " : "";
  text += "draw " + std::to_string(s.frame) + " at " + std::to_string(a.left) + "," +
          std::to_string(a.top) + " " + std::to_string(a.width) + "x" + std::to_string(a.height) +
          ", wait " + std::to_string(s.waitMs);
  if (s.disposal == FrameDisposal::RestoreBackground) text += ", fill area";
  if (s.disposal == FrameDisposal::RestorePrevious) text += ", restore";
  if (s.fillsSurface) text += ", fill surface";
  return text;
}

std::vector<std::string> Play(const std::vector<GifFrameInfo>& frames, int first, std::size_t steps) {
  GifPlayer player(frames, first);
  std::vector<std::string> played;
  while (player.HasFrames() && played.size() < steps) {
    played.push_back(Describe(player.Step()));
    player.Advance();
  }
  return played;
}

GifFrameInfo Info(std::uint32_t delay, std::uint32_t disposal) {
  GifFrameInfo f;
  f.width = f.height = 4;
  f.delay = delay;
  f.disposal = disposal;
  return f;
}

struct Case {
  const char* what;
  std::vector<GifFrameInfo> frames;
  int first;
  std::vector<std::string> steps;
};

std::vector<Case> Cases() {
  std::vector<Case> cases;
  {
    GifBuilder gif(26, 26, 6);
    gif.GraphicControl(10, 1).Comment("made for the tests").Looping().Image(0, 0, 26, 26);
    for (int i = 1; i < 8; ++i) gif.GraphicControl(10, 1).Image(0, 0, 26, 26);
    gif.Trailer();
    std::vector<std::string> steps;
    for (int i = 0; i < 8; ++i)
      steps.push_back("draw " + std::to_string(i) + " at 0,0 26x26, wait 100" +
                      (i == 7 ? ", fill surface" : ""));
    steps.push_back("draw 0 at 0,0 26x26, wait 100");
    cases.push_back({"shaped like the busy animation: a turn of 800 ms", FrameInfos(gif.bytes()), 0,
                     steps});
  }
  {
    GifBuilder gif(8, 8, 2);
    for (std::uint16_t delay : {0, 4, 5, 10, 100, 0xFFFF})
      gif.GraphicControl(delay, 1).Image(0, 0, 8, 8);
    gif.Image(0, 0, 8, 8).Trailer();  // no graphic control: no delay of its own
    cases.push_back({"delays below 5 wait 100 ms, from 5 on ten per hundredth, none 100 ms",
                     FrameInfos(gif.bytes()), 0,
                     {"draw 0 at 0,0 8x8, wait 100", "draw 1 at 0,0 8x8, wait 100",
                      "draw 2 at 0,0 8x8, wait 50", "draw 3 at 0,0 8x8, wait 100",
                      "draw 4 at 0,0 8x8, wait 1000", "draw 5 at 0,0 8x8, wait 655350",
                      "draw 6 at 0,0 8x8, wait 100, fill surface"}});
  }
  cases.push_back({"delays beyond the field, which a GIF cannot hold, wait 100 ms",
                   {Info(0x10000, 0), Info(0x1999999A, 0)}, 0,  // 0x1999999A * 10 would wrap to 4
                   {"draw 0 at 0,0 4x4, wait 100", "draw 1 at 0,0 4x4, wait 100, fill surface"}});
  {
    GifBuilder gif(16, 16, 2);
    for (int d = 0; d < 8; ++d) gif.GraphicControl(10, d).Image(d, d + 1, 2, 3);
    gif.Trailer();
    cases.push_back({"disposal 2 fills the area, 3 saves and restores it, the others keep it",
                     FrameInfos(gif.bytes()), 0,
                     {"draw 0 at 0,1 2x3, wait 100", "draw 1 at 1,2 2x3, wait 100",
                      "draw 2 at 2,3 2x3, wait 100, fill area",
                      "save, draw 3 at 3,4 2x3, wait 100, restore", "draw 4 at 4,5 2x3, wait 100",
                      "draw 5 at 5,6 2x3, wait 100", "draw 6 at 6,7 2x3, wait 100",
                      "draw 7 at 7,8 2x3, wait 100, fill surface"}});
  }
  {
    GifBuilder gif(16, 16, 2);
    gif.PlainText(2, 3, 12, 8, "text first")  // no graphic control: the text grid, 100 ms
        .GraphicControl(20, 3).Image(1, 1, 8, 8)
        .GraphicControl(30, 2).Image(4, 4, 6, 6)
        .Trailer();
    const std::vector<GifFrameInfo> frames = FrameInfos(gif.bytes());
    cases.push_back({"resumed at the frame on show, round past the last to the first", frames, 2,
                     {"draw 2 at 4,4 6x6, wait 300, fill area, fill surface",
                      "draw 0 at 2,3 12x8, wait 100", "save, draw 1 at 1,1 8x8, wait 200, restore",
                      "draw 2 at 4,4 6x6, wait 300, fill area, fill surface"}});
    cases.push_back({"a start beyond the frames starts at the first", frames, 3,
                     {"draw 0 at 2,3 12x8, wait 100"}});
    cases.push_back({"a start before the frames starts at the first", frames, -1,
                     {"draw 0 at 2,3 12x8, wait 100"}});
  }
  cases.push_back({"nothing to play without frames", FrameInfos(GifBuilder(4, 4, 2).Trailer().bytes()),
                   0, {}});
  return cases;
}

TEST(GifPlayer, StepsPerGif) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(c.steps, Play(c.frames, c.first, c.steps.size() + (c.steps.empty() ? 3 : 0)));
  }
}

}  // namespace
