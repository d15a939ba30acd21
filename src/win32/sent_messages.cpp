#include "win32/sent_messages.h"

namespace tavelin::win32 {
namespace {

// The interface thread's state; the other threads never answer messages here.
thread_local bool answering = false;
thread_local ULONGLONG lastAnswered = 0;

}  // namespace

void AnswerSentMessages() {
  if (answering) return;
  const ULONGLONG now = GetTickCount64();
  if (now - lastAnswered < kAnswerIntervalMs) return;
  lastAnswered = now;
  answering = true;
  // With only QS_SENDMESSAGE in its mask, the peek delivers the sent messages and
  // looks at nothing posted, so no timer, input or paint is taken from the queue.
  MSG message;
  PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
  answering = false;
}

bool AnsweringSentMessages() { return answering; }

LRESULT BusyAnswer(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
    case WM_SYSCOMMAND:
      // Closing and the window menu's commands wait for the message loop.
      PostMessageW(hwnd, message, wParam, lParam);
      return 0;
    case WM_QUERYENDSESSION:
    case WM_ENDSESSION:
    case WM_COPYDATA:
      return 0;
    default:
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

}  // namespace tavelin::win32
