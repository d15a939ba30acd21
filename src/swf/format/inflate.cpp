#include "swf/format/inflate.h"

#include <zlib.h>

#include <algorithm>
#include <climits>

#include "swf/format/reader.h"

namespace tavelin::swf::format {

bool CouldInflateTo(std::size_t compressedBytes, std::size_t bytes) {
  constexpr std::size_t kSlack = 64;
  return compressedBytes <= (SIZE_MAX - kSlack) / kMaxInflateRatio && bytes <= compressedBytes * kMaxInflateRatio + kSlack;
}

std::vector<std::uint8_t> InflateBounded(std::span<const std::uint8_t> compressed, std::size_t wanted) {
  if (!CouldInflateTo(compressed.size(), wanted) || compressed.size() > UINT_MAX || wanted > UINT_MAX) {
    throw DecodeError("declared size beyond what the compressed data can hold");
  }
  std::vector<std::uint8_t> out(wanted);
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) throw DecodeError("zlib unavailable");
  stream.next_in = const_cast<Bytef*>(compressed.data());
  stream.avail_in = static_cast<uInt>(compressed.size());
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(wanted);
  int status = Z_OK;
  while (stream.avail_out > 0 && status == Z_OK) status = inflate(&stream, Z_NO_FLUSH);
  const std::size_t produced = wanted - stream.avail_out;
  inflateEnd(&stream);
  if (status == Z_DATA_ERROR || status == Z_NEED_DICT || status == Z_MEM_ERROR || status == Z_STREAM_ERROR) {
    throw DecodeError("damaged compressed data");
  }
  out.resize(produced);
  return out;
}

}  // namespace tavelin::swf::format
