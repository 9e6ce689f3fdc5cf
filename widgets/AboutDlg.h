#pragma once
// The modal About box (template IDD_ABOUTBOX): application icon, product name and version, OK.
// Opened by the tray frame for ID_ABOUT_DIALOG, which no menu item sends.
#include <windows.h>

#include "framework/DialogImpl.h"
#include "framework/MessageMap.h"
#include "res/resource.h"

class CAboutDlg : public CDialogImpl<CAboutDlg> {
 public:
  enum { IDD = IDD_ABOUTBOX };

  BEGIN_MSG_MAP(CAboutDlg)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    COMMAND_ID_HANDLER(IDOK, OnCloseCmd)
    COMMAND_ID_HANDLER(IDCANCEL, OnCloseCmd)
  END_MSG_MAP()

 private:
  LRESULT OnInitDialog(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  // OK ends the dialog with 1, Esc and the caption's close button (both IDCANCEL) with 2.
  LRESULT OnCloseCmd(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
};
