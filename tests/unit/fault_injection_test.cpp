// Disks that fail under the program's feet: for each task that touches files, every
// operation it makes is in turn made to fail, to stop half-way, to lose its drive or to
// meet a full disk. Whatever happens, the task ends without a crash, the library store
// is either the old one or the new one, and the user hears of it as the task promises.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "shell/cwin.h"
#include "support/fake_desktop.h"
#include "support/fake_dialogs.h"
#include "support/fake_file_system.h"
#include "support/fake_window_hosts.h"
#include "support/faulty_file_system.h"
#include "support/iconv_code_page.h"
#include "support/swf_writer.h"

namespace tavelin::testing {
namespace {

using Bytes = std::vector<std::uint8_t>;

const std::string kStore = "C:\\Program Files\\Tavelin\\Tavelin.ini";
const std::string kStub = "C:\\Program Files\\Tavelin\\data.dat";

// The program over a file system that can be made to fail.
struct World {
  World() { putOut.journal = &window.journal; }
  FakeFileSystem files;
  FaultyFileSystem faulty{files};
  FakeDialogs dialogs;
  FakeDesktop desktop;
  IconvCodePage codePage;
  FakeMainWindow window;
  FakeOutputWindow putOut;
  CWin cwin{Ports{faulty, dialogs, desktop, codePage}, window, putOut};

  std::vector<std::string> Messages() const {
    std::vector<std::string> texts;
    for (const auto& m : dialogs.messages) texts.push_back(m.text);
    return texts;
  }
  std::vector<std::string> ListNames() {
    std::vector<std::string> names;
    for (int i = 0; i < cwin.Library().List().Count(); ++i) names.push_back(cwin.Library().List().Row(i).text);
    return names;
  }
  std::vector<std::string> SearchResults() {
    std::vector<std::string> found;
    LibraryTree& tree = cwin.Library().Tree();
    for (const int child : tree.Children(kSearchResultsIndex)) found.push_back(tree.Node(child)->tag + tree.Node(child)->text);
    return found;
  }
  void ShowFolder(const std::string& folder) {
    cwin.Library().CurrentFolder = folder;
    cwin.Library().List().Clear();
    cwin.Library().ListEvents().ListFolder(folder, "*");
  }
};

Bytes Movie(std::uint8_t shade) { return SwfWriter().BackgroundColor({shade, shade, shade}).Bytes(); }

// A projector: a stub of 'x' with a movie at 2000 and another at 5000.
Bytes Projector() {
  Bytes file(9000, 'x');
  for (std::size_t at : {2000, 5000}) file[at] = 'F', file[at + 1] = 'W', file[at + 2] = 'S';
  return file;
}

std::string Text(const Bytes& bytes) { return {bytes.begin(), bytes.end()}; }

bool NamesAFault(const std::string& text) {
  for (const char* fault : {fault_text::kDeviceError, fault_text::kNotReady, fault_text::kDiskFull})
    if (text.find(fault) != std::string::npos) return true;
  return false;
}

// A report the program defines for what a fault leads to: a movie that is not there or
// cannot be read when it is played, a stub or movie missing when packing, the search's
// summary, the validity check's list, a library left unsaved.
bool IsDefinedReport(const std::string& text) {
  for (const char* start : {"文件: \u201C", "标志位错误，文件可能已经损坏！", "文件不存在!", "文件查找结束", "\r\n"})
    if (text.rfind(start, 0) == 0) return true;
  return NamesAFault(text) || text.find("这次没有保存媒体库") != std::string::npos;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  for (std::size_t at = 0; at <= text.size();) {
    const std::size_t end = std::min(text.find("\r\n", at), text.size());
    if (end > at) lines.push_back(text.substr(at, end - at));
    at = end + 2;
  }
  return lines;
}

Bytes StoreBefore() {
  const std::string text =
      "D:\\m\\\r\n60 0 0 True False False\r\n\r\n搜索结果\r\nD:\\m\\a.swf\r\n\r\nCartoons\r\nD:\\m\\b.swf\r\n\r\n";
  return {text.begin(), text.end()};
}

// The files every scenario starts from: a library that knows two movies, movies and
// projectors on drive D:, and the projector stub beside the program.
void Prepare(World& w) {
  w.files.SetDriveType('D', DriveType::kFixed);
  w.files.AddFile("D:\\m\\a.swf", Movie(1));
  w.files.AddFile("D:\\m\\b.swf", Movie(2));
  w.files.AddFile("D:\\m\\bad.swf", "not a movie");
  w.files.AddFile("D:\\m\\deep\\c.swf", Movie(3));
  w.files.AddFile("D:\\p\\fly.exe", Projector());
  w.files.AddFile("D:\\p\\two.exe", Projector());
  w.files.AddFile(kStub, Bytes(5000, 'x'));
  w.files.AddFile(kStore, StoreBefore());
}

void Start(World& w) { w.cwin.Load(""); }

// What one run of a scenario left: enough to compare a faulty run with a clean one.
struct Outcome {
  std::vector<std::string> messages;
  std::string store;
  std::vector<std::string> results;
};

struct Scenario {
  const char* name;
  std::function<void(World&)> setUp;  // before counting starts; most start the program
  std::function<void(World&)> task;
  // What must hold after a faulty run, given the clean run's outcome.
  std::function<void(World&, const Outcome& clean)> check;
};

Outcome Observe(World& w) { return {w.Messages(), w.files.Content(kStore), w.SearchResults()}; }

// No message means every movie written is whole: a cut file is never kept silently.
void ExpectWholeOrReported(World& w, const std::vector<std::pair<std::string, std::string>>& outputs) {
  if (!w.dialogs.messages.empty()) return;
  for (const auto& [path, whole] : outputs)
    if (w.files.Contains(path)) {
      EXPECT_EQ(w.files.Content(path), whole) << path << " was cut without a report";
    }
}

const std::string kMovieAt2000 = Text(Projector()).substr(2000, 3000);
const std::string kMovieAt5000 = Text(Projector()).substr(5000);

const std::vector<Scenario>& Scenarios() {
  static const std::vector<Scenario> scenarios{
      {"reading and writing the store", [](World&) {},
       [](World& w) {
         w.cwin.Load("");
         w.cwin.Unload();
       },
       [](World& w, const Outcome& clean) {
         // A library that could not be saved is reported on closing.
         const std::string store = w.files.Content(kStore);
         if (store == clean.store || store != Text(StoreBefore())) return;
         const auto messages = w.Messages();
         EXPECT_TRUE(std::any_of(messages.begin(), messages.end(), [](const std::string& m) {
           return m.find("没有保存媒体库") != std::string::npos || m.rfind("无法保存媒体库文件：" + kStore, 0) == 0;
         })) << "the library was not saved and nobody said so";
       }},
      {"extraction", Start,
       [](World& w) { w.cwin.Projector().ExtractSwf("D:\\p\\fly.exe", "D:\\p\\fly.swf", true); },
       [](World& w, const Outcome&) {
         EXPECT_LE(w.dialogs.messages.size(), 1u);
         ExpectWholeOrReported(w, {{"D:\\p\\fly1.swf", kMovieAt2000}, {"D:\\p\\fly2.swf", kMovieAt5000}});
       }},
      {"packing",
       [](World& w) {
         Start(w);
         w.files.AddFile("D:\\m\\a.exe", "the old projector");
       },
       [](World& w) { w.cwin.Projector().PackSwf("D:\\m\\a.swf", "D:\\m\\a.exe"); },
       [](World& w, const Outcome&) {
         const std::string packed = w.files.Content("D:\\m\\a.exe");
         const std::string whole = std::string(5000, 'x') + Text(Movie(1));
         EXPECT_TRUE(packed == whole || packed == "the old projector") << "a half-written projector";
         if (packed != whole) {
           EXPECT_EQ(w.dialogs.messages.size(), 1u);
         }
       }},
      {"batch conversion",
       [](World& w) {
         Start(w);
         w.ShowFolder("D:\\p\\");
       },
       [](World& w) { w.cwin.Library().ListEvents().FL_MenuCommand("mFL_TranFlie(0)"); },
       [](World& w, const Outcome&) {
         EXPECT_LE(w.dialogs.messages.size(), 2u);  // one report per projector at most
         EXPECT_FALSE(w.window.progressShown);
         ExpectWholeOrReported(w, {{"D:\\p\\fly1.swf", kMovieAt2000}, {"D:\\p\\two2.swf", kMovieAt5000}});
       }},
      {"search",
       [](World& w) {
         Start(w);
         w.window.menuAnswers = {3};  // drive D:
       },
       [](World& w) { w.cwin.TC_ButtonDropDown(11); },
       [](World& w, const Outcome& clean) {
         // The summary always comes; playing the first movie found may report too.
         ASSERT_GE(w.dialogs.messages.size(), 1u);
         ASSERT_LE(w.dialogs.messages.size(), 2u);
         EXPECT_EQ(w.dialogs.messages[0].text.rfind("文件查找结束", 0), 0u);
         for (const std::string& found : w.SearchResults())
           EXPECT_TRUE(std::count(clean.results.begin(), clean.results.end(), found)) << found;
         EXPECT_FALSE(w.window.toolbarPressed[11]);
       }},
      {"validity check",
       [](World& w) {
         Start(w);
         w.ShowFolder("D:\\m\\");
       },
       [](World& w) {
         w.window.fileListMenuChoice = "mFL_Check";
         w.cwin.Library().ListEvents().FL_MouseDown(2, 0, -1);
       },
       [](World& w, const Outcome& clean) {
         ASSERT_LE(w.dialogs.messages.size(), 1u);
         const std::string named = w.dialogs.messages.empty() ? "" : w.dialogs.messages[0].text;
         // A file that cannot be read is named with the bad ones; a bad one never passes.
         for (const std::string& bad : Lines(clean.messages.at(0))) {
           const auto lines = Lines(named);
           EXPECT_TRUE(std::count(lines.begin(), lines.end(), bad)) << bad << " passed the check";
         }
         EXPECT_TRUE(w.window.treeEnabled);
         EXPECT_FALSE(w.window.progressShown);
       }},
      {"rename",
       [](World& w) {
         Start(w);
         w.ShowFolder("D:\\m\\");
         w.cwin.Library().List().SelectOnly(0);
       },
       [](World& w) { w.cwin.Library().ListEvents().FL_AfterLabelEdit(0, "renamed.swf"); },
       [](World& w, const Outcome&) {
         const bool moved = w.files.Contains("D:\\m\\renamed.swf");
         EXPECT_NE(moved, w.files.Contains("D:\\m\\a.swf")) << "the movie is under both names or neither";
         EXPECT_EQ(w.files.Content(moved ? "D:\\m\\renamed.swf" : "D:\\m\\a.swf"), Text(Movie(1)));
         EXPECT_LE(w.dialogs.messages.size(), 1u);
         if (!moved) {
           EXPECT_EQ(w.ListNames().at(0), "a.swf");
         }
       }},
      {"deletion",
       [](World& w) {
         Start(w);
         w.ShowFolder("D:\\m\\");
         w.cwin.Library().List().SelectOnly(0);
         w.cwin.Library().List().SetSelected(1, true);
       },
       [](World& w) { w.cwin.Library().ListEvents().FL_KeyDown(46, 0); },
       [](World& w, const Outcome&) {
         for (const char* movie : {"D:\\m\\a.swf", "D:\\m\\b.swf"}) {
           const auto& bin = w.files.Recycled();
           EXPECT_TRUE(w.files.Contains(movie) || std::count(bin.begin(), bin.end(), movie)) << movie << " is lost";
         }
         EXPECT_TRUE(w.dialogs.messages.empty());
       }},
  };
  return scenarios;
}

TEST(FaultInjection, EveryTaskSurvivesEachOperationGoingWrong) {
  for (const Scenario& scenario : Scenarios()) {
    World clean;
    Prepare(clean);
    scenario.setUp(clean);
    clean.dialogs.messages.clear();
    clean.faulty.Arm(Fault::kFails, 0);  // counts, never fires
    scenario.task(clean);
    const Outcome cleanOutcome = Observe(clean);
    const std::size_t operations = clean.faulty.Operations();
    ASSERT_GT(operations, 0u) << scenario.name;

    for (Fault fault : {Fault::kFails, Fault::kStopsHalfWay, Fault::kDriveVanishes, Fault::kDiskFull}) {
      for (std::size_t n = 1; n <= operations; ++n) {
        SCOPED_TRACE(std::string(scenario.name) + ", operation " + std::to_string(n) + " of " +
                     std::to_string(operations) + ": " + FaultName(fault));
        World w;
        Prepare(w);
        scenario.setUp(w);
        const std::string storeBefore = w.files.Content(kStore);
        w.dialogs.messages.clear();
        w.faulty.Arm(fault, n);
        EXPECT_NO_THROW(scenario.task(w));
        // The store is the old one or the one a clean run writes, less the movies that
        // were not found at the start (those are dropped from the library); never cut.
        const std::string store = w.files.Content(kStore);
        if (store != storeBefore && store != cleanOutcome.store) {
          ASSERT_GE(store.size(), 4u) << "the store was emptied";
          const auto before = Lines(cleanOutcome.store);
          for (const std::string& line : Lines(store))
            EXPECT_TRUE(std::count(before.begin(), before.end(), line)) << "the store holds a stray line " << line;
          EXPECT_EQ(Lines(store).front(), before.front());
          EXPECT_EQ(store.substr(store.size() - 4), "\r\n\r\n");
        }
        if (!w.faulty.Fired()) {
          EXPECT_EQ(w.Messages(), cleanOutcome.messages);
          continue;
        }
        for (const std::string& message : w.Messages())
          EXPECT_TRUE(IsDefinedReport(message)) << message;
        scenario.check(w, cleanOutcome);
      }
    }
  }
}

}  // namespace
}  // namespace tavelin::testing
