// A window with the busy animation playing, to look at under Xvfb (take screenshots of it):
// resource 239 and a transparent GIF made here that clears each frame to the background.
// Command line: [seconds, default 6]. Ends by itself.
#include <windows.h>
#include <objbase.h>

#include <cstdlib>
#include <cstring>

#include "GifBuilder.h"
#include "res/resource.h"
#include "widgets/PictureExWnd.h"

namespace {

constexpr UINT_PTR kQuitTimer = 1;

HWND Placeholder(HWND parent, int x, int y) {
  return ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, x, y, 21, 18, parent, nullptr,
                           ::GetModuleHandleA(nullptr), nullptr);
}

void LoadSquareGoingRound(CPictureExWnd& picture) {
  GifBuilder gif(44, 44, 2);
  gif.Looping();
  const int positions[8][2] = {{16, 0}, {28, 4}, {32, 16}, {28, 28}, {16, 32}, {4, 28}, {0, 16}, {4, 4}};
  for (const auto& p : positions) gif.GraphicControl(12, 2, true, 0).Image(p[0], p[1], 12, 12);
  gif.Trailer();
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, gif.size());
  if (!block) return;
  std::memcpy(::GlobalLock(block), gif.bytes().data(), gif.size());
  ::GlobalUnlock(block);
  picture.LoadFromMemory(block, static_cast<DWORD>(gif.size()));
  ::GlobalFree(block);
}

HWND Label(HWND parent, int x, int y, const char* text) {
  return ::CreateWindowExA(0, "STATIC", text, WS_CHILD | WS_VISIBLE, x, y, 150, 18, parent,
                           nullptr, ::GetModuleHandleA(nullptr), nullptr);
}

LRESULT CALLBACK DemoProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_TIMER && wParam == kQuitTimer) {
    ::DestroyWindow(hWnd);
    return 0;
  }
  if (msg == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcA(hWnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  ::CoInitialize(nullptr);
  const int seconds = commandLine && *commandLine ? std::atoi(commandLine) : 6;

  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &DemoProc;
  wc.hInstance = instance;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = "SivrelPictureDemo";
  ::RegisterClassExA(&wc);
  HWND frame = ::CreateWindowExA(0, wc.lpszClassName, "Busy indicator", WS_OVERLAPPEDWINDOW, 60,
                                 60, 260, 180, nullptr, nullptr, instance, nullptr);

  CPictureExWnd busy, square;
  Label(frame, 70, 14, "Uploading...");
  busy.SubclassWindow(Placeholder(frame, 16, 10));
  busy.LoadFromResource(IDR_BUSY_GIF, "gif");
  busy.StartAnimation();

  // A square going round, with holes where its colour index 0 is transparent; each frame is
  // cleared to the background after its delay (disposal 2).
  Label(frame, 70, 64, "Transparent, disposal 2");
  square.SubclassWindow(Placeholder(frame, 16, 50));
  LoadSquareGoingRound(square);
  square.StartAnimation();

  ::ShowWindow(frame, SW_SHOWNORMAL);
  ::SetTimer(frame, kQuitTimer, static_cast<UINT>(seconds) * 1000u, nullptr);
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  ::CoUninitialize();
  return 0;
}
