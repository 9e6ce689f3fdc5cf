#include "comments/MainDlg.h"

CMainDlg::CMainDlg() = default;
CMainDlg::~CMainDlg() = default;

void CMainDlg::OnRecordingStarted() {}
void CMainDlg::OnRecordingPaused() {}
void CMainDlg::OnRecordingResumed() {}
void CMainDlg::OnRecordingStopped() {}
void CMainDlg::OnUploadProgress(int) {}
void CMainDlg::UpdateProfileControls() {}
bool CMainDlg::TakeComment(std::string& text) {
  text.clear();
  return false;
}
BOOL CMainDlg::FilterMessage(MSG* msg) { return ::IsDialogMessageA(m_hWnd, msg); }
BOOL CMainDlg::OnIdle() { return FALSE; }

LRESULT CMainDlg::OnInitDialog(UINT, WPARAM, LPARAM, BOOL&) { return TRUE; }
LRESULT CMainDlg::OnDestroy(UINT, WPARAM, LPARAM, BOOL&) { return 0; }
LRESULT CMainDlg::OnTimer(UINT, WPARAM, LPARAM, BOOL& bHandled) {
  bHandled = FALSE;
  return 0;
}
LRESULT CMainDlg::OnCloseClick(WORD, WORD, HWND, BOOL&) { return 0; }
LRESULT CMainDlg::OnStartSubmitClick(WORD, WORD, HWND, BOOL&) { return 0; }
LRESULT CMainDlg::OnPauseResumeClick(WORD, WORD, HWND, BOOL&) { return 0; }
LRESULT CMainDlg::OnCommentFocus(WORD, WORD, HWND, BOOL&) { return 0; }
LRESULT CMainDlg::OnStopClick(WORD, WORD, HWND, BOOL&) { return 0; }
LRESULT CMainDlg::OnWhatIsThisClick(WORD, WORD, HWND, BOOL&) { return 0; }
