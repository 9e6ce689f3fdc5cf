#include "TrayTestSupport.h"

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <thread>

#include "app/AppModule.h"
#include "comments/BitmapSets.h"
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

// The resource id of one of our icons as the tray loads it, 0 for none, -1 for another.
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

struct Face {
  const char* name;
  int resourceId;
};

// The name of the face among `faces` that `shown` has the pixels of, or "?".
std::string FaceName(HBITMAP shown, std::initializer_list<Face> faces) {
  for (const Face& face : faces) {
    HBITMAP resource = static_cast<HBITMAP>(
        ::LoadImageA(g_appModule.GetResourceInstance(), MAKEINTRESOURCEA(face.resourceId),
                     IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    const bool same = wintest::SameBitmap(shown, resource);
    ::DeleteObject(resource);
    if (same) return face.name;
  }
  return "?";
}

}  // namespace

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

FrameEdges EdgeRecorder::Edges(const vesk::ServiceEdge& service) {
  FrameEdges edges;
  edges.service = service;
  edges.tray.shellNotifyIcon = &EdgeRecorder::ShellNotifyIcon;
  edges.tray.trackPopupMenu = &EdgeRecorder::TrackPopupMenu;
  edges.tray.getCursorPos = &EdgeRecorder::GetCursorPos;
  edges.tray.context = this;
  edges.process.createProcess = &EdgeRecorder::CreateProcess;
  edges.process.closeHandle = &EdgeRecorder::CloseHandle;
  edges.process.context = this;
  edges.placement.shellNotifyIconGetRect = &EdgeRecorder::ShellNotifyIconGetRect;
  edges.placement.context = this;
  edges.events.postMessage = &EdgeRecorder::PostMessage;
  edges.events.nowMicroseconds = &EdgeRecorder::NowMicroseconds;
  edges.events.context = this;
  return edges;
}

std::vector<ShellCall> EdgeRecorder::ShellCalls() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return shell_;
}

Lines EdgeRecorder::Described() const { return DescribedSince(0); }

Lines EdgeRecorder::DescribedSince(std::size_t from) const {
  Lines out;
  const std::vector<ShellCall> calls = ShellCalls();
  for (std::size_t i = from; i < calls.size(); ++i) out.push_back(Describe(calls[i]));
  return out;
}

void EdgeRecorder::RefuseAdds(int count) {
  std::lock_guard<std::mutex> guard(mutex_);
  refuseAdds_ = count;
}

std::vector<EdgeRecorder::MenuCall> EdgeRecorder::MenuCalls() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return menus_;
}

void EdgeRecorder::FakeMenuAt(POINT cursor) {
  std::lock_guard<std::mutex> guard(mutex_);
  fakeMenu_ = true;
  cursor_ = cursor;
}

std::vector<EdgeRecorder::ProcessCall> EdgeRecorder::ProcessCalls() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return processes_;
}

std::vector<HANDLE> EdgeRecorder::ClosedHandles() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return closed_;
}

void EdgeRecorder::FailProcessStart(bool fail) {
  std::lock_guard<std::mutex> guard(mutex_);
  failProcess_ = fail;
}

std::vector<EdgeRecorder::PlacementCall> EdgeRecorder::PlacementCalls() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return placements_;
}

void EdgeRecorder::RefusePosts(int count) {
  std::lock_guard<std::mutex> guard(mutex_);
  refusePosts_ = count;
}

void EdgeRecorder::EndEverySlice(bool end) {
  std::lock_guard<std::mutex> guard(mutex_);
  endEverySlice_ = end;
}

BOOL EdgeRecorder::ShellNotifyIcon(void* self, DWORD message, PNOTIFYICONDATAA data) {
  auto& recorder = *static_cast<EdgeRecorder*>(self);
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
  {
    std::lock_guard<std::mutex> guard(recorder.mutex_);
    recorder.shell_.push_back(call);
    if (message == NIM_ADD && recorder.refuseAdds_ > 0) {
      --recorder.refuseAdds_;
      return FALSE;
    }
  }
  return ::Shell_NotifyIconA(message, data);
}

BOOL EdgeRecorder::TrackPopupMenu(void* self, HMENU menu, UINT flags, int x, int y, HWND owner) {
  auto& recorder = *static_cast<EdgeRecorder*>(self);
  {
    std::lock_guard<std::mutex> guard(recorder.mutex_);
    recorder.menus_.push_back(MenuCall{x, y, flags, owner});
    if (recorder.fakeMenu_) return TRUE;
  }
  return ::TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr);
}

BOOL EdgeRecorder::GetCursorPos(void* self, POINT* point) {
  auto& recorder = *static_cast<EdgeRecorder*>(self);
  {
    std::lock_guard<std::mutex> guard(recorder.mutex_);
    if (recorder.fakeMenu_) {
      *point = recorder.cursor_;
      return TRUE;
    }
  }
  return ::GetCursorPos(point);
}

BOOL EdgeRecorder::CreateProcess(void* self, LPCSTR application, LPSTR commandLine,
                                 LPSECURITY_ATTRIBUTES processAttributes,
                                 LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                                 DWORD creationFlags, LPVOID environment, LPCSTR currentDirectory,
                                 LPSTARTUPINFOA startup, LPPROCESS_INFORMATION information) {
  auto& recorder = *static_cast<EdgeRecorder*>(self);
  ProcessCall call;
  call.commandLine = commandLine ? commandLine : "<null>";
  call.application = application ? application : "<null>";
  call.onlyCommandLine = processAttributes == nullptr && threadAttributes == nullptr &&
                         environment == nullptr && currentDirectory == nullptr;
  call.startupSize = startup->cb;
  STARTUPINFOA zero{};
  zero.cb = startup->cb;
  call.startupRestZero = std::memcmp(&zero, startup, sizeof zero) == 0;
  call.inheritHandles = inheritHandles;
  call.creationFlags = creationFlags;
  std::lock_guard<std::mutex> guard(recorder.mutex_);
  recorder.processes_.push_back(call);
  if (recorder.failProcess_) {
    ::SetLastError(ERROR_FILE_NOT_FOUND);
    return FALSE;
  }
  information->hProcess = FakeProcessHandle();
  information->hThread = FakeThreadHandle();
  information->dwProcessId = 4242;
  information->dwThreadId = 4243;
  return TRUE;
}

BOOL EdgeRecorder::CloseHandle(void* self, HANDLE handle) {
  auto& recorder = *static_cast<EdgeRecorder*>(self);
  std::lock_guard<std::mutex> guard(recorder.mutex_);
  recorder.closed_.push_back(handle);
  return TRUE;
}

HRESULT EdgeRecorder::ShellNotifyIconGetRect(void* self, const NOTIFYICONIDENTIFIER* icon,
                                             RECT* rect) {
  auto& recorder = *static_cast<EdgeRecorder*>(self);
  std::lock_guard<std::mutex> guard(recorder.mutex_);
  recorder.placements_.push_back(PlacementCall{icon->hWnd, icon->uID});
  *rect = RECT{1200, 776, 1224, 800};
  return S_OK;
}

BOOL EdgeRecorder::PostMessage(void* self, HWND window, UINT message, WPARAM wParam,
                               LPARAM lParam) {
  auto& recorder = *static_cast<EdgeRecorder*>(self);
  {
    std::lock_guard<std::mutex> guard(recorder.mutex_);
    if (recorder.refusePosts_ > 0) {
      --recorder.refusePosts_;
      ::SetLastError(ERROR_NOT_ENOUGH_QUOTA);
      return FALSE;
    }
  }
  return recorder.realPump_.postMessage(nullptr, window, message, wParam, lParam);
}

LONGLONG EdgeRecorder::NowMicroseconds(void* self) {
  auto& recorder = *static_cast<EdgeRecorder*>(self);
  std::lock_guard<std::mutex> guard(recorder.mutex_);
  const LONGLONG now = recorder.realPump_.nowMicroseconds(nullptr);
  if (!recorder.endEverySlice_) return now;
  // A leap of hours at every reading, from wherever the real clock stood.
  recorder.leapingClock_ = std::max(recorder.leapingClock_, now) + 3600LL * 1000000;
  return recorder.leapingClock_;
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
  frame = std::make_unique<CMainFrame>(edges.Edges(service.Edge()));
  if (!frame->CreateEx()) return false;
  frame->ShowWindow(SW_HIDE);
  created_ = true;
  return Settle();
}

bool FrameHarness::Settle(DWORD timeoutMs) {
  // A raise has posted its wake-up by the time it returns, and a drain that yields posts the
  // next before it returns: no wake-up in the queue means nothing raised so far is left.
  const bool drained = wintest::PumpUntil(
      [&] {
        MSG msg;
        return !frame || !::IsWindow(Window()) ||
               !::PeekMessageA(&msg, Window(), WM_SERVICE_EVENTS, WM_SERVICE_EVENTS, PM_NOREMOVE);
      },
      timeoutMs);
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

bool FrameHarness::ControlShown(int id) const {
  HWND control = Control(id);
  return control && (::GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0;
}

std::string FrameHarness::Look() const {
  HDC screen = ::GetDC(nullptr);
  const comments::BitmapSet* set = comments::BitmapSetForDpi(::GetDeviceCaps(screen, LOGPIXELSX));
  ::ReleaseDC(nullptr, screen);
  if (!set) return "no bitmap set for this DPI";
  const auto image = [&](int id, UINT message) {
    HWND control = id ? Control(id) : ::GetWindow(Comments(), GW_CHILD);  // the title has no id
    return reinterpret_cast<HBITMAP>(::SendMessageA(control, message, IMAGE_BITMAP, 0));
  };
  const auto flag = [&](const std::string& name, int id) {
    return " " + name + (ControlShown(id) ? "+" : "-");
  };
  return FaceName(image(0, STM_GETIMAGE), {{"idle", set->titleIdle},
                                          {"recording", set->titleRecording},
                                          {"paused", set->titlePaused}}) +
         flag(FaceName(image(IDC_START_SUBMIT, BM_GETIMAGE),
                       {{"start", set->start}, {"submit", set->submit}, {"submitted", set->submitted}}),
              IDC_START_SUBMIT) +
         flag(FaceName(image(IDC_PAUSE_RESUME, BM_GETIMAGE),
                       {{"pause", set->pause}, {"resume", set->resume}}),
              IDC_PAUSE_RESUME) +
         flag("stop", IDC_STOP) + flag("what", IDC_WHAT_IS_THIS) + flag("comment", IDC_COMMENT) +
         flag("uploading", IDC_UPLOADING) + flag("uploaded", IDC_UPLOADED);
}

LRESULT FrameHarness::TrayCallback(UINT code, UINT id) {
  return ::SendMessageA(Window(), ::RegisterWindowMessageA("WM_TRAYICON"), id, MAKELPARAM(code, 0));
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
