#pragma once
// A whole movie file, decoded: the values of its header and its tags, frame by frame.
// Loading checks everything it reads, so a damaged file is refused with a description
// instead of being half understood.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace tavelin::swf {

// The largest movie the engine accepts, as a file and once decompressed.
inline constexpr std::size_t kMaxMovieBytes = std::size_t{256} << 20;
// The largest stage side accepted: 100,000 pixels, in twips.
inline constexpr std::int64_t kMaxStageTwips = std::int64_t{100000} * 20;
// More tags than this in one movie are refused; real movies stay far below it and the
// index of a bigger count would cost more memory than the movie itself.
inline constexpr std::size_t kMaxTags = 4'000'000;

// Descriptions of the reasons a movie is refused.
namespace movie_failure {
inline constexpr const char* kNotAMovie = "不是 Flash 影片文件";
inline constexpr const char* kLzmaNotSupported = "不支持 LZMA 压缩的影片";
inline constexpr const char* kTruncated = "影片文件不完整";
inline constexpr const char* kBadHeader = "影片文件头中的数值不合理";
inline constexpr const char* kTagPastEnd = "影片标签超出了文件末尾";
inline constexpr const char* kTooManyTags = "影片中的标签过多";
inline constexpr const char* kTooLarge = "影片文件过大";
inline constexpr const char* kNotSameMovie = "影片在载入时改变了";
}  // namespace movie_failure

// Tag codes the engine acts on.
namespace tag_code {
inline constexpr std::uint16_t kEnd = 0;
inline constexpr std::uint16_t kShowFrame = 1;
inline constexpr std::uint16_t kDefineShape = 2;
inline constexpr std::uint16_t kPlaceObject = 4;
inline constexpr std::uint16_t kRemoveObject = 5;
inline constexpr std::uint16_t kDefineBits = 6;
inline constexpr std::uint16_t kDefineButton = 7;
inline constexpr std::uint16_t kJpegTables = 8;
inline constexpr std::uint16_t kSetBackgroundColor = 9;
inline constexpr std::uint16_t kDoAction = 12;
inline constexpr std::uint16_t kDefineFont = 10;
inline constexpr std::uint16_t kDefineText = 11;
inline constexpr std::uint16_t kDefineFontInfo = 13;
inline constexpr std::uint16_t kDefineSound = 14;
inline constexpr std::uint16_t kStartSound = 15;
inline constexpr std::uint16_t kDefineButtonSound = 17;
inline constexpr std::uint16_t kSoundStreamHead = 18;
inline constexpr std::uint16_t kSoundStreamBlock = 19;
inline constexpr std::uint16_t kDefineBitsLossless = 20;
inline constexpr std::uint16_t kDefineBitsJpeg2 = 21;
inline constexpr std::uint16_t kDefineShape2 = 22;
inline constexpr std::uint16_t kDefineButtonCxform = 23;
inline constexpr std::uint16_t kPlaceObject2 = 26;
inline constexpr std::uint16_t kRemoveObject2 = 28;
inline constexpr std::uint16_t kDefineShape3 = 32;
inline constexpr std::uint16_t kDefineText2 = 33;
inline constexpr std::uint16_t kDefineButton2 = 34;
inline constexpr std::uint16_t kDefineBitsJpeg3 = 35;
inline constexpr std::uint16_t kDefineBitsLossless2 = 36;
inline constexpr std::uint16_t kDefineEditText = 37;
inline constexpr std::uint16_t kDefineSprite = 39;
inline constexpr std::uint16_t kFrameLabel = 43;
inline constexpr std::uint16_t kSoundStreamHead2 = 45;
inline constexpr std::uint16_t kDefineMorphShape = 46;
inline constexpr std::uint16_t kDefineFont2 = 48;
inline constexpr std::uint16_t kExportAssets = 56;
inline constexpr std::uint16_t kDoInitAction = 59;
inline constexpr std::uint16_t kDefineFontInfo2 = 62;
inline constexpr std::uint16_t kPlaceObject3 = 70;
inline constexpr std::uint16_t kDefineFont3 = 75;
inline constexpr std::uint16_t kDefineShape4 = 83;
inline constexpr std::uint16_t kStartSound2 = 89;
inline constexpr std::uint16_t kDefineMorphShape2 = 84;
inline constexpr std::uint16_t kDefineBitsJpeg4 = 90;
}  // namespace tag_code

// The stage rectangle in twips (twentieths of a pixel), as the header gives it.
struct StageRect {
  std::int32_t xMin = 0, xMax = 0, yMin = 0, yMax = 0;
  std::int64_t Width() const { return std::int64_t{xMax} - xMin; }
  std::int64_t Height() const { return std::int64_t{yMax} - yMin; }
  friend bool operator==(const StageRect&, const StageRect&) = default;
};

// One tag: its code and where its body lies in Movie::Data().
struct Tag {
  std::uint16_t code = 0;
  std::uint32_t offset = 0;
  std::uint32_t length = 0;
};

class Movie {
 public:
  int Version() const { return version_; }
  bool WasCompressed() const { return compressed_; }
  const StageRect& Stage() const { return stage_; }
  // Frames per second; 0 when the movie declares none.
  double FrameRate() const { return frameRate_; }
  // The number of frames played, at least 1 (see LoadMovie for how it is decided). For
  // the start of a movie still arriving, the frames complete so far.
  int FrameCount() const { return static_cast<int>(frameEnds_.size()); }
  // Whether the whole file was decoded; false for the start of a movie (LoadMovieStart).
  bool Complete() const { return complete_; }
  // The frames the whole movie will have as far as the header tells: its count, or,
  // when it says 0, the frames decoded so far.
  int ExpectedFrameCount() const {
    return complete_ || headerFrames_ == 0 ? FrameCount() : static_cast<int>(headerFrames_);
  }
  // The colour of the first SetBackgroundColor tag as 0xRRGGBB; white without one.
  std::uint32_t BackgroundColor() const { return backgroundColor_; }

  // The tags of one frame (0-based) in file order, without ShowFrame and End: the
  // definitions and display-list changes that take effect when the frame is shown.
  // A frame outside 0..FrameCount()-1 has none.
  std::span<const Tag> FrameTags(int frame) const;
  std::span<const std::uint8_t> TagBody(const Tag& tag) const;

  // The movie uncompressed: the 8-byte file header followed by the rest of the file.
  std::span<const std::uint8_t> Data() const { return data_; }

  // Takes over the frames of a later decode of the same file (more of its start, or
  // the whole of it). The frames held so far keep their tags and offsets, so a player
  // of this movie plays on; only frames are added. Throws Failure(kNotSameMovie) when
  // `longer` is not this movie with more frames.
  void Grow(Movie&& longer);

 private:

// Decodes the start of a movie file whose rest is still arriving: the header and the
// frames complete in these bytes (every tag of the frame and its ShowFrame). Bytes that
// cannot start a movie (a wrong signature, a header out of range, damaged compressed
// data) throw Failure as LoadMovie does; too few bytes for the first frame give
// nothing. The result is not Complete(); once the whole file is there, LoadMovie
// decides. A start that already holds the End tag is decoded whole, by LoadMovie.
std::optional<Movie> LoadMovieStart(std::span<const std::uint8_t> fileStart);
  friend class MovieDecoder;

  std::vector<std::uint8_t> data_;
  int version_ = 0;
  bool compressed_ = false;
  StageRect stage_;
  double frameRate_ = 0;
  std::size_t headerFrames_ = 0;  // the count the header gives, 0 when it gives none
  bool complete_ = true;
  std::uint32_t backgroundColor_ = 0xFFFFFF;
  std::vector<Tag> tags_;
  // frameEnds_[f] is the index in tags_ just past frame f's last tag.
  std::vector<std::size_t> frameEnds_;
};

// Decodes a whole movie file: uncompressed ("FWS") or zlib-compressed ("CWS").
// Throws Failure with one of the movie_failure descriptions, or "压缩数据已损坏" when
// the compressed stream is damaged.
//
// Frame count: the header's count. A header that says 0 gets the number of ShowFrame
// tags instead, at least 1 (and at most 65535, the largest count a header can hold).
// Tags after the last ShowFrame belong to the next frame when the count leaves room
// for it; tags past the counted frames are never shown and are not kept.
//
// A file whose length field is larger than the data is accepted when its tags reach
// the End tag intact (only the length field is wrong); otherwise it is truncated. What
// follows the End tag is not kept (nor, in a compressed movie, inflated).
//
// `whileBusy` runs after each megabyte inflated, so the program can keep its windows
// answering through a large movie; it must not touch the movie being loaded.
Movie LoadMovie(std::span<const std::uint8_t> file, const std::function<void()>& whileBusy = {});

// Decodes the start of a movie file whose rest is still arriving: the header and the
// frames complete in these bytes (every tag of the frame and its ShowFrame). Bytes that
// cannot start a movie (a wrong signature, a header out of range, damaged compressed
// data) throw Failure as LoadMovie does; too few bytes for the first frame give
// nothing. The result is not Complete(); once the whole file is there, LoadMovie
// decides. A start that already holds the End tag is decoded whole, by LoadMovie.
std::optional<Movie> LoadMovieStart(std::span<const std::uint8_t> fileStart);

}  // namespace tavelin::swf
