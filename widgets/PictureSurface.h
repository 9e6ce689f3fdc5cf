#pragma once
// The off-screen surface of the animated picture control: a memory DC holding a bitmap of the
// picture's size, the saved area of a frame with disposal 3, and the background colour (the
// button face, as the dialog around the control).
//
// Painting, the background fill and the animation thread all draw through here, and every
// operation holds the surface's lock for its own duration only: nothing waits for another thread
// while holding it (a drawing call does GDI work on our own DCs and at most InvalidateRect, which
// never waits for the window's thread).
//
// An animation session draws with its stop flag as the `stopped` argument. The flag is read under
// the lock, so once StopAnimation has set it no draw of that session begins any more; a draw that
// was already under way finishes before anybody else gets the surface. The owner's own draws pass
// null. The session's shared_ptr keeps the surface alive for a thread that outlives its stop.
#include <windows.h>
#include <ocidl.h>

#include <atomic>
#include <memory>
#include <mutex>

#include "framework/HandleTraits.h"
#include "widgets/PictureEdge.h"

class PictureSurface {
 public:
  // A surface of cx x cy compatible with `reference` (the window's DC), filled with the menu
  // colour. Null when the DC or the bitmap cannot be had.
  static std::shared_ptr<PictureSurface> Create(HDC reference, int cx, int cy);
  ~PictureSurface();
  PictureSurface(const PictureSurface&) = delete;
  PictureSurface& operator=(const PictureSurface&) = delete;

  // Drawing, each false when refused (the session is stopped) or when the drawing failed.
  bool Render(const PictureEdge& edge, IPicture* picture, const RECT& where,
              const std::atomic<bool>* stopped);
  bool FillBackground(const RECT& area, const std::atomic<bool>* stopped);
  bool FillWholeBackground(const std::atomic<bool>* stopped);
  // Keeps the pixels of `area` for RestoreArea, replacing any area kept before.
  bool SaveArea(const RECT& area, const std::atomic<bool>* stopped);
  // Puts the kept pixels back at `area` and drops them; nothing when none are kept.
  bool RestoreArea(const RECT& area, const std::atomic<bool>* stopped);
  // Asks for `window` to be repainted from the surface, without erasing.
  bool Invalidate(HWND window, const std::atomic<bool>* stopped);

  // Copies the whole surface to (0, 0) of `target`.
  bool PaintTo(HDC target) const;

 private:
  PictureSurface() = default;
  bool FillLocked(const RECT& area, COLORREF colour);
  void DropSavedAreaLocked();

  mutable std::mutex m_lock;
  SIZE m_size{};
  COLORREF m_background = 0;
  MemoryDcHandle m_dc;
  BitmapHandle m_bitmap;
  HGDIOBJ m_previous = nullptr;
  MemoryDcHandle m_savedDc;
  BitmapHandle m_savedBitmap;
  HGDIOBJ m_savedPrevious = nullptr;
};
