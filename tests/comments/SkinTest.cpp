// The bitmap skin under Wine: the region against the bitmap's pixels, the skin's failure paths through its platform seam, and the skinned window's size, place, painting and
// hit test (sent to the real dialog, answered through DWLP_MSGRESULT).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include "DialogTestBed.h"
#include "comments/SkinDialogImpl.h"
#include "comments/SkinRegion.h"
#include "framework/DialogImpl.h"

namespace {

constexpr COLORREF kKey = RGB(255, 0, 255);

// A device-dependent bitmap, as LoadImage makes them, with the given pixels (COLORREFs, top row
// first).
HBITMAP MakeBitmap(int w, int h, const std::vector<COLORREF>& pixels) {
  HDC screen = ::GetDC(nullptr);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, w, h);
  ::ReleaseDC(nullptr, screen);
  std::vector<std::uint32_t> dib(pixels.size());
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    dib[i] = (GetRValue(pixels[i]) << 16) | (GetGValue(pixels[i]) << 8) | GetBValue(pixels[i]);
  }
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HDC dc = ::CreateCompatibleDC(nullptr);
  ::SetDIBits(dc, bitmap, 0, h, dib.data(), &info, DIB_RGB_COLORS);
  ::DeleteDC(dc);
  return bitmap;
}

HBITMAP MakeBitmap(int w, int h, const std::function<COLORREF(int, int)>& colour) {
  std::vector<COLORREF> pixels(static_cast<std::size_t>(w) * h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) pixels[y * w + x] = colour(x, y);
  return MakeBitmap(w, h, pixels);
}

HRGN BulkRegion(HBITMAP bitmap) {
  MemoryDcHandle dc(::CreateCompatibleDC(nullptr));
  return BuildSkinRegion(dc.get(), bitmap, kKey, RealSkinPlatformApi());
}

// The region holds exactly the pixels of a `size` bitmap that are not the key.
void ExpectRegionIs(HRGN region, SIZE size, const std::function<bool(int, int)>& isKey) {
  ASSERT_TRUE(region);
  for (int y = 0; y < size.cy; ++y) {
    for (int x = 0; x < size.cx; ++x) {
      ASSERT_EQ(!isKey(x, y), ::PtInRegion(region, x, y) != FALSE) << x << "," << y;
    }
  }
  RECT box{};
  ::GetRgnBox(region, &box);
  EXPECT_LE(box.right, size.cx);
  EXPECT_LE(box.bottom, size.cy);
}

void ExpectRegionsAgree(HBITMAP bitmap, const std::function<bool(int, int)>& isKey) {
  RegionHandle bulk(BulkRegion(bitmap));
  ExpectRegionIs(bulk.get(), commentstest::BitmapSize(bitmap), isKey);
}

TEST(SkinRegion, IsExactlyTheNonKeyPixels) {
  {
    SCOPED_TRACE("no key pixel: the full rectangle");
    BitmapHandle bitmap(MakeBitmap(31, 9, [](int, int) { return RGB(10, 20, 30); }));
    ExpectRegionsAgree(bitmap.get(), [](int, int) { return false; });
    RegionHandle bulk(BulkRegion(bitmap.get()));
    RECT box{};
    EXPECT_EQ(SIMPLEREGION, ::GetRgnBox(bulk.get(), &box));
    EXPECT_EQ((RECT{0, 0, 31, 9}).right, box.right);
    EXPECT_EQ(9, box.bottom);
  }
  {
    SCOPED_TRACE("key pixels at x = 0 and x = width - 1 of every row");
    auto key = [](int x, int) { return x == 0 || x == 19; };
    BitmapHandle bitmap(MakeBitmap(20, 6, [&](int x, int y) { return key(x, y) ? kKey : RGB(1, 2, 3); }));
    ExpectRegionsAgree(bitmap.get(), key);
  }
  {
    SCOPED_TRACE("whole key rows, first and last included");
    auto key = [](int, int y) { return y == 0 || y == 3 || y == 4 || y == 7; };
    BitmapHandle bitmap(MakeBitmap(12, 8, [&](int x, int y) { return key(x, y) ? kKey : RGB(200, 0, 255); }));
    ExpectRegionsAgree(bitmap.get(), key);
  }
  {
    SCOPED_TRACE("all key: an empty region");
    BitmapHandle bitmap(MakeBitmap(8, 8, [](int, int) { return kKey; }));
    ExpectRegionsAgree(bitmap.get(), [](int, int) { return true; });
    RegionHandle bulk(BulkRegion(bitmap.get()));
    RECT box{};
    EXPECT_EQ(NULLREGION, ::GetRgnBox(bulk.get(), &box));
  }
  {
    SCOPED_TRACE("a triangle with lone key rows: any row read upside down or out of order shows");
    auto key = [](int x, int y) { return y == 15 || y == 16 || y == 31 || x > y + 3; };
    BitmapHandle bitmap(MakeBitmap(40, 33, [&](int x, int y) { return key(x, y) ? kKey : RGB(9, 9, 9); }));
    ExpectRegionsAgree(bitmap.get(), key);
  }
  {
    SCOPED_TRACE("rounded corners, a hole and noise, with colours next to the key");
    std::mt19937 random(7);
    std::vector<bool> keys(64 * 40);
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 64; ++x) {
        const int cx = x < 32 ? x : 63 - x, cy = y < 20 ? y : 39 - y;
        keys[y * 64 + x] = cx + cy < 6 || (x > 20 && x < 30 && y > 10 && y < 25) || random() % 17 == 0;
      }
    auto key = [&](int x, int y) { return static_cast<bool>(keys[y * 64 + x]); };
    BitmapHandle bitmap(MakeBitmap(64, 40, [&](int x, int y) {
      return key(x, y) ? kKey : ((x + y) % 2 ? RGB(255, 0, 254) : RGB(254, 0, 255));
    }));
    ExpectRegionsAgree(bitmap.get(), key);
  }
}

TEST(SkinRegion, TheProgramsSkinsAreFullRectangles) {
  commentstest::EnsureModule();
  for (int id : {IDB_SKIN_96, IDB_SKIN_120, IDB_SKIN_144, IDB_SKIN_192}) {
    SCOPED_TRACE(testing::Message() << "skin " << id);
    BitmapHandle skin(static_cast<HBITMAP>(
        ::LoadImageA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, 0)));
    ASSERT_TRUE(skin);
    const SIZE size = commentstest::BitmapSize(skin.get());
    RegionHandle bulk(BulkRegion(skin.get()));
    ASSERT_TRUE(bulk);
    RegionHandle full(::CreateRectRgn(0, 0, size.cx, size.cy));
    EXPECT_TRUE(::EqualRgn(bulk.get(), full.get()));
  }
}

// A dialog of template 129 with only the skin, applied by the test.
class SkinOnlyDlg : public CDialogImpl<SkinOnlyDlg>, public CSkinDialogImpl<SkinOnlyDlg> {
 public:
  enum { IDD = IDD_MAINDLG };
  BEGIN_MSG_MAP(SkinOnlyDlg)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    CHAIN_MSG_MAP(CSkinDialogImpl<SkinOnlyDlg>)
  END_MSG_MAP()
  LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) { return TRUE; }
};

// Seam entries that fail, one per platform call.
LONG WINAPI FailingSetWindowLong(HWND, int, LONG) { return 0; }
int WINAPI FailingGetDIBits(HDC, HBITMAP, UINT, UINT, LPVOID, LPBITMAPINFO, UINT) { return 0; }
HRGN WINAPI FailingExtCreateRegion(const XFORM*, DWORD, const RGNDATA*) { return nullptr; }
int WINAPI FailingSetWindowRgn(HWND, HRGN, BOOL) { return 0; }

struct SkinBed {
  SkinOnlyDlg dlg;
  SkinPlatformApi api = RealSkinPlatformApi();
  LONG styleBefore = 0;
  RECT rectBefore{};

  explicit SkinBed(HBITMAP bitmap) {
    commentstest::EnsureModule();
    dlg.Create(nullptr);
    dlg.m_api = &api;
    dlg.m_hBitmap.reset(bitmap);
    styleBefore = ::GetWindowLongA(dlg, GWL_STYLE);
    ::GetWindowRect(dlg, &rectBefore);
  }
  ~SkinBed() { ::DestroyWindow(dlg); }
  LONG Style() const { return ::GetWindowLongA(dlg.m_hWnd, GWL_STYLE); }
  // The system keeps WS_CLIPSIBLINGS on every top-level window, whatever the style set.
  LONG StrippedStyle() const { return Style() & ~WS_CLIPSIBLINGS; }
  bool Unmoved() const {
    RECT rc{};
    ::GetWindowRect(dlg.m_hWnd, &rc);
    return ::EqualRect(&rc, &rectBefore) != FALSE;
  }
  LRESULT HitTest() const { return ::SendMessageA(dlg.m_hWnd, WM_NCHITTEST, 0, MAKELPARAM(rectBefore.left + 2, rectBefore.top + 2)); }
};

// 120 x 80 with cut corners: key pixels where the corner triangles are.
bool ShapedKey(int x, int y) {
  const int cx = x < 60 ? x : 119 - x, cy = y < 40 ? y : 79 - y;
  return cx + cy < 10;
}

HBITMAP ShapedBitmap() {
  return MakeBitmap(120, 80, [](int x, int y) { return ShapedKey(x, y) ? kKey : RGB(240, 240, 240); });
}

// What the bulk way asked of GetDIBits, read by the seam below.
struct DibRead {
  UINT start = 0, lines = 0;
  LONG height = 0;
  WORD bits = 0;
  bool selected = false;  // the bitmap was in a device context at the time
};
std::vector<DibRead> g_reads;

int WINAPI RecordingGetDIBits(HDC dc, HBITMAP bitmap, UINT start, UINT lines, LPVOID bits,
                              LPBITMAPINFO info, UINT usage) {
  DibRead read;
  read.start = start;
  read.lines = lines;
  read.height = info->bmiHeader.biHeight;
  read.bits = info->bmiHeader.biBitCount;
  // A bitmap can be selected into one context at a time: if this one succeeds, it was free.
  HDC probe = ::CreateCompatibleDC(nullptr);
  HGDIOBJ old = ::SelectObject(probe, bitmap);
  read.selected = old == nullptr;
  if (old) ::SelectObject(probe, old);
  ::DeleteDC(probe);
  g_reads.push_back(read);
  return ::GetDIBits(dc, bitmap, start, lines, bits, info, usage);
}

// Bands of at most 256 KB of 32-bit pixels, read from the top band down, scan lines counted from
// the bottom of a bottom-up DIB; every row read once.
TEST(SkinRegion, PixelsAreReadInBandsFromTheTop) {
  SkinPlatformApi api = RealSkinPlatformApi();
  api.getDIBits = &RecordingGetDIBits;
  auto key = [](int x, int y) { return x > y; };
  BitmapHandle tall(MakeBitmap(7, 50, [&](int x, int y) { return key(x, y) ? kKey : RGB(3, 3, 3); }));
  BitmapHandle wide(MakeBitmap(90, 4, [&](int x, int y) { return key(x, y) ? kKey : RGB(3, 3, 3); }));
  // 4096 pixels a row: 16 rows to a band.
  BitmapHandle banded(MakeBitmap(4096, 40, [&](int x, int y) { return key(x / 100, y) ? kKey : RGB(3, 3, 3); }));
  struct Case {
    HBITMAP bitmap;
    std::vector<UINT> starts, lines;
    std::function<bool(int, int)> isKey;
  };
  const Case cases[] = {
      {tall.get(), {0}, {50}, key},
      {wide.get(), {0}, {4}, key},
      {banded.get(), {24, 8, 0}, {16, 16, 8}, [&](int x, int y) { return key(x / 100, y); }},
  };
  MemoryDcHandle dc(::CreateCompatibleDC(nullptr));
  for (const Case& c : cases) {
    const SIZE size = commentstest::BitmapSize(c.bitmap);
    SCOPED_TRACE(testing::Message() << size.cx << " x " << size.cy);
    g_reads.clear();
    RegionHandle bulk(BuildSkinRegion(dc.get(), c.bitmap, kKey, api));
    ASSERT_TRUE(bulk);
    ASSERT_EQ(c.starts.size(), g_reads.size());
    for (std::size_t i = 0; i < g_reads.size(); ++i) {
      EXPECT_EQ(c.starts[i], g_reads[i].start) << i;
      EXPECT_EQ(c.lines[i], g_reads[i].lines) << i;
      EXPECT_EQ(size.cy, g_reads[i].height) << "bottom-up";
      EXPECT_EQ(32, g_reads[i].bits);
      EXPECT_FALSE(g_reads[i].selected);
    }
    ExpectRegionIs(bulk.get(), size, c.isKey);
  }
  {
    SCOPED_TRACE("through the skin: the read comes before the bitmap goes into the surface");
    SkinBed bed(ShapedBitmap());
    bed.api.getDIBits = &RecordingGetDIBits;
    g_reads.clear();
    EXPECT_TRUE(bed.dlg.ApplySkin());
    EXPECT_EQ(1u, g_reads.size());
    EXPECT_FALSE(g_reads.empty() || g_reads[0].selected);
  }
}

TEST(SkinDialog, FailurePaths) {
  {
    SCOPED_TRACE("no bitmap: nothing changes");
    SkinBed bed(nullptr);
    EXPECT_FALSE(bed.dlg.ApplySkin());
    EXPECT_EQ(bed.styleBefore, bed.Style());
    EXPECT_TRUE(bed.Unmoved());
    EXPECT_FALSE(bed.dlg.m_bSkinned);
    EXPECT_NE(HTCAPTION, bed.HitTest());
  }
  {
    SCOPED_TRACE("style change refused: the bitmap is given up");
    SkinBed bed(ShapedBitmap());
    bed.api.setWindowLong = &FailingSetWindowLong;
    EXPECT_FALSE(bed.dlg.ApplySkin());
    EXPECT_FALSE(bed.dlg.m_hBitmap);
    EXPECT_FALSE(bed.dlg.m_bSkinned);
  }
  {
    SCOPED_TRACE("the bulk read fails: style restored");
    SkinBed bed(ShapedBitmap());
    bed.api.getDIBits = &FailingGetDIBits;
    EXPECT_FALSE(bed.dlg.ApplySkin());
    EXPECT_EQ(bed.styleBefore, bed.Style());
    EXPECT_TRUE(bed.Unmoved());
    EXPECT_FALSE(bed.dlg.m_bSkinned);
  }
  {
    SCOPED_TRACE("the region cannot be made: style restored");
    SkinBed bed(ShapedBitmap());
    bed.api.extCreateRegion = &FailingExtCreateRegion;
    EXPECT_FALSE(bed.dlg.ApplySkin());
    EXPECT_EQ(bed.styleBefore, bed.Style());
    EXPECT_FALSE(bed.dlg.m_bSkinned);
    HRGN probe = ::CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(ERROR, ::GetWindowRgn(bed.dlg, probe)) << "no region on the window";
    ::DeleteObject(probe);
  }
  {
    SCOPED_TRACE("the region cannot be set: true, style stripped, window otherwise untouched");
    SkinBed bed(ShapedBitmap());
    bed.api.setWindowRgn = &FailingSetWindowRgn;
    EXPECT_TRUE(bed.dlg.ApplySkin());
    EXPECT_EQ(static_cast<LONG>(bed.styleBefore & (WS_POPUP | WS_SYSMENU)), bed.StrippedStyle());
    EXPECT_FALSE(bed.dlg.m_bSkinned);
    EXPECT_TRUE(bed.Unmoved());
    bed.dlg.m_bDraggable = TRUE;
    EXPECT_NE(HTCAPTION, bed.HitTest()) << "not skinned: not draggable";
  }
}

TEST(SkinDialog, SkinnedWindow) {
  SkinBed bed(ShapedBitmap());
  ASSERT_TRUE(bed.dlg.ApplySkin());
  EXPECT_TRUE(bed.dlg.m_bSkinned);
  EXPECT_EQ(static_cast<LONG>(bed.styleBefore & (WS_POPUP | WS_SYSMENU)), bed.StrippedStyle());
  {
    SCOPED_TRACE("sized to the bitmap, centred on the primary screen");
    RECT rc{};
    ::GetWindowRect(bed.dlg, &rc);
    EXPECT_EQ(120, rc.right - rc.left);
    EXPECT_EQ(80, rc.bottom - rc.top);
    EXPECT_EQ(::GetSystemMetrics(SM_CXSCREEN) / 2 - 60, rc.left);
    EXPECT_EQ(::GetSystemMetrics(SM_CYSCREEN) / 2 - 40, rc.top);
  }
  {
    SCOPED_TRACE("the window's region is the bitmap's");
    RegionHandle windowRegion(::CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(ERROR, ::GetWindowRgn(bed.dlg, windowRegion.get()));
    ExpectRegionIs(windowRegion.get(), SIZE{120, 80}, &ShapedKey);
    EXPECT_FALSE(::PtInRegion(windowRegion.get(), 0, 0));
    EXPECT_TRUE(::PtInRegion(windowRegion.get(), 60, 40));
  }
  {
    SCOPED_TRACE("hit test: nowhere until draggable, then caption");
    RECT rc{};
    ::GetWindowRect(bed.dlg, &rc);
    const LPARAM point = MAKELPARAM(rc.left + 20, rc.top + 70);  // bare background
    EXPECT_EQ(HTNOWHERE, ::SendMessageA(bed.dlg, WM_NCHITTEST, 0, point));
    bed.dlg.m_bDraggable = TRUE;
    EXPECT_EQ(HTCAPTION, ::SendMessageA(bed.dlg, WM_NCHITTEST, 0, point));
  }
  {
    SCOPED_TRACE("statics draw transparent, with the hollow brush returned directly");
    HDC dc = ::GetDC(bed.dlg);
    ::SetBkMode(dc, OPAQUE);
    const LRESULT brush = ::SendMessageA(bed.dlg, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                         reinterpret_cast<LPARAM>(::GetWindow(bed.dlg, GW_CHILD)));
    EXPECT_EQ(reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH)), brush);
    EXPECT_EQ(TRANSPARENT, ::GetBkMode(dc));
    ::ReleaseDC(bed.dlg, dc);
  }
  {
    SCOPED_TRACE("the background is the bitmap, in one block copy");
    HDC screen = ::GetDC(nullptr);
    MemoryDcHandle dc(::CreateCompatibleDC(screen));
    BitmapHandle target(::CreateCompatibleBitmap(screen, 120, 80));
    ::ReleaseDC(nullptr, screen);
    HGDIOBJ old = ::SelectObject(dc.get(), target.get());
    ::SendMessageA(bed.dlg, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.get()), 0);
    EXPECT_EQ(RGB(240, 240, 240), ::GetPixel(dc.get(), 60, 40));
    EXPECT_EQ(kKey, ::GetPixel(dc.get(), 0, 0));
    ::SelectObject(dc.get(), old);
  }
}

TEST(SkinDialog, TheCommentsWindowIsDraggableByItsBackground) {
  commentstest::DialogBed bed;
  CMainDlg& dlg = bed.dlg();
  ASSERT_TRUE(dlg.m_bSkinned);
  EXPECT_TRUE(dlg.m_bDraggable);
  RECT rc{};
  ::GetWindowRect(bed.hwnd(), &rc);
  EXPECT_EQ(commentstest::BitmapSize(dlg.m_hBitmap.get()).cx, rc.right - rc.left);
  EXPECT_EQ(commentstest::BitmapSize(dlg.m_hBitmap.get()).cy, rc.bottom - rc.top);
  EXPECT_EQ(::GetSystemMetrics(SM_CXSCREEN) / 2 - (rc.right - rc.left) / 2, rc.left);
  bed.ShowActive();
  // The logo band at the left and the empty middle are background; the buttons are not.
  EXPECT_EQ(HTCAPTION, ::SendMessageA(bed.hwnd(), WM_NCHITTEST, 0, MAKELPARAM(rc.left + 30, rc.top + 150)));
  EXPECT_EQ(HTCAPTION, ::SendMessageA(bed.hwnd(), WM_NCHITTEST, 0, MAKELPARAM(rc.left + 300, rc.top + 100)));
  RECT close{};
  ::GetWindowRect(bed.Item(IDC_CLOSE), &close);
  const POINT onClose{(close.left + close.right) / 2, (close.top + close.bottom) / 2};
  EXPECT_EQ(bed.Item(IDC_CLOSE), ::WindowFromPoint(onClose));
  EXPECT_EQ(HTCLIENT, ::SendMessageA(bed.Item(IDC_CLOSE), WM_NCHITTEST, 0, MAKELPARAM(onClose.x, onClose.y)));
}

}  // namespace
