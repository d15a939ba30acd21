#pragma once
// A file system that passes every call on to another one and makes one of them go
// wrong, as disks and drives do: the n-th operation fails, a write stops half-way, the
// drive vanishes, the disk fills up. Counting starts when a fault is armed, so a test
// sets its files up first and then sweeps n over every operation of what it checks.

#include <optional>
#include <set>
#include <string>

#include "platform/file_system.h"

namespace tavelin::testing {

enum class Fault {
  kFails,          // the operation fails; a question (does it exist?) is answered no
  kStopsHalfWay,   // a write keeps the first half of its bytes and then fails
  kDriveVanishes,  // from this operation on, the drive it touched is gone
  kDiskFull,       // from this operation on, nothing more can be written
};

const char* FaultName(Fault fault);

// The descriptions the system gives for these failures.
namespace fault_text {
inline constexpr const char* kDeviceError = "由于 I/O 设备错误，无法运行此项请求。";
inline constexpr const char* kNotReady = "设备未就绪。";
inline constexpr const char* kDiskFull = "磁盘空间不足。";
}  // namespace fault_text

class FaultyFileSystem : public FileSystem {
 public:
  explicit FaultyFileSystem(FileSystem& inner) : inner_(inner) {}

  // Operation `n` (1 for the next one) goes wrong in this way; the count restarts.
  void Arm(Fault fault, std::size_t n);
  // Operations since the last Arm (or since construction).
  std::size_t Operations() const { return count_; }
  // Whether the armed fault has happened: a half-way stop armed on an operation that
  // writes nothing never does.
  bool Fired() const { return fired_; }

  std::vector<DirectoryEntry> List(const std::string& pattern) override;
  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  DriveType GetDriveType(const std::string& root) override;
  std::vector<std::uint8_t> ReadFile(const std::string& path, std::size_t maxBytes) override;
  void WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) override;
  void AppendFile(const std::string& path, std::span<const std::uint8_t> bytes) override;
  std::size_t ReadFileAt(const std::string& path, std::uint64_t offset, std::span<std::uint8_t> into) override;
  void CopyFileRange(const std::string& source, std::uint64_t offset, std::uint64_t length, const std::string& output,
                     bool append) override;
  void CopyFile(const std::string& from, const std::string& to) override;
  void Rename(const std::string& from, const std::string& to) override;
  void ReplaceFile(const std::string& from, const std::string& to) override;
  void SetAttributesNormal(const std::string& path) override;
  void DeleteToRecycleBin(const std::string& path) override;
  void ShellDelete(const std::string& path, bool allowUndo) override;
  void DeleteFile(const std::string& path) override;
  std::string FolderIdentity(const std::string& path) override;
  std::string SystemFolder() override { return inner_.SystemFolder(); }
  std::string ProgramFolder() override { return inner_.ProgramFolder(); }
  std::string ExecutableBaseName() override { return inner_.ExecutableBaseName(); }

 private:
  enum class Kind { kQuestion, kRead, kWrite, kChange };
  // Counts one operation on these paths and applies what is armed. Returns true when
  // the operation must fail: a question then answers no, anything else throws.
  bool Fails(Kind kind, const std::string& path, const std::string& other = {});
  bool OnVanishedDrive(const std::string& path) const;
  // A write that stops half-way or meets a full disk: what part of it lands.
  std::optional<std::size_t> WriteCut(const std::string& path, std::size_t size);

  FileSystem& inner_;
  std::optional<Fault> armed_;
  std::size_t at_ = 0, count_ = 0;
  bool fired_ = false, diskFull_ = false, cutThisWrite_ = false;
  std::set<char> vanished_;  // drive letters, lower case
};

}  // namespace tavelin::testing
