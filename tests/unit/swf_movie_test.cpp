#include "swf/movie.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/failure.h"
#include "support/swf_writer.h"

namespace tavelin::swf {
namespace {

using testing::SwfWriter;
using Bytes = std::vector<std::uint8_t>;

// Two frames: a red square placed in the first, removed in the second.
SwfWriter TwoFrameMovie() {
  SwfWriter writer;
  writer.StagePixels(320, 240)
      .FrameRate(24)
      .BackgroundColor({0x12, 0x34, 0x56})
      .DefineRectangle(1, 400, 400, {255, 0, 0})
      .PlaceObject(1, 1, 100, 200)
      .ShowFrame()
      .RemoveObject(1)
      .ShowFrame();
  return writer;
}

std::vector<std::uint16_t> Codes(std::span<const Tag> tags) {
  std::vector<std::uint16_t> codes;
  for (const Tag& tag : tags) codes.push_back(tag.code);
  return codes;
}

std::string RefusalOf(const Bytes& file) {
  try {
    (void)LoadMovie(file);
  } catch (const Failure& failure) {
    return failure.what();
  }
  return "(loaded)";
}

void PutLength(Bytes& file, std::uint32_t length) {
  for (int i = 0; i < 4; ++i) file[4 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(length >> (8 * i));
}

TEST(SwfMovie, LoadsAnUncompressedMovieWithItsHeaderAndFrames) {
  const Movie movie = LoadMovie(TwoFrameMovie().Version(8).Bytes());
  EXPECT_EQ(movie.Version(), 8);
  EXPECT_FALSE(movie.WasCompressed());
  EXPECT_EQ(movie.Stage(), (StageRect{0, 320 * 20, 0, 240 * 20}));
  EXPECT_DOUBLE_EQ(movie.FrameRate(), 24.0);
  EXPECT_EQ(movie.FrameCount(), 2);
  EXPECT_EQ(movie.BackgroundColor(), 0x123456u);
  EXPECT_EQ(Codes(movie.FrameTags(0)), (std::vector<std::uint16_t>{tag_code::kSetBackgroundColor, tag_code::kDefineShape,
                                                                   tag_code::kPlaceObject2}));
  EXPECT_EQ(Codes(movie.FrameTags(1)), (std::vector<std::uint16_t>{tag_code::kRemoveObject2}));
  EXPECT_TRUE(movie.FrameTags(2).empty());
  EXPECT_TRUE(movie.FrameTags(-1).empty());
  // The bodies are the bytes the writer put there: RemoveObject2 holds the depth.
  const auto removeBody = movie.TagBody(movie.FrameTags(1)[0]);
  EXPECT_EQ(Bytes(removeBody.begin(), removeBody.end()), (Bytes{1, 0}));
  const auto colourBody = movie.TagBody(movie.FrameTags(0)[0]);
  EXPECT_EQ(Bytes(colourBody.begin(), colourBody.end()), (Bytes{0x12, 0x34, 0x56}));
}

TEST(SwfMovie, CompressedMovieDecodesToTheSameMovie) {
  const Bytes plainFile = TwoFrameMovie().Bytes();
  const Bytes packedFile = TwoFrameMovie().Compressed(true).Bytes();
  ASSERT_EQ(packedFile[0], 'C');
  ASSERT_NE(packedFile.size(), plainFile.size());
  const Movie plain = LoadMovie(plainFile);
  const Movie packed = LoadMovie(packedFile);
  EXPECT_TRUE(packed.WasCompressed());
  EXPECT_EQ(packed.Stage(), plain.Stage());
  EXPECT_EQ(packed.FrameCount(), 2);
  EXPECT_EQ(packed.BackgroundColor(), 0x123456u);
  // Everything after the signature byte is the same once decompressed.
  ASSERT_EQ(packed.Data().size(), plainFile.size());
  EXPECT_TRUE(std::equal(packed.Data().begin() + 1, packed.Data().end(), plainFile.begin() + 1));
  EXPECT_EQ(Codes(packed.FrameTags(0)), Codes(plain.FrameTags(0)));
  EXPECT_EQ(Codes(packed.FrameTags(1)), Codes(plain.FrameTags(1)));
}

TEST(SwfMovie, StageFieldsAreSignedAndRatesFractional) {
  const Movie offset = LoadMovie(SwfWriter().Stage(-2000, 6000, -100, 900).FrameRate(12.5).ShowFrame().Bytes());
  EXPECT_EQ(offset.Stage(), (StageRect{-2000, 6000, -100, 900}));
  EXPECT_DOUBLE_EQ(offset.FrameRate(), 12.5);
  // Wide fields that straddle several bytes.
  const Movie wide = LoadMovie(SwfWriter().StagePixels(550, 400).StageFieldBits(31).ShowFrame().Bytes());
  EXPECT_EQ(wide.Stage(), (StageRect{0, 11000, 0, 8000}));
  EXPECT_DOUBLE_EQ(LoadMovie(SwfWriter().FrameRate(0).ShowFrame().Bytes()).FrameRate(), 0.0);
  EXPECT_DOUBLE_EQ(LoadMovie(SwfWriter().FrameRate(29.97).ShowFrame().Bytes()).FrameRate(), 7672 / 256.0);
}

TEST(SwfMovie, BackgroundIsTheFirstColourTagOrWhite) {
  EXPECT_EQ(LoadMovie(SwfWriter().ShowFrame().Bytes()).BackgroundColor(), 0xFFFFFFu);
  const Movie twice =
      LoadMovie(SwfWriter().ShowFrame().BackgroundColor({1, 2, 3}).ShowFrame().BackgroundColor({4, 5, 6}).Bytes());
  EXPECT_EQ(twice.BackgroundColor(), 0x010203u);
  // A colour tag too short to hold a colour is passed over.
  EXPECT_EQ(LoadMovie(SwfWriter().RawTag(9, {7, 7}).BackgroundColor({9, 9, 9}).Bytes()).BackgroundColor(), 0x090909u);
}

TEST(SwfMovie, FrameCountComesFromTheHeaderOrElseFromShowFrameTags) {
  // The header says 0: count the ShowFrame tags, at least one.
  EXPECT_EQ(LoadMovie(SwfWriter().ShowFrame().ShowFrame().ShowFrame().FrameCountInHeader(0).Bytes()).FrameCount(), 3);
  EXPECT_EQ(LoadMovie(SwfWriter().FrameCountInHeader(0).Bytes()).FrameCount(), 1);

  // More frames declared than shown: tags after the last ShowFrame make the next frame.
  const Movie longer = LoadMovie(SwfWriter().ShowFrame().RemoveObject(3).FrameCountInHeader(5).Bytes());
  EXPECT_EQ(longer.FrameCount(), 5);
  EXPECT_EQ(Codes(longer.FrameTags(1)), (std::vector<std::uint16_t>{tag_code::kRemoveObject2}));
  EXPECT_TRUE(longer.FrameTags(4).empty());

  // Fewer declared: later frames are never shown and not kept.
  const Movie shorter = LoadMovie(SwfWriter().RemoveObject(1).ShowFrame().RemoveObject(2).ShowFrame().FrameCountInHeader(1).Bytes());
  EXPECT_EQ(shorter.FrameCount(), 1);
  EXPECT_EQ(shorter.FrameTags(0).size(), 1u);
  EXPECT_TRUE(shorter.FrameTags(1).empty());
}

TEST(SwfMovie, LengthFieldMismatchesAreToleratedWhenTheTagsAreWhole) {
  // Bytes after the declared length are not the movie's.
  Bytes padded = TwoFrameMovie().Bytes();
  const std::size_t realSize = padded.size();
  padded.insert(padded.end(), {0xDE, 0xAD, 0xBE, 0xEF});
  EXPECT_EQ(LoadMovie(padded).Data().size(), realSize);

  // A length field that promises more than there is, with the End tag present.
  Bytes overstated = TwoFrameMovie().Bytes();
  PutLength(overstated, static_cast<std::uint32_t>(overstated.size() + 1000));
  EXPECT_EQ(LoadMovie(overstated).FrameCount(), 2);

  // The same for a compressed movie: decompression stops where the stream ends.
  Bytes packed = TwoFrameMovie().Compressed(true).Bytes();
  PutLength(packed, 200u << 20);
  const Movie movie = LoadMovie(packed);
  EXPECT_EQ(movie.Data().size(), realSize);

  // No End tag, but the tags fill the declared length exactly.
  Bytes endless = TwoFrameMovie().Bytes();
  endless.resize(endless.size() - 2);
  PutLength(endless, static_cast<std::uint32_t>(endless.size()));
  EXPECT_EQ(LoadMovie(endless).FrameCount(), 2);
}

TEST(SwfMovie, RefusesWhatIsNotAMovie) {
  for (const std::string text : {"", "FW", "Hello, world", "fws\x0a", "GIF89a", "FSW\x0a\x10\0\0\0"}) {
    EXPECT_EQ(RefusalOf(Bytes(text.begin(), text.end())), movie_failure::kNotAMovie) << text;
  }
  Bytes lzma = TwoFrameMovie().Bytes();
  lzma[0] = 'Z';
  EXPECT_EQ(RefusalOf(lzma), movie_failure::kLzmaNotSupported);
}

TEST(SwfMovie, RefusesEveryCutShortFile) {
  const Bytes plain = TwoFrameMovie().Bytes();
  for (std::size_t size = 3; size < plain.size(); ++size) {
    EXPECT_EQ(RefusalOf(Bytes(plain.begin(), plain.begin() + static_cast<std::ptrdiff_t>(size))), movie_failure::kTruncated)
        << size;
  }
  // A compressed file cut short is refused unless every byte of the movie still comes
  // out of it (only the stream's closing bits and checksum are missing).
  const Bytes packed = TwoFrameMovie().Compressed(true).Bytes();
  int refused = 0;
  for (std::size_t size = 3; size < packed.size(); ++size) {
    const Bytes cut(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(size));
    const std::string refusal = RefusalOf(cut);
    if (refusal == "(loaded)") {
      const Movie movie = LoadMovie(cut);
      EXPECT_TRUE(std::equal(plain.begin() + 1, plain.end(), movie.Data().begin() + 1, movie.Data().end())) << size;
    } else {
      ++refused;
      EXPECT_TRUE(refusal == movie_failure::kTruncated || refusal == failure_text::kCompressedDataDamaged)
          << size << ": " << refusal;
    }
  }
  EXPECT_GE(refused, static_cast<int>(packed.size()) - 3 - 8);
}

TEST(SwfMovie, RefusesDamagedCompressedData) {
  Bytes badHeader = TwoFrameMovie().Compressed(true).Bytes();
  badHeader[8] = 0xFF;  // not a zlib stream header
  EXPECT_EQ(RefusalOf(badHeader), failure_text::kCompressedDataDamaged);

  Bytes badBlock = TwoFrameMovie().Compressed(true).Bytes();
  badBlock[10] = 0xFF;  // first block header: the reserved block type
  EXPECT_EQ(RefusalOf(badBlock), failure_text::kCompressedDataDamaged);
}

TEST(SwfMovie, RefusesAbsurdHeaderValues) {
  Bytes huge = TwoFrameMovie().Bytes();
  PutLength(huge, static_cast<std::uint32_t>(kMaxMovieBytes + 1));
  EXPECT_EQ(RefusalOf(huge), movie_failure::kBadHeader);

  Bytes tiny = TwoFrameMovie().Bytes();
  PutLength(tiny, 12);
  EXPECT_EQ(RefusalOf(tiny), movie_failure::kBadHeader);

  // A length that ends inside the rectangle, rate or count.
  Bytes inside = TwoFrameMovie().Bytes();
  PutLength(inside, 8 + 8 + 3);  // a 14-bit rectangle takes 8 bytes
  EXPECT_EQ(RefusalOf(inside), movie_failure::kBadHeader);

  EXPECT_EQ(RefusalOf(SwfWriter().Stage(100, 50, 0, 400).Bytes()), movie_failure::kBadHeader);
  EXPECT_EQ(RefusalOf(SwfWriter().Stage(0, 400, 300, 300).Bytes()), movie_failure::kBadHeader);
  EXPECT_EQ(RefusalOf(SwfWriter().Stage(0, 0, 0, 0).Bytes()), movie_failure::kBadHeader);
  EXPECT_EQ(RefusalOf(SwfWriter().Stage(-1'000'000, 1'000'001, 0, 400).Bytes()), movie_failure::kBadHeader);
  EXPECT_EQ(RefusalOf(SwfWriter().Stage(0, 400, 0, 2'000'001).Bytes()), movie_failure::kBadHeader);
  EXPECT_EQ(RefusalOf(SwfWriter().Stage(0, 2'000'000, 0, 2'000'000).ShowFrame().Bytes()), "(loaded)");
}

TEST(SwfMovie, RefusesTagsThatRunPastTheEnd) {
  // Declared length and data agree, but the last tag claims more than is left.
  Bytes file = SwfWriter().ShowFrame().Bytes();
  file.resize(file.size() - 2);  // drop End
  const Bytes longTag{0x3F, 0x00, 0xE8, 0x03, 0x00, 0x00, 1, 2, 3};  // code 0, 1000 bytes, 3 given
  file.insert(file.end(), longTag.begin(), longTag.end());
  PutLength(file, static_cast<std::uint32_t>(file.size()));
  EXPECT_EQ(RefusalOf(file), movie_failure::kTagPastEnd);

  // A long length field that is itself cut off, and a lone byte where a tag should start.
  for (std::size_t keep : {std::size_t{3}, std::size_t{1}}) {
    Bytes cut = SwfWriter().ShowFrame().Bytes();
    cut.resize(cut.size() - 2);
    cut.insert(cut.end(), longTag.begin(), longTag.begin() + static_cast<std::ptrdiff_t>(keep));
    PutLength(cut, static_cast<std::uint32_t>(cut.size()));
    EXPECT_EQ(RefusalOf(cut), movie_failure::kTagPastEnd) << keep;
  }
}

TEST(SwfMovie, RefusesMoreTagsThanTheIndexHolds) {
  SwfWriter writer;
  for (std::size_t i = 0; i <= kMaxTags; ++i) writer.RawTag(77, {});
  EXPECT_EQ(RefusalOf(writer.Bytes()), movie_failure::kTooManyTags);
}

}  // namespace
}  // namespace tavelin::swf
