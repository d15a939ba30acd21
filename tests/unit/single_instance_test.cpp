// One program folder, one library: which copy keeps it, and what a copy does with a
// command line handed over to it.
#include <gtest/gtest.h>

#include <optional>

#include "integration/single_instance.h"
#include "support/main_window_fixture.h"

namespace tavelin::testing {
namespace {

// Another copy of the program as time passes: it holds the name until `releasesAt`
// and listens from `listensAt` (never when empty).
class OtherCopy : public InstancePort {
 public:
  std::optional<std::int64_t> holdsUntil;  // empty: holds it for good
  bool holds = true;
  std::optional<std::int64_t> listensAt;
  std::int64_t now = 0;
  std::vector<std::string> handedOver, names;

  bool Claim(const std::string& name) override {
    names.push_back(name);
    return !holds || (holdsUntil && now >= *holdsUntil);
  }
  bool HandOver(const std::string&, const std::string& commandLine, int timeoutMs) override {
    EXPECT_GT(timeoutMs, 0);
    if (!listensAt || now < *listensAt) return false;
    handedOver.push_back(commandLine);
    return true;
  }
  std::int64_t NowMs() override { return now; }
  void Sleep(int ms) override { now += ms; }
};

TEST(SingleInstance, TheFirstCopyKeepsTheLibraryAndLaterStartsHandOverOrWaitBoundedly) {
  OtherCopy none;
  none.holds = false;
  EXPECT_EQ(ChooseInstanceRole(none, "C:\\Tavelin", "C:\\a.swf"), InstanceRole::kFirst);

  OtherCopy running;
  running.listensAt = 0;
  EXPECT_EQ(ChooseInstanceRole(running, "C:\\Tavelin", "C:\\My Movies\\a.swf"), InstanceRole::kHandedOver);
  EXPECT_EQ(running.handedOver, std::vector<std::string>{"C:\\My Movies\\a.swf"});

  OtherCopy starting;  // listens once its window is up
  starting.listensAt = 2000;
  EXPECT_EQ(ChooseInstanceRole(starting, "C:\\Tavelin", "C:\\b.swf"), InstanceRole::kHandedOver);
  EXPECT_EQ(starting.handedOver, std::vector<std::string>{"C:\\b.swf"});
  EXPECT_LT(starting.now, 2000 + 2 * kHandOverRetryMs);

  OtherCopy closing;  // no longer listens, gives the name up when it ends
  closing.holdsUntil = 3000;
  EXPECT_EQ(ChooseInstanceRole(closing, "C:\\Tavelin", "C:\\b.swf"), InstanceRole::kFirst);
  EXPECT_TRUE(closing.handedOver.empty());

  OtherCopy hung;  // never answers: the wait ends
  EXPECT_EQ(ChooseInstanceRole(hung, "C:\\Tavelin", "C:\\b.swf"), InstanceRole::kAlone);
  EXPECT_GE(hung.now, kHandOverWaitMs);
  EXPECT_LT(hung.now, kHandOverWaitMs + 2 * kHandOverRetryMs);
}

TEST(SingleInstance, CopiesShareANamePerFolderWhateverItsSpelling) {
  const std::string name = LibraryInstanceName("C:\\Program Files\\Tavelin");
  EXPECT_EQ(LibraryInstanceName("c:\\PROGRAM FILES\\tavelin\\"), name);
  EXPECT_EQ(LibraryInstanceName("C:\\游戏\\ÉTÉ"), LibraryInstanceName("c:\\游戏\\été"));
  EXPECT_NE(LibraryInstanceName("D:\\Program Files\\Tavelin"), name);
  EXPECT_NE(LibraryInstanceName("C:\\Program Files\\Tavelin2"), name);
  EXPECT_NE(LibraryInstanceName("D:\\"), LibraryInstanceName("E:\\"));
  EXPECT_EQ(name.find('\\'), std::string::npos);
  EXPECT_LT(name.size(), 64u);
  EXPECT_EQ(LibraryInstanceName(std::string(40000, 'x')).size(), name.size());
}

using HandedOverMovies = MainWindowFixture;

TEST_F(HandedOverMovies, AreFiledUnderSearchResultsAndTheFirstPlaysEvenWhileAMoviePlays) {
  AddMovie("C:\\a.swf", SwfWriter().BackgroundColor({}));
  AddMovie("C:\\My Movies\\b.swf", SwfWriter().BackgroundColor({}));
  AddMovie("D:\\c.swf", SwfWriter().BackgroundColor({}));
  cwin.Load("C:\\a.swf");
  ASSERT_EQ(putOut.control.movie, "C:\\a.swf");

  cwin.OpenHandedOverMovies("C:\\missing.swf C:\\My Movies\\b.SWF D:\\c.swf");
  EXPECT_EQ(putOut.control.movie, "C:\\My Movies\\b.swf");
  const LibraryTree& tree = cwin.Library().Tree();
  std::vector<std::string> filed;
  for (const int child : tree.Children(kSearchResultsIndex)) filed.push_back(tree.Node(child)->tag + tree.Node(child)->text);
  EXPECT_EQ(filed, (std::vector<std::string>{"C:\\a.swf", "C:\\My Movies\\b.swf", "D:\\c.swf"}));

  cwin.OpenHandedOverMovies("");  // a start without movies only brings the window up
  EXPECT_EQ(putOut.control.movie, "C:\\My Movies\\b.swf");
  EXPECT_TRUE(dialogs.messages.empty());

  // A copy that runs beside the one keeping the library leaves the store alone.
  cwin.WritesStore = false;
  cwin.Unload();
  EXPECT_FALSE(files.Contains("C:\\Program Files\\Tavelin\\Tavelin.ini"));
  cwin.WritesStore = true;
  cwin.Unload();
  EXPECT_TRUE(files.Contains("C:\\Program Files\\Tavelin\\Tavelin.ini"));
}

}  // namespace
}  // namespace tavelin::testing
