#pragma once
// The properties every movie clip answers itself (_x, _alpha, _currentframe, ...), by
// the numbers GetProperty and SetProperty use.

#include "swf/avm1/interpreter.h"

namespace tavelin::swf::avm1 {

inline constexpr int kClipPropertyCount = 22;
namespace clip_property {
inline constexpr int kX = 0, kY = 1, kXScale = 2, kYScale = 3, kCurrentFrame = 4, kTotalFrames = 5, kAlpha = 6,
                     kVisible = 7, kWidth = 8, kHeight = 9, kRotation = 10, kTarget = 11, kFramesLoaded = 12, kName = 13,
                     kDropTarget = 14, kUrl = 15, kHighQuality = 16, kFocusRect = 17, kSoundBufTime = 18, kQuality = 19,
                     kXMouse = 20, kYMouse = 21;
}

// The property a name stands for (case ignored), or -1.
int ClipPropertyIndex(Interpreter& vm, String* name);
String* ClipPropertyName(Interpreter& vm, int index);
Value GetClipProperty(Interpreter& vm, Object* clip, int index);
void SetClipProperty(Interpreter& vm, Object* clip, int index, const Value& value);

}  // namespace tavelin::swf::avm1
