// Cutting movies out of projectors: the signature scan against memchr over the same
// buffer, and the layout decision of a large single-movie projector.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "projector/projector_layout.h"

namespace {

constexpr std::size_t kBufferBytes = std::size_t{256} << 20;

// 256 MB of stub-like bytes (few 'F's) with a signature about every megabyte.
const std::vector<std::uint8_t>& ScanBuffer() {
  static const std::vector<std::uint8_t> buffer = [] {
    std::vector<std::uint8_t> bytes(kBufferBytes);
    std::uint32_t state = 12345;
    for (std::uint8_t& b : bytes) {
      state = state * 1103515245u + 12345u;
      b = static_cast<std::uint8_t>(state >> 24);
    }
    for (std::size_t at = 1 << 20; at + 3 < bytes.size(); at += (1 << 20) + 4099) {
      bytes[at] = 'F', bytes[at + 1] = 'W', bytes[at + 2] = 'S';
    }
    return bytes;
  }();
  return buffer;
}

void BM_FindEverySignature(benchmark::State& state) {
  const auto& buffer = ScanBuffer();
  for (auto _ : state) {
    std::size_t found = 0;
    for (std::size_t at = tavelin::projector::FindSwfSignature(buffer, 1024); at != 0;
         at = tavelin::projector::FindSwfSignature(buffer, at + 1)) {
      ++found;
    }
    benchmark::DoNotOptimize(found);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * buffer.size()));
}
BENCHMARK(BM_FindEverySignature)->Unit(benchmark::kMillisecond);

// The floor: memchr visiting every 'F' of the same buffer.
void BM_MemchrEveryF(benchmark::State& state) {
  const auto& buffer = ScanBuffer();
  for (auto _ : state) {
    std::size_t found = 0;
    const std::uint8_t* at = buffer.data();
    const std::uint8_t* end = buffer.data() + buffer.size();
    while (at < end) {
      const void* hit = std::memchr(at, 'F', static_cast<std::size_t>(end - at));
      if (!hit) break;
      ++found;
      at = static_cast<const std::uint8_t*>(hit) + 1;
    }
    benchmark::DoNotOptimize(found);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * buffer.size()));
}
BENCHMARK(BM_MemchrEveryF)->Unit(benchmark::kMillisecond);

}  // namespace
