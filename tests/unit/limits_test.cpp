// Inputs far past what real movies and libraries hold: each ends with a clear failure
// or a result, in bounded memory, and never hangs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/category_store.h"
#include "platform/failure.h"
#include "playback/movie_control/engine_movie_control.h"
#include "shell/cwin.h"
#include "support/action_assembler.h"
#include "support/fake_desktop.h"
#include "support/fake_dialogs.h"
#include "support/fake_file_system.h"
#include "support/fake_window_hosts.h"
#include "support/swf_writer.h"
#include "support/zlib_bomb.h"
#include "swf/format/action_decoder.h"
#include "swf/movie.h"

namespace tavelin {
namespace {

using testing::ActionAssembler;
using testing::SwfWriter;
using testing::ZlibBombMovie;
namespace op = swf::format::action_code;

std::string RefusalOf(const std::vector<std::uint8_t>& file) {
  try {
    swf::LoadMovie(file);
  } catch (const Failure& failure) {
    return failure.what();
  }
  return "loaded";
}

// The first bytes of a real movie after its file header: a 550 x 400 stage, 12 fps,
// one frame, and then (what the zeros that follow make of it) the End tag.
std::vector<std::uint8_t> MovieHeaderStart() {
  const std::vector<std::uint8_t> movie = SwfWriter().StagePixels(550, 400).FrameRate(12).ShowFrame().Bytes();
  return std::vector<std::uint8_t>(movie.begin() + 8, movie.end() - 4);  // without ShowFrame and End
}

TEST(Limits, DecompressionBombsAreRefusedOrCutAtTheDeclaredLength) {
  // A header declaring 4 GB is refused before anything is inflated.
  EXPECT_EQ(RefusalOf(ZlibBombMovie(0xFFFFFFF0u, {}, 1)), swf::movie_failure::kBadHeader);
  // 4 GB of zeros behind a header that declares 200 MB: the zeros make no stage, which
  // the first inflated bytes show, so the rest is never inflated; the stream here
  // would not even inflate that far (it is damaged after its first 4 MB).
  std::vector<std::uint8_t> zeros = ZlibBombMovie(200u << 20, {}, 4096);
  EXPECT_EQ(RefusalOf(zeros), swf::movie_failure::kBadHeader);
  std::vector<std::uint8_t> damaged = ZlibBombMovie(200u << 20, {}, 4);
  damaged.insert(damaged.end(), 64, 0xFF);
  EXPECT_EQ(RefusalOf(damaged), swf::movie_failure::kBadHeader);

  // A real movie header and 64 MB of zeros, declared as 64 MB: the movie ends at its
  // End tag and keeps none of the zeros while it plays.
  const std::vector<std::uint8_t> padded = ZlibBombMovie(64u << 20, MovieHeaderStart(), 64);
  const swf::Movie movie = swf::LoadMovie(padded);
  EXPECT_EQ(movie.FrameCount(), 1);
  EXPECT_EQ(movie.Stage().Width(), 550 * 20);
  EXPECT_LT(movie.Data().size(), std::size_t{1024});
}

TEST(Limits, AMovieOf65535FramesAnd100000PlacedShapesLoadsAndPlays) {
  // Each frame defines a shape of its own and puts it on one of 100 depths; most
  // frames also bring back an older shape: 65,535 definitions and 100,000 shapes
  // placed.
  SwfWriter writer;
  writer.StagePixels(550, 400).FrameRate(200);
  int placed = 0;
  int brought = 0;
  for (int frame = 0; frame < 65535; ++frame) {
    const auto id = static_cast<std::uint16_t>(frame + 1);
    writer.DefineRectangle(id, 200 + frame % 500, 200, {static_cast<std::uint8_t>(frame), 0x40, 0x80});
    writer.Place(testing::Put(static_cast<std::uint16_t>(1 + frame % 100), id, frame % 10000, frame % 8000));
    ++placed;
    if (frame % 100 < 60 && brought < 100000 - 65535) {
      writer.Place(testing::Put(static_cast<std::uint16_t>(101 + frame % 100), static_cast<std::uint16_t>(id / 2 + 1)));
      ++placed;
      ++brought;
    }
    writer.ShowFrame();
  }
  ASSERT_EQ(placed, 100000);
  const std::vector<std::uint8_t> bytes = writer.Bytes();

  testing::FakeFileSystem files;
  EngineMovieControl control(files);
  control.LoadMovieData(bytes, "C:\\Movies\\long.swf");
  control.SetViewportSize(550, 400);
  EXPECT_EQ(control.TotalFrames(), 65535);
  for (int i = 0; i < 40; ++i) control.AdvanceClock(0.25);  // 2,000 frames played in turn
  EXPECT_EQ(control.CurrentFrame(), 2000);
  control.GotoFrame(65534);
  EXPECT_EQ(control.CurrentFrame(), 65534);
  control.GotoFrame(10);  // back, through the whole display list again
  swf::Framebuffer picture;
  control.Render(picture);
  EXPECT_EQ(picture.width, 550);
  EXPECT_EQ(control.CurrentFrame(), 10);
}

class RecordingEvents final : public MovieEvents {
 public:
  void Quit() override {}
  void FullScreen(bool) override {}
  void OpenWebAddress(const std::string&) override {}
  void ScriptStopped(const std::string& movieName) override { stopped.push_back(movieName); }
  std::vector<std::string> stopped;
};

TEST(Limits, AnEndlessScriptIsStoppedOnceAndTheLoopingMovieGoesOn) {
  // Frame 1 loops forever; frame 2 counts its visits and stops the movie on the third.
  SwfWriter movie;
  movie.Version(6).StagePixels(100, 100).FrameRate(10);  // undefined counts as 0
  ActionAssembler forever;
  forever.Label("loop").Jump("loop");
  testing::AddDoAction(movie, forever);
  movie.ShowFrame();
  ActionAssembler count;
  count.Push({"visits"}).Push({"visits"}).Op(op::kGetVariable).Op(op::kIncrement).Op(op::kSetVariable)
      .Push({"visits"}).Op(op::kGetVariable).Push({3}).Op(op::kLess2).If("more").Op(op::kStop).Label("more");
  testing::AddDoAction(movie, count);
  movie.ShowFrame();

  testing::FakeFileSystem files;
  EngineMovieControl control(files);
  RecordingEvents events;
  control.SetMovieEvents(&events);
  // Each look at the clock moves it a second on.
  double clock = 0;
  control.SetScriptClock([&] { return clock += 1.0; });
  int stillRunning = 0;
  control.SetWhileBusy([&] { ++stillRunning; });
  control.LoadMovieData(movie.Bytes(), "C:\\Movies\\endless.swf");
  control.SetViewportSize(100, 100);
  for (int i = 0; i < 10 && control.Playing(); ++i) control.AdvanceClock(0.1);

  EXPECT_FALSE(control.Playing());
  EXPECT_EQ(control.CurrentFrame(), 1);  // frame 2 ran three times, frame 1 stalled once
  EXPECT_EQ(events.stopped, (std::vector<std::string>{"C:\\Movies\\endless.swf"}));
  // The window was given its turn about once a second of the stalled script's 15, and
  // the second and third rounds did not run the loop again.
  EXPECT_GE(stillRunning, 14);
  EXPECT_LE(stillRunning, 20);
}

// A file system on which every movie of the library exists, without a million entries.
class EveryMovieThere final : public testing::FakeFileSystem {
 public:
  bool FileExists(const std::string& path) override {
    return path.rfind("D:\\M\\", 0) == 0 || FakeFileSystem::FileExists(path);
  }
};

// A code page in which every character has its UTF-8 bytes: the million lines cost
// the program's own work only, not a conversion the system does.
class Utf8AsAnsi final : public CodePage {
 public:
  bool FromUtf8(const std::string& utf8, std::string& out) override {
    out = utf8;
    return true;
  }
  std::string ToUtf8(const std::string& ansi) override { return ansi; }
};

struct StoreWindow {
  explicit StoreWindow(FileSystem& files) : cwin(Ports{files, dialogs, desktop, codePage}, window, output) {
    cwin.AppFolder = "C:\\Program Files\\Tavelin\\";
    cwin.Library().Tree().Add(0, "", "我的电脑", 1);
    cwin.Library().Tree().Add(0, "", "搜索结果", 6, "2");
    StepRecord failures;
    bool optionsRead = false;
    ReadCategoryStore(cwin.Library(), cwin.Options, failures, optionsRead);
  }
  testing::FakeDialogs dialogs;
  testing::FakeDesktop desktop;
  Utf8AsAnsi codePage;
  testing::FakeMainWindow window;
  testing::FakeOutputWindow output;
  CWin cwin;
};

TEST(Limits, AStoreOfAMillionLinesComesBackUnchangedAndItsLineFeedOnlyCopyAsOneSection) {
  constexpr const char* kStore = "C:\\Program Files\\Tavelin\\Tavelin.ini";
  // 70,000 categories of 12 movies after 19,996 search results: a million lines, and
  // more categories than a 16-bit count holds.
  std::string text = "D:\\M\\\r\n60 0 0 False False False\r\n\r\n搜索结果";
  int lines = 4;
  for (int m = 0; m < 19996; ++m, ++lines) text += "\r\nD:\\M\\search\\s" + std::to_string(m) + ".swf";
  for (int c = 0; c < 70000; ++c) {
    text += "\r\n\r\n分类 " + std::to_string(c);
    lines += 2;
    for (int m = 0; m < 12; ++m, ++lines) text += "\r\nD:\\M\\" + std::to_string(c) + "\\m" + std::to_string(c * 12 + m) + ".swf";
  }
  text += "\r\n";
  ASSERT_EQ(lines, 1000000);
  Utf8AsAnsi codePage;
  const std::vector<std::uint8_t> stored = EncodeStore(text, codePage);

  EveryMovieThere files;
  files.AddFile(kStore, stored);
  {
    StoreWindow window(files);
    EXPECT_EQ(window.cwin.Library().Tree().Count(), 2 + 70000 + 19996 + 70000 * 12);
    EXPECT_EQ(window.cwin.Library().CategoryCount, 70000);
    WriteCategoryStore(window.cwin.Library(), window.cwin.Options);
  }
  EXPECT_TRUE(files.Content(kStore) == std::string(stored.begin(), stored.end()));

  // With line feeds alone the whole text is one line: the folder. No category or movie
  // is filed, the missing options turn on (movie loop over list loop), and the next
  // close keeps the text as that folder.
  std::string lineFeeds;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') lineFeeds += text[i];
  }
  files.AddFile(kStore, EncodeStore(lineFeeds, codePage));
  StoreWindow window(files);
  EXPECT_EQ(window.cwin.Library().Tree().Count(), 2);
  EXPECT_EQ(window.cwin.Library().CurrentFolder.size(), lineFeeds.size() - 1);  // less the trailing line feed
  EXPECT_TRUE(window.cwin.Options.AutoPlay && window.cwin.Options.MovieLoop && !window.cwin.Options.ListLoop);
  WriteCategoryStore(window.cwin.Library(), window.cwin.Options);
  const std::string written = codePage.ToUtf8(files.Content(kStore));
  EXPECT_EQ(written.size(), lineFeeds.size() - 1 + std::string("\r\n60 0 0 True False True\r\n\r\n搜索结果\r\n\r\n").size());
  EXPECT_EQ(written.substr(lineFeeds.size() - 1, 24), "\r\n60 0 0 True False True");
}

}  // namespace
}  // namespace tavelin
