#pragma once
// CMainFrame: the program's one top-level window. It is never shown; it owns the tray icon, the
// comments window, the service adapter and the client model. Every input (a service event, a
// command, a timer) goes to the model, and the frame renders what the model answers: the tray
// icon and balloons, the comments window, calls on the service, the close.
//
// Threads: the service raises its events on threads of its own; the event pump queues them and
// applies them here, on the user-interface thread, in the order raised (tray/ServiceEventPump.h).
#include <windows.h>

#include "client/ClientModel.h"
#include "comments/MainDlg.h"
#include "framework/FrameWindowImpl.h"
#include "framework/WindowIcons.h"
#include "res/resource.h"
#include "service/ServiceControl.h"
#include "tray/FrameEdges.h"
#include "tray/ServiceEventPump.h"
#include "tray/TrayIconImpl.h"
#include "tray/TrayUpdateBatch.h"

class CAboutDlg;

// Upload progress for the comments window, wParam the percent 0 to 100.
constexpr UINT WM_UPLOAD_PROGRESS = WM_APP + 4;
// Registered under this name: a second start of the program in the session asks the running
// client's frame to open the comments window (app/SessionInstance.h).
constexpr char kOpenCommentsMessageName[] = "Sivrel.OpenComments";

class CMainFrame : public CFrameWindowImpl<CMainFrame>,
                   public CTrayIconImpl<CMainFrame>,
                   private ServiceEventTarget {
 public:
  static constexpr UINT kCommonResourceId = IDR_TRAYMENU;
  static constexpr UINT_PTR TIMER_INSTALL_RETRY = 12;
  static constexpr UINT kInstallRetryMs = 1000;
  // The comments window's timers run on the frame, which owns what they change.
  static constexpr UINT_PTR TIMER_SUBMIT_MARK = 2;
  static constexpr UINT_PTR TIMER_UPLOADED_PICTURE = 3;

  // The program's frame: the service from Korvex.dll, the real notification area.
  CMainFrame();
  explicit CMainFrame(const FrameEdges& edges);
  ~CMainFrame() override;

  // False when the recorder service library handed out no service object.
  bool HasService() const { return m_service.HasService(); }

  // The comments window (hidden until opened).
  HWND CommentsWindow() const { return m_commentsDlg.m_hWnd; }

  // Before the tray menu shows: the auto-record toggle's mark (menu 201 has no such entry).
  void PrepareMenu(HMENU popup) override;

  BEGIN_MSG_MAP(CMainFrame)
    MESSAGE_HANDLER(WM_CREATE, OnCreate)
    MESSAGE_HANDLER(WM_CLOSE, OnClose)
    MESSAGE_HANDLER(WM_TIMER, OnTimer)
    COMMAND_ID_HANDLER(ID_ABOUT_DIALOG, OnAboutDialog)
    COMMAND_ID_HANDLER(ID_TRAY_VERSION, OnShowVersion)
    MESSAGE_HANDLER(WM_COMMAND, OnCommand)
    MESSAGE_HANDLER(WM_UPLOAD_PROGRESS, OnUploadProgressMessage)
    MESSAGE_HANDLER(WM_SERVICE_EVENTS, OnServiceEvents)
    MESSAGE_HANDLER(WM_QUERYENDSESSION, OnQueryEndSession)
    MESSAGE_HANDLER(WM_ENDSESSION, OnEndSession)
    if (m_uTaskbarCreated != 0) MESSAGE_HANDLER(m_uTaskbarCreated, OnTaskbarCreated)
    if (m_uOpenCommentsRequest != 0) MESSAGE_HANDLER(m_uOpenCommentsRequest, OnOpenCommentsRequest)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    CHAIN_MSG_MAP(CFrameWindowImpl<CMainFrame>)
    // The tray mix-in's callback, last.
    if (m_uTrayMessage != 0) MESSAGE_HANDLER(m_uTrayMessage, OnTrayCallback)
  END_MSG_MAP()

 private:
  LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL& bHandled);
  LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL& bHandled);
  LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled);
  LRESULT OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& bHandled);
  LRESULT OnCommand(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  LRESULT OnAboutDialog(WORD, WORD, HWND, BOOL& bHandled);
  LRESULT OnShowVersion(WORD, WORD, HWND, BOOL& bHandled);
  LRESULT OnUploadProgressMessage(UINT, WPARAM wParam, LPARAM, BOOL& bHandled);
  LRESULT OnServiceEvents(UINT, WPARAM, LPARAM, BOOL& bHandled);
  LRESULT OnQueryEndSession(UINT, WPARAM, LPARAM, BOOL& bHandled);
  LRESULT OnEndSession(UINT, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  LRESULT OnTaskbarCreated(UINT, WPARAM, LPARAM, BOOL& bHandled);
  LRESULT OnOpenCommentsRequest(UINT, WPARAM, LPARAM, BOOL& bHandled);
  LRESULT OnTrayCallback(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

  // The event pump's target.
  void BeginPass() override { m_trayBatch.Begin(); }
  void ApplyServiceEvent(const vesk::ServiceEvent& event) override;
  void EndPass() override;

  // What the model answered, in the order Effects declares.
  void Render(const client::Effects& effects);
  void RenderTrayIcon(const client::Effects& effects);
  void RenderWindowChange(client::WindowChange change);
  void RenderServiceCall(client::ServiceCall call, const std::string& comment);

  // Icon-and-tooltip and balloons: held for the end of a drain pass while one runs, told to the
  // shell at once otherwise.
  void ShowStatus(UINT iconId, const char* tooltip);
  void ShowNotice(const char* text, const char* title);
  void FlushTrayUpdates();
  // A nested message loop (the About dialog, the tray menu) may have taken the quit request
  // that the close posted; the outer loop must still see it.
  void EndIfClosedInsideNestedLoop();

  FrameEdges m_edges;
  WindowIcons m_icons;
  client::ClientModel m_model;
  // The pump comes before the adapter: the service may raise events until the adapter's Release
  // returns, and those still reach the pump.
  ServiceEventPump m_pump;
  CMainDlg m_commentsDlg;
  vesk::ServiceControl m_service;

  tray::TrayUpdateBatch m_trayBatch;
  UINT m_uTaskbarCreated = 0;
  UINT m_uOpenCommentsRequest = 0;
  bool m_bClosed = false;            // WM_CLOSE has run: the program is ending
  CAboutDlg* m_pAboutDlg = nullptr;  // while the About dialog's modal loop runs
};
