#pragma once
// Decodes the display-list tags: PlaceObject 1–3 and RemoveObject 1–2.

#include <cstdint>
#include <optional>
#include <span>
#include <string>

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
};

PlaceObject DecodePlaceObject(std::span<const std::uint8_t> body, int version);

class Reader;
// Reads past a filter list (filters are not drawn yet), each filter by its kind's layout.
void SkipFilterList(Reader& reader);

// RemoveObject (`version` 1: character and depth) and RemoveObject2 (depth only).
std::uint16_t DecodeRemoveObjectDepth(std::span<const std::uint8_t> body, int version);

}  // namespace tavelin::swf::format
