#include "win32/ports/file_system.h"

#include <shellapi.h>

#include <algorithm>
#include <span>

#include "platform/failure.h"
#include "win32/ports/long_path.h"
#include "win32/ports/system_error.h"
#include "win32/sent_messages.h"
#include "win32/text.h"

namespace tavelin::win32 {
namespace {

class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  HANDLE get() const { return handle_; }
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

class FindHandle {
 public:
  explicit FindHandle(HANDLE handle) : handle_(handle) {}
  FindHandle(const FindHandle&) = delete;
  FindHandle& operator=(const FindHandle&) = delete;
  ~FindHandle() {
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
  }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// The largest piece one ReadFile or WriteFile call moves.
constexpr std::size_t kChunk = 16u << 20;  // small enough to answer the system between pieces

bool IsDotOrDotDot(const wchar_t* name) {
  return (name[0] == L'.' && name[1] == L'\0') || (name[0] == L'.' && name[1] == L'.' && name[2] == L'\0');
}

DirectoryEntry EntryFrom(const WIN32_FIND_DATAW& data) {
  DirectoryEntry entry;
  entry.name = Narrow(data.cFileName);
  entry.attributes = data.dwFileAttributes;
  entry.size = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  entry.lastWrite.ticks = static_cast<std::int64_t>((static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                                    data.ftLastWriteTime.dwLowDateTime);
  return entry;
}

void WriteAll(HANDLE file, std::span<const std::uint8_t> bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD piece = static_cast<DWORD>(std::min(kChunk, bytes.size() - done));
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data() + done, piece, &written, nullptr)) ThrowLastError();
    if (written == 0) ThrowSystemError(ERROR_WRITE_FAULT);
    done += written;
    AnswerSentMessages();
  }
}

// The module path of the running program, however long it is.
std::wstring ModulePath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) ThrowLastError();
    if (length < buffer.size()) {
      buffer.resize(length);
      return buffer;
    }
    if (buffer.size() >= 0x10000) ThrowSystemError(ERROR_INSUFFICIENT_BUFFER);
    buffer.resize(buffer.size() * 2);
  }
}

std::wstring::size_type LastSeparator(const std::wstring& path) { return path.find_last_of(L"\\/"); }

// Windows refuses to open a read-only file for writing. Where the system leaves that
// to the host's permissions (Wine run by a superuser), the refusal is made here, so
// the program meets the same rule everywhere.
void RefuseReadOnly(const std::wstring& target) {
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    ThrowSystemError(ERROR_ACCESS_DENIED);
  }
}

// The results SHFileOperationW gives in place of system error codes, mapped to the
// nearest system error so the user reads the system's own description.
DWORD ShellOperationError(int result) {
  switch (result) {
    case 0x71:  // source and destination are the same file
      return ERROR_ALREADY_EXISTS;
    case 0x74:  // a root folder cannot be moved or renamed
    case 0x78:  // access denied on the source
    case 0x86:  // a read-only destination
      return ERROR_ACCESS_DENIED;
    case 0x7C:  // a path that is not valid
    case 0x402:
      return ERROR_PATH_NOT_FOUND;
    default:
      return static_cast<DWORD>(result);
  }
}

}  // namespace

std::vector<DirectoryEntry> Win32FileSystem::List(const std::string& pattern) {
  std::vector<DirectoryEntry> entries;
  WIN32_FIND_DATAW data{};
  FindHandle find(FindFirstFileExW(SystemPath(pattern).c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                   nullptr, 0));
  if (find.get() == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_NO_MORE_FILES) {
      return entries;
    }
    ThrowSystemError(error);
  }
  do {
    if (!IsDotOrDotDot(data.cFileName)) entries.push_back(EntryFrom(data));
  } while (FindNextFileW(find.get(), &data));
  const DWORD error = GetLastError();
  if (error != ERROR_NO_MORE_FILES) ThrowSystemError(error);
  return entries;
}

bool Win32FileSystem::FileExists(const std::string& path) {
  AnswerSentMessages();  // a library of a million movies checks each at start-up
  const DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32FileSystem::FolderExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(SystemPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

DriveType Win32FileSystem::GetDriveType(const std::string& root) {
  std::wstring wide = Widen(root);
  if (!wide.empty() && wide.back() != L'\\') wide.push_back(L'\\');  // the call needs the trailing backslash
  return static_cast<DriveType>(GetDriveTypeW(wide.c_str()));
}

std::vector<std::uint8_t> Win32FileSystem::ReadFile(const std::string& path, std::size_t maxBytes) {
  FileHandle file(CreateFileW(SystemPath(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) ThrowLastError();
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) ThrowLastError();

  const std::uint64_t fileSize = static_cast<std::uint64_t>(size.QuadPart);
  const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, maxBytes));
  std::vector<std::uint8_t> bytes(wanted);
  std::size_t done = 0;
  while (done < wanted) {
    const DWORD piece = static_cast<DWORD>(std::min(kChunk, wanted - done));
    DWORD read = 0;
    if (!::ReadFile(file.get(), bytes.data() + done, piece, &read, nullptr)) ThrowLastError();
    if (read == 0) break;  // the file shrank while we read it
    done += read;
    AnswerSentMessages();
  }
  bytes.resize(done);
  return bytes;
}

void Win32FileSystem::WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  const std::wstring target = SystemPath(path);
  // Replacing a hidden or system file succeeds only when the new file keeps those
  // attributes; a read-only file stays protected and the call fails.
  DWORD attributes = FILE_ATTRIBUTE_NORMAL;
  RefuseReadOnly(target);
  const DWORD existing = GetFileAttributesW(target.c_str());
  if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    const DWORD kept = existing & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    if (kept != 0) attributes = kept;
  }
  FileHandle file(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, attributes,
                              nullptr));
  if (!file.valid()) ThrowLastError();
  WriteAll(file.get(), bytes);
  // A file that will replace another must be on disk before the replacement.
  if (!FlushFileBuffers(file.get())) ThrowLastError();
}

void Win32FileSystem::AppendFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  const std::wstring target = SystemPath(path);
  RefuseReadOnly(target);
  FileHandle file(CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.valid()) ThrowLastError();
  LARGE_INTEGER zero{};
  if (!SetFilePointerEx(file.get(), zero, nullptr, FILE_END)) ThrowLastError();
  WriteAll(file.get(), bytes);
}

void Win32FileSystem::CopyFile(const std::string& from, const std::string& to) {
  const std::wstring target = SystemPath(to);
  RefuseReadOnly(target);
  if (!CopyFileW(SystemPath(from).c_str(), target.c_str(), FALSE)) ThrowLastError();
}

void Win32FileSystem::Rename(const std::string& from, const std::string& to) {
  if (!MoveFileW(SystemPath(from).c_str(), SystemPath(to).c_str())) ThrowLastError();
}

void Win32FileSystem::ReplaceFile(const std::string& from, const std::string& to) {
  const std::wstring target = SystemPath(to);
  RefuseReadOnly(target);
  if (!MoveFileExW(SystemPath(from).c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    ThrowLastError();
  }
}

void Win32FileSystem::SetAttributesNormal(const std::string& path) {
  const std::wstring target = SystemPath(path);
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) ThrowLastError();
  // Only these bits can be set; the directory bit and the like are the system's to keep.
  constexpr DWORD kSettable = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_OFFLINE |
                              FILE_ATTRIBUTE_TEMPORARY;
  DWORD wanted = attributes & kSettable;
  if (wanted == 0) wanted = FILE_ATTRIBUTE_NORMAL;  // NORMAL is valid only on its own
  if (!SetFileAttributesW(target.c_str(), wanted)) ThrowLastError();
}

namespace {

// Deletes one file through the shell; `flags` choose the recycle bin and the dialogs,
// which are modal to `owner`.
void ShellDeleteWith(const std::string& path, FILEOP_FLAGS flags, HWND owner) {
  // The shell expands wildcards; one path must never delete several files.
  if (path.find_first_of("*?") != std::string::npos) ThrowSystemError(ERROR_INVALID_NAME);
  // The recycle bin needs a full path, and the shell reads a list ended by two NULs.
  std::wstring wide = Widen(path);
  std::wstring full(wide.size() + MAX_PATH, L'\0');
  const DWORD length = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length == 0) ThrowLastError();
  // The shell takes no \\?\ path and stops at MAX_PATH on Windows (Wine goes further);
  // the port refuses such a path everywhere, so the program meets one rule.
  if (length >= full.size() || length >= MAX_PATH) ThrowSystemError(ERROR_FILENAME_EXCED_RANGE);
  full.resize(length);
  full.append(2, L'\0');

  SHFILEOPSTRUCTW operation{};
  operation.hwnd = owner;
  operation.wFunc = FO_DELETE;
  operation.pFrom = full.c_str();
  operation.fFlags = flags;
  const int result = SHFileOperationW(&operation);
  if (result != 0) ThrowSystemError(ShellOperationError(result));
  if (operation.fAnyOperationsAborted) ThrowSystemError(ERROR_CANCELLED);
}

}  // namespace

void Win32FileSystem::DeleteToRecycleBin(const std::string& path) {
  ShellDeleteWith(path, FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI, nullptr);
}

void Win32FileSystem::ShellDelete(const std::string& path, bool allowUndo) {
  // The shell asks and shows its progress itself, as when the user deletes in Explorer.
  ShellDeleteWith(path, allowUndo ? FOF_ALLOWUNDO : 0, dialogOwner_);
}

void Win32FileSystem::DeleteFile(const std::string& path) {
  if (!DeleteFileW(SystemPath(path).c_str())) ThrowLastError();
}

std::string Win32FileSystem::FolderIdentity(const std::string& path) {
  // A folder opens as a handle only with backup semantics; reading its attributes needs no access.
  FileHandle folder(CreateFileW(SystemPath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!folder.valid()) return {};
  BY_HANDLE_FILE_INFORMATION information{};
  if (!GetFileInformationByHandle(folder.get(), &information)) return {};
  return std::to_string(information.dwVolumeSerialNumber) + ":" + std::to_string(information.nFileIndexHigh) + ":" +
         std::to_string(information.nFileIndexLow);
}

std::string Win32FileSystem::SystemFolder() {
  for (int attempt = 0; attempt < 4; ++attempt) {
    const UINT needed = GetSystemDirectoryW(nullptr, 0);  // includes the terminating NUL
    if (needed == 0) ThrowLastError();
    std::wstring folder(needed, L'\0');
    const UINT length = GetSystemDirectoryW(folder.data(), needed);
    if (length == 0) ThrowLastError();
    if (length < needed) {
      folder.resize(length);
      if (folder.size() > 3 && folder.back() == L'\\') folder.pop_back();
      return Narrow(folder);
    }
  }
  ThrowSystemError(ERROR_INSUFFICIENT_BUFFER);
}

std::string Win32FileSystem::ProgramFolder() {
  const std::wstring path = ModulePath();
  const auto separator = LastSeparator(path);
  if (separator == std::wstring::npos) return {};
  return Narrow(std::wstring_view(path).substr(0, separator));
}

std::string Win32FileSystem::ExecutableBaseName() {
  const std::wstring path = ModulePath();
  const auto separator = LastSeparator(path);
  std::wstring name = separator == std::wstring::npos ? path : path.substr(separator + 1);
  const auto dot = name.rfind(L'.');
  if (dot != std::wstring::npos && dot > 0) name.resize(dot);
  return Narrow(name);
}

}  // namespace tavelin::win32
