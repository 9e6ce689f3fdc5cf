#pragma once
// The program's one top-level window. It is never shown: it owns the service adapter, receives
// the service's events, window messages and commands, and ends the message loop on close.
#include <windows.h>

#include <atomic>

#include "app/MessageLoop.h"
#include "framework/FrameWindowImpl.h"
#include "framework/UpdateUI.h"
#include "res/resource.h"
#include "service/ServiceControl.h"

class CMainFrame : public CFrameWindowImpl<CMainFrame>,
                   public CUpdateUI<CMainFrame>,
                   public CMessageFilter,
                   public CIdleHandler {
 public:
  static constexpr UINT kCommonResourceId = IDR_TRAYMENU;

  CMainFrame() = default;

  // False when the recorder service library handed out no service object.
  bool HasService() const { return m_service.HasService(); }

  // The frame registers neither hook with the loop, so these are never called.
  BOOL FilterMessage(MSG* msg) override;
  BOOL OnIdle() override { return FALSE; }

  BEGIN_MSG_MAP(CMainFrame)
    MESSAGE_HANDLER(WM_CLOSE, OnClose)
    CHAIN_MSG_MAP(CUpdateUI<CMainFrame>)
    CHAIN_MSG_MAP(CFrameWindowImpl<CMainFrame>)
  END_MSG_MAP()

  LRESULT OnClose(UINT, WPARAM, LPARAM, BOOL& bHandled);

 private:
  vesk::ServiceControl m_service;
  // Set for good by close: late connection, recording and upload events are dropped.
  std::atomic<bool> m_bIgnoreServiceEvents{false};
};
