#include "widgets/AboutDlg.h"

LRESULT CAboutDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) {
  // The owner is usually the hidden tray frame; CenterWindow then falls back to the work area of
  // the nearest monitor.
  CenterWindow(GetParent());
  return TRUE;  // the system puts the focus on the default button
}

LRESULT CAboutDlg::OnCloseCmd(WORD, WORD wID, HWND, BOOL&) {
  EndDialog(wID);
  return 0;
}
