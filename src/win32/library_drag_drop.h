#pragma once
// Library drags with the system's drag and drop: the list and the tree start them with
// their dragged names as text, and the tree takes them as a drop target. What a drop
// files or moves is decided by the library's LibraryDrag; this only speaks OLE. Drags
// from other programs carry no library drag and are refused.

#include "win32/windows_api.h"

#include <ole2.h>

#include <string>

#include "library/library_drag.h"
#include "library/library_tree.h"

namespace tavelin::win32 {

class LibraryDragDrop {
 public:
  // Registers the tree as a drop target (the thread must have called OleInitialize).
  LibraryDragDrop(HWND tree, LibraryTree& model, LibraryDrag& drag);
  ~LibraryDragDrop();
  LibraryDragDrop(const LibraryDragDrop&) = delete;
  LibraryDragDrop& operator=(const LibraryDragDrop&) = delete;

  // Runs a whole drag (the system's modal loop) of the list's selected rows, or of the
  // tree's selected entry; returns when it is dropped or cancelled.
  void DragFromList(const std::string& text);
  void DragFromTree(const std::string& text);

  // The tree's drop target, for tests that drive a drag through it.
  IDropTarget* Target() const { return target_; }

 private:
  void RunDrag(const std::string& text, DWORD allowedEffects);

  HWND tree_;
  LibraryDrag& drag_;
  IDropTarget* target_ = nullptr;
  bool registered_ = false;
};

// A data object holding one text, as library drags carry it.
IDataObject* NewTextDataObject(const std::string& text);

}  // namespace tavelin::win32
