// The window layer with real windows: message-map chaining, binding and unbinding, subclassing,
// destruction inside a handler, dialog results, centring.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/AppModule.h"
#include "framework/DialogImpl.h"
#include "framework/WindowImpl.h"
#include "framework/FrameworkTestDialogs.h"
#include "tools/WinTestSupport.h"

namespace {

constexpr UINT kPing = WM_APP + 1;
constexpr UINT kDestroyMe = WM_APP + 2;
constexpr UINT kNested = WM_APP + 3;

// A mix-in with a map of its own, chained after the owner's entries.
template <class T>
class Chained {
 public:
  std::vector<std::string>* log = nullptr;
  BEGIN_MSG_MAP(Chained)
    MESSAGE_HANDLER(kPing, OnPing)
  END_MSG_MAP()
  LRESULT OnPing(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    log->push_back("chained");
    bHandled = wParam == 2;
    return 22;
  }
};

class TestWindow : public CWindowImpl<TestWindow, CWindow, CWinTraits<WS_POPUP, 0>>,
                   public Chained<TestWindow> {
 public:
  std::vector<std::string> events;
  int finalCalls = 0;
  bool outerReturned = false;
  bool finalBeforeOuterReturned = false;

  TestWindow() { Chained<TestWindow>::log = &events; }

  BEGIN_MSG_MAP(TestWindow)
    MESSAGE_HANDLER(WM_NCCREATE, OnNcCreate)
    MESSAGE_HANDLER(kPing, OnPingFirst)
    MESSAGE_HANDLER(kPing, OnPingSecond)
    MESSAGE_HANDLER(kDestroyMe, OnDestroyMe)
    MESSAGE_HANDLER(kNested, OnNested)
    CHAIN_MSG_MAP(Chained<TestWindow>)
  END_MSG_MAP()

  LRESULT OnNcCreate(UINT, WPARAM, LPARAM, BOOL& bHandled) {
    events.push_back(FromHandle(m_hWnd) == this ? "bound at WM_NCCREATE" : "not bound");
    bHandled = FALSE;
    return 0;
  }
  // wParam 0: the first entry takes it; 1: passes it on to the second; 2, 3: on to the chain,
  // which keeps 2 and lets 3 go on to default processing.
  LRESULT OnPingFirst(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    events.push_back("first");
    bHandled = wParam == 0;
    return 10;
  }
  LRESULT OnPingSecond(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
    events.push_back("second");
    bHandled = wParam == 1;
    return 11;
  }
  LRESULT OnDestroyMe(UINT, WPARAM, LPARAM, BOOL&) {
    DestroyWindow();
    return 5;
  }
  // A nested dispatch (as in a modal loop) destroys the window under this handler.
  LRESULT OnNested(UINT, WPARAM, LPARAM, BOOL&) {
    HWND self = m_hWnd;
    ::SendMessageA(self, kDestroyMe, 0, 0);
    events.push_back(m_hWnd ? "still bound" : "unbound under the handler");
    outerReturned = true;
    return 6;
  }
  void OnFinalMessage(HWND) override {
    ++finalCalls;
    finalBeforeOuterReturned = !outerReturned;
  }
};

class WindowLayerTest : public ::testing::Test {
 protected:
  void SetUp() override { g_appModule.Initialize(::GetModuleHandleA(nullptr)); }
  void TearDown() override { g_appModule.Shutdown(); }
};

TEST_F(WindowLayerTest, EntriesThatDeclineGoOnToLaterEntriesThenTheChainThenDefault) {
  TestWindow w;
  ASSERT_TRUE(w.Create(nullptr));
  EXPECT_EQ(w.events, std::vector<std::string>{"bound at WM_NCCREATE"});
  EXPECT_EQ(CWindowImplRoot::FromHandle(w), &w);

  struct Case { WPARAM wParam; LRESULT result; std::vector<std::string> events; };
  const Case cases[] = {
      {0, 10, {"first"}},
      {1, 11, {"first", "second"}},
      {2, 22, {"first", "second", "chained"}},
      {3, 0, {"first", "second", "chained"}},  // DefWindowProc answers 0 for a private message
  };
  for (const Case& c : cases) {
    w.events.clear();
    EXPECT_EQ(::SendMessageA(w, kPing, c.wParam, 0), c.result) << c.wParam;
    EXPECT_EQ(w.events, c.events) << c.wParam;
  }
  HWND hWnd = w;
  w.DestroyWindow();
  EXPECT_EQ(w.m_hWnd, nullptr);
  EXPECT_EQ(CWindowImplRoot::FromHandle(hWnd), nullptr);
  EXPECT_EQ(w.finalCalls, 1);
}

TEST_F(WindowLayerTest, DestroyedUnderItsOwnNestedHandlerFinalMessageComesLast) {
  TestWindow w;
  ASSERT_TRUE(w.Create(nullptr));
  w.events.clear();
  EXPECT_EQ(::SendMessageA(w, kNested, 0, 0), 6);
  EXPECT_EQ(w.events, std::vector<std::string>{"unbound under the handler"});
  EXPECT_EQ(w.finalCalls, 1);
  EXPECT_FALSE(w.finalBeforeOuterReturned)
      << "OnFinalMessage ran while a handler of the window was still on the stack";
}

class SubclassedStatic : public CWindowImpl<SubclassedStatic> {
 public:
  int pings = 0;
  int finalCalls = 0;
  BEGIN_MSG_MAP(SubclassedStatic)
    MESSAGE_HANDLER(kPing, OnPing)
  END_MSG_MAP()
  LRESULT OnPing(UINT, WPARAM, LPARAM, BOOL&) { return ++pings; }
  void OnFinalMessage(HWND) override { ++finalCalls; }
};

TEST_F(WindowLayerTest, SubclassedControlKeepsItsOwnBehaviourAndGetsItsProcedureBack) {
  CWindow parent(::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                                   nullptr, nullptr));
  HWND label = ::CreateWindowExA(0, "STATIC", "before", WS_CHILD, 0, 0, 50, 20, parent, nullptr,
                                 nullptr, nullptr);
  const LONG_PTR original = ::GetWindowLongPtrA(label, GWLP_WNDPROC);

  SubclassedStatic sub;
  ASSERT_TRUE(sub.SubclassWindow(label));
  EXPECT_FALSE(SubclassedStatic().SubclassWindow(label)) << "a window has one object";
  EXPECT_NE(::GetWindowLongPtrA(label, GWLP_WNDPROC), original);
  EXPECT_EQ(::SendMessageA(label, kPing, 0, 0), 1);
  // Unhandled messages reach the static control's own procedure.
  ::SetWindowTextA(label, "after");
  EXPECT_EQ(wintest::WindowText(label), "after");

  EXPECT_EQ(sub.UnsubclassWindow(), label);
  EXPECT_EQ(::GetWindowLongPtrA(label, GWLP_WNDPROC), original);
  EXPECT_EQ(::SendMessageA(label, kPing, 0, 0), 0) << "no longer ours";

  // Destroyed while subclassed: unbound at WM_NCDESTROY, final message once.
  ASSERT_TRUE(sub.SubclassWindow(label));
  parent.DestroyWindow();
  EXPECT_EQ(sub.m_hWnd, nullptr);
  EXPECT_EQ(sub.finalCalls, 1);
}

class TestDialog : public CDialogImpl<TestDialog> {
 public:
  enum { IDD = IDD_TEST_DIALOG };
  LPARAM initParamSeen = -1;
  HBRUSH brush = ::CreateSolidBrush(RGB(1, 2, 3));
  ~TestDialog() override { ::DeleteObject(brush); }

  BEGIN_MSG_MAP(TestDialog)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    MESSAGE_HANDLER(WM_NCHITTEST, OnNcHitTest)
    MESSAGE_HANDLER(WM_CTLCOLORSTATIC, OnCtlColorStatic)
    MESSAGE_HANDLER(kPing, OnPing)
    COMMAND_ID_HANDLER(IDOK, OnEnd)
    COMMAND_ID_HANDLER(IDCANCEL, OnEnd)
  END_MSG_MAP()

  LRESULT OnInitDialog(UINT, WPARAM, LPARAM lParam, BOOL&) {
    initParamSeen = lParam;
    if (lParam == 77) ::PostMessageA(m_hWnd, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
  }
  LRESULT OnNcHitTest(UINT, WPARAM, LPARAM, BOOL&) { return HTCAPTION; }
  LRESULT OnCtlColorStatic(UINT, WPARAM, LPARAM, BOOL&) { return reinterpret_cast<LRESULT>(brush); }
  LRESULT OnPing(UINT, WPARAM, LPARAM, BOOL&) { return 1234; }
  LRESULT OnEnd(WORD, WORD id, HWND, BOOL&) {
    EndDialog(id == IDOK ? 100 : 200);
    return 0;
  }
};

TEST_F(WindowLayerTest, DialogResultsGoWhereTheDialogManagerExpectsThem) {
  TestDialog dlg;
  ASSERT_TRUE(dlg.Create(nullptr, 42));
  EXPECT_EQ(dlg.initParamSeen, 42) << "WM_INITDIALOG carries the caller's parameter";
  EXPECT_EQ(CDialogImplRoot::FromHandle(dlg), &dlg);
  // Through DWLP_MSGRESULT:
  EXPECT_EQ(::SendMessageA(dlg, WM_NCHITTEST, 0, 0), HTCAPTION);
  EXPECT_EQ(::SendMessageA(dlg, kPing, 0, 0), 1234);
  // Returned directly by the dialog procedure:
  HDC dc = ::GetDC(dlg);
  EXPECT_EQ(::SendMessageA(dlg, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(dlg.GetDlgItem(IDC_TEST_LABEL))),
            reinterpret_cast<LRESULT>(dlg.brush));
  ::ReleaseDC(dlg, dc);
  HWND hWnd = dlg;
  dlg.DestroyWindow();
  EXPECT_EQ(dlg.m_hWnd, nullptr);
  EXPECT_FALSE(::IsWindow(hWnd));
}

TEST_F(WindowLayerTest, ModalDialogEndsWithItsResult) {
  TestDialog dlg;
  EXPECT_EQ(dlg.DoModal(nullptr, 77), 200);
  EXPECT_EQ(dlg.initParamSeen, 77);
  EXPECT_EQ(dlg.m_hWnd, nullptr);
}

TEST_F(WindowLayerTest, CenterWindowOverAHiddenOwnerUsesTheWorkArea) {
  CWindow owner(::CreateWindowExA(0, "STATIC", "", WS_POPUP, 10, 10, 100, 100, nullptr, nullptr,
                                  nullptr, nullptr));
  TestDialog dlg;
  ASSERT_TRUE(dlg.Create(owner));
  ASSERT_TRUE(dlg.CenterWindow());
  RECT rc;
  dlg.GetWindowRect(&rc);
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  ::GetMonitorInfoA(::MonitorFromWindow(dlg, MONITOR_DEFAULTTONEAREST), &mi);
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  EXPECT_EQ(rc.left, (mi.rcWork.left + mi.rcWork.right) / 2 - w / 2);
  EXPECT_EQ(rc.top, (mi.rcWork.top + mi.rcWork.bottom) / 2 - h / 2);

  // A visible owner is the reference instead.
  ::SetWindowPos(owner, nullptr, 300, 200, 400, 300, SWP_NOZORDER | SWP_SHOWWINDOW | SWP_NOACTIVATE);
  ASSERT_TRUE(dlg.CenterWindow());
  dlg.GetWindowRect(&rc);
  EXPECT_EQ(rc.left, 500 - w / 2);
  EXPECT_EQ(rc.top, 350 - h / 2);
  dlg.DestroyWindow();
  owner.DestroyWindow();
}

}  // namespace
