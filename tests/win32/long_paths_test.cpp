// Paths longer than MAX_PATH, with names outside the ANSI code page, sent through the
// wired main window as the user's gestures would send them: listing, playing,
// renaming, deleting, the validity check, the folder search, a shell drop, packing,
// extraction and batch conversion.
#include "win32/windows_api.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>

#include "integration/file_association.h"
#include "platform/input.h"
#include "support/swf_writer.h"
#include "win32/deep_folder.h"
#include "wired_main_window.h"

namespace tavelin::win32 {
namespace {

using Bytes = std::vector<std::uint8_t>;

class LongPaths : public MainWindowWiring {
 protected:
  void SetUp() override {
    MainWindowWiring::SetUp();
    ASSERT_GT(deep.Path().size(), 300u);
    folder = Narrow(deep.Path());
  }

  int RowOf(const std::string& name) {
    const FileList& list = cwin.Library().List();
    for (int row = 0; row < list.Count(); ++row) {
      if (list.Row(row).text == name) return row;
    }
    return -1;
  }
  bool Exists(const std::string& name) { return DeepFolder::Exists(Widen(folder + name)); }

  DeepFolder deep{L"长路径"};
  std::string folder;
  const Bytes movie = testing::SwfWriter().StagePixels(64, 48).BackgroundColor({10, 20, 30}).ShowFrame().Bytes();
};

TEST_F(LongPaths, TheLibraryListsPlaysRenamesChecksAndDeletesMoviesThere) {
  const std::string korean = "고양이와 쥐 🐭.swf", chinese = "猫和老鼠.swf", broken = "坏的 Ωμέγα.swf";
  DeepFolder::Write(Widen(folder + korean), movie);
  DeepFolder::Write(Widen(folder + chinese), movie);
  DeepFolder::Write(Widen(folder + broken), Bytes(100, 'x'));

  // The tree opens down to the folder, and the list shows its movies.
  cwin.Library().TreeEvents().RevealPath(folder);
  PumpMessages();
  EXPECT_EQ(cwin.Library().CurrentFolder, folder);
  ASSERT_EQ(ListView_GetItemCount(view.ListHandle()), 3);
  ASSERT_GE(RowOf(korean), 0);

  // A double-click plays the movie from its full path.
  cwin.Library().List().SelectOnly(RowOf(korean));
  cwin.Library().ListEvents().FL_DblClick();
  EXPECT_EQ(putOut.Control().Movie(), folder + korean);
  EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text;

  // Renaming keeps the folder and takes a name outside the ANSI code page.
  const std::string renamed = "猫和老鼠 새 이름 🎞.swf";
  EXPECT_TRUE(cwin.Library().ListEvents().FL_AfterLabelEdit(RowOf(chinese), renamed));
  EXPECT_TRUE(Exists(renamed));
  EXPECT_FALSE(Exists(chinese));
  EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text;

  // The validity check reads every listed file and names the one that is no movie.
  cwin.Library().ListEvents().FL_MenuCommand("mFL_Check");
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_NE(dialogs.messages[0].text.find(broken), std::string::npos) << dialogs.messages[0].text;
  EXPECT_EQ(dialogs.messages[0].text.find(korean), std::string::npos);
  dialogs.messages.clear();

  // The recycle bin takes no path this long: the user is told so in Chinese, and the
  // file and its row stay.
  cwin.Library().List().SelectOnly(RowOf(broken));
  cwin.Library().ListEvents().FL_KeyDown(VK_DELETE, 0);
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_NE(dialogs.messages[0].text.find("回收站"), std::string::npos) << dialogs.messages[0].text;
  EXPECT_NE(dialogs.messages[0].text.find(broken), std::string::npos);
  EXPECT_TRUE(Exists(broken));
  EXPECT_GE(RowOf(broken), 0);

  // Shift+Delete deletes for good, after the program's own question; "No" keeps it.
  dialogs.messages.clear();
  dialogs.messageAnswers = {mb::kAnswerNo};
  cwin.Library().ListEvents().FL_KeyDown(VK_DELETE, modifier::kShift);
  EXPECT_TRUE(Exists(broken));
  dialogs.messageAnswers = {mb::kAnswerYes};
  cwin.Library().ListEvents().FL_KeyDown(VK_DELETE, modifier::kShift);
  EXPECT_FALSE(Exists(broken));
  EXPECT_EQ(RowOf(broken), -1);
  ASSERT_EQ(dialogs.messages.size(), 2u);
  EXPECT_EQ(dialogs.messages[1].style, mb::kYesNo | mb::kIconWarning);
  EXPECT_TRUE(Exists(korean));
}

TEST_F(LongPaths, TheFolderSearchAndAShellDropFileTheMoviesThere) {
  const std::string name = "🎬 한국 영화.swf";
  DeepFolder::Write(Widen(folder + name), movie);

  cwin.Search().SearchFolder(Narrow(deep.Top()));
  std::vector<int> results = cwin.Library().Tree().Children(kSearchResultsIndex);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(cwin.Library().Tree().Node(results[0])->tag, folder);
  EXPECT_EQ(cwin.Library().Tree().Node(results[0])->text, name);

  // A drop from the shell: the name arrives whole and the movie plays.
  cwin.Library().Tree().Remove(results[0]);
  putOut.SetOnDrop([this](const std::vector<std::string>& paths) { cwin.HandleDroppedFiles(paths); });
  const std::wstring path = Widen(folder + name);
  const SIZE_T bytes = sizeof(DROPFILES) + (path.size() + 2) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), path.c_str(), path.size() * sizeof(wchar_t));
  GlobalUnlock(memory);
  SendMessageW(putOut.Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
  PumpMessages();
  results = cwin.Library().Tree().Children(kSearchResultsIndex);
  ASSERT_EQ(results.size(), 1u);
  EXPECT_EQ(cwin.Library().Tree().Node(results[0])->tag + cwin.Library().Tree().Node(results[0])->text, folder + name);
  EXPECT_EQ(putOut.Control().Movie(), folder + name);
  EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text;
}

TEST_F(LongPaths, ProjectorsArePackedExtractedAndConvertedThere) {
  const std::string name = "小电影 🎁.swf";
  DeepFolder::Write(Widen(folder + name), movie);
  cwin.Library().TreeEvents().RevealPath(folder);
  ASSERT_EQ(cwin.Library().List().Count(), 1);
  cwin.Library().List().SelectOnly(0);

  // Packing: the stub and the movie behind it, at the path the save dialog gave.
  const std::string packed = folder + "打包 🎁.exe";
  dialogs.fileAnswers.push_back(packed);
  cwin.Library().ListEvents().FL_MenuCommand("mFL_CreateExe");
  const Bytes stub = DeepFolder::Read(Widen(files.ProgramFolder() + "\\data.dat"));
  ASSERT_FALSE(stub.empty());
  Bytes expected = stub;
  expected.insert(expected.end(), movie.begin(), movie.end());
  EXPECT_EQ(DeepFolder::Read(Widen(packed)), expected);

  // Extraction from that projector into the same folder, and the movie plays.
  const std::string extracted = folder + "取出 Ωμέγα.swf";
  cwin.Projector().ExtractSwf(packed, extracted, true);
  EXPECT_EQ(DeepFolder::Read(Widen(extracted)), movie);
  EXPECT_EQ(putOut.Control().Movie(), extracted);

  // Batch conversion of the folder's projectors.
  cwin.Library().ListEvents().FL_MenuCommand("mFL_ShowEXE");
  ASSERT_EQ(cwin.Library().List().Count(), 1);
  cwin.Library().ListEvents().FL_MenuCommand("mFL_TranFlie(0)");
  EXPECT_EQ(DeepFolder::Read(Widen(folder + "打包 🎁.swf")), movie);
  EXPECT_TRUE(dialogs.messages.empty()) << dialogs.messages[0].text;
}

// The association names the program's own path in the registry; a program in a
// folder the shell cannot start programs from is told so, and nothing is written or
// imported. (A short folder outside the ANSI code page is the Unicode script's case,
// checked with the registry editor itself beside the port.)
class ProgramElsewhere : public Win32FileSystem {
 public:
  std::string folder;
  std::string ProgramFolder() override { return folder; }
};
class RecordedStarts : public Win32Desktop {
 public:
  std::vector<std::string> started;
  void ShellStart(const std::string& program, const std::string& parameters, ShowState, bool) override {
    started.push_back(program + " " + parameters);
  }
};

TEST(LongPathAssociation, AProgramInAFolderTooLongToStartFromIsToldSoAndImportsNothing) {
  DeepFolder deep{L"关联"};
  ProgramElsewhere files;
  testing::FakeDialogs dialogs;
  RecordedStarts desktop;
  AnsiCodePage codePage;
  FileAssociation association(Ports{files, dialogs, desktop, codePage});

  files.folder = Narrow(deep.Path().substr(0, deep.Path().size() - 1));
  association.RemoveScripts();
  association.mFL_RegPlayer();
  EXPECT_FALSE(files.FileExists(association::kScriptPath));
  EXPECT_TRUE(desktop.started.empty());
  ASSERT_EQ(dialogs.messages.size(), 1u);
  EXPECT_NE(dialogs.messages[0].text.find("路径"), std::string::npos) << dialogs.messages[0].text;
  EXPECT_EQ(dialogs.messages[0].style, mb::kIconInformation);
}

}  // namespace
}  // namespace tavelin::win32
