#include "library/library_tree.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace tavelin {
namespace {

// Records every notification as one line.
class RecordingObserver : public LibraryTreeObserver {
 public:
  std::vector<std::string> events;

  void NodeAdded(const TreeNode& node, NodeId after) override {
    events.push_back("added " + node.text + " after " + std::to_string(after));
  }
  void NodeRemoved(NodeId id) override { events.push_back("removed " + std::to_string(id)); }
  void NodeChanged(const TreeNode& node) override {
    events.push_back("changed " + node.text + " " + std::to_string(node.image) + " " + node.tag);
  }
  void NodeExpansionChanged(const TreeNode& node) override {
    events.push_back(std::string(node.expanded ? "expanded " : "collapsed ") + node.text);
  }
  void SelectionChanged(NodeId selected) override { events.push_back("selected " + std::to_string(selected)); }
  void LabelEditStarted(NodeId id) override { events.push_back("edit " + std::to_string(id)); }
};

std::vector<std::string> TextsOf(const LibraryTree& tree, const std::vector<int>& indices) {
  std::vector<std::string> texts;
  for (const int index : indices) texts.push_back(tree.Node(index)->text);
  return texts;
}

// 1 "root", 2 "a" (under 1), 3 "a1" (under 2), 4 "a2" (under 2), 5 "b" (under 1), 6 "top2".
class SmallTree : public ::testing::Test {
 protected:
  SmallTree() {
    tree.Add(0, "", "root", 1);
    tree.Add(1, "", "a", 6);
    tree.Add(2, "", "a1", 6);
    tree.Add(2, "", "a2", 6);
    tree.Add(1, "", "b", 6);
    tree.Add(0, "", "top2", 6, "2");
  }
  LibraryTree tree;
};

using LibraryTreeIndices = SmallTree;

TEST_F(LibraryTreeIndices, FollowCreationOrderAndCloseUpAfterASubtreeIsRemoved) {
  const NodeId bId = tree.Node(5)->id;
  tree.Remove(2);  // "a" with "a1" and "a2"
  ASSERT_EQ(tree.Count(), 3);
  EXPECT_EQ(tree.Node(1)->text, "root");
  EXPECT_EQ(tree.Node(2)->text, "b");
  EXPECT_EQ(tree.Node(3)->text, "top2");
  EXPECT_EQ(tree.Node(4), nullptr);
  EXPECT_EQ(tree.IndexOf(bId), 2);
  EXPECT_EQ(tree.Parent(2), 1);
  EXPECT_EQ(TextsOf(tree, tree.Children(1)), std::vector<std::string>{"b"});
  // A node added now comes last, whatever its parent.
  EXPECT_EQ(tree.Add(1, "", "c", 6), 4);
  EXPECT_EQ(TextsOf(tree, tree.Children(1)), (std::vector<std::string>{"b", "c"}));
}

TEST_F(LibraryTreeIndices, ForgetRemovedNodesForGood) {
  const NodeId a1 = tree.Node(3)->id;
  tree.Remove(2);
  EXPECT_EQ(tree.ById(a1), nullptr);
  EXPECT_EQ(tree.IndexOf(a1), 0);
  tree.Add(0, "", "new", 6);
  EXPECT_EQ(tree.ById(a1), nullptr) << "ids are never reused";
  tree.Remove(0);
  tree.Remove(99);
  EXPECT_EQ(tree.Count(), 4);
}

TEST_F(LibraryTreeIndices, GiveFullPathsParentsAndTopLevel) {
  EXPECT_EQ(tree.FullPath(3), "root\\a\\a1");
  EXPECT_EQ(tree.FullPath(6), "top2");
  EXPECT_EQ(tree.FullPath(42), "");
  EXPECT_EQ(tree.Parent(4), 2);
  EXPECT_EQ(tree.Parent(1), 0);
  EXPECT_EQ(tree.TopLevel(), (std::vector<int>{1, 6}));
  EXPECT_EQ(tree.Add(9, "", "orphan", 6), 0) << "no parent 9";
  EXPECT_EQ(tree.AddFirst(1, "", "first", 6), 7);
  EXPECT_EQ(TextsOf(tree, tree.Children(1)), (std::vector<std::string>{"first", "a", "b"}));
}

TEST(LibraryTreeIndexCheck, AgreesWithAPlainListThroughRandomAddsAndRemovals) {
  // The reference keeps the living nodes as (id, parent id) in creation order.
  struct Entry {
    NodeId id;
    NodeId parent;
  };
  std::vector<Entry> reference;
  LibraryTree tree;
  std::mt19937 random(7);
  for (int round = 0; round < 3000; ++round) {
    const int count = static_cast<int>(reference.size());
    if (count == 0 || random() % 3 != 0) {
      const int parentIndex = count == 0 ? 0 : static_cast<int>(random() % static_cast<unsigned>(count + 1));
      const std::string text = std::to_string(round);
      const int index = tree.Add(parentIndex, "", text, 6);
      ASSERT_EQ(index, count + 1);
      reference.push_back({tree.Node(index)->id, parentIndex == 0 ? 0 : reference[parentIndex - 1].id});
    } else {
      const int index = 1 + static_cast<int>(random() % static_cast<unsigned>(count));
      // Remove the node and every node below it from the reference.
      std::vector<NodeId> gone{reference[index - 1].id};
      std::vector<Entry> kept;
      for (const Entry& entry : reference) {
        bool below = false;
        for (const NodeId g : gone) below = below || entry.id == g || entry.parent == g;
        if (below && entry.id != gone.front()) gone.push_back(entry.id);
        if (!below) kept.push_back(entry);
      }
      reference = kept;
      tree.Remove(index);
    }
    ASSERT_EQ(tree.Count(), static_cast<int>(reference.size()));
    if (round % 97 == 0 || round == 2999) {
      for (std::size_t i = 0; i < reference.size(); ++i) {
        const int index = static_cast<int>(i) + 1;
        ASSERT_EQ(tree.Node(index)->id, reference[i].id) << "round " << round;
        ASSERT_EQ(tree.IndexOf(reference[i].id), index);
        ASSERT_EQ(tree.Node(index)->parent, reference[i].parent);
      }
    }
  }
}

TEST(LibraryTreeKeys, AreUniqueInTheWholeTreeWithoutRegardToCase) {
  LibraryTree tree;
  tree.Add(0, "", "cat1", 6, "2");
  tree.Add(0, "", "cat2", 6, "2");
  EXPECT_EQ(tree.Add(1, "Movie.swf", "Movie.swf", 10), 3);
  EXPECT_EQ(tree.Add(2, "MOVIE.SWF", "MOVIE.SWF", 10), 0);
  EXPECT_EQ(tree.Add(1, "movie.swf", "movie.swf", 10), 0);
  EXPECT_EQ(tree.Count(), 3);
  ASSERT_NE(tree.FindKey("mOvIe.SwF"), nullptr);
  EXPECT_EQ(tree.FindKey("mOvIe.SwF")->text, "Movie.swf");
  EXPECT_EQ(tree.FindKey("other.swf"), nullptr);
  // Nodes without a key never clash.
  EXPECT_NE(tree.Add(1, "", "same", 6), 0);
  EXPECT_NE(tree.Add(1, "", "same", 6), 0);
  EXPECT_EQ(tree.FindKey(""), nullptr);
}

// Windows takes "É.swf" and "é.swf" for one file, and so do the library's keys and tags.
TEST(LibraryTreeKeys, FoldCaseBeyondAsciiAsWindowsFileNamesDo) {
  LibraryTree tree;
  tree.Add(0, "", "cat", 6, "2");
  EXPECT_EQ(tree.Add(1, "É.swf", "É.swf", 10), 2);
  EXPECT_EQ(tree.Add(1, "é.SWF", "é.SWF", 10), 0);
  EXPECT_NE(tree.Add(1, "e.swf", "e.swf", 10), 0);  // another letter, not another case
  EXPECT_EQ(tree.Add(1, "ДЕТИ.swf", "ДЕТИ.swf", 10), 4);
  ASSERT_NE(tree.FindKey("дети.swf"), nullptr);
  EXPECT_EQ(tree.FindKey("дети.swf")->text, "ДЕТИ.swf");
  EXPECT_TRUE(EqualsIgnoreCase("C:\\Ärger\\ΑΒΓ\\ＡＢ.swf", "c:\\äRGER\\αβγ\\ａｂ.SWF"));
  EXPECT_FALSE(EqualsIgnoreCase("straße.swf", "STRASSE.swf"));  // one letter never becomes two
  EXPECT_FALSE(EqualsIgnoreCase("a\xFF.swf", "a\xFE.swf"));     // bytes that are not UTF-8 compare as they are
}

TEST(LibraryTreeKeys, AreFreedWithTheirNodesAndTheNodesBelow) {
  LibraryTree tree;
  tree.Add(0, "", "cat", 6, "2");
  tree.Add(1, "a.swf", "a.swf", 10);
  tree.Add(1, "b.swf", "b.swf", 10);
  tree.Remove(1);
  EXPECT_EQ(tree.FindKey("a.swf"), nullptr);
  EXPECT_EQ(tree.FindKey("B.swf"), nullptr);
  tree.Add(0, "", "cat", 6, "2");
  EXPECT_NE(tree.Add(1, "A.SWF", "A.SWF", 10), 0);
}

using LibraryTreeSelection = SmallTree;

TEST_F(LibraryTreeSelection, MovesToTheNextSiblingElsePreviousElseParentWhenTheSelectedNodeGoes) {
  tree.Select(3);  // a1, followed by a2
  tree.Remove(3);
  EXPECT_EQ(tree.Node(tree.Selected())->text, "a2");
  tree.Add(2, "", "a3", 6);
  tree.Select(tree.Count());  // a3, the last child
  tree.Remove(tree.Count());
  EXPECT_EQ(tree.Node(tree.Selected())->text, "a2");
  tree.Remove(tree.Selected());  // the only child left
  EXPECT_EQ(tree.Node(tree.Selected())->text, "a");
}

TEST_F(LibraryTreeSelection, MovesOffARemovedAncestorAndStaysWhenOthersGo) {
  tree.Select(4);  // a2, inside a
  tree.Remove(2);
  EXPECT_EQ(tree.Node(tree.Selected())->text, "b");
  tree.Remove(tree.Count());  // top2, not selected
  EXPECT_EQ(tree.Node(tree.Selected())->text, "b");
  tree.Remove(1);
  EXPECT_EQ(tree.Selected(), 0) << "nothing is left to select";
}

TEST_F(LibraryTreeSelection, MovesUpToANodeThatCloses) {
  tree.SetExpandedState(1, true);
  tree.SetExpandedState(2, true);
  tree.Select(4);
  tree.SetExpandedState(1, false);
  EXPECT_EQ(tree.Selected(), 1);
  tree.Select(5);
  tree.SetExpandedState(2, false);  // b is no descendant of a
  EXPECT_EQ(tree.Selected(), 5);
}

TEST_F(LibraryTreeSelection, FollowsTheChildrenWhileAllChildrenGo) {
  RecordingObserver observer;
  tree.SetObserver(&observer);
  const NodeId a = tree.Node(2)->id, a2 = tree.Node(4)->id;
  tree.Select(3);
  observer.events.clear();
  tree.RemoveChildrenOf(2);
  EXPECT_EQ(observer.events, (std::vector<std::string>{"removed 3", "selected " + std::to_string(a2), "removed 4",
                                                        "selected " + std::to_string(a)}));
  EXPECT_EQ(tree.Selected(), 2);
  EXPECT_TRUE(tree.Node(2)->children.empty());
  EXPECT_EQ(tree.Count(), 4);
}

TEST_F(LibraryTreeSelection, IsTakenQuietlyFromTheControlAndIgnoresUnknownNodes) {
  RecordingObserver observer;
  tree.SetObserver(&observer);
  tree.SelectFromView(tree.Node(5)->id);
  EXPECT_EQ(tree.Selected(), 5);
  tree.Select(77);
  EXPECT_EQ(tree.Selected(), 5);
  tree.SelectFromView(12345);
  EXPECT_EQ(tree.Selected(), 5);
  EXPECT_TRUE(observer.events.empty());
  tree.Select(0);
  EXPECT_EQ(tree.Selected(), 0);
}

using LibraryTreeObserverEvents = SmallTree;

TEST_F(LibraryTreeObserverEvents, TellWhereNodesGoAndWhenTheyChange) {
  RecordingObserver observer;
  tree.SetObserver(&observer);
  const NodeId b = tree.Node(5)->id, top2 = tree.Node(6)->id;
  tree.Add(1, "", "c", 6);
  tree.AddFirst(1, "", "zero", 6);
  tree.Add(0, "", "top3", 6);
  tree.SetText(2, "a");  // unchanged
  tree.SetText(2, "A");
  tree.SetImage(2, 7);
  tree.SetTag(2, "1");
  tree.SetExpandedState(2, true);
  tree.SetExpandedState(2, true);  // unchanged
  tree.Select(2);
  tree.Select(2);
  tree.StartLabelEdit(6);
  tree.Remove(2);
  EXPECT_EQ(observer.events, (std::vector<std::string>{
                                 "added c after " + std::to_string(b),
                                 "added zero after 0",
                                 "added top3 after " + std::to_string(top2),
                                 "changed A 6 ",
                                 "changed A 7 ",
                                 "changed A 7 1",
                                 "expanded A",
                                 "selected 2",
                                 "edit 6",
                                 "removed 2",
                                 "selected 5",
                             }));
}

TEST(LibraryTreeAddItem, FilesAMovieByItsNameUnderItsFolder) {
  LibraryTree tree;
  tree.Add(0, "", "我的电脑", 1);
  tree.Add(0, "", "搜索结果", 6, "2");
  const int index = AddItem(tree, "C:\\影片\\动画.swf", "", 2);
  ASSERT_EQ(index, 3);
  const TreeNode& node = *tree.Node(index);
  EXPECT_EQ(node.text, "动画.swf");
  EXPECT_EQ(node.key, "动画.swf");
  EXPECT_EQ(node.tag, "C:\\影片\\");
  EXPECT_EQ(node.image, 10);
  EXPECT_EQ(tree.Parent(index), 2);
  // A given name is the label and the key.
  EXPECT_EQ(tree.Node(AddItem(tree, "D:\\x\\y.swf", "shown.swf", 2))->tag, "D:\\x\\");
  EXPECT_NE(tree.FindKey("SHOWN.swf"), nullptr);
}

TEST(LibraryTreeAddItem, AddsNothingForATakenNameAMissingNodeOrNoName) {
  LibraryTree tree;
  tree.Add(0, "", "我的电脑", 1);
  tree.Add(0, "", "搜索结果", 6, "2");
  tree.Add(0, "", "cat", 6, "2");
  AddItem(tree, "C:\\one\\a.swf", "", 2);
  EXPECT_EQ(AddItem(tree, "D:\\two\\A.swf", "", 3), 0);
  EXPECT_EQ(AddItem(tree, "C:\\one\\b.swf", "", 9), 0);
  EXPECT_EQ(AddItem(tree, "C:\\one\\", "", 2), 0);
  EXPECT_EQ(tree.Count(), 4);
}

}  // namespace
}  // namespace tavelin
