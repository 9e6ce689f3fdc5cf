#include "widgets/PictureExWnd.h"

#include <utility>

#include "app/AppModule.h"
#include "widgets/GifSplitter.h"
#include "widgets/PictureAnimation.h"
#include "widgets/PictureDecoding.h"
#include "widgets/PictureSurface.h"

namespace {

constexpr DWORD kStopTimeoutMs = 5000;
constexpr int kHimetricPerInch = 2540;

}  // namespace

CPictureExWnd::CPictureExWnd() : CPictureExWnd(PictureEdge()) {}

CPictureExWnd::CPictureExWnd(const PictureEdge& edge) : m_edge(edge) {}

CPictureExWnd::~CPictureExWnd() { ReleasePicture(); }

// ---------------------------------------------------------------------------------------- loading

bool CPictureExWnd::LoadFromResource(LPCSTR name, LPCSTR type) {
  HINSTANCE module = g_appModule.GetResourceInstance();
  HRSRC resource = ::FindResourceA(module, name, type);
  if (!resource) return false;
  HGLOBAL loaded = ::LoadResource(module, resource);
  const DWORD size = ::SizeofResource(module, resource);
  const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
  if (!bytes || size == 0) return false;
  // The loader reads through a stream over a global block; resource memory is not one.
  GlobalMemoryHandle block = CopyToMovableBlock(bytes, size);
  if (!block) return false;
  return LoadFromMemory(block.get(), size);
}

bool CPictureExWnd::LoadFromMemory(HGLOBAL block, DWORD size) {
  ReleasePicture();
  // A size beyond the block would have the splitter and the loader read past its end.
  if (!block || ::GlobalSize(block) < size) return false;
  bool loaded = false;
  {
    GlobalLockScope lock(block);
    if (!lock.Data()) return false;
    if (HasGifSignature(lock.Data(), size)) {
      loaded = LoadGif(lock, block, size);
    } else {
      lock.Unlock();
      loaded = LoadStill(block, size);
    }
  }
  // Whatever a failed load had set up goes again: the control is left released.
  if (!loaded) ReleasePicture();
  return loaded;
}

bool CPictureExWnd::LoadGif(GlobalLockScope& lock, HGLOBAL block, DWORD size) {
  // Every frame of an animation is decoded once, here, into a picture of its own; the thread
  // only renders. A single frame is a still picture: the loader gets the whole file.
  auto frames = std::make_shared<PictureFrames>();
  const GifSplit split = SplitGif(
      lock.Data(), size,
      [&frames](const GifSplit& gif, GifSplitFrame& frame) {
        if (gif.counted < 2) return;
        // The stream owns the GMEM_FIXED block and frees it when it goes.
        PictureHandle picture =
            DecodePicture(static_cast<HGLOBAL>(frame.image.release()), frame.length, true);
        if (!picture) return;
        frames->pictures.push_back(std::move(picture));
        frames->infos.push_back(frame.info);
      },
      GlobalGifBlockAllocator());
  lock.Unlock();
  m_pictureSize = SIZE{split.screenWidth, split.screenHeight};
  if (split.counted == 0) return false;

  if (split.counted == 1) {
    m_still = DecodePicture(block, size, false);
    if (!m_still) return false;
    return CreateSurface(m_pictureSize.cx, m_pictureSize.cy);
  }
  if (frames->pictures.empty()) return false;
  m_frames = std::move(frames);
  return CreateSurface(m_pictureSize.cx, m_pictureSize.cy);
}

bool CPictureExWnd::LoadStill(HGLOBAL block, DWORD size) {
  m_still = DecodePicture(block, size, false);
  if (!m_still) return false;
  // The picture's extent is HIMETRIC; the window DC's resolution turns it into pixels.
  const SIZE extent = HimetricExtent(m_still.get());
  HDC dc = ::GetDC(m_hWnd);
  if (!dc) return false;
  const int dpiX = ::GetDeviceCaps(dc, LOGPIXELSX);
  const int dpiY = ::GetDeviceCaps(dc, LOGPIXELSY);
  ::ReleaseDC(m_hWnd, dc);
  m_pictureSize = SIZE{::MulDiv(extent.cx, dpiX, kHimetricPerInch),
                       ::MulDiv(extent.cy, dpiY, kHimetricPerInch)};
  return CreateSurface(m_pictureSize.cx, m_pictureSize.cy);
}

bool CPictureExWnd::CreateSurface(int cx, int cy) {
  if (m_hWnd) ::SetWindowPos(m_hWnd, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER);
  HDC dc = ::GetDC(m_hWnd);
  if (!dc) return false;
  m_surface = PictureSurface::Create(dc, cx, cy);
  ::ReleaseDC(m_hWnd, dc);
  return static_cast<bool>(m_surface);
}

// -------------------------------------------------------------------------------------- animation

bool CPictureExWnd::StartAnimation() {
  if (!m_surface) return false;
  if (IsAnimated()) {
    // One thread at a time: a start while a session runs ends that session first.
    if (m_animation) StopAnimation();
    m_animation = PictureAnimation::Start(m_edge, m_hWnd, m_frames, m_surface, m_currentFrame);
    return static_cast<bool>(m_animation);
  }
  if (!m_still) return false;
  const RECT all{0, 0, m_pictureSize.cx, m_pictureSize.cy};
  if (!m_surface->Render(m_edge, m_still.get(), all, nullptr)) return false;
  if (m_hWnd) ::InvalidateRect(m_hWnd, nullptr, FALSE);
  return true;
}

void CPictureExWnd::StopAnimation() {
  if (!m_animation) return;
  // After Stop no draw of the session reaches the surface, whether or not the thread has ended;
  // if it has not, it ends on its own with the session it shares.
  m_animation->Stop(kStopTimeoutMs);
  m_currentFrame = m_animation->CurrentFrame();
  m_animation.reset();
}

void CPictureExWnd::ReleasePicture() {
  StopAnimation();
  m_still.reset();
  m_frames.reset();
  m_surface.reset();
  m_pictureSize = SIZE{};
  m_currentFrame = 0;
}

// -------------------------------------------------------------------------------------- observers

int CPictureExWnd::GetFrameCount() const {
  return IsAnimated() ? static_cast<int>(m_frames->pictures.size()) : 0;
}

BOOL CPictureExWnd::IsAnimated() const {
  return (m_frames && m_frames->pictures.size() > 1) ? TRUE : FALSE;
}

BOOL CPictureExWnd::IsPlaying() const { return (m_animation && m_animation->IsPlaying()) ? TRUE : FALSE; }

int CPictureExWnd::GetCurrentFrame() const {
  return m_animation ? m_animation->CurrentFrame() : m_currentFrame;
}

// --------------------------------------------------------------------------------------- messages

LRESULT CPictureExWnd::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
  if (!::GetUpdateRect(m_hWnd, nullptr, FALSE)) return 0;
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(m_hWnd, &paint);
  if (!dc) return static_cast<LRESULT>(E_FAIL);
  if (m_surface) m_surface->PaintTo(dc);
  ::EndPaint(m_hWnd, &paint);
  return 0;
}

LRESULT CPictureExWnd::OnPrintClient(UINT, WPARAM wParam, LPARAM, BOOL&) {
  if (m_surface && wParam) m_surface->PaintTo(reinterpret_cast<HDC>(wParam));
  return 0;
}

LRESULT CPictureExWnd::OnDestroy(UINT, WPARAM, LPARAM, BOOL&) {
  StopAnimation();
  return 0;
}
