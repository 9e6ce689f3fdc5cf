#pragma once
// What the Wine tests of the animated picture control share: a real window with a placeholder
// static to subclass, pictures made on the spot (GIFs of solid-colour frames, a BMP), and a
// steerable operating-system edge for the control, with which a test lets the animation thread
// move on one frame at a time, blocks it inside a draw, or makes a stop give up waiting for it.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "GifBuilder.h"
#include "widgets/PictureEdge.h"
#include "widgets/PictureExWnd.h"

namespace picturetest {

// A top-level window holding a STATIC placeholder (id 1020) of 21 x 18 pixels at (10, 10), like
// the comments window's busy indicator. Shown only for tests that paint: under Wine hiding or
// destroying a shown window waits about two seconds for the X server.
class TestWindow {
 public:
  explicit TestWindow(bool visible = false);
  ~TestWindow();
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  HWND Frame() const { return m_frame; }
  HWND Placeholder() const { return m_placeholder; }
  void Destroy();

 private:
  HWND m_frame = nullptr;
  HWND m_placeholder = nullptr;
};

// Colour `index` of the colour table that GifBuilder writes for `bits` bits.
COLORREF PaletteColour(int index, int bits);

// An image descriptor with an image of one colour index, as raw bytes for GifBuilder::Raw.
Bytes SolidImage(int left, int top, int width, int height, int index, int bits);

struct SolidFrame {
  int left, top, width, height;
  int index;           // colour index of the whole frame
  int delay;           // hundredths; -1: no graphic control extension
  int disposal;
};

// An animated GIF (looping extension, 2-bit global colour table) of the given frames.
Bytes SolidGif(int width, int height, const std::vector<SolidFrame>& frames);

// A bottom-up 24-bit BMP file of `width` x `height`: the top half `top`, the bottom half `bottom`.
Bytes TwoToneBmp(int width, int height, COLORREF top, COLORREF bottom);

// Copies the bytes into a movable global block and loads them.
bool LoadBytes(CPictureExWnd& picture, const Bytes& bytes);

// A colour no test picture uses: where nothing was painted.
constexpr COLORREF kUnpainted = RGB(1, 2, 3);

// What `paint` draws into a `width` x `height` bitmap filled with kUnpainted, row by row from the
// top.
std::vector<COLORREF> PaintedBy(int width, int height, const std::function<void(HDC)>& paint);
// What the control paints (WM_PRINTCLIENT) into a bitmap of its picture's size, or of `width` x
// `height` when given.
std::vector<COLORREF> Painted(const CPictureExWnd& picture, int width = 0, int height = 0);

// The colour of pixel (x, y) in a row-major copy of a surface `width` wide.
inline COLORREF At(const std::vector<COLORREF>& pixels, int width, int x, int y) {
  return pixels.at(static_cast<std::size_t>(y) * width + x);
}

// The steered edge: Edge() hands the control entries that record into this Steering.
class Steering {
 public:
  Steering();
  ~Steering();
  Steering(const Steering&) = delete;
  Steering& operator=(const Steering&) = delete;

  PictureEdge Edge();

  // Frame waits no longer time out: each Step lets the waiting thread go on to its next wait.
  void HoldFrames() { m_holdFrames = true; }
  // Number of frame waits begun so far.
  std::size_t WaitCount() const;
  std::vector<DWORD> Waits() const;
  // Lets the thread past its current wait and pumps until it waits again; false on timeout.
  bool Step();
  // Lets the thread past its current wait, without waiting for anything.
  void Proceed();
  // Pumps until `count` frame waits have begun; false on timeout.
  bool WaitForWaits(std::size_t count);

  // The next draw blocks (inside the surface's lock) until ReleaseDraw.
  void BlockNextDraw();
  bool WaitUntilBlocked(DWORD timeoutMs);
  void ReleaseDraw();

  // The stop's join gives up at once, as after 5000 ms, and keeps the thread's handle.
  void AbandonJoins() { m_abandonJoins = true; }
  void RealJoins() { m_abandonJoins = false; }
  // Handles of every thread a stop waited for (duplicates, owned here).
  std::vector<HANDLE> JoinedThreads() const;

  struct Draw {
    DWORD thread;
    RECT rect;
  };
  std::vector<Draw> Draws() const;
  // Draws made by `thread`.
  std::size_t DrawsBy(DWORD thread) const;

 private:
  static HRESULT Render(void* context, IPicture* picture, HDC dc, int x, int y, int cx, int cy);
  static DWORD WaitForFrame(void* context, HANDLE exitEvent, DWORD milliseconds);
  static DWORD WaitForThread(void* context, HANDLE thread, DWORD milliseconds);

  mutable std::mutex m_lock;
  std::vector<DWORD> m_waits;
  std::vector<Draw> m_draws;
  std::vector<HANDLE> m_threads;
  bool m_holdFrames = false;
  bool m_abandonJoins = false;
  bool m_blockNextDraw = false;
  HANDLE m_step = nullptr;      // semaphore: one count per Step
  HANDLE m_blocked = nullptr;   // set when a draw has blocked
  HANDLE m_release = nullptr;   // manual-reset: blocked draws go on
};

}  // namespace picturetest
