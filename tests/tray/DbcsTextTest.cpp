// Cuts of narrow text to the shell's fields, with code page 932 (Shift-JIS) data: lead bytes
// 0x81-0x9F and 0xE0-0xFC; single-byte half-width katakana 0xA1-0xDF; trail bytes may have a
// lead byte's value, which is what a cut that looks only at the bytes before it gets wrong.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tray/DbcsText.h"

namespace {

bool IsLeadByte932(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool IsLeadByteSingle(unsigned char) { return false; }

// "日" 93 FA (its trail byte is a lead value), "本" 96 7B, "語" 8C EA, "ｱ" B1 (single byte).
const std::string kNi = "\x93\xFA";
const std::string kHon = "\x96\x7B";
const std::string kGo = "\x8C\xEA";
const std::string kKanaA = "\xB1";

std::string Repeat(const std::string& s, int n) {
  std::string out;
  for (int i = 0; i < n; ++i) out += s;
  return out;
}

std::string Cut(const std::string& text, std::size_t bufferSize) {
  std::string buffer(bufferSize + 8, '#');
  tray::CopyDbcsTruncated(&buffer[0], bufferSize, text, &IsLeadByte932);
  EXPECT_EQ(buffer[bufferSize], '#') << "wrote past the buffer";
  return std::string(buffer.c_str());
}

TEST(DbcsText, SingleByteTextIsCutToTheFieldLimits) {
  const std::string text300(300, 'x');
  const std::string title80(80, 'T');
  EXPECT_EQ(Cut(text300, 256), std::string(255, 'x'));
  EXPECT_EQ(Cut(title80, 64), std::string(63, 'T'));
  EXPECT_EQ(Cut(std::string(200, 't'), 128).size(), 127u);
  EXPECT_EQ(Cut("Connected - Not Authorized", 128), "Connected - Not Authorized");
  EXPECT_EQ(tray::DbcsFitLength(text300, tray::kBalloonTextBytes, &IsLeadByteSingle), 255u);
}

TEST(DbcsText, ACutNeverSplitsADoubleByteCharacter) {
  // 'a' then double-byte characters: every character ends on an odd byte, so a cut at 255
  // (or 63, 127) would fall inside one.
  const std::string balloon = "a" + Repeat(kNi + kHon + kGo, 60);  // 361 bytes
  const std::string cut = Cut(balloon, 256);
  EXPECT_EQ(cut.size(), 255u);
  EXPECT_EQ(cut, balloon.substr(0, 255));

  const std::string even = Repeat(kNi, 40);  // 80 bytes, characters end on even bytes
  const std::string title = Cut(even, 64);
  EXPECT_EQ(title.size(), 62u) << "63 would split the 32nd character";
  EXPECT_EQ(title, Repeat(kNi, 31));

  const std::string tip = Cut(Repeat(kGo, 100), 128);
  EXPECT_EQ(tip.size(), 126u);
}

TEST(DbcsText, TrailBytesWithLeadValuesDoNotShiftTheCut) {
  // "日" is 93 FA: FA is also a lead value. Followed by single-byte katakana, the character
  // boundaries are at 2, 3, 4, ...; looking back from the cut at FA would misjudge them.
  const std::string text = kNi + Repeat(kKanaA, 10);
  for (std::size_t limit = 0; limit <= text.size(); ++limit) {
    const std::size_t kept = tray::DbcsFitLength(text, limit, &IsLeadByte932);
    EXPECT_EQ(kept, limit < 2 ? 0u : limit) << limit;
  }
  // Mixed single- and double-byte, cut at every limit: the result is always a whole-character
  // prefix, the longest that fits.
  const std::string mixed = "A" + kNi + kKanaA + kHon + "B" + kGo + kNi + "C";
  const std::size_t boundaries[] = {0, 1, 3, 4, 6, 7, 9, 11, 12};
  for (std::size_t limit = 0; limit <= mixed.size() + 2; ++limit) {
    std::size_t expected = 0;
    for (std::size_t b : boundaries) {
      if (b <= limit) expected = b;
    }
    EXPECT_EQ(tray::DbcsFitLength(mixed, limit, &IsLeadByte932), expected) << limit;
  }
}

TEST(DbcsText, MalformedAndEdgeInput) {
  // A lead byte with nothing after it is dropped, not left to swallow the terminating zero.
  EXPECT_EQ(Cut("abc\x93", 64), "abc");
  // The text ends at its first zero byte.
  EXPECT_EQ(Cut(std::string("ab\0cd", 5), 64), "ab");
  EXPECT_EQ(Cut(std::string("\x93\0\xFA", 3), 64), "");
  EXPECT_EQ(Cut("", 64), "");
  // A one-byte buffer holds only the terminating zero; a zero-byte one is left alone.
  EXPECT_EQ(Cut("abc", 1), "");
  char untouched = '#';
  tray::CopyDbcsTruncated(&untouched, 0, "abc", &IsLeadByte932);
  EXPECT_EQ(untouched, '#');
}

}  // namespace
