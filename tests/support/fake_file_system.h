#pragma once
// An in-memory file system with Windows semantics: drive letters and types, names
// compared without regard to case, attributes, and a controllable listing order.

#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace tavelin::testing {

class FakeFileSystem : public FileSystem {
 public:
  FakeFileSystem();

  // Setting up.
  void SetDriveType(char letter, DriveType type);
  void AddFolder(const std::string& path, std::uint32_t attributes = attr::kDirectory);
  void AddFile(const std::string& path, std::vector<std::uint8_t> content = {}, std::uint32_t attributes = attr::kArchive,
               FileTime lastWrite = {});
  void AddFile(const std::string& path, const std::string& content, std::uint32_t attributes = attr::kArchive);
  // Makes the next call of `operation` ("WriteFile", "Rename", ...) throw this description.
  void FailNext(const std::string& operation, const std::string& description);
  void SetSystemFolder(std::string path) { systemFolder_ = std::move(path); }
  void SetProgramPath(std::string folder, std::string baseName);

  // Inspecting.
  bool Contains(const std::string& path) const;
  std::uint32_t Attributes(const std::string& path) const;
  std::string Content(const std::string& path) const;
  const std::vector<std::string>& Recycled() const { return recycled_; }

  // FileSystem.
  std::vector<DirectoryEntry> List(const std::string& pattern) override;
  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  DriveType GetDriveType(const std::string& root) override;
  std::vector<std::uint8_t> ReadFile(const std::string& path, std::size_t maxBytes) override;
  void WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) override;
  void AppendFile(const std::string& path, std::span<const std::uint8_t> bytes) override;
  std::size_t ReadFileAt(const std::string& path, std::uint64_t offset, std::span<std::uint8_t> into) override;
  // FailNextWriteAfter applies to the bytes a copy writes as well.
  void CopyFileRange(const std::string& source, std::uint64_t offset, std::uint64_t length, const std::string& output,
                     bool append) override;
  void CopyFile(const std::string& from, const std::string& to) override;
  void Rename(const std::string& from, const std::string& to) override;
  void ReplaceFile(const std::string& from, const std::string& to) override;
  // Makes the next WriteFile or CopyFileRange store only this many bytes and then fail,
  // as a full disk does.
  void FailNextWriteAfter(std::size_t bytes, const std::string& description);
  void SetAttributesNormal(const std::string& path) override;
  void DeleteToRecycleBin(const std::string& path) override;
  void DeleteFile(const std::string& path) override;
  // The shell asks the user first; `shellDeclines` makes the user say no.
  void ShellDelete(const std::string& path, bool allowUndo) override;
  bool shellDeclines = false;
  // Runs while the shell's confirmation is open, as the user's clicks elsewhere would.
  std::function<void()> whileShellAsks;
  std::vector<std::string> shellDeletes;  // "recycle C:\a.swf" or "delete C:\a.swf"
  // A link (junction) at `path` showing the folder `target`: listing through it lists
  // the target, and both have one identity.
  void AddLink(const std::string& path, const std::string& target);
  std::string FolderIdentity(const std::string& path) override;
  std::string SystemFolder() override { return systemFolder_; }
  std::string ProgramFolder() override { return programFolder_; }
  std::string ExecutableBaseName() override { return programBaseName_; }

 private:
  struct Node {
    std::string path;  // as given, without a trailing backslash
    bool folder = false;
    std::uint32_t attributes = 0;
    std::vector<std::uint8_t> content;
    FileTime lastWrite;
    long order = 0;  // position in its folder's listing
  };

  static std::string Key(const std::string& path);
  void CheckFailure(const std::string& operation);
  Node* Find(const std::string& path);
  const Node* Find(const std::string& path) const;
  Node& RequireFile(const std::string& path);
  void RequireParentFolder(const std::string& path) const;
  Node& Put(const std::string& path, bool folder);

  // A path with every link on its way replaced by the link's target.
  std::string Resolve(const std::string& path) const;

  std::map<std::string, Node> nodes_;  // by lower-case path
  std::map<std::string, std::string> links_;  // lower-case link path -> target path
  std::map<char, DriveType> drives_;
  std::map<std::string, std::string> failures_;
  std::size_t partialWriteBytes_ = 0;
  std::string partialWriteFailure_;
  std::vector<std::string> recycled_;
  std::string systemFolder_ = "C:\\WINDOWS\\system32";
  std::string programFolder_ = "C:\\Program Files\\Tavelin";
  std::string programBaseName_ = "Tavelin";
  long nextOrder_ = 0;
  std::int64_t clock_ = 133000000000000000;  // file times of files written here
};

// Whether a name matches a pattern with * and ?, ignoring case as Windows does.
bool WildcardMatch(const std::string& pattern, const std::string& name);

}  // namespace tavelin::testing
