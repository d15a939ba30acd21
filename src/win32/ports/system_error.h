#pragma once
// The system's own descriptions of its error codes, as the user sees them in failures.

#include <string>

namespace tavelin::win32 {

// FormatMessageW's description of a system error code in the system's language, UTF-8,
// without the trailing line break. Codes the system cannot describe get a generic text
// that names the code.
std::string SystemErrorText(unsigned long code);

// Throws Failure carrying the description of a code, or of GetLastError().
[[noreturn]] void ThrowSystemError(unsigned long code);
[[noreturn]] void ThrowLastError();

}  // namespace tavelin::win32
