#include "win32/file_list_view.h"
#include "win32/sent_messages.h"

#include <windowsx.h>

#include <algorithm>

#include "library/library_tree.h"
#include "win32/keyboard.h"
#include "win32/library_drag_drop.h"
#include "win32/mirroring.h"
#include "win32/text.h"

namespace tavelin::win32 {

FileListView::FileListView(HWND list, HIMAGELIST headerImages, FileList& model, FileListHandlers& handlers)
    : list_(list), model_(model), handlers_(handlers) {
  Header_SetImageList(ListView_GetHeader(list_), headerImages);
  SetWindowSubclass(list_, &FileListView::ControlProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

FileListView::~FileListView() { RemoveWindowSubclass(list_, &FileListView::ControlProc, 1); }

void FileListView::RowsReset() {
  Mirroring guard(mirroring_);
  ListView_SetItemCountEx(list_, model_.Count(), LVSICF_NOINVALIDATEALL);
  PushSelection();
  InvalidateRect(list_, nullptr, TRUE);
}

void FileListView::RowRemoved(int) { RowsReset(); }

void FileListView::RowChanged(int row) { ListView_RedrawItems(list_, row, row); }

void FileListView::SelectionChanged() {
  Mirroring guard(mirroring_);
  PushSelection();
}

void FileListView::PushSelection() {
  ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  for (int row : model_.SelectedRows()) ListView_SetItemState(list_, row, LVIS_SELECTED, LVIS_SELECTED);
  const int current = model_.SelectedItem();
  if (current >= 0 && current < model_.Count()) {
    ListView_SetItemState(list_, current, LVIS_FOCUSED, LVIS_FOCUSED);
    ListView_EnsureVisible(list_, current, FALSE);
  }
}

void FileListView::HeaderImageChanged(int column, int image) {
  HWND header = ListView_GetHeader(list_);
  HDITEMW item{};
  item.mask = HDI_FORMAT;
  Header_GetItem(header, column, &item);
  item.mask = HDI_FORMAT | HDI_IMAGE;
  if (image > 0) {
    item.fmt |= HDF_IMAGE | HDF_BITMAP_ON_RIGHT;
    item.iImage = image - 1;
  } else {
    item.fmt &= ~(HDF_IMAGE | HDF_BITMAP_ON_RIGHT);
  }
  Header_SetItem(header, column, &item);
}

void FileListView::ColumnsFitRequested() {
  for (int column = 0; column < FileList::kColumns; ++column) {
    PostMessageW(list_, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0));
  }
}

void FileListView::LabelEditStarted(int row) {
  SetFocus(list_);
  ListView_EditLabel(list_, row);
}

int FileListView::RowAt(LPARAM pointerInClient) const {
  LVHITTESTINFO hit{};
  hit.pt = {GET_X_LPARAM(pointerInClient), GET_Y_LPARAM(pointerInClient)};
  const int row = ListView_HitTest(list_, &hit);
  return (hit.flags & LVHT_ONITEM) ? row : -1;
}

bool FileListView::OnNotify(const NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != list_) return false;
  result = 0;
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      auto& info = const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(header));
      const int row = info.item.iItem;
      if (row < 0 || row >= model_.Count()) return true;
      const FileRow& data = model_.Row(row);
      if (info.item.mask & LVIF_TEXT) {
        const std::string& cell = info.item.iSubItem == 0 ? data.text : info.item.iSubItem == 1 ? data.size : data.time;
        text_ = Widen(cell);
        if (info.item.cchTextMax > 0) {
          const std::size_t n = std::min<std::size_t>(text_.size(), static_cast<std::size_t>(info.item.cchTextMax - 1));
          std::copy_n(text_.c_str(), n, info.item.pszText);
          info.item.pszText[n] = L'\0';
        }
      }
      if (info.item.mask & LVIF_IMAGE) info.item.iImage = tree_image::kMovie - 1;
      return true;
    }
    case LVN_ITEMCHANGED: {
      if (mirroring_) return true;
      const auto& info = reinterpret_cast<const NMLISTVIEW&>(header);
      if (!(info.uChanged & LVIF_STATE)) return true;
      const bool selected = info.uNewState & LVIS_SELECTED;
      const bool focused = info.uNewState & LVIS_FOCUSED;
      if (info.iItem < 0) {
        for (int row = 0; row < model_.Count(); ++row) model_.SelectFromView(row, selected, false);
      } else {
        model_.SelectFromView(info.iItem, selected, focused);
      }
      return true;
    }
    case LVN_ODSTATECHANGED: {
      if (mirroring_) return true;
      const auto& info = reinterpret_cast<const NMLVODSTATECHANGE&>(header);
      for (int row = info.iFrom; row <= info.iTo && row < model_.Count(); ++row) {
        model_.SelectFromView(row, info.uNewState & LVIS_SELECTED, false);
      }
      return true;
    }
    case LVN_BEGINDRAG: {
      // The selected rows go, their names as the drag's text.
      if (!dragDrop_) return true;
      std::string names;
      for (const int row : model_.SelectedRows()) names += (names.empty() ? "" : "\r\n") + model_.Row(row).text;
      if (!names.empty()) dragDrop_->DragFromList(names);
      return true;
    }
    case NM_DBLCLK:
      handlers_.FL_DblClick();
      return true;
    case NM_RCLICK: {
      const DWORD pos = GetMessagePos();
      POINT pt{GET_X_LPARAM(pos), GET_Y_LPARAM(pos)};
      ScreenToClient(list_, &pt);
      handlers_.FL_MouseDown(2, ShiftState(), RowAt(MAKELPARAM(pt.x, pt.y)));
      result = TRUE;
      return true;
    }
    case LVN_COLUMNCLICK:
      handlers_.FL_ColumnClick(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
      return true;
    case LVN_BEGINLABELEDITW: {
      const auto& info = reinterpret_cast<const NMLVDISPINFOW&>(header);
      if (!handlers_.FL_BeforeLabelEdit(info.item.iItem)) {
        result = TRUE;
        return true;
      }
      // Typing replaces the name and keeps the dot and the extension.
      if (HWND edit = ListView_GetEditControl(list_)) {
        const int length = GetWindowTextLengthW(edit);
        PostMessageW(edit, EM_SETSEL, 0, std::max(0, length - FileListHandlers::kShiftLeftKeysAtEditStart));
      }
      return true;
    }
    case LVN_ENDLABELEDITW: {
      const auto& info = reinterpret_cast<const NMLVDISPINFOW&>(header);
      if (!info.item.pszText) return true;  // editing was cancelled
      const std::string text = Narrow(info.item.pszText);
      if (handlers_.FL_AfterLabelEdit(info.item.iItem, text) && model_.Row(info.item.iItem).text != text) {
        model_.SetText(info.item.iItem, text);
      }
      return true;  // the model holds the text; a virtual list keeps none
    }
    default:
      return false;
  }
}

LRESULT CALLBACK FileListView::ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR self) {
  auto* view = reinterpret_cast<FileListView*>(self);
  if (AnsweringSentMessages()) return DefSubclassProc(hwnd, message, wParam, lParam);
  return view->OnControlMessage(message, wParam, lParam) ? 0 : DefSubclassProc(hwnd, message, wParam, lParam);
}

// Returns nonzero when the message is consumed here.
LRESULT FileListView::OnControlMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MBUTTONDOWN:
      handlers_.FL_MouseDown(4, ShiftState(), RowAt(lParam));
      return 1;
    case WM_SETFOCUS:
      handlers_.FL_GotFocus();
      return 0;
    case WM_KEYDOWN:
      handlers_.FL_KeyDown(static_cast<int>(wParam), ShiftState());
      return wParam == VK_RETURN ? 1 : 0;  // the list's own navigation still applies
    default:
      return 0;
  }
}

}  // namespace tavelin::win32
