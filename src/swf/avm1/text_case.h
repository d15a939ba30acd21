#pragma once
// Small and capital letters as the player maps them (ASCII and beyond).

#include <string>

namespace tavelin::swf::avm1 {

char16_t LowerUnit(char16_t unit);
char16_t UpperUnit(char16_t unit);
std::u16string LowerUnits(std::u16string text);
std::u16string UpperUnits(std::u16string text);

}  // namespace tavelin::swf::avm1
