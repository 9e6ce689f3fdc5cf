#pragma once
// The animated picture control's edge to the operating system, as far as tests need to steer it:
// the renderer of a picture into the surface, the animation thread's wait for its next frame, and
// the stop's wait for the thread to end. Each entry defaults to the real call; the control takes
// the table by value at construction.
#include <windows.h>
#include <ocidl.h>

// Draws the whole picture upright, scaled into (x, y, cx, cy) of `dc`, honouring transparency.
HRESULT RealRenderPicture(void* context, IPicture* picture, HDC dc, int x, int y, int cx, int cy);
DWORD RealWaitForObject(void* context, HANDLE handle, DWORD milliseconds);

struct PictureEdge {
  HRESULT (*renderPicture)(void* context, IPicture* picture, HDC dc, int x, int y, int cx,
                           int cy) = &RealRenderPicture;
  // The animation thread's wait between frames; ends early when the exit event is set.
  DWORD (*waitForFrame)(void* context, HANDLE exitEvent, DWORD milliseconds) = &RealWaitForObject;
  // StopAnimation's wait for the animation thread to end.
  DWORD (*waitForThread)(void* context, HANDLE thread, DWORD milliseconds) = &RealWaitForObject;
  // Handed to every entry; the real ones ignore it.
  void* context = nullptr;
};

// The picture's extent in HIMETRIC units (0.01 mm); 0 x 0 when the picture cannot tell.
SIZE HimetricExtent(IPicture* picture);
