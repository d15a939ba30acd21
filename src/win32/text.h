#pragma once
// Conversions at the Win32 boundary: UTF-8 inside the program, UTF-16 for the W APIs.

#include <string>
#include <string_view>

namespace tavelin::win32 {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace tavelin::win32
