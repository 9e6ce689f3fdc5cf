#pragma once
// CSkinDialogImpl<T>: turns the dialog T into a borderless window shaped and painted by one bitmap.
//
// The owner loads m_hBitmap (its choice of bitmap for the display DPI) and calls ApplySkin once
// while it initialises. The skin then strips the frame styles, cuts the window to the bitmap's
// pixels that are not the key colour, sizes the window to the bitmap and centres it on the screen.
// From then on it paints the bitmap as the background with one block copy, lets static controls
// draw over it without a background of their own, and, when the owner makes it draggable, answers
// the background's hit test as caption so that the window can be dragged by any part of it.
//
// Its three messages are chained from the owner's message map; each is handled only while the
// window is skinned, so an unskinned window keeps the dialog manager's default behaviour.
#include <windows.h>

#include "comments/SkinRegion.h"
#include "framework/HandleTraits.h"
#include "framework/MessageMap.h"

template <class T>
class CSkinDialogImpl {
 public:
  CSkinDialogImpl() = default;
  CSkinDialogImpl(const CSkinDialogImpl&) = delete;
  CSkinDialogImpl& operator=(const CSkinDialogImpl&) = delete;

  ~CSkinDialogImpl() {
    // A bitmap still selected into a device context cannot be deleted: take it out first.
    if (m_hMemDC && m_hOldBitmap) ::SelectObject(m_hMemDC.get(), m_hOldBitmap);
    m_hMemDC.reset();
    m_hBitmap.reset();
  }

  // Returns true once the region is built; from then on the style stays stripped even if the
  // region cannot be set on the window (the window then stays unskinned).
  bool ApplySkin() {
    HWND hWnd = Owner();
    const LONG oldStyle = m_api->getWindowLong(hWnd, GWL_STYLE);
    if (!m_hBitmap) return false;
    // Only WS_POPUP and WS_SYSMENU survive: no border, no caption.
    if (m_api->setWindowLong(hWnd, GWL_STYLE,
                             static_cast<LONG>(static_cast<DWORD>(oldStyle) & (WS_POPUP | WS_SYSMENU))) == 0) {
      // A refused style change gives the bitmap up; the owner paints the default way.
      m_hBitmap.reset();
      return false;
    }
    if (!BuildRegion()) {
      m_api->setWindowLong(hWnd, GWL_STYLE, oldStyle);
      return false;
    }
    ApplyRegion();
    return true;
  }

  // Builds m_hRgn from m_hBitmap: the bitmap's pixels are read in one bulk call before the
  // bitmap goes into the memory surface, and the region is made from all runs at once.
  bool BuildRegion() {
    m_hMemDC.reset(::CreateCompatibleDC(nullptr));
    if (!m_hMemDC) return false;
    if (::GetObjectA(m_hBitmap.get(), sizeof m_bm, &m_bm) != sizeof m_bm) return false;
    HRGN region = BuildSkinRegion(m_hMemDC.get(), m_hBitmap.get(), m_clrTransparent, *m_api);
    // The surface holds the bitmap for the dialog's lifetime, for painting.
    m_hOldBitmap = ::SelectObject(m_hMemDC.get(), m_hBitmap.get());
    if (!region) return false;
    m_hRgn.reset(region);
    return true;
  }

  // Sets the region on the window (which owns it from then on), sizes the window to the bitmap
  // and centres it on the primary screen.
  bool ApplyRegion() {
    HWND hWnd = Owner();
    if (!m_api->setWindowRgn(hWnd, m_hRgn.get(), TRUE)) return false;
    m_hRgn.release();
    const int x = ::GetSystemMetrics(SM_CXSCREEN) / 2 - m_bm.bmWidth / 2;
    const int y = ::GetSystemMetrics(SM_CYSCREEN) / 2 - m_bm.bmHeight / 2;
    ::SetWindowPos(hWnd, HWND_NOTOPMOST, x, y, m_bm.bmWidth, m_bm.bmHeight, 0);
    m_bSkinned = TRUE;
    return true;
  }

  BEGIN_MSG_MAP(CSkinDialogImpl)
    MESSAGE_HANDLER(WM_ERASEBKGND, OnSkinEraseBackground)
    MESSAGE_HANDLER(WM_CTLCOLORSTATIC, OnSkinCtlColorStatic)
    MESSAGE_HANDLER(WM_NCHITTEST, OnSkinNcHitTest)
  END_MSG_MAP()

  LRESULT OnSkinEraseBackground(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    if (!m_bSkinned) {
      bHandled = FALSE;
      return 0;
    }
    ::BitBlt(reinterpret_cast<HDC>(wParam), 0, 0, m_bm.bmWidth, m_bm.bmHeight, m_hMemDC.get(), 0,
             0, SRCCOPY);
    return 0;
  }

  LRESULT OnSkinCtlColorStatic(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    if (!m_bSkinned) {
      bHandled = FALSE;
      return 0;
    }
    ::SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
    return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
  }

  LRESULT OnSkinNcHitTest(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    if (!m_bSkinned) {
      bHandled = FALSE;
      return 0;
    }
    return m_bDraggable ? HTCAPTION : HTNOWHERE;
  }

  RegionHandle m_hRgn;
  BITMAP m_bm{};
  MemoryDcHandle m_hMemDC;
  BitmapHandle m_hBitmap;
  BOOL m_bSkinned = FALSE;
  BOOL m_bDraggable = FALSE;
  const COLORREF m_clrTransparent = RGB(255, 0, 255);
  // The platform calls whose failure the skin must survive; tests replace them.
  const SkinPlatformApi* m_api = &RealSkinPlatformApi();

 private:
  HWND Owner() const { return static_cast<const T*>(this)->m_hWnd; }

  HGDIOBJ m_hOldBitmap = nullptr;
};
