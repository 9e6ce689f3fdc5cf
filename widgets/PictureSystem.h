#pragma once
// The few operating-system calls of the animated picture control that tests need to steer: the
// renderer of a picture into the surface, the animation thread's wait for its next frame, and the
// stop's wait for the thread to end. CPictureExWnd takes the table by value; the default is the
// real calls.
#include <windows.h>
#include <ocidl.h>

struct PictureSystem {
  // Draws the whole picture upright, scaled into (x, y, cx, cy) of `dc`, honouring transparency.
  HRESULT (*renderPicture)(IPicture* picture, HDC dc, int x, int y, int cx, int cy);
  // The animation thread's wait between frames; ends early when the exit event is set.
  DWORD (*waitForFrame)(HANDLE exitEvent, DWORD milliseconds);
  // StopAnimation's wait for the animation thread to end.
  DWORD (*waitForThread)(HANDLE thread, DWORD milliseconds);
};

PictureSystem RealPictureSystem();

// The picture's extent in HIMETRIC units (0.01 mm); 0 x 0 when the picture cannot tell.
SIZE HimetricExtent(IPicture* picture);
