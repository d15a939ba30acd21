#include "zip_archive.h"

#include <zlib.h>

#include <algorithm>

namespace tavelin::e2e {
namespace {

constexpr std::uint32_t kEndOfDirectory = 0x06054b50;
constexpr std::uint32_t kDirectoryEntry = 0x02014b50;
constexpr std::uint32_t kLocalHeader = 0x04034b50;
constexpr std::size_t kEndRecordSize = 22;
constexpr std::size_t kLargestComment = 0xFFFF;
constexpr std::uint32_t kLargestEntry = 512u << 20;

struct Reader {
  const std::vector<std::uint8_t>& bytes;
  bool Has(std::size_t at, std::size_t size) const { return at <= bytes.size() && size <= bytes.size() - at; }
  std::uint32_t U16(std::size_t at) const { return bytes[at] | bytes[at + 1] << 8; }
  std::uint32_t U32(std::size_t at) const { return U16(at) | U16(at + 2) << 16; }
};

std::optional<std::vector<std::uint8_t>> Inflate(const std::uint8_t* data, std::size_t size, std::uint32_t expected) {
  std::vector<std::uint8_t> out(expected);
  z_stream stream{};
  if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return std::nullopt;
  stream.next_in = const_cast<Bytef*>(data);
  stream.avail_in = static_cast<uInt>(size);
  stream.next_out = out.data();
  stream.avail_out = static_cast<uInt>(out.size());
  const int result = inflate(&stream, Z_FINISH);
  const bool complete = result == Z_STREAM_END && stream.total_out == expected;
  inflateEnd(&stream);
  if (!complete) return std::nullopt;
  return out;
}

}  // namespace

std::optional<std::vector<ZipEntry>> ReadZip(const std::vector<std::uint8_t>& archive) {
  const Reader in{archive};
  if (archive.size() < kEndRecordSize) return std::nullopt;
  // The end record sits before a comment of at most 64 KB; search backwards for it.
  std::size_t end = archive.size() - kEndRecordSize;
  const std::size_t lowest = end > kLargestComment ? end - kLargestComment : 0;
  while (in.U32(end) != kEndOfDirectory) {
    if (end == lowest) return std::nullopt;
    --end;
  }
  const std::uint32_t count = in.U16(end + 10);
  std::size_t at = in.U32(end + 16);

  std::vector<ZipEntry> entries;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (!in.Has(at, 46) || in.U32(at) != kDirectoryEntry) return std::nullopt;
    const std::uint32_t flags = in.U16(at + 8), method = in.U16(at + 10);
    const std::uint32_t packed = in.U32(at + 20), size = in.U32(at + 24);
    const std::size_t nameLength = in.U16(at + 28), extra = in.U16(at + 30), comment = in.U16(at + 32);
    const std::size_t local = in.U32(at + 42);
    if ((flags & 1) || size > kLargestEntry || !in.Has(at + 46, nameLength)) return std::nullopt;
    ZipEntry entry;
    entry.name.assign(archive.begin() + at + 46, archive.begin() + at + 46 + nameLength);
    at += 46 + nameLength + extra + comment;

    if (!in.Has(local, 30) || in.U32(local) != kLocalHeader) return std::nullopt;
    const std::size_t data = local + 30 + in.U16(local + 26) + in.U16(local + 28);
    if (!in.Has(data, packed)) return std::nullopt;
    if (method == 0 && packed == size) {
      entry.bytes.assign(archive.begin() + data, archive.begin() + data + size);
    } else if (method == 8) {
      auto inflated = Inflate(archive.data() + data, packed, size);
      if (!inflated) return std::nullopt;
      entry.bytes = std::move(*inflated);
    } else {
      return std::nullopt;
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

}  // namespace tavelin::e2e
