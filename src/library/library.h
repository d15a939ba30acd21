#pragma once
// The library: the tree of categories, drives and folders, the file list, their
// handlers, the folder the list shows, and the store that keeps them between runs.
// The main window wires it to the windows and to playback.

#include <string>

#include "library/file_list.h"
#include "library/file_list_handlers.h"
#include "library/library_tree.h"
#include "library/library_window.h"
#include "library/tree_handlers.h"
#include "options/player_options.h"
#include "platform/failure.h"
#include "platform/ports.h"

namespace tavelin {

class Library {
 public:
  Library(Ports ports, LibraryWindow& window, LibraryHost& host);
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  LibraryTree& Tree() { return tree_; }
  const LibraryTree& Tree() const { return tree_; }
  FileList& List() { return list_; }
  TreeHandlers& TreeEvents() { return treeHandlers_; }
  FileListHandlers& ListEvents() { return listHandlers_; }
  LibraryWindow& Window() { return window_; }
  LibraryHost& Host() { return host_; }
  Ports& System() { return ports_; }

  // The store file of the running program: its folder, its name, ".ini".
  std::string StoreFilePath();
  // Construction: reads the store, if there is one, into the tree and `options`.
  // Returns whether options were read. Failures are recorded in `steps`.
  bool ReadStore(PlayerOptions& options, StepRecord& steps);
  // Shutdown: writes the store, or tells the user once why it was not written. A store
  // that existed but could not be read is never replaced.
  void WriteStore(const PlayerOptions& options);

  // The toolbar's category buttons: a new category named "New" whose name the user edits
  // at once; emptying the selected category after asking.
  void NewCategory();
  void ClearSelectedCategory();
  // "显示 EXE 文件": lists the executables of the selected drive or folder.
  void ShowExecutables();

  // The folder whose files the list shows, with a trailing "\".
  std::string CurrentFolder;
  // The user's categories (the top-level nodes after "搜索结果").
  short CategoryCount = 0;

 private:
  Ports ports_;
  LibraryWindow& window_;
  LibraryHost& host_;
  LibraryTree tree_;
  FileList list_;
  TreeHandlers treeHandlers_{*this};
  FileListHandlers listHandlers_{*this};
  std::string storeReadFailure_;  // why the store that exists could not be read
};

}  // namespace tavelin
