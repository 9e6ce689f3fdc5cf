#include "widgets/PictureEdge.h"

HRESULT RealRenderPicture(void*, IPicture* picture, HDC dc, int x, int y, int cx, int cy) {
  const SIZE extent = HimetricExtent(picture);
  // The source rectangle runs bottom-up in HIMETRIC: starting at the full height with a negative
  // height is what draws the picture the right way up.
  return picture->Render(dc, x, y, cx, cy, 0, extent.cy, extent.cx, -extent.cy, nullptr);
}

DWORD RealWaitForObject(void*, HANDLE handle, DWORD milliseconds) {
  return ::WaitForSingleObject(handle, milliseconds);
}

SIZE HimetricExtent(IPicture* picture) {
  OLE_XSIZE_HIMETRIC width = 0;
  OLE_YSIZE_HIMETRIC height = 0;
  if (FAILED(picture->get_Width(&width)) || FAILED(picture->get_Height(&height))) return SIZE{0, 0};
  return SIZE{width, height};
}
