#pragma once
// What scripts draw into a clip with its drawing methods (moveTo, lineTo, curveTo,
// beginFill, lineStyle, ...), kept as an ordinary shape in the clip's own twips, so the
// renderer, the bounds and the hit tests treat it like any other shape.
//
// Each fill begun starts a style group of its own, so a later fill lies over earlier
// fills and strokes; strokes drawn while a fill is open lie over that fill. An outline
// of a fill is closed by a straight edge back to where it started, stroked with the line
// style in force, when the fill ends (endFill, a new beginFill) or moveTo starts another
// outline; until then a provisional edge shows it closed.

#include <cstddef>
#include <memory>
#include <optional>

#include "swf/format/records.h"

namespace tavelin::swf::player {

class ClipDrawing {
 public:
  // Edges past this many are ignored, so a script drawing without end stays bounded.
  static constexpr std::size_t kMaxEdges = 100000;
  // Coordinates are clamped to this many twips either way.
  static constexpr std::int32_t kMaxCoordinate = 1 << 28;

  // Forgets every edge, the fill in progress and the line style.
  void Clear();
  // The style of the lines drawn from now on; nullopt: edges are drawn without a line.
  void SetLineStyle(const std::optional<LineStyle>& style);
  // Closes the fill in progress and starts a new one; nullopt: no fill from now on.
  void BeginFill(const std::optional<FillStyle>& fill);
  void EndFill();
  // Points in twips.
  void MoveTo(Point to);
  void LineTo(Point to);
  void CurveTo(Point control, Point to);

  // The drawing as a shape, with bounds that include the strokes; null when nothing has
  // been drawn. Valid until the next change.
  std::shared_ptr<const Shape> AsShape() const;

 private:
  Shape& Edit();
  StyleGroup& Group();
  void StartGroup();
  void AddEdge(const Segment& segment);
  void DropProvisionalClose();
  void AddProvisionalClose();
  void CloseFill();
  void CloseOutline();
  void Include(double x, double y, double margin);

  std::shared_ptr<Shape> shape_;
  bool hasBounds_ = false;
  std::optional<LineStyle> line_;
  std::uint32_t lineIndex_ = 0;  // the line style's number in the current group; 0: not there yet
  bool filling_ = false;
  bool pathOpen_ = false;        // the last path goes on from the pen with the current styles
  bool provisionalClose_ = false;  // the last path is the fill's provisional closing edge
  Point pen_;
  Point outlineStart_;  // where the fill's current outline began
  std::size_t edges_ = 0;
};

}  // namespace tavelin::swf::player
