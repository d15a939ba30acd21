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
  // Depth first without recursion: the folders still to walk, the next on top, so any
  // depth and any number of subfolders is fine.
  std::vector<std::string> pending{start};
  FileSystem& files = ports_.files;
  LibraryTree& tree = host_.Tree();
  while (!pending.empty()) {
    const std::string folder = std::move(pending.back());
    pending.pop_back();
    if (host_.YieldAndCheckStop()) return;

    // A folder reached again through a junction or link is walked once.
    std::string identity;
    try {
      identity = files.FolderIdentity(folder);
    } catch (const Failure&) {
    }
    if (!identity.empty() && !visited_.insert(identity).second) continue;

    std::vector<DirectoryEntry> entries;
    try {
      entries = files.List(folder + "*");
    } catch (const Failure&) {
      continue;  // no access, or gone: skipped silently
    }
    std::vector<std::string> subfolders;
    for (const DirectoryEntry& entry : entries) {
      if (entry.name == "." || entry.name == "..") continue;
      if (entry.attributes & attr::kDirectory) {
        subfolders.push_back(entry.name);
      } else if (EndsWithIgnoreCase(entry.name, ".swf")) {
        AddItem(tree, folder + entry.name, entry.name, kSearchResultsIndex);
      }
    }
    // The first subfolder is walked next: pushed last.
    for (auto it = subfolders.rbegin(); it != subfolders.rend(); ++it) pending.push_back(folder + *it + "\\");
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
