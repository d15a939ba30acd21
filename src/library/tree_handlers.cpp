#include "library/tree_handlers.h"

#include <algorithm>

#include "library/library.h"
#include "platform/input.h"
#include "platform/text.h"

namespace tavelin {
namespace {

constexpr int kClearCategoryButton = 14;

constexpr int kCtrlOnly = 2;

constexpr int kDeleteCategoryStyle = mb::kOkCancel | mb::kIconInformation;

// Runs one step of a handler; a failure of the file system or of the tree skips the
// step and is not reported, so nothing ever leaves the tree's handlers.
template <class Step>
void Ignoring(Step&& step) {
  StepRecord ignored;
  ignored.Run(std::forward<Step>(step));
}

bool IsCategory(const TreeNode& node) { return EqualsIgnoreCase(node.tag, tree_tag::kCategory); }
bool IsMovie(const TreeNode& node) { return node.image == tree_image::kMovie; }
bool IsMedia(const TreeNode& node) {
  return node.image == tree_image::kRemovableDrive || node.image == tree_image::kCdRomDrive;
}
bool IsFolderImage(int image) { return image == tree_image::kClosedFolder || image == tree_image::kOpenFolder; }

// Whether the folder (ending in "\") holds a movie file; folders and system files
// do not count, and a folder that cannot be read holds none.
bool HoldsMovieFiles(FileSystem& files, const std::string& folder) {
  bool found = false;
  Ignoring([&] {
    for (const DirectoryEntry& entry : files.List(folder + "*.swf")) {
      if (!(entry.attributes & (attr::kDirectory | attr::kSystem))) {
        found = true;
        return;
      }
    }
  });
  return found;
}

std::vector<std::string> SplitAtBackslashes(const std::string& path) {
  std::vector<std::string> parts(1);
  for (const char c : path) {
    if (c == '\\') {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

// The first child of the node whose text equals `text` without regard to case, or 0.
int FindChild(const LibraryTree& tree, int index, const std::string& text) {
  for (const int child : tree.Children(index)) {
    if (EqualsIgnoreCase(tree.Node(child)->text, text)) return child;
  }
  return 0;
}

}  // namespace

std::string TreeHandlers::FolderPath(int index) const {
  const LibraryTree& tree = w_.Tree();
  std::vector<const TreeNode*> chain;
  for (const TreeNode* node = tree.Node(index); node; node = tree.ById(node->parent)) chain.push_back(node);
  // Only drives and folders, which live under "我的电脑", have a folder path.
  if (chain.empty() || tree.IndexOf(chain.back()->id) != kMyComputerIndex) return {};
  std::string path;
  for (auto node = chain.rbegin() + 1; node != chain.rend(); ++node) {
    if (!path.empty()) path += '\\';
    path += (*node)->text;
  }
  return path;
}

bool TreeHandlers::ListSubfolders(const std::string& folderPath, int nodeIndex) {
  LibraryTree& tree = w_.Tree();
  FileSystem& files = w_.System().files;
  // Every folder is taken in the file system's order, hidden and system ones too; only
  // the names "." and ".." are skipped, so a drive root, which lacks them, loses nothing.
  Ignoring([&] {
    for (const DirectoryEntry& entry : files.List(folderPath + "*")) {
      if (entry.name == "." || entry.name == "..") continue;
      if (entry.attributes & attr::kDirectory) tree.Add(nodeIndex, "", entry.name, tree_image::kClosedFolder);
    }
  });
  bool hasMovies = false;
  Ignoring([&] { hasMovies = !files.List(folderPath + "*.swf").empty(); });
  return hasMovies;
}

void TreeHandlers::Expand(int index) {
  Ignoring([&] {
    const TreeNode* node = w_.Tree().Node(index);
    if (!node || node->expanded) return;
    Tree_Expand(index);
    w_.Tree().SetExpandedState(index, true);
  });
}

void TreeHandlers::Collapse(int index) {
  Ignoring([&] {
    const TreeNode* node = w_.Tree().Node(index);
    if (!node || !node->expanded) return;
    Tree_Collapse(index);
    w_.Tree().SetExpandedState(index, false);
  });
}

void TreeHandlers::Tree_Expand(int index) {
  Ignoring([&] {
    LibraryTree& tree = w_.Tree();
    const TreeNode* node = tree.Node(index);
    if (!node) return;
    // "我的电脑" has the empty base path: its children's texts are the drives.
    std::string base;
    if (node->image > tree_image::kMyComputer && node->image < tree_image::kMovie) base = FolderPath(index) + "\\";
    if (IsFolderImage(node->image)) tree.SetImage(index, tree_image::kOpenFolder);
    if (IsCategory(*node) || EqualsIgnoreCase(node->tag, tree_tag::kExpanded)) return;
    if (EqualsIgnoreCase(node->tag, tree_tag::kUnreadDrive)) ListSubfolders(base, index);
    tree.SetTag(index, tree_tag::kExpanded);
    // Read one level ahead: each child's own folders, so that its expansion mark is
    // right and a child holding movies shows it. Media drives wait for a click.
    const std::vector<NodeId> children = node->children;
    for (const NodeId id : children) {
      const TreeNode* child = tree.ById(id);
      if (!child || IsMedia(*child)) continue;
      const int childIndex = tree.IndexOf(id);
      if (ListSubfolders(base + child->text + "\\", childIndex) && child->image > tree_image::kCdRomDrive) {
        tree.SetImage(childIndex, tree_image::kFolderWithMovies);
      }
    }
  });
}

void TreeHandlers::Tree_Collapse(int index) {
  Ignoring([&] {
    LibraryTree& tree = w_.Tree();
    const TreeNode* node = tree.Node(index);
    if (!node || node->image != tree_image::kOpenFolder) return;
    if (IsCategory(*node)) {
      tree.SetImage(index, tree_image::kClosedFolder);
      return;
    }
    const bool movies = HoldsMovieFiles(w_.System().files, FolderPath(index) + "\\");
    tree.SetImage(index, movies ? tree_image::kFolderWithMovies : tree_image::kClosedFolder);
  });
}

void TreeHandlers::RefreshNode(int index) {
  Ignoring([&] {
    if (!w_.Tree().Node(index)) return;
    RemoveChildren(index);
    ListSubfolders(FolderPath(index) + "\\", index);
    w_.Tree().SetTag(index, "");
  });
}

void TreeHandlers::RemoveChildren(int index) {
  Ignoring([&] {
    if (!w_.Tree().Node(index)) return;
    Collapse(index);
    w_.Tree().RemoveChildrenOf(index);
    Tree_Collapse(index);
  });
}

void TreeHandlers::Tree_NodeClick(int index) {
  Ignoring([&] {
    LibraryTree& tree = w_.Tree();
    const TreeNode* node = tree.Node(index);
    if (!node) return;
    Ignoring([&] { w_.Host().SetToolbarButtonEnabled(kClearCategoryButton, IsCategory(*node)); });
    // Removable media may have changed since the last look: reread them on every
    // click, with their grandchildren, without opening them on screen.
    if (IsMedia(*node)) {
      RefreshNode(index);
      Tree_Expand(index);
      tree.SetTag(index, tree_tag::kExpanded);
    }
    // Only drives and folders known to hold movies are listed. "我的电脑" is no
    // folder: its empty path would name the root of whatever drive is current, so a
    // click on it leaves the list and the current folder alone.
    if (node->image >= tree_image::kClosedFolder || index == kMyComputerIndex) return;
    const std::string candidate = WithTrailingBackslash(FolderPath(index));
    if (!HoldsMovieFiles(w_.System().files, candidate)) return;
    w_.CurrentFolder = candidate;
    Ignoring([&] { w_.List().Clear(); });
    Ignoring([&] { w_.ListEvents().ListFolder(w_.CurrentFolder, "swf"); });
  });
}

void TreeHandlers::RevealPath(const std::string& path) {
  Ignoring([&] {
    LibraryTree& tree = w_.Tree();
    const std::vector<std::string> parts = SplitAtBackslashes(path);
    Expand(kMyComputerIndex);
    int current = kMyComputerIndex;
    if (const int drive = FindChild(tree, kMyComputerIndex, path.substr(0, 2))) {
      Expand(drive);
      current = drive;
      // The last part is the file name, or empty after a trailing "\". A folder that
      // is no longer there, or a path that is no file path at all, ends the walk: the
      // deepest node reached is selected, so revealing never fails.
      for (std::size_t part = 1; part + 1 < parts.size(); ++part) {
        const int next = FindChild(tree, current, parts[part]);
        if (next == 0) break;
        Expand(next);
        current = next;
      }
    }
    tree.Select(current);
    Tree_NodeClick(current);
  });
}

void TreeHandlers::Tree_DblClick() {
  Ignoring([&] {
    const TreeNode* node = w_.Tree().Node(w_.Tree().Selected());
    if (!node || !IsMovie(*node)) return;
    const std::string file = node->tag + node->text;
    w_.Host().Play(file);
  });
}

void TreeHandlers::Tree_KeyDown(int keyCode, int shift) {
  Ignoring([&] {
    LibraryTree& tree = w_.Tree();
    switch (keyCode) {
      case key::kEnter:
        Tree_DblClick();
        return;
      case key::kUp:
      case key::kDown:
        // Without Ctrl alone the tree control navigates by itself.
        if (shift == kCtrlOnly) SelectSibling(keyCode == key::kUp ? -1 : 1);
        return;
      case key::kF5:
      case key::kDelete: {
        const int index = tree.Selected();
        const TreeNode* node = tree.Node(index);
        if (!node) return;
        if (IsMovie(*node) || (IsCategory(*node) && index > kSearchResultsIndex)) {
          DeleteSelected();
        } else if (!IsCategory(*node) && index > kMyComputerIndex) {
          RefreshNode(index);
        }
        return;
      }
      default:
        w_.Host().PassOnKey(keyCode, shift);
    }
  });
}

void TreeHandlers::DeleteSelected() {
  LibraryTree& tree = w_.Tree();
  const TreeNode* node = tree.Node(tree.Selected());
  if (!node) return;
  const NodeId id = node->id;
  const bool category = IsCategory(*node);
  if (category) {
    const std::string question = "本次操作将删除类别：" + node->text + "！确定要删除吗？";
    const int answer = w_.Host().ShowMessage(question, kDeleteCategoryStyle, "删除类别");
    if (answer == mb::kAnswerCancel) return;
  }
  // The question lets other handlers run; the node may have gone meanwhile.
  const int index = tree.IndexOf(id);
  if (index == 0) return;
  tree.Remove(index);
  if (category) --w_.CategoryCount;
  // The tree has moved the selection; an open category landing there is closed.
  const int selected = tree.Selected();
  const TreeNode* now = tree.Node(selected);
  if (now && now->image == tree_image::kOpenFolder) {
    Collapse(selected);
    tree.SetImage(selected, tree_image::kClosedFolder);
  }
}

void TreeHandlers::SelectSibling(int step) {
  LibraryTree& tree = w_.Tree();
  const int index = tree.Selected();
  const TreeNode* node = tree.Node(index);
  if (!node) return;
  const std::vector<int> siblings = node->parent ? tree.Children(tree.IndexOf(node->parent)) : tree.TopLevel();
  const auto position = std::find(siblings.begin(), siblings.end(), index);
  if (position == siblings.end()) return;
  // At either end there is no sibling to go to, and the selection stays.
  if (step < 0 && position != siblings.begin()) tree.Select(*(position - 1));
  if (step > 0 && position + 1 != siblings.end()) tree.Select(*(position + 1));
}

void TreeHandlers::Tree_MouseDown(int button, int, int index) {
  Ignoring([&] {
    if (button == mouse::kLeft && w_.Tree().Node(index)) w_.Tree().Select(index);
    // The menu acts on the selected node, which the right button leaves where it is.
    if (button == mouse::kRight) w_.TreeMenuCommand(w_.Window().PopUpTreeMenu());
  });
}

void TreeHandlers::Tree_MouseUp(int button, int, int index) {
  Ignoring([&] {
    LibraryTree& tree = w_.Tree();
    const TreeNode* node = tree.Node(index);
    if (button != mouse::kMiddle || !node || index <= kMyComputerIndex) return;
    if (IsMovie(*node)) {
      tree.Select(index);
      Tree_DblClick();
      w_.Host().MaximizeOutputWindow();
    } else if (!IsCategory(*node)) {
      RefreshNode(index);
    }
  });
}

bool TreeHandlers::Tree_BeforeLabelEdit(int index) {
  const TreeNode* node = w_.Tree().Node(index);
  return node && IsCategory(*node) && index > kSearchResultsIndex;
}

bool TreeHandlers::Tree_AfterLabelEdit(int index, const std::string& newText) {
  bool accepted = false;
  Ignoring([&] {
    if (newText.empty() || !w_.Tree().Node(index)) return;
    w_.Tree().SetText(index, newText);
    accepted = true;
  });
  return accepted;
}

void TreeHandlers::Tree_GotFocus() {
  Ignoring([&] { w_.Host().SetNavWindow(w_.Window().TreeWindow()); });
}

}  // namespace tavelin
