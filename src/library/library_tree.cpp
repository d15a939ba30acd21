#include "library/library_tree.h"

#include <algorithm>
#include <bit>
#include <deque>
#include <unordered_map>

#include "platform/text.h"

namespace tavelin {
namespace {

// Counts the living nodes among the creation serials 1..n, so that a node's index is
// the number of living serials up to its own, and the k-th living serial is found by
// walking down the tree of partial sums. Both take time logarithmic in n.
class LivingSerials {
 public:
  // Adds serial n+1, alive.
  void Append() {
    const std::size_t serial = sums_.size() + 1;
    const std::size_t span = serial & (~serial + 1);
    sums_.push_back(1 + CountUpTo(serial - 1) - CountUpTo(serial - span));
  }

  void Kill(std::size_t serial) {
    for (; serial <= sums_.size(); serial += serial & (~serial + 1)) --sums_[serial - 1];
  }

  int CountUpTo(std::size_t serial) const {
    int count = 0;
    for (; serial > 0; serial -= serial & (~serial + 1)) count += sums_[serial - 1];
    return count;
  }

  // The serial of the k-th living node; k must be between 1 and the living count.
  std::size_t Find(int k) const {
    std::size_t serial = 0;
    for (std::size_t step = std::bit_floor(sums_.size()); step > 0; step >>= 1) {
      if (serial + step <= sums_.size() && sums_[serial + step - 1] < k) {
        serial += step;
        k -= sums_[serial - 1];
      }
    }
    return serial + 1;
  }

 private:
  std::vector<int> sums_;
};

}  // namespace

struct LibraryTree::Impl {
  // Nodes by serial - 1 (a node's id is its creation serial). A removed node stays as
  // an emptied husk with id 0, so that ids are never reused and pointers never move.
  std::deque<TreeNode> nodes;
  LivingSerials living;
  int count = 0;
  std::unordered_map<std::string, NodeId> keys;  // lower-case key -> node
  std::vector<NodeId> topLevel;
  NodeId selected = 0;

  TreeNode* ById(NodeId id) {
    if (id < 1 || static_cast<std::size_t>(id) > nodes.size()) return nullptr;
    TreeNode& node = nodes[static_cast<std::size_t>(id - 1)];
    return node.id == 0 ? nullptr : &node;
  }

  TreeNode* ByIndex(int index) {
    if (index < 1 || index > count) return nullptr;
    return &nodes[living.Find(index) - 1];
  }

  std::vector<NodeId>& SiblingsOf(const TreeNode& node) {
    return node.parent == 0 ? topLevel : ById(node.parent)->children;
  }

  // Whether `id` is `ancestor` or lies below it.
  bool IsWithin(NodeId id, NodeId ancestor) {
    for (const TreeNode* node = ById(id); node; node = ById(node->parent)) {
      if (node->id == ancestor) return true;
    }
    return false;
  }

  // Marks the node and its subtree removed; the caller takes it out of its parent.
  void Bury(NodeId root) {
    std::vector<NodeId> pending{root};
    while (!pending.empty()) {
      TreeNode& node = *ById(pending.back());
      pending.pop_back();
      pending.insert(pending.end(), node.children.begin(), node.children.end());
      if (!node.key.empty()) keys.erase(FoldCase(node.key));
      living.Kill(static_cast<std::size_t>(node.id));
      --count;
      node = TreeNode{};
    }
  }
};

LibraryTree::LibraryTree() : impl_(new Impl) {}

LibraryTree::~LibraryTree() { delete impl_; }

int LibraryTree::Add(int parentIndex, const std::string& key, const std::string& text, int image,
                     const std::string& tag) {
  return Insert(parentIndex, key, text, image, tag, false);
}

int LibraryTree::AddFirst(int parentIndex, const std::string& key, const std::string& text, int image,
                          const std::string& tag) {
  return Insert(parentIndex, key, text, image, tag, true);
}

int LibraryTree::Insert(int parentIndex, const std::string& key, const std::string& text, int image,
                        const std::string& tag, bool first) {
  TreeNode* parent = nullptr;
  if (parentIndex != 0 && !(parent = impl_->ByIndex(parentIndex))) return 0;
  const std::string foldedKey = FoldCase(key);
  if (!key.empty() && impl_->keys.contains(foldedKey)) return 0;

  TreeNode& node = impl_->nodes.emplace_back();
  node.id = static_cast<NodeId>(impl_->nodes.size());
  node.parent = parent ? parent->id : 0;
  node.key = key;
  node.text = text;
  node.image = image;
  node.tag = tag;
  impl_->living.Append();
  ++impl_->count;
  if (!key.empty()) impl_->keys.emplace(foldedKey, node.id);
  std::vector<NodeId>& siblings = parent ? parent->children : impl_->topLevel;
  NodeId after = 0;
  if (first) {
    siblings.insert(siblings.begin(), node.id);
  } else {
    after = siblings.empty() ? 0 : siblings.back();
    siblings.push_back(node.id);
  }
  if (observer_) observer_->NodeAdded(node, after);
  return impl_->count;  // the newest node is always the last in creation order
}

void LibraryTree::Remove(int index) {
  TreeNode* node = impl_->ByIndex(index);
  if (!node) return;
  const NodeId id = node->id;
  std::vector<NodeId>& siblings = impl_->SiblingsOf(*node);
  const auto position = std::find(siblings.begin(), siblings.end(), id);

  // Where the selection goes when it lies in the removed subtree.
  NodeId nextSelection = impl_->selected;
  const bool selectionMoves = impl_->selected != 0 && impl_->IsWithin(impl_->selected, id);
  if (selectionMoves) {
    if (position + 1 != siblings.end()) {
      nextSelection = *(position + 1);
    } else if (position != siblings.begin()) {
      nextSelection = *(position - 1);
    } else {
      nextSelection = node->parent;
    }
  }

  const NodeId parentId = node->parent;
  siblings.erase(position);
  impl_->Bury(id);
  if (observer_) observer_->NodeRemoved(id);
  if (observer_ && parentId) observer_->ChildrenRemoved(*impl_->ById(parentId));
  if (selectionMoves) {
    impl_->selected = nextSelection;
    if (observer_) observer_->SelectionChanged(nextSelection);
  }
}

void LibraryTree::RemoveChildrenOf(int index) {
  TreeNode* node = impl_->ByIndex(index);
  if (!node) return;
  const NodeId parentId = node->id;
  // The observer may add nothing while children go, so the list can be taken whole
  // and emptied at the end instead of closing the gap after every child.
  const std::vector<NodeId> children = node->children;
  for (std::size_t i = 0; i < children.size(); ++i) {
    const bool selectionMoves = impl_->selected != 0 && impl_->IsWithin(impl_->selected, children[i]);
    impl_->Bury(children[i]);
    if (observer_) observer_->NodeRemoved(children[i]);
    if (selectionMoves) {
      // Earlier siblings are gone already, so the next one or else the parent.
      impl_->selected = i + 1 < children.size() ? children[i + 1] : parentId;
      if (observer_) observer_->SelectionChanged(impl_->selected);
    }
  }
  TreeNode& parent = *impl_->ById(parentId);
  parent.children.clear();
  if (observer_ && !children.empty()) observer_->ChildrenRemoved(parent);
}

int LibraryTree::Count() const { return impl_->count; }

const TreeNode* LibraryTree::Node(int index) const { return impl_->ByIndex(index); }

const TreeNode* LibraryTree::ById(NodeId id) const { return impl_->ById(id); }

int LibraryTree::IndexOf(NodeId id) const {
  return impl_->ById(id) ? impl_->living.CountUpTo(static_cast<std::size_t>(id)) : 0;
}

const TreeNode* LibraryTree::FindKey(const std::string& key) const {
  if (key.empty()) return nullptr;
  const auto found = impl_->keys.find(FoldCase(key));
  return found == impl_->keys.end() ? nullptr : impl_->ById(found->second);
}

int LibraryTree::Parent(int index) const {
  const TreeNode* node = impl_->ByIndex(index);
  return node ? IndexOf(node->parent) : 0;
}

std::vector<int> LibraryTree::Children(int index) const {
  const TreeNode* node = impl_->ByIndex(index);
  std::vector<int> indices;
  if (!node) return indices;
  indices.reserve(node->children.size());
  for (const NodeId child : node->children) indices.push_back(IndexOf(child));
  return indices;
}

std::vector<int> LibraryTree::TopLevel() const {
  std::vector<int> indices;
  indices.reserve(impl_->topLevel.size());
  for (const NodeId id : impl_->topLevel) indices.push_back(IndexOf(id));
  return indices;
}

std::string LibraryTree::FullPath(int index) const {
  const TreeNode* node = impl_->ByIndex(index);
  if (!node) return {};
  std::string path = node->text;
  for (node = impl_->ById(node->parent); node; node = impl_->ById(node->parent)) path = node->text + "\\" + path;
  return path;
}

void LibraryTree::SetText(int index, const std::string& text) {
  TreeNode* node = impl_->ByIndex(index);
  if (!node || node->text == text) return;
  node->text = text;
  if (observer_) observer_->NodeChanged(*node);
}

void LibraryTree::SetImage(int index, int image) {
  TreeNode* node = impl_->ByIndex(index);
  if (!node || node->image == image) return;
  node->image = image;
  if (observer_) observer_->NodeChanged(*node);
}

void LibraryTree::SetTag(int index, const std::string& tag) {
  TreeNode* node = impl_->ByIndex(index);
  if (!node || node->tag == tag) return;
  node->tag = tag;
  if (observer_) observer_->NodeChanged(*node);
}

void LibraryTree::SetExpandedState(int index, bool expanded) {
  TreeNode* node = impl_->ByIndex(index);
  if (!node || node->expanded == expanded) return;
  node->expanded = expanded;
  if (observer_) observer_->NodeExpansionChanged(*node);
  // Closing a node hides its descendants, so a selection among them moves up to it,
  // as the tree control does.
  const NodeId selected = impl_->selected;
  if (!expanded && selected != 0 && selected != node->id && impl_->IsWithin(selected, node->id)) {
    impl_->selected = node->id;
    if (observer_) observer_->SelectionChanged(node->id);
  }
}

int LibraryTree::Selected() const { return IndexOf(impl_->selected); }

void LibraryTree::Select(int index) {
  NodeId id = 0;
  if (index != 0) {
    const TreeNode* node = impl_->ByIndex(index);
    if (!node) return;
    id = node->id;
  }
  if (impl_->selected == id) return;
  impl_->selected = id;
  if (observer_) observer_->SelectionChanged(id);
}

void LibraryTree::SelectFromView(NodeId id) {
  if (id == 0 || impl_->ById(id)) impl_->selected = id;
}

void LibraryTree::StartLabelEdit(int index) {
  const TreeNode* node = impl_->ByIndex(index);
  if (node && observer_) observer_->LabelEditStarted(node->id);
}

void LibraryTree::SetDropHighlight(int index) {
  const TreeNode* node = impl_->ByIndex(index);
  const NodeId id = node ? node->id : 0;
  if (id == dropHighlight_) return;
  dropHighlight_ = id;
  if (observer_) observer_->DropHighlightChanged(id);
}

int AddItem(LibraryTree& tree, const std::string& fullPath, std::string fileName, int nodeIndex) {
  const auto slash = fullPath.find_last_of('\\');
  if (fileName.empty()) fileName = slash == std::string::npos ? fullPath : fullPath.substr(slash + 1);
  // A path ending in a backslash names no file: an entry without a name could never play.
  if (fileName.empty()) return 0;
  const std::string folder = slash == std::string::npos ? std::string() : fullPath.substr(0, slash + 1);
  return tree.Add(nodeIndex, fileName, fileName, tree_image::kMovie, folder);
}

}  // namespace tavelin
