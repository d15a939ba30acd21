// Scripts that load movies and variables: levels and clips as targets seen from both
// movies, unloading, MovieClipLoader's events for a missing file, variables for a clip
// and for LoadVars, and movies fetched from the web. The files come from a fake file
// system and downloader through the movie control's loader.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "playback/movie_control/engine_movie_control.h"
#include "playback/movie_control/movie_loads.h"
#include "support/action_assembler.h"
#include "support/fake_downloader.h"
#include "support/fake_file_system.h"
#include "support/swf_writer.h"
#include "swf/audio/movie_sound.h"
#include "swf/audio/sound_mixer.h"
#include "swf/avm1/machine.h"
#include "swf/format/action_decoder.h"
#include "swf/player/player.h"

namespace tavelin {
namespace {

using testing::ActionAssembler;
using testing::SwfWriter;
namespace op = swf::format::action_code;
using Lines = std::vector<std::string>;

class LoadingHost final : public swf::avm1::ScriptHost {
 public:
  void Trace(const std::string& line) override { lines.push_back(line); }
  void Command(const std::string&, const std::string&) override {}
  void OpenAddress(const std::string& url, const std::string&) override { lines.push_back("open " + url); }
  double MovieMilliseconds() override { return 0; }
  double WallSeconds() override { return 0; }
  bool Load(const swf::avm1::LoadRequest& request) override { return loads && loads->Start(request); }

  MovieLoads* loads = nullptr;
  Lines lines;
};

// A movie playing from `base` whose loads go through the fake file system and downloader;
// its first frame runs (and asks for its loads) in Start.
struct LoadingMovie {
  explicit LoadingMovie(std::string base) : base(std::move(base)) {}
  void Start(const SwfWriter& writer) {
    movie = std::make_shared<const swf::Movie>(swf::LoadMovie(writer.Bytes()));
    machine = std::make_unique<swf::avm1::Machine>(movie->Version(), host);
    loads = std::make_unique<MovieLoads>(files, &downloader, *machine, [this] { return base; });
    host.loads = loads.get();
    player = std::make_unique<swf::player::Player>(movie, nullptr, machine.get());
  }
  void Frames(int count) {
    for (int i = 0; i < count; ++i) player->NextFrame();
  }
  std::string base;
  std::shared_ptr<const swf::Movie> movie;
  testing::FakeFileSystem files;
  testing::FakeDownloader downloader;
  LoadingHost host;
  std::unique_ptr<swf::avm1::Machine> machine;
  std::unique_ptr<MovieLoads> loads;
  std::unique_ptr<swf::player::Player> player;
};

// A movie of `frames` frames, each running its script.
SwfWriter MovieOfFrames(const std::vector<ActionAssembler>& frames) {
  SwfWriter movie;
  movie.Version(8);
  SwfWriter empty;
  empty.ShowFrame();
  movie.DefineSprite(1, empty);
  testing::Placement box = testing::Put(1, 1);
  box.name = "box";
  movie.Place(box);
  for (const ActionAssembler& frame : frames) {
    testing::AddDoAction(movie, frame);
    movie.ShowFrame();
  }
  return movie;
}

// The loaded movie: its first frame names where it sits and what it sees, then stops.
// Its character 1 is a 100 x 50 pixel rectangle (the main movie's 1 is an empty clip).
std::vector<std::uint8_t> SecondMovie() {
  SwfWriter second;
  second.Version(8);
  second.DefineRectangle(1, 2000, 1000, {255, 0, 0}).Place(testing::Put(1, 1));
  ActionAssembler script;
  script.Push({"mark", "here"}).Op(op::kSetVariable)
      .Push({"this"}).Op(op::kGetVariable).Push({"second in "}).Op(op::kStackSwap).Op(op::kAdd2).Op(op::kTrace)
      .Push({"_root"}).Op(op::kGetVariable).Push({"root is "}).Op(op::kStackSwap).Op(op::kAdd2).Op(op::kTrace)
      .Push({"_level0"}).Op(op::kGetVariable).Push({"greeting"}).Op(op::kGetMember).Op(op::kTrace)
      .Op(op::kStop);
  testing::AddDoAction(second, script);
  second.ShowFrame();
  second.ShowFrame();
  return second.Bytes();
}

TEST(MovieLoading, LevelAndClipLoadsSeeEachOtherAndUnload) {
  ActionAssembler first;
  first.Push({"greeting", "hello"}).Op(op::kSetVariable)
      .GetUrl("second.swf", "_level1")                                                       // loadMovieNum
      .Push({"sub/second.swf", "box"}).GetUrl2(0x40)                                          // loadMovie into a clip
      .Push({"_level1"}).Op(op::kGetVariable).Op(op::kTypeOf).Op(op::kTrace);                 // not there yet
  ActionAssembler second;
  second.Push({"_level1"}).Op(op::kGetVariable).Push({"mark"}).Op(op::kGetMember).Op(op::kTrace)
      .Push({"box"}).Op(op::kGetVariable).Push({"mark"}).Op(op::kGetMember).Op(op::kTrace)
      .Push({"box"}).Op(op::kGetVariable).Push({"_parent"}).Op(op::kGetMember).Op(op::kTrace)
      .Push({"_level1"}).Op(op::kGetVariable).Push({"_currentframe"}).Op(op::kGetMember).Op(op::kTrace)
      .Push({"_level1"}).Op(op::kGetVariable).Push({"_url"}).Op(op::kGetMember).Op(op::kTrace)
      .Push({"_level1"}).Op(op::kGetVariable).Push({"_width"}).Op(op::kGetMember).Op(op::kTrace)     // its own characters
      .Push({"box"}).Op(op::kGetVariable).Push({"_height"}).Op(op::kGetMember).Op(op::kTrace)
      .Push({"_level1"}).Op(op::kGetVariable).Push({"_target"}).Op(op::kGetMember).Op(op::kTrace)
      .Push({"", "_level1"}).GetUrl2(0)                                                       // unloadMovieNum(1)
      .Push({0, "box"}).Op(op::kGetVariable).Push({"unloadMovie"}).Op(op::kCallMethod).Op(op::kPop);
  ActionAssembler third;
  third.Push({"_level1"}).Op(op::kGetVariable).Op(op::kTypeOf).Op(op::kTrace)
      .Push({"box"}).Op(op::kGetVariable).Push({"mark"}).Op(op::kGetMember).Op(op::kTrace)
      .Push({"box"}).Op(op::kGetVariable).Op(op::kTypeOf).Op(op::kTrace)
      .Op(op::kStop);
  LoadingMovie run("C:\\movies\\main.swf");
  run.files.AddFile("C:\\movies\\second.swf", SecondMovie());
  run.files.AddFile("C:\\movies\\sub\\second.swf", SecondMovie());
  run.Start(MovieOfFrames({first, second, third}));
  run.Frames(2);
  EXPECT_EQ(run.host.lines, (Lines{"undefined",
                                   // both arrive at the next frame, in the order asked
                                   "second in _level1", "root is _level1", "hello",
                                   "second in _level0.box", "root is _level0", "hello",
                                   "here", "here", "_level0", "1", "second.swf", "100", "50", "_level1",
                                   "undefined", "undefined", "movieclip"}));
}

TEST(MovieLoading, LevelZeroReplacesTheMainMovieButNotItsStage) {
  ActionAssembler first;
  first.Push({"greeting", "hello"}).Op(op::kSetVariable).GetUrl("second.swf", "_level1");
  ActionAssembler second;
  second.GetUrl("second.swf", "_level0");
  ActionAssembler third;
  third.Push({"never"}).Op(op::kTrace);
  LoadingMovie run("C:\\movies\\main.swf");
  run.files.AddFile("C:\\movies\\second.swf", SecondMovie());
  SwfWriter main = MovieOfFrames({first, second, third, third, third});
  run.Start(main);
  const auto stage = run.player->MovieData().Stage();
  run.Frames(1);
  // Level 1 is drawn above the main movie, with its own rectangle.
  swf::Framebuffer frame;
  frame.Resize(200, 100);
  run.player->Draw(frame, swf::Matrix{0.05, 0, 0, 0.05, 0, 0}, swf::render::Quality::kLow);
  EXPECT_EQ(frame.pixels[25 * 200 + 50] & 0xFFFFFFu, 0xFF0000u);
  EXPECT_EQ(frame.pixels[75 * 200 + 150] & 0xFFFFFFu, 0u);
  run.Frames(2);
  // The old movie's variables and levels go; the new one plays as _level0.
  EXPECT_EQ(run.host.lines, (Lines{"second in _level1", "root is _level1", "hello",
                                   "second in _level0", "root is _level0", "undefined"}));
  EXPECT_EQ(run.player->FrameCount(), 2);
  EXPECT_EQ(run.player->MovieData().Stage().Width(), stage.Width());
  EXPECT_EQ(run.player->CurrentFrame(), 0);  // stopped by its first frame
  EXPECT_TRUE(run.player->Clips().Level(1) == nullptr);
}

TEST(MovieLoading, ALoadedClipStaysWhenItsParentGoesBack) {
  ActionAssembler first;
  first.Push({"second.swf", "box"}).GetUrl2(0x40);
  ActionAssembler nothing;
  ActionAssembler back;
  back.GotoFrame(1).Op(op::kStop)
      .Push({"box"}).Op(op::kGetVariable).Push({"_width"}).Op(op::kGetMember).Op(op::kTrace);
  LoadingMovie run("C:\\movies\\main.swf");
  run.files.AddFile("C:\\movies\\second.swf", SecondMovie());
  run.Start(MovieOfFrames({first, nothing, nothing, back}));
  run.Frames(3);
  EXPECT_EQ(run.host.lines, (Lines{"second in _level0.box", "root is _level0", "undefined", "100"}));
}

TEST(MovieLoading, LoaderEventsForMissingAndPresentFiles) {
  ActionAssembler onError;
  onError.Push({"error"}).Op(op::kTrace).Push({"code"}).Op(op::kGetVariable).Op(op::kTrace);
  ActionAssembler onInit;
  onInit.Push({"init"}).Op(op::kTrace).Push({"target"}).Op(op::kGetVariable).Push({"mark"}).Op(op::kGetMember).Op(op::kTrace);
  ActionAssembler first;
  first.Push({"loader", 0, "MovieClipLoader"}).Op(op::kNewObject).Op(op::kSetVariable)
      .Push({"loader"}).Op(op::kGetVariable).Push({"onLoadError"}).DefineFunction("", {"target", "code"}, onError).Op(op::kSetMember)
      .Push({"loader"}).Op(op::kGetVariable).Push({"onLoadInit"}).DefineFunction("", {"target"}, onInit).Op(op::kSetMember)
      .Push({"box", "missing.swf", 2, "loader"}).Op(op::kGetVariable).Push({"loadClip"}).Op(op::kCallMethod).Op(op::kTrace)
      .Push({3, "second.swf", 2, "loader"}).Op(op::kGetVariable).Push({"loadClip"}).Op(op::kCallMethod).Op(op::kPop)
      .Push({"box", "javascript:alert(1)", 2, "loader"}).Op(op::kGetVariable).Push({"loadClip"}).Op(op::kCallMethod).Op(op::kPop);
  ActionAssembler later;
  later.Push({"_level3"}).Op(op::kGetVariable).Push({1, "loader"}).Op(op::kGetVariable).Push({"getProgress"}).Op(op::kCallMethod)
      .Push({"bytesTotal"}).Op(op::kGetMember).Push({0}).Op(op::kGreater).Op(op::kTrace).Op(op::kStop);
  LoadingMovie run("C:\\movies\\main.swf");
  run.files.AddFile("C:\\movies\\second.swf", SecondMovie());
  run.Start(MovieOfFrames({first, later}));
  run.Frames(1);
  EXPECT_EQ(run.host.lines, (Lines{"true",
                                   // failures are told at the end of the frame, in the order asked
                                   "error", "URLNotFound", "error", "URLNotFound",
                                   "second in _level3", "root is _level3", "undefined", "true",
                                   // once the loaded movie's first frame ran
                                   "init", "here"}));
}

TEST(MovieLoading, VariablesForClipsAndLoadVars) {
  ActionAssembler onLoad;
  onLoad.Push({"ok"}).Op(op::kGetVariable).Op(op::kTrace)
      .Push({"this"}).Op(op::kGetVariable).Push({"b"}).Op(op::kGetMember).Op(op::kTrace);
  ActionAssembler first;
  first.Push({"vars.txt", 1, "box"}).Op(op::kGetVariable).Push({"loadVariables"}).Op(op::kCallMethod).Op(op::kPop)
      .Push({"vars.txt", "_root"}).GetUrl2(0xC0)                                               // loadVariables("vars.txt", _root)
      .Push({"lv", 0, "LoadVars"}).Op(op::kNewObject).Op(op::kSetVariable)
      .Push({"lv"}).Op(op::kGetVariable).Push({"onLoad"}).DefineFunction("", {"ok"}, onLoad).Op(op::kSetMember)
      .Push({"vars.txt", 1, "lv"}).Op(op::kGetVariable).Push({"load"}).Op(op::kCallMethod).Op(op::kPop)
      .Push({"nothing.txt", 1, "missing", 0, "LoadVars"}).Op(op::kNewObject).Op(op::kStackSwap).Op(op::kPop)
      .Op(op::kPushDuplicate).Push({"onLoad"}).DefineFunction("", {"ok"}, onLoad).Op(op::kSetMember)
      .Push({"load"}).Op(op::kCallMethod).Op(op::kPop);
  ActionAssembler later;
  later.Push({"box"}).Op(op::kGetVariable).Push({"a"}).Op(op::kGetMember).Op(op::kTrace)
      .Push({"b"}).Op(op::kGetVariable).Op(op::kTrace)
      .Push({"lv"}).Op(op::kGetVariable).Push({"toString"}).Op(op::kGetMember).Op(op::kTypeOf).Op(op::kTrace)
      .Op(op::kStop);
  LoadingMovie run("C:\\movies\\main.swf");
  run.files.AddFile("C:\\movies\\vars.txt", std::string("a=1&b=two+words%21&c"));
  run.Start(MovieOfFrames({first, later}));
  run.Frames(1);
  // A file that is not there is told at the end of the frame that asked for it; what
  // arrived, at the next frame.
  EXPECT_EQ(run.host.lines, (Lines{"false", "undefined", "true", "two words!", "1", "two words!", "function"}));
}

TEST(MovieLoading, WebAddressesGoThroughTheDownloader) {
  ActionAssembler first;
  first.GetUrl("second.swf", "_level2").GetUrl("/top/other.swf", "_level4").Op(op::kStop);
  LoadingMovie run("http://example.com/dir/main.swf");
  run.Start(MovieOfFrames({first}));
  ASSERT_EQ(run.downloader.transfers.size(), 2u);
  EXPECT_EQ(run.downloader.transfers[0]->address, "http://example.com/dir/second.swf");
  EXPECT_EQ(run.downloader.Newest().address, "http://example.com/top/other.swf");
  run.downloader.Fail("服务器回答: HTTP 404");  // the second fails: nothing loads there
  const auto bytes = SecondMovie();
  run.downloader.transfers[0]->events.received(bytes);
  run.Frames(1);
  EXPECT_TRUE(run.host.lines.empty());  // still arriving
  run.downloader.transfers[0]->events.finished();
  run.Frames(1);
  EXPECT_EQ(run.host.lines, (Lines{"second in _level2", "root is _level2", "undefined"}));

  // Where addresses lead from a local movie and from the web; other schemes are refused.
  EXPECT_EQ(ResolveLoadAddress("C:\\m\\a.swf", "b.swf?x=1"), "C:\\m\\b.swf");
  EXPECT_EQ(ResolveLoadAddress("C:\\m\\a.swf", "sub/b.swf"), "C:\\m\\sub\\b.swf");
  EXPECT_EQ(ResolveLoadAddress("C:\\m\\a.swf", "D:\\x\\b.swf"), "D:\\x\\b.swf");
  EXPECT_EQ(ResolveLoadAddress("C:\\m\\a.swf", "file:///D:/x/b.swf"), "D:\\x\\b.swf");
  EXPECT_EQ(ResolveLoadAddress("C:\\m\\a.swf", "https://h/b.swf"), "https://h/b.swf");
  EXPECT_EQ(ResolveLoadAddress("http://h/d/a.swf", "b.txt?q=1"), "http://h/d/b.txt?q=1");
  EXPECT_EQ(ResolveLoadAddress("C:\\m\\a.swf", "javascript:go()"), "");
  EXPECT_EQ(ResolveLoadAddress("C:\\m\\a.swf", "ftp://h/b.swf"), "");
  EXPECT_EQ(ResolveLoadAddress("http://h/d/a.swf", "C:\\b.swf"), "");
  EXPECT_EQ(ResolveLoadAddress("C:\\m\\a.swf", ""), "");
}

TEST(MovieLoading, ThePlayingMovieLoadsFromItsOwnFolder) {
  testing::FakeFileSystem files;
  files.AddFolder("C:\\Movies");
  files.AddFolder("C:\\Movies\\parts");
  files.AddFile("C:\\Movies\\parts\\second.swf", SecondMovie());
  ActionAssembler first;
  first.GetUrl("parts/second.swf", "_level1");
  SwfWriter main;
  main.Version(8).StagePixels(20, 20).FrameRate(10).BackgroundColor({255, 255, 255});
  testing::AddDoAction(main, first);
  main.ShowFrame().ShowFrame();
  files.AddFile("C:\\Movies\\main.swf", main.Bytes());
  EngineMovieControl control(files);
  control.SetMovie("C:\\Movies\\main.swf");
  control.SetViewportSize(20, 20);
  swf::Framebuffer picture;
  control.Render(picture);
  EXPECT_EQ(picture.At(5, 5), 0xFFFFFFFFu);
  control.AdvanceClock(0.1);  // the next frame shows level 1's red rectangle over the stage
  control.Render(picture);
  EXPECT_EQ(picture.At(5, 5), 0xFFFF0000u);
}

// Samples of one constant value: 16-bit mono at 44.1 kHz.
std::vector<std::uint8_t> Constant(std::int16_t value, std::size_t count) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < count; ++i) {
    bytes.push_back(static_cast<std::uint8_t>(value & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
  }
  return bytes;
}

TEST(MovieLoading, ALoadedMovieSoundsWithItsOwnSoundsUntilItIsUnloaded) {
  // Both movies define sound 2; the loaded one starts its own and streams beside it.
  const testing::SoundFormatFields pcm{3, 3, true, false};
  SwfWriter loaded;
  loaded.Version(8).FrameRate(12).SoundStreamHead(pcm, 3675);
  testing::SoundStartFields start;
  start.id = 2;
  loaded.DefineSound(2, pcm, 44100, Constant(3000, 44100)).StartSound(start);
  loaded.SoundStreamBlock(Constant(500, 3675)).ShowFrame().SoundStreamBlock(Constant(500, 3675)).ShowFrame();
  ActionAssembler load, nothing, unload;
  load.GetUrl("tone.swf", "_level1");
  unload.Push({"", "_level1"}).GetUrl2(0);
  SwfWriter main;
  main.Version(8).FrameRate(12).DefineSound(2, pcm, 44100, Constant(1000, 44100));
  for (const ActionAssembler* frame : {&load, &nothing, &unload, &nothing}) {
    testing::AddDoAction(main, *frame);
    main.ShowFrame();
  }
  LoadingMovie run("C:\\movies\\main.swf");
  run.files.AddFile("C:\\movies\\tone.swf", loaded.Bytes());
  run.Start(main);
  swf::audio::SoundMixer mixer;
  swf::audio::MovieSound sound(run.movie, mixer, nullptr);
  run.player->SetSoundHost(&sound);
  run.Frames(1);  // level 1 arrives and plays its first frame
  std::vector<std::int16_t> out(2000);
  mixer.Fill(out);
  EXPECT_NEAR(out[1000], 3500, 2);
  EXPECT_NEAR(out[1001], 3500, 2);
  run.Frames(1);  // unloaded: its sound and stream end with it
  mixer.Fill(out);
  EXPECT_EQ(out[1000], 0);
  EXPECT_TRUE(run.player->Clips().Level(1) == nullptr);
}

}  // namespace
}  // namespace tavelin
