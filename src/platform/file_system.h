#pragma once
// The file system as the program sees it: Windows paths in UTF-8 (C:\Movies\a.swf),
// Windows semantics. Every member throws Failure with the system's description.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tavelin {

// File attribute bits, with the values Windows gives them.
namespace attr {
inline constexpr std::uint32_t kReadOnly = 0x01;
inline constexpr std::uint32_t kHidden = 0x02;
inline constexpr std::uint32_t kSystem = 0x04;
inline constexpr std::uint32_t kDirectory = 0x10;
inline constexpr std::uint32_t kArchive = 0x20;
inline constexpr std::uint32_t kNormal = 0x80;
inline constexpr std::uint32_t kReparsePoint = 0x400;  // a junction or a symbolic link
}  // namespace attr

// Drive types as the system reports them for a root such as "C:\".
enum class DriveType : int {
  kUnknown = 0,
  kNoRoot = 1,
  kRemovable = 2,
  kFixed = 3,
  kRemote = 4,
  kCdRom = 5,
  kRamDisk = 6,
};

// A point in time as Windows keeps file times: 100 ns units since 1601-01-01 UTC.
struct FileTime {
  std::int64_t ticks = 0;
  friend bool operator==(const FileTime&, const FileTime&) = default;
  friend auto operator<=>(const FileTime&, const FileTime&) = default;
};

struct DirectoryEntry {
  std::string name;  // name and extension, no folder
  std::uint32_t attributes = 0;
  std::uint64_t size = 0;
  FileTime lastWrite;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Entries matching a pattern such as "C:\Movies\*.swf" or an exact path, in the
  // file system's own order. "." and ".." are never returned. A pattern that matches
  // nothing, or whose folder does not exist, gives an empty list.
  virtual std::vector<DirectoryEntry> List(const std::string& pattern) = 0;

  // Whether a file (not a folder) exists at path, hidden and read-only ones included.
  virtual bool FileExists(const std::string& path) = 0;
  // Whether a folder exists at path (with or without a trailing backslash).
  virtual bool FolderExists(const std::string& path) = 0;

  virtual DriveType GetDriveType(const std::string& root) = 0;

  // Reads at most maxBytes from the start of the file.
  virtual std::vector<std::uint8_t> ReadFile(const std::string& path, std::size_t maxBytes) = 0;
  // Creates or replaces the file with exactly these bytes.
  virtual void WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) = 0;
  virtual void AppendFile(const std::string& path, std::span<const std::uint8_t> bytes) = 0;
  // Reads into `into` from byte `offset` of the file; returns how many bytes it read,
  // fewer than asked only at the end of the file.
  virtual std::size_t ReadFileAt(const std::string& path, std::uint64_t offset, std::span<std::uint8_t> into) = 0;
  // Copies `length` bytes of `source` from byte `offset` to `output` a piece at a time,
  // so a file of any size costs only a small buffer: appended when `append`, otherwise
  // `output` is created or replaced and is on disk when it returns. A source that ends
  // before the range does is a failure.
  virtual void CopyFileRange(const std::string& source, std::uint64_t offset, std::uint64_t length,
                             const std::string& output, bool append) = 0;
  // Copies, replacing an existing target.
  virtual void CopyFile(const std::string& from, const std::string& to) = 0;
  virtual void Rename(const std::string& from, const std::string& to) = 0;
  // Moves `from` over `to` in one step, replacing it; the data is on disk when it returns.
  virtual void ReplaceFile(const std::string& from, const std::string& to) = 0;
  // Clears read-only, hidden and system.
  virtual void SetAttributesNormal(const std::string& path) = 0;
  virtual void DeleteToRecycleBin(const std::string& path) = 0;
  // Deletes through the shell as the user does, with the shell's own confirmation and
  // progress: to the recycle bin when allowUndo, for good otherwise.
  virtual void ShellDelete(const std::string& path, bool allowUndo) = 0;
  virtual void DeleteFile(const std::string& path) = 0;

  // What makes a folder the same folder however it is reached (through a junction or a
  // link): on Windows its volume serial number and file index. Empty when the system
  // cannot tell.
  virtual std::string FolderIdentity(const std::string& path) = 0;

  // The system folder, without a trailing backslash.
  virtual std::string SystemFolder() = 0;
  // The folder of the running executable, without a trailing backslash.
  virtual std::string ProgramFolder() = 0;
  // The executable's base name without extension ("Tavelin").
  virtual std::string ExecutableBaseName() = 0;
};

}  // namespace tavelin
