// The library's menu commands on the tree and the list, as the user picks them.
#include <gtest/gtest.h>

#include "support/main_window_fixture.h"

namespace tavelin::testing {
namespace {

class LibraryCommands : public MainWindowFixture {
 protected:
  void SetUp() override {
    files.AddFolder("C:\\m");
    for (const char* name : {"a.swf", "b.swf"}) files.AddFile(std::string("C:\\m\\") + name, "FWS");
    files.AddFile("C:\\m\\game.exe", "MZ");
    cwin.Load("");
    category = Tree().Add(0, "", "Cartoons", tree_image::kClosedFolder, tree_tag::kCategory);
    ++cwin.Library().CategoryCount;
    cwin.Library().CurrentFolder = "C:\\m\\";
    cwin.Library().ListEvents().ListFolder("C:\\m\\", "swf");
  }
  LibraryTree& Tree() { return cwin.Library().Tree(); }
  std::vector<std::string> Entries() {
    std::vector<std::string> texts;
    for (const int child : Tree().Children(category)) texts.push_back(Tree().Node(child)->tag + Tree().Node(child)->text);
    return texts;
  }
  int category = 0;
};

TEST_F(LibraryCommands, AddingFilesTheSelectedRowFirstBeforeAMovieEntryOrLastInACategory) {
  Library& library = cwin.Library();
  library.List().SelectOnly(0);
  Tree().Select(category);
  library.AddSelectedFileToCategory();
  library.AddSelectedFileToCategory();  // no key: the same file twice gives two entries
  library.List().SelectOnly(1);
  Tree().Select(Tree().Children(category).back());  // a movie entry: the new one goes first
  library.AddSelectedFileToCategory();
  EXPECT_EQ(Entries(), (std::vector<std::string>{"C:\\m\\b.swf", "C:\\m\\a.swf", "C:\\m\\a.swf"}));

  Tree().Select(1);  // "我的电脑" is no category
  library.AddSelectedFileToCategory();
  EXPECT_EQ(Entries().size(), 3u);
}

TEST_F(LibraryCommands, CopyingPathsGivesFilesDrivesAndFoldersButNothingForACategory) {
  Library& library = cwin.Library();
  library.List().SelectOnly(1);
  library.CopyListPath();
  Tree().Select(category);
  library.CopyTreePath();  // a category copies nothing
  AddItem(Tree(), "C:\\m\\a.swf", "", category);
  Tree().Select(Tree().Children(category).back());
  library.CopyTreePath();
  library.TreeEvents().RevealPath("C:\\m\\");
  library.CopyTreePath();
  int drive = 0;
  for (const int child : Tree().Children(1)) {
    if (Tree().Node(child)->text == "C:") drive = child;
  }
  Tree().Select(drive);
  library.TreeMenuCommand(3);
  EXPECT_EQ(desktop.clipboard, (std::vector<std::string>{"C:\\m\\b.swf", "C:\\m\\a.swf", "C:\\m", "C:"}));
}

TEST_F(LibraryCommands, ClearingAndShowingExecutablesChangeTheListedFolder) {
  Library& library = cwin.Library();
  Tree().Select(category);
  library.ShowExecutables();  // a category is no folder of the disk: nothing happens
  EXPECT_EQ(library.List().Count(), 2);
  library.TreeEvents().RevealPath("C:\\m\\");
  library.TreeMenuCommand(1);
  ASSERT_EQ(library.List().Count(), 1);
  EXPECT_EQ(library.List().Row(0).text, "game.exe");
  EXPECT_EQ(library.CurrentFolder, "C:\\m\\");

  library.ClearList();
  EXPECT_EQ(library.List().Count(), 0);
  EXPECT_EQ(library.CurrentFolder, "");
  EXPECT_FALSE(Tree().Node(1)->expanded);
  library.RevealMovie("http://www.example.com/m/a.swf");  // an address reveals nothing
  EXPECT_EQ(library.CurrentFolder, "");
}

}  // namespace
}  // namespace tavelin::testing
