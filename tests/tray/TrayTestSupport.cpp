#include "TrayTestSupport.h"

#include <fcntl.h>
#include <io.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "app/AppModule.h"
#include "res/resource.h"
#include "tools/WinTestSupport.h"

namespace traytest {

namespace {

const int kOurIcons[] = {IDI_APP,
                         IDI_STATUS_RECORDING,
                         IDI_STATUS_NOT_CONNECTED,
                         IDI_STATUS_NOT_AUTHORIZED,
                         IDI_STATUS_MONITORED,
                         IDI_STATUS_CONNECTED,
                         IDI_STATUS_RECORDING_LEGACY,
                         IDI_STATUS_NOT_CONNECTED_LEGACY,
                         IDI_STATUS_NOT_AUTHORIZED_LEGACY,
                         IDI_STATUS_MONITORED_LEGACY,
                         IDI_STATUS_CONNECTED_LEGACY};

}  // namespace

int IconIdOf(HICON icon) {
  if (!icon) return 0;
  for (int id : kOurIcons) {
    // Shared icons: the same resource at the same size is the same handle.
    HICON ours = static_cast<HICON>(::LoadImageA(g_appModule.GetResourceInstance(),
                                                 MAKEINTRESOURCEA(id), IMAGE_ICON,
                                                 ::GetSystemMetrics(SM_CXICON),
                                                 ::GetSystemMetrics(SM_CYICON), LR_SHARED));
    if (ours == icon) return id;
  }
  return -1;
}

std::string Describe(const ShellCall& call) {
  std::ostringstream out;
  if (call.message == NIM_ADD) {
    out << "add " << call.iconId << " '" << call.tip << "'";
  } else if (call.message == NIM_DELETE) {
    out << "delete";
  } else if (call.flags == (NIF_ICON | NIF_TIP)) {
    out << "icon+tip " << call.iconId << " '" << call.tip << "'";
  } else if (call.flags == NIF_ICON) {
    out << "icon " << call.iconId;
  } else if (call.flags == NIF_INFO && call.info.empty()) {
    out << "balloon off";
  } else if (call.flags == (NIF_INFO | NIF_REALTIME)) {
    out << "balloon '" << call.title << "' '" << call.info << "'";
  } else {
    out << "modify flags=" << call.flags;
  }
  return out.str();
}

EdgeLog& EdgeLog::Get() {
  static EdgeLog log;
  return log;
}

void EdgeLog::Reset() {
  std::lock_guard<std::mutex> guard(mutex_);
  shell_.clear();
  refuseAdds_ = 0;
  passToShell_ = true;
  menus_.clear();
  realMenu_ = true;
  placeCursor_ = false;
  processes_.clear();
  closed_.clear();
  failProcess_ = false;
  placements_.clear();
  refusePosts_ = 0;
  endEverySlice_ = false;
  leapingClock_ = 0;
}

std::vector<ShellCall> EdgeLog::ShellCalls() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return shell_;
}

std::vector<std::string> EdgeLog::Described() const {
  std::vector<std::string> out;
  for (const ShellCall& call : ShellCalls()) out.push_back(Describe(call));
  return out;
}

void EdgeLog::RefuseAdds(int count) {
  std::lock_guard<std::mutex> guard(mutex_);
  refuseAdds_ = count;
}

void EdgeLog::PassToShell(bool pass) {
  std::lock_guard<std::mutex> guard(mutex_);
  passToShell_ = pass;
}

std::vector<EdgeLog::MenuCall> EdgeLog::MenuCalls() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return menus_;
}

void EdgeLog::ShowRealMenu(bool real) {
  std::lock_guard<std::mutex> guard(mutex_);
  realMenu_ = real;
}

void EdgeLog::PlaceCursor(bool place, POINT at) {
  std::lock_guard<std::mutex> guard(mutex_);
  placeCursor_ = place;
  cursor_ = at;
}

std::vector<EdgeLog::ProcessCall> EdgeLog::ProcessCalls() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return processes_;
}

std::vector<HANDLE> EdgeLog::ClosedHandles() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return closed_;
}

void EdgeLog::FailProcessStart(bool fail) {
  std::lock_guard<std::mutex> guard(mutex_);
  failProcess_ = fail;
}

std::vector<EdgeLog::PlacementCall> EdgeLog::PlacementCalls() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return placements_;
}

void EdgeLog::RefusePosts(int count) {
  std::lock_guard<std::mutex> guard(mutex_);
  refusePosts_ = count;
}

void EdgeLog::EndEverySlice(bool end) {
  std::lock_guard<std::mutex> guard(mutex_);
  endEverySlice_ = end;
}

FrameEdges EdgeLog::Edges(const vesk::ServiceEdge& service) const {
  FrameEdges edges;
  edges.service = service;
  edges.tray.shellNotifyIcon = &EdgeLog::ShellNotifyIcon;
  edges.tray.trackPopupMenu = &EdgeLog::TrackPopupMenu;
  edges.tray.getCursorPos = &EdgeLog::GetCursorPos;
  edges.process.createProcess = &EdgeLog::CreateProcess;
  edges.process.closeHandle = &EdgeLog::CloseHandle;
  edges.placement.shellNotifyIconGetRect = &EdgeLog::ShellNotifyIconGetRect;
  edges.events.postMessage = &EdgeLog::PostFrameMessage;
  edges.events.queryPerformanceCounter = &EdgeLog::DrainClock;
  return edges;
}

BOOL WINAPI EdgeLog::ShellNotifyIcon(DWORD message, PNOTIFYICONDATAA data) {
  EdgeLog& log = Get();
  ShellCall call;
  call.message = message;
  call.flags = data->uFlags;
  call.window = data->hWnd;
  call.id = data->uID;
  call.callbackMessage = data->uCallbackMessage;
  call.iconId = IconIdOf(data->hIcon);
  call.tip.assign(data->szTip, strnlen(data->szTip, sizeof data->szTip));
  call.info.assign(data->szInfo, strnlen(data->szInfo, sizeof data->szInfo));
  call.title.assign(data->szInfoTitle, strnlen(data->szInfoTitle, sizeof data->szInfoTitle));
  call.timeout = data->uTimeout;
  call.infoFlags = data->dwInfoFlags;
  call.cbSize = data->cbSize;
  call.thread = ::GetCurrentThreadId();
  bool refuse = false;
  bool pass = true;
  {
    std::lock_guard<std::mutex> guard(log.mutex_);
    log.shell_.push_back(call);
    if (message == NIM_ADD && log.refuseAdds_ > 0) {
      --log.refuseAdds_;
      refuse = true;
    }
    pass = log.passToShell_;
  }
  if (refuse) return FALSE;
  if (!pass) return TRUE;
  return ::Shell_NotifyIconA(message, data);
}

BOOL WINAPI EdgeLog::TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner,
                                    const RECT* rect) {
  EdgeLog& log = Get();
  bool real = true;
  {
    std::lock_guard<std::mutex> guard(log.mutex_);
    log.menus_.push_back(MenuCall{x, y, flags, owner});
    real = log.realMenu_;
  }
  return real ? ::TrackPopupMenu(menu, flags, x, y, reserved, owner, rect) : TRUE;
}

BOOL WINAPI EdgeLog::GetCursorPos(LPPOINT point) {
  EdgeLog& log = Get();
  {
    std::lock_guard<std::mutex> guard(log.mutex_);
    if (log.placeCursor_) {
      *point = log.cursor_;
      return TRUE;
    }
  }
  return ::GetCursorPos(point);
}

BOOL WINAPI EdgeLog::CreateProcess(LPCSTR application, LPSTR commandLine,
                                   LPSECURITY_ATTRIBUTES processAttributes,
                                   LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                                   DWORD creationFlags, LPVOID environment,
                                   LPCSTR currentDirectory, LPSTARTUPINFOA startup,
                                   LPPROCESS_INFORMATION information) {
  EdgeLog& log = Get();
  ProcessCall call;
  call.commandLine = commandLine ? commandLine : "<null>";
  call.applicationNull = application == nullptr && processAttributes == nullptr &&
                         threadAttributes == nullptr && environment == nullptr &&
                         currentDirectory == nullptr;
  call.startupSize = startup->cb;
  STARTUPINFOA zero{};
  zero.cb = startup->cb;
  call.startupRestZero = std::memcmp(&zero, startup, sizeof zero) == 0;
  call.inheritHandles = inheritHandles;
  call.creationFlags = creationFlags;
  std::lock_guard<std::mutex> guard(log.mutex_);
  log.processes_.push_back(call);
  if (log.failProcess_) {
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  information->hProcess = FakeProcessHandle();
  information->hThread = FakeThreadHandle();
  information->dwProcessId = 4242;
  information->dwThreadId = 4243;
  return TRUE;
}

BOOL WINAPI EdgeLog::CloseHandle(HANDLE handle) {
  EdgeLog& log = Get();
  std::lock_guard<std::mutex> guard(log.mutex_);
  log.closed_.push_back(handle);
  return TRUE;
}

HRESULT WINAPI EdgeLog::ShellNotifyIconGetRect(const NOTIFYICONIDENTIFIER* identifier, RECT* rect) {
  EdgeLog& log = Get();
  std::lock_guard<std::mutex> guard(log.mutex_);
  log.placements_.push_back(PlacementCall{identifier->cbSize, identifier->hWnd, identifier->uID});
  *rect = IconRect();
  return S_OK;
}

BOOL WINAPI EdgeLog::PostFrameMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  EdgeLog& log = Get();
  {
    std::lock_guard<std::mutex> guard(log.mutex_);
    if (log.refusePosts_ > 0) {
      --log.refusePosts_;
      ::SetLastError(ERROR_NOT_ENOUGH_QUOTA);
      return FALSE;
    }
  }
  return ::PostMessageA(window, message, wParam, lParam);
}

BOOL WINAPI EdgeLog::DrainClock(LARGE_INTEGER* counter) {
  EdgeLog& log = Get();
  {
    std::lock_guard<std::mutex> guard(log.mutex_);
    if (log.endEverySlice_) {
      // A leap of hours at every reading, from wherever the real counter stood.
      if (log.leapingClock_ == 0) {
        ::QueryPerformanceCounter(counter);
        log.leapingClock_ = counter->QuadPart;
      }
      log.leapingClock_ += LONGLONG{1} << 36;
      counter->QuadPart = log.leapingClock_;
      return TRUE;
    }
  }
  return ::QueryPerformanceCounter(counter);
}

// ----------------------------------------------------------------- UiSteps

UiSteps::UiSteps(std::function<bool()> step, UINT periodMs) : step_(std::move(step)) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = &UiSteps::WindowProc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = "SivrelTrayTestSteps";
  ::RegisterClassA(&wc);  // fails harmlessly when already registered
  window_ = ::CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              wc.hInstance, nullptr);
  ::SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  ::SetTimer(window_, 1, periodMs, nullptr);
}

UiSteps::~UiSteps() {
  if (window_) {
    ::SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
    ::DestroyWindow(window_);
  }
}

LRESULT CALLBACK UiSteps::WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_TIMER) {
    auto* self = reinterpret_cast<UiSteps*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (self && !self->finished_) {
      // Marked first: the step may enter a nested loop in which this timer fires again.
      self->finished_ = true;
      if (!self->step_()) self->finished_ = false;
      if (self->finished_) ::KillTimer(hWnd, 1);
    }
    return 0;
  }
  return ::DefWindowProcA(hWnd, msg, wParam, lParam);
}

// ----------------------------------------------------------------- FrameHarness

FrameHarness::FrameHarness() {
  EdgeLog::Get().Reset();
  // As start-up does: the module knows this thread's loop, where the comments window adds
  // its filter.
  g_appModule.Initialize(::GetModuleHandleA(nullptr));
  g_appModule.RegisterLoop(&loop);
}

FrameHarness::~FrameHarness() {
  if (frame && frame->m_hWnd && ::IsWindow(frame->m_hWnd)) ::DestroyWindow(frame->m_hWnd);
  frame.reset();
  // The frame's end posted a quit request; it must not end the next test's loop.
  wintest::PumpIdle(100);
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  g_appModule.UnregisterLoop();
}

bool FrameHarness::Create() {
  frame = std::make_unique<CMainFrame>(EdgeLog::Get().Edges(service.Edge()));
  if (!frame->CreateEx()) return false;
  frame->ShowWindow(SW_HIDE);
  created_ = true;
  return Settle();
}

bool FrameHarness::Settle(DWORD timeoutMs) {
  const bool drained =
      wintest::PumpUntil([&] { return !frame || frame->PendingServiceEvents() == 0; }, timeoutMs);
  wintest::PumpIdle(50);
  return drained;
}

int FrameHarness::RunLoop(DWORD timeoutMs) {
  const DWORD uiThread = ::GetCurrentThreadId();
  std::mutex mutex;
  std::condition_variable ended;
  bool done = false;
  std::atomic<bool> timedOut{false};
  std::thread watchdog([&] {
    std::unique_lock<std::mutex> lock(mutex);
    if (ended.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return done; })) return;
    timedOut = true;
    // A nested loop may swallow quit requests: keep asking until the loop has ended.
    while (!ended.wait_for(lock, std::chrono::milliseconds(200), [&] { return done; })) {
      ::PostThreadMessageA(uiThread, WM_QUIT, 99, 0);
    }
  });
  const int code = loop.Run();
  {
    std::lock_guard<std::mutex> guard(mutex);
    done = true;
  }
  ended.notify_all();
  watchdog.join();
  return timedOut ? -1 : code;
}

bool FrameHarness::ControlShown(int id) {
  HWND control = ::GetDlgItem(Comments(), id);
  return control && (::GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

LRESULT FrameHarness::TrayCallback(UINT code, UINT id) {
  return ::SendMessageA(Window(), frame->m_uTrayMessage, id, MAKELPARAM(code, 0));
}

LRESULT FrameHarness::Command(UINT id) { return ::SendMessageA(Window(), WM_COMMAND, id, 0); }

// ----------------------------------------------------------------- StderrCapture

StderrCapture::StderrCapture() {
  char dir[MAX_PATH] = "";
  ::GetTempPathA(MAX_PATH, dir);
  char file[MAX_PATH] = "";
  ::GetTempFileNameA(dir, "err", 0, file);
  path_ = file;
  std::fflush(stderr);
  savedFd_ = _dup(2);
  const int fd = _open(path_.c_str(), _O_WRONLY | _O_TRUNC | _O_CREAT | _O_BINARY, 0600);
  _dup2(fd, 2);
  _close(fd);
}

std::string StderrCapture::Text() {
  if (!done_) {
    std::fflush(stderr);
    _dup2(savedFd_, 2);
    _close(savedFd_);
    done_ = true;
  }
  std::ifstream in(path_, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

StderrCapture::~StderrCapture() {
  Text();
  ::DeleteFileA(path_.c_str());
}

}  // namespace traytest
