#pragma once
// Decodes DefineMorphShape 1–2: a shape's start and end, edge for edge and style for
// style, that the player blends at each placement's ratio.

#include <cstdint>
#include <span>
#include <vector>

#include "swf/format/records.h"

namespace tavelin::swf::format {

struct MorphSegment {
  Segment start, end;
};

struct MorphPath {
  std::uint32_t fill0 = 0, fill1 = 0, line = 0;
  Point start0, start1;  // where the path begins at the start and at the end
  std::vector<MorphSegment> segments;
};

struct MorphShapeDefinition {
  std::uint16_t id = 0;
  Rect startBounds, endBounds;
  // Parallel lists: style i blends startFills[i] into endFills[i].
  std::vector<FillStyle> startFills, endFills;
  std::vector<LineStyle> startLines, endLines;
  std::vector<MorphPath> paths;
};

// `version` is 1 for DefineMorphShape, 2 for DefineMorphShape2.
MorphShapeDefinition DecodeDefineMorphShape(std::span<const std::uint8_t> body, int version);

}  // namespace tavelin::swf::format
