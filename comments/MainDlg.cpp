#include "comments/MainDlg.h"

#include <algorithm>
#include <cassert>
#include <climits>
#include <cstring>
#include <vector>

#include "app/AppModule.h"
#include "comments/BitmapSets.h"
#include "comments/CommentsText.h"

namespace {

HBITMAP LoadBitmapResource(int id) {
  return static_cast<HBITMAP>(::LoadImageA(g_appModule.GetResourceInstance(),
                                           MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0,
                                           LR_DEFAULTCOLOR));
}

HICON LoadAppIcon(int cxMetric, int cyMetric) {
  return static_cast<HICON>(::LoadImageA(g_appModule.GetResourceInstance(),
                                         MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON,
                                         ::GetSystemMetrics(cxMetric),
                                         ::GetSystemMetrics(cyMetric), LR_SHARED));
}

BITMAP BitmapInfo(HBITMAP bitmap) {
  BITMAP bm{};
  if (bitmap) ::GetObjectA(bitmap, sizeof bm, &bm);
  return bm;
}

void SetPicture(const CWindow& picture, HBITMAP bitmap) {
  picture.SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
}

}  // namespace

CMainDlg::CMainDlg() = default;

CMainDlg::~CMainDlg() {
  // Normally the frame's window took this one with it. If not, the window goes first: its
  // controls still show bitmaps that the members below are about to free.
  if (m_hWnd && ::IsWindow(m_hWnd) &&
      ::GetWindowThreadProcessId(m_hWnd, nullptr) == ::GetCurrentThreadId()) {
    ::DestroyWindow(m_hWnd);
  }
}

void CMainDlg::AssertOnWindowThread() const {
  assert(!m_hWnd || ::GetWindowThreadProcessId(m_hWnd, nullptr) == ::GetCurrentThreadId());
}

// ------------------------------------------------------------------------------ initialisation

LRESULT CMainDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
  AssertOnWindowThread();
  m_bRecording = false;
  SetIcon(LoadAppIcon(SM_CXICON, SM_CYICON), TRUE);
  SetIcon(LoadAppIcon(SM_CXSMICON, SM_CYSMICON), FALSE);

  if (CMessageLoop* loop = g_appModule.CurrentLoop()) {
    loop->AddFilter(this);
    loop->AddIdleHandler(this);
  }

  HDC screen = ::GetDC(m_hWnd);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
  ::ReleaseDC(m_hWnd, screen);

  m_btnWhatIsThis = GetDlgItem(IDC_WHAT_IS_THIS);
  m_btnPauseResume = GetDlgItem(IDC_PAUSE_RESUME);
  m_btnStop = GetDlgItem(IDC_STOP);
  m_btnClose = GetDlgItem(IDC_CLOSE);
  m_stUploading = GetDlgItem(IDC_UPLOADING);
  m_stUploaded = GetDlgItem(IDC_UPLOADED);
  m_btnStartSubmit = GetDlgItem(IDC_START_SUBMIT);
  // The title picture has no id of its own: it is the template's first control.
  m_stTitle = ::GetWindow(m_hWnd, GW_CHILD);

  if (const comments::BitmapSet* set = comments::BitmapSetForDpi(dpi)) {
    m_bPlain = false;
    LoadSkinAndFaces(*set);
  } else {
    m_bPlain = true;
    UsePlainLook();
  }

  SetButtonFace(m_btnClose, m_faceClose.get(), comments::kTextClose);
  SetButtonFace(m_btnStop, m_faceStop.get(), comments::kTextStop);
  SetButtonFace(m_btnPauseResume, m_facePauseFirst.get(), comments::kTextPause);
  SetButtonFace(m_btnWhatIsThis, m_faceWhatIsThis.get(), comments::kTextWhatIsThis);
  if (!m_bPlain) {
    SetPicture(m_stUploading, m_pictureUploading.get());
    SetPicture(m_stUploaded, m_pictureUploaded.get());
  }

  SetTitle(m_bmpTitleIdle.get(), comments::kTitleIdle);
  SetButtonFace(m_btnStartSubmit, m_bmpStart.get(), comments::kTextStart);

  m_editComment = GetDlgItem(IDC_COMMENT);
  m_editComment.SetWindowTextA(comments::kHint);
  m_editComment.SendMessage(EM_LIMITTEXT, comments::kCommentLimit);

  // The animation is decoded when the upload display first shows it (PlayBusyAnimationWhileSeen).
  if (HWND placeholder = GetDlgItem(IDC_BUSY)) m_busy.SubclassWindow(placeholder);
  m_busy.ShowWindow(SW_HIDE);

  m_bServiceReady = false;
  if (!m_profile.allowRecordingControl) m_btnStartSubmit.ShowWindow(SW_HIDE);

  return TRUE;
}

void CMainDlg::LoadSkinAndFaces(const comments::BitmapSet& set) {
  m_hBitmap.reset(LoadBitmapResource(set.skin));
  if (ApplySkin()) m_bDraggable = TRUE;

  m_bmpTitleIdle.reset(LoadBitmapResource(set.titleIdle));
  m_bmpTitleRecording.reset(LoadBitmapResource(set.titleRecording));
  m_bmpTitlePaused.reset(LoadBitmapResource(set.titlePaused));
  m_bmpStart.reset(LoadBitmapResource(set.start));
  m_bmpSubmit.reset(LoadBitmapResource(set.submit));
  m_bmpSubmitted.reset(LoadBitmapResource(set.submitted));
  m_bmpPause.reset(LoadBitmapResource(set.pause));
  m_bmpResume.reset(LoadBitmapResource(set.resume));

  m_faceClose.reset(LoadBitmapResource(set.close));
  m_faceStop.reset(LoadBitmapResource(set.stop));
  m_facePauseFirst.reset(LoadBitmapResource(set.pause));
  m_faceWhatIsThis.reset(LoadBitmapResource(set.whatIsThis));
  m_pictureUploading.reset(LoadBitmapResource(set.uploading));
  m_pictureUploaded.reset(LoadBitmapResource(set.uploaded));

  // The link's face is text on the skin's white: where the button is wider than the face (the
  // 120-DPI set), the button's own edge shows beside it as a grey line. The button takes the
  // face's size, centred where the template puts it.
  const BITMAP face = BitmapInfo(m_faceWhatIsThis.get());
  RECT link{};
  m_btnWhatIsThis.GetWindowRect(&link);
  ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&link), 2);
  if (face.bmWidth > 0 && (face.bmWidth < link.right - link.left || face.bmHeight < link.bottom - link.top)) {
    const int w = std::min(static_cast<int>(face.bmWidth), static_cast<int>(link.right - link.left));
    const int h = std::min(static_cast<int>(face.bmHeight), static_cast<int>(link.bottom - link.top));
    m_btnWhatIsThis.SetWindowPos(nullptr, (link.left + link.right - w) / 2, (link.top + link.bottom - h) / 2,
                                 w, h, SWP_NOZORDER | SWP_NOACTIVATE);
  }

  if (set.moveCloseLeft) {
    RECT rc{};
    m_btnClose.GetWindowRect(&rc);
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
    const int width = rc.right - rc.left;
    m_btnClose.SetWindowPos(nullptr, rc.left - width - 10, rc.top, 0, 0,
                            SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void CMainDlg::UsePlainLook() {
  // Without a bitmap set the template's bitmap buttons would have no face and draw blank,
  // indistinguishable from each other, and the title would be empty. The buttons become text
  // buttons and the title a line of text, each showing its window text.
  for (const CWindow* button :
       {&m_btnStartSubmit, &m_btnClose, &m_btnStop, &m_btnPauseResume, &m_btnWhatIsThis}) {
    const DWORD style = button->GetStyle();
    ::SetWindowLongA(*button, GWL_STYLE, static_cast<LONG>(style & ~static_cast<DWORD>(BS_BITMAP)));
  }
  RECT gap{0, 0, 4, 0};
  ::MapDialogRect(m_hWnd, &gap);
  FitTextButton(m_btnStartSubmit, {comments::kTextStart, comments::kTextSubmit, comments::kTextSubmitted}, INT_MAX);
  FitTextButton(m_btnWhatIsThis, {comments::kTextWhatIsThis}, INT_MAX);
  const RECT close = FitTextButton(m_btnClose, {comments::kTextClose}, INT_MAX);
  // Pause sits left of Stop in one row: it keeps a gap to Stop once both have grown.
  const RECT stop = FitTextButton(m_btnStop, {comments::kTextStop}, INT_MAX);
  FitTextButton(m_btnPauseResume, {comments::kTextPause, comments::kTextResume}, stop.left - gap.right);

  // The title's line runs from the template's title position to just before the close button,
  // in the dialog's font (a picture static keeps none of its own).
  const DWORD titleStyle = m_stTitle.GetStyle() & ~static_cast<DWORD>(SS_TYPEMASK);
  ::SetWindowLongA(m_stTitle, GWL_STYLE, static_cast<LONG>(titleStyle | SS_LEFT | SS_NOPREFIX));
  m_stTitle.SendMessage(WM_SETFONT, SendMessage(WM_GETFONT), FALSE);
  RECT line{60, 4, 0, 15};
  ::MapDialogRect(m_hWnd, &line);
  m_stTitle.SetWindowPos(nullptr, line.left, line.top, close.left - gap.right - line.left,
                         line.bottom - line.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT CMainDlg::FitTextButton(const CWindow& button, std::initializer_list<const char*> texts,
                             int rightLimit) const {
  // The template sizes the small buttons for their pictures; words need more room. A button too
  // narrow for its longest text grows to the left, keeping its right edge (or moving it left to
  // `rightLimit`), its row and its height.
  HDC dc = ::GetDC(button);
  HGDIOBJ oldFont = ::SelectObject(dc, reinterpret_cast<HGDIOBJ>(button.SendMessage(WM_GETFONT)));
  int widest = 0;
  for (const char* text : texts) {
    SIZE extent{};
    ::GetTextExtentPoint32A(dc, text, static_cast<int>(std::strlen(text)), &extent);
    widest = std::max(widest, static_cast<int>(extent.cx));
  }
  ::SelectObject(dc, oldFont);
  ::ReleaseDC(button, dc);

  RECT margin{0, 0, 8, 0};  // 4 dialog units either side of the text
  ::MapDialogRect(m_hWnd, &margin);
  RECT rc{};
  button.GetWindowRect(&rc);
  ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rc), 2);
  const int right = std::min(static_cast<int>(rc.right), rightLimit);
  const int width = std::max(static_cast<int>(rc.right - rc.left), widest + static_cast<int>(margin.right));
  if (right == rc.right && width == rc.right - rc.left) return rc;
  const RECT fitted{right - width, rc.top, right, rc.bottom};
  button.SetWindowPos(nullptr, fitted.left, fitted.top, width, fitted.bottom - fitted.top,
                      SWP_NOZORDER | SWP_NOACTIVATE);
  return fitted;
}

LRESULT CMainDlg::OnDestroy(UINT, WPARAM, LPARAM, BOOL&) {
  AssertOnWindowThread();
  if (CMessageLoop* loop = g_appModule.CurrentLoop()) {
    loop->RemoveFilter(this);
    loop->RemoveIdleHandler(this);
  }
  return 0;
}

LRESULT CMainDlg::OnWindowPosChanged(UINT, WPARAM, LPARAM lParam, BOOL& bHandled) {
  // Shown or hidden by ShowWindow or SetWindowPos alike; WM_SHOWWINDOW would miss the latter.
  const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
  if (pos && (pos->flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW))) PlayBusyAnimationWhileSeen();
  bHandled = FALSE;  // the dialog manager still turns it into WM_SIZE and WM_MOVE
  return 0;
}

void CMainDlg::PlayBusyAnimationWhileSeen() {
  // A tray client idles all day: an animation nobody can see would wake the process ten times a
  // second for nothing. Stopped, the control keeps the frame on show, so a window shown again
  // looks as it was left and the animation resumes there.
  if (m_busy.IsWindowVisible()) {
    // Most sessions never upload while the window is open, so the frames are decoded (and the
    // platform's picture decoder loaded) only the first time they are to be seen: that keeps
    // their cost out of every start-up. Painting waits for this handler, so the first paint
    // already finds the picture at its size.
    if (!m_busyLoadTried) {
      m_busyLoadTried = true;
      m_busy.LoadFromResource(IDR_BUSY_GIF, "gif");
    }
    if (!m_busy.IsAnimationStarted()) m_busy.StartAnimation();
  } else {
    m_busy.StopAnimation();
  }
}

// ----------------------------------------------------------------------------------- helpers

void CMainDlg::PostCommand(UINT command, int controlId) const {
  // The control's id, not its handle, travels in lParam.
  if (HWND parent = GetParent()) {
    ::PostMessageA(parent, WM_COMMAND, MAKEWPARAM(command, 0), static_cast<LPARAM>(controlId));
  }
}

void CMainDlg::SetTitle(HBITMAP bitmap, const char* text) const {
  // The plain look's title is a text static. A picture static's text is not set: the static
  // would take it for the name of a picture resource to load.
  if (m_bPlain) {
    m_stTitle.SetWindowTextA(text);
  } else {
    SetPicture(m_stTitle, bitmap);
  }
}

void CMainDlg::SetButtonFace(const CWindow& button, HBITMAP face, const char* text) const {
  if (!m_bPlain) button.SendMessage(BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(face));
  // A bitmap button does not draw its text, but screen readers read it; the plain look shows it.
  button.SetWindowTextA(text);
}

std::string CMainDlg::CommentText() const {
  // The limit counts characters; in a multibyte code page the text may need more bytes, so the
  // buffer follows the text's own length (which may overstate it, never understate it).
  const int length = ::GetWindowTextLengthA(m_editComment);
  if (length <= 0) return std::string();
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
  const int copied = ::GetWindowTextA(m_editComment, buffer.data(), length + 1);
  return std::string(buffer.data(), copied > 0 ? static_cast<std::size_t>(copied) : 0);
}

// ------------------------------------------------------------------------------- the buttons

LRESULT CMainDlg::OnCloseClick(WORD, WORD, HWND, BOOL&) {
  AssertOnWindowThread();
  PostCommand(ID_COMMENTS_HIDE, IDC_CLOSE);
  return 0;
}

LRESULT CMainDlg::OnStartSubmitClick(WORD, WORD, HWND, BOOL&) {
  AssertOnWindowThread();
  if (m_bRecording) {
    // The check mark shows for three seconds whether or not the frame finds a comment to send;
    // clicks meanwhile are ignored.
    if (m_bSubmitPending) return 0;
    SetTimer(kSubmitTimer, kTimerPeriodMs);
    SetButtonFace(m_btnStartSubmit, m_bmpSubmitted.get(), comments::kTextSubmitted);
    m_bSubmitPending = true;
    PostCommand(ID_COMMENT_SUBMIT, IDC_START_SUBMIT);
  } else {
    SetButtonFace(m_btnPauseResume, m_bmpPause.get(), comments::kTextPause);
    m_bPaused = false;
    KillTimer(kSubmitTimer);
    PostCommand(ID_RECORDING_START, IDC_START_SUBMIT);
  }
  return 0;
}

LRESULT CMainDlg::OnPauseResumeClick(WORD, WORD, HWND, BOOL&) {
  AssertOnWindowThread();
  if (!m_bRecording) return 0;
  PostCommand(m_bPaused ? ID_RECORDING_RESUME : ID_RECORDING_PAUSE, IDC_PAUSE_RESUME);
  // The look changes at once; the service's later report sets the same look again.
  if (m_bPaused) {
    SetTitle(m_bmpTitleRecording.get(), comments::kTitleRecording);
    SetButtonFace(m_btnPauseResume, m_bmpPause.get(), comments::kTextPause);
    m_bPaused = false;
  } else {
    SetTitle(m_bmpTitlePaused.get(), comments::kTitlePaused);
    SetButtonFace(m_btnPauseResume, m_bmpResume.get(), comments::kTextResume);
    m_bPaused = true;
  }
  UpdateWindow();
  return 0;
}

LRESULT CMainDlg::OnStopClick(WORD, WORD, HWND, BOOL&) {
  AssertOnWindowThread();
  PostCommand(ID_RECORDING_STOP, IDC_STOP);
  return 0;
}

LRESULT CMainDlg::OnWhatIsThisClick(WORD, WORD, HWND, BOOL&) {
  AssertOnWindowThread();
  // Nothing is reported when the shell cannot open the page.
  m_shellExecute(nullptr, "open", comments::kSupportPageUrl, nullptr, nullptr, SW_SHOWNORMAL);
  return 0;
}

LRESULT CMainDlg::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
  AssertOnWindowThread();
  if (wParam == kSubmitTimer) {
    if (m_bRecording) {
      SetButtonFace(m_btnStartSubmit, m_bmpSubmit.get(), comments::kTextSubmit);
      m_bSubmitPending = false;
    }
    KillTimer(kSubmitTimer);
  } else if (wParam == kUploadedTimer) {
    m_stUploaded.ShowWindow(SW_HIDE);
    KillTimer(kUploadedTimer);
    if (m_bRecording && m_profile.allowRecordingControl) {
      m_btnStop.ShowWindow(SW_SHOW);
      m_btnPauseResume.ShowWindow(SW_SHOW);
    }
  } else {
    bHandled = FALSE;
  }
  return 0;
}

// ------------------------------------------------------------------------------ comment box

LRESULT CMainDlg::OnCommentFocus(WORD code, WORD, HWND, BOOL&) {
  AssertOnWindowThread();
  const std::string text = CommentText();
  if (code == EN_SETFOCUS) {
    if (comments::ClearsOnFocus(text)) m_editComment.SetWindowTextA("");
  } else if (comments::RestoresHintOnBlur(text)) {
    m_editComment.SetWindowTextA(comments::kHint);
  }
  return 0;
}

bool CMainDlg::TakeComment(std::string& text) {
  AssertOnWindowThread();
  text = CommentText();
  m_editComment.SetWindowTextA(comments::kHint);
  return comments::IsComment(text);
}

// ------------------------------------------------------------------- what the frame reports

void CMainDlg::OnRecordingStarted() {
  AssertOnWindowThread();
  m_bRecording = true;
  m_bPaused = false;
  m_bSubmitPending = false;
  SetTitle(m_bmpTitleRecording.get(), comments::kTitleRecording);
  SetButtonFace(m_btnStartSubmit, m_bmpSubmit.get(), comments::kTextSubmit);
  SetButtonFace(m_btnPauseResume, m_bmpPause.get(), comments::kTextPause);
  m_btnWhatIsThis.ShowWindow(SW_HIDE);
  KillTimer(kSubmitTimer);
  if (m_profile.allowRecordingControl) {
    m_btnStop.ShowWindow(SW_SHOW);
    m_btnPauseResume.ShowWindow(SW_SHOW);
  }
  const int commentShow = m_bServiceReady && m_profile.allowComments ? SW_SHOW : SW_HIDE;
  m_editComment.ShowWindow(commentShow);
  m_btnStartSubmit.ShowWindow(commentShow);
}

void CMainDlg::OnRecordingPaused() {
  AssertOnWindowThread();
  SetTitle(m_bmpTitlePaused.get(), comments::kTitlePaused);
  SetButtonFace(m_btnPauseResume, m_bmpResume.get(), comments::kTextResume);
  m_bPaused = true;
  UpdateWindow();
}

void CMainDlg::OnRecordingResumed() {
  AssertOnWindowThread();
  SetTitle(m_bmpTitleRecording.get(), comments::kTitleRecording);
  SetButtonFace(m_btnPauseResume, m_bmpPause.get(), comments::kTextPause);
  m_bPaused = false;
  UpdateWindow();
}

void CMainDlg::OnRecordingStopped() {
  AssertOnWindowThread();
  m_bRecording = false;
  SetTitle(m_bmpTitleIdle.get(), comments::kTitleIdle);
  SetButtonFace(m_btnStartSubmit, m_bmpStart.get(), comments::kTextStart);
  // Text not yet submitted is discarded.
  m_editComment.SetWindowTextA(comments::kHint);
  m_editComment.ShowWindow(SW_HIDE);
  KillTimer(kSubmitTimer);
  m_btnStop.ShowWindow(SW_HIDE);
  m_btnPauseResume.ShowWindow(SW_HIDE);
  m_btnWhatIsThis.ShowWindow(SW_SHOW);
  m_btnStartSubmit.ShowWindow(m_profile.allowRecordingControl ? SW_SHOW : SW_HIDE);
}

void CMainDlg::OnUploadProgress(int percent) {
  AssertOnWindowThread();
  // Visible on screen: while the window itself is hidden every control counts as not visible.
  const bool commentVisible = m_editComment.IsWindowVisible() != FALSE;
  if (percent == 100) {
    if (!commentVisible && m_bRecording) m_editComment.ShowWindow(SW_SHOW);
    m_stUploading.ShowWindow(SW_HIDE);
    m_busy.ShowWindow(SW_HIDE);
    m_btnPauseResume.ShowWindow(SW_HIDE);
    m_btnStop.ShowWindow(SW_HIDE);
    m_stUploaded.ShowWindow(SW_SHOW);
    SetTimer(kUploadedTimer, kTimerPeriodMs);
    PlayBusyAnimationWhileSeen();
    return;
  }
  // Only exactly 100 is done; the percentage itself is not shown.
  if (commentVisible) m_editComment.ShowWindow(SW_HIDE);
  if (!m_busy.IsWindowVisible()) {
    m_stUploading.ShowWindow(SW_SHOW);
    m_busy.ShowWindow(SW_SHOW);
  }
  PlayBusyAnimationWhileSeen();
}

void CMainDlg::UpdateProfileControls() {
  AssertOnWindowThread();
  const int show = m_profile.allowRecordingControl ? SW_SHOW : SW_HIDE;
  if (m_bRecording) {
    m_btnStop.ShowWindow(show);
    m_btnPauseResume.ShowWindow(show);
  } else {
    m_btnStartSubmit.ShowWindow(show);
  }
}

// ------------------------------------------------------------------------- the message loop

BOOL CMainDlg::FilterMessage(MSG* msg) {
  // Keystrokes go to the window with the focus: only those meant for this window or one of its
  // controls count. Auto-repeat sends more key-downs, and each runs the action again.
  if (msg->message == WM_KEYDOWN && msg->wParam == 'O' && ::GetKeyState(VK_CONTROL) < 0 &&
      m_onCtrlO && m_hWnd && (msg->hwnd == m_hWnd || ::IsChild(m_hWnd, msg->hwnd))) {
    m_onCtrlO();
  }
  return ::IsDialogMessageA(m_hWnd, msg);
}

BOOL CMainDlg::OnIdle() { return FALSE; }
