// The clip control's text fields: their editable state, laid out again after each change,
// and fields made by scripts.

#include <algorithm>
#include <cmath>

#include "swf/player/clip_control.h"
#include "swf/player/dictionary.h"
#include "swf/player/text_field.h"
#include "swf/player/text_layout.h"
#include "swf/player/timeline_runner.h"

namespace tavelin::swf::player {
namespace {

// Text sits this far (2 pixels) inside a field on each side.
constexpr std::int32_t kFieldGutter = 40;
// Fields made by scripts are at most this large (a million pixels) on a side.
constexpr double kMaxFieldTwips = 20.0 * 1'000'000;

}  // namespace

TextFieldState* ClipControl::Field(ClipAnchor& field) {
  DisplayObject* object = field.object;
  if (!object) return nullptr;
  if (object->field) return object->field.get();
  if (!std::holds_alternative<std::shared_ptr<const TextCharacter>>(object->character)) return nullptr;
  // The field's movie: a loaded movie's fields use its own characters and version.
  const TimelineRunner& runner = RunnerAround(field);
  const Dictionary& characters = runner.Characters();
  const int version = runner.MovieData().Version();
  const format::EditTextDefinition* definition = characters.FindEditText(object->characterId);
  if (!definition) return nullptr;  // static text
  object->field = std::make_shared<TextFieldState>(
      MakeFieldState(*definition, FieldContent(*definition, characters, version), version));
  return object->field.get();
}

void ClipControl::ShowField(ClipAnchor& field) {
  TextFieldState* state = Field(field);
  if (!state) return;
  format::EditTextDefinition& definition = state->definition;
  const Dictionary& characters = RunnerAround(field).Characters();
  auto laid = LayOutStyledField(definition, state->content, characters, characters.Fonts());
  if (state->autoSize != AutoSize::kNone) {
    // The field grows or shrinks around its text: downwards always, sideways from the
    // side it keeps (left, centre or right) unless its text wraps.
    Rect& b = definition.bounds;
    const auto height = static_cast<std::int32_t>(std::ceil(std::min(laid->textHeight, kMaxFieldTwips))) + 2 * kFieldGutter;
    b.yMax = b.yMin + height;
    if (!definition.wordWrap) {
      const auto width = static_cast<std::int32_t>(std::ceil(std::min(laid->textWidth, kMaxFieldTwips))) + 2 * kFieldGutter +
                         definition.leftMargin + definition.rightMargin;
      if (state->autoSize == AutoSize::kLeft) {
        b.xMax = b.xMin + width;
      } else if (state->autoSize == AutoSize::kRight) {
        b.xMin = b.xMax - width;
      } else {
        const std::int32_t middle = b.xMin + (b.xMax - b.xMin) / 2;
        b.xMin = middle - width / 2;
        b.xMax = b.xMin + width;
      }
    }
    laid = LayOutStyledField(definition, state->content, characters, characters.Fonts());
  }
  field.object->character = std::move(laid);
}

ClipAnchor* ClipControl::CreateTextField(ClipAnchor& parent, const std::string& name, int depth, const Rect& bounds) {
  ClipAnchor* clip = Attach(parent, 0, name, depth);
  if (!clip || !clip->object) return nullptr;
  format::EditTextDefinition definition;
  const auto clamp = [](std::int32_t v) {
    return static_cast<std::int32_t>(std::clamp<double>(v, -kMaxFieldTwips, kMaxFieldTwips));
  };
  definition.bounds = {clamp(bounds.xMin), clamp(bounds.xMax), clamp(bounds.yMin), clamp(bounds.yMax)};
  // A script's field is dynamic, selectable, single-line text in the system's serif font, 12 points.
  definition.readOnly = true;
  TextStyle style;
  style.face = "Times New Roman";
  style.size = 240;
  style.color = definition.color;
  StyledText empty;
  empty.styles.push_back(style);
  clip->object->field = std::make_shared<TextFieldState>(MakeFieldState(definition, std::move(empty), MovieOf(parent).Version()));
  clip->object->field->newStyle = style;
  clip->object->character = std::shared_ptr<const TextCharacter>(std::make_shared<TextCharacter>());
  ShowField(*clip);
  return clip;
}

}  // namespace tavelin::swf::player
