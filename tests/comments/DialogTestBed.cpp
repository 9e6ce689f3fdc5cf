#include "DialogTestBed.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/AppModule.h"
#include "comments/CommentsText.h"
#include "res/resource.h"
#include "tools/WinTestSupport.h"

namespace commentstest {

const char* const kIdleLook =
    "idle start+ pause- stop- what+ comment- uploading- uploaded- => start/-";
const char* const kRecordingLook =
    "recording submit+ pause+ stop+ what- comment+ uploading- uploaded- => submit/pause";

void EnsureModule() {
  static bool done = false;
  if (!done) {
    g_appModule.Initialize(::GetModuleHandleA(nullptr));
    done = true;
  }
}

// ------------------------------------------------------------------------------ the parent

CommandRecorder::CommandRecorder() {
  static const char* const kClass = "SivrelCommentsTestParent";
  WNDCLASSA wc{};
  wc.lpfnWndProc = &WindowProc;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.lpszClassName = kClass;
  ::RegisterClassA(&wc);  // fails harmlessly when already registered
  m_hWnd = ::CreateWindowExA(0, kClass, "", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                             wc.hInstance, nullptr);
  ::SetWindowLongPtrA(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

CommandRecorder::~CommandRecorder() {
  if (m_hWnd) ::DestroyWindow(m_hWnd);
}

LRESULT CALLBACK CommandRecorder::WindowProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_COMMAND) {
    auto* self = reinterpret_cast<CommandRecorder*>(::GetWindowLongPtrA(hWnd, GWLP_USERDATA));
    if (self) self->commands.push_back({LOWORD(wParam), HIWORD(wParam), lParam});
    return 0;
  }
  return ::DefWindowProcA(hWnd, msg, wParam, lParam);
}

// ------------------------------------------------------------------------------ looks

namespace {

[[noreturn]] void BadLook(const std::string& text, const std::string& token) {
  std::fprintf(stderr, "malformed look '%s' at '%s'\n", text.c_str(), token.c_str());
  std::abort();
}

unsigned CommandNamed(const std::string& name, const std::string& text) {
  if (name == "start") return ID_RECORDING_START;
  if (name == "submit") return ID_COMMENT_SUBMIT;
  if (name == "pause") return ID_RECORDING_PAUSE;
  if (name == "resume") return ID_RECORDING_RESUME;
  if (name == "-") return 0;
  BadLook(text, name);
}

}  // namespace

client::CommentsLook Look(const std::string& text) {
  client::CommentsLook look;
  std::istringstream in(text);
  std::string token;
  in >> token;
  if (token == "idle") look.title = client::Title::Idle;
  else if (token == "recording") look.title = client::Title::Recording;
  else if (token == "paused") look.title = client::Title::Paused;
  else BadLook(text, token);

  const std::pair<const char*, bool*> flags[] = {
      {"stop", &look.stopShown},           {"what", &look.whatIsThisShown},
      {"comment", &look.commentShown},     {"uploading", &look.uploadingShown},
      {"uploaded", &look.uploadedShown}};
  while (in >> token && token != "=>") {
    const char sign = token.back();
    if (sign != '+' && sign != '-') BadLook(text, token);
    const bool shown = sign == '+';
    const std::string name = token.substr(0, token.size() - 1);
    if (name == "start" || name == "submit" || name == "submitted") {
      look.startSubmitFace = name == "start"    ? client::StartSubmitFace::Start
                             : name == "submit" ? client::StartSubmitFace::Submit
                                                : client::StartSubmitFace::Submitted;
      look.startSubmitShown = shown;
    } else if (name == "pause" || name == "resume") {
      look.pauseResumeFace =
          name == "pause" ? client::PauseResumeFace::Pause : client::PauseResumeFace::Resume;
      look.pauseResumeShown = shown;
    } else {
      bool known = false;
      for (const auto& flag : flags) {
        if (name != flag.first) continue;
        *flag.second = shown;
        known = true;
      }
      if (!known) BadLook(text, token);
    }
  }
  if (token == "=>" && in >> token) {
    const std::size_t slash = token.find('/');
    if (slash == std::string::npos) BadLook(text, token);
    look.startSubmitCommand = CommandNamed(token.substr(0, slash), text);
    look.pauseResumeCommand = CommandNamed(token.substr(slash + 1), text);
  }
  return look;
}

std::string WithoutCommands(const std::string& look) { return look.substr(0, look.find(" =>")); }

// ------------------------------------------------------------------------------ the bed

DialogBed::DialogBed(BedOptions options) {
  EnsureModule();
  g_appModule.RegisterLoop(&m_loop);
  CommentsEdge edge;
  edge.context = &m_shellCalls;
  edge.shellExecute = [](void* context, HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                         LPCSTR directory, INT show) -> HINSTANCE {
    static_cast<std::vector<ShellCall>*>(context)->push_back(
        {owner, verb ? verb : "", file ? file : "", parameters == nullptr, directory == nullptr,
         show});
    return reinterpret_cast<HINSTANCE>(2);  // "file not found", which the window does not report
  };
  m_dlg = std::make_unique<CMainDlg>(edge, std::move(options.onCtrlO));
  m_dlg->Create(options.withParent ? m_parent.Handle() : nullptr);
  if (!options.firstLook.empty()) Render(options.firstLook);
}

DialogBed::~DialogBed() {
  if (m_dlg->m_hWnd) ::DestroyWindow(m_dlg->m_hWnd);
  m_dlg.reset();
  g_appModule.UnregisterLoop();
}

bool DialogBed::PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  return wintest::PumpUntil(done, timeoutMs,
                            [this](MSG& msg) { return m_loop.FilterMessage(&msg) != FALSE; });
}

void DialogBed::Pump() {
  // Twice empty in a row, 30 ms apart: posted messages and their consequences have landed.
  int quiet = 0;
  PumpUntil([&] {
    MSG msg;
    quiet = ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) ? 0 : quiet + 1;
    return quiet >= 2;
  }, 500);
}

void DialogBed::ShowActive() {
  ::ShowWindow(hwnd(), SW_SHOW);
  ::SetForegroundWindow(hwnd());
  ::SetActiveWindow(hwnd());
  Pump();
}

namespace {

// Key messages and mouse-button releases this thread has taken from its queue: the thread's hooks
// see each as it is retrieved, whichever window it is for.
int g_keysTaken = 0;
int g_releasesTaken = 0;
HWND g_releasedOn = nullptr;

LRESULT CALLBACK CountKeys(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) ++g_keysTaken;
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK CountReleases(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && (wParam == WM_LBUTTONUP || wParam == WM_NCLBUTTONUP)) {
    ++g_releasesTaken;
    g_releasedOn = reinterpret_cast<const MOUSEHOOKSTRUCT*>(lParam)->hwnd;
  }
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

bool DialogBed::Send(std::vector<INPUT>& inputs) {
  // The input reaches the queue some time after SendInput returns: the pump runs until the
  // thread has taken every key event, or the mouse button's release, from it.
  int keys = 0, releases = 0;
  for (const INPUT& in : inputs) {
    keys += in.type == INPUT_KEYBOARD;
    releases += in.type == INPUT_MOUSE && (in.mi.dwFlags & MOUSEEVENTF_LEFTUP) != 0;
  }
  g_keysTaken = g_releasesTaken = 0;
  HHOOK keyHook = ::SetWindowsHookExA(WH_KEYBOARD, &CountKeys, nullptr, ::GetCurrentThreadId());
  HHOOK mouseHook = ::SetWindowsHookExA(WH_MOUSE, &CountReleases, nullptr, ::GetCurrentThreadId());
  const UINT sent = ::SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
  const bool taken = PumpUntil([&] { return g_keysTaken >= keys && g_releasesTaken >= releases; }, 5000);
  ::UnhookWindowsHookEx(keyHook);
  ::UnhookWindowsHookEx(mouseHook);
  // What the input posted lands too.
  Pump();
  return sent == inputs.size() && taken;
}

bool DialogBed::ClickWithMouse(int controlId) {
  HWND control = Item(controlId);
  RECT rc{};
  if (!::GetWindowRect(control, &rc)) return false;
  const POINT target{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
  // Absolute positions run from 0 to 65535 across the primary screen. Every event carries the
  // position: Wine's X11 driver may still move the cursor back to where an earlier event left
  // it, and a press there would land on another control.
  const int cx = ::GetSystemMetrics(SM_CXSCREEN), cy = ::GetSystemMetrics(SM_CYSCREEN);
  std::vector<INPUT> inputs(3);
  for (INPUT& in : inputs) {
    in.type = INPUT_MOUSE;
    in.mi.dx = (target.x * 65536 + cx - 1) / cx;
    in.mi.dy = (target.y * 65536 + cy - 1) / cy;
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  }
  std::vector<INPUT> press(inputs.begin() + 1, inputs.end());
  press[0].mi.dwFlags |= MOUSEEVENTF_LEFTDOWN;
  press[1].mi.dwFlags |= MOUSEEVENTF_LEFTUP;
  // The pointer goes there first and stays, then the button goes down and up.
  inputs.resize(1);
  ::SendInput(1, inputs.data(), sizeof(INPUT));
  const auto there = [&] {
    POINT at{};
    return ::GetCursorPos(&at) && at.x == target.x && at.y == target.y;
  };
  if (!PumpUntil(there, 5000)) return false;
  Pump();
  g_releasedOn = nullptr;
  // Answers false when the release went to another window: the click missed.
  return Send(press) && g_releasedOn == control;
}

bool DialogBed::Press(std::initializer_list<WORD> keys) {
  std::vector<Key> events;
  for (WORD vk : keys) events.push_back({vk, false});
  for (auto it = keys.end(); it != keys.begin();) events.push_back({*--it, true});
  return Keys(events);
}

bool DialogBed::Keys(const std::vector<Key>& keys) {
  std::vector<INPUT> inputs;
  for (const Key& key : keys) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = key.vk;
    in.ki.wScan = static_cast<WORD>(::MapVirtualKeyA(key.vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = key.up ? KEYEVENTF_KEYUP : 0;
    inputs.push_back(in);
  }
  return Send(inputs);
}

bool DialogBed::Type(const std::string& text) {
  std::vector<INPUT> inputs;
  for (char c : text) {
    wchar_t wide = 0;
    ::MultiByteToWideChar(CP_ACP, 0, &c, 1, &wide, 1);
    for (bool up : {false, true}) {
      INPUT in{};
      in.type = INPUT_KEYBOARD;
      in.ki.wScan = wide;
      in.ki.dwFlags = KEYEVENTF_UNICODE | (up ? KEYEVENTF_KEYUP : 0);
      inputs.push_back(in);
    }
  }
  return Send(inputs);
}

// ------------------------------------------------------------------------------ observers

bool Shown(HWND control) { return (::GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0; }

HBITMAP ButtonFace(HWND button) {
  return reinterpret_cast<HBITMAP>(::SendMessageA(button, BM_GETIMAGE, IMAGE_BITMAP, 0));
}

HBITMAP Picture(HWND picture) {
  return reinterpret_cast<HBITMAP>(::SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
}

std::string Text(HWND window) { return wintest::WindowText(window); }

SIZE BitmapSize(HBITMAP bitmap) { return wintest::BitmapSize(bitmap); }

int DisplayDpi() {
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
  ::ReleaseDC(nullptr, screen);
  return dpi;
}

bool ShowsResource(HBITMAP bitmap, int resourceId) {
  HBITMAP resource = static_cast<HBITMAP>(::LoadImageA(
      ::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
  const SIZE want = BitmapSize(resource), got = BitmapSize(bitmap);
  const bool same = resource && want.cx == got.cx && want.cy == got.cy &&
                    wintest::SameBitmap(bitmap, resource);
  if (resource) ::DeleteObject(resource);
  return same;
}

const ExpectedSet* ExpectedSetFor(int dpi) {
#define SIVREL_EXPECTED_SET(d)                                                                    \
  {d, IDB_SKIN_##d, IDB_TITLE_IDLE_##d, IDB_TITLE_RECORDING_##d, IDB_TITLE_PAUSED_##d,            \
   IDB_START_##d, IDB_SUBMIT_##d, IDB_SUBMITTED_##d, IDB_PAUSE_##d, IDB_RESUME_##d, IDB_CLOSE_##d, \
   IDB_STOP_##d, IDB_WHAT_IS_THIS_##d, IDB_UPLOADING_##d, IDB_UPLOADED_##d}
  static const ExpectedSet kSets[] = {SIVREL_EXPECTED_SET(96), SIVREL_EXPECTED_SET(120),
                                      SIVREL_EXPECTED_SET(144), SIVREL_EXPECTED_SET(192)};
#undef SIVREL_EXPECTED_SET
  for (const ExpectedSet& set : kSets) {
    if (set.dpi == dpi) return &set;
  }
  return nullptr;
}

namespace {

struct Named {
  const char* name;
  int resource;      // of this DPI's set; 0 in the plain look
  const char* text;  // the window text that goes with it
};

// The one name whose picture (with a set) and text the control shows, or "?".
std::string NameShown(HBITMAP face, const std::string& text, std::initializer_list<Named> names) {
  for (const Named& n : names) {
    if (text == n.text && (n.resource == 0 || ShowsResource(face, n.resource))) return n.name;
  }
  return "?";
}

std::string Flag(const std::string& name, bool shown) { return name + (shown ? "+" : "-"); }

}  // namespace

std::string ShownLook(DialogBed& bed) {
  const ExpectedSet* set = ExpectedSetFor(DisplayDpi());
  const auto id = [set](int ExpectedSet::*member) { return set ? set->*member : 0; };

  // A title picture carries no text (the static would take it for a resource name to load).
  const std::string title = NameShown(
      Picture(bed.Title()), Text(bed.Title()),
      {{"idle", id(&ExpectedSet::titleIdle), set ? "" : comments::kTitleIdle},
       {"recording", id(&ExpectedSet::titleRecording), set ? "" : comments::kTitleRecording},
       {"paused", id(&ExpectedSet::titlePaused), set ? "" : comments::kTitlePaused}});
  HWND startSubmit = bed.Item(IDC_START_SUBMIT);
  const std::string startSubmitFace =
      NameShown(ButtonFace(startSubmit), Text(startSubmit),
                {{"start", id(&ExpectedSet::start), comments::kTextStart},
                 {"submit", id(&ExpectedSet::submit), comments::kTextSubmit},
                 {"submitted", id(&ExpectedSet::submitted), comments::kTextSubmitted}});
  HWND pauseResume = bed.Item(IDC_PAUSE_RESUME);
  const std::string pauseResumeFace =
      NameShown(ButtonFace(pauseResume), Text(pauseResume),
                {{"pause", id(&ExpectedSet::pause), comments::kTextPause},
                 {"resume", id(&ExpectedSet::resume), comments::kTextResume}});

  const bool uploadingPicture = Shown(bed.Item(IDC_UPLOADING));
  const bool busy = Shown(bed.Item(IDC_BUSY));
  const std::string uploading = uploadingPicture == busy
                                    ? Flag("uploading", busy)
                                    : std::string("uploading(picture") + (uploadingPicture ? "+" : "-") +
                                          " busy" + (busy ? "+" : "-") + ")";
  return title + " " + Flag(startSubmitFace, Shown(startSubmit)) + " " +
         Flag(pauseResumeFace, Shown(pauseResume)) + " " + Flag("stop", Shown(bed.Item(IDC_STOP))) +
         " " + Flag("what", Shown(bed.Item(IDC_WHAT_IS_THIS))) + " " +
         Flag("comment", Shown(bed.Item(IDC_COMMENT))) + " " + uploading + " " +
         Flag("uploaded", Shown(bed.Item(IDC_UPLOADED)));
}

}  // namespace commentstest
