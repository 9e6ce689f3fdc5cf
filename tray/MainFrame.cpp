#include "tray/MainFrame.h"

#include <algorithm>

#include "client/StatusPresentation.h"
#include "tray/WindowsVersion.h"
#include "widgets/AboutDlg.h"

namespace {

UINT_PTR TimerId(client::Timer timer) {
  return timer == client::Timer::SubmitMark ? CMainFrame::TIMER_SUBMIT_MARK
                                            : CMainFrame::TIMER_UPLOADED_PICTURE;
}

}  // namespace

CMainFrame::CMainFrame() : CMainFrame(FrameEdges()) {}

CMainFrame::CMainFrame(const FrameEdges& edges)
    : CTrayIconImpl<CMainFrame>(edges.tray),
      m_edges(edges),
      m_model(IsWindows8OrLater()),
      m_pump(edges.events),
      // Ctrl+O in the comments window: the service's text file in Notepad.
      m_commentsDlg(edges.comments,
                    [this] { tray::OpenInNotepad(m_service.GetTextFilePath(), m_edges.process); }),
      m_service(edges.service) {
  // The shell broadcasts this to every top-level window when it has built a new taskbar.
  m_uTaskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
  m_uOpenCommentsRequest = ::RegisterWindowMessageA(kOpenCommentsMessageName);
}

// Members go in reverse order: the adapter first (stop, then the service's Release, after which
// no event is raised), then the comments window, then the pump; the tray mix-in then deletes the
// icon.
CMainFrame::~CMainFrame() = default;

// ----------------------------------------------------------------- rendering

void CMainFrame::Render(const client::Effects& effects) {
  if (effects.hasBalloon) ShowNotice(effects.balloon.text.c_str(), effects.balloon.title);
  if (effects.trayIcon != client::TrayIconChange::None) RenderTrayIcon(effects);
  if (effects.hasStatus) {
    if (effects.status.iconOnly) {
      SetIconOnly(static_cast<UINT>(effects.status.iconId));
    } else {
      ShowStatus(static_cast<UINT>(effects.status.iconId), effects.status.tip);
    }
  }
  if (effects.hasLook) m_commentsDlg.Render(effects.look);
  if (effects.resetComment) m_commentsDlg.ResetComment();
  for (std::size_t i = 0; i < client::kTimers; ++i) {
    const UINT_PTR id = TimerId(static_cast<client::Timer>(i));
    if (effects.cancel[i]) KillTimer(id);
    if (effects.arm[i]) SetTimer(id, client::kTimerPeriodMs);
  }
  RenderWindowChange(effects.window);
  if (effects.takeComment) Render(m_model.CommentTaken(m_commentsDlg.TakeComment()));
  for (std::size_t i = 0; i < effects.callCount; ++i) {
    RenderServiceCall(effects.calls[i], effects.comment);
  }
  if (effects.close) m_pump.PostClose();
  if (effects.stopService) {
    m_pump.IgnoreForGood();
    m_service.Stop();
  }
  if (effects.closeNow) SendMessage(WM_CLOSE, 0, 0);
}

void CMainFrame::RenderTrayIcon(const client::Effects& effects) {
  using client::TrayIconChange;
  const HICON icon = LoadTrayIcon(static_cast<UINT>(effects.addIconId));
  switch (effects.trayIcon) {
    case TrayIconChange::None:
      break;
    case TrayIconChange::AddAgain:
      ForgetIcon();
      // fall through
    case TrayIconChange::AddOrRetry:
      // The notification area is not there yet (early in the session): retry until it is.
      if (!InstallIcon(effects.addTip, icon, IDR_TRAYMENU)) SetTimer(TIMER_INSTALL_RETRY, kInstallRetryMs);
      break;
    case TrayIconChange::Add:
      // After what the events before asked for; does nothing when the icon is there, and a
      // failure starts no retry.
      FlushTrayUpdates();
      InstallIcon(effects.addTip, icon, IDR_TRAYMENU);
      break;
    case TrayIconChange::Remove:
      FlushTrayUpdates();
      // A retry still pending would add the icon the profile has just removed.
      KillTimer(TIMER_INSTALL_RETRY);
      if (m_bInstalled) RemoveIcon();
      break;
  }
}

void CMainFrame::RenderWindowChange(client::WindowChange change) {
  const HWND window = m_commentsDlg;
  switch (change) {
    case client::WindowChange::None:
      break;
    case client::WindowChange::Show:
      // A failed placement still shows the window, where it last was.
      PositionNearTrayIcon(window, m_nid.hWnd, m_nid.uID, m_edges.placement);
      ::ShowWindow(window, SW_SHOW);
      break;
    case client::WindowChange::Hide:
      ::ShowWindow(window, SW_HIDE);
      break;
    case client::WindowChange::ShowInFront:
      if (!::IsWindowVisible(window)) {
        PositionNearTrayIcon(window, m_nid.hWnd, m_nid.uID, m_edges.placement);
        ::ShowWindow(window, SW_SHOW);
      }
      ::SetForegroundWindow(window);
      break;
  }
}

void CMainFrame::RenderServiceCall(client::ServiceCall call, const std::string& comment) {
  using client::ServiceCall;
  switch (call) {
    case ServiceCall::StartRecording: m_service.StartRecording(); break;
    case ServiceCall::StopRecording: m_service.StopRecording(); break;
    case ServiceCall::Pause: m_service.Pause(); break;
    case ServiceCall::Resume: m_service.Resume(); break;
    case ServiceCall::AddComment: m_service.AddComment(comment); break;
    case ServiceCall::StopAutoRecord:
      if (m_service.IsAutoRecordRunning()) m_service.StopAutoRecord();
      break;
    case ServiceCall::ToggleAutoRecord:
      if (m_service.IsAutoRecordRunning()) {
        m_service.StopAutoRecord();
      } else {
        m_service.StartAutoRecord();
      }
      break;
    case ServiceCall::Restart:
      // Events raised before the command take effect first, all of them: one left for later
      // would act on the restarted service. The restart's own are dropped.
      m_pump.WhileIgnoring([this] {
        m_service.Stop();
        m_service.Start();
      });
      Render(m_model.ServiceRestarted());
      break;
  }
}

void CMainFrame::ShowStatus(UINT iconId, const char* tooltip) {
  if (m_trayBatch.Open()) {
    m_trayBatch.SetIconAndTip(iconId, tooltip);
  } else {
    SetIconAndTip(iconId, tooltip);
  }
}

void CMainFrame::ShowNotice(const char* text, const char* title) {
  if (m_trayBatch.Open()) {
    m_trayBatch.ShowBalloon(text, title);
  } else {
    ShowBalloon(text, title);
  }
}

void CMainFrame::FlushTrayUpdates() {
  const tray::TrayUpdateBatch::Updates updates = m_trayBatch.Take();
  if (updates.hasBalloon && updates.balloonFirst) {
    ShowBalloon(updates.text.c_str(), updates.title.c_str());
  }
  if (updates.hasIconAndTip) SetIconAndTip(updates.iconId, updates.tip.c_str());
  if (updates.hasBalloon && !updates.balloonFirst) {
    ShowBalloon(updates.text.c_str(), updates.title.c_str());
  }
}

void CMainFrame::ApplyServiceEvent(const vesk::ServiceEvent& event) { Render(m_model.Apply(event)); }

void CMainFrame::EndPass() {
  FlushTrayUpdates();
  m_trayBatch.End();
}

// ----------------------------------------------------------------- window messages

LRESULT CMainFrame::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
  m_icons.Apply(m_hWnd, g_appModule.GetResourceInstance(), IDI_APP);
  m_pump.Attach(m_hWnd, this);
  client::Effects start = m_model.Start(m_service.CurrentProfile());
  RenderTrayIcon(start);
  start.trayIcon = client::TrayIconChange::None;
  m_commentsDlg.Create(m_hWnd);
  Render(start);
  m_service.SetEventSink([this](const vesk::ServiceEvent& event) { m_pump.Raise(event); });
  m_service.Start();
  return 0;
}

LRESULT CMainFrame::OnClose(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  m_model.Close();
  m_pump.IgnoreForGood();
  m_bClosed = true;
  // A close that arrives inside a nested modal loop (the About dialog, the tray menu) ends that
  // loop too, or the program would stay in it with its frame gone.
  if (m_pAboutDlg && m_pAboutDlg->m_hWnd) m_pAboutDlg->EndDialog(IDCANCEL);
  ::EndMenu();

  m_service.Stop();
  // Late notices raised up to the stop still show, every one of them, however many (connection,
  // recording and upload events are dropped now). What the service raises after this is dropped
  // with the window.
  m_pump.DrainRaisedSoFar();

  ::PostQuitMessage(0);
  // Default processing destroys the window; the frame base then posts the quit request with
  // exit code 1, which replaces this one before the loop sees either.
  bHandled = FALSE;
  return 0;
}

LRESULT CMainFrame::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  m_bClosed = true;
  KillTimer(TIMER_INSTALL_RETRY);
  m_pump.Detach();
  bHandled = FALSE;  // the frame base posts the quit request
  return 0;
}

LRESULT CMainFrame::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
  if (m_pump.OnTimer(wParam)) return 0;
  if (wParam == TIMER_SUBMIT_MARK || wParam == TIMER_UPLOADED_PICTURE) {
    KillTimer(wParam);
    Render(m_model.TimerExpired(wParam == TIMER_SUBMIT_MARK ? client::Timer::SubmitMark
                                                            : client::Timer::UploadedPicture));
  } else if (wParam == TIMER_INSTALL_RETRY) {
    if (InstallIcon(client::kAppTitle, LoadTrayIcon(static_cast<UINT>(m_model.NotConnectedIconId())),
                    IDR_TRAYMENU)) {
      KillTimer(TIMER_INSTALL_RETRY);
    }
  } else {
    bHandled = FALSE;
  }
  return 0;
}

LRESULT CMainFrame::OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
  // The comments window names the clicked control in lParam; the menu and others send 0.
  const bool fromComments = lParam == IDC_START_SUBMIT || lParam == IDC_PAUSE_RESUME;
  Render(m_model.Command(LOWORD(wParam), fromComments ? client::CommandSource::CommentsWindow
                                                      : client::CommandSource::Elsewhere));
  return 0;
}

LRESULT CMainFrame::OnUploadProgressMessage(UINT, WPARAM wParam, LPARAM, BOOL&) {
  Render(m_model.Apply(vesk::ServiceEvent::UploadProgress(
      static_cast<unsigned char>(std::min<WPARAM>(wParam, 100)))));
  return 0;
}

LRESULT CMainFrame::OnServiceEvents(UINT, WPARAM, LPARAM, BOOL&) {
  m_pump.OnWakeUp();
  return 0;
}

// The client never holds up the end of the session, nor an installer's request to close it.
LRESULT CMainFrame::OnQueryEndSession(UINT, WPARAM, LPARAM, BOOL&) { return TRUE; }

LRESULT CMainFrame::OnEndSession(UINT, WPARAM wParam, LPARAM lParam, BOOL&) {
  Render(m_model.SessionEnding(wParam != FALSE, (lParam & ENDSESSION_CLOSEAPP) != 0));
  return 0;
}

// A new taskbar (the shell was restarted) has none of the old icons: without re-adding ours the
// client would have no visible surface left.
LRESULT CMainFrame::OnTaskbarCreated(UINT, WPARAM, LPARAM, BOOL&) {
  Render(m_model.TaskbarCreated());
  return 0;
}

// A second start of the program: it opens the window and never closes it, unlike Open, which
// toggles; someone who starts the client again wants to see it. The second start has let this
// process take the foreground, so the window comes up in front, ready for typing.
LRESULT CMainFrame::OnOpenCommentsRequest(UINT, WPARAM, LPARAM, BOOL&) {
  Render(m_model.OpenRequested());
  return 0;
}

LRESULT CMainFrame::OnTrayCallback(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled) {
  const LRESULT result = OnTrayIcon(uMsg, wParam, lParam, bHandled);
  EndIfClosedInsideNestedLoop();
  return result;
}

void CMainFrame::EndIfClosedInsideNestedLoop() {
  if (m_bClosed) ::PostQuitMessage(1);
}

// ----------------------------------------------------------------- commands of the frame's own

void CMainFrame::PrepareMenu(HMENU popup) {
  if (m_service.IsAutoRecordRunning()) {
    ::CheckMenuItem(popup, ID_AUTORECORD_TOGGLE, MF_BYCOMMAND | MF_CHECKED);
  }
}

LRESULT CMainFrame::OnShowVersion(WORD, WORD, HWND, BOOL&) {
  Render(m_model.VersionReported(m_service.GetVersion()));
  return 0;
}

LRESULT CMainFrame::OnAboutDialog(WORD, WORD, HWND, BOOL&) {
  if (m_pAboutDlg) {
    // Already open (the command came again from outside): no second modal loop inside it.
    if (m_pAboutDlg->m_hWnd) ::SetForegroundWindow(m_pAboutDlg->m_hWnd);
    return 0;
  }
  CAboutDlg about;
  m_pAboutDlg = &about;
  about.DoModal(::GetActiveWindow());
  m_pAboutDlg = nullptr;
  EndIfClosedInsideNestedLoop();
  return 0;
}
