#include "swf/player/player.h"

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
  runner_.GotoFrame(root_, FrameSource{movie_.get(), nullptr}, frame, 0);
}

Rgba Player::BackgroundColor() const {
  const std::uint32_t rgb = movie_->BackgroundColor();
  return {static_cast<std::uint8_t>(rgb >> 16), static_cast<std::uint8_t>(rgb >> 8), static_cast<std::uint8_t>(rgb), 255};
}

}  // namespace tavelin::swf::player
