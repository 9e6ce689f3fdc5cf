#pragma once
// Window regions from skin bitmaps.
#include <windows.h>

// The platform calls of skinning whose failure the skin must survive; tests substitute them.
struct SkinPlatformApi {
  LONG(WINAPI* getWindowLong)(HWND, int);
  LONG(WINAPI* setWindowLong)(HWND, int, LONG);
  int(WINAPI* getDIBits)(HDC, HBITMAP, UINT, UINT, LPVOID, LPBITMAPINFO, UINT);
  HRGN(WINAPI* extCreateRegion)(const XFORM*, DWORD, const RGNDATA*);
  int(WINAPI* setWindowRgn)(HWND, HRGN, BOOL);
};

// The real functions.
const SkinPlatformApi& RealSkinPlatformApi();

// The region of `bitmap`'s pixels other than `key`, or null when the pixels cannot be read or the
// region cannot be made. `dc` is a memory device context that does not hold `bitmap` (the pixels
// of a bitmap selected into a context cannot be read). The pixels are read into memory in a few
// bands of rows (256 KB each at most), and the region is made in one call from all runs.
HRGN BuildSkinRegion(HDC dc, HBITMAP bitmap, COLORREF key, const SkinPlatformApi& api);
