#include "swf/player/player.h"

#include <algorithm>

#include "swf/format/frame_label.h"

namespace tavelin::swf::player {

Player::Player(std::shared_ptr<const Movie> movie, DeviceFonts* deviceFonts)
    : movie_(std::move(movie)), dictionary_(deviceFonts), runner_(*movie_, dictionary_) {
  runner_.GotoFrame(root_, FrameSource{movie_.get(), nullptr}, 0, 0);
}

void Player::NextFrame() {
  runner_.BeginTick();
  const int next = (root_.frame + 1) % FrameCount();
  runner_.GotoFrame(root_, FrameSource{movie_.get(), nullptr}, next, 0);
  runner_.AdvanceSprites(root_.list, 0);
}

void Player::GotoFrame(int frame) {
  runner_.BeginTick();
  const FrameSource main{movie_.get(), nullptr};
  frame = std::clamp(frame, 0, FrameCount() - 1);
  // Frames passed over on the way make no sound; the frame arrived at does.
  if (frame > root_.frame + 1) {
    runner_.SetSoundMuted(true);
    runner_.GotoFrame(root_, main, frame - 1, 0);
    runner_.SetSoundMuted(false);
  }
  runner_.GotoFrame(root_, main, frame, 0);
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

int Player::FrameOfLabel(const std::string& label) const {
  const auto lower = [](std::string text) {
    for (char& c : text) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return text;
  };
  const std::string wanted = lower(label);
  for (int frame = 0; frame < FrameCount(); ++frame) {
    for (const Tag& tag : movie_->FrameTags(frame)) {
      if (tag.code == tag_code::kFrameLabel && lower(format::DecodeFrameLabel(movie_->TagBody(tag))) == wanted) return frame;
    }
  }
  return -1;
}

Rgba Player::BackgroundColor() const {
  const std::uint32_t rgb = movie_->BackgroundColor();
  return {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8), static_cast<std::uint8_t>(rgb), 255};
}

}  // namespace tavelin::swf::player
