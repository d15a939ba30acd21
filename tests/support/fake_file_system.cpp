#include "support/fake_file_system.h"

#include <span>
#include <algorithm>
#include <utility>

#include "platform/failure.h"

namespace tavelin::testing {
namespace {

constexpr const char* kFileNotFound = "系统找不到指定的文件。";
constexpr const char* kPathNotFound = "系统找不到指定的路径。";
constexpr const char* kAccessDenied = "拒绝访问。";
constexpr const char* kEndOfFile = "已到文件结尾。";
constexpr const char* kAlreadyExists = "当文件已存在时，无法创建该文件。";

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string WithoutTrailingSlash(std::string path) {
  while (path.size() > 2 && path.back() == '\\') path.pop_back();
  if (path.size() == 3 && path[1] == ':' && path[2] == '\\') path.pop_back();
  return path;
}

std::string ParentOf(const std::string& path) {
  const auto slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const auto slash = path.find_last_of('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool MatchFrom(const std::string& p, std::size_t pi, const std::string& n, std::size_t ni) {
  while (pi < p.size()) {
    if (p[pi] == '*') {
      for (std::size_t k = ni; k <= n.size(); ++k) {
        if (MatchFrom(p, pi + 1, n, k)) return true;
      }
      return false;
    }
    if (ni >= n.size()) return false;
    if (p[pi] != '?' && Lower(p[pi]) != Lower(n[ni])) return false;
    ++pi;
    ++ni;
  }
  return ni == n.size();
}

}  // namespace

bool WildcardMatch(const std::string& pattern, const std::string& name) { return MatchFrom(pattern, 0, name, 0); }

FakeFileSystem::FakeFileSystem() {
  SetDriveType('C', DriveType::kFixed);
  AddFolder(systemFolder_);
  AddFolder(programFolder_);
}

std::string FakeFileSystem::Key(const std::string& path) {
  std::string key = WithoutTrailingSlash(path);
  std::transform(key.begin(), key.end(), key.begin(), Lower);
  return key;
}

void FakeFileSystem::SetDriveType(char letter, DriveType type) {
  drives_[Lower(letter)] = type;
  if (type == DriveType::kFixed || type == DriveType::kRemovable || type == DriveType::kCdRom ||
      type == DriveType::kRamDisk) {
    Put(std::string(1, letter) + ":", true);
  }
}

void FakeFileSystem::SetProgramPath(std::string folder, std::string baseName) {
  programFolder_ = WithoutTrailingSlash(std::move(folder));
  programBaseName_ = std::move(baseName);
  AddFolder(programFolder_);
}

FakeFileSystem::Node& FakeFileSystem::Put(const std::string& path, bool folder) {
  const std::string clean = WithoutTrailingSlash(path);
  const std::string parent = ParentOf(clean);
  if (!parent.empty() && !Find(parent)) Put(parent, true);
  Node& node = nodes_[Key(clean)];
  if (node.path.empty()) {
    node.path = clean;
    node.order = nextOrder_++;
  }
  node.folder = folder;
  if (folder) node.attributes |= attr::kDirectory;
  return node;
}

void FakeFileSystem::AddFolder(const std::string& path, std::uint32_t attributes) {
  Put(path, true).attributes = attributes | attr::kDirectory;
}

void FakeFileSystem::AddFile(const std::string& path, std::vector<std::uint8_t> content, std::uint32_t attributes,
                             FileTime lastWrite) {
  Node& node = Put(path, false);
  node.content = std::move(content);
  node.attributes = attributes;
  node.lastWrite = lastWrite;
}

void FakeFileSystem::AddFile(const std::string& path, const std::string& content, std::uint32_t attributes) {
  AddFile(path, std::vector<std::uint8_t>(content.begin(), content.end()), attributes);
}

void FakeFileSystem::FailNext(const std::string& operation, const std::string& description) {
  failures_[operation] = description;
}

void FakeFileSystem::CheckFailure(const std::string& operation) {
  const auto it = failures_.find(operation);
  if (it == failures_.end()) return;
  const std::string description = it->second;
  failures_.erase(it);
  throw Failure(description);
}

FakeFileSystem::Node* FakeFileSystem::Find(const std::string& path) {
  const auto it = nodes_.find(Key(path));
  return it == nodes_.end() ? nullptr : &it->second;
}

const FakeFileSystem::Node* FakeFileSystem::Find(const std::string& path) const {
  const auto it = nodes_.find(Key(path));
  return it == nodes_.end() ? nullptr : &it->second;
}

FakeFileSystem::Node& FakeFileSystem::RequireFile(const std::string& path) {
  Node* node = Find(path);
  if (!node) throw Failure(kFileNotFound);
  if (node->folder) throw Failure(kAccessDenied);
  return *node;
}

void FakeFileSystem::RequireParentFolder(const std::string& path) const {
  const Node* parent = Find(ParentOf(WithoutTrailingSlash(path)));
  if (!parent || !parent->folder) throw Failure(kPathNotFound);
}

bool FakeFileSystem::Contains(const std::string& path) const { return Find(path) != nullptr; }

std::uint32_t FakeFileSystem::Attributes(const std::string& path) const {
  const Node* node = Find(path);
  return node ? node->attributes : 0;
}

std::string FakeFileSystem::Content(const std::string& path) const {
  const Node* node = Find(path);
  return node ? std::string(node->content.begin(), node->content.end()) : std::string();
}

void FakeFileSystem::AddLink(const std::string& path, const std::string& target) {
  AddFolder(path, attr::kDirectory | attr::kReparsePoint);
  links_[Key(path)] = target;
}

std::string FakeFileSystem::Resolve(const std::string& path) const {
  std::string resolved = path;
  for (const auto& [link, target] : links_) {
    const std::string key = Key(resolved);
    if (key == link || (key.size() > link.size() && key.compare(0, link.size(), link) == 0 && key[link.size()] == '\\')) {
      resolved = target + resolved.substr(link.size());
    }
  }
  return resolved;
}

std::string FakeFileSystem::FolderIdentity(const std::string& path) {
  std::string folder = Resolve(path);
  while (folder.size() > 3 && folder.back() == '\\') folder.pop_back();
  return Find(folder) ? Key(folder) : std::string();
}

std::vector<DirectoryEntry> FakeFileSystem::List(const std::string& pattern) {
  CheckFailure("List");
  const std::string folderKey = Key(ParentOf(Resolve(pattern)));
  const std::string namePattern = NameOf(pattern);
  std::vector<const Node*> found;
  for (const auto& [key, node] : nodes_) {
    if (ParentOf(key) != folderKey || key == folderKey) continue;
    if (WildcardMatch(namePattern, NameOf(node.path))) found.push_back(&node);
  }
  std::sort(found.begin(), found.end(), [](const Node* a, const Node* b) { return a->order < b->order; });
  std::vector<DirectoryEntry> entries;
  for (const Node* node : found) {
    entries.push_back({NameOf(node->path), node->attributes, node->content.size(), node->lastWrite});
  }
  return entries;
}

bool FakeFileSystem::FileExists(const std::string& path) {
  CheckFailure("FileExists");
  const Node* node = Find(path);
  return node && !node->folder;
}

bool FakeFileSystem::FolderExists(const std::string& path) {
  CheckFailure("FolderExists");
  const Node* node = Find(path);
  return node && node->folder;
}

DriveType FakeFileSystem::GetDriveType(const std::string& root) {
  if (root.size() < 2 || root[1] != ':') return DriveType::kNoRoot;
  const auto it = drives_.find(Lower(root[0]));
  return it == drives_.end() ? DriveType::kNoRoot : it->second;
}

std::vector<std::uint8_t> FakeFileSystem::ReadFile(const std::string& path, std::size_t maxBytes) {
  CheckFailure("ReadFile");
  const Node& node = RequireFile(path);
  const std::size_t n = std::min(maxBytes, node.content.size());
  return {node.content.begin(), node.content.begin() + static_cast<std::ptrdiff_t>(n)};
}

void FakeFileSystem::WriteFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  CheckFailure("WriteFile");
  RequireParentFolder(path);
  if (Node* existing = Find(path)) {
    if (existing->folder || (existing->attributes & attr::kReadOnly)) throw Failure(kAccessDenied);
  }
  if (!partialWriteFailure_.empty()) {
    const std::string description = std::move(partialWriteFailure_);
    partialWriteFailure_.clear();
    const std::size_t kept = std::min(partialWriteBytes_, bytes.size());
    AddFile(path, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(kept)),
            attr::kArchive, FileTime{clock_++});
    throw Failure(description);
  }
  AddFile(path, std::vector<std::uint8_t>(bytes.begin(), bytes.end()), attr::kArchive, FileTime{clock_++});
}

void FakeFileSystem::FailNextWriteAfter(std::size_t bytes, const std::string& description) {
  partialWriteBytes_ = bytes;
  partialWriteFailure_ = description;
}

void FakeFileSystem::ReplaceFile(const std::string& from, const std::string& to) {
  CheckFailure("ReplaceFile");
  Node source = RequireFile(from);
  if (Node* existing = Find(to)) {
    if (existing->folder || (existing->attributes & attr::kReadOnly)) throw Failure(kAccessDenied);
  }
  nodes_.erase(Key(from));
  AddFile(to, source.content, source.attributes, source.lastWrite);
}

void FakeFileSystem::AppendFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  CheckFailure("AppendFile");
  RequireParentFolder(path);
  Node* existing = Find(path);
  if (!existing) {
    AddFile(path, std::vector<std::uint8_t>(bytes.begin(), bytes.end()), attr::kArchive, FileTime{clock_++});
    return;
  }
  if (existing->folder || (existing->attributes & attr::kReadOnly)) throw Failure(kAccessDenied);
  existing->content.insert(existing->content.end(), bytes.begin(), bytes.end());
  existing->lastWrite = FileTime{clock_++};
}

std::size_t FakeFileSystem::ReadFileAt(const std::string& path, std::uint64_t offset, std::span<std::uint8_t> into) {
  CheckFailure("ReadFileAt");
  const Node& node = RequireFile(path);
  if (offset >= node.content.size()) return 0;
  const std::size_t n = std::min<std::size_t>(into.size(), node.content.size() - static_cast<std::size_t>(offset));
  std::copy_n(node.content.begin() + static_cast<std::ptrdiff_t>(offset), n, into.begin());
  return n;
}

void FakeFileSystem::CopyFileRange(const std::string& source, std::uint64_t offset, std::uint64_t length,
                                   const std::string& output, bool append) {
  CheckFailure("CopyFileRange");
  const std::vector<std::uint8_t> from = RequireFile(source).content;
  RequireParentFolder(output);
  Node* existing = Find(output);
  if (existing && (existing->folder || (existing->attributes & attr::kReadOnly))) throw Failure(kAccessDenied);
  std::vector<std::uint8_t> content = append && existing ? existing->content : std::vector<std::uint8_t>();
  const bool inside = offset <= from.size() && length <= from.size() - offset;
  const std::size_t available = offset < from.size() ? from.size() - static_cast<std::size_t>(offset) : 0;
  std::size_t copied = static_cast<std::size_t>(std::min<std::uint64_t>(length, available));
  std::string failure = inside ? std::string() : kEndOfFile;
  if (!partialWriteFailure_.empty()) {
    failure = std::exchange(partialWriteFailure_, std::string());
    copied = std::min(copied, partialWriteBytes_);
  }
  const auto begin = from.begin() + static_cast<std::ptrdiff_t>(std::min<std::uint64_t>(offset, from.size()));
  content.insert(content.end(), begin, begin + static_cast<std::ptrdiff_t>(copied));
  AddFile(output, std::move(content), attr::kArchive, FileTime{clock_++});
  if (!failure.empty()) throw Failure(failure);
}

void FakeFileSystem::CopyFile(const std::string& from, const std::string& to) {
  CheckFailure("CopyFile");
  const Node source = RequireFile(from);
  RequireParentFolder(to);
  if (Node* existing = Find(to)) {
    if (existing->folder || (existing->attributes & attr::kReadOnly)) throw Failure(kAccessDenied);
  }
  AddFile(to, source.content, source.attributes, source.lastWrite);
}

void FakeFileSystem::Rename(const std::string& from, const std::string& to) {
  CheckFailure("Rename");
  Node* source = Find(from);
  if (!source) throw Failure(kFileNotFound);
  RequireParentFolder(to);
  if (Find(to) && Key(from) != Key(to)) throw Failure(kAlreadyExists);
  if (source->folder) {
    // Move the folder's whole subtree.
    const std::string fromKey = Key(from);
    std::vector<std::pair<std::string, Node>> moved;
    for (auto it = nodes_.begin(); it != nodes_.end();) {
      if (it->first == fromKey || it->first.rfind(fromKey + "\\", 0) == 0) {
        Node node = it->second;
        node.path = WithoutTrailingSlash(to) + node.path.substr(WithoutTrailingSlash(from).size());
        moved.emplace_back(Key(node.path), node);
        it = nodes_.erase(it);
      } else {
        ++it;
      }
    }
    for (auto& [key, node] : moved) nodes_[key] = node;
    return;
  }
  Node node = *source;
  nodes_.erase(Key(from));
  node.path = WithoutTrailingSlash(to);
  nodes_[Key(to)] = node;
}

void FakeFileSystem::SetAttributesNormal(const std::string& path) {
  CheckFailure("SetAttributesNormal");
  Node* node = Find(path);
  if (!node) throw Failure(kFileNotFound);
  node->attributes &= ~(attr::kReadOnly | attr::kHidden | attr::kSystem);
  if (!node->folder && node->attributes == 0) node->attributes = attr::kNormal;
}

void FakeFileSystem::DeleteToRecycleBin(const std::string& path) {
  CheckFailure("DeleteToRecycleBin");
  const Node& node = RequireFile(path);
  recycled_.push_back(node.path);
  nodes_.erase(Key(path));
}

void FakeFileSystem::ShellDelete(const std::string& path, bool allowUndo) {
  CheckFailure("ShellDelete");
  shellDeletes.push_back((allowUndo ? "recycle " : "delete ") + path);
  if (whileShellAsks) std::exchange(whileShellAsks, nullptr)();
  if (shellDeclines) return;
  RequireFile(path);
  if (allowUndo) recycled_.push_back(Find(path)->path);
  nodes_.erase(Key(path));
}

void FakeFileSystem::DeleteFile(const std::string& path) {
  CheckFailure("DeleteFile");
  const Node& node = RequireFile(path);
  if (node.attributes & attr::kReadOnly) throw Failure(kAccessDenied);
  nodes_.erase(Key(path));
}

}  // namespace tavelin::testing
