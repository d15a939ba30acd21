#pragma once
// Compressed movies whose zlib stream inflates to far more than the file holds: built
// from one deflated megabyte repeated, so a stream of gigabytes costs milliseconds and
// about a kilobyte a megabyte.

#include <zlib.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

namespace tavelin::testing {

// The file header of a compressed movie ("CWS", version, declared length) followed by
// a zlib stream that inflates to `head` and then `megabytes` MB of zeros. The stream
// has no end: an inflater stops at the declared length or runs out of input.
inline std::vector<std::uint8_t> ZlibBombMovie(std::uint32_t declaredLength, const std::vector<std::uint8_t>& head,
                                               std::uint32_t megabytes) {
  std::vector<std::uint8_t> file = {'C', 'W', 'S', 8};
  for (int i = 0; i < 4; ++i) file.push_back(static_cast<std::uint8_t>(declaredLength >> (8 * i)));

  z_stream stream{};
  if (deflateInit(&stream, 9) != Z_OK) throw std::runtime_error("zlib unavailable");
  std::vector<std::uint8_t> out(1 << 16);
  const auto deflateAll = [&](const std::vector<std::uint8_t>& input, int flush) {
    std::vector<std::uint8_t> produced;
    stream.next_in = const_cast<Bytef*>(input.data());
    stream.avail_in = static_cast<uInt>(input.size());
    do {
      stream.next_out = out.data();
      stream.avail_out = static_cast<uInt>(out.size());
      deflate(&stream, flush);
      produced.insert(produced.end(), out.data(), out.data() + (out.size() - stream.avail_out));
    } while (stream.avail_out == 0);
    return produced;
  };
  // A full flush ends each piece on a byte boundary and forgets the window, so the
  // deflated megabyte means the same wherever it is repeated.
  const std::vector<std::uint8_t> start = deflateAll(head, Z_FULL_FLUSH);
  const std::vector<std::uint8_t> megabyte = deflateAll(std::vector<std::uint8_t>(1 << 20, 0), Z_FULL_FLUSH);
  deflateEnd(&stream);
  file.insert(file.end(), start.begin(), start.end());
  file.reserve(file.size() + megabyte.size() * megabytes);
  for (std::uint32_t i = 0; i < megabytes; ++i) file.insert(file.end(), megabyte.begin(), megabyte.end());
  return file;
}

}  // namespace tavelin::testing
