#pragma once
// Reads the entries of a zip archive held in memory: the central directory, then each
// entry's data, stored or deflated. Enough to check what the portable zip holds.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavelin::e2e {

struct ZipEntry {
  std::string name;
  std::vector<std::uint8_t> bytes;
};

// The entries in the order of the central directory, or nothing when the archive is
// damaged or uses what this reader does not know (encryption, another compression).
std::optional<std::vector<ZipEntry>> ReadZip(const std::vector<std::uint8_t>& archive);

}  // namespace tavelin::e2e
