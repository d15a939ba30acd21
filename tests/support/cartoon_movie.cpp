#include "cartoon_movie.h"

#include <array>
#include <optional>

#include "action_assembler.h"
#include "loop_tone_mp3.h"
#include "swf/format/action_decoder.h"
#include "swf_writer.h"

namespace tavelin::testing {
namespace {

namespace op = swf::format::action_code;
using L = CartoonLayout;

constexpr std::uint16_t kUp = 1, kOver = 2, kDown = 3, kHit = 4, kSquare = 5, kBar = 6, kButton = 10, kClick = 20;
constexpr int kMp3FramesPerBlock = 3;

Rgb Colour(std::uint32_t rgb) {
  return {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8), static_cast<std::uint8_t>(rgb)};
}

// The byte offsets of the tone's MP3 frames, and its end last.
std::vector<std::size_t> ToneFrameOffsets() {
  std::vector<std::size_t> offsets;
  std::size_t at = 0;
  while (at + 4 <= sizeof kLoopToneMp3) {
    offsets.push_back(at);
    const int padding = (kLoopToneMp3[at + 2] >> 1) & 1;
    at += 144 * 64000 / 44100 + static_cast<std::size_t>(padding);  // 64 kbit/s at 44.1 kHz
  }
  offsets.push_back(sizeof kLoopToneMp3);
  return offsets;
}

// Stream block `index`: its sample count, no seek, then the next three tone frames.
std::vector<std::uint8_t> ToneBlock(int index, const std::vector<std::size_t>& offsets) {
  constexpr int samples = kMp3FramesPerBlock * kLoopToneSamplesPerFrame;
  std::vector<std::uint8_t> block{static_cast<std::uint8_t>(samples), static_cast<std::uint8_t>(samples >> 8), 0, 0};
  for (int i = 0; i < kMp3FramesPerBlock; ++i) {
    const std::size_t frame = static_cast<std::size_t>((index * kMp3FramesPerBlock + i) % kLoopToneFrames);
    block.insert(block.end(), kLoopToneMp3 + offsets[frame], kLoopToneMp3 + offsets[frame + 1]);
  }
  return block;
}

}  // namespace

std::vector<std::uint8_t> MakeCartoon(int soundFrames) {
  SwfWriter movie;
  movie.Version(6).StagePixels(L::kStageWidth, L::kStageHeight).FrameRate(L::kFrameRate).BackgroundColor({0xF0, 0xF0, 0xE0});
  constexpr int twips = 20;
  const int size = L::kButtonSize * twips;
  movie.SoundStreamHead({2, 3, true, false}, kMp3FramesPerBlock * kLoopToneSamplesPerFrame);

  // Frame 0: a loading bar.
  movie.DefineRectangle(kBar, 300 * twips, 10 * twips, {0x40, 0x40, 0x40}).PlaceObject(1, kBar, 50 * twips, 145 * twips).ShowFrame();

  // Frame 1: back to frame 0 until every frame has arrived.
  ActionAssembler preloader;
  preloader.Push({"_framesloaded"}).Op(op::kGetVariable).Push({"_totalframes"}).Op(op::kGetVariable).Op(op::kLess2)
      .If("wait").Jump("done").Label("wait").GotoFrame(0).Op(op::kPlay).Label("done");
  AddDoAction(movie, preloader);
  movie.ShowFrame();

  // Frame 2: the play button; the frame stops, a release plays on.
  std::vector<std::uint8_t> click;
  for (int i = 0; i < L::kClickFrames; ++i) {
    click.push_back(static_cast<std::uint8_t>(L::kClickLevel));
    click.push_back(static_cast<std::uint8_t>(L::kClickLevel >> 8));
  }
  movie.DefineSound(kClick, {3, 3, true, false}, L::kClickFrames, click);
  movie.DefineRectangle(kUp, size, size, Colour(L::kUpColour))
      .DefineRectangle(kOver, size, size, Colour(L::kOverColour))
      .DefineRectangle(kDown, size, size, Colour(L::kDownColour))
      .DefineRectangle(kHit, size, size, {0, 0, 0});
  ActionAssembler play;
  play.Op(op::kPlay);
  AddButton(movie, kButton, {{1, kUp, 1}, {2, kOver, 1}, {4, kDown, 1}, {8, kHit, 1}}, {{0x0008, play}});  // release
  SoundStartFields pressSound;
  pressSound.id = kClick;
  movie.DefineButtonSound(kButton, {std::nullopt, std::nullopt, pressSound, std::nullopt});
  movie.RemoveObject(1).PlaceObject(2, kButton, L::kButtonLeft * twips, L::kButtonTop * twips);
  ActionAssembler stop;
  stop.Op(op::kStop);
  AddDoAction(movie, stop);
  movie.ShowFrame();

  // The cartoon: a square crossing the stage while the tone streams.
  const std::vector<std::size_t> offsets = ToneFrameOffsets();
  movie.RemoveObject(2).DefineRectangle(kSquare, 40 * twips, 40 * twips, {0x10, 0x10, 0x80});
  for (int frame = 0; frame < soundFrames; ++frame) {
    const int x = (10 + frame * 7) % (L::kStageWidth - 40) * twips;
    if (frame == 0) {
      movie.PlaceObject(3, kSquare, x, 130 * twips);
    } else {
      movie.MoveObject(3, x, 130 * twips);
    }
    movie.SoundStreamBlock(ToneBlock(frame, offsets)).ShowFrame();
  }
  return movie.Bytes();
}

}  // namespace tavelin::testing
