#pragma once
// The player menu's items that other commands read and set: the quality and
// scale-mode lists, the play options and the area-zoom item. Check marks are never
// stored here: they are read from the player options, so exactly one item of each
// list is checked at every moment. The menu on screen is built from this when it opens.

#include <array>
#include <string>
#include <vector>

#include "options/player_options.h"
#include "platform/movie_control.h"

namespace tavelin {

struct MenuItemState {
  std::string caption;
  bool checked = false;
  bool enabled = true;
};

// One entry of a pop-up menu as the window shows it; `id` comes back when chosen.
struct MenuEntry {
  int id = 0;  // 0: a separator, or an entry that opens `submenu`
  std::string caption;
  bool checked = false;
  bool enabled = true;
  std::vector<MenuEntry> submenu;
};

// Command ids of the player pop-up menu.
namespace player_menu {
enum : int {
  kAbout = 1, kHelp, kSetColor, kZoomIn, kZoomOut, kZoomRect, kZoomReset, kAutoStart, kFlashLoop, kListLoop,
  kView, kExpandPath, kPack, kClose,
  kQualityFirst = 100,  // + quality index
  kScaleFirst = 200,    // + scale index
};
}  // namespace player_menu

class PlayerMenus {
 public:
  // Quality names the movie control takes, by item index.
  static constexpr std::array<const char*, 5> kQualityNames = {"High", "Autohigh", "Medium", "Autolow", "Low"};

  explicit PlayerMenus(PlayerOptions& options);

  // Completes the quality and scale-mode lists after their first items.
  void Build();

  // Chooses quality item `index`: the option and the control's quality.
  void ChooseQuality(int index, MovieControl& player);
  // Chooses scale-mode item `index`: the option and the control's scale mode.
  void ChooseScale(int index, MovieControl& player);

  std::vector<MenuItemState> QualityItems() const { return Checked(qualityCaptions_, options_.QualityIndex); }
  std::vector<MenuItemState> ScaleItems() const { return Checked(scaleCaptions_, options_.ScaleIndex); }
  MenuItemState& ZoomRect() { return zoomRect_; }
  const MenuItemState& ZoomRect() const { return zoomRect_; }
  // The play options' items.
  MenuItemState AutoStart() const { return {"自动播放", options_.AutoPlay, true}; }
  MenuItemState FlashLoop() const { return {"播放循环", options_.MovieLoop, true}; }
  MenuItemState ListLoop() const { return {"列表循环", options_.ListLoop, true}; }

  // The player pop-up menu as it opens: "全屏" or "还原" by the output window's state,
  // "打包" only while a movie is loaded.
  std::vector<MenuEntry> PopUpEntries(bool fullScreen, bool movieLoaded) const;

 private:
  static std::vector<MenuItemState> Checked(const std::vector<std::string>& captions, int chosen);

  PlayerOptions& options_;
  std::vector<std::string> qualityCaptions_{"高"};
  std::vector<std::string> scaleCaptions_{"全部显示"};
  MenuItemState zoomRect_{"区域放大", false, true};
};

}  // namespace tavelin
