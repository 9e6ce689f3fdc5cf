// The GIF frame splitter: block classification and lengths, the frame walk, the one-image GIFs,
// and its behaviour on data that is cut off or odd (run these under ASan: every walk reads an
// exact-size heap copy).
#include "widgets/GifSplitter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

#include "GifBuilder.h"
#include "SplitGif.h"

namespace {

Bytes Slice(const Bytes& data, std::size_t offset, std::size_t length) {
  return Bytes(data.begin() + offset, data.begin() + offset + length);
}

// The one-image GIF a frame must become: the data's header and global table, the span, a trailer.
Bytes OneImageGif(const GifBuilder& gif, std::size_t span_start, std::size_t span_end) {
  Bytes expected = Slice(gif.bytes(), 0, gif.header_size());
  const Bytes span = Slice(gif.bytes(), span_start, span_end - span_start);
  expected.insert(expected.end(), span.begin(), span.end());
  expected.push_back(0x3B);
  return expected;
}

// Shaped like the busy animation: 26 x 26, a 64-entry global table (packed byte 0xF5), eight
// full-size frames with delay 10 and disposal 1; the first frame carries a comment and the looping
// extension between its graphic control extension and its image.
GifBuilder BusyLikeGif() {
  GifBuilder gif(26, 26, 6);
  gif.GraphicControl(10, 1).Comment("made for the tests").Looping().Image(0, 0, 26, 26);
  for (int i = 1; i < 8; ++i) gif.GraphicControl(10, 1).Image(0, 0, 26, 26);
  gif.Trailer();
  return gif;
}

class Walker {
 public:
  explicit Walker(const Bytes& data)
      : copy_(new std::uint8_t[data.empty() ? 1 : data.size()]), size_(data.size()) {
    if (!data.empty()) std::memcpy(copy_.get(), data.data(), data.size());
    EXPECT_TRUE(walker.Attach(copy_.get(), size_));
  }
  GifBlockWalker walker;

 private:
  std::unique_ptr<std::uint8_t[]> copy_;
  std::size_t size_;
};

TEST(GifBlocks, ClassifiesEveryIntroducerAndLabel) {
  struct Case {
    Bytes block;
    GifBlockKind kind;
  };
  const Case cases[] = {
      {{0x21, 0xFF}, GifBlockKind::ApplicationExtension},
      {{0x21, 0xFE}, GifBlockKind::CommentExtension},
      {{0x21, 0xF9}, GifBlockKind::GraphicControlExtension},
      {{0x21, 0x01}, GifBlockKind::PlainTextExtension},
      {{0x2C, 0x00}, GifBlockKind::ImageDescriptor},
      {{0x3B, 0x00}, GifBlockKind::Trailer},
      {{0x21, 0x02}, GifBlockKind::Unrecognised},
      {{0x21, 0x00}, GifBlockKind::Unrecognised},
      {{0x00, 0x00}, GifBlockKind::Unrecognised},
      {{0xFF, 0xFF}, GifBlockKind::Unrecognised},
      {{0x21}, GifBlockKind::Unrecognised},  // an introducer as the very last byte
      {{}, GifBlockKind::Unrecognised},      // the parse offset at the end of the data
  };
  for (const Case& c : cases) {
    GifBuilder gif(1, 1, 0);
    gif.Raw(c.block);
    Walker w(gif.bytes());
    EXPECT_EQ(c.kind, w.walker.ClassifyBlock()) << "block of " << c.block.size() << " bytes";
    if (c.kind == GifBlockKind::Unrecognised) {
      EXPECT_EQ(-1, w.walker.BlockLength());
    }
  }
}

TEST(GifBlocks, OffsetsOutsideTheDataAreUnrecognised) {
  Walker w(BusyLikeGif().bytes());
  for (std::int32_t offset : {-1, -13, w.walker.DataSize(), w.walker.DataSize() + 1,
                              std::numeric_limits<std::int32_t>::max()}) {
    w.walker.SetParseOffset(offset);
    EXPECT_EQ(GifBlockKind::Unrecognised, w.walker.ClassifyBlock()) << offset;
    EXPECT_FALSE(w.walker.AdvancePastBlock()) << offset;
    EXPECT_EQ(offset, w.walker.ParseOffset());
  }
}

TEST(GifBlocks, LengthsMatchEveryKindOfBlock) {
  GifBuilder gif(40, 30, 3);
  gif.Comment("")                                      // empty chain: just the terminator
      .Comment(std::string(600, 'c'))                  // three sub-blocks
      .Application("XMPDataXMP ", Bytes(300, 0x7F))   // application chain beyond one sub-block
      .Looping()
      .GraphicControl(7, 2, true, 3)
      .Image(1, 2, 30, 20)                             // no local table
      .GraphicControl(0, 0)
      .Image(3, 4, 5, 6, 8)                            // 256-entry local table
      .PlainText(0, 0, 40, 30, std::string(260, 't'))
      .Trailer();
  Walker w(gif.bytes());
  ASSERT_EQ(gif.header_size(), static_cast<std::size_t>(w.walker.ParseOffset()));
  EXPECT_EQ(24, w.walker.GlobalColourTableSize());
  for (const GifBuilder::Block& b : gif.blocks()) {
    ASSERT_EQ(b.offset, static_cast<std::size_t>(w.walker.ParseOffset()));
    EXPECT_EQ(static_cast<std::int32_t>(b.length), w.walker.BlockLength()) << "at " << b.offset;
    ASSERT_TRUE(w.walker.AdvancePastBlock());
  }
  EXPECT_EQ(w.walker.DataSize(), w.walker.ParseOffset());

  // The chain of the first (empty) comment is one byte; of the second, 600 + 3 + 1.
  EXPECT_EQ(1, w.walker.SubBlockChainLength(static_cast<std::int32_t>(gif.block(0).offset + 2)));
  EXPECT_EQ(604, w.walker.SubBlockChainLength(static_cast<std::int32_t>(gif.block(1).offset + 2)));
}

TEST(GifBlocks, FixedHeaderSizesAreTrustedOverTheBlockSizeBytes) {
  // A graphic control extension is always 8 bytes and an application header 14, whatever their
  // block-size bytes say.
  Bytes odd_gce = {0x21, 0xF9, 0x09, 0x00, 0x0A, 0x00, 0x00, 0x00};
  Bytes odd_app = {0x21, 0xFF, 0x02, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', '1', '2', '3', 0x00};
  GifBuilder gif(1, 1, 0);
  gif.Raw(odd_gce).Raw(odd_app).Trailer();
  Walker w(gif.bytes());
  EXPECT_EQ(8, w.walker.BlockLength());
  ASSERT_TRUE(w.walker.AdvancePastBlock());
  EXPECT_EQ(15, w.walker.BlockLength());
}

TEST(GifBlocks, ABlockEndingExactlyAtTheEndIsAcceptedOneByteShortIsNot) {
  GifBuilder gif(2, 2, 1);
  gif.Comment("end");
  Bytes data = gif.bytes();
  {
    Walker w(data);
    EXPECT_TRUE(w.walker.AdvancePastBlock());
    EXPECT_EQ(w.walker.DataSize(), w.walker.ParseOffset());
  }
  data.pop_back();  // the chain's terminator
  Walker w(data);
  EXPECT_EQ(GifBlockKind::CommentExtension, w.walker.ClassifyBlock());
  EXPECT_GT(w.walker.ParseOffset() + w.walker.BlockLength(), w.walker.DataSize());
  EXPECT_FALSE(w.walker.AdvancePastBlock());
  EXPECT_EQ(static_cast<std::int32_t>(gif.header_size()), w.walker.ParseOffset());
}

TEST(GifBlocks, ChainsRunningPastTheEndMeasureBeyondTheData) {
  // A length byte promising more than is there, at every distance from the end.
  for (int promised = 2; promised <= 255; promised += 23) {
    GifBuilder gif(2, 2, 1);
    gif.Raw({0x21, 0xFE, static_cast<std::uint8_t>(promised), 'x'});
    Walker w(gif.bytes());
    const std::int32_t chain = static_cast<std::int32_t>(gif.header_size()) + 2;
    // The sub-block at the length it claims, then the missing terminator.
    EXPECT_EQ(promised + 2, w.walker.SubBlockChainLength(chain));
    EXPECT_GT(chain + w.walker.SubBlockChainLength(chain), w.walker.DataSize());
    EXPECT_FALSE(w.walker.AdvancePastBlock());
  }
  // Positions outside the data measure as a bare terminator.
  Walker w(BusyLikeGif().bytes());
  EXPECT_EQ(1, w.walker.SubBlockChainLength(-5));
  EXPECT_EQ(1, w.walker.SubBlockChainLength(w.walker.DataSize()));
  EXPECT_EQ(1, w.walker.SubBlockChainLength(std::numeric_limits<std::int32_t>::max()));
}

// Runs of full sub-blocks are measured several at a time; runs broken by short sub-blocks at
// every place, and chains cut at every length, must measure exactly as one at a time would.
TEST(GifBlocks, LongChainsOfFullAndShortSubBlocks) {
  const std::vector<std::vector<int>> chains = {
      std::vector<int>(40, 255),
      {255, 255, 255, 255, 255, 255, 255, 3, 255, 255, 255, 255, 255, 255, 255, 255, 255, 1},
      {1, 255, 255, 255, 255, 255, 255, 255, 255, 255, 254, 255, 255, 255, 255, 255, 255, 255, 255,
       255, 255, 255, 255, 255, 255, 255, 255, 255, 7},
      {255, 255, 255, 255, 255, 255, 255, 255},
  };
  for (const std::vector<int>& lengths : chains) {
    Bytes comment = {0x21, 0xFE};
    std::size_t chain_length = 1;
    for (int n : lengths) {
      comment.push_back(static_cast<std::uint8_t>(n));
      comment.insert(comment.end(), static_cast<std::size_t>(n), static_cast<std::uint8_t>(n));
      chain_length += n + 1;
    }
    comment.push_back(0);
    GifBuilder gif(4, 4, 1);
    gif.Raw(comment).GraphicControl(10, 1).Image(0, 0, 4, 4).Trailer();
    {
      Walker w(gif.bytes());
      EXPECT_EQ(static_cast<std::int32_t>(chain_length),
                w.walker.SubBlockChainLength(w.walker.ParseOffset() + 2));
      EXPECT_EQ(1, SplitExact(gif.bytes()).counted);
    }
    for (std::size_t n = gif.header_size() + 2; n < gif.header_size() + comment.size(); ++n) {
      Walker w(Slice(gif.bytes(), 0, n));
      ASSERT_FALSE(w.walker.AdvancePastBlock()) << n;
      ASSERT_GT(w.walker.ParseOffset() + w.walker.BlockLength(), w.walker.DataSize()) << n;
    }
  }
}

TEST(GifBlocks, ImageDescriptorCutBeforeItsPackedByteDoesNotFit) {
  GifBuilder gif(8, 8, 1);
  gif.Raw({0x2C, 0, 0, 0, 0, 8, 0, 8});  // geometry, but no packed byte
  Walker w(gif.bytes());
  EXPECT_EQ(GifBlockKind::ImageDescriptor, w.walker.ClassifyBlock());
  EXPECT_FALSE(w.walker.AdvancePastBlock());
  EXPECT_EQ(0, SplitExact(gif.bytes()).counted);
}

TEST(GifHeader, ReadsScreenAndGlobalTableAndRefusesWhatItCannotWalk) {
  GifBuilder gif(640, 480, 8);
  Walker w(gif.bytes());
  EXPECT_EQ(640, w.walker.ScreenWidth());
  EXPECT_EQ(480, w.walker.ScreenHeight());
  EXPECT_EQ(768, w.walker.GlobalColourTableSize());
  EXPECT_EQ(13 + 768, w.walker.FirstBlockOffset());

  GifBlockWalker walker;
  EXPECT_FALSE(walker.Attach(nullptr, 10));
  // Refused on the size alone: the data is never touched.
  const std::uint8_t byte = 'G';
  EXPECT_FALSE(walker.Attach(&byte, std::size_t{1} << 31));
  EXPECT_FALSE(walker.IsAttached());
  EXPECT_FALSE(walker.AdvancePastBlock());
  EXPECT_FALSE(walker.AdvancePastFrame());
  const GifFrameSink none = [](const GifSplit&, GifSplitFrame&) { ADD_FAILURE(); };
  EXPECT_EQ(0, SplitGif(nullptr, 10, none).counted);
  EXPECT_EQ(0, SplitGif(&byte, std::size_t{1} << 31, none).counted);

  EXPECT_FALSE(HasGifSignature(nullptr, 3));
  EXPECT_FALSE(HasGifSignature(gif.bytes().data(), 2));
  EXPECT_TRUE(HasGifSignature(gif.bytes().data(), 3));
}

TEST(GifHeader, ShortHeadersHaveNoFrames) {
  // Every length of a header that declares a 768-byte table but stops short of it, and of the
  // bare 13-byte header.
  GifBuilder gif(26, 26, 8);
  for (std::size_t n = 0; n < gif.header_size(); n += (n < 20 ? 1 : 97)) {
    const SplitResult r = SplitExact(Slice(gif.bytes(), 0, n));
    EXPECT_EQ(0, r.counted) << n;
    EXPECT_TRUE(r.frames.empty()) << n;
  }
  Walker w(Slice(gif.bytes(), 0, 11));  // packed byte present, screen size present
  EXPECT_EQ(768, w.walker.GlobalColourTableSize());
  EXPECT_EQ(26, w.walker.ScreenWidth());
  Walker tiny(Slice(gif.bytes(), 0, 7));  // height and packed byte missing: read as 0
  EXPECT_EQ(0, tiny.walker.GlobalColourTableSize());
  EXPECT_EQ(0, tiny.walker.ScreenHeight());
  EXPECT_EQ(0, tiny.walker.ScreenWidth());
}

TEST(GifFrames, BusyLikeGifYieldsEightFramesWithTheirSpans) {
  const GifBuilder gif = BusyLikeGif();
  const SplitResult r = SplitExact(gif.bytes());
  ASSERT_EQ(8, r.counted);
  ASSERT_EQ(8u, r.frames.size());
  EXPECT_EQ(205u, gif.header_size());

  // Frame 0: graphic control, comment, looping extension and image (blocks 0 to 3).
  EXPECT_EQ(OneImageGif(gif, gif.block(0).offset, gif.block(3).offset + gif.block(3).length),
            r.frames[0].image);
  for (std::size_t i = 1; i < 8; ++i) {
    const std::size_t gce = 4 + 2 * (i - 1);
    EXPECT_EQ(OneImageGif(gif, gif.block(gce).offset,
                          gif.block(gce + 1).offset + gif.block(gce + 1).length),
              r.frames[i].image)
        << "frame " << i;
    EXPECT_EQ(gif.block(gce).offset, static_cast<std::size_t>(r.frames[i].offset));
  }
  for (const SplitFrame& f : r.frames) {
    EXPECT_EQ(0, std::memcmp(f.image.data(), gif.bytes().data(), 205));
    EXPECT_EQ(26, f.info.width);
    EXPECT_EQ(26, f.info.height);
    EXPECT_EQ(0, f.info.left);
    EXPECT_EQ(0, f.info.top);
    EXPECT_EQ(10u, f.info.delay);
    EXPECT_EQ(1u, f.info.disposal);
  }
}

TEST(GifFrames, ExtensionsBeforeTheGraphicControlAreSkippedThoseAfterItAreKept) {
  GifBuilder gif(10, 10, 1);
  gif.Comment("before").Looping(3)                            // 0, 1: skipped
      .GraphicControl(20, 2).Comment("inside").Image(0, 0, 10, 10)  // 2..4: frame 0
      .Application("ANIMEXTS1.0", {1, 0, 0}).Comment("between")      // 5, 6: skipped
      .GraphicControl(30, 3).Looping().Comment("in").Image(2, 3, 4, 5)  // 7..10: frame 1
      .Comment("after").Trailer();
  const SplitResult r = SplitExact(gif.bytes());
  ASSERT_EQ(2, r.counted);
  ASSERT_EQ(2u, r.frames.size());
  EXPECT_EQ(OneImageGif(gif, gif.block(2).offset, gif.block(4).offset + gif.block(4).length),
            r.frames[0].image);
  EXPECT_EQ(OneImageGif(gif, gif.block(7).offset, gif.block(10).offset + gif.block(10).length),
            r.frames[1].image);
  EXPECT_EQ(20u, r.frames[0].info.delay);
  EXPECT_EQ(2u, r.frames[0].info.disposal);
  EXPECT_EQ(30u, r.frames[1].info.delay);
  EXPECT_EQ(3u, r.frames[1].info.disposal);
  EXPECT_EQ(2, r.frames[1].info.left);
  EXPECT_EQ(3, r.frames[1].info.top);
  EXPECT_EQ(4, r.frames[1].info.width);
  EXPECT_EQ(5, r.frames[1].info.height);
}

TEST(GifFrames, TrailerOrUnknownBlockFirstYieldsNoFrame) {
  for (const Bytes& first : {Bytes{0x3B}, Bytes{0x00}, Bytes{0x21, 0x77, 0x00}, Bytes{0x2B}}) {
    GifBuilder gif(4, 4, 1);
    gif.Raw(first).GraphicControl(10, 1).Image(0, 0, 4, 4).Trailer();
    Walker w(gif.bytes());
    EXPECT_FALSE(w.walker.AdvancePastFrame());
    const SplitResult r = SplitExact(gif.bytes());
    EXPECT_EQ(0, r.counted);
    EXPECT_TRUE(r.frames.empty());
  }
}

TEST(GifFrames, EachFrameStartsAfreshWithoutAGraphicControl) {
  GifBuilder gif(16, 16, 2);
  gif.PlainText(2, 3, 12, 8, "plain first")  // no graphic control, no image descriptor
      .GraphicControl(50, 3).Image(1, 1, 8, 8)
      .Image(4, 4, 6, 6)                      // no graphic control: nothing from the one before
      .GraphicControl(5, 2).PlainText(0, 8, 16, 8, "grid")
      .Trailer();
  const SplitResult r = SplitExact(gif.bytes());
  ASSERT_EQ(4, r.counted);
  ASSERT_EQ(4u, r.frames.size());

  const GifFrameInfo& text = r.frames[0].info;
  EXPECT_EQ(kNoFrameDelay, text.delay);
  EXPECT_EQ(0u, text.disposal);
  EXPECT_EQ(2, text.left);  // the text grid's rectangle
  EXPECT_EQ(3, text.top);
  EXPECT_EQ(12, text.width);
  EXPECT_EQ(8, text.height);
  EXPECT_EQ(OneImageGif(gif, gif.block(0).offset, gif.block(0).offset + gif.block(0).length),
            r.frames[0].image);

  const GifFrameInfo& bare = r.frames[2].info;
  EXPECT_EQ(kNoFrameDelay, bare.delay);
  EXPECT_EQ(0u, bare.disposal);
  EXPECT_EQ(4, bare.left);
  EXPECT_EQ(6, bare.width);

  const GifFrameInfo& grid = r.frames[3].info;
  EXPECT_EQ(5u, grid.delay);
  EXPECT_EQ(2u, grid.disposal);
  EXPECT_EQ(0, grid.left);
  EXPECT_EQ(8, grid.top);
  EXPECT_EQ(16, grid.width);
  EXPECT_EQ(8, grid.height);
}

TEST(GifFrames, AFurtherGraphicControlBeforeTheImageBelongsToTheFrame) {
  GifBuilder gif(8, 8, 1);
  gif.GraphicControl(40, 2).GraphicControl(70, 3).Image(0, 0, 8, 8).Trailer();
  const SplitResult r = SplitExact(gif.bytes());
  ASSERT_EQ(1u, r.frames.size());
  EXPECT_EQ(40u, r.frames[0].info.delay);  // the first one speaks for the frame
  EXPECT_EQ(2u, r.frames[0].info.disposal);
  EXPECT_EQ(OneImageGif(gif, gif.block(0).offset, gif.size() - 1), r.frames[0].image);
}

TEST(GifFrames, WalkStopsAtBadBlocksInsideAFrame) {
  {  // an unknown block, or the trailer, between the graphic control and the image
    GifBuilder gif(8, 8, 1);
    gif.GraphicControl(10, 1).Image(0, 0, 8, 8).GraphicControl(10, 1).Raw({0x21, 0x33, 0})
        .Image(0, 0, 8, 8).Trailer();
    EXPECT_EQ(1, SplitExact(gif.bytes()).counted);
  }
  {
    GifBuilder gif(8, 8, 1);
    gif.GraphicControl(10, 1).Trailer().Image(0, 0, 8, 8);
    EXPECT_EQ(0, SplitExact(gif.bytes()).counted);
  }
  {  // a graphic control as the last bytes
    GifBuilder gif(8, 8, 1);
    gif.GraphicControl(10, 1).Image(0, 0, 8, 8).GraphicControl(10, 1);
    const SplitResult r = SplitExact(gif.bytes());
    EXPECT_EQ(1, r.counted);
    EXPECT_EQ(1u, r.frames.size());
  }
}

TEST(GifFrames, MissingTrailerKeepsTheFramesBeforeTheEnd) {
  GifBuilder gif(8, 8, 1);
  gif.GraphicControl(10, 1).Image(0, 0, 8, 8).GraphicControl(12, 2).Image(0, 0, 8, 8);
  const SplitResult r = SplitExact(gif.bytes());  // the last image ends exactly at the end
  ASSERT_EQ(2, r.counted);
  ASSERT_EQ(2u, r.frames.size());
  EXPECT_EQ(12u, r.frames[1].info.delay);
  EXPECT_EQ(0x3B, r.frames[1].image.back());
}

// Every prefix of a GIF with every kind of block: the walk never reads past the end, counting and
// extraction agree, and exactly the frames whose graphic block lies wholly inside the prefix come
// out, byte for byte the same as from the whole file.
TEST(GifFrames, EveryTruncationYieldsTheFramesWhollyInsideIt) {
  GifBuilder gif(20, 20, 3);
  gif.Comment("lead").Looping()
      .GraphicControl(10, 1).Comment("c").Looping().Image(0, 0, 20, 20)  // blocks 2..5
      .GraphicControl(3, 2).Image(5, 5, 10, 10, 4)                       // 6, 7
      .Image(1, 1, 2, 2)                                                 // 8
      .Comment("between")
      .GraphicControl(8, 3).PlainText(0, 0, 20, 8, std::string(300, 'p'))  // 10, 11
      .GraphicControl(0, 0).Image(0, 0, 20, 20, 8)                          // 12, 13
      .Trailer();
  const std::size_t graphic_blocks[] = {5, 7, 8, 11, 13};
  const SplitResult whole = SplitExact(gif.bytes());
  ASSERT_EQ(5u, whole.frames.size());

  for (std::size_t n = 0; n <= gif.size(); ++n) {
    std::int32_t expected = 0;
    for (std::size_t b : graphic_blocks)
      if (gif.block(b).offset + gif.block(b).length <= n) ++expected;
    const SplitResult r = SplitExact(Slice(gif.bytes(), 0, n));
    ASSERT_EQ(expected, r.counted) << "prefix of " << n << " bytes";
    ASSERT_EQ(static_cast<std::size_t>(expected), r.frames.size()) << n;
    for (std::size_t i = 0; i < r.frames.size(); ++i) {
      ASSERT_EQ(whole.frames[i].image, r.frames[i].image) << n << " frame " << i;
      ASSERT_EQ(whole.frames[i].info.delay, r.frames[i].info.delay);
    }
  }
}

TEST(GifFrames, OneImageGifOfAFrameSplitsIntoThatFrameAgain) {
  const SplitResult whole = SplitExact(BusyLikeGif().bytes());
  for (const SplitFrame& f : whole.frames) {
    const SplitResult again = SplitExact(f.image);
    ASSERT_EQ(1, again.counted);
    ASSERT_EQ(1u, again.frames.size());
    EXPECT_EQ(f.image, again.frames[0].image);
  }
}

// Hands out three blocks, then refuses.
int g_blocksLeft = 0;
void* AllocateThree(std::size_t bytes) { return g_blocksLeft-- > 0 ? std::malloc(bytes) : nullptr; }

TEST(GifFrames, AllocationFailureKeepsTheFramesBeforeIt) {
  const Bytes data = BusyLikeGif().bytes();
  g_blocksLeft = 3;
  std::vector<Bytes> images;
  const GifSplit split = SplitGif(
      data.data(), data.size(),
      [&](const GifSplit&, GifSplitFrame& f) { images.emplace_back(f.image.get(), f.image.get() + f.length); },
      GifBlockAllocator{&AllocateThree, &std::free});
  EXPECT_EQ(8, split.counted);
  ASSERT_EQ(3u, images.size());
  EXPECT_EQ(SplitExact(data).frames[2].image, images[2]);
}

}  // namespace
