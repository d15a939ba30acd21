#pragma once
// The library tree as data: the truth that the tree control shows. Nodes are numbered
// from 1 in order of creation; keys (movie file names) are unique in the whole tree,
// compared without regard to letter case as Windows compares file names.

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tavelin {

// Image slots of the tree's and the list's image list.
namespace tree_image {
inline constexpr int kMyComputer = 1;
inline constexpr int kRemovableDrive = 2;
inline constexpr int kFixedDrive = 3;
inline constexpr int kFolderWithMovies = 4;
inline constexpr int kCdRomDrive = 5;
inline constexpr int kClosedFolder = 6;
inline constexpr int kOpenFolder = 7;
inline constexpr int kSortAscending = 8;
inline constexpr int kSortDescending = 9;
inline constexpr int kMovie = 10;
}  // namespace tree_image

// Tag markers.
namespace tree_tag {
inline constexpr const char* kCategory = "2";
inline constexpr const char* kUnreadDrive = "A";
inline constexpr const char* kExpanded = "1";
}  // namespace tree_tag

inline constexpr int kMyComputerIndex = 1;
inline constexpr int kSearchResultsIndex = 2;

struct TreeNode {
  int index = 0;
  int parent = 0;  // 0 for a top-level node
  std::string key;
  std::string text;
  int image = 0;
  std::string tag;
  std::vector<int> children;
};

// What the control showing the tree is told, change by change.
class LibraryTreeObserver {
 public:
  virtual ~LibraryTreeObserver() = default;
  virtual void NodeAdded(const TreeNode& node) = 0;
};

class LibraryTree {
 public:
  void SetObserver(LibraryTreeObserver* observer) { observer_ = observer; }

  // Adds a node as the last child of `parent` (0: top level). Returns its index, or 0
  // when the parent does not exist or the key is already used anywhere in the tree.
  int Add(int parent, const std::string& key, const std::string& text, int image, const std::string& tag = {});

  const TreeNode* Node(int index) const;
  TreeNode* Node(int index);
  // The node carrying a key, or nullptr.
  const TreeNode* FindKey(const std::string& key) const;
  int Count() const { return static_cast<int>(nodes_.size()); }
  std::vector<int> TopLevel() const { return topLevel_; }

 private:
  static std::string KeyOf(const std::string& key);

  std::vector<TreeNode> nodes_;
  std::vector<int> topLevel_;
  std::unordered_map<std::string, int> byKey_;
  LibraryTreeObserver* observer_ = nullptr;
};

// Files a movie under node `nodeIndex`: its text and key are the file name (taken
// from the path when `fileName` is empty), its tag the folder with its trailing
// backslash. Nothing is added when the name is already a key in the tree or the
// node does not exist. Returns the new node's index or 0.
int AddItem(LibraryTree& tree, const std::string& fullPath, std::string fileName, int nodeIndex);

}  // namespace tavelin
