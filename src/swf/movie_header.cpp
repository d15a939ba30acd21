#include "swf/movie_header.h"

#include <zlib.h>

#include <algorithm>

#include "platform/failure.h"

namespace tavelin::swf {
namespace {

constexpr int kRectOffset = 8;  // the stage rectangle starts right after the 8-byte file header

bool IsCompressedMovie(std::span<const std::uint8_t> data) {
  return data.size() >= 3 && data[0] == 'C' && data[1] == 'W' && data[2] == 'S';
}

// Inflates the zlib stream in `compressed` into `out`, stopping once `out` is full.
// Returns how many bytes were produced, or -1 when the stream is damaged.
long InflateStart(std::span<const std::uint8_t> compressed, std::span<std::uint8_t> out) {
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) return -1;
  stream.next_in = const_cast<Bytef*>(compressed.data());
  stream.avail_in = static_cast<uInt>(std::min<std::size_t>(compressed.size(), 1u << 30));
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  int status = Z_OK;
  while (status == Z_OK && stream.avail_out > 0 && stream.avail_in > 0) {
    status = inflate(&stream, Z_SYNC_FLUSH);
  }
  const long produced = static_cast<long>(out.size() - stream.avail_out);
  inflateEnd(&stream);
  const bool damaged = status == Z_DATA_ERROR || status == Z_NEED_DICT || status == Z_MEM_ERROR;
  return damaged ? -1 : produced;
}

}  // namespace

PreparedHeader PrepareHeader(std::span<const std::uint8_t> fileStart) {
  PreparedHeader result;
  const std::size_t direct = std::min(fileStart.size(), kHeaderBytes);
  std::copy_n(fileStart.begin(), direct, result.bytes.begin());
  if (!IsCompressedMovie(fileStart) || fileStart.size() <= static_cast<std::size_t>(kRectOffset)) {
    return result;
  }
  // Everything after the 8-byte file header is one zlib stream.
  std::fill(result.bytes.begin() + kRectOffset, result.bytes.end(), std::uint8_t{0});
  const std::span<std::uint8_t> body(result.bytes.data() + kRectOffset, kHeaderBytes - kRectOffset);
  if (InflateStart(fileStart.subspan(kRectOffset), body) < 0) {
    std::fill(body.begin(), body.end(), std::uint8_t{0});
    result.failure = failure_text::kCompressedDataDamaged;
  }
  return result;
}

MovieHeader::MovieHeader(const HeaderBuffer& bytes) : bytes_(bytes) {
  nbits_ = bytes_[kRectOffset] >> 3;
  const int totalBits = 5 + 4 * nbits_;
  rectBytes_ = totalBits / 8 + (totalBits % 8 != 0 ? 1 : 0);
}

std::uint8_t MovieHeader::At(int index) const {
  if (index < 0 || index >= static_cast<int>(kHeaderBytes)) {
    throw Failure(failure_text::kSubscriptOutOfRange);
  }
  return bytes_[static_cast<std::size_t>(index)];
}

bool MovieHeader::HasSignature() const { return bytes_[1] == 'W' && bytes_[2] == 'S'; }

int MovieHeader::FrameRate() const { return At(9 + rectBytes_); }

bool MovieHeader::FirstTagIsBackgroundColor() const {
  constexpr int kSetBackgroundColor = 9;
  const int first = 12 + rectBytes_;
  const int codeAndLength = At(first) | At(first + 1) << 8;
  return (codeAndLength >> 6) == kSetBackgroundColor;
}

std::uint32_t MovieHeader::BackgroundColor() const {
  const int first = 14 + rectBytes_;
  const std::uint32_t red = At(first), green = At(first + 1), blue = At(first + 2);
  return red << 16 | green << 8 | blue;
}

// Reads the unsigned field of nbits_ bits that starts `startBit` bits into the
// rectangle, most significant bit first, and converts twips to pixels. Reading bit
// by bit gives the field's true value for every width up to 31 bits, including
// fields that straddle more than three bytes.
std::int32_t MovieHeader::FieldPixels(int startBit) const {
  std::uint32_t value = 0;
  for (int bit = startBit; bit < startBit + nbits_; ++bit) {
    const std::uint8_t byte = At(kRectOffset + bit / 8);
    value = value << 1 | ((byte >> (7 - bit % 8)) & 1u);
  }
  return static_cast<std::int32_t>(value / 20);
}

std::int32_t MovieHeader::StageWidth() const { return FieldPixels(5 + nbits_); }
std::int32_t MovieHeader::StageHeight() const { return FieldPixels(5 + 3 * nbits_); }

}  // namespace tavelin::swf
