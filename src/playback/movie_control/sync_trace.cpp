#include "playback/movie_control/sync_trace.h"

#include <cstdlib>

namespace tavelin {

SyncTrace::SyncTrace() {
  const char* path = std::getenv("TAVELIN_SYNC_TRACE");
  if (path && *path) file_ = std::fopen(path, "w");
}

SyncTrace::~SyncTrace() {
  if (file_) std::fclose(file_);
}

void SyncTrace::Record(double heard, std::int64_t before, std::int64_t after) {
  if (!file_) return;
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  std::fprintf(file_, "%.4f %.3f %lld %lld\n", seconds, heard, static_cast<long long>(before), static_cast<long long>(after));
  std::fflush(file_);
}

}  // namespace tavelin
