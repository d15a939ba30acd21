#pragma once
// The library tree as data: the truth that the tree control shows. Nodes are numbered
// from 1 in order of creation among the living nodes ("我的电脑" is always 1,
// "搜索结果" always 2); removing a node renumbers the later ones, as a node
// collection does. Looking a node up by index or by key never scans the tree. Keys
// (movie file names) are unique in the whole tree, compared without regard to case.

#include <string>
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
inline constexpr int kSortDescending = 8;
inline constexpr int kSortAscending = 9;
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

// A node's identity for the control that shows it: fixed for the node's life and
// never reused, unlike its index.
using NodeId = int;

struct TreeNode {
  NodeId id = 0;
  NodeId parent = 0;  // 0 for a top-level node
  std::string key;
  std::string text;
  int image = 0;
  std::string tag;
  bool expanded = false;
  std::vector<NodeId> children;  // in order
};

// What the control showing the tree is told, change by change.
class LibraryTreeObserver {
 public:
  virtual ~LibraryTreeObserver() = default;
  // `after` is the sibling the node follows, 0 when it is the first child.
  virtual void NodeAdded(const TreeNode& node, NodeId after) = 0;
  // The node and its whole subtree are gone.
  virtual void NodeRemoved(NodeId id) = 0;
  // Text, image or tag changed.
  virtual void NodeChanged(const TreeNode& node) = 0;
  virtual void NodeExpansionChanged(const TreeNode& node) = 0;
  virtual void SelectionChanged(NodeId selected) = 0;  // 0: none
  virtual void LabelEditStarted(NodeId id) = 0;
  // Children of the node went away (it may have none left), whether or not the control
  // ever showed them: its expand button follows.
  virtual void ChildrenRemoved(const TreeNode& /*parent*/) {}
  // The node a drag would drop on (0: none).
  virtual void DropHighlightChanged(NodeId /*highlighted*/) {}
};

class LibraryTree {
 public:
  LibraryTree();
  ~LibraryTree();
  LibraryTree(const LibraryTree&) = delete;
  LibraryTree& operator=(const LibraryTree&) = delete;

  void SetObserver(LibraryTreeObserver* observer) { observer_ = observer; }

  // Adds a node as the last (or first) child of the node with index `parentIndex`
  // (0: top level). Returns its index, or 0 when the parent does not exist or the
  // key is already used anywhere in the tree. An empty key is no key.
  int Add(int parentIndex, const std::string& key, const std::string& text, int image, const std::string& tag = {});
  int AddFirst(int parentIndex, const std::string& key, const std::string& text, int image,
               const std::string& tag = {});
  // Removes the node and its subtree; later indices move down. When the selected node
  // goes, the selection moves as the tree control moves it: to the next sibling, else
  // the previous one, else the parent.
  void Remove(int index);
  // Removes the node's children first to last, exactly as removing them one by one
  // would, without the cost of closing the gap in the child list each time.
  void RemoveChildrenOf(int index);

  int Count() const;
  // The node with this index, or nullptr. Pointers stay valid until the node is
  // removed; adding nodes never moves them.
  const TreeNode* Node(int index) const;
  const TreeNode* ById(NodeId id) const;
  int IndexOf(NodeId id) const;  // 0 when the node does not exist
  const TreeNode* FindKey(const std::string& key) const;
  int Parent(int index) const;  // 0 for a top-level node or no node
  std::vector<int> Children(int index) const;
  std::vector<int> TopLevel() const;
  // Texts of the node's ancestors and itself joined by "\".
  std::string FullPath(int index) const;

  void SetText(int index, const std::string& text);
  void SetImage(int index, int image);
  void SetTag(int index, const std::string& tag);
  // Only records the state and tells the control; the expand and collapse handlers
  // decide what else happens.
  void SetExpandedState(int index, bool expanded);

  int Selected() const;  // index, 0 when nothing is selected
  void Select(int index);
  // The control moved its selection itself (keyboard navigation): record it quietly.
  void SelectFromView(NodeId id);
  void StartLabelEdit(int index);
  // The node a drag hovering over the tree would drop on; 0 for none.
  int DropHighlight() const { return IndexOf(dropHighlight_); }
  void SetDropHighlight(int index);

 private:
  int Insert(int parentIndex, const std::string& key, const std::string& text, int image, const std::string& tag,
             bool first);

  struct Impl;
  Impl* impl_;
  LibraryTreeObserver* observer_ = nullptr;
  NodeId dropHighlight_ = 0;
};

// Files a movie under node `nodeIndex`: its text and key are the file name (taken
// from the path when `fileName` is empty), its tag the folder with its trailing
// backslash. Nothing is added when the name is already a key in the tree or the
// node does not exist. Returns the new node's index or 0.
int AddItem(LibraryTree& tree, const std::string& fullPath, std::string fileName, int nodeIndex);

}  // namespace tavelin
