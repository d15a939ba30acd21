#pragma once
// The built-in classes and global functions, installed into a fresh interpreter.

#include <span>

#include "swf/avm1/interpreter.h"

namespace tavelin::swf::avm1 {

inline Value Arg(std::span<const Value> args, std::size_t i) { return i < args.size() ? args[i] : Value(); }

void InstallObjectAndFunction(Interpreter& vm);
void InstallGlobalFunctions(Interpreter& vm);
// Object.prototype.watch and unwatch.
void InstallWatch(Interpreter& vm);
void InstallArray(Interpreter& vm);
void InstallStringNumberBoolean(Interpreter& vm);
void InstallMathAndDate(Interpreter& vm);
void InstallMovieClip(Interpreter& vm);
// The drawing methods (lineStyle, beginFill, lineTo, ...) on the MovieClip prototype.
void InstallClipDrawing(Interpreter& vm, Object* clipProto);
void InstallInputObjects(Interpreter& vm);
void InstallLoading(Interpreter& vm);
// getURL with a level or clip for its window (load or unload there); false for others.
bool StartScriptLoad(Interpreter& vm, Object* base, const std::string& url, const std::string& window, int flags);
void InstallSound(Interpreter& vm);
void InstallTextField(Interpreter& vm);
// flash.geom.Matrix (SWF 8 and later), for gradient fills.
void InstallGeometry(Interpreter& vm);
void InstallSystem(Interpreter& vm);

}  // namespace tavelin::swf::avm1
