#pragma once
// Keeping the windows answering while the interface thread is busy for long: a script
// running towards its time limit, a copy of a large movie, a huge library read at
// start-up. Such work calls AnswerSentMessages now and then. It answers the messages
// that other threads and programs send to this thread's windows, so the system never
// takes the windows for hung and a SendMessage to them returns; posted messages, input
// and painting wait for the message loop.
//
// While it answers, none of the program's own handlers runs: the program's windows give
// the default answer (closing waits for the message loop), so the busy work is never
// entered again from inside itself and never loses its windows under it.

#include "win32/windows_api.h"

namespace tavelin::win32 {

// Answers the sent messages waiting for this thread's windows, at most once every
// kAnswerIntervalMs; cheap to call more often. Does nothing when called from inside
// itself.
void AnswerSentMessages();
inline constexpr unsigned kAnswerIntervalMs = 50;

// True while AnswerSentMessages is answering.
bool AnsweringSentMessages();

// What a window of the program answers while AnsweringSentMessages: the default
// procedure's answer, except that closing and system commands are posted again for the
// message loop (0 now), the end of the session is refused (0) and WM_COPYDATA is not
// taken (FALSE).
LRESULT BusyAnswer(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace tavelin::win32
