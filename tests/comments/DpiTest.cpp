// The comments window at the display DPI of the Wine session: the bitmap set of 96, 120, 144 or
// 192 DPI with the skin, or the plain look with text buttons at any other DPI; every look
// rendered as it says, and the comment box typed full.
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

using commentstest::ButtonFace;
using commentstest::DialogBed;
using commentstest::ExpectedSet;
using commentstest::Picture;
using commentstest::Shown;
using commentstest::ShowsResource;
using commentstest::Text;

int g_expectedDpi = 96;

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

// What the window paints as its background, as a bitmap of its size.
HBITMAP PaintedBackground(HWND hwnd) {
  RECT rc{};
  ::GetWindowRect(hwnd, &rc);
  HDC screen = ::GetDC(nullptr);
  HDC dc = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, rc.right - rc.left, rc.bottom - rc.top);
  ::ReleaseDC(nullptr, screen);
  HGDIOBJ old = ::SelectObject(dc, bitmap);
  ::SendMessageA(hwnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  ::SelectObject(dc, old);
  ::DeleteDC(dc);
  return bitmap;
}

// Looks in an order in which each face, title and control changes both ways, the title and
// each face also alone: the window shows each as it says.
const char* const kLookSequence[] = {
    commentstest::kIdleLook,
    commentstest::kRecordingLook,
    "paused submit+ resume+ stop+ what- comment+ uploading- uploaded- => submit/resume",
    "paused submit+ pause+ stop+ what- comment+ uploading- uploaded- => submit/pause",
    commentstest::kRecordingLook,
    "recording submitted+ pause+ stop+ what- comment+ uploading- uploaded- => -/pause",
    "recording submit+ pause+ stop+ what- comment- uploading+ uploaded- => submit/pause",
    "recording submit+ pause- stop- what- comment+ uploading- uploaded+ => submit/pause",
    "recording submit- pause+ stop+ what- comment- uploading- uploaded- => submit/pause",
    "paused start+ resume- stop- what+ comment- uploading- uploaded- => start/-",
    "idle start- pause- stop- what+ comment- uploading+ uploaded- => start/-",
    "idle start- pause- stop- what+ comment- uploading- uploaded+ => start/-",
    commentstest::kIdleLook,
};

class CommentsDpi : public testing::Test {
 protected:
  void SetUp() override {
    dpi = commentstest::DisplayDpi();
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

TEST_F(CommentsDpi, EveryLookIsRenderedAsItSays) {
  DialogBed bed;
  bed.ShowActive();
  for (const char* look : kLookSequence) {
    SCOPED_TRACE(look);
    bed.Render(look);
    EXPECT_EQ(commentstest::WithoutCommands(look), commentstest::ShownLook(bed));
    EXPECT_TRUE(Shown(bed.Title()));
    EXPECT_TRUE(Shown(bed.Item(IDC_CLOSE))) << "always there";
  }
  // The faces that never change, and the names screen readers read.
  EXPECT_EQ(comments::kTextClose, Text(bed.Item(IDC_CLOSE)));
  EXPECT_EQ(comments::kTextStop, Text(bed.Item(IDC_STOP)));
  EXPECT_EQ(comments::kTextWhatIsThis, Text(bed.Item(IDC_WHAT_IS_THIS)));
  if (const ExpectedSet* e = commentstest::ExpectedSetFor(dpi)) {
    EXPECT_TRUE(ShowsResource(ButtonFace(bed.Item(IDC_CLOSE)), e->close));
    EXPECT_TRUE(ShowsResource(ButtonFace(bed.Item(IDC_STOP)), e->stop));
    EXPECT_TRUE(ShowsResource(ButtonFace(bed.Item(IDC_WHAT_IS_THIS)), e->whatIsThis));
    EXPECT_TRUE(ShowsResource(Picture(bed.Item(IDC_UPLOADING)), e->uploading));
    EXPECT_TRUE(ShowsResource(Picture(bed.Item(IDC_UPLOADED)), e->uploaded));
    EXPECT_FALSE(ShowsResource(Picture(bed.Item(IDC_UPLOADING)), e->uploaded))
        << "two different pictures never pass for each other";
  }
}

TEST_F(CommentsDpi, SkinnedWithTheSetOfItsDpiOrPlain) {
  DialogBed bed;
  HWND hwnd = bed.hwnd();
  RECT window{};
  ::GetWindowRect(hwnd, &window);
  const LPARAM background = MAKELPARAM(window.left + 20, window.bottom - 20);
  const int buttons[] = {IDC_START_SUBMIT, IDC_CLOSE, IDC_STOP, IDC_PAUSE_RESUME, IDC_WHAT_IS_THIS};
  if (const ExpectedSet* e = commentstest::ExpectedSetFor(dpi)) {
    SCOPED_TRACE("a bitmap set: the window is its skin, sized to it and draggable by it");
    BitmapHandle painted(PaintedBackground(hwnd));
    EXPECT_TRUE(ShowsResource(painted.get(), e->skin)) << "the skin's own size and pixels";
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    EXPECT_NE(ERROR, ::GetWindowRgn(hwnd, region)) << "cut to the skin";
    ::DeleteObject(region);
    EXPECT_EQ(HTCAPTION, ::SendMessageA(hwnd, WM_NCHITTEST, 0, background));
    for (int id : buttons) EXPECT_TRUE(::GetWindowLongA(bed.Item(id), GWL_STYLE) & BS_BITMAP) << id;

    SCOPED_TRACE("the close button: moved left by its width plus 10 pixels at 120 DPI only");
    const RECT templ = DialogUnits(hwnd, 282, 5, 13, 12);
    const RECT close = ClientRectOf(bed.Item(IDC_CLOSE));
    EXPECT_EQ(templ.top, close.top);
    EXPECT_EQ(dpi == 120 ? templ.left - (close.right - close.left) - 10 : templ.left, close.left);

    SCOPED_TRACE("the link is no larger than its face: no button edge beside the text");
    const SIZE face = commentstest::BitmapSize(ButtonFace(bed.Item(IDC_WHAT_IS_THIS)));
    const RECT link = ClientRectOf(bed.Item(IDC_WHAT_IS_THIS));
    EXPECT_LE(link.right - link.left, face.cx);
    EXPECT_LE(link.bottom - link.top, face.cy);
  } else {
    SCOPED_TRACE("no bitmap set: the template's plain look, with text buttons");
    const RECT templ = DialogUnits(hwnd, 0, 0, 302, 117);
    EXPECT_EQ(templ.right, window.right - window.left);
    EXPECT_EQ(templ.bottom, window.bottom - window.top);
    EXPECT_NE(HTCAPTION, ::SendMessageA(hwnd, WM_NCHITTEST, 0, background));
    HRGN region = ::CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(ERROR, ::GetWindowRgn(hwnd, region)) << "not cut to any shape";
    ::DeleteObject(region);
    for (int id : buttons) EXPECT_FALSE(::GetWindowLongA(bed.Item(id), GWL_STYLE) & BS_BITMAP) << id;
    EXPECT_EQ(SS_LEFT, ::GetWindowLongA(bed.Title(), GWL_STYLE) & SS_TYPEMASK) << "a text title";

    SCOPED_TRACE("the longest texts fit their buttons, and the buttons of a row do not overlap");
    bed.Render("paused submitted+ resume+ stop+ what+ comment- uploading- uploaded- => -/resume");
    for (int id : buttons) {
      HWND button = bed.Item(id);
      HDC dc = ::GetDC(button);
      HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(button, WM_GETFONT, 0, 0)));
      const std::string text = Text(button);
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

    SCOPED_TRACE("a text button posts its look's command as a picture button does");
    bed.Render(commentstest::kRecordingLook);
    bed.ShowActive();
    ASSERT_TRUE(bed.ClickWithMouse(IDC_START_SUBMIT));
    ASSERT_EQ(1u, bed.commands().size());
    EXPECT_EQ(ID_COMMENT_SUBMIT, bed.commands()[0].id);
  }
}

// Mended: the box used to stop taking characters once its visible area was full (some 300 at
// 96 DPI), silently, well short of its limit. Typed key by key, as the user types.
TEST_F(CommentsDpi, TypedCommentFillsTheBoxUpToItsLimit) {
  DialogBed bed;
  bed.Render(commentstest::kRecordingLook);
  bed.ShowActive();
  HWND box = bed.Item(IDC_COMMENT);
  ASSERT_TRUE(bed.ClickWithMouse(IDC_COMMENT));
  ASSERT_EQ(box, ::GetFocus());
  ASSERT_EQ("", Text(box)) << "the hint goes when the box gains the focus";

  const std::string sentence = "The caller asked twice about the refund for order 4471. ";
  std::string typed;
  while (typed.size() < 1480) typed += sentence;
  typed.resize(1480);
  ASSERT_TRUE(bed.Type(typed));
  const std::string held = Text(box);
  EXPECT_EQ(comments::kCommentLimit, held.size());
  EXPECT_EQ(typed.substr(0, comments::kCommentLimit), held);
  ASSERT_TRUE(bed.Type("x"));
  EXPECT_EQ(held, Text(box)) << "a character beyond the limit is refused";
  EXPECT_EQ(held, bed.dlg().TakeComment()) << "handed over whole";
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
