#pragma once
// The file list's operations and event handlers: listing a folder, playing, deleting,
// renaming and sorting files, and the state of the list's pop-up menu.

#include <string>
#include <vector>

namespace tavelin {

class Library;

// The entries of the list's pop-up menu, in order, as the menu shows them when it opens.
struct FileListMenuItem {
  std::string name;  // control name, such as "mFL_AddTo"
  std::string caption;
  bool enabled = true;
  bool separator = false;
};

class FileListHandlers {
 public:
  explicit FileListHandlers(Library& library);

  // Appends a row for every entry of `folder` matching "*." + extension.
  void ListFolder(const std::string& folder, const std::string& extension);

  void FL_DblClick();
  void FL_KeyDown(int keyCode, int shift);
  // `row` is the row under the pointer, -1 for none.
  void FL_MouseDown(int button, int shift, int row);
  void FL_ColumnClick(int column);
  // Returns whether editing may start (every row may be edited). Once the edit box
  // opens, the control sends it Shift+Left this many times so that the selection
  // leaves out the dot and the three-letter extension.
  static constexpr int kShiftLeftKeysAtEditStart = 4;
  bool FL_BeforeLabelEdit(int row);
  // Returns whether the new text is accepted.
  bool FL_AfterLabelEdit(int row, const std::string& newText);
  void FL_GotFocus();
  // An entry of the pop-up menu, by its control name.
  void FL_MenuCommand(const std::string& name);

  int LastSortColumn() const { return lastSortColumn_; }
  const std::vector<FileListMenuItem>& Menu() const { return menu_; }

 private:
  void DeleteSelectedFiles(int shift);
  // Deletes one file the shell cannot take (its path is too long); returns whether it went.
  bool DeleteLongPath(const std::string& path, bool allowUndo);
  void UpdateMenu();

  Library& w_;
  int lastSortColumn_ = 0;
  std::vector<FileListMenuItem> menu_;
};

}  // namespace tavelin
