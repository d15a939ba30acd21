#include "playback/movie_control/engine_movie_control.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "platform/failure.h"
#include "support/fake_file_system.h"
#include "support/swf_writer.h"
#include "swf/movie.h"

namespace tavelin {
namespace {

using testing::FakeFileSystem;
using testing::SwfWriter;

constexpr const char* kPlain = "C:\\Movies\\三帧.swf";   // 100 x 50 px, 3 frames, 10 fps
constexpr const char* kPacked = "C:\\Movies\\packed.swf";  // 200 x 100 px, 7 frames, 12.5 fps
constexpr std::uint32_t kPlainColour = 0xFF336699u;
constexpr std::uint32_t kPackedColour = 0xFF00AA00u;
constexpr std::uint32_t kEmpty = 0xFF000000u;
constexpr const char* kNoMovie = "没有载入影片";
constexpr const char* kInvalidArgument = "无效的过程调用或参数";

SwfWriter Frames(SwfWriter writer, int count) {
  for (int i = 0; i < count; ++i) writer.ShowFrame();
  return writer;
}

// Remembers the largest read asked for.
class RecordingFileSystem : public FakeFileSystem {
 public:
  std::size_t largestRead = 0;
  std::vector<std::uint8_t> ReadFile(const std::string& path, std::size_t maxBytes) override {
    largestRead = std::max(largestRead, maxBytes);
    return FakeFileSystem::ReadFile(path, maxBytes);
  }
};

class EngineMovieControlTest : public ::testing::Test {
 protected:
  EngineMovieControlTest() {
    files.AddFolder("C:\\Movies");
    files.AddFile(kPlain, Frames(SwfWriter().StagePixels(100, 50).FrameRate(10).BackgroundColor({0x33, 0x66, 0x99}), 3).Bytes());
    files.AddFile(kPacked,
                  Frames(SwfWriter().Compressed(true).StagePixels(200, 100).FrameRate(12.5).BackgroundColor({0, 0xAA, 0}), 7).Bytes());
    control.SetOnChange([this] { ++changes; });
  }

  std::uint32_t PixelAt(int x, int y) {
    control.Render(picture);
    return picture.At(x, y);
  }

  // Counts the changes reported while `action` runs.
  template <class Action>
  int ChangesDuring(Action&& action) {
    const int before = changes;
    action();
    return changes - before;
  }

  RecordingFileSystem files;
  EngineMovieControl control{files};
  swf::Framebuffer picture;
  int changes = 0;
};

std::string FailureOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Failure& failure) {
    return failure.what();
  }
  return "(no failure)";
}

TEST_F(EngineMovieControlTest, LoadingAMovieReadsItWholeAndStartsPlaying) {
  EXPECT_FALSE(control.HasMovie());
  control.SetMovie(kPlain);
  EXPECT_TRUE(control.HasMovie());
  EXPECT_EQ(control.Movie(), kPlain);
  EXPECT_EQ(control.TotalFrames(), 3);
  EXPECT_EQ(control.CurrentFrame(), 0);
  EXPECT_TRUE(control.IsPlaying());
  EXPECT_TRUE(control.Playing());
  EXPECT_DOUBLE_EQ(control.FrameInterval(), 0.1);
  EXPECT_GT(files.largestRead, files.Content(kPlain).size());
  EXPECT_LE(files.largestRead, swf::kMaxMovieBytes + 1);

  control.SetMovie(kPacked);
  EXPECT_EQ(control.TotalFrames(), 7);
  EXPECT_DOUBLE_EQ(control.FrameInterval(), 0.08);
  for (int tick = 0; tick < 20; ++tick) control.AdvanceClock(0.02);  // 0.4 s at 12.5 fps
  EXPECT_EQ(control.CurrentFrame(), 5);
}

TEST_F(EngineMovieControlTest, RefusedMoviesLeaveThePlayingMovieAsItWas) {
  auto truncated = SwfWriter().ShowFrame().ShowFrame().Bytes();
  truncated.resize(truncated.size() - 3);
  auto corrupt = SwfWriter().Compressed(true).ShowFrame().Bytes();
  corrupt[8] = 0xFF;
  auto absurd = SwfWriter().ShowFrame().Bytes();
  absurd[7] = 0x7F;  // declares about 2 GiB
  files.AddFile("C:\\Movies\\text.swf", std::string("just some words"));
  files.AddFile("C:\\Movies\\cut.swf", truncated);
  files.AddFile("C:\\Movies\\corrupt.swf", corrupt);
  files.AddFile("C:\\Movies\\absurd.swf", absurd);

  control.SetMovie(kPlain);
  control.SetViewportSize(100, 50);
  control.AdvanceClock(0.1);
  ASSERT_EQ(control.CurrentFrame(), 1);
  const int changesBefore = changes;

  const std::pair<std::string, std::string> refusals[] = {
      {"C:\\Movies\\text.swf", swf::movie_failure::kNotAMovie},
      {"C:\\Movies\\cut.swf", swf::movie_failure::kTruncated},
      {"C:\\Movies\\corrupt.swf", failure_text::kCompressedDataDamaged},
      {"C:\\Movies\\absurd.swf", swf::movie_failure::kBadHeader},
      {"http://example.com/a.swf", "无法打开网络地址上的影片"},
  };
  for (const auto& [path, description] : refusals) {
    EXPECT_EQ(FailureOf([&] { control.SetMovie(path); }), description) << path;
  }
  // A missing file fails with the file system's own description.
  const std::string missing = FailureOf([&] { control.SetMovie("C:\\Movies\\gone.swf"); });
  EXPECT_NE(missing, "(no failure)");

  EXPECT_EQ(changes, changesBefore);
  EXPECT_EQ(control.Movie(), kPlain);
  EXPECT_EQ(control.TotalFrames(), 3);
  EXPECT_EQ(control.CurrentFrame(), 1);
  EXPECT_TRUE(control.IsPlaying());
  EXPECT_EQ(PixelAt(50, 25), kPlainColour);
  EXPECT_TRUE(control.AdvanceClock(0.1));
  EXPECT_EQ(control.CurrentFrame(), 2);
}

TEST_F(EngineMovieControlTest, BlankTextUnloadsAndMembersNeedingAMovieFail) {
  control.SetViewportSize(40, 30);
  control.SetMovie(kPlain);
  for (const std::string blank : {"", " ", "  \t"}) {
    control.SetMovie(kPlain);
    EXPECT_EQ(ChangesDuring([&] { control.SetMovie(blank); }), 1);
    EXPECT_FALSE(control.HasMovie());
    EXPECT_EQ(control.Movie(), blank);  // reads back as written
  }
  EXPECT_EQ(FailureOf([&] { (void)control.TotalFrames(); }), kNoMovie);
  EXPECT_EQ(FailureOf([&] { (void)control.CurrentFrame(); }), kNoMovie);
  EXPECT_EQ(FailureOf([&] { control.GotoFrame(1); }), kNoMovie);
  // Harmless without a movie.
  control.Play();
  control.Stop();
  control.Zoom(50);
  control.SetZoomRect(0, 0, 100, 100);
  EXPECT_FALSE(control.Playing());
  EXPECT_FALSE(control.IsPlaying());
  EXPECT_FALSE(control.AdvanceClock(1.0));
  EXPECT_DOUBLE_EQ(control.FrameInterval(), 0.0);
  EXPECT_EQ(PixelAt(0, 0), kEmpty);
  EXPECT_EQ(PixelAt(39, 29), kEmpty);
  EXPECT_EQ(picture.width, 40);
  EXPECT_EQ(picture.height, 30);
}

TEST_F(EngineMovieControlTest, LoopDecidesWhatHappensAtTheEnd) {
  control.SetLoop(false);  // set before the movie: it applies to the next one
  control.SetMovie(kPlain);
  for (int tick = 0; tick < 5; ++tick) control.AdvanceClock(0.1);
  EXPECT_EQ(control.CurrentFrame(), 2);
  EXPECT_FALSE(control.IsPlaying());
  EXPECT_FALSE(control.Playing());

  control.SetLoop(true);
  control.Play();
  control.AdvanceClock(0.1);
  EXPECT_EQ(control.CurrentFrame(), 0);
  EXPECT_TRUE(control.IsPlaying());

  control.SetMovie(kPacked);  // loop stays as set
  for (int tick = 0; tick < 7; ++tick) control.AdvanceClock(0.08);
  EXPECT_EQ(control.CurrentFrame(), 0);
}

TEST_F(EngineMovieControlTest, GotoFrameShowsAFrameAndStaysStopped) {
  control.SetMovie(kPacked);
  EXPECT_EQ(ChangesDuring([&] { control.GotoFrame(4); }), 1);
  EXPECT_EQ(control.CurrentFrame(), 4);
  EXPECT_FALSE(control.IsPlaying());
  EXPECT_FALSE(control.AdvanceClock(1.0));
  EXPECT_EQ(ChangesDuring([&] { control.GotoFrame(4); }), 0);
  control.GotoFrame(99);
  EXPECT_EQ(control.CurrentFrame(), 6);
  control.GotoFrame(-5);
  EXPECT_EQ(control.CurrentFrame(), 0);
  control.Play();
  EXPECT_EQ(ChangesDuring([&] { control.AdvanceClock(0.08); }), 1);
  EXPECT_EQ(control.CurrentFrame(), 1);
  control.Stop();
  EXPECT_FALSE(control.Playing());
  EXPECT_EQ(control.CurrentFrame(), 1);
}

TEST_F(EngineMovieControlTest, RenderFillsTheMappedStageWithTheBackgroundColour) {
  control.SetMovie(kPlain);  // 100 x 50 stage
  control.SetViewportSize(200, 200);
  // Show all: the stage is 200 x 100 in the middle, bars above and below.
  EXPECT_EQ(PixelAt(0, 49), kEmpty);
  EXPECT_EQ(PixelAt(0, 50), kPlainColour);
  EXPECT_EQ(PixelAt(199, 149), kPlainColour);
  EXPECT_EQ(PixelAt(199, 150), kEmpty);

  control.SetBackgroundColor(0xFF8000);
  EXPECT_EQ(PixelAt(100, 100), 0xFFFF8000u);
  EXPECT_EQ(PixelAt(100, 10), kEmpty);
  control.SetBackgroundColor(-1);
  EXPECT_EQ(PixelAt(100, 100), kPlainColour);

  for (int mode : {1, 2}) {  // no border and exact fit both fill the viewport
    control.SetScaleMode(mode);
    EXPECT_EQ(PixelAt(0, 0), kPlainColour) << mode;
    EXPECT_EQ(PixelAt(199, 199), kPlainColour) << mode;
  }
  control.SetScaleMode(0);
  control.SetViewportSize(0, 0);
  control.Render(picture);
  EXPECT_TRUE(picture.pixels.empty());
}

TEST_F(EngineMovieControlTest, RenderDrawsTheMovieFramesThroughTheStageMapping) {
  // A 20 x 20 px stage whose 10 x 10 px red square moves right in frame 2 and reaches
  // past the stage's edge in frame 3.
  constexpr const char* kSquare = "C:\\Movies\\square.swf";
  files.AddFile(kSquare, SwfWriter()
                             .StagePixels(20, 20)
                             .FrameRate(10)
                             .BackgroundColor({255, 255, 255})
                             .DefineRectangle(1, 200, 200, {255, 0, 0})
                             .PlaceObject(1, 1, 0, 0)
                             .ShowFrame()
                             .MoveObject(1, 200, 0)
                             .ShowFrame()
                             .MoveObject(1, 300, 0)
                             .ShowFrame()
                             .Bytes());
  control.SetMovie(kSquare);
  control.SetViewportSize(40, 80);  // show all: the stage is 40 x 40 at rows 20..59
  EXPECT_EQ(PixelAt(5, 25), 0xFFFF0000u);
  EXPECT_EQ(PixelAt(25, 25), 0xFFFFFFFFu);
  EXPECT_EQ(PixelAt(5, 15), kEmpty);
  EXPECT_TRUE(control.AdvanceClock(0.1));
  EXPECT_EQ(PixelAt(5, 25), 0xFFFFFFFFu);
  EXPECT_EQ(PixelAt(25, 25), 0xFFFF0000u);
  control.AdvanceClock(0.1);
  control.SetZoomRect(0, 0, 800, 400);  // a view wider than the stage: the overhang stays empty
  EXPECT_EQ(PixelAt(10, 30), 0xFFFFFFFFu);
  EXPECT_EQ(PixelAt(18, 30), 0xFFFF0000u);
  EXPECT_EQ(PixelAt(22, 30), kEmpty);
  control.SetZoomRect(0, 0, 0, 0);
  control.GotoFrame(0);  // backwards: the square is where frame 1 had it
  EXPECT_EQ(PixelAt(5, 25), 0xFFFF0000u);
  EXPECT_EQ(ChangesDuring([&] { control.SetQuality("Low"); }), 1);  // stopped: drawn again now
  EXPECT_EQ(ChangesDuring([&] { control.SetQuality("AutoLow"); }), 0);
}

TEST_F(EngineMovieControlTest, TextFieldsWithoutAnEmbeddedFontAreDrawnWithTheSystemFonts) {
  // The system's font folder holds a TrueType font taken from this machine when it has
  // one (Debian's DejaVu Sans standing in for Arial).
  std::ifstream font("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", std::ios::binary);
  if (!font) GTEST_SKIP() << "no TrueType font on this machine";
  files.SetSystemFolder("C:\\Windows\\System32");
  files.AddFolder("C:\\Windows\\Fonts");
  files.AddFile("C:\\Windows\\Fonts\\arial.ttf",
                std::vector<std::uint8_t>(std::istreambuf_iterator<char>(font), std::istreambuf_iterator<char>()));
  constexpr const char* kField = "C:\\Movies\\field.swf";
  files.AddFile(kField, SwfWriter()
                            .Version(8)
                            .StagePixels(40, 20)
                            .BackgroundColor({255, 255, 255})
                            .DefineEditText(1, {0, 0, 800, 400}, 0, 0, {0, 0, 0, 255}, "HHHH")
                            .PlaceObject(1, 1)
                            .ShowFrame()
                            .Bytes());
  control.SetMovie(kField);
  control.SetViewportSize(40, 20);
  control.Render(picture);
  // The letters' stems: dark pixels along the first line, none below it.
  int dark = 0, darkBelow = 0;
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 40; ++x) {
      if ((picture.At(x, y) & 0xFF) < 100) ++(y < 16 ? dark : darkBelow);
    }
  }
  EXPECT_GT(dark, 20);
  EXPECT_EQ(darkBelow, 0);
}

TEST_F(EngineMovieControlTest, ZoomAndZoomRectChangeWhatTheViewportShows) {
  control.SetMovie(kPlain);  // 2000 x 1000 twips
  control.SetViewportSize(200, 200);
  control.Zoom(50);  // twice as large: 400 x 200, filling the viewport's height
  EXPECT_EQ(PixelAt(100, 0), kPlainColour);
  EXPECT_EQ(PixelAt(0, 199), kPlainColour);
  control.Zoom(0);
  EXPECT_EQ(PixelAt(0, 50), kPlainColour);
  EXPECT_EQ(PixelAt(0, 49), kEmpty);

  // The stage's right half around x = 2000 twips: its right edge falls mid-viewport.
  control.SetZoomRect(1500, 0, 2500, 1000);
  EXPECT_EQ(PixelAt(99, 0), kPlainColour);
  EXPECT_EQ(PixelAt(100, 0), kEmpty);
  EXPECT_EQ(PixelAt(99, 199), kPlainColour);
  control.SetZoomRect(0, 0, 0, 0);
  EXPECT_EQ(PixelAt(0, 49), kEmpty);

  // A new movie is shown whole.
  control.Zoom(50);
  control.SetMovie(kPacked);
  EXPECT_EQ(PixelAt(0, 49), kEmpty);
  EXPECT_EQ(PixelAt(0, 50), kPackedColour);
}

TEST_F(EngineMovieControlTest, SettingsMadeWithoutAMovieApplyToTheNextOne) {
  control.SetViewportSize(100, 100);
  control.SetBackgroundColor(0x0000FF);
  control.SetScaleMode(2);
  EXPECT_EQ(PixelAt(50, 50), kEmpty);
  control.SetMovie(kPlain);
  EXPECT_EQ(PixelAt(0, 0), 0xFF0000FFu);
  EXPECT_EQ(PixelAt(99, 99), 0xFF0000FFu);
}

TEST_F(EngineMovieControlTest, ReportsEachVisibleChangeAndOnlyThose) {
  EXPECT_EQ(ChangesDuring([&] { control.SetMovie(kPlain); }), 1);
  EXPECT_EQ(ChangesDuring([&] { control.SetViewportSize(300, 200); }), 1);
  EXPECT_EQ(ChangesDuring([&] { control.SetViewportSize(300, 200); }), 0);
  EXPECT_EQ(ChangesDuring([&] { control.AdvanceClock(0.05); }), 0);
  EXPECT_EQ(ChangesDuring([&] { EXPECT_TRUE(control.AdvanceClock(0.05)); }), 1);
  EXPECT_EQ(ChangesDuring([&] { control.SetBackgroundColor(0x123456); }), 1);
  EXPECT_EQ(ChangesDuring([&] { control.SetBackgroundColor(0x123456); }), 0);
  EXPECT_EQ(ChangesDuring([&] { control.SetScaleMode(1); }), 1);
  EXPECT_EQ(ChangesDuring([&] { control.Zoom(50); }), 1);
  EXPECT_EQ(ChangesDuring([&] { control.SetZoomRect(0, 0, 0, 0); }), 1);
  EXPECT_EQ(ChangesDuring([&] { control.SetZoomRect(0, 0, 0, 0); }), 0);
  EXPECT_EQ(ChangesDuring([&] {
              control.Stop();
              control.Play();
              control.SetLoop(false);
              control.SetQuality("low");
            }),
            0);
}

TEST_F(EngineMovieControlTest, RefusesArgumentsItDoesNotUnderstand) {
  for (const char* name : {"High", "high", "AUTOHIGH", "Medium", "autoLow", "LOW"}) {
    EXPECT_NO_THROW(control.SetQuality(name)) << name;
  }
  for (const char* name : {"", "Best", "high ", "Hi"}) {
    EXPECT_EQ(FailureOf([&] { control.SetQuality(name); }), kInvalidArgument) << name;
  }
  EXPECT_EQ(FailureOf([&] { control.SetScaleMode(3); }), kInvalidArgument);
  EXPECT_EQ(FailureOf([&] { control.SetScaleMode(-1); }), kInvalidArgument);
  EXPECT_EQ(FailureOf([&] { control.Zoom(-50); }), kInvalidArgument);
  EXPECT_EQ(FailureOf([&] { control.SetBackgroundColor(-2); }), kInvalidArgument);
  EXPECT_EQ(FailureOf([&] { control.SetBackgroundColor(0x1000000); }), kInvalidArgument);
}

}  // namespace
}  // namespace tavelin
