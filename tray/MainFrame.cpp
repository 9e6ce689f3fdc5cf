#include "tray/MainFrame.h"

BOOL CMainFrame::FilterMessage(MSG* msg) {
  // The frame's accelerators; resource 201 has none.
  return m_hAccel && ::TranslateAcceleratorA(m_hWnd, m_hAccel, msg);
}

LRESULT CMainFrame::OnClose(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  m_bIgnoreServiceEvents = true;
  m_service.Stop();
  ::PostQuitMessage(0);
  // Default processing destroys the window; the frame base then posts the quit request with
  // exit code 1, which replaces this one before the loop sees either.
  bHandled = FALSE;
  return 0;
}
