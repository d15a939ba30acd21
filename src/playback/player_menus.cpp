#include "playback/player_menus.h"

namespace tavelin {

PlayerMenus::PlayerMenus() : quality_{{"高", true, true}}, scale_{{"全部显示", true, true}} {}

void PlayerMenus::Build() {
  for (const char* caption : {"自动高", "适中", "自动低", "低"}) quality_.push_back({caption, false, true});
  for (const char* caption : {"适应视频", "适应窗口"}) scale_.push_back({caption, false, true});
}

void PlayerMenus::ChooseQuality(int index, short& qualityIndex, MovieControl& player) {
  if (qualityIndex >= 0 && qualityIndex < static_cast<int>(quality_.size())) {
    quality_[static_cast<std::size_t>(qualityIndex)].checked = false;
  }
  if (index >= 0 && index < static_cast<int>(kQualityNames.size())) {
    player.SetQuality(kQualityNames[static_cast<std::size_t>(index)]);
  }
  if (index >= 0 && index < static_cast<int>(quality_.size())) quality_[static_cast<std::size_t>(index)].checked = true;
  qualityIndex = static_cast<short>(index);
}

void PlayerMenus::ChooseScale(int index, short& scaleIndex, MovieControl& player) {
  if (scaleIndex >= 0 && scaleIndex < static_cast<int>(scale_.size())) scale_[static_cast<std::size_t>(scaleIndex)].checked = false;
  player.SetScaleMode(index);
  if (index >= 0 && index < static_cast<int>(scale_.size())) scale_[static_cast<std::size_t>(index)].checked = true;
  scaleIndex = static_cast<short>(index);
}

}  // namespace tavelin
