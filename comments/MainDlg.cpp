#include "comments/MainDlg.h"

#include <algorithm>
#include <vector>

#include "app/AppModule.h"
#include "comments/BitmapSets.h"
#include "comments/CommentsText.h"
#include "comments/PlainLook.h"

namespace {

HINSTANCE RealShellExecute(void*, HWND owner, LPCSTR verb, LPCSTR file, LPCSTR parameters,
                           LPCSTR directory, INT show) {
  return ::ShellExecuteA(owner, verb, file, parameters, directory, show);
}

BITMAP BitmapInfo(HBITMAP bitmap) {
  BITMAP bm{};
  if (bitmap) ::GetObjectA(bitmap, sizeof bm, &bm);
  return bm;
}

void SetPicture(const CWindow& picture, HBITMAP bitmap) {
  picture.SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap));
}

void Show(const CWindow& control, bool shown) { control.ShowWindow(shown ? SW_SHOW : SW_HIDE); }

const char* TitleText(client::Title title) {
  switch (title) {
    case client::Title::Idle: return comments::kTitleIdle;
    case client::Title::Recording: return comments::kTitleRecording;
    case client::Title::Paused: return comments::kTitlePaused;
  }
  return "";
}

const char* StartSubmitText(client::StartSubmitFace face) {
  switch (face) {
    case client::StartSubmitFace::Start: return comments::kTextStart;
    case client::StartSubmitFace::Submit: return comments::kTextSubmit;
    case client::StartSubmitFace::Submitted: return comments::kTextSubmitted;
  }
  return "";
}

}  // namespace

CommentsEdge::CommentsEdge() : shellExecute(&RealShellExecute) {}

CMainDlg::CMainDlg(const CommentsEdge& edge, std::function<void()> onCtrlO)
    : m_edge(edge), m_onCtrlO(std::move(onCtrlO)) {}

CMainDlg::~CMainDlg() {
  // Normally the frame's window took this one with it. If not, the window goes first: its
  // controls still show bitmaps that the members are about to free.
  if (m_hWnd && ::IsWindow(m_hWnd) &&
      ::GetWindowThreadProcessId(m_hWnd, nullptr) == ::GetCurrentThreadId()) {
    ::DestroyWindow(m_hWnd);
  }
}

// ------------------------------------------------------------------------------ initialisation

LRESULT CMainDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
  m_icons.Apply(m_hWnd, g_appModule.GetResourceInstance(), IDI_APP);
  if (CMessageLoop* loop = g_appModule.CurrentLoop()) loop->AddFilter(this);

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
  m_editComment = GetDlgItem(IDC_COMMENT);
  // The title picture has no id of its own: it is the template's first control.
  m_stTitle = ::GetWindow(m_hWnd, GW_CHILD);

  if (const comments::BitmapSet* set = comments::BitmapSetForDpi(dpi)) {
    m_bPlain = false;
    LoadSkin(*set);
  } else {
    m_bPlain = true;
    UsePlainLook(m_hWnd, PlainLookControls{m_btnStartSubmit, m_btnClose, m_btnStop,
                                           m_btnPauseResume, m_btnWhatIsThis, m_stTitle});
  }

  SetButtonFace(m_btnClose, m_faces.close.get(), comments::kTextClose);
  SetButtonFace(m_btnStop, m_faces.stop.get(), comments::kTextStop);
  SetButtonFace(m_btnWhatIsThis, m_faces.whatIsThis.get(), comments::kTextWhatIsThis);
  if (!m_bPlain) {
    SetPicture(m_stUploading, m_faces.uploading.get());
    SetPicture(m_stUploaded, m_faces.uploaded.get());
  }

  m_editComment.SetWindowTextA(comments::kHint);
  m_editComment.SendMessage(EM_LIMITTEXT, comments::kCommentLimit);

  // The animation is decoded when the upload display first shows it (PlayBusyAnimationWhileSeen).
  if (HWND placeholder = GetDlgItem(IDC_BUSY)) m_busy.SubclassWindow(placeholder);
  m_busy.ShowWindow(SW_HIDE);
  m_bRendered = false;
  return TRUE;
}

void CMainDlg::LoadSkin(const comments::BitmapSet& set) {
  m_hBitmap.reset(static_cast<HBITMAP>(::LoadImageA(g_appModule.GetResourceInstance(),
                                                    MAKEINTRESOURCEA(set.skin), IMAGE_BITMAP, 0,
                                                    0, LR_DEFAULTCOLOR)));
  if (ApplySkin()) m_bDraggable = TRUE;
  m_faces.Load(g_appModule.GetResourceInstance(), set);

  // The link's face is text on the skin's white: where the button is wider than the face (the
  // 120-DPI set), the button's own edge shows beside it as a grey line. The button takes the
  // face's size, centred where the template puts it.
  const BITMAP face = BitmapInfo(m_faces.whatIsThis.get());
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

LRESULT CMainDlg::OnDestroy(UINT, WPARAM, LPARAM, BOOL&) {
  if (CMessageLoop* loop = g_appModule.CurrentLoop()) loop->RemoveFilter(this);
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

// ----------------------------------------------------------------------------------- rendering

void CMainDlg::Render(const client::CommentsLook& look) {
  const bool all = !m_bRendered;
  const client::CommentsLook was = m_look;
  m_look = look;
  m_bRendered = true;

  if (all || look.title != was.title) SetTitle(look.title);
  if (all || look.startSubmitFace != was.startSubmitFace) {
    SetButtonFace(m_btnStartSubmit, m_faces.StartSubmit(look.startSubmitFace),
                  StartSubmitText(look.startSubmitFace));
  }
  if (all || look.pauseResumeFace != was.pauseResumeFace) {
    const bool pause = look.pauseResumeFace == client::PauseResumeFace::Pause;
    SetButtonFace(m_btnPauseResume, m_faces.PauseResume(look.pauseResumeFace),
                  pause ? comments::kTextPause : comments::kTextResume);
  }
  Show(m_btnStartSubmit, look.startSubmitShown);
  Show(m_btnStop, look.stopShown);
  Show(m_btnPauseResume, look.pauseResumeShown);
  Show(m_btnWhatIsThis, look.whatIsThisShown);
  Show(m_editComment, look.commentShown);
  Show(m_stUploaded, look.uploadedShown);
  if (all || look.uploadingShown != was.uploadingShown) {
    Show(m_stUploading, look.uploadingShown);
    Show(m_busy, look.uploadingShown);
    PlayBusyAnimationWhileSeen();
  }
  // The change shows now, not at the next turn of the message loop.
  UpdateWindow();
}

void CMainDlg::SetTitle(client::Title title) {
  // The plain look's title is a text static. A picture static's text is not set: the static
  // would take it for the name of a picture resource to load.
  if (m_bPlain) {
    m_stTitle.SetWindowTextA(TitleText(title));
  } else {
    SetPicture(m_stTitle, m_faces.Title(title));
  }
}

void CMainDlg::SetButtonFace(const CWindow& button, HBITMAP face, const char* text) const {
  if (!m_bPlain) button.SendMessage(BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(face));
  // A bitmap button does not draw its text, but screen readers read it; the plain look shows it.
  button.SetWindowTextA(text);
}

// ------------------------------------------------------------------------------- the buttons

LRESULT CMainDlg::OnButtonClick(WORD, WORD id, HWND, BOOL&) {
  UINT command = 0;
  switch (id) {
    case IDC_CLOSE: command = ID_COMMENTS_HIDE; break;
    case IDC_STOP: command = ID_RECORDING_STOP; break;
    case IDC_START_SUBMIT: command = m_look.startSubmitCommand; break;
    case IDC_PAUSE_RESUME: command = m_look.pauseResumeCommand; break;
    default: break;
  }
  // The control's id, not its handle, travels in lParam.
  const HWND parent = GetParent();
  if (command != 0 && parent) {
    ::PostMessageA(parent, WM_COMMAND, MAKEWPARAM(command, 0), static_cast<LPARAM>(id));
  }
  return 0;
}

LRESULT CMainDlg::OnWhatIsThisClick(WORD, WORD, HWND, BOOL&) {
  // Nothing is reported when the shell cannot open the page.
  m_edge.shellExecute(m_edge.context, nullptr, "open", comments::kSupportPageUrl, nullptr,
                      nullptr, SW_SHOWNORMAL);
  return 0;
}

// ------------------------------------------------------------------------------ comment box

std::string CMainDlg::CommentText() const {
  // The limit counts characters; in a multibyte code page the text may need more bytes, so the
  // buffer follows the text's own length (which may overstate it, never understate it).
  const int length = ::GetWindowTextLengthA(m_editComment);
  if (length <= 0) return std::string();
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
  const int copied = ::GetWindowTextA(m_editComment, buffer.data(), length + 1);
  return std::string(buffer.data(), copied > 0 ? static_cast<std::size_t>(copied) : 0);
}

LRESULT CMainDlg::OnCommentFocus(WORD code, WORD, HWND, BOOL&) {
  const std::string text = CommentText();
  if (code == EN_SETFOCUS) {
    if (comments::ClearsOnFocus(text)) m_editComment.SetWindowTextA("");
  } else if (comments::RestoresHintOnBlur(text)) {
    m_editComment.SetWindowTextA(comments::kHint);
  }
  return 0;
}

std::string CMainDlg::TakeComment() {
  std::string text = CommentText();
  ResetComment();
  return text;
}

void CMainDlg::ResetComment() { m_editComment.SetWindowTextA(comments::kHint); }

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
