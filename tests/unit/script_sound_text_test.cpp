// Sound and TextField objects through whole movies: sounds started by scripts reaching
// the sound host, and text fields read, bound, typed into and drawn.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/action_assembler.h"
#include "support/swf_writer.h"
#include "swf/avm1/machine.h"
#include "swf/format/action_decoder.h"
#include "swf/player/player.h"

namespace tavelin::swf {
namespace {

using testing::ActionAssembler;
using testing::BoxGlyph;
using testing::Null;
using testing::SwfWriter;
namespace op = format::action_code;
using Lines = std::vector<std::string>;

class RecordingHost final : public avm1::ScriptHost {
 public:
  void Trace(const std::string& line) override { lines.push_back(line); }
  void Command(const std::string&, const std::string&) override {}
  void OpenAddress(const std::string&, const std::string&) override {}
  double MovieMilliseconds() override { return milliseconds; }
  double WallSeconds() override { return 0; }
  std::vector<std::string> lines;
  double milliseconds = 0;
};

// Keeps what scripts asked of the movie's sound; instances play until `ended` names them.
class FakeSoundHost final : public player::SoundHost {
 public:
  struct Start {
    int channel;
    std::uint16_t id;
    format::SoundInfo info;
  };
  void OnSoundTag(const Tag&, const format::SpriteDefinition*, int) override {}
  void StartSound(std::uint16_t, const format::SoundInfo&) override {}
  void StopSound(std::uint16_t) override {}
  void StopAllSounds() override { ++stopAll; }
  void SetSoundVolume(int percent) override { volume = percent; }
  int SoundVolume() const override { return volume; }
  std::uint32_t StartChannelSound(int channel, std::uint16_t id, const format::SoundInfo& info) override {
    starts.push_back({channel, id, info});
    return static_cast<std::uint32_t>(starts.size());
  }
  void SetChannelLevels(int channel, const player::ChannelLevels& l) override { levels[channel] = l; }
  void StopChannelSound(int channel, std::uint16_t id) override { channelStops.emplace_back(channel, id); }
  double InstanceMilliseconds(std::uint32_t handle) const override { return handle <= ended ? -1 : 250; }

  std::vector<Start> starts;
  std::map<int, player::ChannelLevels> levels;
  std::vector<std::pair<int, std::uint16_t>> channelStops;
  int stopAll = 0, volume = 100;
  std::uint32_t ended = 0;
};

struct ScriptMovie {
  explicit ScriptMovie(const SwfWriter& writer) : movie(std::make_shared<const Movie>(LoadMovie(writer.Bytes()))) {
    machine = std::make_unique<avm1::Machine>(movie->Version(), host);
    player = std::make_unique<player::Player>(movie, nullptr, machine.get());
  }
  void Frames(int count) {
    for (int i = 0; i < count; ++i) {
      host.milliseconds += 100;
      player->NextFrame();
    }
  }
  RecordingHost host;
  std::shared_ptr<const Movie> movie;
  std::unique_ptr<avm1::Machine> machine;
  std::unique_ptr<player::Player> player;
};

// target.method(args), the arguments listed last first as they are pushed.
void Call(ActionAssembler& a, const char* target, const char* method, std::initializer_list<testing::PushValue> args) {
  a.Push(args).Push({static_cast<int>(args.size())}).Push({target}).Op(op::kGetVariable).Push({method}).Op(op::kCallMethod);
}
void SetMember(ActionAssembler& a, const char* target, const char* name, testing::PushValue value) {
  a.Push({target}).Op(op::kGetVariable).Push({name, value}).Op(op::kSetMember);
}
void TraceMember(ActionAssembler& a, const char* target, const char* name) {
  a.Push({target}).Op(op::kGetVariable).Push({name}).Op(op::kGetMember).Op(op::kTrace);
}

TEST(ScriptSoundText, SoundStartedByLinkageNameReachesTheSoundHostWithItsClipsVolume) {
  SwfWriter movie;
  movie.Version(8).DefineSound(4, {3, 3, true, false}, 44100, std::vector<std::uint8_t>(88200, 0));  // one second
  testing::AddExportAssets(movie, {{4, "Beep"}});
  movie.ShowFrame();  // the sound host is given before the second frame's script
  ActionAssembler first;
  Call(first, "_root", "createEmptyMovieClip", {1, "mc"});
  first.Op(op::kPop);
  first.Push({"s"}).Push({"mc"}).Op(op::kGetVariable).Push({1, "Sound"}).Op(op::kNewObject).Op(op::kSetVariable);
  Call(first, "s", "attachSound", {"beep"});  // linkage names ignore case
  first.Op(op::kPop);
  Call(first, "s", "setVolume", {50});
  first.Op(op::kPop);
  Call(first, "s", "setPan", {-100});
  first.Op(op::kPop);
  Call(first, "s", "start", {3, 0.5});
  first.Op(op::kPop);
  // A second Sound on the same clip shares its volume; one for the whole movie has its own.
  first.Push({"other"}).Push({"mc"}).Op(op::kGetVariable).Push({1, "Sound"}).Op(op::kNewObject).Op(op::kSetVariable);
  Call(first, "other", "getVolume", {});
  first.Op(op::kTrace);
  first.Push({"g"}).Push({0, "Sound"}).Op(op::kNewObject).Op(op::kSetVariable);
  Call(first, "g", "setVolume", {80});
  first.Op(op::kPop);
  Call(first, "g", "getVolume", {});
  first.Op(op::kTrace);
  TraceMember(first, "s", "duration");
  ActionAssembler complete;
  complete.Push({"complete "}).Push({"this"}).Op(op::kGetVariable).Push({"position"}).Op(op::kGetMember).Op(op::kAdd2).Op(op::kTrace);
  first.Push({"s"}).Op(op::kGetVariable).Push({"onSoundComplete"}).DefineFunction("", {}, complete).Op(op::kSetMember);
  testing::AddDoAction(movie, first);
  movie.ShowFrame().ShowFrame();
  ActionAssembler third;
  third.Op(op::kStopSounds);
  Call(third, "s", "stop", {});
  third.Op(op::kPop);
  testing::AddDoAction(movie, third);
  movie.ShowFrame();

  ScriptMovie run(movie);
  FakeSoundHost sound;
  run.player->SetSoundHost(&sound);
  run.Frames(1);
  ASSERT_EQ(sound.starts.size(), 1u);
  const FakeSoundHost::Start& start = sound.starts[0];
  EXPECT_NE(start.channel, 0);
  EXPECT_EQ(start.id, 4);
  EXPECT_EQ(start.info.loops, 3);
  EXPECT_EQ(start.info.inPoint, 22050u);
  const player::ChannelLevels& levels = sound.levels[start.channel];
  EXPECT_DOUBLE_EQ(levels.leftToLeft, 0.5);  // half volume, all to the left
  EXPECT_DOUBLE_EQ(levels.rightToRight, 0);
  EXPECT_EQ(sound.volume, 80);
  EXPECT_EQ(run.host.lines, (Lines{"50", "80", "1000"}));

  run.host.lines.clear();
  run.Frames(1);
  EXPECT_TRUE(run.host.lines.empty());  // still playing
  sound.ended = 1;
  run.Frames(1);
  EXPECT_EQ(run.host.lines, (Lines{"complete 1000"}));
  EXPECT_EQ(sound.stopAll, 1);
  EXPECT_EQ(sound.channelStops, (std::vector<std::pair<int, std::uint16_t>>{{start.channel, 0}}));
}

TEST(ScriptSoundText, SoundOnARenamedClipIsLostUntilTheNameComesBackAndTheClockEndsIt) {
  SwfWriter movie;
  movie.Version(8).DefineSound(4, {3, 3, true, false}, 44100, std::vector<std::uint8_t>(88200, 0));
  testing::AddExportAssets(movie, {{4, "Beep"}});
  ActionAssembler script;
  script.Op(op::kStop).Push({"clip"});
  Call(script, "_root", "createEmptyMovieClip", {1, "mc"});
  script.Op(op::kSetVariable);
  script.Push({"s"}).Push({"clip"}).Op(op::kGetVariable).Push({1, "Sound"}).Op(op::kNewObject).Op(op::kSetVariable);
  Call(script, "s", "attachSound", {"Beep"});
  Call(script, "s", "setVolume", {30});
  ActionAssembler done;
  done.Push({"done "}).Push({0, "this"}).Op(op::kGetVariable).Push({"getPosition"}).Op(op::kCallMethod).Op(op::kAdd2).Op(op::kTrace);
  script.Push({"s"}).Op(op::kGetVariable).Push({"onSoundComplete"}).DefineFunction("", {}, done).Op(op::kSetMember);
  Call(script, "s", "start", {});
  SetMember(script, "clip", "_name", "renamed");  // the Sound finds its clip by path
  Call(script, "s", "getVolume", {});
  script.Op(op::kTrace);
  SetMember(script, "clip", "_name", "mc");
  Call(script, "s", "getVolume", {});
  script.Op(op::kTrace);
  // Sound files are not loaded: the script hears so.
  script.Push({"file"}).Push({0, "Sound"}).Op(op::kNewObject).Op(op::kSetVariable);
  ActionAssembler loaded;
  loaded.Push({"loaded "}).Push({"ok"}).Op(op::kGetVariable).Op(op::kAdd2).Op(op::kTrace);
  script.Push({"file"}).Op(op::kGetVariable).Push({"onLoad"}).DefineFunction("", {"ok"}, loaded).Op(op::kSetMember);
  Call(script, "file", "loadSound", {false, "tune.mp3"});
  testing::AddDoAction(movie, script);
  movie.ShowFrame().ShowFrame();

  ScriptMovie run(movie);  // no sound host: the movie's clock times the sound
  EXPECT_EQ(run.host.lines, (Lines{"undefined", "30", "loaded false"}));
  run.host.lines.clear();
  run.Frames(9);
  EXPECT_TRUE(run.host.lines.empty());
  run.Frames(1);
  EXPECT_EQ(run.host.lines, (Lines{"done 1000"}));
}

TEST(ScriptSoundText, TextFormatConvertsWhatItIsGivenAndMixedRangesReadNull) {
  SwfWriter movie;
  movie.Version(8);
  ActionAssembler script;
  script.Push({"f"}).Push({12.9, "Arial", 2, "TextFormat"}).Op(op::kNewObject).Op(op::kSetVariable);
  TraceMember(script, "f", "size");  // cut towards zero by the constructor, rounded half to even when set
  const std::pair<const char*, testing::PushValue> sets[] = {
      {"size", 3.5}, {"size", std::nan("")}, {"leftMargin", -3}, {"color", -2.5}, {"align", "CENTER"},
      {"align", "bogus"}, {"align", Null{}}, {"bold", "x"}, {"italic", Null{}}};
  for (const auto& [name, value] : sets) {
    SetMember(script, "f", name, value);
    TraceMember(script, "f", name);
  }
  TraceMember(script, "f", "url");
  Call(script, "_root", "createTextField", {20, 100, 0, 0, 1, "t"});
  script.Op(op::kPop);
  SetMember(script, "t", "text", "abcd");
  script.Push({"b"}).Push({0, "TextFormat"}).Op(op::kNewObject).Op(op::kSetVariable);
  SetMember(script, "b", "bold", true);
  script.Push({"b"}).Op(op::kGetVariable).Push({3, 1, 3, "t"}).Op(op::kGetVariable).Push({"setTextFormat"})
      .Op(op::kCallMethod).Op(op::kPop);
  for (const auto& [begin, end] : {std::pair{0, 2}, std::pair{1, 3}}) {
    Call(script, "t", "getTextFormat", {end, begin});
    script.Push({"bold"}).Op(op::kGetMember).Op(op::kTrace);
  }
  Call(script, "t", "getTextFormat", {});
  script.Push({"font"}).Op(op::kGetMember).Op(op::kTrace);
  testing::AddDoAction(movie, script);
  movie.ShowFrame();
  ScriptMovie run(movie);
  EXPECT_EQ(run.host.lines, (Lines{"12", "4", "-2147483648", "0", "4294967294", "center", "center", "center", "true",
                                   "null", "null", "null", "true", "Times New Roman"}));
}

// A field "t" of the box font at depth 1, with initial text "AB".
SwfWriter FieldMovie() {
  SwfWriter movie;
  movie.Version(8)
      .DefineBoxFont(7, {BoxGlyph{'A', 512, 512, 600}, BoxGlyph{'B', 512, 512, 600}, BoxGlyph{'X', 512, 512, 600},
                         BoxGlyph{'h', 512, 512, 600}, BoxGlyph{'i', 512, 512, 600}})
      .DefineEditText(9, {0, 0, 4000, 1000}, 7, 400, {0, 0, 0, 255}, "AB");
  testing::Placement place = testing::Put(1, 9);
  place.name = "t";
  movie.Place(place);
  return movie;
}

std::size_t GlyphsShown(player::Player& player) {
  const auto& object = player.Objects().at(1);
  const auto* text = std::get_if<std::shared_ptr<const player::TextCharacter>>(&object.character);
  return text ? (*text)->glyphs.size() : 0;
}

TEST(ScriptSoundText, FieldTextFollowsItsVariableAndTypingEditsBoth) {
  SwfWriter movie = FieldMovie();
  ActionAssembler first;
  TraceMember(first, "t", "text");
  TraceMember(first, "t", "type");
  SetMember(first, "t", "variable", "v");  // v is unset: it takes the field's text
  ActionAssembler changed;
  changed.Push({"f"}).Op(op::kGetVariable).Push({"text"}).Op(op::kGetMember).Push({"|"}).Op(op::kAdd2)
      .Push({"v"}).Op(op::kGetVariable).Op(op::kAdd2).Op(op::kTrace);
  first.Push({"t"}).Op(op::kGetVariable).Push({"onChanged"}).DefineFunction("", {"f"}, changed).Op(op::kSetMember);
  for (const char* handler : {"onSetFocus", "onKillFocus"}) {
    ActionAssembler focus;
    focus.Push({std::string(handler) + " "}).Push({"other"}).Op(op::kGetVariable).Op(op::kAdd2).Op(op::kTrace);
    first.Push({"t"}).Op(op::kGetVariable).Push({handler}).DefineFunction("", {"other"}, focus).Op(op::kSetMember);
  }
  testing::AddDoAction(movie, first);
  movie.ShowFrame();
  ActionAssembler second;
  second.TraceVariable("v").Set("v", "hi");
  SetMember(second, "t", "maxChars", 3);
  testing::AddDoAction(movie, second);
  movie.ShowFrame();
  ActionAssembler third;
  Call(third, "Selection", "getFocus", {});
  third.Op(op::kTrace);
  testing::AddDoAction(movie, third);
  movie.ShowFrame();

  ScriptMovie run(movie);
  run.Frames(1);
  EXPECT_EQ(GlyphsShown(*run.player), 2u);  // "hi" shown
  run.player->PointerButton(true, 100, 100);  // a click in the field gives it the focus
  run.player->PointerButton(false, 100, 100);
  run.player->KeyDown(88, 'X');
  run.player->KeyDown(8, 8);      // backspace
  run.player->KeyDown(37, 0);     // left
  run.player->KeyDown(88, 'X');
  run.player->KeyDown(36, 0);     // home: a fourth character is refused by maxChars
  run.player->KeyDown(88, 'X');
  run.player->KeyDown(46, 0);     // delete
  run.player->PointerButton(true, 6000, 100);  // a click beside the field takes the focus away
  run.player->PointerButton(false, 6000, 100);
  run.player->KeyDown(88, 'X');                // and typing goes nowhere
  run.Frames(1);
  EXPECT_EQ(run.host.lines, (Lines{"AB", "input", "AB", "onSetFocus null", "hiX|hiX", "hi|hi", "hXi|hXi", "Xi|Xi",
                                   "onKillFocus null", "null"}));
  EXPECT_EQ(GlyphsShown(*run.player), 2u);
}

TEST(ScriptSoundText, CreatedFieldDrawsItsTextInTheFormatGiven) {
  SwfWriter movie;
  movie.Version(8).StagePixels(200, 100).DefineBoxFont(7, {BoxGlyph{'A', 512, 512, 600}});
  ActionAssembler script;
  Call(script, "_root", "createTextField", {30, 100, 10, 10, 5, "t"});  // 100 x 30 pixels at 10, 10
  script.Op(op::kTargetPath).Op(op::kTrace);
  SetMember(script, "t", "_width", 150);  // a field changes size, not scale
  TraceMember(script, "t", "_xscale");
  TraceMember(script, "t", "_width");
  SetMember(script, "t", "embedFonts", true);
  script.Push({"f"}).Push({0, "TextFormat"}).Op(op::kNewObject).Op(op::kSetVariable);
  SetMember(script, "f", "font", "Box");
  SetMember(script, "f", "size", 20);
  SetMember(script, "f", "color", 0xFF0000);
  script.Push({"f"}).Op(op::kGetVariable).Push({1, "t"}).Op(op::kGetVariable).Push({"setNewTextFormat"})
      .Op(op::kCallMethod).Op(op::kPop);
  SetMember(script, "t", "text", "AA");
  SetMember(script, "t", "background", true);
  SetMember(script, "t", "backgroundColor", 0x00FF00);
  script.Push({"t"}).Op(op::kGetVariable).Push({"textWidth"}).Op(op::kGetMember).Push({0}).Op(op::kGreater).Op(op::kTrace);
  SetMember(script, "t", "autoSize", "left");  // shrinks to the text
  script.Push({"t"}).Op(op::kGetVariable).Push({"_width"}).Op(op::kGetMember).Push({60}).Op(op::kLess2).Op(op::kTrace);
  testing::AddDoAction(movie, script);
  movie.ShowFrame();
  ScriptMovie run(movie);
  EXPECT_EQ(run.host.lines, (Lines{"_level0.t", "100", "150", "true", "true"}));

  Framebuffer frame;
  frame.Resize(200, 100);
  run.player->Draw(frame, Matrix{0.05, 0, 0, 0.05, 0, 0}, render::Quality::kLow);
  int red = 0, green = 0, outside = 0;
  for (int y = 0; y < frame.height; ++y) {
    for (int x = 0; x < frame.width; ++x) {
      const std::uint32_t p = frame.At(x, y) & 0xFFFFFF;
      const bool inField = x >= 10 && x < 160 && y >= 10 && y < 40;
      if (p == 0xFF0000) ++red;
      if (p == 0x00FF00) ++green;
      if (!inField && p != 0) ++outside;
    }
  }
  EXPECT_GT(red, 2 * 60);    // two glyphs of about 8 x 8 pixels
  EXPECT_GT(green, 200);     // the background around them
  EXPECT_EQ(outside, 0);
}

}  // namespace
}  // namespace tavelin::swf
