#pragma once
// What the library asks of the main window, and of the rest of the program.

#include <string>
#include <vector>

#include "platform/desktop.h"

namespace tavelin {

struct FileListMenuItem;

class LibraryWindow {
 public:
  virtual ~LibraryWindow() = default;

  virtual WindowId ListWindow() = 0;
  virtual WindowId TreeWindow() = 0;
  // Pop-up menus at the pointer: the tree's, and the list's with its entries' states.
  // The tree's menu returns its entry chosen (1 "显示 EXE 文件", 2 "删除选择项", 3 "复制路径"), 0 for none.
  virtual int PopUpTreeMenu() = 0;
  // Returns the position in `items` of the entry chosen, -1 for none.
  virtual int PopUpFileListMenu(const std::vector<FileListMenuItem>& items) = 0;
};

class LibraryHost {
 public:
  virtual ~LibraryHost() = default;

  // Loads and starts a movie file (reports everything itself).
  virtual void Play(const std::string& file) = 0;
  // Plays in the output window maximised (the middle click).
  virtual void MaximizeOutputWindow() = 0;
  // A modal message box; returns the button code (0 when none could be shown).
  virtual int ShowMessage(const std::string& text, int style, const std::string& caption = {}) = 0;
  // Keys the tree and the list do not handle go to the main window's shortcuts.
  virtual void PassOnKey(int keyCode, int shift) = 0;
  // The tree or the list got the focus: the toolbar's keys go there now.
  virtual void SetNavWindow(WindowId window) = 0;
  virtual void SetToolbarButtonEnabled(int index, bool enabled) = 0;
  // The projector tools on the list's files: packing one movie (asking for the name),
  // and extracting the listed projectors (all of them, or the selected ones).
  virtual void PackMovie(const std::string& movie) = 0;
  virtual void ConvertProjectors(bool selectedOnly) = 0;
  // "有效性检验": names the listed files that are no movies.
  virtual void CheckValidity() = 0;
  // "关联 swf 文件到 Tavelin": .swf files open in this program from the shell.
  virtual void AssociateMovies() = 0;
  // The program folder, with a trailing backslash.
  virtual std::string ProgramFolder() = 0;
};

}  // namespace tavelin
