#include "library/library.h"

#include <exception>

#include "library/category_store.h"
#include "platform/dialogs.h"

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
  // Nothing of the library may be lost silently: a store that cannot be written is
  // reported once, and the previous store stays as it was.
  try {
    WriteCategoryStore(*this, options);
  } catch (const std::exception& e) {
    host_.ShowMessage("无法保存媒体库文件：" + StoreFilePath() + "\r" + e.what(), mb::kOk | mb::kIconWarning);
  }
}

}  // namespace tavelin
