#pragma once
// Turns a stroke's centre line into the outline of the area it paints. The outline runs
// along one side of the line, round the end cap, back along the other side and round the
// start cap (a closed line gives one loop per side instead), always turning the same way,
// so the non-zero rule fills it even where it overlaps itself. Inner corners go through
// the corner point; outer corners get the join.

#include "swf/format/records.h"
#include "swf/render/edge_list.h"
#include "swf/render/path_flattener.h"

namespace tavelin::swf::render {

struct StrokeGeometry {
  double halfWidth = 0.5;  // pixels
  CapStyle startCap = CapStyle::kRound;
  CapStyle endCap = CapStyle::kRound;
  JoinStyle join = JoinStyle::kRound;
  double miterLimit = 3;  // how far a miter may reach, in half widths from the corner
};

// Adds the outline of `line` stroked with `geometry` to `edges`. `scratch` is reused.
void StrokePolyline(const DevicePolyline& line, const StrokeGeometry& geometry,
                    std::vector<DevicePoint>& scratch, EdgeList& edges);

}  // namespace tavelin::swf::render
