#include "win32/library_tree_view.h"
#include "win32/sent_messages.h"

#include <windowsx.h>

#include "win32/keyboard.h"
#include "win32/library_drag_drop.h"
#include "win32/mirroring.h"
#include "win32/text.h"

namespace tavelin::win32 {

LibraryTreeView::LibraryTreeView(HWND tree, LibraryTree& model, TreeHandlers& handlers)
    : tree_(tree), model_(model), handlers_(handlers) {
  SetWindowSubclass(tree_, &LibraryTreeView::ControlProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

LibraryTreeView::~LibraryTreeView() { RemoveWindowSubclass(tree_, &LibraryTreeView::ControlProc, 1); }

HTREEITEM LibraryTreeView::Item(NodeId id) const {
  const auto it = items_.find(id);
  return it == items_.end() ? nullptr : it->second;
}

int LibraryTreeView::IndexOf(HTREEITEM item) const {
  if (!item) return 0;
  TVITEMW tv{};
  tv.mask = TVIF_PARAM | TVIF_HANDLE;
  tv.hItem = item;
  if (!TreeView_GetItem(tree_, &tv)) return 0;
  return model_.IndexOf(static_cast<NodeId>(tv.lParam));
}

int LibraryTreeView::IndexAt(LPARAM pointerInClient) const {
  TVHITTESTINFO hit{};
  hit.pt = {GET_X_LPARAM(pointerInClient), GET_Y_LPARAM(pointerInClient)};
  const HTREEITEM item = TreeView_HitTest(tree_, &hit);
  return (hit.flags & TVHT_ONITEM) ? IndexOf(item) : 0;
}

HTREEITEM LibraryTreeView::Insert(const TreeNode& node, HTREEITEM after) {
  std::wstring text = Widen(node.text);
  TVINSERTSTRUCTW insert{};
  insert.hParent = node.parent ? Item(node.parent) : TVI_ROOT;
  insert.hInsertAfter = after ? after : TVI_FIRST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN;
  insert.item.pszText = text.data();
  insert.item.iImage = insert.item.iSelectedImage = node.image - 1;
  insert.item.lParam = node.id;
  insert.item.cChildren = node.children.empty() ? 0 : 1;
  CountInsertion();
  const HTREEITEM item = TreeView_InsertItem(tree_, &insert);
  if (item) items_[node.id] = item;
  AnswerSentMessages();  // a library of a million lines enters the control at start-up
  return item;
}

namespace {

// Posted to the control after the first item of a burst: it arrives once the message
// loop runs again.
constexpr UINT kBurstEnded = WM_APP + 0x54;
// Fewer items than this are drawn as they come.
constexpr int kItemsBeforeHoldingDrawing = 256;

}  // namespace

void LibraryTreeView::CountInsertion() {
  if (++burst_ == 1) PostMessageW(tree_, kBurstEnded, 0, 0);
  if (burst_ == kItemsBeforeHoldingDrawing && !drawingHeld_) {
    SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
    drawingHeld_ = true;
  }
}

void LibraryTreeView::EndBurst() {
  burst_ = 0;
  if (!drawingHeld_) return;
  drawingHeld_ = false;
  SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(tree_, nullptr, TRUE);
}

void LibraryTreeView::ShowExpandButton(NodeId id) {
  const HTREEITEM item = Item(id);
  const TreeNode* node = model_.ById(id);
  if (!item || !node) return;
  TVITEMW tv{};
  tv.mask = TVIF_HANDLE | TVIF_CHILDREN;
  tv.hItem = item;
  tv.cChildren = node->children.empty() ? 0 : 1;
  TreeView_SetItem(tree_, &tv);
}

void LibraryTreeView::Fill(NodeId id) {
  if (filled_.count(id) || !Item(id)) return;
  const TreeNode* node = model_.ById(id);
  if (!node) return;
  Mirroring guard(mirroring_);
  filled_.insert(id);
  HTREEITEM after = nullptr;
  for (NodeId child : node->children) {
    if (const TreeNode* childNode = model_.ById(child)) after = Insert(*childNode, after ? after : TVI_FIRST);
  }
  ShowExpandButton(id);
}

HTREEITEM LibraryTreeView::Reveal(NodeId id) {
  if (const HTREEITEM item = Item(id)) return item;
  const TreeNode* node = model_.ById(id);
  if (!node || !node->parent) return nullptr;
  if (!Reveal(node->parent)) return nullptr;
  Fill(node->parent);
  return Item(id);
}

void LibraryTreeView::NodeAdded(const TreeNode& node, NodeId after) {
  if (node.parent && !filled_.count(node.parent)) {
    // Its children enter the control when it opens; the first one gives it its button.
    const TreeNode* parent = model_.ById(node.parent);
    if (parent && parent->children.size() == 1) ShowExpandButton(node.parent);
    return;
  }
  Mirroring guard(mirroring_);
  // A top-level node added after the last one goes in as the control's last item: the
  // control then need not look its neighbour up among all its items, which for a
  // library of many categories would make the start-up quadratic.
  if (!node.parent && lastTopLevelKnown_ && after == lastTopLevel_) {
    Insert(node, TVI_LAST);
    lastTopLevel_ = node.id;
    return;
  }
  Insert(node, after ? Item(after) : TVI_FIRST);
}

void LibraryTreeView::NodeRemoved(NodeId id) {
  Mirroring guard(mirroring_);
  if (id == lastTopLevel_) lastTopLevelKnown_ = false;
  if (const HTREEITEM item = Item(id)) TreeView_DeleteItem(tree_, item);  // TVN_DELETEITEM forgets the subtree
}

void LibraryTreeView::ChildrenRemoved(const TreeNode& parent) {
  Mirroring guard(mirroring_);
  ShowExpandButton(parent.id);
}

void LibraryTreeView::NodeChanged(const TreeNode& node) {
  const HTREEITEM item = Item(node.id);
  if (!item) return;
  Mirroring guard(mirroring_);
  std::wstring text = Widen(node.text);
  TVITEMW tv{};
  tv.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  tv.hItem = item;
  tv.pszText = text.data();
  tv.iImage = tv.iSelectedImage = node.image - 1;
  TreeView_SetItem(tree_, &tv);
}

void LibraryTreeView::NodeExpansionChanged(const TreeNode& node) {
  if (node.expanded) {
    Reveal(node.id);
    Fill(node.id);
  }
  if (node.id == expandingByUser_) return;  // the control is doing it already
  const HTREEITEM item = Item(node.id);
  if (!item) return;
  Mirroring guard(mirroring_);
  TreeView_Expand(tree_, item, node.expanded ? TVE_EXPAND : TVE_COLLAPSE);
}

void LibraryTreeView::SelectionChanged(NodeId selected) {
  const HTREEITEM item = selected ? Reveal(selected) : nullptr;
  Mirroring guard(mirroring_);
  TreeView_SelectItem(tree_, item);
}

void LibraryTreeView::DropHighlightChanged(NodeId highlighted) {
  const HTREEITEM item = highlighted ? Reveal(highlighted) : nullptr;
  Mirroring guard(mirroring_);
  // The old target's mark is cleared by hand too: some tree controls keep it when
  // told to highlight no item (seen under Wine).
  if (const HTREEITEM old = TreeView_GetDropHilight(tree_); old && old != item) {
    TreeView_SetItemState(tree_, old, 0, TVIS_DROPHILITED);
  }
  TreeView_SelectDropTarget(tree_, item);
}

void LibraryTreeView::LabelEditStarted(NodeId id) {
  if (const HTREEITEM item = Reveal(id)) {
    SetFocus(tree_);
    TreeView_EditLabel(tree_, item);
  }
}

bool LibraryTreeView::OnNotify(const NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != tree_) return false;
  result = 0;
  switch (header.code) {
    case TVN_DELETEITEMW: {
      const auto& info = reinterpret_cast<const NMTREEVIEWW&>(header);
      items_.erase(static_cast<NodeId>(info.itemOld.lParam));
      filled_.erase(static_cast<NodeId>(info.itemOld.lParam));
      return true;
    }
    case TVN_ITEMEXPANDINGW: {
      if (mirroring_) return true;
      const auto& info = reinterpret_cast<const NMTREEVIEWW&>(header);
      const int index = IndexOf(info.itemNew.hItem);
      if (!index) return true;
      expandingByUser_ = static_cast<NodeId>(info.itemNew.lParam);
      if (info.action & TVE_EXPAND) {
        handlers_.Expand(index);
        Fill(expandingByUser_);
      } else if (info.action & TVE_COLLAPSE) {
        handlers_.Collapse(index);
      }
      expandingByUser_ = 0;
      return true;
    }
    case TVN_SELCHANGEDW: {
      if (mirroring_) return true;
      const auto& info = reinterpret_cast<const NMTREEVIEWW&>(header);
      model_.SelectFromView(static_cast<NodeId>(info.itemNew.lParam));
      // A click reports itself through NM_CLICK; the keyboard's moves act like clicks.
      if (info.action == TVC_BYKEYBOARD) handlers_.Tree_NodeClick(IndexOf(info.itemNew.hItem));
      return true;
    }
    case NM_CLICK: {
      const DWORD pos = GetMessagePos();
      POINT pt{GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
      ScreenToClient(tree_, &pt);
      if (const int index = IndexAt(MAKELPARAM(pt.x, pt.y))) handlers_.Tree_NodeClick(index);
      return true;
    }
    case NM_DBLCLK:
      handlers_.Tree_DblClick();
      return true;
    case TVN_BEGINDRAGW: {
      // The dragged entry becomes the selected one, which is what a library drag moves.
      const auto& info = reinterpret_cast<const NMTREEVIEWW&>(header);
      const int index = IndexOf(info.itemNew.hItem);
      const TreeNode* node = model_.Node(index);
      if (!node || !dragDrop_) return true;
      model_.Select(index);
      dragDrop_->DragFromTree(node->text);
      return true;
    }
    case NM_RCLICK:
      result = TRUE;  // the tree's own menu came with the button press
      return true;
    case TVN_BEGINLABELEDITW: {
      const auto& info = reinterpret_cast<const NMTVDISPINFOW&>(header);
      result = handlers_.Tree_BeforeLabelEdit(IndexOf(info.item.hItem)) ? FALSE : TRUE;
      return true;
    }
    case TVN_ENDLABELEDITW: {
      const auto& info = reinterpret_cast<const NMTVDISPINFOW&>(header);
      if (!info.item.pszText) return true;  // editing was cancelled
      const int index = IndexOf(info.item.hItem);
      const std::string text = Narrow(info.item.pszText);
      if (index && handlers_.Tree_AfterLabelEdit(index, text)) {
        const TreeNode* node = model_.Node(index);
        if (node && node->text != text) model_.SetText(index, text);
        result = TRUE;
      }
      return true;
    }
    default:
      return false;
  }
}

LRESULT CALLBACK LibraryTreeView::ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                              DWORD_PTR self) {
  auto* view = reinterpret_cast<LibraryTreeView*>(self);
  if (AnsweringSentMessages()) return DefSubclassProc(hwnd, message, wParam, lParam);
  const LRESULT handled = view->OnControlMessage(message, wParam, lParam);
  return handled == 0 ? DefSubclassProc(hwnd, message, wParam, lParam) : 0;
}

// Returns nonzero when the message is consumed here.
LRESULT LibraryTreeView::OnControlMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kBurstEnded:
      EndBurst();
      return 1;
    case WM_LBUTTONDOWN:
      handlers_.Tree_MouseDown(1, ShiftState(), IndexAt(lParam));
      return 0;  // the control goes on with its own click
    case WM_RBUTTONDOWN:
      handlers_.Tree_MouseDown(2, ShiftState(), IndexAt(lParam));
      return 1;
    case WM_MBUTTONUP:
      handlers_.Tree_MouseUp(4, ShiftState(), IndexAt(lParam));
      return 0;
    case WM_SETFOCUS:
      handlers_.Tree_GotFocus();
      return 0;
    case WM_KEYDOWN: {
      const int key = static_cast<int>(wParam);
      const int shift = ShiftState();
      handlers_.Tree_KeyDown(key, shift);
      // Ctrl+Up and Ctrl+Down move between siblings here, not through the control.
      return (shift == 2 && (key == VK_UP || key == VK_DOWN)) || key == VK_RETURN ? 1 : 0;
    }
    default:
      return 0;
  }
}

}  // namespace tavelin::win32
