#include "tools/WinTestSupport.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <algorithm>

#include "res/resource.h"

namespace wintest {

namespace {
// The class names of the client's windows (framework/WindowImpl.h) begin with this.
const char kClientClassPrefix[] = "Sivrel:";
}  // namespace

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  return PumpUntil(done, timeoutMs, [](MSG&) { return false; });
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs,
               const std::function<bool(MSG&)>& consumes) {
  const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
  for (;;) {
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (consumes(msg)) continue;
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    if (done()) return true;
    const ULONGLONG now = ::GetTickCount64();
    if (now >= deadline) return done();
    // Sleeps only until the next message arrives or the deadline passes.
    ::MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 20)),
                                  QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
}

void PumpIdle(DWORD timeoutMs) {
  const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
  MSG msg;
  while (::GetTickCount64() < deadline && ::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
}

std::string BinDir() {
  char path[MAX_PATH] = "";
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string dir(path);
  return dir.substr(0, dir.find_last_of("\\/") + 1);
}

ChildProcess::~ChildProcess() { Kill(); }

namespace {
bool Create(const char* exe, std::string commandLine, WORD showCommand, PROCESS_INFORMATION* info) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = showCommand;
  std::vector<char> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back('\0');
  return ::CreateProcessA(exe, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                          info) != FALSE;
}
}  // namespace

bool ChildProcess::Start(const std::string& exe, const std::string& arguments, WORD showCommand) {
  std::string commandLine = "\"" + exe + "\"";
  if (!arguments.empty()) commandLine += " " + arguments;
  return Create(exe.c_str(), commandLine, showCommand, &m_info);
}

bool ChildProcess::StartWide(const std::wstring& exe) {
  std::wstring commandLine = L"\"" + exe + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  return ::CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &m_info) != FALSE;
}

bool ChildProcess::StartCommandLine(const std::string& commandLine) {
  return Create(nullptr, commandLine, SW_SHOWNORMAL, &m_info);
}

bool ChildProcess::Wait(DWORD timeoutMs, DWORD* exitCode) {
  if (!m_info.hProcess) return false;
  if (::WaitForSingleObject(m_info.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
  DWORD code = 0;
  ::GetExitCodeProcess(m_info.hProcess, &code);
  if (exitCode) *exitCode = code;
  return true;
}

void ChildProcess::Kill() {
  if (m_info.hProcess) {
    if (::WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT) {
      ::TerminateProcess(m_info.hProcess, 99);
      ::WaitForSingleObject(m_info.hProcess, 5000);
    }
    ::CloseHandle(m_info.hProcess);
    ::CloseHandle(m_info.hThread);
  }
  m_info = PROCESS_INFORMATION{};
}

std::string ClassName(HWND hWnd) {
  char name[256] = "";
  ::GetClassNameA(hWnd, name, sizeof name);
  return name;
}

std::string WindowText(HWND hWnd) {
  // The whole text, however long: a comment box holds 1024 characters and more bytes.
  std::vector<char> text(static_cast<std::size_t>(std::max(::GetWindowTextLengthA(hWnd), 0)) + 1);
  const int copied = ::GetWindowTextA(hWnd, text.data(), static_cast<int>(text.size()));
  return std::string(text.data(), static_cast<std::size_t>(std::max(copied, 0)));
}

namespace {
struct EnumState {
  DWORD pid;
  std::string prefix;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hWnd, LPARAM lParam) {
  auto* state = reinterpret_cast<EnumState*>(lParam);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(hWnd, &pid);
  if (pid == state->pid && ClassName(hWnd).compare(0, state->prefix.size(), state->prefix) == 0) {
    state->found.push_back(hWnd);
  }
  return TRUE;
}
}  // namespace

std::vector<HWND> ProcessWindows(DWORD pid, const std::string& classPrefix) {
  EnumState state{pid, classPrefix, {}};
  ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&state));
  return state.found;
}

HWND WaitForProcessWindow(const ChildProcess& process, const std::string& classPrefix,
                          DWORD timeoutMs) {
  const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
  for (;;) {
    auto windows = ProcessWindows(process.Id(), classPrefix);
    if (!windows.empty()) return windows.front();
    if (::GetTickCount64() >= deadline) return nullptr;
    // The wait ends early if the process dies; then there will be no window.
    if (::WaitForSingleObject(process.Handle(), 25) == WAIT_OBJECT_0) {
      windows = ProcessWindows(process.Id(), classPrefix);
      return windows.empty() ? nullptr : windows.front();
    }
  }
}

int ThreadCount() {
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  int count = 0;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Thread32First(snapshot, &entry); more; more = ::Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == ::GetCurrentProcessId()) ++count;
  }
  ::CloseHandle(snapshot);
  return count;
}

bool ShellHoldsIcon(HWND owner, UINT id) {
  NOTIFYICONDATAA probe{};
  probe.cbSize = sizeof probe;
  probe.hWnd = owner;
  probe.uID = id;
  probe.uFlags = 0;
  return ::Shell_NotifyIconA(NIM_MODIFY, &probe) != FALSE;
}

namespace {
BOOL CALLBACK CountClientIcons(HWND hWnd, LPARAM lParam) {
  if (ClassName(hWnd).rfind(kClientClassPrefix, 0) == 0 && ShellHoldsIcon(hWnd, IDR_TRAYMENU))
    ++*reinterpret_cast<int*>(lParam);
  return TRUE;
}
}  // namespace

int ShellIconsAdded() {
  if (!::FindWindowA("Shell_TrayWnd", nullptr)) return -1;
  int icons = 0;
  ::EnumWindows(&CountClientIcons, reinterpret_cast<LPARAM>(&icons));
  return icons;
}

SIZE BitmapSize(HBITMAP bitmap) {
  BITMAP bm{};
  if (!bitmap || ::GetObjectA(bitmap, sizeof bm, &bm) != sizeof bm) return SIZE{0, 0};
  return SIZE{bm.bmWidth, bm.bmHeight};
}

std::vector<DWORD> BitmapPixels(HBITMAP bitmap) {
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

bool SameBitmap(HBITMAP a, HBITMAP b) {
  const SIZE sa = BitmapSize(a), sb = BitmapSize(b);
  if (sa.cx != sb.cx || sa.cy != sb.cy) return false;
  const std::vector<DWORD> pa = BitmapPixels(a);
  return !pa.empty() && pa == BitmapPixels(b);
}

}  // namespace wintest
