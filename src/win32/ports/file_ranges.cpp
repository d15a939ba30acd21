// Reading and copying pieces of files: what lets the projector tools work through files
// of any size with a small buffer.
#include "win32/ports/file_system.h"

#include <algorithm>
#include <vector>

#include "win32/ports/long_path.h"
#include "win32/sent_messages.h"
#include "win32/ports/system_error.h"

namespace tavelin::win32 {
namespace {

// A copy moves this much at a time: large enough that each system call is worth its
// cost, small enough to stay in the cache.
constexpr std::size_t kCopyBuffer = std::size_t{1} << 20;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class OpenFile {
 public:
  OpenFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition, DWORD flags)
      : handle_(CreateFileW(path.c_str(), access, share, nullptr, disposition, flags, nullptr)) {
    if (handle_ == INVALID_HANDLE_VALUE) ThrowLastError();
  }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  ~OpenFile() { CloseHandle(handle_); }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

void MoveTo(HANDLE file, std::uint64_t offset, DWORD from = FILE_BEGIN) {
  LARGE_INTEGER position{};
  position.QuadPart = static_cast<LONGLONG>(offset);
  if (!SetFilePointerEx(file, position, nullptr, from)) ThrowLastError();
}

// Reads until `into` is full or the file ends.
std::size_t ReadUpTo(HANDLE file, std::uint8_t* into, std::size_t wanted) {
  std::size_t done = 0;
  while (done < wanted) {
    DWORD read = 0;
    if (!::ReadFile(file, into + done, static_cast<DWORD>(std::min<std::size_t>(wanted - done, std::size_t{1} << 30)), &read,
                    nullptr)) {
      ThrowLastError();
    }
    if (read == 0) break;
    done += read;
  }
  return done;
}

// As everywhere in this port: a read-only file is never written, whatever the host's
// permissions would allow.
void RefuseReadOnlyTarget(const std::wstring& target) {
  const DWORD attributes = GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    ThrowSystemError(ERROR_ACCESS_DENIED);
  }
}

}  // namespace

std::size_t Win32FileSystem::ReadFileAt(const std::string& path, std::uint64_t offset, std::span<std::uint8_t> into) {
  OpenFile file(SystemPath(path), GENERIC_READ, kShareAll, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
  MoveTo(file.get(), offset);
  AnswerSentMessages();  // the projector tools read large files a window at a time
  return ReadUpTo(file.get(), into.data(), into.size());
}

void Win32FileSystem::CopyFileRange(const std::string& source, std::uint64_t offset, std::uint64_t length,
                                    const std::string& output, bool append) {
  OpenFile from(SystemPath(source), GENERIC_READ, kShareAll, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN);
  const std::wstring target = SystemPath(output);
  RefuseReadOnlyTarget(target);
  OpenFile to(target, GENERIC_WRITE, FILE_SHARE_READ, append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL);
  if (append) MoveTo(to.get(), 0, FILE_END);
  MoveTo(from.get(), offset);

  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(length, kCopyBuffer)));
  std::uint64_t left = length;
  while (left > 0) {
    const std::size_t piece = static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer.size()));
    if (ReadUpTo(from.get(), buffer.data(), piece) != piece) ThrowSystemError(ERROR_HANDLE_EOF);
    // A nearly full disk takes part of a piece; writing the rest then fails with the
    // system's own reason.
    for (std::size_t done = 0; done < piece;) {
      DWORD written = 0;
      if (!::WriteFile(to.get(), buffer.data() + done, static_cast<DWORD>(piece - done), &written, nullptr)) {
        ThrowLastError();
      }
      if (written == 0) ThrowSystemError(ERROR_WRITE_FAULT);
      done += written;
    }
    left -= piece;
    AnswerSentMessages();  // a copy of gigabytes keeps the windows answering
  }
  // A copy that will replace another file must be on disk before the replacement.
  if (!FlushFileBuffers(to.get())) ThrowLastError();
}

}  // namespace tavelin::win32
