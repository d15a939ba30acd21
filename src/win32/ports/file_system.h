#pragma once
// The file system through the wide Win32 file APIs.

#include "win32/windows_api.h"

#include "platform/file_system.h"

namespace tavelin::win32 {

class Win32FileSystem : public FileSystem {
 public:
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
  void DeleteFile(const std::string& path) override;
  void ShellDelete(const std::string& path, bool allowUndo) override;
  std::string FolderIdentity(const std::string& path) override;
  std::string SystemFolder() override;
  std::string ProgramFolder() override;
  std::string ExecutableBaseName() override;

  // The window the shell's confirmations and progress belong to, so that they are
  // modal to it as in Explorer.
  void SetDialogOwner(HWND owner) { dialogOwner_ = owner; }

 private:
  HWND dialogOwner_ = nullptr;
};

}  // namespace tavelin::win32
