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

std::vector<MenuEntry> PlayerMenus::PopUpEntries(bool fullScreen, bool movieLoaded) const {
  namespace pm = player_menu;
  const MenuEntry separator{};
  std::vector<MenuEntry> quality, scale;
  for (const MenuItemState& item : QualityItems()) {
    quality.push_back({pm::kQualityFirst + static_cast<int>(quality.size()), item.caption, item.checked, true, {}});
  }
  for (const MenuItemState& item : ScaleItems()) {
    scale.push_back({pm::kScaleFirst + static_cast<int>(scale.size()), item.caption, item.checked, true, {}});
  }
  return {
      {pm::kAbout, "关于...", false, true, {}},
      separator,
      {pm::kHelp, "帮助", false, true, {}},
      {pm::kSetColor, "设置背景色", false, true, {}},
      {0, "视频质量", false, true, quality},
      {0, "缩放模式", false, true, scale},
      separator,
      {pm::kZoomIn, "放大\t[控制键]+O", false, true, {}},
      {pm::kZoomOut, "缩小\t[控制键]+I", false, true, {}},
      {pm::kZoomRect, zoomRect_.caption, zoomRect_.checked, zoomRect_.enabled, {}},
      {pm::kZoomReset, "区域还原", false, true, {}},
      separator,
      {pm::kAutoStart, "自动播放", options_.AutoPlay, true, {}},
      {pm::kFlashLoop, "播放循环", options_.MovieLoop, true, {}},
      {pm::kListLoop, "列表循环", options_.ListLoop, true, {}},
      {pm::kView, fullScreen ? "还原" : "全屏", false, true, {}},
      {pm::kExpandPath, "展开路径", false, true, {}},
      {pm::kPack, "打包(SWF -> EXE)", false, movieLoaded, {}},
      separator,
      {pm::kClose, "关闭", false, true, {}},
  };
}

}  // namespace tavelin
