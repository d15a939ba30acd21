#include "library/library_drag.h"

#include "library/file_list.h"
#include "library/tree_handlers.h"
#include "platform/text.h"

namespace tavelin {
namespace {

bool IsCategory(const TreeNode& node) { return EqualsIgnoreCase(node.tag, tree_tag::kCategory); }
bool IsMovie(const TreeNode& node) { return node.image == tree_image::kMovie; }

}  // namespace

bool LibraryDrag::StartFromTree() {
  const TreeNode* node = tree_.Node(tree_.Selected());
  if (!node || !IsMovie(*node)) return false;
  source_ = Source::kTreeNode;
  dragged_ = node->id;
  return true;
}

bool LibraryDrag::DragOver(int index, bool hasText) {
  if (!hasText || source_ == Source::kNone) return false;
  const TreeNode* target = tree_.Node(index);
  if (!target) return false;
  if (!IsCategory(*target) && !IsMovie(*target)) return false;  // the highlight stays where it was
  // A moved entry cannot go into its own category, nor onto a movie of it.
  const int ownCategory = source_ == Source::kTreeNode ? tree_.Parent(tree_.IndexOf(dragged_)) : 0;
  if (ownCategory != 0 && (index == ownCategory || (IsMovie(*target) && tree_.Parent(index) == ownCategory))) {
    return false;
  }
  tree_.SetDropHighlight(index);
  return true;
}

void LibraryDrag::Drop() {
  const int target = tree_.DropHighlight();
  const TreeNode* node = tree_.Node(target);
  if (!node) return;
  // Dropping on a movie files into that movie's category.
  const int category = IsMovie(*node) ? tree_.Parent(target) : target;
  if (source_ == Source::kList) {
    for (const int row : list_.SelectedRows()) AddItem(tree_, currentFolder_ + list_.Row(row).text, "", category);
  } else if (source_ == Source::kTreeNode) {
    MoveDraggedEntryTo(category);
  }
}

void LibraryDrag::MoveDraggedEntryTo(int categoryIndex) {
  const int index = tree_.IndexOf(dragged_);
  const TreeNode* moved = tree_.Node(index);
  const TreeNode* category = tree_.Node(categoryIndex);
  if (!moved || !category || categoryIndex == tree_.Parent(index)) return;
  // The entry is filed by its name: when another entry holds that name, filing would be
  // refused, so the entry stays where it is instead of being lost.
  const std::string text = moved->text, tag = moved->tag;
  const TreeNode* holder = tree_.FindKey(text);
  if (holder && holder->id != dragged_) return;
  const NodeId categoryId = category->id;  // indices move when the entry goes
  const int parent = tree_.Parent(index);
  if (parent != 0 && tree_.Children(parent).size() == 1) treeEvents_.Collapse(parent);
  tree_.Remove(index);
  tree_.Add(tree_.IndexOf(categoryId), text, text, tree_image::kMovie, tag);
}

void LibraryDrag::Complete() {
  tree_.SetDropHighlight(0);
  source_ = Source::kNone;
  dragged_ = 0;
}

}  // namespace tavelin
