#include "library/library_tree.h"

#include "platform/text.h"

namespace tavelin {

std::string LibraryTree::KeyOf(const std::string& key) { return LowerAscii(key); }

int LibraryTree::Add(int parent, const std::string& key, const std::string& text, int image, const std::string& tag) {
  if (parent != 0 && !Node(parent)) return 0;
  if (!key.empty() && byKey_.count(KeyOf(key))) return 0;
  TreeNode node;
  node.index = Count() + 1;
  node.parent = parent;
  node.key = key;
  node.text = text;
  node.image = image;
  node.tag = tag;
  nodes_.push_back(node);
  if (parent == 0) {
    topLevel_.push_back(node.index);
  } else {
    Node(parent)->children.push_back(node.index);
  }
  if (!key.empty()) byKey_[KeyOf(key)] = node.index;
  if (observer_) observer_->NodeAdded(nodes_.back());
  return node.index;
}

const TreeNode* LibraryTree::Node(int index) const {
  return index >= 1 && index <= Count() ? &nodes_[static_cast<std::size_t>(index - 1)] : nullptr;
}

TreeNode* LibraryTree::Node(int index) {
  return index >= 1 && index <= Count() ? &nodes_[static_cast<std::size_t>(index - 1)] : nullptr;
}

const TreeNode* LibraryTree::FindKey(const std::string& key) const {
  const auto it = byKey_.find(KeyOf(key));
  return it == byKey_.end() ? nullptr : Node(it->second);
}

int AddItem(LibraryTree& tree, const std::string& fullPath, std::string fileName, int nodeIndex) {
  const auto slash = fullPath.find_last_of('\\');
  const std::string folder = slash == std::string::npos ? std::string() : fullPath.substr(0, slash + 1);
  if (fileName.empty()) fileName = slash == std::string::npos ? fullPath : fullPath.substr(slash + 1);
  return tree.Add(nodeIndex, fileName, fileName, tree_image::kMovie, folder);
}

}  // namespace tavelin
