#pragma once
// Whether a point falls inside what an object draws: the filled areas of its shapes
// (curves followed closely), the boxes of its texts, and the same for a sprite's
// children; for buttons, the characters of the hit area.

#include "swf/player/display_list.h"

namespace tavelin::swf::player {

// `x`, `y` in the shape's own twips.
bool ShapeContains(const Shape& shape, double x, double y);
// `x`, `y` in the object's parent's twips.
// With `evenHidden` the object itself counts though invisible (a script's hitTest).
bool ObjectContains(const DisplayObject& object, double x, double y, int nesting = 0, bool evenHidden = false);
// The inverse of `m`; identity when it has none.
Matrix Inverse(const Matrix& m);

}  // namespace tavelin::swf::player
