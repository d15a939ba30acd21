#include "win32/single_instance.h"

#include <exception>

#include "win32/text.h"
#include "win32/window_class.h"

namespace tavelin::win32 {
namespace {

// Marks a hand-over among other WM_COPYDATA traffic ("TAVL").
constexpr ULONG_PTR kHandOverTag = 0x5441564C;
// A command line longer than this is no command line of ours.
constexpr DWORD kMaxHandOverBytes = 1u << 20;
constexpr UINT kDeliverPending = WM_APP + 0x71;

}  // namespace

Win32InstancePort::~Win32InstancePort() {
  if (claim_ != nullptr) CloseHandle(claim_);
}

bool Win32InstancePort::Claim(const std::string& name) {
  if (claim_ != nullptr) return true;
  const std::wstring wide = Widen(name);
  HANDLE mutex = CreateMutexW(nullptr, FALSE, wide.c_str());
  if (mutex == nullptr) return false;
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    // Holding a handle would keep the name alive after its owner ended.
    CloseHandle(mutex);
    return false;
  }
  claim_ = mutex;
  return true;
}

bool Win32InstancePort::HandOver(const std::string& name, const std::string& commandLine, int timeoutMs) {
  const std::wstring title = Widen(name);
  HWND target = FindWindowExW(HWND_MESSAGE, nullptr, kHandOverWindowClass, title.c_str());
  if (target == nullptr) return false;
  // The copy that takes over may come to the front: this start had the user's click.
  DWORD process = 0;
  GetWindowThreadProcessId(target, &process);
  if (process != 0) AllowSetForegroundWindow(process);

  std::wstring text = Widen(commandLine);
  COPYDATASTRUCT data{};
  data.dwData = kHandOverTag;
  data.cbData = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  data.lpData = text.data();
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(target, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG | SMTO_BLOCK,
                           static_cast<UINT>(timeoutMs), &answer)) {
    return false;
  }
  return answer == TRUE;
}

std::int64_t Win32InstancePort::NowMs() { return static_cast<std::int64_t>(GetTickCount64()); }

void Win32InstancePort::Sleep(int ms) { ::Sleep(static_cast<DWORD>(ms)); }

HandOverReceiver::HandOverReceiver(HINSTANCE instance, const std::string& name, std::function<bool()> isOpen,
                                   std::function<void(const std::string&)> onCommandLine)
    : isOpen_(std::move(isOpen)), onCommandLine_(std::move(onCommandLine)) {
  if (!EnsureWindowClass(instance, kHandOverWindowClass, &RouteToOwner<HandOverReceiver>, nullptr, nullptr)) return;
  const std::wstring title = Widen(name);
  CreateWindowExW(0, kHandOverWindowClass, title.c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, this);
}

HandOverReceiver::~HandOverReceiver() { Close(); }

void HandOverReceiver::Close() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  hwnd_ = nullptr;
  pending_.clear();
}

LRESULT HandOverReceiver::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND self = hwnd_;
  switch (message) {
    case WM_COPYDATA: {
      const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
      if (data == nullptr || data->dwData != kHandOverTag || data->cbData % sizeof(wchar_t) != 0 ||
          data->cbData > kMaxHandOverBytes || (data->cbData > 0 && data->lpData == nullptr) ||
          (isOpen_ && !isOpen_())) {
        return FALSE;
      }
      pending_.emplace_back(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t));
      PostMessageW(self, kDeliverPending, 0, 0);
      return TRUE;
    }
    case kDeliverPending: {
      if (pending_.empty()) return 0;
      const std::wstring text = std::move(pending_.front());
      pending_.erase(pending_.begin());
      try {
        if (onCommandLine_ && (!isOpen_ || isOpen_())) onCommandLine_(Narrow(text));
      } catch (const std::exception&) {
        // Opening the movies reports its own failures; nothing leaves the window procedure.
      } catch (...) {
      }
      return 0;
    }
    case WM_DESTROY:
      hwnd_ = nullptr;
      SetWindowLongPtrW(self, GWLP_USERDATA, 0);
      return 0;
    default:
      return DefWindowProcW(self, message, wParam, lParam);
  }
}

}  // namespace tavelin::win32
