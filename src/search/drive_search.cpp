#include "search/drive_search.h"

#include <algorithm>
#include <unordered_set>

#include "library/library_tree.h"
#include "platform/dialogs.h"
#include "platform/failure.h"
#include "platform/text.h"

namespace tavelin {
namespace {

constexpr const char* kReportCaption = "文件查找";
constexpr const char* kInvalidCaption = "无效文件";

std::string Report(int filed) {
  return "文件查找结束，结果已经输出到[搜索结果]！\r选择列表项或按 [Ctrl]+[←/→] 可直接播放！\r本次查找共更新 Flash 文件：" +
         std::to_string(filed) + " 个！";
}

}  // namespace

void DriveSearch::SearchDrives(const std::vector<std::string>& roots) {
  host_.SetFindButtonPressed(true);
  host_.SetStopRequested(false);
  LibraryTree& tree = host_.Tree();
  const std::vector<int> before = tree.Children(kSearchResultsIndex);
  const NodeId lastBefore = before.empty() ? 0 : tree.Node(before.back())->id;

  visited_.clear();
  for (const std::string& root : roots) SearchFolder(WithTrailingBackslash(root));
  host_.SetFindButtonPressed(false);

  const std::vector<int> after = tree.Children(kSearchResultsIndex);
  const int filed = static_cast<int>(after.size() - before.size());
  host_.ShowMessage(Report(filed), mb::kIconInformation, kReportCaption);
  if (filed <= 0) return;
  // The first new entry follows the last one there was (entries are only ever added last).
  int first = after.front();
  if (lastBefore != 0) {
    const auto it = std::find(after.begin(), after.end(), tree.IndexOf(lastBefore));
    if (it != after.end() && it + 1 != after.end()) first = *(it + 1);
  }
  const TreeNode* node = tree.Node(first);
  if (!node) return;
  const std::string movie = node->tag + node->text;
  tree.SetExpandedState(first, true);
  tree.Select(first);
  host_.Play(movie);
}

void DriveSearch::SearchFolder(const std::string& start) {
  // A folder's identity comes from the system only where the walk may have been before:
  // at the start and through a junction or link. A plain subfolder is reached only
  // through its parent, so the parent's identity and its name are identity enough; asking
  // the system for every folder would cost more than listing it.
  struct Pending {
    std::string folder;
    std::string identity;  // derived from the parent; empty to ask the system
  };
  // Depth first without recursion: the folders still to walk, the next on top, so any
  // depth and any number of subfolders is fine.
  std::vector<Pending> pending{{start, {}}};
  FileSystem& files = ports_.files;
  LibraryTree& tree = host_.Tree();
  while (!pending.empty()) {
    const std::string folder = std::move(pending.back().folder);
    std::string identity = std::move(pending.back().identity);
    pending.pop_back();
    if (host_.YieldAndCheckStop()) return;

    // A folder reached again through a junction or link is not walked again.
    if (identity.empty()) {
      try {
        identity = files.FolderIdentity(folder);
      } catch (const Failure&) {
      }
      if (!identity.empty() && !visited_.insert(identity).second) continue;
    }

    std::vector<DirectoryEntry> entries;
    try {
      entries = files.List(folder + "*");
    } catch (const Failure&) {
      continue;  // no access, or gone: skipped silently
    }
    std::vector<const DirectoryEntry*> subfolders;
    for (const DirectoryEntry& entry : entries) {
      if (entry.name == "." || entry.name == "..") continue;
      if (entry.attributes & attr::kDirectory) {
        subfolders.push_back(&entry);
      } else if (EndsWithIgnoreCase(entry.name, ".swf")) {
        AddItem(tree, folder + entry.name, entry.name, kSearchResultsIndex);
      }
    }
    // The first subfolder is walked next: pushed last.
    for (auto it = subfolders.rbegin(); it != subfolders.rend(); ++it) {
      const DirectoryEntry& entry = **it;
      // Below a folder whose identity the system could not tell, it is asked again.
      std::string derived;
      if (!(entry.attributes & attr::kReparsePoint) && !identity.empty()) derived = identity + "\\" + FoldCase(entry.name);
      pending.push_back({folder + entry.name + "\\", std::move(derived)});
    }
  }
}

void DriveSearch::CheckValidity(const std::vector<std::string>& paths) {
  host_.SetStopRequested(false);
  host_.BeginCheck();
  std::string invalid;
  const auto total = static_cast<long long>(paths.size());
  for (std::size_t i = 0; i < paths.size(); ++i) {
    std::vector<std::uint8_t> head;  // nothing carries over from the previous file
    try {
      head = ports_.files.ReadFile(paths[i], 3);
    } catch (const Failure&) {
    }
    if (head.size() < 3 || head[1] != 'W' || head[2] != 'S') invalid += "\r\n" + paths[i];
    host_.SetCheckProgressWidth(static_cast<int>(static_cast<long long>(i + 1) * kProgressWidth / total));
    if (host_.YieldAndCheckStop()) break;
  }
  host_.EndCheck();
  if (!invalid.empty()) host_.ShowMessage(invalid, mb::kOk, kInvalidCaption);
}

}  // namespace tavelin
