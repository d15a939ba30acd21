#pragma once
// Filing movies by dragging: rows of the file list onto a category (copies; the list
// keeps them), and movie entries of the tree from one category to another (a move).
// Only drags that started in the list or the tree are accepted by the tree. The
// dragged entry is remembered by its node, not by an index, so any entry of any
// library can be dragged.

#include <string>

#include "library/library_tree.h"

namespace tavelin {

class FileList;
class TreeHandlers;

class LibraryDrag {
 public:
  LibraryDrag(LibraryTree& tree, TreeHandlers& treeEvents, FileList& list, const std::string& currentFolder)
      : tree_(tree), treeEvents_(treeEvents), list_(list), currentFolder_(currentFolder) {}

  // The list starts dragging its selected rows.
  void StartFromList() { source_ = Source::kList; }
  // The tree starts dragging its selected node; only a movie entry starts a library
  // drag. Returns whether one started.
  bool StartFromTree();
  // The drag hovers over node `index` (0: no node). Returns whether a drop there is
  // accepted; an accepted node becomes the drop highlight. `hasText` says whether
  // the dragged data carries text, as every library drag does.
  bool DragOver(int index, bool hasText);
  // Files the dragged rows, or moves the dragged entry, into the highlighted node's
  // category. A moved entry is never lost: when its name is already filed elsewhere,
  // it stays where it was.
  void Drop();
  // The drag ended, dropped or not.
  void Complete();

  bool Active() const { return source_ != Source::kNone; }

 private:
  enum class Source { kNone, kList, kTreeNode };

  void MoveDraggedEntryTo(int categoryIndex);

  LibraryTree& tree_;
  TreeHandlers& treeEvents_;
  FileList& list_;
  const std::string& currentFolder_;
  Source source_ = Source::kNone;
  NodeId dragged_ = 0;
};

}  // namespace tavelin
