#include "playback/player_menus.h"

namespace tavelin {

PlayerMenus::PlayerMenus(PlayerOptions& options) : options_(options) {}

void PlayerMenus::Build() {
  for (const char* caption : {"自动高", "适中", "自动低", "低"}) qualityCaptions_.emplace_back(caption);
  for (const char* caption : {"适应视频", "适应窗口"}) scaleCaptions_.emplace_back(caption);
}

void PlayerMenus::ChooseQuality(int index, MovieControl& player) {
  if (index >= 0 && index < static_cast<int>(kQualityNames.size())) {
    player.SetQuality(kQualityNames[static_cast<std::size_t>(index)]);
  }
  options_.QualityIndex = static_cast<short>(index);
}

void PlayerMenus::ChooseScale(int index, MovieControl& player) {
  player.SetScaleMode(index);
  options_.ScaleIndex = static_cast<short>(index);
}

std::vector<MenuItemState> PlayerMenus::Checked(const std::vector<std::string>& captions, int chosen) {
  std::vector<MenuItemState> items;
  items.reserve(captions.size());
  for (std::size_t i = 0; i < captions.size(); ++i) items.push_back({captions[i], static_cast<int>(i) == chosen, true});
  return items;
}

}  // namespace tavelin
