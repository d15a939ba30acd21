#pragma once
// The program's name and version as the user sees them.

#include <string_view>

namespace tavelin {

// Caption of the main window and the About window.
inline constexpr std::string_view kAppTitle = "Tavelin Player(Tavelin播放器) 9.3.235.2";

}  // namespace tavelin
