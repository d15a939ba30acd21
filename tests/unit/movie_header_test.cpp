#include "swf/movie_header.h"

#include <gtest/gtest.h>

#include "platform/failure.h"
#include "support/swf_writer.h"

namespace tavelin::swf {
namespace {

using testing::Rgb;
using testing::SwfWriter;

MovieHeader Decode(const std::vector<std::uint8_t>& file) {
  const PreparedHeader prepared = PrepareHeader(file);
  EXPECT_EQ(prepared.failure, "");
  return MovieHeader(prepared.bytes);
}

TEST(MovieHeader, ReadsStageRateAndColourOfAnUncompressedMovie) {
  const auto file = SwfWriter().StagePixels(550, 400).FrameRate(24).BackgroundColor({0x33, 0x66, 0x99}).ShowFrame().Bytes();
  const MovieHeader header = Decode(file);
  EXPECT_TRUE(header.HasSignature());
  EXPECT_EQ(header.RectFieldBits(), 15);
  EXPECT_EQ(header.RectBytes(), 9);
  EXPECT_EQ(header.StageWidth(), 550);
  EXPECT_EQ(header.StageHeight(), 400);
  EXPECT_EQ(header.FrameRate(), 24);
  EXPECT_EQ(header.BackgroundColor(), 0x336699u);
}

TEST(MovieHeader, DecompressesACompressedMovieSoItsValuesDescribeTheMovie) {
  const auto file = SwfWriter().Compressed(true).StagePixels(800, 600).FrameRate(30).BackgroundColor({255, 0, 0}).ShowFrame().Bytes();
  ASSERT_EQ(file[0], 'C');
  const MovieHeader header = Decode(file);
  EXPECT_TRUE(header.HasSignature());
  EXPECT_EQ(header.StageWidth(), 800);
  EXPECT_EQ(header.StageHeight(), 600);
  EXPECT_EQ(header.FrameRate(), 30);
  EXPECT_EQ(header.BackgroundColor(), 0xFF0000u);
}

TEST(MovieHeader, FractionalFrameRateKeepsItsIntegerPart) {
  EXPECT_EQ(Decode(SwfWriter().FrameRate(12.5).BackgroundColor({}).Bytes()).FrameRate(), 12);
  EXPECT_EQ(Decode(SwfWriter().FrameRate(0.5).BackgroundColor({}).Bytes()).FrameRate(), 0);
}

TEST(MovieHeader, SignatureChecksOnlyTheSecondAndThirdBytes) {
  auto file = SwfWriter().Bytes();
  file[0] = 'Z';
  EXPECT_TRUE(Decode(file).HasSignature());
  for (const char* text : {"Hello, this is just text.", "FSW", "", "fws"}) {
    const std::string s(text);
    EXPECT_FALSE(MovieHeader(PrepareHeader(std::vector<std::uint8_t>(s.begin(), s.end())).bytes).HasSignature()) << text;
  }
}

TEST(MovieHeader, ShortFileReadsAsZeroesPastItsEnd) {
  const std::vector<std::uint8_t> file{'F', 'W', 'S', 6, 0, 0, 0, 0, 0x50};  // Nbits 10, nothing after
  const MovieHeader header(PrepareHeader(file).bytes);
  EXPECT_EQ(header.RectFieldBits(), 10);
  EXPECT_EQ(header.StageWidth(), 0);
  EXPECT_EQ(header.FrameRate(), 0);
  EXPECT_EQ(header.BackgroundColor(), 0u);
}

// Field widths at and beyond the edge of what a 24-bit read can hold: each field
// still decodes to its true value, and values past byte 28 fail alone.
TEST(MovieHeader, WideRectangleFieldsDecodeExactlyOrFailWithoutReadingPastTheBuffer) {
  for (int bits = 15; bits <= 31; ++bits) {
    const auto file = SwfWriter().StageFieldBits(bits).StagePixels(640, 480).FrameRate(25).BackgroundColor({1, 2, 3}).Bytes();
    const MovieHeader header = Decode(file);
    EXPECT_EQ(header.RectFieldBits(), bits);
    EXPECT_EQ(header.StageWidth(), 640) << bits;
    EXPECT_EQ(header.StageHeight(), 480) << bits;
    EXPECT_EQ(header.FrameRate(), 25) << bits;
    if (14 + header.RectBytes() + 2 <= 28) {
      EXPECT_EQ(header.BackgroundColor(), 0x010203u) << bits;
    } else {
      EXPECT_THROW(header.BackgroundColor(), Failure) << bits;
    }
  }
}

TEST(MovieHeader, OutOfBufferReadsReportSubscriptOutOfRange) {
  HeaderBuffer bytes{};
  bytes[1] = 'W';
  bytes[2] = 'S';
  bytes[8] = 31 << 3;  // widest rectangle: 17 bytes, colour at 31..33
  const MovieHeader header(bytes);
  EXPECT_EQ(header.RectBytes(), 17);
  EXPECT_NO_THROW(header.FrameRate());
  try {
    header.BackgroundColor();
    FAIL() << "colour past the buffer must fail";
  } catch (const Failure& failure) {
    EXPECT_STREQ(failure.what(), "下标越界");
  }
}

TEST(MovieHeader, StageUsesXmaxAndYmaxAsStored) {
  // A stage that does not start at 0 still reports its far edges, as the window sizing expects.
  const auto file = SwfWriter().Stage(200, 2200, 400, 1400).BackgroundColor({}).Bytes();
  const MovieHeader header = Decode(file);
  EXPECT_EQ(header.StageWidth(), 110);
  EXPECT_EQ(header.StageHeight(), 70);
}

TEST(MovieHeader, DamagedCompressedHeaderIsReportedAndReadsAsZeroes) {
  auto file = SwfWriter().Compressed(true).StagePixels(550, 400).BackgroundColor({9, 9, 9}).Bytes();
  file[8] = 0x00;  // not a zlib stream header
  file[9] = 0xFF;
  const PreparedHeader prepared = PrepareHeader(file);
  EXPECT_EQ(prepared.failure, "压缩数据已损坏");
  const MovieHeader header(prepared.bytes);
  EXPECT_TRUE(header.HasSignature());
  EXPECT_EQ(header.StageWidth(), 0);
}

TEST(MovieHeader, TruncatedCompressedMovieKeepsWhatDecompressed) {
  const auto whole = SwfWriter().Compressed(true).StagePixels(320, 240).FrameRate(15).BackgroundColor({7, 8, 9}).Bytes();
  for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
    const std::vector<std::uint8_t> part(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut));
    const PreparedHeader prepared = PrepareHeader(part);  // must neither crash nor read past `part`
    const MovieHeader header(prepared.bytes);
    if (cut == whole.size()) {
      EXPECT_EQ(header.StageWidth(), 320);
      EXPECT_EQ(header.BackgroundColor(), 0x070809u);
    }
  }
}

}  // namespace
}  // namespace tavelin::swf
