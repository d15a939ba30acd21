#pragma once
// One program folder, one library: the first copy started from a folder keeps the
// library; a later start from the same folder hands its command line to that copy
// and ends. Copies in different folders are independent.

#include <cstdint>
#include <string>

namespace tavelin {

// What choosing a copy's role asks of the system.
class InstancePort {
 public:
  virtual ~InstancePort() = default;

  // Claims `name` for this process for as long as it runs; false when another process
  // holds it.
  virtual bool Claim(const std::string& name) = 0;
  // Gives the command line to the copy that holds `name` and listens; true when it
  // took it. Waits at most timeoutMs for its answer.
  virtual bool HandOver(const std::string& name, const std::string& commandLine, int timeoutMs) = 0;
  // A steady clock in milliseconds, and a pause.
  virtual std::int64_t NowMs() = 0;
  virtual void Sleep(int ms) = 0;
};

enum class InstanceRole {
  kFirst,       // keeps the library: reads and writes the store, listens for hand-overs
  kHandedOver,  // another copy took the command line; this one ends
  kAlone,       // the other copy never answered: runs, but leaves the store alone
};

// How long a start waits for a copy that is still starting or closing.
inline constexpr int kHandOverWaitMs = 15000;
inline constexpr int kHandOverRetryMs = 100;

// The name the copies of one program folder share: the same for every spelling of
// the folder (letter case, a trailing backslash), and made only of characters any
// kernel object's name may hold.
std::string LibraryInstanceName(const std::string& programFolder);

// Claims the folder's name, or hands the command line to the copy that holds it. A
// copy that holds the name but does not listen yet (starting) or any more (closing)
// is waited for, up to waitMs: a closing copy gives the name up when it ends.
InstanceRole ChooseInstanceRole(InstancePort& port, const std::string& programFolder,
                                const std::string& commandLine, int waitMs = kHandOverWaitMs);

}  // namespace tavelin
