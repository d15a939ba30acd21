#pragma once
// The list control as a mirror of the file list model. The control is a virtual
// list: it asks for the texts of the rows it shows, so filling or sorting ten
// thousand rows costs one count update, not ten thousand insertions.

#include "win32/windows_api.h"

#include <commctrl.h>

#include <string>

#include "library/file_list.h"
#include "library/file_list_handlers.h"

namespace tavelin::win32 {

class LibraryDragDrop;

class FileListView : public FileListObserver {
 public:
  FileListView(HWND list, HIMAGELIST headerImages, FileList& model, FileListHandlers& handlers);
  ~FileListView() override;
  FileListView(const FileListView&) = delete;
  FileListView& operator=(const FileListView&) = delete;

  bool OnNotify(const NMHDR& header, LRESULT& result);

  // FileListObserver.
  void RowsReset() override;
  void RowRemoved(int row) override;
  void RowChanged(int row) override;
  void SelectionChanged() override;
  void HeaderImageChanged(int column, int image) override;
  void ColumnsFitRequested() override;
  void LabelEditStarted(int row) override;

  // Where the list's drags go.
  void SetDragDrop(LibraryDragDrop* dragDrop) { dragDrop_ = dragDrop; }

 private:
  static LRESULT CALLBACK ControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self);
  LRESULT OnControlMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void PushSelection();
  int RowAt(LPARAM pointerInClient) const;

  HWND list_;
  FileList& model_;
  FileListHandlers& handlers_;
  int mirroring_ = 0;
  std::wstring text_;  // the text last handed to the control
  LibraryDragDrop* dragDrop_ = nullptr;
};

}  // namespace tavelin::win32
