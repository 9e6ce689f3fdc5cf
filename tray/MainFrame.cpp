#include "tray/MainFrame.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "tray/ServiceStateRules.h"
#include "tray/TextFileLaunch.h"
#include "tray/WindowsVersion.h"
#include "widgets/AboutDlg.h"

namespace {

// A drain gives the message loop a turn after this long, so that an event storm cannot keep
// input and paint waiting; the rest follows at the next wake-up.
constexpr LONGLONG kDrainSliceMicroseconds = 8000;
constexpr int kEventsBetweenClockReads = 64;

LONGLONG CounterFrequency() {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart > 0 ? frequency.QuadPart : 1;
}

HICON LoadAppIcon(int cxMetric, int cyMetric) {
  return static_cast<HICON>(::LoadImageA(g_appModule.GetResourceInstance(),
                                         MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON,
                                         ::GetSystemMetrics(cxMetric), ::GetSystemMetrics(cyMetric),
                                         LR_DEFAULTCOLOR | LR_SHARED));
}

}  // namespace

CMainFrame::CMainFrame() : CMainFrame(FrameEdges()) {}

CMainFrame::CMainFrame(const FrameEdges& edges)
    : CTrayIconImpl<CMainFrame>(edges.tray),
      m_process(edges.process),
      m_placement(edges.placement),
      m_eventsApi(edges.events),
      m_service(edges.service),
      m_counterFrequency(CounterFrequency()) {
  // The shell broadcasts this to every top-level window when it has built a new taskbar.
  m_uTaskbarCreated = ::RegisterWindowMessageA("TaskbarCreated");
  m_uOpenCommentsRequest = ::RegisterWindowMessageA(kOpenCommentsMessageName);
}

// Members go in reverse order: the adapter first (stop, then the service's Release, after which
// no callback runs), then the comments window, then the queue; the tray mix-in then deletes the
// icon.
CMainFrame::~CMainFrame() = default;

BOOL CMainFrame::FilterMessage(MSG* msg) {
  // The frame's accelerators; resource 201 has none.
  return m_hAccel && ::TranslateAcceleratorA(m_hWnd, m_hAccel, msg);
}

// ----------------------------------------------------------------- status

tray::StatusFlags CMainFrame::Status() const {
  tray::StatusFlags flags;
  flags.connected = m_bConnected;
  flags.authorized = m_bAuthorized;
  flags.recording = m_bRecording;
  flags.monitored = m_bMonitored;
  return flags;
}

UINT CMainFrame::StatusIconId() const {
  return static_cast<UINT>(tray::StatusIconId(Status(), IsWindows8OrLater()));
}

const char* CMainFrame::StatusText() const { return tray::StatusText(Status()); }

HICON CMainFrame::NotConnectedIcon() const {
  return LoadTrayIcon(static_cast<UINT>(tray::NotConnectedIconId(IsWindows8OrLater())));
}

void CMainFrame::RefreshIconAndTip() { ShowStatus(StatusIconId(), StatusText()); }

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

// ----------------------------------------------------------------- window messages

LRESULT CMainFrame::OnCreate(UINT, WPARAM, LPARAM, BOOL&) {
  m_eventWindow.store(m_hWnd);

  SetIcon(LoadAppIcon(SM_CXICON, SM_CYICON), TRUE);
  SetIcon(LoadAppIcon(SM_CXSMICON, SM_CYSMICON), FALSE);

  m_commentsDlg.m_profile = m_service.CurrentProfile();

  if (m_commentsDlg.m_profile.showTrayIcon &&
      !InstallIcon("Not Connected", NotConnectedIcon(), IDR_TRAYMENU)) {
    // The notification area is not there yet (early in the session): retry until it is.
    SetTimer(TIMER_INSTALL_RETRY, kInstallRetryMs);
  }

  m_commentsDlg.Create(m_hWnd);
  m_commentsDlg.m_onCtrlO = [this] { OnOpenTextFile(); };

  m_service.SetRecordingStateHandler(
      [this](const vesk::model::media::RecordingState& state) { OnRecordingState(state); });
  m_service.SetUploadProgressHandler([this](unsigned char percent) { OnServiceUploadProgress(percent); });
  m_service.SetConnectionStateHandler(
      [this](const vesk::model::connection::State& state) { OnConnectionState(state); });
  m_service.SetShutdownHandler([this] { OnShutdownRequest(); });
  m_service.SetMonitoredHandler([this](bool monitored) { OnMonitored(monitored); });
  m_service.SetProfileHandler([this](const vesk::ScreenRecorderProfile& profile) { OnProfile(profile); });
  m_service.SetUpdatedHandler([this] { OnApplicationUpdated(); });
  m_service.SetNotificationHandler([this](const std::string& text) { OnNotification(text); });

  m_service.Start();
  return 0;
}

LRESULT CMainFrame::OnClose(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  m_bIgnoreServiceEvents = true;
  m_bClosed = true;
  // A close that arrives inside a nested modal loop (the About dialog, the tray menu) ends that
  // loop too, or the program would stay in it with its frame gone.
  if (m_pAboutDlg && m_pAboutDlg->m_hWnd) m_pAboutDlg->EndDialog(IDCANCEL);
  ::EndMenu();

  m_service.Stop();
  // Late notices raised up to the stop still show, every one of them, however many (connection,
  // recording and upload events are dropped now). What the service raises after this is dropped
  // with the window.
  DrainServiceEvents(m_events.Mark());

  ::PostQuitMessage(0);
  // Default processing destroys the window; the frame base then posts the quit request with
  // exit code 1, which replaces this one before the loop sees either.
  bHandled = FALSE;
  return 0;
}

LRESULT CMainFrame::OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  m_bClosed = true;
  KillTimer(TIMER_INSTALL_RETRY);
  KillTimer(TIMER_SERVICE_EVENTS);
  // Nothing is applied once the window is gone: events the service still raises until its
  // Release are dropped, and queued ones are freed.
  m_eventWindow.store(nullptr);
  m_events.Close();
  bHandled = FALSE;  // the frame base posts the quit request
  return 0;
}

LRESULT CMainFrame::OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& bHandled) {
  if (wParam == TIMER_SERVICE_EVENTS) {
    KillTimer(TIMER_SERVICE_EVENTS);
    DrainServiceEvents();
    if (m_bCloseOwed) {
      m_bCloseOwed = false;
      // Dispatched from the loop like the close that could not be posted.
      SendMessage(WM_CLOSE, 0, 0);
    }
    return 0;
  }
  if (wParam != TIMER_INSTALL_RETRY) {
    bHandled = FALSE;
    return 0;
  }
  if (InstallIcon(tray::kAppTitle, NotConnectedIcon(), IDR_TRAYMENU)) {
    KillTimer(TIMER_INSTALL_RETRY);
  }
  return 0;
}

LRESULT CMainFrame::OnUploadProgressMessage(UINT, WPARAM wParam, LPARAM, BOOL&) {
  m_commentsDlg.OnUploadProgress(static_cast<int>(std::min<WPARAM>(wParam, 100)));
  return 0;
}

LRESULT CMainFrame::OnServiceEvents(UINT, WPARAM, LPARAM, BOOL&) {
  DrainServiceEvents();
  return 0;
}

// The session ends: the process may be ended as soon as this returns, so the service is stopped
// here and now, which lets it finish its work. A cancelled end (wParam false) changes nothing.
LRESULT CMainFrame::OnEndSession(UINT, WPARAM wParam, LPARAM, BOOL&) {
  if (wParam) {
    m_bIgnoreServiceEvents = true;
    m_service.Stop();
  }
  return 0;
}

// A new taskbar (the shell was restarted) has none of the old icons: without re-adding ours the
// client would have no visible surface left.
LRESULT CMainFrame::OnTaskbarCreated(UINT, WPARAM, LPARAM, BOOL&) {
  if (!m_commentsDlg.m_profile.showTrayIcon) return 0;
  ForgetIcon();
  if (!InstallIcon(StatusText(), LoadTrayIcon(StatusIconId()), IDR_TRAYMENU)) {
    SetTimer(TIMER_INSTALL_RETRY, kInstallRetryMs);
  }
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

// ----------------------------------------------------------------- service events

void CMainFrame::RaiseServiceEvent(tray::ServiceEvent event) {
  if (m_events.Raise(std::move(event))) PostWakeUp();
}

void CMainFrame::PostWakeUp() {
  const HWND window = m_eventWindow.load();
  if (!window) {
    m_events.WakeUpLost();
    return;
  }
  if (m_eventsApi.postMessage(window, WM_SERVICE_EVENTS, 0, 0)) return;
  // The message queue is full. A timer needs no room in it: the frame's timer drains instead,
  // and the wake-up stays marked pending until then, so no other thread tries to post. A window
  // of another thread of the same process takes a timer from this one.
  if (!::SetTimer(window, TIMER_SERVICE_EVENTS, kWakeUpRetryMs, nullptr)) m_events.WakeUpLost();
}

void CMainFrame::OnRecordingState(const vesk::model::media::RecordingState& state) {
  RaiseServiceEvent(tray::ServiceEvent::RecordingState(state.kind));
}
void CMainFrame::OnServiceUploadProgress(unsigned char percent) {
  RaiseServiceEvent(tray::ServiceEvent::UploadProgress(percent));
}
void CMainFrame::OnConnectionState(const vesk::model::connection::State& state) {
  RaiseServiceEvent(tray::ServiceEvent::ConnectionState(static_cast<std::uint32_t>(state)));
}
void CMainFrame::OnShutdownRequest() { RaiseServiceEvent(tray::ServiceEvent::Shutdown()); }
void CMainFrame::OnMonitored(bool monitored) {
  RaiseServiceEvent(tray::ServiceEvent::Monitored(monitored));
}
void CMainFrame::OnProfile(const vesk::ScreenRecorderProfile& profile) {
  RaiseServiceEvent(tray::ServiceEvent::Profile(profile));
}
void CMainFrame::OnApplicationUpdated() { RaiseServiceEvent(tray::ServiceEvent::Updated()); }
void CMainFrame::OnNotification(const std::string& text) {
  RaiseServiceEvent(tray::ServiceEvent::Notification(text));
}

LONGLONG CMainFrame::NowMicroseconds() const {
  LARGE_INTEGER now;
  m_eventsApi.queryPerformanceCounter(&now);
  return now.QuadPart / m_counterFrequency * 1000000 +
         now.QuadPart % m_counterFrequency * 1000000 / m_counterFrequency;
}

void CMainFrame::DrainServiceEvents(std::uint64_t through) {
  const LONGLONG sliceEnd = NowMicroseconds() + kDrainSliceMicroseconds;
  int untilClockRead = kEventsBetweenClockReads;
  m_trayBatch.Begin();
  const bool more = m_events.Drain(
      [this](const tray::ServiceEvent& event) { ApplyServiceEvent(event); },
      [&] {
        if (m_events.Consumed() < through) return true;
        if (--untilClockRead > 0) return true;
        untilClockRead = kEventsBetweenClockReads;
        return NowMicroseconds() < sliceEnd;
      });
  // Also when yielding: what the pass applied shows before the message loop gets its turn.
  FlushTrayUpdates();
  m_trayBatch.End();
  if (more) PostWakeUp();
}

void CMainFrame::ApplyServiceEvent(const tray::ServiceEvent& event) {
  using tray::ServiceEventKind;
  ++m_appliedEvents[static_cast<std::size_t>(event.kind)];
  switch (event.kind) {
    case ServiceEventKind::ConnectionState:
      ApplyConnectionState(event.code);
      break;
    case ServiceEventKind::RecordingState:
      ApplyRecordingState(event.code);
      break;
    case ServiceEventKind::UploadProgress:
      m_commentsDlg.OnUploadProgress(static_cast<int>(std::min<std::uint32_t>(event.code, 100)));
      break;
    case ServiceEventKind::Shutdown:
      // The close itself happens when the message is dispatched, after the events before it.
      // With the message queue full the frame's timer brings it instead.
      if (!m_eventsApi.postMessage(m_hWnd, WM_CLOSE, 0, 0)) {
        m_bCloseOwed = true;
        SetTimer(TIMER_SERVICE_EVENTS, kWakeUpRetryMs);
      }
      break;
    case ServiceEventKind::Monitored:
      ApplyMonitored(event.monitored);
      break;
    case ServiceEventKind::Profile:
      ApplyProfile(event.profile);
      break;
    case ServiceEventKind::Updated:
      ShowUpdateBalloon();
      break;
    case ServiceEventKind::Notification:
      ShowNotice(event.text.c_str(), tray::kProductName);
      break;
  }
}

void CMainFrame::ApplyConnectionState(std::uint32_t state) {
  const tray::ConnectionStateEffect effect =
      tray::ApplyConnectionState(state, m_bConnected, m_bAuthorized);
  if (effect.showUpdateBalloon) ShowUpdateBalloon();
  const bool ready = m_bConnected && m_bAuthorized;
  m_commentsDlg.m_bServiceReady = ready;
  if (m_commentsDlg.m_bRecording) {
    // Unlike the window's own recording look, this does not consult allowComments.
    const int show = ready ? SW_SHOW : SW_HIDE;
    m_commentsDlg.m_editComment.ShowWindow(show);
    m_commentsDlg.m_btnStartSubmit.ShowWindow(show);
  }
  ShowStatus(StatusIconId(), effect.tooltip ? effect.tooltip : StatusText());
}

void CMainFrame::ApplyRecordingState(std::uint32_t kind) {
  switch (tray::ClassifyRecordingKind(kind)) {
    case tray::RecordingKindEffect::Running:
      if (m_bRecording) return;
      m_bRecording = true;
      RefreshIconAndTip();
      m_commentsDlg.OnRecordingStarted();
      break;
    case tray::RecordingKindEffect::Paused:
      m_commentsDlg.OnRecordingPaused();
      break;
    case tray::RecordingKindEffect::Resumed:
      m_commentsDlg.OnRecordingResumed();
      break;
    case tray::RecordingKindEffect::NotRunning:
      if (!m_bRecording) return;
      m_bRecording = false;
      RefreshIconAndTip();
      m_commentsDlg.OnRecordingStopped();
      break;
    case tray::RecordingKindEffect::Ignored:
      break;
  }
}

void CMainFrame::ApplyMonitored(bool monitored) {
  m_bMonitored = monitored;
  RefreshIconAndTip();
}

void CMainFrame::ApplyProfile(const vesk::ScreenRecorderProfile& profile) {
  m_commentsDlg.m_profile = profile;
  // Adding or deleting the icon must come after what the events before asked for.
  FlushTrayUpdates();
  if (profile.showTrayIcon) {
    // Does nothing when the icon is there; a failure starts no retry.
    InstallIcon("Not Connected", NotConnectedIcon(), IDR_TRAYMENU);
    RefreshIconAndTip();
  } else {
    // A retry still pending would add the icon the profile has just removed.
    KillTimer(TIMER_INSTALL_RETRY);
    if (m_bInstalled) RemoveIcon();
  }
  m_commentsDlg.UpdateProfileControls();
}

void CMainFrame::ShowUpdateBalloon() {
  ShowNotice(tray::kUpdateBalloonText, tray::kUpdateBalloonTitle);
}

// ----------------------------------------------------------------- commands

LRESULT CMainFrame::OnHideComments(WORD, WORD, HWND, BOOL&) {
  m_commentsDlg.ShowWindow(SW_HIDE);
  return 0;
}

LRESULT CMainFrame::OnRecordingStart(WORD, WORD, HWND, BOOL&) {
  if (m_service.IsAutoRecordRunning()) m_service.StopAutoRecord();
  m_bRecording = true;
  // The tooltip keeps its text until the next status event.
  SetIconOnly(StatusIconId());
  m_commentsDlg.OnRecordingStarted();
  m_commentsDlg.UpdateWindow();
  m_service.StartRecording();
  return 0;
}

LRESULT CMainFrame::OnCommentSubmit(WORD, WORD, HWND, BOOL&) {
  std::string text;
  if (m_commentsDlg.TakeComment(text)) m_service.AddComment(text);
  return 0;
}

LRESULT CMainFrame::OnRecordingStop(WORD, WORD, HWND, BOOL&) {
  if (m_service.IsAutoRecordRunning()) m_service.StopAutoRecord();
  m_bRecording = false;
  SetIconOnly(StatusIconId());
  m_commentsDlg.OnRecordingStopped();
  m_commentsDlg.UpdateWindow();
  m_service.StopRecording();
  return 0;
}

LRESULT CMainFrame::OnPauseResume(WORD, WORD wID, HWND, BOOL&) {
  if (wID == ID_RECORDING_PAUSE) {
    m_service.Pause();
  } else {
    m_service.Resume();
  }
  return 0;
}

LRESULT CMainFrame::OnOpenComments(WORD, WORD, HWND, BOOL&) {
  if (m_commentsDlg.IsWindowVisible()) {
    m_commentsDlg.ShowWindow(SW_HIDE);
  } else {
    // A failed placement still shows the window, where it last was.
    PositionNearTrayIcon(m_commentsDlg);
    m_commentsDlg.ShowWindow(SW_SHOW);
  }
  return 0;
}

// A second start of the program: it opens the window and never closes it, unlike Open, which
// toggles; someone who starts the client again wants to see it. The second start has let this
// process take the foreground, so the window comes up in front, ready for typing.
LRESULT CMainFrame::OnOpenCommentsRequest(UINT, WPARAM, LPARAM, BOOL&) {
  if (!m_commentsDlg.IsWindowVisible()) {
    PositionNearTrayIcon(m_commentsDlg);
    m_commentsDlg.ShowWindow(SW_SHOW);
  }
  ::SetForegroundWindow(m_commentsDlg);
  return 0;
}

bool CMainFrame::PositionNearTrayIcon(HWND window) {
  return ::PositionNearTrayIcon(window, m_nid.hWnd, m_nid.uID, m_placement);
}

LRESULT CMainFrame::OnRestart(WORD, WORD, HWND, BOOL&) {
  // Events raised before the command take effect before it, all of them, however many: one left
  // for the next wake-up would act on the restarted service (a recording start would bring the
  // recording look back after the idle look below).
  DrainServiceEvents(m_events.Mark());
  // Connection, recording and upload events raised from here until the service has started
  // again are dropped: those already queued now, and the rest when raised.
  m_bIgnoreServiceEvents = true;
  DrainServiceEvents(m_events.Mark());
  m_service.Stop();
  m_service.Start();
  m_bIgnoreServiceEvents = false;
  m_bRecording = false;
  m_commentsDlg.OnRecordingStopped();
  return 0;
}

LRESULT CMainFrame::OnToggleAutoRecord(WORD, WORD, HWND, BOOL&) {
  if (m_service.IsAutoRecordRunning()) {
    m_service.StopAutoRecord();
  } else {
    m_service.StartAutoRecord();
  }
  return 0;
}

void CMainFrame::PrepareMenu(HMENU popup) {
  if (m_service.IsAutoRecordRunning()) {
    ::CheckMenuItem(popup, ID_AUTORECORD_TOGGLE, MF_BYCOMMAND | MF_CHECKED);
  }
}

LRESULT CMainFrame::OnShowVersion(WORD, WORD, HWND, BOOL&) {
  const std::string text =
      "Version: " + m_service.GetVersion() + "\n" + tray::kRightsLine;
  ShowBalloon(text.c_str(), tray::kProductName);
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

LRESULT CMainFrame::OnExit(WORD, WORD, HWND, BOOL&) {
  PostMessage(WM_CLOSE, 0, 0);
  return 0;
}

void CMainFrame::OnOpenTextFile() {
  const std::string commandLine = tray::NotepadCommandLine(m_service.GetTextFilePath());
  // CreateProcessA may write into the command line it is given.
  std::vector<char> writable(commandLine.begin(), commandLine.end());
  writable.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof(STARTUPINFOA);
  PROCESS_INFORMATION process{};
  if (!m_process.createProcess(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process)) {
    const std::string line = tray::LaunchFailureLine(commandLine);
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    return;
  }
  // Notepad runs on its own; the client keeps no handle to it.
  m_process.closeHandle(process.hThread);
  m_process.closeHandle(process.hProcess);
}
