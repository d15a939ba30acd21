#pragma once
// A record of how the picture keeps up with the sound, for measuring: when the
// environment variable TAVELIN_SYNC_TRACE names a file, every tick paced by the sound
// appends a line "seconds heard before after": the seconds since the trace began, the
// stream's position heard (frames since the stream started, with the part of the
// frame), and the frames the picture had moved on before and after the tick.

#include <chrono>
#include <cstdint>
#include <cstdio>

namespace tavelin {

class SyncTrace {
 public:
  SyncTrace();
  ~SyncTrace();
  SyncTrace(const SyncTrace&) = delete;
  SyncTrace& operator=(const SyncTrace&) = delete;

  bool On() const { return file_ != nullptr; }
  void Record(double heard, std::int64_t before, std::int64_t after);

 private:
  std::FILE* file_ = nullptr;
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace tavelin
