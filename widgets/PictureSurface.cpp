#include "widgets/PictureSurface.h"

namespace {

using Hold = std::lock_guard<std::mutex>;

bool Refused(const std::atomic<bool>* stopped) { return stopped != nullptr && stopped->load(); }

int Width(const RECT& r) { return r.right - r.left; }
int Height(const RECT& r) { return r.bottom - r.top; }

}  // namespace

std::shared_ptr<PictureSurface> PictureSurface::Create(HDC reference, int cx, int cy) {
  std::shared_ptr<PictureSurface> surface(new PictureSurface());
  surface->m_dc.reset(::CreateCompatibleDC(reference));
  if (!surface->m_dc) return nullptr;
  // Compatible with the window's DC, not the memory DC, which would give a monochrome bitmap.
  surface->m_bitmap.reset(::CreateCompatibleBitmap(reference, cx, cy));
  if (!surface->m_bitmap) return nullptr;
  surface->m_previous = ::SelectObject(surface->m_dc.get(), surface->m_bitmap.get());
  surface->m_size = SIZE{cx, cy};
  surface->m_background = ::GetSysColor(COLOR_BTNFACE);
  // Until something is drawn the surface shows the menu colour (a system colour brush is the
  // colour index plus one). It need not differ from the button-face background: under the
  // default colours of current Windows and of Wine the two are the same grey.
  const RECT all{0, 0, cx, cy};
  ::FillRect(surface->m_dc.get(), &all, reinterpret_cast<HBRUSH>(COLOR_MENU + 1));
  return surface;
}

PictureSurface::~PictureSurface() {
  // A bitmap that is still selected into a DC cannot be deleted: put the old objects back first.
  DropSavedAreaLocked();
  if (m_dc && m_previous) ::SelectObject(m_dc.get(), m_previous);
  m_dc.reset();
  m_bitmap.reset();
}

bool PictureSurface::Render(const PictureEdge& edge, IPicture* picture, const RECT& where,
                            const std::atomic<bool>* stopped) {
  Hold hold(m_lock);
  if (Refused(stopped) || picture == nullptr) return false;
  return SUCCEEDED(edge.renderPicture(edge.context, picture, m_dc.get(), where.left, where.top,
                                      Width(where), Height(where)));
}

bool PictureSurface::FillBackground(const RECT& area, const std::atomic<bool>* stopped) {
  Hold hold(m_lock);
  if (Refused(stopped)) return false;
  return FillLocked(area, m_background);
}

bool PictureSurface::FillWholeBackground(const std::atomic<bool>* stopped) {
  return FillBackground(RECT{0, 0, m_size.cx, m_size.cy}, stopped);
}

bool PictureSurface::SaveArea(const RECT& area, const std::atomic<bool>* stopped) {
  Hold hold(m_lock);
  if (Refused(stopped)) return false;
  DropSavedAreaLocked();
  MemoryDcHandle dc(::CreateCompatibleDC(m_dc.get()));
  // Compatible with the surface's DC, which holds the surface bitmap, so the colours match.
  BitmapHandle bitmap(::CreateCompatibleBitmap(m_dc.get(), Width(area), Height(area)));
  if (!dc || !bitmap) return false;
  m_savedPrevious = ::SelectObject(dc.get(), bitmap.get());
  ::BitBlt(dc.get(), 0, 0, Width(area), Height(area), m_dc.get(), area.left, area.top, SRCCOPY);
  m_savedDc = std::move(dc);
  m_savedBitmap = std::move(bitmap);
  return true;
}

bool PictureSurface::RestoreArea(const RECT& area, const std::atomic<bool>* stopped) {
  Hold hold(m_lock);
  if (Refused(stopped) || !m_savedDc) return false;
  ::BitBlt(m_dc.get(), area.left, area.top, Width(area), Height(area), m_savedDc.get(), 0, 0,
           SRCCOPY);
  DropSavedAreaLocked();
  return true;
}

bool PictureSurface::Invalidate(HWND window, const std::atomic<bool>* stopped) {
  Hold hold(m_lock);
  if (Refused(stopped)) return false;
  return ::InvalidateRect(window, nullptr, FALSE) != FALSE;
}

bool PictureSurface::PaintTo(HDC target) const {
  Hold hold(m_lock);
  return ::BitBlt(target, 0, 0, m_size.cx, m_size.cy, m_dc.get(), 0, 0, SRCCOPY) != FALSE;
}

bool PictureSurface::FillLocked(const RECT& area, COLORREF colour) {
  BrushHandle brush(::CreateSolidBrush(colour));
  if (!brush) return false;  // that fill is skipped
  return ::FillRect(m_dc.get(), &area, brush.get()) != 0;
}

void PictureSurface::DropSavedAreaLocked() {
  if (m_savedDc && m_savedPrevious) ::SelectObject(m_savedDc.get(), m_savedPrevious);
  m_savedPrevious = nullptr;
  m_savedDc.reset();
  m_savedBitmap.reset();
}
