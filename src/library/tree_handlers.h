#pragma once
// The library tree's operations and event handlers: reading drives and folders
// lazily, listing a clicked folder, revealing a path, playing, deleting and renaming
// entries. Nodes are named by their index.

#include <string>

namespace tavelin {

class Library;

class TreeHandlers {
 public:
  explicit TreeHandlers(Library& library) : w_(library) {}

  // Operations shared with other parts of the program.
  // Reads the child folders of `folderPath` (ending in "\") into node `nodeIndex`;
  // returns whether the folder itself holds a movie.
  bool ListSubfolders(const std::string& folderPath, int nodeIndex);
  void RefreshNode(int index);
  void RemoveChildren(int index);
  void RevealPath(const std::string& path);
  // Opening or closing a node from code runs the same handlers as the user's gesture.
  void Expand(int index);
  void Collapse(int index);

  // Event handlers (also called as operations).
  void Tree_Expand(int index);
  void Tree_Collapse(int index);
  void Tree_NodeClick(int index);
  void Tree_DblClick();
  void Tree_KeyDown(int keyCode, int shift);
  // `index` is the node under the pointer, 0 for none.
  void Tree_MouseDown(int button, int shift, int index);
  void Tree_MouseUp(int button, int shift, int index);
  // Returns whether editing may start.
  bool Tree_BeforeLabelEdit(int index);
  // Returns whether the new text is accepted.
  bool Tree_AfterLabelEdit(int index, const std::string& newText);
  void Tree_GotFocus();

  // The folder path of a drive or folder node: its full path without "我的电脑\".
  std::string FolderPath(int index) const;

 private:
  void DeleteSelected();
  void SelectSibling(int step);

  Library& w_;
};

}  // namespace tavelin
