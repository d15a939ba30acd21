#include "swf/movie.h"

#include <zlib.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <optional>

#include "platform/failure.h"

namespace tavelin::swf {
namespace {

constexpr std::size_t kFileHeaderBytes = 8;  // signature, version, 32-bit length
constexpr std::size_t kMaxFrames = 65535;
constexpr std::size_t kFirstInflateChunk = 64 * 1024;
constexpr std::size_t kInflateStep = std::size_t{1} << 20;

std::uint16_t Read16(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

std::uint32_t Read32(std::span<const std::uint8_t> bytes, std::size_t at) {
  return static_cast<std::uint32_t>(bytes[at]) | static_cast<std::uint32_t>(bytes[at + 1]) << 8 |
         static_cast<std::uint32_t>(bytes[at + 2]) << 16 | static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

// Reads fields most significant bit first, as the stage rectangle packs them. The
// caller makes sure the bytes hold every bit asked for.
class BitReader {
 public:
  BitReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::uint32_t Unsigned(int bits) {
    std::uint32_t value = 0;
    for (int i = 0; i < bits; ++i, ++position_) {
      const std::uint8_t byte = bytes_[position_ / 8];
      value = value << 1 | ((byte >> (7 - position_ % 8)) & 1u);
    }
    return value;
  }
  std::int32_t Signed(int bits) {
    if (bits == 0) return 0;
    const std::int64_t raw = Unsigned(bits);
    const std::int64_t signBit = std::int64_t{1} << (bits - 1);
    return static_cast<std::int32_t>(raw & signBit ? raw - (signBit << 1) : raw);
  }

 private:
  std::span<const std::uint8_t> bytes_;
  std::size_t position_ = 0;
};

// Inflates the zlib stream after the file header, appending at most `limit` bytes to
// `out`, a megabyte at a time. A stream that ends early leaves `out` short; the tag walk
// decides whether that is acceptable. A damaged stream throws. After each megabyte
// `enough` (given how many bytes of `out` are inflated) may end the inflation, and
// `whileBusy` runs.
void Inflate(std::span<const std::uint8_t> compressed, std::size_t limit, std::vector<std::uint8_t>& out,
             const std::function<bool(std::size_t)>& enough = {}, const std::function<void()>& whileBusy = {}) {
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) throw Failure(failure_text::kCompressedDataDamaged);
  stream.next_in = const_cast<Bytef*>(compressed.data());
  stream.avail_in = static_cast<uInt>(compressed.size());  // at most kMaxMovieBytes

  const std::size_t start = out.size();
  std::size_t produced = 0;
  int status = Z_OK;
  while (produced < limit) {
    if (start + produced == out.size()) {
      const std::size_t grown = std::min(limit, std::max(kFirstInflateChunk, produced * 2));
      out.resize(start + grown);
    }
    const std::size_t room = std::min(out.size() - start - produced, kInflateStep);
    stream.next_out = out.data() + start + produced;
    stream.avail_out = static_cast<uInt>(room);
    const uInt inputBefore = stream.avail_in;
    status = inflate(&stream, Z_NO_FLUSH);
    produced += room - stream.avail_out;
    if (status == Z_STREAM_END) break;
    const bool progressed = stream.avail_in != inputBefore || stream.avail_out != room;
    if (status == Z_BUF_ERROR || (status == Z_OK && !progressed)) break;  // input ran out
    if (status != Z_OK) break;
    if (enough && enough(start + produced)) break;
    if (whileBusy) whileBusy();
  }
  inflateEnd(&stream);
  out.resize(start + produced);
  if (status == Z_DATA_ERROR || status == Z_NEED_DICT || status == Z_MEM_ERROR || status == Z_STREAM_ERROR) {
    throw Failure(failure_text::kCompressedDataDamaged);
  }
}

// Follows the tags' headers through a movie being inflated, to learn when its End tag
// has arrived: what follows it is no part of the movie and is not inflated.
class EndTagWatch {
 public:
  explicit EndTagWatch(std::size_t tagsStart) : at_(tagsStart) {}
  bool Arrived(const std::vector<std::uint8_t>& data, std::size_t inflated) {
    const std::span<const std::uint8_t> bytes(data.data(), inflated);
    while (at_ <= bytes.size() && bytes.size() - at_ >= 2) {
      const std::uint16_t codeAndLength = Read16(bytes, at_);
      std::size_t header = 2;
      std::size_t length = codeAndLength & 0x3Fu;
      if (length == 0x3F) {
        if (bytes.size() - at_ < 6) return false;
        length = Read32(bytes, at_ + 2);
        header = 6;
      }
      if (codeAndLength >> 6 == tag_code::kEnd) return true;
      at_ += header + length;
    }
    return false;
  }

 private:
  std::size_t at_;
};

// Whether `bytes` (the movie uncompressed from its start) already hold the whole stage
// rectangle, and it is empty or larger than any stage accepted.
bool StageRefused(std::span<const std::uint8_t> bytes) {
  if (bytes.size() <= kFileHeaderBytes) return false;
  const int fieldBits = bytes[kFileHeaderBytes] >> 3;
  const std::size_t rectBytes = (5 + 4 * static_cast<std::size_t>(fieldBits) + 7) / 8;
  if (bytes.size() < kFileHeaderBytes + rectBytes) return false;
  BitReader rect(bytes.subspan(kFileHeaderBytes, rectBytes));
  rect.Unsigned(5);
  StageRect stage;
  stage.xMin = rect.Signed(fieldBits);
  stage.xMax = rect.Signed(fieldBits);
  stage.yMin = rect.Signed(fieldBits);
  stage.yMax = rect.Signed(fieldBits);
  return stage.Width() <= 0 || stage.Height() <= 0 || stage.Width() > kMaxStageTwips || stage.Height() > kMaxStageTwips;
}

// Collects the tags frame by frame while the tag list is walked.
class FrameIndex {
 public:
  explicit FrameIndex(std::size_t headerFrames) : headerFrames_(headerFrames) {}

  bool Full() const { return headerFrames_ != 0 && ends_.size() >= headerFrames_; }

  void Add(const Tag& tag, std::vector<Tag>& tags) {
    if (Full()) return;
    if (tags.size() >= kMaxTags) throw Failure(movie_failure::kTooManyTags);
    tags.push_back(tag);
  }
  void ShowFrame(const std::vector<Tag>& tags) {
    if (!Full() && ends_.size() < kMaxFrames) ends_.push_back(tags.size());
  }

  // The frames shown so far, for the start of a movie: drops the tags after the last
  // ShowFrame. False when no frame is complete yet.
  bool FinishShown(std::vector<Tag>& tags, std::vector<std::size_t>& ends) {
    if (ends_.empty()) return false;
    tags.resize(ends_.back());
    ends = std::move(ends_);
    return true;
  }

  // The frame ends for the count decided; drops tags no counted frame holds.
  std::vector<std::size_t> Finish(std::vector<Tag>& tags) {
    std::size_t frames = headerFrames_ != 0 ? headerFrames_ : std::max<std::size_t>(ends_.size(), 1);
    if (ends_.size() > frames) ends_.resize(frames);
    while (ends_.size() < frames) ends_.push_back(tags.size());
    tags.resize(ends_.back());
    return std::move(ends_);
  }

 private:
  std::size_t headerFrames_;
  std::vector<std::size_t> ends_;
};

}  // namespace

std::span<const Tag> Movie::FrameTags(int frame) const {
  if (frame < 0 || frame >= FrameCount()) return {};
  const auto index = static_cast<std::size_t>(frame);
  const std::size_t begin = index == 0 ? 0 : frameEnds_[index - 1];
  return std::span<const Tag>(tags_).subspan(begin, frameEnds_[index] - begin);
}

std::span<const std::uint8_t> Movie::TagBody(const Tag& tag) const {
  if (tag.offset > data_.size() || tag.length > data_.size() - tag.offset) return {};
  return std::span<const std::uint8_t>(data_).subspan(tag.offset, tag.length);
}

void Movie::Grow(Movie&& longer) {
  const bool sameStart = longer.version_ == version_ && longer.compressed_ == compressed_ && longer.stage_ == stage_ &&
                         longer.frameRate_ == frameRate_ && longer.headerFrames_ == headerFrames_ &&
                         longer.frameEnds_.size() >= frameEnds_.size() &&
                         std::equal(frameEnds_.begin(), frameEnds_.end(), longer.frameEnds_.begin());
  if (!sameStart) throw Failure(movie_failure::kNotSameMovie);
  data_ = std::move(longer.data_);
  tags_ = std::move(longer.tags_);
  frameEnds_ = std::move(longer.frameEnds_);
  complete_ = longer.complete_;
}

// Decodes a whole file, or in start mode as much of its start as holds whole frames.
class MovieDecoder {
 public:
  static std::optional<Movie> Decode(std::span<const std::uint8_t> file, bool whole,
                                     const std::function<void()>& whileBusy = {});
};

std::optional<Movie> MovieDecoder::Decode(std::span<const std::uint8_t> file, bool whole,
                                          const std::function<void()>& whileBusy) {
  // In start mode a signature still arriving is checked as far as it goes.
  const auto signatureIs = [&](char first) {
    const char expected[3] = {first, 'W', 'S'};
    for (std::size_t i = 0; i < 3; ++i) {
      if (i >= file.size()) return !whole;
      if (file[i] != static_cast<std::uint8_t>(expected[i])) return false;
    }
    return true;
  };
  if (!whole && file.empty()) return std::nullopt;
  const bool compressed = signatureIs('C');
  if (signatureIs('Z')) throw Failure(movie_failure::kLzmaNotSupported);
  if (!compressed && !signatureIs('F')) throw Failure(movie_failure::kNotAMovie);
  if (file.size() > kMaxMovieBytes) throw Failure(movie_failure::kTooLarge);
  if (file.size() < kFileHeaderBytes) {
    if (!whole) return std::nullopt;
    throw Failure(movie_failure::kTruncated);
  }

  const std::size_t declared = Read32(file, 4);
  // The smallest possible movie: file header, one rectangle byte, rate and count.
  if (declared > kMaxMovieBytes || declared < kFileHeaderBytes + 5) throw Failure(movie_failure::kBadHeader);

  Movie movie;
  movie.version_ = file[3];
  movie.compressed_ = compressed;
  movie.complete_ = whole;
  std::vector<std::uint8_t>& data = movie.data_;
  if (compressed) {
    // The header is checked on the first inflated bytes, so a stream that inflates to
    // nothing like a movie (zeros, say) is refused before the rest is inflated.
    constexpr std::size_t kHeaderStart = 32;  // the largest rectangle, rate and count
    data.assign(file.begin(), file.begin() + kFileHeaderBytes);
    Inflate(file.subspan(kFileHeaderBytes), std::min(declared - kFileHeaderBytes, kHeaderStart), data);
    if (StageRefused(data)) throw Failure(movie_failure::kBadHeader);
    const std::size_t headerRect =
        data.size() > kFileHeaderBytes ? (5 + 4 * static_cast<std::size_t>(data[kFileHeaderBytes] >> 3) + 7) / 8 : 0;
    EndTagWatch endTag(kFileHeaderBytes + headerRect + 4);
    data.resize(kFileHeaderBytes);
    Inflate(file.subspan(kFileHeaderBytes), declared - kFileHeaderBytes, data,
            [&](std::size_t inflated) { return headerRect > 0 && endTag.Arrived(data, inflated); }, whileBusy);
  } else {
    // Bytes past the declared length are not part of the movie.
    data.assign(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(std::min(file.size(), declared)));
  }
  const bool shortOfDeclared = data.size() < declared;
  const std::span<const std::uint8_t> bytes(data);
  const auto truncated = [&]() -> std::optional<Movie> {
    if (!whole) return std::nullopt;
    throw Failure(movie_failure::kTruncated);
  };

  // Stage rectangle, frame rate, frame count.
  if (bytes.size() <= kFileHeaderBytes) return truncated();
  const int fieldBits = bytes[kFileHeaderBytes] >> 3;
  const std::size_t rectBytes = (5 + 4 * static_cast<std::size_t>(fieldBits) + 7) / 8;
  const std::size_t tagsStart = kFileHeaderBytes + rectBytes + 4;
  if (declared < tagsStart) throw Failure(movie_failure::kBadHeader);
  if (bytes.size() < tagsStart) return truncated();
  BitReader rect(bytes.subspan(kFileHeaderBytes, rectBytes));
  rect.Unsigned(5);
  movie.stage_.xMin = rect.Signed(fieldBits);
  movie.stage_.xMax = rect.Signed(fieldBits);
  movie.stage_.yMin = rect.Signed(fieldBits);
  movie.stage_.yMax = rect.Signed(fieldBits);
  const StageRect& stage = movie.stage_;
  if (stage.Width() <= 0 || stage.Height() <= 0 || stage.Width() > kMaxStageTwips || stage.Height() > kMaxStageTwips) {
    throw Failure(movie_failure::kBadHeader);
  }
  movie.frameRate_ = Read16(bytes, kFileHeaderBytes + rectBytes) / 256.0;
  movie.headerFrames_ = Read16(bytes, kFileHeaderBytes + rectBytes + 2);
  FrameIndex frames(movie.headerFrames_);

  // The tags, up to End; in start mode, up to the first tag not yet complete.
  bool sawBackground = false;
  bool ended = false;
  std::size_t at = tagsStart;
  while (at < bytes.size()) {
    const auto pastEnd = [&] { return Failure(shortOfDeclared ? movie_failure::kTruncated : movie_failure::kTagPastEnd); };
    const std::size_t tagStart = at;
    std::size_t length = 0;
    std::uint16_t code = 0;
    if (bytes.size() - at >= 2) {
      const std::uint16_t codeAndLength = Read16(bytes, at);
      at += 2;
      code = static_cast<std::uint16_t>(codeAndLength >> 6);
      length = codeAndLength & 0x3Fu;
      if (length == 0x3F) {
        length = bytes.size() - at >= 4 ? Read32(bytes, at) : bytes.size();
        at += 4;
      }
    } else {
      at = bytes.size() + 1;
    }
    if (at > bytes.size() || length > bytes.size() - at) {
      if (whole) throw pastEnd();
      at = tagStart;
      break;
    }
    if (code == tag_code::kEnd) {
      ended = true;
      // What follows the End tag is no part of the movie; a movie whose length field
      // claimed far more than it holds does not keep the rest in memory while it plays.
      if (whole && bytes.size() - at > 4096) {
        data.resize(at);
        data.shrink_to_fit();
      }
      break;
    }
    if (code == tag_code::kShowFrame) {
      frames.ShowFrame(movie.tags_);
    } else {
      if (code == tag_code::kSetBackgroundColor && !sawBackground && length >= 3) {
        movie.backgroundColor_ = static_cast<std::uint32_t>(bytes[at] << 16 | bytes[at + 1] << 8 | bytes[at + 2]);
        sawBackground = true;
      }
      frames.Add(Tag{code, static_cast<std::uint32_t>(at), static_cast<std::uint32_t>(length)}, movie.tags_);
    }
    at += length;
  }
  if (!whole) {
    if (ended) return Decode(file, true);
    if (!frames.FinishShown(movie.tags_, movie.frameEnds_)) return std::nullopt;
    return movie;
  }
  if (!ended && shortOfDeclared) throw Failure(movie_failure::kTruncated);
  movie.frameEnds_ = frames.Finish(movie.tags_);
  return movie;
}

Movie LoadMovie(std::span<const std::uint8_t> file, const std::function<void()>& whileBusy) {
  return *MovieDecoder::Decode(file, true, whileBusy);
}

std::optional<Movie> LoadMovieStart(std::span<const std::uint8_t> fileStart) {
  return MovieDecoder::Decode(fileStart, false);
}

}  // namespace tavelin::swf
