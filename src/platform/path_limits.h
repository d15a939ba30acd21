#pragma once
// The longest paths the system's shell takes. The file APIs reach paths of any length
// (the Win32 port gives long ones the \\?\ form), but the recycle bin, the start of a
// program and a command kept in the registry stop at MAX_PATH: the program tells the
// user so rather than failing without a word.

#include <cstddef>
#include <string_view>

namespace tavelin {

// MAX_PATH less the terminating NUL, in UTF-16 code units.
inline constexpr std::size_t kShellPathLimit = 259;

// The length of UTF-8 text in UTF-16 code units (characters beyond the Basic
// Multilingual Plane, emoji for one, take two).
std::size_t Utf16Length(std::string_view utf8);

inline bool TooLongForShell(std::string_view path) { return Utf16Length(path) > kShellPathLimit; }

}  // namespace tavelin
