#include "widgets/PictureExWnd.h"

#include <cstdio>
#include <utility>

#include "app/AppModule.h"
#include "widgets/GifSplitter.h"
#include "widgets/GlobalGifBlockAllocator.h"
#include "widgets/PictureAnimation.h"
#include "widgets/PictureDecoding.h"
#include "widgets/PictureSurface.h"

namespace {

constexpr DWORD kStopTimeoutMs = 5000;
constexpr COLORREF kReleasedBackground = 0x00FFFFFF;
constexpr int kHimetricPerInch = 2540;

// Closes a C file when the scope ends.
struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

CPictureExWnd::CPictureExWnd() : CPictureExWnd(RealPictureSystem()) {}

CPictureExWnd::CPictureExWnd(const PictureSystem& system) : m_system(system) {}

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

bool CPictureExWnd::LoadFromFile(const char* path) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "rb"));
  if (!file) return false;
  if (std::fseek(file.get(), 0, SEEK_END) != 0) return false;
  const long length = std::ftell(file.get());
  if (length <= 0 || std::fseek(file.get(), 0, SEEK_SET) != 0) return false;
  const DWORD size = static_cast<DWORD>(length);
  GlobalMemoryHandle block(::GlobalAlloc(GMEM_MOVEABLE | GMEM_NODISCARD, size));
  if (!block) return false;
  {
    GlobalLockScope lock(block.get());
    if (!lock.Data()) return false;
    const std::size_t read =
        std::fread(const_cast<BYTE*>(lock.Data()), 1, static_cast<std::size_t>(size), file.get());
    if (read != size) return false;
  }
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
    if (GifSplitter::HasGifSignature(lock.Data(), size)) {
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
  m_isGif = true;
  GifSplitter splitter(GlobalGifBlockAllocator());
  if (!splitter.Attach(lock.Data(), size)) return false;
  m_pictureSize = SIZE{splitter.ScreenWidth(), splitter.ScreenHeight()};
  const std::int32_t count = splitter.CountFrames();
  if (count == 0) return false;

  if (count == 1) {
    // A single frame is a still picture: the loader gets the whole file.
    splitter.Detach();
    lock.Unlock();
    m_still = DecodePicture(block, size, false);
    if (!m_still) return false;
    return CreateSurface(m_pictureSize.cx, m_pictureSize.cy);
  }

  // Every frame is decoded once, here, into a picture of its own; the thread only renders.
  auto frames = std::make_shared<PictureFrames>();
  splitter.RewindToFirstBlock();
  GifImageBlock image;
  GifFrameInfo info;
  while (splitter.ExtractFrame(image, info)) {
    // The stream owns the GMEM_FIXED block and frees it when it goes.
    PictureHandle picture = DecodePicture(static_cast<HGLOBAL>(image.block), image.length, true);
    image = GifImageBlock();
    if (picture) frames->frames.push_back(PictureFrame{std::move(picture), info});
  }
  splitter.Detach();
  if (frames->frames.empty()) return false;
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
    m_animation = PictureAnimation::Start(m_system, m_hWnd, m_frames, m_surface, m_currentFrame);
    return static_cast<bool>(m_animation);
  }
  if (!m_still) return false;
  const RECT all{0, 0, m_pictureSize.cx, m_pictureSize.cy};
  if (!m_surface->Render(m_system, m_still.get(), all, nullptr)) return false;
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
  m_sourceRect = RECT{};
  m_pictureSize = SIZE{};
  m_isGif = false;
  m_currentFrame = 0;
}

// -------------------------------------------------------------------------------------- observers

void CPictureExWnd::SetBackgroundColor(COLORREF colour) {
  if (m_surface) m_surface->SetBackground(colour);
}

COLORREF CPictureExWnd::GetBackgroundColor() const {
  return m_surface ? m_surface->Background() : kReleasedBackground;
}

bool CPictureExWnd::HasFrameList() const { return m_frames && m_frames->frames.size() > 1; }

int CPictureExWnd::GetFrameCount() const {
  return IsAnimated() ? static_cast<int>(m_frames->frames.size()) : 0;
}

BOOL CPictureExWnd::IsAnimated() const { return (m_isGif && HasFrameList()) ? TRUE : FALSE; }

BOOL CPictureExWnd::IsPlaying() const { return (m_animation && m_animation->IsPlaying()) ? TRUE : FALSE; }

int CPictureExWnd::GetCurrentFrame() const {
  return m_animation ? m_animation->CurrentFrame() : m_currentFrame;
}

bool CPictureExWnd::GetFrameInfo(int index, GifFrameInfo& info) const {
  if (!m_frames || index < 0 || static_cast<std::size_t>(index) >= m_frames->frames.size())
    return false;
  info = m_frames->frames[static_cast<std::size_t>(index)].info;
  return true;
}

bool CPictureExWnd::CopySurfacePixels(std::vector<COLORREF>& pixels) const {
  if (!m_surface) {
    pixels.clear();
    return false;
  }
  return m_surface->CopyPixels(pixels);
}

// --------------------------------------------------------------------------------------- messages

LRESULT CPictureExWnd::OnPaint(UINT, WPARAM, LPARAM, BOOL&) {
  if (!::GetUpdateRect(m_hWnd, nullptr, FALSE)) return 0;
  PAINTSTRUCT paint;
  HDC dc = ::BeginPaint(m_hWnd, &paint);
  if (!dc) return static_cast<LRESULT>(E_FAIL);
  if (m_surface) m_surface->PaintTo(dc, m_sourceRect);
  ::EndPaint(m_hWnd, &paint);
  return 0;
}

LRESULT CPictureExWnd::OnDestroy(UINT, WPARAM, LPARAM, BOOL&) {
  StopAnimation();
  return 0;
}
