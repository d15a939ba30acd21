#pragma once
// Paths handed to the wide file APIs. Paths of MAX_PATH characters or more only work
// in the \\?\ form, which the system takes literally: it must be absolute and use
// backslashes, so such paths are made full first.

#include <string>

namespace tavelin::win32 {

// The form of a UTF-8 path to pass to the wide file APIs: unchanged when short, else
// made absolute and given the \\?\ prefix (\\?\UNC\server\share\... for a network path).
std::wstring SystemPath(const std::string& utf8Path);

// The same for a path already in UTF-16.
std::wstring SystemPath(std::wstring path);

}  // namespace tavelin::win32
