#include "PictureTestBed.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "tools/WinTestSupport.h"
#include "widgets/PictureDecoding.h"

namespace picturetest {

namespace {

// The picture loader needs COM on the thread that loads, as the program has it.
class ComEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(::CoInitialize(nullptr))); }
  void TearDown() override { ::CoUninitialize(); }
};
const ::testing::Environment* const kCom = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

// Wine's default colours, like current Windows', give the menu and the button face the same
// grey, so a surface still in its initial menu-colour fill could not be told from one filled with
// its background. Distinct colours while the tests run, the old ones put back afterwards.
class DistinctSystemColours : public ::testing::Environment {
 public:
  void SetUp() override {
    for (int i = 0; i < 2; ++i) m_saved[i] = ::GetSysColor(kElements[i]);
    const COLORREF distinct[] = {RGB(250, 228, 176), RGB(176, 200, 250)};
    ASSERT_TRUE(::SetSysColors(2, kElements, distinct));
    ASSERT_NE(::GetSysColor(COLOR_MENU), ::GetSysColor(COLOR_BTNFACE));
  }
  void TearDown() override { ::SetSysColors(2, kElements, m_saved); }

 private:
  static constexpr INT kElements[2] = {COLOR_MENU, COLOR_BTNFACE};
  COLORREF m_saved[2] = {};
};
const ::testing::Environment* const kColours =
    ::testing::AddGlobalTestEnvironment(new DistinctSystemColours);

constexpr char kFrameClass[] = "SivrelPictureTestFrame";
constexpr int kPlaceholderId = 1020;

void RegisterFrameClass() {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  if (::GetClassInfoExA(::GetModuleHandleA(nullptr), kFrameClass, &wc)) return;
  wc.lpfnWndProc = &::DefWindowProcA;
  wc.hInstance = ::GetModuleHandleA(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = kFrameClass;
  ::RegisterClassExA(&wc);
}

}  // namespace

// ------------------------------------------------------------------------------------ test window

TestWindow::TestWindow(bool visible) {
  RegisterFrameClass();
  const DWORD style = WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0);
  m_frame = ::CreateWindowExA(0, kFrameClass, "Picture test", style, 40,
                              40, 240, 160, nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  m_placeholder = ::CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, 21, 18, m_frame,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kPlaceholderId)),
                                    ::GetModuleHandleA(nullptr), nullptr);
  wintest::PumpIdle();
}

TestWindow::~TestWindow() { Destroy(); }

void TestWindow::Destroy() {
  if (m_frame && ::IsWindow(m_frame)) ::DestroyWindow(m_frame);
  m_frame = m_placeholder = nullptr;
}

// ------------------------------------------------------------------------------------- pictures

COLORREF PaletteColour(int index, int bits) {
  const int entries = 1 << bits;
  return RGB(index * 255 / entries, 255 - index * 255 / entries, (index * 97) & 0xFF);
}

Bytes SolidImage(int left, int top, int width, int height, int index, int bits) {
  Bytes out = {0x2C,
               static_cast<std::uint8_t>(left), static_cast<std::uint8_t>(left >> 8),
               static_cast<std::uint8_t>(top), static_cast<std::uint8_t>(top >> 8),
               static_cast<std::uint8_t>(width), static_cast<std::uint8_t>(width >> 8),
               static_cast<std::uint8_t>(height), static_cast<std::uint8_t>(height >> 8),
               0x00};
  const Bytes pixels(static_cast<std::size_t>(width) * height, static_cast<std::uint8_t>(index));
  const Bytes data = EncodeImageData(pixels, bits < 2 ? 2 : bits);
  out.insert(out.end(), data.begin(), data.end());
  return out;
}

Bytes SolidGif(int width, int height, const std::vector<SolidFrame>& frames) {
  GifBuilder gif(width, height, 2);
  gif.Looping();
  for (const SolidFrame& f : frames) {
    if (f.delay >= 0) gif.GraphicControl(static_cast<std::uint16_t>(f.delay), f.disposal);
    gif.Raw(SolidImage(f.left, f.top, f.width, f.height, f.index, 2));
  }
  gif.Trailer();
  return gif.bytes();
}

Bytes TwoToneBmp(int width, int height, COLORREF top, COLORREF bottom) {
  const int stride = (width * 3 + 3) & ~3;
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = height;  // bottom-up: the first row in the file is the bottom one
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biCompression = BI_RGB;
  info.biSizeImage = static_cast<DWORD>(stride * height);
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + info.biSizeImage;
  Bytes out(file.bfSize, 0);
  std::memcpy(out.data(), &file, sizeof file);
  std::memcpy(out.data() + sizeof file, &info, sizeof info);
  for (int row = 0; row < height; ++row) {
    const int y = height - 1 - row;
    const COLORREF c = y < height / 2 ? top : bottom;
    std::uint8_t* line = out.data() + file.bfOffBits + static_cast<std::size_t>(row) * stride;
    for (int x = 0; x < width; ++x) {
      line[3 * x] = GetBValue(c);
      line[3 * x + 1] = GetGValue(c);
      line[3 * x + 2] = GetRValue(c);
    }
  }
  return out;
}

std::vector<COLORREF> PaintedBy(int width, int height, const std::function<void(HDC)>& paint) {
  // A top-down 32-bit DIB section: its bits are the pixels, row by row from the top.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  BitmapHandle bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  MemoryDcHandle dc(::CreateCompatibleDC(nullptr));
  std::vector<COLORREF> pixels;
  if (!bitmap || !dc || bits == nullptr) {
    ADD_FAILURE() << "no bitmap to paint into";
    return pixels;
  }
  HGDIOBJ previous = ::SelectObject(dc.get(), bitmap.get());
  BrushHandle unpainted(::CreateSolidBrush(kUnpainted));
  const RECT all{0, 0, width, height};
  ::FillRect(dc.get(), &all, unpainted.get());
  paint(dc.get());
  ::GdiFlush();
  ::SelectObject(dc.get(), previous);
  const auto* quad = static_cast<const RGBQUAD*>(bits);
  for (int i = 0; i < width * height; ++i)
    pixels.push_back(RGB(quad[i].rgbRed, quad[i].rgbGreen, quad[i].rgbBlue));
  return pixels;
}

std::vector<COLORREF> Painted(const CPictureExWnd& picture, int width, int height) {
  if (width == 0) {
    width = picture.GetPictureSize().cx;
    height = picture.GetPictureSize().cy;
  }
  return PaintedBy(width, height, [&](HDC dc) {
    ::SendMessageA(picture.m_hWnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  });
}

bool LoadBytes(CPictureExWnd& picture, const Bytes& bytes) {
  GlobalMemoryHandle block = CopyToMovableBlock(bytes.data(), static_cast<DWORD>(bytes.size()));
  if (!block) return false;
  return picture.LoadFromMemory(block.get(), static_cast<DWORD>(bytes.size()));
}

// ------------------------------------------------------------------------------------- steering

Steering::Steering() {
  m_step = ::CreateSemaphoreA(nullptr, 0, 1000, nullptr);
  m_blocked = ::CreateEventA(nullptr, FALSE, FALSE, nullptr);
  m_release = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

Steering::~Steering() {
  // A thread still held must not stay blocked on what goes now.
  ::SetEvent(m_release);
  for (HANDLE thread : m_threads) {
    ::WaitForSingleObject(thread, 10000);
    ::CloseHandle(thread);
  }
  ::CloseHandle(m_step);
  ::CloseHandle(m_blocked);
  ::CloseHandle(m_release);
}

PictureEdge Steering::Edge() {
  PictureEdge edge;
  edge.renderPicture = &Steering::Render;
  edge.waitForFrame = &Steering::WaitForFrame;
  edge.waitForThread = &Steering::WaitForThread;
  edge.context = this;
  return edge;
}

std::size_t Steering::WaitCount() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_waits.size();
}

std::vector<DWORD> Steering::Waits() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_waits;
}

bool Steering::Step() {
  const std::size_t before = WaitCount();
  ::ReleaseSemaphore(m_step, 1, nullptr);
  return wintest::PumpUntil([&] { return WaitCount() > before; }, 5000);
}

void Steering::Proceed() { ::ReleaseSemaphore(m_step, 1, nullptr); }

bool Steering::WaitForWaits(std::size_t count) {
  return wintest::PumpUntil([&] { return WaitCount() >= count; }, 5000);
}

void Steering::BlockNextDraw() {
  std::lock_guard<std::mutex> hold(m_lock);
  ::ResetEvent(m_release);
  m_blockNextDraw = true;
}

bool Steering::WaitUntilBlocked(DWORD timeoutMs) {
  return ::WaitForSingleObject(m_blocked, timeoutMs) == WAIT_OBJECT_0;
}

void Steering::ReleaseDraw() { ::SetEvent(m_release); }

std::vector<HANDLE> Steering::JoinedThreads() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_threads;
}

std::vector<Steering::Draw> Steering::Draws() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_draws;
}

std::size_t Steering::DrawsBy(DWORD thread) const {
  std::size_t n = 0;
  for (const Draw& d : Draws()) n += d.thread == thread ? 1 : 0;
  return n;
}

HRESULT Steering::Render(void* context, IPicture* picture, HDC dc, int x, int y, int cx, int cy) {
  auto* self = static_cast<Steering*>(context);
  bool block = false;
  {
    std::lock_guard<std::mutex> hold(self->m_lock);
    block = std::exchange(self->m_blockNextDraw, false);
  }
  if (block) {
    ::SetEvent(self->m_blocked);
    ::WaitForSingleObject(self->m_release, 30000);
  }
  {
    std::lock_guard<std::mutex> hold(self->m_lock);
    self->m_draws.push_back({::GetCurrentThreadId(), RECT{x, y, x + cx, y + cy}});
  }
  return RealRenderPicture(nullptr, picture, dc, x, y, cx, cy);
}

DWORD Steering::WaitForFrame(void* context, HANDLE exitEvent, DWORD milliseconds) {
  auto* self = static_cast<Steering*>(context);
  bool hold;
  {
    std::lock_guard<std::mutex> guard(self->m_lock);
    self->m_waits.push_back(milliseconds);
    hold = self->m_holdFrames;
  }
  if (!hold) return ::WaitForSingleObject(exitEvent, milliseconds);
  HANDLE handles[2] = {exitEvent, self->m_step};
  const DWORD r = ::WaitForMultipleObjects(2, handles, FALSE, 30000);
  return r == WAIT_OBJECT_0 ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

DWORD Steering::WaitForThread(void* context, HANDLE thread, DWORD milliseconds) {
  auto* self = static_cast<Steering*>(context);
  HANDLE copy = nullptr;
  ::DuplicateHandle(::GetCurrentProcess(), thread, ::GetCurrentProcess(), &copy, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
  bool abandon;
  {
    std::lock_guard<std::mutex> guard(self->m_lock);
    if (copy) self->m_threads.push_back(copy);
    abandon = self->m_abandonJoins;
  }
  if (abandon) return WAIT_TIMEOUT;
  return ::WaitForSingleObject(thread, milliseconds);
}

}  // namespace picturetest
