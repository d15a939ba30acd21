#include "swf/player/player.h"

#include <algorithm>

#include "swf/format/frame_label.h"

namespace tavelin::swf::player {

Player::Player(std::shared_ptr<const Movie> movie, DeviceFonts* deviceFonts, ScriptHooks* scripts)
    : movie_(std::move(movie)),
      dictionary_(deviceFonts),
      runner_(*movie_, dictionary_),
      clips_(*movie_, dictionary_, runner_, root_, *rootAnchor_) {
  runner_.SetHooks(scripts);
  root_.owner = rootAnchor_.get();
  clips_.SetLevels(&levels_);
  if (scripts) scripts->Attached(*this);
  runner_.GotoFrame(root_, FrameSource{movie_.get(), nullptr}, 0, 0);
  if (scripts) scripts->FrameFinished();
}

void Player::NextFrame() {
  ScriptHooks* scripts = runner_.Hooks();
  if (scripts) scripts->FrameStarting();
  runner_.BeginTick();
  if (scripts) {
    if (mainLoadedTick_ < runner_.Tick()) {
      MainRunner().AdvanceAll(root_, FrameSource{&MainRunner().MovieData(), nullptr}, rootLoops_);
    }
    AdvanceLevels();
    scripts->FrameFinished();
    return;
  }
  const int next = (root_.frame + 1) % FrameCount();
  runner_.GotoFrame(root_, FrameSource{movie_.get(), nullptr}, next, 0);
  runner_.AdvanceSprites(root_.list, 0);
}

void Player::GotoFrame(int frame) {
  runner_.BeginTick();
  // Frames passed over on the way run no scripts and make no sound; the frame arrived
  // at does both.
  MainRunner().GotoFrame(root_, FrameSource{&MainRunner().MovieData(), nullptr}, std::clamp(frame, 0, FrameCount() - 1), 0);
  if (ScriptHooks* scripts = runner_.Hooks()) scripts->FrameFinished();
}

namespace {

class SilentHost : public SoundHost {
 public:
  void OnSoundTag(const Tag&, const format::SpriteDefinition*, int) override {}
  void StartSound(std::uint16_t, const format::SoundInfo&) override {}
  void StopSound(std::uint16_t) override {}
  void StopAllSounds() override {}
  void SetSoundVolume(int percent) override { volume_ = percent; }
  int SoundVolume() const override { return volume_; }

 private:
  int volume_ = 100;
};

}  // namespace

void Player::SetSoundHost(SoundHost* host) {
  sound_ = host;
  runner_.SetSoundHost(host);
}

SoundHost& Player::Sound() {
  static thread_local SilentHost silent;
  return sound_ ? *sound_ : silent;
}

void Player::PointerMove(double x, double y) {
  if (ScriptHooks* scripts = runner_.Hooks()) scripts->PointerMove(x, y);
}

void Player::PointerButton(bool down, double x, double y) {
  if (ScriptHooks* scripts = runner_.Hooks()) scripts->PointerButton(down, x, y);
}

void Player::KeyDown(int virtualKey, int character) {
  if (ScriptHooks* scripts = runner_.Hooks()) scripts->Key(true, virtualKey, character);
}

void Player::KeyUp(int virtualKey) {
  if (ScriptHooks* scripts = runner_.Hooks()) scripts->Key(false, virtualKey, 0);
}

ScriptHooks::Cursor Player::CursorAt(double x, double y) const {
  ScriptHooks* scripts = runner_.Hooks();
  return scripts ? scripts->CursorAt(x, y) : ScriptHooks::Cursor::kArrow;
}

int Player::FrameOfLabel(const std::string& label) const {
  const auto lower = [](std::string text) {
    for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return text;
  };
  const std::string wanted = lower(label);
  const Movie& movie = MainRunner().MovieData();
  for (int frame = 0; frame < FrameCount(); ++frame) {
    for (const Tag& tag : movie.FrameTags(frame)) {
      if (tag.code == tag_code::kFrameLabel && lower(format::DecodeFrameLabel(movie.TagBody(tag))) == wanted) return frame;
    }
  }
  return -1;
}

Rgba Player::BackgroundColor() const {
  const std::uint32_t rgb = movie_->BackgroundColor();
  return {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8), static_cast<std::uint8_t>(rgb), 255};
}

}  // namespace tavelin::swf::player
