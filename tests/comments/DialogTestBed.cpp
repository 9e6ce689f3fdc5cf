#include "DialogTestBed.h"

#include <string>
#include <vector>

#include "app/AppModule.h"
#include "tools/WinTestSupport.h"

namespace commentstest {

void EnsureModule() {
  static bool done = false;
  if (!done) {
    g_appModule.Initialize(::GetModuleHandleA(nullptr));
    done = true;
  }
}

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

DialogBed::DialogBed(Profile profile, bool withParent) {
  EnsureModule();
  g_appModule.RegisterLoop(&m_loop);
  m_dlg = std::make_unique<CMainDlg>();
  m_dlg->m_profile.allowRecordingControl = profile.allowRecordingControl;
  m_dlg->m_profile.allowComments = profile.allowComments;
  m_dlg->m_profile.showTrayIcon = true;
  // No browser is started by a test.
  m_dlg->m_shellExecute = [](HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT) -> HINSTANCE {
    return reinterpret_cast<HINSTANCE>(42);
  };
  m_dlg->Create(withParent ? m_parent.Handle() : nullptr);
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

void DialogBed::Click(int controlId) {
  ::SendMessageA(Item(controlId), BM_CLICK, 0, 0);
  Pump();
}

bool Shown(HWND control) { return (::GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0; }

HBITMAP ButtonFace(HWND button) {
  return reinterpret_cast<HBITMAP>(::SendMessageA(button, BM_GETIMAGE, IMAGE_BITMAP, 0));
}

HBITMAP Picture(HWND picture) {
  return reinterpret_cast<HBITMAP>(::SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
}

std::string Text(HWND window) { return wintest::WindowText(window); }

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP bm{};
  if (!bitmap || ::GetObjectA(bitmap, sizeof bm, &bm) != sizeof bm) return SIZE{0, 0};
  return SIZE{bm.bmWidth, bm.bmHeight};
}

namespace {

// Every pixel of `bitmap` as 32-bit top-down rows; empty when it cannot be read.
std::vector<DWORD> PixelsOf(HBITMAP bitmap) {
  const SIZE size = BitmapSize(bitmap);
  if (size.cx <= 0 || size.cy <= 0) return {};
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size.cx;
  info.bmiHeader.biHeight = -size.cy;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  std::vector<DWORD> pixels(static_cast<std::size_t>(size.cx) * static_cast<std::size_t>(size.cy));
  HDC screen = ::GetDC(nullptr);
  const int rows = ::GetDIBits(screen, bitmap, 0, static_cast<UINT>(size.cy), pixels.data(), &info,
                               DIB_RGB_COLORS);
  ::ReleaseDC(nullptr, screen);
  if (rows != size.cy) return {};
  return pixels;
}

}  // namespace

bool ShowsResource(HBITMAP bitmap, int resourceId) {
  HBITMAP resource = static_cast<HBITMAP>(::LoadImageA(
      ::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(resourceId), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
  const SIZE want = BitmapSize(resource), got = BitmapSize(bitmap);
  const bool same = resource && want.cx == got.cx && want.cy == got.cy &&
                    !PixelsOf(bitmap).empty() && PixelsOf(bitmap) == PixelsOf(resource);
  if (resource) ::DeleteObject(resource);
  return same;
}

}  // namespace commentstest
