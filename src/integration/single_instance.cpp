#include "integration/single_instance.h"

#include <algorithm>
#include <cstdio>

#include "platform/text.h"

namespace tavelin {

std::string LibraryInstanceName(const std::string& programFolder) {
  std::string folder = FoldCase(programFolder);
  while (folder.size() > 1 && folder.back() == '\\') folder.pop_back();
  // FNV-1a over the folded folder: a fixed-length name whatever the path's length,
  // and no backslash (which names a namespace in kernel object names).
  std::uint64_t hash = 14695981039346656037ULL;
  for (unsigned char c : folder) {
    hash ^= c;
    hash *= 1099511628211ULL;
  }
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
  return std::string("Tavelin.Library.") + hex;
}

InstanceRole ChooseInstanceRole(InstancePort& port, const std::string& programFolder,
                                const std::string& commandLine, int waitMs) {
  const std::string name = LibraryInstanceName(programFolder);
  const std::int64_t deadline = port.NowMs() + std::max(waitMs, 0);
  for (;;) {
    if (port.Claim(name)) return InstanceRole::kFirst;
    const std::int64_t left = deadline - port.NowMs();
    if (port.HandOver(name, commandLine, static_cast<int>(std::clamp<std::int64_t>(left, 1, waitMs > 0 ? waitMs : 1)))) {
      return InstanceRole::kHandedOver;
    }
    if (port.NowMs() >= deadline) return InstanceRole::kAlone;
    port.Sleep(kHandOverRetryMs);
  }
}

}  // namespace tavelin
