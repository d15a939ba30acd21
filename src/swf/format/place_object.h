#pragma once
// Decodes the display-list tags: PlaceObject 1–3 and RemoveObject 1–2.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "swf/format/records.h"

namespace tavelin::swf::format {

// One PlaceObject: a field left empty keeps what the object at that depth has.
struct PlaceObject {
  std::uint16_t depth = 0;
  // Move (true): change the object already at the depth (replacing its character when
  // one is given). Otherwise place a new object there.
  bool move = false;
  std::optional<std::uint16_t> characterId;
  std::optional<Matrix> matrix;
  std::optional<ColorTransform> colorTransform;
  std::optional<std::uint16_t> ratio;
  std::optional<std::string> name;
  std::optional<std::uint16_t> clipDepth;
  std::optional<std::uint8_t> blendMode;  // 0 and 1 both mean normal
  std::optional<bool> visible;
  // PlaceObject2/3 event handlers: the events (clip_event flags) and their actions,
  // which point into the tag's body.
  struct ClipAction {
    std::uint32_t events = 0;
    std::uint8_t keyCode = 0;
    std::span<const std::uint8_t> actions;
  };
  std::vector<ClipAction> clipActions;
};

// Clip events as PlaceObject's event flags hold them (first byte lowest).
namespace clip_event {
inline constexpr std::uint32_t kKeyUp = 0x80, kKeyDown = 0x40, kMouseUp = 0x20, kMouseDown = 0x10, kMouseMove = 0x08,
                               kUnload = 0x04, kEnterFrame = 0x02, kLoad = 0x01, kDragOver = 0x8000, kRollOut = 0x4000,
                               kRollOver = 0x2000, kReleaseOutside = 0x1000, kRelease = 0x0800, kPress = 0x0400,
                               kInitialize = 0x0200, kData = 0x0100, kConstruct = 0x040000, kKeyPress = 0x020000,
                               kDragOut = 0x010000;
}

// `movieVersion` decides the width of clip event flags (16 bits up to version 5).
PlaceObject DecodePlaceObject(std::span<const std::uint8_t> body, int version, int movieVersion = 6);

class Reader;
// Reads past a filter list (filters are not drawn yet), each filter by its kind's layout.
void SkipFilterList(Reader& reader);

// RemoveObject (`version` 1: character and depth) and RemoveObject2 (depth only).
std::uint16_t DecodeRemoveObjectDepth(std::span<const std::uint8_t> body, int version);

}  // namespace tavelin::swf::format
