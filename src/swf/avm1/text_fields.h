#pragma once
// Text fields seen from scripts: the keyboard focus (Selection), clicks that focus a
// field, typing into input fields, and the variables bound fields keep in step.

#include "swf/avm1/interpreter.h"

namespace tavelin::swf::player {
struct TextFieldState;
}

namespace tavelin::swf::avm1 {

// The field's state when `object` is a text field (null otherwise).
player::TextFieldState* FieldOf(Interpreter& vm, Object* object);
// Lays the field out again after its state changed.
void ShowField(Interpreter& vm, Object* field);
// Gives an unrotated text field a new width or height (pixels on its parent) by moving
// its bounds' right or bottom edge; false for anything else.
bool ResizeField(Interpreter& vm, Object* field, bool width, double pixels);
// Sets the variable the field is bound to (if any) to the field's text.
void StoreFieldVariable(Interpreter& vm, Object* field, const player::TextFieldState& state);

// Gives the keyboard focus to `field` (null: to nothing), telling the fields that lose
// and gain it (onKillFocus, onSetFocus) and Selection's listeners. False when `field`
// cannot take the focus.
bool SetFocus(Interpreter& vm, Object* field);
// The field or clip with the keyboard focus; null when none (or it was removed).
Object* FocusedObject(Interpreter& vm);
// A press at the stage point (twips): the selectable field under it takes the focus,
// or the focus leaves the field that had it.
void FocusAt(Interpreter& vm, double x, double y);
// A key pressed while an input field has the focus: characters are inserted at the
// caret, Backspace and Delete remove one, the arrows, Home and End move the caret. The
// bound variable follows and the field hears onChanged. True when the text changed.
bool TypeKey(Interpreter& vm, int virtualKey, int character);
// Whether a text field that shows the I-beam lies under the stage point.
bool FieldAt(Interpreter& vm, double x, double y);

// A TextFormat with every value null, as `new TextFormat()` makes it.
Object* NewTextFormat(Interpreter& vm);

void InstallSelection(Interpreter& vm);
void InstallTextFormat(Interpreter& vm);

}  // namespace tavelin::swf::avm1
