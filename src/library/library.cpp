#include "library/library.h"

#include <exception>

#include "library/category_store.h"
#include "platform/dialogs.h"
#include "platform/input.h"
#include "platform/text.h"

namespace tavelin {

Library::Library(Ports ports, LibraryWindow& window, LibraryHost& host)
    : ports_(ports), window_(window), host_(host) {
  list_.SetCollation([&desktop = ports_.desktop](const std::string& a, const std::string& b) {
    return desktop.CompareTexts(a, b);
  });
}

std::string Library::StoreFilePath() { return host_.ProgramFolder() + ports_.files.ExecutableBaseName() + ".ini"; }

bool Library::ReadStore(PlayerOptions& options, StepRecord& steps) {
  bool optionsRead = false;
  storeReadFailure_ = ReadCategoryStore(*this, options, steps, optionsRead);
  storeReadAtStart_ = optionsRead;
  return optionsRead;
}

void Library::WriteStore(const PlayerOptions& options) {
  // A store that could not be read at the start still holds the user's library, which
  // the program never saw: it stays untouched.
  if (!storeReadFailure_.empty()) {
    host_.ShowMessage("媒体库文件无法读取，为免覆盖其中的内容，这次没有保存媒体库：" + StoreFilePath() + "\r" +
                          storeReadFailure_,
                      mb::kOk | mb::kIconWarning);
    return;
  }
  // A store that is there now but was not read at the start appeared meanwhile (another
  // copy of the program wrote it) or was out of reach then: the library this run
  // started without must not replace it.
  bool appeared = false;
  if (!storeReadAtStart_) {
    try {
      appeared = ports_.files.FileExists(StoreFilePath());
    } catch (const std::exception&) {
    }
  }
  if (appeared) {
    host_.ShowMessage("媒体库文件是在程序启动后出现的，为免覆盖其中的内容，这次没有保存媒体库：" + StoreFilePath(),
                      mb::kOk | mb::kIconWarning);
    return;
  }
  // Nothing of the library may be lost silently: a store that cannot be written is
  // reported once, and the previous store stays as it was.
  try {
    WriteCategoryStore(*this, options);
  } catch (const std::exception& e) {
    host_.ShowMessage("无法保存媒体库文件：" + StoreFilePath() + "\r" + e.what(), mb::kOk | mb::kIconWarning);
  }
}

void Library::NewCategory() {
  const int index = tree_.Add(0, "", "New", tree_image::kClosedFolder);
  if (index == 0) return;
  tree_.Select(index);
  tree_.SetTag(index, tree_tag::kCategory);
  tree_.StartLabelEdit(index);
  ++CategoryCount;
}

void Library::ShowExecutables() {
  const int selected = tree_.Selected();
  const std::string folder = treeHandlers_.FolderPath(selected);
  if (folder.empty()) return;  // a category or a root is no folder of the disk
  list_.Clear();
  CurrentFolder = WithTrailingBackslash(folder);
  listHandlers_.ListFolder(CurrentFolder, "exe");
}

void Library::AddSelectedFileToCategory() {
  const int selected = tree_.Selected();
  const TreeNode* node = tree_.Node(selected);
  if (!node || !list_.HasRow(list_.SelectedItem())) return;
  const std::string& name = list_.Row(list_.SelectedItem()).text;
  if (node->image == tree_image::kMovie) {
    tree_.AddFirst(tree_.Parent(selected), "", name, tree_image::kMovie, CurrentFolder);
  } else if (EqualsIgnoreCase(node->tag, tree_tag::kCategory)) {
    tree_.Add(selected, "", name, tree_image::kMovie, CurrentFolder);
  }
}

void Library::ClearList() {
  list_.Clear();
  treeHandlers_.Collapse(kMyComputerIndex);
  CurrentFolder.clear();
}

void Library::CopyListPath() {
  if (!list_.HasRow(list_.SelectedItem())) return;
  ports_.desktop.SetClipboardText(CurrentFolder + list_.Row(list_.SelectedItem()).text);
}

void Library::CopyTreePath() {
  const int selected = tree_.Selected();
  const TreeNode* node = tree_.Node(selected);
  if (!node || EqualsIgnoreCase(node->tag, tree_tag::kCategory)) return;
  ports_.desktop.SetClipboardText(node->image == tree_image::kMovie ? node->tag + node->text
                                                                     : treeHandlers_.FolderPath(selected));
}

void Library::RevealMovie(const std::string& movie) {
  if (movie.empty() || movie.find("://") != std::string::npos) return;
  treeHandlers_.RevealPath(movie);
}

void Library::TreeMenuCommand(int entry) {
  switch (entry) {
    case 1:
      ShowExecutables();
      break;
    case 2:
      treeHandlers_.Tree_KeyDown(key::kDelete, 0);
      break;
    case 3:
      CopyTreePath();
      break;
    default:
      break;
  }
}

void Library::ClearSelectedCategory() {
  const int index = tree_.Selected();
  const TreeNode* node = tree_.Node(index);
  if (!node || !EqualsIgnoreCase(node->tag, tree_tag::kCategory)) return;
  const std::string question = "你确定要删除类别: " + node->text + " 的所有条目吗？";
  if (host_.ShowMessage(question, mb::kOkCancel | mb::kIconInformation, "清除类别内容") != mb::kAnswerOk) return;
  treeHandlers_.RemoveChildren(index);
}

}  // namespace tavelin
