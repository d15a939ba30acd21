// The movie control's input and what a movie's scripts ask of the program: pointer
// positions in client pixels reach the movie's buttons through the stage mapping, and
// the requests arrive at MovieEvents after the script, web and mail addresses only.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "playback/movie_control/engine_movie_control.h"
#include "playback/movie_control/movie_scripts.h"
#include "support/action_assembler.h"
#include "support/fake_file_system.h"
#include "support/swf_writer.h"
#include "swf/format/action_decoder.h"
#include "swf/format/button_decoder.h"
#include "swf/framebuffer.h"

namespace tavelin {
namespace {

using testing::ActionAssembler;
using testing::SwfWriter;
namespace bc = swf::format::button_condition;
namespace op = swf::format::action_code;

class RecordingEvents final : public MovieEvents {
 public:
  void Quit() override { seen.push_back("quit"); }
  void FullScreen(bool on) override { seen.push_back(on ? "fullscreen on" : "fullscreen off"); }
  void OpenWebAddress(const std::string& url) override { seen.push_back("open " + url); }
  void ScriptStopped(const std::string& movieName) override { seen.push_back("stopped " + movieName); }
  std::vector<std::string> seen;
};

// A 100 x 100 px movie with a 50 x 50 px button at its top left whose release opens
// addresses and asks to quit.
std::vector<std::uint8_t> ButtonMovie() {
  SwfWriter movie;
  movie.Version(8).StagePixels(100, 100).DefineRectangle(1, 1000, 1000, {255, 0, 0});
  ActionAssembler release;
  release.GetUrl("javascript:alert(1)", "").GetUrl("C:\\Windows\\notepad.exe", "").GetUrl("https://example.com/a", "_blank")
      .GetUrl("mailto:someone@example.com", "").GetUrl("FSCommand:fullscreen", "false").GetUrl("FSCommand:quit", "");
  testing::AddButton(movie, 2, {{1 | 2 | 4 | 8, 1, 1}}, {{bc::kRelease, release}});
  movie.Place(testing::Put(1, 2));
  movie.ShowFrame();
  return movie.Bytes();
}

TEST(MovieScripts, PointerInClientPixelsReachesButtonsAndRequestsArriveAfterTheScript) {
  testing::FakeFileSystem files;
  EngineMovieControl control(files);
  RecordingEvents events;
  control.SetMovieEvents(&events);
  control.LoadMovieData(ButtonMovie(), "C:\\Movies\\button.swf");
  control.SetViewportSize(200, 200);  // shown twice as large

  EXPECT_EQ(control.CursorAt(60, 60), MovieCursor::Hand);    // 30, 30 on the stage
  EXPECT_EQ(control.CursorAt(150, 150), MovieCursor::Arrow);  // 75, 75: outside the button
  control.PointerMove(60, 60);
  control.PointerButton(true, 60, 60);
  EXPECT_TRUE(events.seen.empty());
  control.PointerButton(false, 60, 60);
  EXPECT_EQ(events.seen, (std::vector<std::string>{"open https://example.com/a", "open mailto:someone@example.com",
                                                   "fullscreen off", "quit"}));
}

// The main timeline is the scripts': a movie that stops on its first frame reports it
// stands there while the clock goes on, and the button's play() or the control's Play
// moves it on.
TEST(MovieScripts, TheControlReportsTheFrameAndStateTheScriptsLeftTheMainTimelineIn) {
  SwfWriter movie;
  movie.Version(8).StagePixels(100, 100).FrameRate(10).DefineRectangle(1, 1000, 1000, {255, 0, 0});
  ActionAssembler play;
  play.Op(op::kPlay);
  testing::AddButton(movie, 2, {{1 | 2 | 4 | 8, 1, 1}}, {{bc::kRelease, play}});
  movie.Place(testing::Put(1, 2));
  ActionAssembler stop;
  stop.Op(op::kStop);
  testing::AddDoAction(movie, stop);
  movie.ShowFrame().ShowFrame().ShowFrame().ShowFrame();
  testing::FakeFileSystem files;
  EngineMovieControl control(files);
  control.LoadMovieData(movie.Bytes(), "C:\\Movies\\preloader.swf");
  control.SetViewportSize(100, 100);

  control.AdvanceClock(0.5);
  EXPECT_TRUE(control.ClockRunning());  // for the clips
  EXPECT_FALSE(control.IsPlaying());
  EXPECT_FALSE(control.Playing());
  EXPECT_EQ(control.CurrentFrame(), 0);
  control.PointerMove(10, 10);
  control.PointerButton(true, 10, 10);
  control.PointerButton(false, 10, 10);
  EXPECT_TRUE(control.Playing());
  control.AdvanceClock(0.2);
  EXPECT_EQ(control.CurrentFrame(), 2);

  control.GotoFrame(0);  // stops on the first frame, whose script stops again
  control.Play();
  control.AdvanceClock(0.1);
  EXPECT_EQ(control.CurrentFrame(), 1);
}

// Without the loop option a scripted movie's main timeline stops on its last frame and
// the control reports it stopped, so the list can move on, while the animation of a
// clip inside goes on; with the option the main timeline starts again.
TEST(MovieScripts, WithoutLoopTheMainTimelineEndsWhileItsClipsPlayOn) {
  SwfWriter blink;
  blink.DefineRectangle(1, 1000, 1000, {255, 0, 0}).Place(testing::Put(1, 1)).ShowFrame();
  blink.RemoveObject(1).DefineRectangle(2, 1000, 1000, {0, 0, 255}).Place(testing::Put(1, 2)).ShowFrame();
  SwfWriter movie;
  movie.Version(6).StagePixels(50, 50).FrameRate(10).DefineSprite(3, blink).Place(testing::Put(1, 3));
  ActionAssembler nothing;
  nothing.Push({1}).Op(op::kPop);  // scripts make the control follow the main timeline
  testing::AddDoAction(movie, nothing);
  movie.ShowFrame().ShowFrame().ShowFrame();
  testing::FakeFileSystem files;
  EngineMovieControl control(files);
  control.SetLoop(false);
  control.LoadMovieData(movie.Bytes(), "C:\\Movies\\blink.swf");
  control.SetViewportSize(50, 50);
  swf::Framebuffer picture;
  std::vector<std::uint32_t> colours;
  for (int i = 0; i < 6; ++i) {
    control.AdvanceClock(0.1);
    control.Render(picture);
    colours.push_back(picture.pixels[25 * 50 + 25] & 0xFFFFFFu);
  }
  EXPECT_EQ(control.CurrentFrame(), 2);
  EXPECT_FALSE(control.IsPlaying());
  EXPECT_TRUE(control.ClockRunning());
  EXPECT_NE(colours[4], colours[5]);  // the clip still alternates after the end

  control.SetLoop(true);
  control.Play();
  control.AdvanceClock(0.1);
  EXPECT_EQ(control.CurrentFrame(), 0);
  EXPECT_TRUE(control.IsPlaying());
}

TEST(MovieScripts, AScriptStoppedForTimeIsReportedOnceWithTheMovieName) {
  double clock = 0;
  MovieScripts scripts(8, [&clock] { return clock += 2.0; });
  scripts.ScriptStopped("time");
  scripts.ScriptStopped("time");
  RecordingEvents events;
  scripts.Deliver(&events, "C:\\Movies\\slow.swf");
  scripts.Deliver(&events, "C:\\Movies\\slow.swf");
  EXPECT_EQ(events.seen, (std::vector<std::string>{"stopped C:\\Movies\\slow.swf"}));
  EXPECT_TRUE(IsWebAddress("HTTP://EXAMPLE.COM"));
  EXPECT_FALSE(IsWebAddress("file:///C:/boot.ini"));
  EXPECT_FALSE(IsWebAddress("javascript:void(0)"));
}

}  // namespace
}  // namespace tavelin
