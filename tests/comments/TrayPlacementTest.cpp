// The placement beside the tray icon under Wine, with the icon's rectangle given through the seam
// (Wine's shell cannot say where an icon is) and the window moved for real.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "DialogTestBed.h"
#include "comments/TrayPlacement.h"

namespace {

// What the placement asked of the shell, and what the fakes answer; the edge's context.
struct Recorder {
  DWORD cbSize = 0;
  HWND owner = nullptr;
  UINT id = 0;
  bool zeroGuid = false;
  UINT flags = 0;
  POINT anchor{};
  SIZE size{};
  RECT exclude{};
  int calculateCalls = 0;
  RECT iconRect{};
  HRESULT iconResult = S_OK;
  RECT popupRect{};
};

Recorder& Of(void* context) { return *static_cast<Recorder*>(context); }

HRESULT FakeGetRect(void* context, const NOTIFYICONIDENTIFIER* icon, RECT* rect) {
  static const GUID zero{};
  Recorder& r = Of(context);
  r.cbSize = icon->cbSize;
  r.owner = icon->hWnd;
  r.id = icon->uID;
  r.zeroGuid = ::IsEqualGUID(icon->guidItem, zero) != FALSE;
  *rect = r.iconRect;
  return r.iconResult;
}

BOOL FakeCalculate(void* context, const POINT* anchor, const SIZE* size, UINT flags, RECT* exclude,
                   RECT* out) {
  Recorder& r = Of(context);
  ++r.calculateCalls;
  r.anchor = *anchor;
  r.size = *size;
  r.flags = flags;
  r.exclude = *exclude;
  *out = r.popupRect;
  return TRUE;
}

BOOL FailingCalculate(void*, const POINT*, const SIZE*, UINT, RECT*, RECT*) { return FALSE; }

class TrayPlacement : public testing::Test {
 protected:
  void SetUp() override {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoA(::MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &info);
    work = info.rcWork;
    // An icon in a taskbar along the bottom, below the work area, 400 pixels from the right
    // (far enough in for the window to centre on it).
    seen.iconRect = RECT{work.right - 412, work.bottom + 4, work.right - 388, work.bottom + 28};
    api.shellNotifyIconGetRect = &FakeGetRect;
    api.calculatePopupWindowPosition = nullptr;  // as on Wine 8
    api.context = &seen;
    ::SetWindowPos(bed.hwnd(), HWND_NOTOPMOST, 40, 50, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_HIDEWINDOW);
  }
  RECT Rect() const {
    RECT rc{};
    ::GetWindowRect(bed.hwnd(), &rc);
    return rc;
  }
  bool Topmost() const { return (::GetWindowLongA(bed.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

  commentstest::DialogBed bed;
  Recorder seen;
  TrayPlacementEdge api;
  RECT work{};
};

TEST_F(TrayPlacement, AboveTheIconWithOurOwnCalculation) {
  const RECT before = Rect();
  const int w = before.right - before.left, h = before.bottom - before.top;
  ASSERT_TRUE(PositionNearTrayIcon(bed.hwnd(), reinterpret_cast<HWND>(0x1234), 201, api));
  EXPECT_EQ(sizeof(NOTIFYICONIDENTIFIER), seen.cbSize);
  EXPECT_EQ(40u, seen.cbSize) << "the x64 record";
  EXPECT_EQ(reinterpret_cast<HWND>(0x1234), seen.owner);
  EXPECT_EQ(201u, seen.id);
  EXPECT_TRUE(seen.zeroGuid);

  const RECT after = Rect();
  EXPECT_EQ(w, after.right - after.left) << "the size is kept";
  EXPECT_EQ(h, after.bottom - after.top);
  EXPECT_EQ(work.bottom, after.bottom) << "directly above the taskbar";
  EXPECT_EQ((seen.iconRect.left + seen.iconRect.right) / 2 - w / 2, after.left) << "centred on the icon";
  RECT overlap{};
  EXPECT_FALSE(::IntersectRect(&overlap, &after, &seen.iconRect));
  EXPECT_TRUE(::IsWindowVisible(bed.hwnd())) << "shown";
  EXPECT_TRUE(Topmost());
}

TEST_F(TrayPlacement, UsesTheSystemCalculationWhereThereIsOne) {
  api.calculatePopupWindowPosition = &FakeCalculate;
  seen.popupRect = RECT{300, 200, 301, 201};  // only the corner counts
  const RECT before = Rect();
  ASSERT_TRUE(PositionNearTrayIcon(bed.hwnd(), nullptr, 201, api));
  EXPECT_EQ(1, seen.calculateCalls);
  EXPECT_EQ(0x10054u, seen.flags);
  EXPECT_EQ((seen.iconRect.left + seen.iconRect.right) / 2, seen.anchor.x);
  EXPECT_EQ((seen.iconRect.top + seen.iconRect.bottom) / 2, seen.anchor.y);
  EXPECT_EQ(before.right - before.left, seen.size.cx);
  EXPECT_TRUE(::EqualRect(&seen.iconRect, &seen.exclude));
  const RECT after = Rect();
  EXPECT_EQ(300, after.left);
  EXPECT_EQ(200, after.top);
  EXPECT_EQ(before.right - before.left, after.right - after.left);
}

TEST_F(TrayPlacement, FailuresLeaveTheWindowWhereItWas) {
  const RECT before = Rect();
  {
    SCOPED_TRACE("icon rectangle unavailable");
    seen.iconResult = E_FAIL;
    EXPECT_FALSE(PositionNearTrayIcon(bed.hwnd(), nullptr, 201, api));
    seen.iconResult = S_OK;
  }
  {
    SCOPED_TRACE("window rectangle unavailable: a window that is gone");
    HWND gone = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
    ::DestroyWindow(gone);
    EXPECT_FALSE(PositionNearTrayIcon(gone, nullptr, 201, api));
  }
  {
    SCOPED_TRACE("no position computed");
    TrayPlacementEdge broken = api;
    broken.calculatePopupWindowPosition = &FailingCalculate;
    EXPECT_FALSE(PositionNearTrayIcon(bed.hwnd(), nullptr, 201, broken));
  }
  const RECT after = Rect();
  EXPECT_TRUE(::EqualRect(&before, &after));
  EXPECT_FALSE(::IsWindowVisible(bed.hwnd()));
  EXPECT_FALSE(Topmost());
}

TEST_F(TrayPlacement, TheRealCallsUnderWine) {
  // Wine 8's user32 has no CalculatePopupWindowPosition: the lookup finds none instead of the
  // process being ended by a stub. And its shell cannot give a tray icon's rectangle, so the
  // placement fails and the window stays where it was, to be shown there.
  const TrayPlacementEdge real;
  HMODULE user32 = ::GetModuleHandleA("user32.dll");
  const bool systemHasIt = ::GetProcAddress(user32, "CalculatePopupWindowPosition") != nullptr;
  EXPECT_EQ(systemHasIt, real.calculatePopupWindowPosition != nullptr);
  const RECT before = Rect();
  const bool placed = PositionNearTrayIcon(bed.hwnd(), bed.hwnd(), 201);
  if (!placed) {
    const RECT after = Rect();
    EXPECT_TRUE(::EqualRect(&before, &after));
  }
  RECT icon{};
  NOTIFYICONIDENTIFIER id{};
  id.cbSize = sizeof id;
  id.hWnd = bed.hwnd();
  id.uID = 201;
  EXPECT_EQ(FAILED(::Shell_NotifyIconGetRect(&id, &icon)), !placed);
}

}  // namespace
