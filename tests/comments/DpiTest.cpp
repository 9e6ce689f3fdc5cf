// The comments window at the display DPI of the Wine session: the bitmap set of 96, 120, 144 or
// 192 DPI with the skin, or the plain look with text buttons at any other DPI.
//   comments_dpi_test [--expect-dpi=N]   (default 96)
// When the session's DPI is not N the cases are skipped: each DPI needs a session of its own
// (SIVREL_DPI=N scripts/wine-session.sh ..., as scripts/test-dpi.sh runs them).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "DialogTestBed.h"
#include "comments/CommentsText.h"
#include "res/resource.h"

namespace {

int g_expectedDpi = 96;

int DisplayDpi() {
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
  ::ReleaseDC(nullptr, screen);
  return dpi;
}

bool HasBitmapSet(int dpi) { return dpi == 96 || dpi == 120 || dpi == 144 || dpi == 192; }

// The resources each DPI's set must show, by their names, independently of the program's table.
struct ExpectedSet {
  int dpi, skin, titleIdle, titleRecording, titlePaused, start, submit, submitted, pause, resume,
      close, stop, whatIsThis, uploading, uploaded;
};
#define SIVREL_EXPECTED_SET(d)                                                                    \
  {d, IDB_SKIN_##d, IDB_TITLE_IDLE_##d, IDB_TITLE_RECORDING_##d, IDB_TITLE_PAUSED_##d,            \
   IDB_START_##d, IDB_SUBMIT_##d, IDB_SUBMITTED_##d, IDB_PAUSE_##d, IDB_RESUME_##d, IDB_CLOSE_##d, \
   IDB_STOP_##d, IDB_WHAT_IS_THIS_##d, IDB_UPLOADING_##d, IDB_UPLOADED_##d}
constexpr ExpectedSet kExpectedSets[] = {SIVREL_EXPECTED_SET(96), SIVREL_EXPECTED_SET(120),
                                         SIVREL_EXPECTED_SET(144), SIVREL_EXPECTED_SET(192)};
#undef SIVREL_EXPECTED_SET

// The template's rectangle of a control in pixels at this DPI.
RECT DialogUnits(HWND dlg, int x, int y, int w, int h) {
  RECT rc{x, y, x + w, y + h};
  ::MapDialogRect(dlg, &rc);
  return rc;
}

RECT ClientRectOf(HWND control) {
  RECT rc{};
  ::GetWindowRect(control, &rc);
  ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

// Picture sizes scale with the DPI (the sets are drawn about 1.25, 1.5 and 2 times as large).
void ExpectScaled(HBITMAP bitmap, int w96, int h96, int dpi) {
  const SIZE size = commentstest::BitmapSize(bitmap);
  EXPECT_NEAR(w96 * dpi / 96.0, size.cx, 3.0);
  EXPECT_NEAR(h96 * dpi / 96.0, size.cy, 3.0);
}

class CommentsDpi : public testing::Test {
 protected:
  void SetUp() override {
    dpi = DisplayDpi();
    // In a session started for this DPI a mismatch is a fault of the test bed, not a skip.
    const char* sessionDpi = std::getenv("SIVREL_DPI");
    if (sessionDpi && std::atoi(sessionDpi) == g_expectedDpi) {
      ASSERT_EQ(g_expectedDpi, dpi) << "the session asked for this DPI, the display has another";
    }
    if (dpi != g_expectedDpi) {
      GTEST_SKIP() << "the display is at " << dpi << " DPI, this run checks " << g_expectedDpi
                   << ": run it in a session with SIVREL_DPI=" << g_expectedDpi;
    }
  }
  int dpi = 0;
};

TEST_F(CommentsDpi, BitmapSetOrPlainLook) {
  commentstest::DialogBed bed;
  CMainDlg& dlg = bed.dlg();
  HWND hwnd = bed.hwnd();
  RECT window{};
  ::GetWindowRect(hwnd, &window);
  if (HasBitmapSet(dpi)) {
    SCOPED_TRACE("a bitmap set: skinned and draggable, the faces of that set");
    EXPECT_TRUE(dlg.m_bSkinned);
    EXPECT_TRUE(dlg.m_bDraggable);
    ExpectScaled(dlg.m_hBitmap.get(), 454, 190, dpi);
    const SIZE skin = commentstest::BitmapSize(dlg.m_hBitmap.get());
    EXPECT_EQ(skin.cx, window.right - window.left);
    EXPECT_EQ(skin.cy, window.bottom - window.top);
    ExpectScaled(dlg.m_bmpTitleIdle.get(), 234, 36, dpi);
    ExpectScaled(dlg.m_bmpTitleRecording.get(), 208, 23, dpi);
    ExpectScaled(dlg.m_bmpTitlePaused.get(), 154, 21, dpi);
    ExpectScaled(dlg.m_bmpStart.get(), 79, 29, dpi);
    ExpectScaled(dlg.m_bmpSubmit.get(), 79, 30, dpi);
    ExpectScaled(dlg.m_bmpSubmitted.get(), 79, 29, dpi);
    ExpectScaled(dlg.m_bmpPause.get(), 23, 25, dpi);
    ExpectScaled(dlg.m_bmpResume.get(), 23, 25, dpi);
    ExpectScaled(commentstest::ButtonFace(bed.Item(IDC_CLOSE)), 21, 22, dpi);
    ExpectScaled(commentstest::ButtonFace(bed.Item(IDC_STOP)), 25, 25, dpi);
    ExpectScaled(commentstest::ButtonFace(bed.Item(IDC_WHAT_IS_THIS)), 65, 13, dpi);
    ExpectScaled(commentstest::Picture(bed.Item(IDC_UPLOADING)), 115, 30, dpi);
    ExpectScaled(commentstest::Picture(bed.Item(IDC_UPLOADED)), 105, 26, dpi);
    for (int id : {IDC_START_SUBMIT, IDC_CLOSE, IDC_STOP, IDC_PAUSE_RESUME, IDC_WHAT_IS_THIS}) {
      EXPECT_TRUE(::GetWindowLongA(bed.Item(id), GWL_STYLE) & BS_BITMAP) << id;
    }
    {
      SCOPED_TRACE("each bitmap and face shows its own resource's pixels");
      const ExpectedSet* e = nullptr;
      for (const ExpectedSet& set : kExpectedSets) e = set.dpi == dpi ? &set : e;
      ASSERT_NE(nullptr, e);
      using commentstest::ShowsResource;
      EXPECT_TRUE(ShowsResource(dlg.m_hBitmap.get(), e->skin));
      EXPECT_TRUE(ShowsResource(dlg.m_bmpTitleIdle.get(), e->titleIdle));
      EXPECT_TRUE(ShowsResource(dlg.m_bmpTitleRecording.get(), e->titleRecording));
      EXPECT_TRUE(ShowsResource(dlg.m_bmpTitlePaused.get(), e->titlePaused));
      EXPECT_TRUE(ShowsResource(dlg.m_bmpStart.get(), e->start));
      EXPECT_TRUE(ShowsResource(dlg.m_bmpSubmit.get(), e->submit));
      EXPECT_TRUE(ShowsResource(dlg.m_bmpSubmitted.get(), e->submitted));
      EXPECT_TRUE(ShowsResource(dlg.m_bmpPause.get(), e->pause));
      EXPECT_TRUE(ShowsResource(dlg.m_bmpResume.get(), e->resume));
      EXPECT_TRUE(ShowsResource(commentstest::ButtonFace(bed.Item(IDC_CLOSE)), e->close));
      EXPECT_TRUE(ShowsResource(commentstest::ButtonFace(bed.Item(IDC_STOP)), e->stop));
      EXPECT_TRUE(ShowsResource(commentstest::ButtonFace(bed.Item(IDC_PAUSE_RESUME)), e->pause));
      EXPECT_TRUE(ShowsResource(commentstest::ButtonFace(bed.Item(IDC_WHAT_IS_THIS)), e->whatIsThis));
      EXPECT_TRUE(ShowsResource(commentstest::Picture(bed.Item(IDC_UPLOADING)), e->uploading));
      EXPECT_TRUE(ShowsResource(commentstest::Picture(bed.Item(IDC_UPLOADED)), e->uploaded));
      // Two different pictures never pass for each other.
      EXPECT_FALSE(ShowsResource(dlg.m_bmpPause.get(), e->resume));
    }
    RECT point = window;
    EXPECT_EQ(HTCAPTION, ::SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(point.left + 20, point.bottom - 20)));

    SCOPED_TRACE("the close button: moved left by its width plus 10 pixels at 120 DPI only");
    const RECT templ = DialogUnits(hwnd, 282, 5, 13, 12);
    const RECT close = ClientRectOf(bed.Item(IDC_CLOSE));
    const int width = close.right - close.left;
    EXPECT_EQ(templ.top, close.top);
    EXPECT_EQ(dpi == 120 ? templ.left - width - 10 : templ.left, close.left);
  } else {
    SCOPED_TRACE("no bitmap set: the template's plain look, with text buttons");
    EXPECT_FALSE(dlg.m_bSkinned);
    EXPECT_FALSE(dlg.m_hBitmap);
    EXPECT_EQ(nullptr, dlg.m_bmpTitleIdle.get());
    const RECT templ = DialogUnits(hwnd, 0, 0, 302, 117);
    EXPECT_EQ(templ.right, window.right - window.left);
    EXPECT_EQ(templ.bottom, window.bottom - window.top);
    EXPECT_NE(HTCAPTION, ::SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(window.left + 20, window.bottom - 20)));
    for (int id : {IDC_START_SUBMIT, IDC_CLOSE, IDC_STOP, IDC_PAUSE_RESUME, IDC_WHAT_IS_THIS}) {
      EXPECT_FALSE(::GetWindowLongA(bed.Item(id), GWL_STYLE) & BS_BITMAP) << id;
    }
    EXPECT_EQ("Start", commentstest::Text(bed.Item(IDC_START_SUBMIT)));
    EXPECT_EQ("Close", commentstest::Text(bed.Item(IDC_CLOSE)));
    EXPECT_EQ("What is this?", commentstest::Text(bed.Item(IDC_WHAT_IS_THIS)));
    EXPECT_EQ(SS_LEFT, ::GetWindowLongA(dlg.m_stTitle, GWL_STYLE) & SS_TYPEMASK) << "a text title";
    EXPECT_EQ(comments::kTitleIdle, commentstest::Text(dlg.m_stTitle));
    dlg.m_bServiceReady = true;
    dlg.OnRecordingStarted();
    EXPECT_EQ(comments::kTitleRecording, commentstest::Text(dlg.m_stTitle));
    EXPECT_EQ("Submit", commentstest::Text(bed.Item(IDC_START_SUBMIT)));
    EXPECT_EQ("Stop", commentstest::Text(bed.Item(IDC_STOP)));
    EXPECT_EQ("Pause", commentstest::Text(bed.Item(IDC_PAUSE_RESUME)));
    dlg.OnRecordingPaused();
    EXPECT_EQ("Resume", commentstest::Text(bed.Item(IDC_PAUSE_RESUME)));
    EXPECT_EQ(comments::kTitlePaused, commentstest::Text(dlg.m_stTitle));
    {
      SCOPED_TRACE("every text fits its button, and the buttons of a row do not overlap");
      for (int id : {IDC_START_SUBMIT, IDC_CLOSE, IDC_STOP, IDC_PAUSE_RESUME, IDC_WHAT_IS_THIS}) {
        HWND button = bed.Item(id);
        HDC dc = ::GetDC(button);
        HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(button, WM_GETFONT, 0, 0)));
        const std::string text = commentstest::Text(button);
        SIZE extent{};
        ::GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        ::SelectObject(dc, old);
        ::ReleaseDC(button, dc);
        const RECT rc = ClientRectOf(button);
        EXPECT_LT(extent.cx, rc.right - rc.left) << text;
      }
      const RECT pause = ClientRectOf(bed.Item(IDC_PAUSE_RESUME));
      const RECT stop = ClientRectOf(bed.Item(IDC_STOP));
      const RECT submit = ClientRectOf(bed.Item(IDC_START_SUBMIT));
      EXPECT_LT(pause.right, stop.left);
      EXPECT_LT(submit.right, pause.left);
    }
    // Everything else behaves as with a skin.
    bed.ShowActive();
    bed.Click(IDC_START_SUBMIT);
    ASSERT_EQ(1u, bed.commands().size());
    EXPECT_EQ(ID_COMMENT_SUBMIT, bed.commands()[0].id);
    EXPECT_EQ("Submitted", commentstest::Text(bed.Item(IDC_START_SUBMIT)));
  }
}

// Mended: the box used to stop taking characters once its visible area was full (some 300 at
// 96 DPI), silently, well short of its limit. Typed key by key, as the user types.
TEST_F(CommentsDpi, TypedCommentFillsTheBoxUpToItsLimit) {
  commentstest::DialogBed bed;
  CMainDlg& dlg = bed.dlg();
  dlg.m_bServiceReady = true;
  dlg.OnRecordingStarted();
  bed.ShowActive();
  HWND box = dlg.m_editComment;
  ::SetFocus(box);
  bed.Pump();
  ASSERT_EQ(box, ::GetFocus());
  ASSERT_EQ("", commentstest::Text(box)) << "the hint goes when the box gains the focus";

  const std::string sentence = "The caller asked twice about the refund for order 4471. ";
  std::string typed;
  while (typed.size() < 1480) typed += sentence;
  typed.resize(1480);
  auto type = [&](const std::string& keys) {
    for (char key : keys) ::PostMessageA(box, WM_CHAR, static_cast<unsigned char>(key), 1);
    EXPECT_TRUE(bed.PumpUntil([] {
      MSG msg;
      return !::PeekMessageA(&msg, nullptr, WM_CHAR, WM_CHAR, PM_NOREMOVE);
    }, 10000));
  };
  type(typed);
  const std::string held = commentstest::Text(box);
  EXPECT_EQ(comments::kCommentLimit, held.size());
  EXPECT_EQ(typed.substr(0, comments::kCommentLimit), held);
  type("x");
  EXPECT_EQ(held, commentstest::Text(box)) << "a character beyond the limit is refused";
}

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    const char* prefix = "--expect-dpi=";
    if (std::strncmp(argv[i], prefix, std::strlen(prefix)) == 0) {
      g_expectedDpi = std::atoi(argv[i] + std::strlen(prefix));
    }
  }
  return RUN_ALL_TESTS();
}
