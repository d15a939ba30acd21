#include "library/file_list_handlers.h"

#include <cstdio>
#include <exception>
#include <optional>

#include "library/library.h"
#include "platform/input.h"
#include "platform/path_limits.h"
#include "platform/text.h"

namespace tavelin {
namespace {

// Positions of the pop-up menu's entries whose state changes when it opens.
enum MenuEntry : std::size_t {
  kCreateExe = 3,
  kAddTo = 4,
  kConvertAll = 7,
};
constexpr const char* kAddToPrefix = "添加到 ";
constexpr const char* kDeleteCaption = "删除文件";
constexpr const char* kNoRecycleBin =
    "此文件的路径超过 259 个字符，Windows 回收站无法接收，文件没有删除。\r"
    "如要永久删除，请选中后按 Shift+Delete。";
constexpr const char* kDeleteForGood = "确实要永久删除此文件吗？";
constexpr const char* kDeleteFailed = "删除文件时发生错误，可能的原因如下：";

// Handlers are called from window procedures: nothing may escape them.
template <class Action>
void Guarded(Action&& action) noexcept {
  try {
    action();
  } catch (...) {
  }
}

// "yyyy/mm/dd hh:mm" with the system's separators: fixed width, so the text sorts in time order.
std::string TimeText(const LocalTime& t, const std::string& dateSeparator, const std::string& timeSeparator) {
  char text[96];
  const int length = std::snprintf(text, sizeof text, "%04d%s%02d%s%02d %02d%s%02d", t.year, dateSeparator.c_str(),
                                   t.month, dateSeparator.c_str(), t.day, t.hour, timeSeparator.c_str(), t.minute);
  if (length < 0 || static_cast<std::size_t>(length) >= sizeof text) throw Failure("时间格式错误");
  return std::string(text, static_cast<std::size_t>(length));
}

// Renames and returns the failure's description, or nothing when the rename worked.
std::optional<std::string> TryRename(FileSystem& files, const std::string& from, const std::string& to) {
  try {
    files.Rename(from, to);
    return std::nullopt;
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "未知错误";
  }
}

}  // namespace

FileListHandlers::FileListHandlers(Library& library) : w_(library) {
  auto entry = [](const char* name, const char* caption) { return FileListMenuItem{name, caption, true, false}; };
  const FileListMenuItem separator{"", "-", true, true};
  menu_ = {
      entry("mFL_RegPlayer", "关联 swf 文件到 Tavelin"),
      separator,
      entry("mFL_Clear", "清除文件框"),
      entry("mFL_CreateExe", "打包(SWF -> EXE)..."),
      entry("mFL_AddTo", "当前无效"),
      separator,
      entry("mFL_ShowEXE", "显示 EXE 文件"),
      entry("mFL_TranFlie(0)", "批量转化 EXE -> SWF 文件"),
      entry("mFL_TranFlie(1)", "转化选择项 EXE -> SWF"),
      entry("mFL_Check", "有效性检验"),
      entry("mFL_CopyPath", "复制路径"),
  };
}

void FileListHandlers::ListFolder(const std::string& folder, const std::string& extension) {
  Guarded([&] {
    std::string pattern = folder;
    if (pattern.empty() || pattern.back() != '\\') pattern += '\\';
    pattern += "*." + extension;

    Desktop& desktop = w_.System().desktop;
    std::string dateSeparator = "/", timeSeparator = ":";
    Guarded([&] { dateSeparator = desktop.DateSeparator(); });
    Guarded([&] { timeSeparator = desktop.TimeSeparator(); });

    std::vector<DirectoryEntry> entries;
    Guarded([&] { entries = w_.System().files.List(pattern); });
    std::vector<FileRow> rows;
    rows.reserve(entries.size());
    for (const DirectoryEntry& entry : entries) {
      // A column that cannot be worked out stays empty; the row is listed anyway.
      FileRow row{entry.name, {}, {}, false};
      Guarded([&] { row.size = SizeText(entry.size); });
      Guarded([&] { row.time = TimeText(desktop.ToLocalTime(entry.lastWrite.ticks), dateSeparator, timeSeparator); });
      rows.push_back(std::move(row));
    }
    w_.List().Append(std::move(rows));
    w_.List().RequestColumnsFit();
  });
}

void FileListHandlers::FL_DblClick() {
  Guarded([&] {
    FileList& list = w_.List();
    if (list.Count() == 0 || !list.HasRow(list.SelectedItem())) return;
    w_.Host().Play(w_.CurrentFolder + list.Row(list.SelectedItem()).text);
  });
}

void FileListHandlers::FL_KeyDown(int keyCode, int shift) {
  Guarded([&] {
    FileList& list = w_.List();
    if (list.Count() == 0) return;  // an empty list keeps every key, shortcuts included
    switch (keyCode) {
      case key::kEnter:
        FL_DblClick();
        break;
      case key::kDelete:
        DeleteSelectedFiles(shift);
        break;
      case key::kF2:
        list.StartLabelEdit(list.SelectedItem());
        break;
      default:
        w_.Host().PassOnKey(keyCode, shift);
        break;
    }
  });
}

void FileListHandlers::DeleteSelectedFiles(int shift) {
  FileList& list = w_.List();
  FileSystem& files = w_.System().files;
  const bool allowUndo = (shift & modifier::kShift) == 0;
  // The shell's dialogs run the message loop, so the user may list another folder or
  // re-sort while one is open: the files are fixed by their full paths before the first
  // deletion, and each row is looked up again by its name afterwards.
  const std::string folder = w_.CurrentFolder;
  std::vector<std::string> names;
  const std::vector<int> selected = list.SelectedRows();
  for (auto it = selected.rbegin(); it != selected.rend(); ++it) names.push_back(list.Row(*it).text);
  for (const std::string& name : names) {
    const std::string path = folder + name;
    if (TooLongForShell(path)) {
      if (!DeleteLongPath(path, allowUndo)) continue;
    } else {
      Guarded([&] { files.SetAttributesNormal(path); });
      // The shell reports its own failures and the user may decline; the row goes either way.
      Guarded([&] { files.ShellDelete(path, allowUndo); });
    }
    if (!EqualsIgnoreCase(w_.CurrentFolder, folder)) continue;  // that folder is no longer listed
    for (int row = 0; row < list.Count(); ++row) {
      if (list.Row(row).text == name) {
        list.Remove(row);
        break;
      }
    }
  }
}

// The shell's delete, and with it the recycle bin, stops at MAX_PATH. Such a file goes
// to the recycle bin never and for good only after the program's own question; its row
// stays while the file does.
bool FileListHandlers::DeleteLongPath(const std::string& path, bool allowUndo) {
  LibraryHost& host = w_.Host();
  if (allowUndo) {
    host.ShowMessage(std::string(kNoRecycleBin) + "\r" + path, mb::kIconInformation, kDeleteCaption);
    return false;
  }
  if (host.ShowMessage(std::string(kDeleteForGood) + "\r" + path, mb::kYesNo | mb::kIconWarning, kDeleteCaption) !=
      mb::kAnswerYes) {
    return false;
  }
  FileSystem& files = w_.System().files;
  try {
    files.SetAttributesNormal(path);
    files.DeleteFile(path);
  } catch (const Failure& failure) {
    host.ShowMessage(std::string(kDeleteFailed) + "\r" + failure.what(), mb::kIconInformation, kDeleteCaption);
    return false;
  }
  return true;
}

bool FileListHandlers::FL_BeforeLabelEdit(int row) { return w_.List().HasRow(row); }

bool FileListHandlers::FL_AfterLabelEdit(int row, const std::string& newText) {
  bool accepted = false;
  Guarded([&] {
    FileList& list = w_.List();
    if (!list.HasRow(row)) return;
    FileSystem& files = w_.System().files;
    const std::string oldPath = w_.CurrentFolder + list.Row(row).text;
    Guarded([&] { files.SetAttributesNormal(oldPath); });
    if (const auto failure = TryRename(files, oldPath, w_.CurrentFolder + newText)) {
      w_.Host().ShowMessage("重命名时发生错误，可能的原因如下：\r" + *failure, mb::kIconInformation, "文件重命名");
      return;
    }
    list.SetText(row, newText);
    accepted = true;
  });
  return accepted;
}

void FileListHandlers::FL_ColumnClick(int column) {
  Guarded([&] {
    FileList& list = w_.List();
    if (column < 0 || column >= FileList::kColumns) return;
    list.SetHeaderImage(lastSortColumn_, 0);
    int order = list.SortOrder();
    // Only a column the rows are already sorted by reverses; the very first click on
    // the name column sorts by it in the direction in force, as any other first click does.
    if (column == lastSortColumn_ && list.Sorted()) order = 1 - order;
    list.SortBy(column, order);
    lastSortColumn_ = column;
    list.SetHeaderImage(column, tree_image::kSortAscending - order);
  });
}

void FileListHandlers::FL_MouseDown(int button, int, int row) {
  Guarded([&] {
    FileList& list = w_.List();
    if (button == mouse::kRight) {
      UpdateMenu();
      const int chosen = w_.Window().PopUpFileListMenu(menu_);
      if (chosen >= 0 && chosen < static_cast<int>(menu_.size())) FL_MenuCommand(menu_[static_cast<std::size_t>(chosen)].name);
    } else if (button == mouse::kMiddle) {
      if (!list.HasRow(row)) return;
      list.SetSelected(list.SelectedItem(), false);
      list.SetSelected(row, true);
      FL_DblClick();
      w_.Host().MaximizeOutputWindow();
    }
  });
}

void FileListHandlers::FL_MenuCommand(const std::string& name) {
  Guarded([&] {
    FileList& list = w_.List();
    if (name == "mFL_ShowEXE") {
      w_.ShowExecutables();
    } else if (name == "mFL_CreateExe") {
      if (list.HasRow(list.SelectedItem())) w_.Host().PackMovie(w_.CurrentFolder + list.Row(list.SelectedItem()).text);
    } else if (name == "mFL_TranFlie(0)" || name == "mFL_TranFlie(1)") {
      w_.Host().ConvertProjectors(name == "mFL_TranFlie(1)");
    } else if (name == "mFL_AddTo") {
      w_.AddSelectedFileToCategory();
    } else if (name == "mFL_Clear") {
      w_.ClearList();
    } else if (name == "mFL_CopyPath") {
      w_.CopyListPath();
    } else if (name == "mFL_Check") {
      w_.Host().CheckValidity();
    } else if (name == "mFL_RegPlayer") {
      w_.Host().AssociateMovies();
    }
  });
}

void FileListHandlers::UpdateMenu() {
  FileList& list = w_.List();
  const bool hasRows = list.Count() > 0;

  bool stubThere = false;
  Guarded([&] { stubThere = w_.System().files.FileExists(w_.Host().ProgramFolder() + "data.dat"); });
  menu_[kCreateExe].enabled = hasRows && stubThere;

  // With no rows the batch conversion keeps the state it had.
  if (hasRows) menu_[kConvertAll].enabled = EndsWithIgnoreCase(list.Row(0).text, "exe");

  FileListMenuItem& addTo = menu_[kAddTo];
  addTo.enabled = false;
  const LibraryTree& tree = w_.Tree();
  const TreeNode* selected = tree.Node(tree.Selected());
  if (!hasRows || !selected) return;
  addTo.enabled = true;
  const TreeNode* parent = tree.Node(tree.Parent(tree.Selected()));
  if (EqualsIgnoreCase(selected->tag, tree_tag::kCategory)) {
    addTo.caption = kAddToPrefix + selected->text;
  } else if (selected->image == tree_image::kMovie && parent) {  // a movie entry names its category
    addTo.caption = kAddToPrefix + parent->text;
  } else {
    addTo.enabled = false;
  }
}

void FileListHandlers::FL_GotFocus() {
  Guarded([&] { w_.Host().SetNavWindow(w_.Window().ListWindow()); });
}

}  // namespace tavelin
