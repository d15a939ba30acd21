#include "support/faulty_file_system.h"

#include <algorithm>

#include "platform/failure.h"

namespace tavelin::testing {
namespace {

char DriveOf(const std::string& path) {
  if (path.size() < 2 || path[1] != ':') return 0;
  const char c = path[0];
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

const char* FaultName(Fault fault) {
  switch (fault) {
    case Fault::kFails: return "fails";
    case Fault::kStopsHalfWay: return "stops half-way";
    case Fault::kDriveVanishes: return "drive vanishes";
    case Fault::kDiskFull: return "disk full";
  }
  return "?";
}

void FaultyFileSystem::Arm(Fault fault, std::size_t n) {
  armed_ = fault;
  at_ = n;
  count_ = 0;
  fired_ = false;
}

bool FaultyFileSystem::OnVanishedDrive(const std::string& path) const {
  const char drive = DriveOf(path);
  return drive && vanished_.count(drive);
}

bool FaultyFileSystem::Fails(Kind kind, const std::string& path, const std::string& other) {
  cutThisWrite_ = false;
  if (++count_ == at_ && armed_ && !fired_) {
    switch (*armed_) {
      case Fault::kFails:
        fired_ = true;
        return true;
      case Fault::kStopsHalfWay:
        if (kind == Kind::kWrite) fired_ = cutThisWrite_ = true;
        break;
      case Fault::kDriveVanishes:
        if (DriveOf(path)) {
          vanished_.insert(DriveOf(path));
          fired_ = true;
        }
        break;
      case Fault::kDiskFull:
        diskFull_ = fired_ = true;
        break;
    }
  }
  return OnVanishedDrive(path) || OnVanishedDrive(other);
}

std::optional<std::size_t> FaultyFileSystem::WriteCut(const std::string&, std::size_t size) {
  if (cutThisWrite_) return size / 2;
  if (diskFull_ && size > 0) return 0;
  return std::nullopt;
}

std::vector<DirectoryEntry> FaultyFileSystem::List(const std::string& pattern) {
  if (Fails(Kind::kRead, pattern)) {
    // A vanished drive's folders are simply not there; a failing one cannot be read.
    if (OnVanishedDrive(pattern)) return {};
    throw Failure(fault_text::kNotReady);
  }
  return inner_.List(pattern);
}

bool FaultyFileSystem::FileExists(const std::string& path) {
  return !Fails(Kind::kQuestion, path) && inner_.FileExists(path);
}

bool FaultyFileSystem::FolderExists(const std::string& path) {
  return !Fails(Kind::kQuestion, path) && inner_.FolderExists(path);
}

DriveType FaultyFileSystem::GetDriveType(const std::string& root) {
  return Fails(Kind::kQuestion, root) ? DriveType::kNoRoot : inner_.GetDriveType(root);
}

std::string FaultyFileSystem::FolderIdentity(const std::string& path) {
  return Fails(Kind::kQuestion, path) ? std::string() : inner_.FolderIdentity(path);
}

std::vector<std::uint8_t> FaultyFileSystem::ReadFile(const std::string& path, std::size_t maxBytes) {
  if (Fails(Kind::kRead, path)) throw Failure(OnVanishedDrive(path) ? fault_text::kNotReady : fault_text::kDeviceError);
  return inner_.ReadFile(path, maxBytes);
}

void FaultyFileSystem::WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  if (Fails(Kind::kWrite, path)) throw Failure(OnVanishedDrive(path) ? fault_text::kNotReady : fault_text::kDeviceError);
  if (const auto kept = WriteCut(path, bytes.size())) {
    inner_.WriteFile(path, bytes.first(*kept));
    throw Failure(cutThisWrite_ ? fault_text::kDeviceError : fault_text::kDiskFull);
  }
  inner_.WriteFile(path, bytes);
}

void FaultyFileSystem::AppendFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  if (Fails(Kind::kWrite, path)) throw Failure(OnVanishedDrive(path) ? fault_text::kNotReady : fault_text::kDeviceError);
  if (const auto kept = WriteCut(path, bytes.size())) {
    inner_.AppendFile(path, bytes.first(*kept));
    throw Failure(cutThisWrite_ ? fault_text::kDeviceError : fault_text::kDiskFull);
  }
  inner_.AppendFile(path, bytes);
}

std::size_t FaultyFileSystem::ReadFileAt(const std::string& path, std::uint64_t offset, std::span<std::uint8_t> into) {
  if (Fails(Kind::kRead, path)) throw Failure(OnVanishedDrive(path) ? fault_text::kNotReady : fault_text::kDeviceError);
  return inner_.ReadFileAt(path, offset, into);
}

void FaultyFileSystem::CopyFileRange(const std::string& source, std::uint64_t offset, std::uint64_t length,
                                     const std::string& output, bool append) {
  if (Fails(Kind::kWrite, source, output)) {
    throw Failure(OnVanishedDrive(source) || OnVanishedDrive(output) ? fault_text::kNotReady : fault_text::kDeviceError);
  }
  if (const auto kept = WriteCut(output, static_cast<std::size_t>(length))) {
    inner_.CopyFileRange(source, offset, *kept, output, append);
    throw Failure(cutThisWrite_ ? fault_text::kDeviceError : fault_text::kDiskFull);
  }
  inner_.CopyFileRange(source, offset, length, output, append);
}

void FaultyFileSystem::CopyFile(const std::string& from, const std::string& to) {
  if (Fails(Kind::kWrite, from, to)) throw Failure(fault_text::kNotReady);
  if (cutThisWrite_ || diskFull_) {
    // The copy is created and breaks off; the system removes what it had copied.
    const auto bytes = inner_.ReadFile(from, SIZE_MAX);
    if (!bytes.empty()) throw Failure(cutThisWrite_ ? fault_text::kDeviceError : fault_text::kDiskFull);
  }
  inner_.CopyFile(from, to);
}

void FaultyFileSystem::Rename(const std::string& from, const std::string& to) {
  if (Fails(Kind::kChange, from, to)) throw Failure(fault_text::kNotReady);
  inner_.Rename(from, to);
}

void FaultyFileSystem::ReplaceFile(const std::string& from, const std::string& to) {
  if (Fails(Kind::kChange, from, to)) throw Failure(fault_text::kNotReady);
  inner_.ReplaceFile(from, to);
}

void FaultyFileSystem::SetAttributesNormal(const std::string& path) {
  if (Fails(Kind::kChange, path)) throw Failure(fault_text::kNotReady);
  inner_.SetAttributesNormal(path);
}

void FaultyFileSystem::DeleteToRecycleBin(const std::string& path) {
  if (Fails(Kind::kChange, path)) throw Failure(fault_text::kNotReady);
  inner_.DeleteToRecycleBin(path);
}

void FaultyFileSystem::ShellDelete(const std::string& path, bool allowUndo) {
  if (Fails(Kind::kChange, path)) throw Failure(fault_text::kNotReady);
  inner_.ShellDelete(path, allowUndo);
}

void FaultyFileSystem::DeleteFile(const std::string& path) {
  if (Fails(Kind::kChange, path)) throw Failure(fault_text::kNotReady);
  inner_.DeleteFile(path);
}

}  // namespace tavelin::testing
