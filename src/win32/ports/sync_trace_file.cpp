#include "win32/ports/sync_trace_file.h"

#include "win32/windows_api.h"

#include <cstdio>
#include <memory>

namespace tavelin::win32 {
namespace {

class TraceFile {
 public:
  explicit TraceFile(HANDLE file) : file_(file) {}
  ~TraceFile() { CloseHandle(file_); }
  TraceFile(const TraceFile&) = delete;
  TraceFile& operator=(const TraceFile&) = delete;

  void Write(double heard, std::int64_t before, std::int64_t after) {
    LARGE_INTEGER now{}, frequency{};
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    const double seconds = double(now.QuadPart) / double(frequency.QuadPart);
    char line[96];
    const int length = std::snprintf(line, sizeof line, "%.4f %.3f %lld %lld\n", seconds, heard, static_cast<long long>(before),
                                     static_cast<long long>(after));
    DWORD written = 0;
    if (length > 0) WriteFile(file_, line, static_cast<DWORD>(length), &written, nullptr);
  }

 private:
  HANDLE file_;
};

}  // namespace

std::function<void(double, std::int64_t, std::int64_t)> SyncTraceFromEnvironment() {
  wchar_t path[MAX_PATH] = {};
  const DWORD length = GetEnvironmentVariableW(L"TAVELIN_SYNC_TRACE", path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  HANDLE file = CreateFileW(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  auto trace = std::make_shared<TraceFile>(file);
  return [trace](double heard, std::int64_t before, std::int64_t after) { trace->Write(heard, before, after); };
}

}  // namespace tavelin::win32
