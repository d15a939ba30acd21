#pragma once
// A small modal box that asks for one line of text: a prompt (several lines allowed),
// an edit control holding the initial text, all selected, and the OK and Cancel
// buttons. Enter answers OK, Esc answers Cancel.

#include "win32/windows_api.h"

#include <optional>
#include <string>

namespace tavelin::win32 {

inline constexpr int kInputBoxPromptId = 100;
inline constexpr int kInputBoxEditId = 101;

// Shows the box owned by owner and returns the text typed, or nothing on Cancel.
// Throws Failure when the system cannot show it.
std::optional<std::wstring> RunInputBox(HWND owner, const std::wstring& prompt, const std::wstring& title,
                                        const std::wstring& initial);

}  // namespace tavelin::win32
