#include "win32/ports/downloader.h"

#include <wininet.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "win32/ports/system_error.h"
#include "win32/text.h"
#include "win32/window_class.h"

namespace tavelin::win32 {
namespace {

constexpr wchar_t kDownloaderWindowClass[] = L"TavelinDownloader";
constexpr UINT kDeliverMessage = WM_APP + 1;
constexpr DWORD kReadBytes = 64 * 1024;
constexpr DWORD kTimeoutMilliseconds = 30000;

// A handle closed once, by whichever side gets to it first.
void Close(HINTERNET& handle) {
  if (handle) InternetCloseHandle(handle);
  handle = nullptr;
}

std::string ServerStatusText(HINTERNET request) {
  wchar_t text[256] = {};
  DWORD size = sizeof text - sizeof(wchar_t);
  if (!HttpQueryInfoW(request, HTTP_QUERY_STATUS_TEXT, text, &size, nullptr)) return {};
  return Narrow(std::wstring_view(text, size / sizeof(wchar_t)));
}

}  // namespace

std::string InternetErrorText(unsigned long code) {
  switch (code) {
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
      return "找不到服务器";
    case ERROR_INTERNET_CANNOT_CONNECT:
      return "无法连接到服务器";
    case ERROR_INTERNET_TIMEOUT:
      return "服务器没有及时回应";
    case ERROR_INTERNET_CONNECTION_ABORTED:
    case ERROR_INTERNET_CONNECTION_RESET:
      return "与服务器的连接中断了";
    default:
      break;
  }
  if (code >= INTERNET_ERROR_BASE && code <= INTERNET_ERROR_LAST) {
    wchar_t* buffer = nullptr;
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        GetModuleHandleW(L"wininet.dll"), code, 0, reinterpret_cast<wchar_t*>(&buffer),
                                        0, nullptr);
    std::wstring text;
    if (length != 0 && buffer != nullptr) text.assign(buffer, length);
    if (buffer != nullptr) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) text.pop_back();
    if (!text.empty()) return Narrow(text);
    return "网络错误 " + std::to_string(code);
  }
  return SystemErrorText(code);
}

// What the worker and the interface thread share about one download.
struct Win32Downloader::Job {
  std::uint64_t id = 0;
  std::wstring address;
  HWND window = nullptr;
  DownloadEvents events;  // used on the interface thread only

  std::mutex mutex;
  // Guarded by the mutex.
  bool cancelled = false;
  bool posted = false;  // a message is on its way; more bytes join it
  std::vector<std::uint8_t> bytes;
  enum class Outcome { kRunning, kFinished, kFailed } outcome = Outcome::kRunning;
  std::string reason;
  HINTERNET session = nullptr;
  HINTERNET request = nullptr;

  // Worker side: keeps a handle where Cancel can close it; false when cancelled.
  bool Keep(HINTERNET handle, HINTERNET Job::*slot) {
    std::lock_guard lock(mutex);
    if (cancelled) {
      InternetCloseHandle(handle);
      return false;
    }
    this->*slot = handle;
    return true;
  }
  void PostLocked() {
    if (posted || cancelled) return;
    posted = PostMessageW(window, kDeliverMessage, 0, static_cast<LPARAM>(id)) != 0;
  }
  void Add(const std::uint8_t* data, DWORD size) {
    std::lock_guard lock(mutex);
    bytes.insert(bytes.end(), data, data + size);
    PostLocked();
  }
  void End(Outcome how, std::string why) {
    std::lock_guard lock(mutex);
    outcome = how;
    reason = std::move(why);
    Close(request);
    Close(session);
    PostLocked();
  }
};

namespace {

// The worker: owns a share of the job, so the job outlives it whatever the interface
// thread does meanwhile; it never touches the downloader.
void Fetch(std::shared_ptr<Win32Downloader::Job> job) {
  using Outcome = Win32Downloader::Job::Outcome;
  const auto failWith = [&](DWORD code) { job->End(Outcome::kFailed, InternetErrorText(code)); };

  HINTERNET session = InternetOpenW(L"Tavelin Player", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (!session) return failWith(GetLastError());
  if (!job->Keep(session, &Win32Downloader::Job::session)) return;
  DWORD timeout = kTimeoutMilliseconds;
  for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT}) {
    InternetSetOptionW(session, option, &timeout, sizeof timeout);
  }

  const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI |
                      INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTH;
  HINTERNET request = InternetOpenUrlW(session, job->address.c_str(), nullptr, 0, flags, 0);
  if (!request) return failWith(GetLastError());
  if (!job->Keep(request, &Win32Downloader::Job::request)) return;

  DWORD status = 0;
  DWORD size = sizeof status;
  if (HttpQueryInfoW(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) &&
      status >= 400) {
    return job->End(Outcome::kFailed, ServerRefusal(static_cast<int>(status), ServerStatusText(request)));
  }

  std::vector<std::uint8_t> buffer(kReadBytes);
  for (;;) {
    // A read waits until its whole buffer is filled, so each one asks only for what has
    // come (the query waits for something to come, or the end). Both block; closing
    // the handle from the interface thread ends them.
    DWORD available = 0;
    if (!InternetQueryDataAvailable(request, &available, 0, 0)) return failWith(GetLastError());
    const DWORD wanted = available == 0 ? kReadBytes : std::min(available, kReadBytes);
    DWORD read = 0;
    if (!InternetReadFile(request, buffer.data(), wanted, &read)) return failWith(GetLastError());
    if (read == 0) break;
    job->Add(buffer.data(), read);
  }
  job->End(Outcome::kFinished, {});
}

}  // namespace

class Win32Downloader::Handle : public Download {
 public:
  Handle(Win32Downloader& owner, std::shared_ptr<Job> job) : owner_(owner), job_(std::move(job)) {}
  ~Handle() override { owner_.Cancel(job_); }

 private:
  Win32Downloader& owner_;
  std::shared_ptr<Job> job_;
};

Win32Downloader::Win32Downloader() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (EnsureWindowClass(instance, kDownloaderWindowClass, &RouteToOwner<Win32Downloader>, nullptr, nullptr)) {
    CreateWindowExW(0, kDownloaderWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, this);
  }
}

Win32Downloader::~Win32Downloader() {
  for (auto& [id, job] : jobs_) {
    job->events = {};
    std::lock_guard lock(job->mutex);
    job->cancelled = true;
    Close(job->request);
    Close(job->session);
  }
  jobs_.clear();
  if (hwnd_) DestroyWindow(hwnd_);
}

std::unique_ptr<Download> Win32Downloader::Start(const std::string& address, DownloadEvents events) {
  auto job = std::make_shared<Job>();
  job->id = nextId_++;
  job->address = Widen(address);
  job->window = hwnd_;
  job->events = std::move(events);
  jobs_.emplace(job->id, job);
  if (!hwnd_) {
    job->End(Job::Outcome::kFailed, SystemErrorText(ERROR_INVALID_WINDOW_HANDLE));
  } else {
    try {
      std::thread(Fetch, job).detach();
    } catch (const std::exception&) {
      job->End(Job::Outcome::kFailed, SystemErrorText(ERROR_NOT_ENOUGH_MEMORY));
    }
  }
  return std::make_unique<Handle>(*this, job);
}

void Win32Downloader::Cancel(const std::shared_ptr<Job>& job) {
  jobs_.erase(job->id);
  // The handlers belong to the interface thread; the worker may hold the job longest.
  job->events = {};
  std::lock_guard lock(job->mutex);
  job->cancelled = true;
  // Ends a connect or read the worker is blocked in.
  Close(job->request);
  Close(job->session);
}

void Win32Downloader::Deliver(std::uint64_t id) {
  const auto found = jobs_.find(id);
  if (found == jobs_.end()) return;
  const std::shared_ptr<Job> job = found->second;  // kept while its events run
  std::vector<std::uint8_t> bytes;
  Job::Outcome outcome;
  std::string reason;
  {
    std::lock_guard lock(job->mutex);
    bytes.swap(job->bytes);
    outcome = job->outcome;
    reason = job->reason;
    job->posted = false;
  }
  const auto active = [&] { return jobs_.count(id) != 0; };
  const DownloadEvents events = job->events;  // a handler may end the download
  if (!bytes.empty() && events.received) events.received(bytes);
  if (outcome == Job::Outcome::kRunning || !active()) return;
  jobs_.erase(id);
  if (outcome == Job::Outcome::kFinished) {
    if (events.finished) events.finished();
  } else if (events.failed) {
    events.failed(reason);
  }
}

LRESULT Win32Downloader::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kDeliverMessage) {
    try {
      Deliver(static_cast<std::uint64_t>(lParam));
    } catch (...) {
      // No failure leaves a window procedure; the handlers report their own.
    }
    return 0;
  }
  if (message == WM_DESTROY) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    hwnd_ = nullptr;
    return 0;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace tavelin::win32
