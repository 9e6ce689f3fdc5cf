#pragma once
// CMainFrame: the program's one top-level window. It is never shown; it owns the tray icon, the
// comments window and the service adapter, turns the service's events into the status flags,
// the tray icon, its tooltip and balloons and calls on the comments window, and handles every
// command.
//
// Threads. The service raises its events on threads of its own. The frame's handlers that the
// adapter calls there only record the event in an ordered queue and post one wake-up message;
// every effect (flags, tray icon, comments window, close) happens on the user-interface thread,
// in the order the service raised the events. No handler ever waits for the user-interface
// thread, so a service whose Stop waits for its running callbacks cannot deadlock the client.
#include <windows.h>

#include <atomic>
#include <cstddef>
#include <string>

#include "app/MessageLoop.h"
#include "comments/MainDlg.h"
#include "framework/FrameWindowImpl.h"
#include "framework/UpdateUI.h"
#include "res/resource.h"
#include "service/ServiceControl.h"
#include "tray/FrameEdges.h"
#include "tray/ServiceEventQueue.h"
#include "tray/StatusPresentation.h"
#include "tray/TrayIconImpl.h"
#include "tray/TrayUpdateBatch.h"

class CAboutDlg;

// Upload progress for the comments window, wParam the percent 0 to 100.
constexpr UINT WM_UPLOAD_PROGRESS = WM_APP + 4;
// The wake-up of the service-event queue: at most one is on its way at a time.
constexpr UINT WM_SERVICE_EVENTS = WM_APP + 5;
// Registered under this name: a second start of the program in the session asks the running
// client's frame to open the comments window (app/SessionInstance.h).
constexpr char kOpenCommentsMessageName[] = "Sivrel.OpenComments";

class CMainFrame : public CFrameWindowImpl<CMainFrame>,
                   public CUpdateUI<CMainFrame>,
                   public CTrayIconImpl<CMainFrame>,
                   public CMessageFilter,
                   public CIdleHandler {
 public:
  static constexpr UINT kCommonResourceId = IDR_TRAYMENU;
  static constexpr UINT_PTR TIMER_INSTALL_RETRY = 12;
  static constexpr UINT kInstallRetryMs = 1000;
  // Stands in for a wake-up (or a close) that could not be posted; fires once.
  static constexpr UINT_PTR TIMER_SERVICE_EVENTS = 13;
  static constexpr UINT kWakeUpRetryMs = 10;

  // The program's frame: the service from Korvex.dll, the real notification area.
  CMainFrame();
  explicit CMainFrame(const FrameEdges& edges);
  ~CMainFrame() override;

  // False when the recorder service library handed out no service object.
  bool HasService() const { return m_service.HasService(); }

  // The frame registers neither hook with the loop, so these are never called.
  BOOL FilterMessage(MSG* msg) override;
  BOOL OnIdle() override { return FALSE; }

  // Before the tray menu shows: the auto-record toggle's mark (menu 201 has no such entry).
  void PrepareMenu(HMENU popup) override;

  // Moves `window` beside the frame's tray icon, topmost, and shows it; false when the icon's
  // place or the window's size is unknown.
  bool PositionNearTrayIcon(HWND window);

  // The status icon and text of the current flags.
  UINT StatusIconId() const;
  const char* StatusText() const;

  // For tests: what the frame knows, read on the user-interface thread.
  tray::StatusFlags Status() const;
  CMainDlg& CommentsDialog() { return m_commentsDlg; }
  std::size_t PendingServiceEvents() const { return m_events.Backlog(); }
  // Events that took effect, by kind (tests and the benchmark).
  std::size_t AppliedServiceEvents(tray::ServiceEventKind kind) const {
    return m_appliedEvents[static_cast<std::size_t>(kind)];
  }
  std::size_t ReplacedTrayUpdates() const { return m_trayBatch.Replaced(); }

  BEGIN_MSG_MAP(CMainFrame)
    MESSAGE_HANDLER(WM_CREATE, OnCreate)
    MESSAGE_HANDLER(WM_CLOSE, OnClose)
    MESSAGE_HANDLER(WM_TIMER, OnTimer)
    COMMAND_ID_HANDLER(ID_COMMENTS_HIDE, OnHideComments)
    COMMAND_ID_HANDLER(ID_RECORDING_START, OnRecordingStart)
    COMMAND_ID_HANDLER(ID_COMMENT_SUBMIT, OnCommentSubmit)
    COMMAND_ID_HANDLER(ID_RECORDING_STOP, OnRecordingStop)
    COMMAND_ID_HANDLER(ID_RECORDING_PAUSE, OnPauseResume)
    COMMAND_ID_HANDLER(ID_RECORDING_RESUME, OnPauseResume)
    COMMAND_ID_HANDLER(ID_TRAY_OPEN, OnOpenComments)
    COMMAND_ID_HANDLER(ID_TRAY_RESTART, OnRestart)
    COMMAND_ID_HANDLER(ID_AUTORECORD_TOGGLE, OnToggleAutoRecord)
    COMMAND_ID_HANDLER(ID_TRAY_VERSION, OnShowVersion)
    COMMAND_ID_HANDLER(ID_ABOUT_DIALOG, OnAboutDialog)
    COMMAND_ID_HANDLER(ID_TRAY_EXIT, OnExit)
    MESSAGE_HANDLER(WM_UPLOAD_PROGRESS, OnUploadProgressMessage)
    MESSAGE_HANDLER(WM_SERVICE_EVENTS, OnServiceEvents)
    MESSAGE_HANDLER(WM_ENDSESSION, OnEndSession)
    if (m_uTaskbarCreated != 0) MESSAGE_HANDLER(m_uTaskbarCreated, OnTaskbarCreated)
    if (m_uOpenCommentsRequest != 0) MESSAGE_HANDLER(m_uOpenCommentsRequest, OnOpenCommentsRequest)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    CHAIN_MSG_MAP(CUpdateUI<CMainFrame>)
    CHAIN_MSG_MAP(CFrameWindowImpl<CMainFrame>)
    // The tray mix-in's callback, last.
    if (m_uTrayMessage != 0) MESSAGE_HANDLER(m_uTrayMessage, OnTrayCallback)
  END_MSG_MAP()

  LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL& bHandled);
  LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL& bHandled);
  LRESULT OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& bHandled);
  LRESULT OnUploadProgressMessage(UINT, WPARAM wParam, LPARAM, BOOL& bHandled);
  LRESULT OnServiceEvents(UINT, WPARAM, LPARAM, BOOL& bHandled);
  LRESULT OnEndSession(UINT, WPARAM wParam, LPARAM, BOOL& bHandled);
  LRESULT OnTaskbarCreated(UINT, WPARAM, LPARAM, BOOL& bHandled);
  LRESULT OnOpenCommentsRequest(UINT, WPARAM, LPARAM, BOOL& bHandled);
  LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled);
  LRESULT OnTrayCallback(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

  LRESULT OnHideComments(WORD, WORD, HWND, BOOL& bHandled);
  LRESULT OnRecordingStart(WORD, WORD, HWND, BOOL& bHandled);
  LRESULT OnCommentSubmit(WORD, WORD, HWND, BOOL& bHandled);
  LRESULT OnRecordingStop(WORD, WORD, HWND, BOOL& bHandled);
  LRESULT OnPauseResume(WORD, WORD wID, HWND, BOOL& bHandled);
  LRESULT OnOpenComments(WORD, WORD, HWND, BOOL& bHandled);
  LRESULT OnRestart(WORD, WORD, HWND, BOOL& bHandled);
  LRESULT OnToggleAutoRecord(WORD, WORD, HWND, BOOL& bHandled);
  LRESULT OnShowVersion(WORD, WORD, HWND, BOOL& bHandled);
  LRESULT OnAboutDialog(WORD, WORD, HWND, BOOL& bHandled);
  LRESULT OnExit(WORD, WORD, HWND, BOOL& bHandled);

  // Ctrl+O in the comments window: the service's text file in Notepad.
  void OnOpenTextFile();

 private:
  // The adapter's handlers, run on the service's threads: they only record the event.
  void OnRecordingState(const vesk::model::media::RecordingState& state);
  void OnServiceUploadProgress(unsigned char percent);
  void OnConnectionState(const vesk::model::connection::State& state);
  void OnShutdownRequest();
  void OnMonitored(bool monitored);
  void OnProfile(const vesk::ScreenRecorderProfile& profile);
  void OnApplicationUpdated();
  void OnNotification(const std::string& text);
  void RaiseServiceEvent(tray::ServiceEvent event);
  void PostWakeUp();

  // Their effects, on the user-interface thread, in the order raised. A drain gives the loop a
  // turn once its time slice is over, except while events raised before `through` (a mark of
  // the queue) are still to be applied: those all take effect before it returns.
  void DrainServiceEvents(std::uint64_t through = 0);
  LONGLONG NowMicroseconds() const;
  void ApplyServiceEvent(const tray::ServiceEvent& event);
  void ApplyConnectionState(std::uint32_t state);
  void ApplyRecordingState(std::uint32_t kind);
  void ApplyMonitored(bool monitored);
  void ApplyProfile(const vesk::ScreenRecorderProfile& profile);
  void ShowUpdateBalloon();

  HICON NotConnectedIcon() const;
  void RefreshIconAndTip();
  // Icon-and-tooltip and balloons of service events: held for the end of the pass while one
  // runs, told to the shell at once otherwise.
  void ShowStatus(UINT iconId, const char* tooltip);
  void ShowNotice(const char* text, const char* title);
  void FlushTrayUpdates();
  // A nested message loop (the About dialog, the tray menu) may have taken the quit request
  // that the close posted; the outer loop must still see it.
  void EndIfClosedInsideNestedLoop();

  ProcessApi m_process;
  TrayPlacementApi m_placement;
  ServiceEventsApi m_eventsApi;

  // The ignore flag and the queue come before the adapter: the service may run callbacks until
  // the adapter's Release returns, and those still reach both.
  std::atomic<bool> m_bIgnoreServiceEvents{false};
  tray::ServiceEventQueue m_events{m_bIgnoreServiceEvents};
  // Where wake-ups go: the frame window, saved at creation, null once it is destroyed.
  std::atomic<HWND> m_eventWindow{nullptr};

  CMainDlg m_commentsDlg;
  vesk::ServiceControl m_service;

  // The five status flags, read and written on the user-interface thread only.
  bool m_bConnected = false;
  bool m_bAuthorized = false;
  bool m_bRecording = false;
  bool m_bMonitored = false;

  LONGLONG m_counterFrequency = 1;  // for the drain's time slice
  tray::TrayUpdateBatch m_trayBatch;
  std::size_t m_appliedEvents[tray::kServiceEventKinds] = {};
  UINT m_uTaskbarCreated = 0;
  UINT m_uOpenCommentsRequest = 0;
  bool m_bClosed = false;            // WM_CLOSE has run: the program is ending
  bool m_bCloseOwed = false;         // a shutdown request whose close could not be posted
  CAboutDlg* m_pAboutDlg = nullptr;  // while the About dialog's modal loop runs
};
