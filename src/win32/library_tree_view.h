#pragma once
// The tree control as a mirror of the library tree model: every model change is
// applied to the control item by item, and the user's gestures go to the tree's
// handlers. Changes the view itself applies never come back as gestures.
//
// The children of a node enter the control only when the node is first opened (or
// something inside it is selected): until then the node just shows its expand
// button. A library of 100,000 movies in closed categories so costs a few hundred
// items at start-up instead of 100,000 insertions.

#include "win32/windows_api.h"

#include <commctrl.h>

#include <unordered_map>
#include <unordered_set>

#include "library/library_tree.h"
#include "library/tree_handlers.h"

namespace tavelin::win32 {

class LibraryDragDrop;

class LibraryTreeView : public LibraryTreeObserver {
 public:
  LibraryTreeView(HWND tree, LibraryTree& model, TreeHandlers& handlers);
  ~LibraryTreeView() override;
  LibraryTreeView(const LibraryTreeView&) = delete;
  LibraryTreeView& operator=(const LibraryTreeView&) = delete;

  // A notification from the control; returns true when handled, with its result.
  bool OnNotify(const NMHDR& header, LRESULT& result);

  // LibraryTreeObserver.
  void NodeAdded(const TreeNode& node, NodeId after) override;
  void NodeRemoved(NodeId id) override;
  void ChildrenRemoved(const TreeNode& parent) override;
  void NodeChanged(const TreeNode& node) override;
  void NodeExpansionChanged(const TreeNode& node) override;
  void SelectionChanged(NodeId selected) override;
  void LabelEditStarted(NodeId id) override;
  void DropHighlightChanged(NodeId highlighted) override;

  // Where the tree's own drags go.
  void SetDragDrop(LibraryDragDrop* dragDrop) { dragDrop_ = dragDrop; }

 private:
  static LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self);
  LRESULT OnControlMessage(UINT message, WPARAM wParam, LPARAM lParam);
  HTREEITEM Item(NodeId id) const;
  HTREEITEM Insert(const TreeNode& node, HTREEITEM after);
  // Counts an item entering the control; a long burst of them (a library of many
  // categories at start-up, a folder of thousands of movies opened) holds the control's
  // drawing until the message loop runs again. The control otherwise works out its
  // scrolling anew for every item, which makes a long burst take quadratic time.
  void CountInsertion();
  void EndBurst();
  // Puts the children of `id` into the control, once.
  void Fill(NodeId id);
  // Makes the node's item exist by filling its ancestors.
  HTREEITEM Reveal(NodeId id);
  void ShowExpandButton(NodeId id);
  int IndexOf(HTREEITEM item) const;
  int IndexAt(LPARAM pointerInClient) const;

  HWND tree_;
  LibraryTree& model_;
  TreeHandlers& handlers_;
  std::unordered_map<NodeId, HTREEITEM> items_;
  std::unordered_set<NodeId> filled_;
  int mirroring_ = 0;  // > 0 while the view changes the control for the model
  NodeId expandingByUser_ = 0;
  LibraryDragDrop* dragDrop_ = nullptr;
  // The last top-level node, while the view knows it (an empty tree has none).
  NodeId lastTopLevel_ = 0;
  bool lastTopLevelKnown_ = true;
  int burst_ = 0;  // items inserted since the message loop last ran
  bool drawingHeld_ = false;
};

}  // namespace tavelin::win32
