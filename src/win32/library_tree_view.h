#pragma once
// The tree control as a mirror of the library tree model: every model change is
// applied to the control item by item, and the user's gestures go to the tree's
// handlers. Changes the view itself applies never come back as gestures.

#include "win32/windows_api.h"

#include <commctrl.h>

#include <unordered_map>

#include "library/library_tree.h"
#include "library/tree_handlers.h"

namespace tavelin::win32 {

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
  void NodeChanged(const TreeNode& node) override;
  void NodeExpansionChanged(const TreeNode& node) override;
  void SelectionChanged(NodeId selected) override;
  void LabelEditStarted(NodeId id) override;

 private:
  static LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self);
  LRESULT OnControlMessage(UINT message, WPARAM wParam, LPARAM lParam);
  HTREEITEM Item(NodeId id) const;
  int IndexOf(HTREEITEM item) const;
  int IndexAt(LPARAM pointerInClient) const;

  HWND tree_;
  LibraryTree& model_;
  TreeHandlers& handlers_;
  std::unordered_map<NodeId, HTREEITEM> items_;
  int mirroring_ = 0;  // > 0 while the view changes the control for the model
  NodeId expandingByUser_ = 0;
};

}  // namespace tavelin::win32
