#pragma once
// The library: the tree of categories, drives and folders, the file list, their
// handlers, the folder the list shows, and the store that keeps them between runs.
// The main window wires it to the windows and to playback.

#include <string>

#include "library/file_list.h"
#include "library/file_list_handlers.h"
#include "library/library_drag.h"
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
  LibraryDrag& Drag() { return drag_; }
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
  // The pop-up menus' commands. None reports anything; with nothing to act on, none
  // does anything.
  // "添加到 ...": the list's selected file as a new entry of the selected category (its
  // last), or before the selected movie entry's siblings (their first). No key: the
  // same file may be added again.
  void AddSelectedFileToCategory();
  // "清除文件框": an empty list, "我的电脑" closed, no current folder.
  void ClearList();
  // "复制路径": the selected row's full path, or the selected node's (a movie entry's
  // file, a drive or folder without its trailing ""; categories copy nothing).
  void CopyListPath();
  void CopyTreePath();
  // "展开路径": the tree opens down to the movie's folder. Network addresses are no
  // folder of the disk and reveal nothing.
  void RevealMovie(const std::string& movie);
  // The tree's pop-up menu: 1 "显示 EXE 文件", 2 "删除选择项" (as the Delete key), 3 "复制路径".
  void TreeMenuCommand(int entry);

  // The folder whose files the list shows, with a trailing "\".
  std::string CurrentFolder;
  // The user's categories (the top-level nodes after "搜索结果"). Wider than the 16
  // bits the count once had, so a library of more categories keeps all of them.
  int CategoryCount = 0;

 private:
  Ports ports_;
  LibraryWindow& window_;
  LibraryHost& host_;
  LibraryTree tree_;
  FileList list_;
  TreeHandlers treeHandlers_{*this};
  FileListHandlers listHandlers_{*this};
  LibraryDrag drag_{tree_, treeHandlers_, list_, CurrentFolder};
  std::string storeReadFailure_;  // why the store that exists could not be read
  bool storeReadAtStart_ = false;  // a store was there at the start and was read
};

}  // namespace tavelin
