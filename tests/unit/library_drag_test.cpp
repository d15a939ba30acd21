// Filing movies by dragging list rows and tree entries onto categories.
#include <gtest/gtest.h>

#include "support/main_window_fixture.h"

namespace tavelin::testing {
namespace {

class LibraryDragTest : public MainWindowFixture {
 protected:
  void SetUp() override {
    files.AddFolder("C:\\m");
    for (const char* name : {"a.swf", "b.swf", "c.swf", "d.swf"}) files.AddFile(std::string("C:\\m\\") + name, "FWS");
    cwin.Load("");
    cartoons = Tree().Add(0, "", "Cartoons", tree_image::kClosedFolder, tree_tag::kCategory);
    games = Tree().Add(0, "", "Games", tree_image::kClosedFolder, tree_tag::kCategory);
    cwin.Library().CurrentFolder = "C:\\m\\";
    cwin.Library().ListEvents().ListFolder("C:\\m\\", "swf");
  }
  LibraryTree& Tree() { return cwin.Library().Tree(); }
  LibraryDrag& Drag() { return cwin.Library().Drag(); }
  std::vector<std::string> Entries(int category) {
    std::vector<std::string> texts;
    for (const int child : Tree().Children(category)) texts.push_back(Tree().Node(child)->tag + Tree().Node(child)->text);
    return texts;
  }
  int cartoons = 0, games = 0;
};

TEST_F(LibraryDragTest, ListRowsAreFiledInListOrderAndNamesAlreadyFiledAreSkipped) {
  FileList& list = cwin.Library().List();
  AddItem(Tree(), "D:\\other\\c.swf", "", games);  // "c.swf" is filed already
  list.SelectOnly(3);
  list.SetSelected(0, true);
  list.SetSelected(2, true);
  Drag().StartFromList();
  EXPECT_TRUE(Drag().DragOver(cartoons, true));
  EXPECT_EQ(Tree().DropHighlight(), cartoons);
  Drag().Drop();
  Drag().Complete();
  EXPECT_EQ(Entries(cartoons), (std::vector<std::string>{"C:\\m\\a.swf", "C:\\m\\d.swf"}));
  EXPECT_EQ(Tree().DropHighlight(), 0);
  EXPECT_EQ(list.Count(), 4);  // a copy: the list keeps its rows

  list.SelectOnly(1);
  Drag().StartFromList();
  EXPECT_TRUE(Drag().DragOver(Tree().Children(cartoons).front(), true));  // onto a movie: into its category
  Drag().Drop();
  Drag().Complete();
  EXPECT_EQ(Entries(cartoons).back(), "C:\\m\\b.swf");

  EXPECT_FALSE(Drag().DragOver(cartoons, true));  // no drag from inside the program
  Drag().StartFromList();
  EXPECT_FALSE(Drag().DragOver(cartoons, false));  // data without text
  EXPECT_FALSE(Drag().DragOver(1, true));          // "我的电脑" takes no movies
}

TEST_F(LibraryDragTest, AnEntryMovesToAnotherCategoryAndIsNeverLost) {
  const int entry = AddItem(Tree(), "C:\\m\\a.swf", "", cartoons);
  Tree().Select(cartoons);
  EXPECT_FALSE(Drag().StartFromTree());  // a category starts no library drag
  Tree().Select(entry);
  ASSERT_TRUE(Drag().StartFromTree());
  EXPECT_FALSE(Drag().DragOver(cartoons, true));  // its own category refuses it
  EXPECT_TRUE(Drag().DragOver(games, true));
  Drag().Drop();
  Drag().Complete();
  EXPECT_TRUE(Entries(cartoons).empty());
  EXPECT_FALSE(Tree().Node(cartoons)->expanded);
  EXPECT_EQ(Entries(games), std::vector<std::string>{"C:\\m\\a.swf"});
  EXPECT_NE(Tree().FindKey("a.swf"), nullptr);

  // An entry without a key whose name another entry holds stays where it is.
  const int twin = Tree().Add(cartoons, "", "a.swf", tree_image::kMovie, "D:\\copy\\");
  Tree().Select(twin);
  ASSERT_TRUE(Drag().StartFromTree());
  ASSERT_TRUE(Drag().DragOver(games, true));
  Drag().Drop();
  EXPECT_EQ(Entries(cartoons), std::vector<std::string>{"D:\\copy\\a.swf"});
  EXPECT_EQ(Entries(games), std::vector<std::string>{"C:\\m\\a.swf"});
}

}  // namespace
}  // namespace tavelin::testing
