#include "comments/PlainLook.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <initializer_list>

#include "comments/CommentsText.h"

namespace {

RECT ChildRect(HWND dialog, HWND control) {
  RECT rc{};
  ::GetWindowRect(control, &rc);
  ::MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rc), 2);
  return rc;
}

// The template sizes the small buttons for their pictures; words need more room. A button too
// narrow for its longest text grows to the left, keeping its right edge (or moving it left to
// `rightLimit`), its row and its height.
RECT FitTextButton(HWND dialog, HWND button, std::initializer_list<const char*> texts,
                   int rightLimit) {
  HDC dc = ::GetDC(button);
  HGDIOBJ oldFont =
      ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(::SendMessageA(button, WM_GETFONT, 0, 0)));
  int widest = 0;
  for (const char* text : texts) {
    SIZE extent{};
    ::GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &extent);
    widest = std::max(widest, static_cast<int>(extent.cx));
  }
  ::SelectObject(dc, oldFont);
  ::ReleaseDC(button, dc);

  RECT margin{0, 0, 8, 0};  // 4 dialog units either side of the text
  ::MapDialogRect(dialog, &margin);
  const RECT rc = ChildRect(dialog, button);
  const int right = std::min(static_cast<int>(rc.right), rightLimit);
  const int width = std::max(static_cast<int>(rc.right - rc.left), widest + static_cast<int>(margin.right));
  if (right == rc.right && width == rc.right - rc.left) return rc;
  const RECT fitted{right - width, rc.top, right, rc.bottom};
  ::SetWindowPos(button, nullptr, fitted.left, fitted.top, width, fitted.bottom - fitted.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  return fitted;
}

}  // namespace

void UsePlainLook(HWND dialog, const PlainLookControls& c) {
  for (HWND button : {c.startSubmit, c.close, c.stop, c.pauseResume, c.whatIsThis}) {
    const DWORD style = static_cast<DWORD>(::GetWindowLongA(button, GWL_STYLE));
    ::SetWindowLongA(button, GWL_STYLE, static_cast<LONG>(style & ~static_cast<DWORD>(BS_BITMAP)));
  }
  RECT gap{0, 0, 4, 0};
  ::MapDialogRect(dialog, &gap);
  FitTextButton(dialog, c.startSubmit,
                {comments::kTextStart, comments::kTextSubmit, comments::kTextSubmitted}, INT_MAX);
  FitTextButton(dialog, c.whatIsThis, {comments::kTextWhatIsThis}, INT_MAX);
  const RECT close = FitTextButton(dialog, c.close, {comments::kTextClose}, INT_MAX);
  // Pause sits left of Stop in one row: it keeps a gap to Stop once both have grown.
  const RECT stop = FitTextButton(dialog, c.stop, {comments::kTextStop}, INT_MAX);
  FitTextButton(dialog, c.pauseResume, {comments::kTextPause, comments::kTextResume},
                stop.left - gap.right);

  // The title's line runs from the template's title position to just before the close button,
  // in the dialog's font (a picture static keeps none of its own).
  const DWORD titleStyle =
      static_cast<DWORD>(::GetWindowLongA(c.title, GWL_STYLE)) & ~static_cast<DWORD>(SS_TYPEMASK);
  ::SetWindowLongA(c.title, GWL_STYLE, static_cast<LONG>(titleStyle | SS_LEFT | SS_NOPREFIX));
  ::SendMessageA(c.title, WM_SETFONT, ::SendMessageA(dialog, WM_GETFONT, 0, 0), FALSE);
  RECT line{60, 4, 0, 15};
  ::MapDialogRect(dialog, &line);
  ::SetWindowPos(c.title, nullptr, line.left, line.top, close.left - gap.right - line.left,
                 line.bottom - line.top, SWP_NOZORDER | SWP_NOACTIVATE);
}
