#pragma once
// CMainDlg, the comments window: a modeless, bitmap-skinned popup in which the user comments on
// the running recording, starts, stops, pauses and resumes recordings (as the service profile
// allows) and watches the upload of a finished video.
//
// The window never calls the service. Every user action is posted to its parent, the tray frame,
// as WM_COMMAND with the command id in wParam and the clicked control's id in lParam; the frame
// calls the operations below when the service reports a change. Every operation runs on the
// thread that owns the window (asserted in debug builds); the frame moves service-thread events
// onto that thread before calling them.
#include <windows.h>

#include <atomic>
#include <functional>
#include <initializer_list>
#include <string>

#include "app/MessageLoop.h"
#include "comments/SkinDialogImpl.h"
#include "framework/DialogImpl.h"
#include "framework/HandleTraits.h"
#include "framework/UpdateUI.h"
#include "framework/WinDataExchange.h"
#include "framework/Window.h"
#include "res/resource.h"
#include "service/ServiceModel.h"
#include "widgets/PictureExWnd.h"

namespace comments {
struct BitmapSet;
}

class CMainDlg : public CDialogImpl<CMainDlg>,
                 public CUpdateUI<CMainDlg>,
                 public CMessageFilter,
                 public CIdleHandler,
                 public CSkinDialogImpl<CMainDlg>,
                 public CWinDataExchange<CMainDlg> {
 public:
  enum { IDD = IDD_MAINDLG };

  // Timers of the window; each handler kills its own, so each fires once per arming.
  static constexpr UINT_PTR kSubmitTimer = 2;   // the check mark's three seconds
  static constexpr UINT_PTR kUploadedTimer = 3; // the "Video uploaded!" picture's three seconds
  static constexpr UINT kTimerPeriodMs = 3000;

  CMainDlg();
  ~CMainDlg() override;

  // Create(parent) comes from CDialogImpl: template 129, hidden.

  // The recording look: recording title, Submit face, comment box as ready and profile allow.
  void OnRecordingStarted();
  void OnRecordingPaused();
  void OnRecordingResumed();
  // The idle look; text typed but not submitted is discarded.
  void OnRecordingStopped();
  // Upload display: below 100 the uploading picture with the busy animation, exactly 100 the
  // uploaded picture for three seconds.
  void OnUploadProgress(int percent);
  // Shows or hides the recording controls after the frame wrote a new m_profile.
  void UpdateProfileControls();
  // Hands the box's text over and puts the hint back; false when the text was the hint.
  bool TakeComment(std::string& text);

  // Ctrl+O runs m_onCtrlO; then the dialog's keyboard handling.
  BOOL FilterMessage(MSG* msg) override;
  BOOL OnIdle() override;

  BEGIN_MSG_MAP(CMainDlg)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    MESSAGE_HANDLER(WM_WINDOWPOSCHANGED, OnWindowPosChanged)
    COMMAND_ID_HANDLER(IDC_CLOSE, OnCloseClick)
    COMMAND_ID_HANDLER(IDC_START_SUBMIT, OnStartSubmitClick)
    COMMAND_ID_HANDLER(IDC_PAUSE_RESUME, OnPauseResumeClick)
    CHAIN_MSG_MAP(CSkinDialogImpl<CMainDlg>)
    MESSAGE_HANDLER(WM_TIMER, OnTimer)
    COMMAND_HANDLER(IDC_COMMENT, EN_SETFOCUS, OnCommentFocus)
    COMMAND_HANDLER(IDC_COMMENT, EN_KILLFOCUS, OnCommentFocus)
    COMMAND_HANDLER(IDC_STOP, BN_CLICKED, OnStopClick)
    COMMAND_HANDLER(IDC_WHAT_IS_THIS, BN_CLICKED, OnWhatIsThisClick)
  END_MSG_MAP()

  LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL& bHandled);
  LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled);
  LRESULT OnWindowPosChanged(UINT, WPARAM, LPARAM lParam, BOOL& bHandled);
  LRESULT OnTimer(UINT, WPARAM wParam, LPARAM, BOOL& bHandled);
  LRESULT OnCloseClick(WORD, WORD, HWND, BOOL& bHandled);
  LRESULT OnStartSubmitClick(WORD, WORD, HWND, BOOL& bHandled);
  LRESULT OnPauseResumeClick(WORD, WORD, HWND, BOOL& bHandled);
  LRESULT OnCommentFocus(WORD code, WORD, HWND, BOOL& bHandled);
  LRESULT OnStopClick(WORD, WORD, HWND, BOOL& bHandled);
  LRESULT OnWhatIsThisClick(WORD, WORD, HWND, BOOL& bHandled);

  // Written by the frame before Create and on every profile event.
  vesk::ScreenRecorderProfile m_profile;

  BitmapHandle m_bmpTitleIdle;
  BitmapHandle m_bmpTitleRecording;
  BitmapHandle m_bmpTitlePaused;
  BitmapHandle m_bmpStart;
  BitmapHandle m_bmpSubmit;
  BitmapHandle m_bmpSubmitted;
  BitmapHandle m_bmpPause;
  BitmapHandle m_bmpResume;

  CWindow m_btnStartSubmit;  // 1000; the frame shows and hides it with the comment box
  CWindow m_btnClose;        // 1011
  CWindow m_btnStop;         // 1001
  CWindow m_btnPauseResume;  // 1002
  CWindow m_btnWhatIsThis;   // 1021
  CWindow m_stTitle;         // the template's first child, which has no id
  CWindow m_stUploading;     // 1027
  CWindow m_stUploaded;      // 1028

  // The frame reads it; a recording is shown (running or paused).
  std::atomic<bool> m_bRecording{false};
  bool m_bPaused = false;
  CWindow m_editComment;  // 1016
  // The busy animation of the upload display, attached to placeholder 1020. It plays only while
  // it can be seen: the upload display shows it and the window is on screen.
  CPictureExWnd m_busy;

  // Written by the frame: the service is connected and the user authorised.
  std::atomic<bool> m_bServiceReady{false};
  // Set by the frame to its open-text-file action; may be empty.
  std::function<void()> m_onCtrlO;
  bool m_bSubmitPending = false;

  // The shell's open, replaced by tests so that no browser starts.
  HINSTANCE(WINAPI* m_shellExecute)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT) = &::ShellExecuteA;

 private:
  void AssertOnWindowThread() const;
  void PostCommand(UINT command, int controlId) const;
  void SetTitle(HBITMAP bitmap, const char* text) const;
  void SetButtonFace(const CWindow& button, HBITMAP face, const char* text) const;
  std::string CommentText() const;
  void LoadSkinAndFaces(const comments::BitmapSet& set);
  void UsePlainLook();
  void PlayBusyAnimationWhileSeen();
  RECT FitTextButton(const CWindow& button, std::initializer_list<const char*> texts,
                     int rightLimit) const;

  // No bitmap set for this DPI: the buttons and the title show their texts instead of pictures.
  bool m_bPlain = true;
  // The busy animation's resource was loaded (or found not to load) when it was first seen.
  bool m_busyLoadTried = false;
  // Faces handed to controls once, freed with the dialog (after its window).
  BitmapHandle m_faceClose;
  BitmapHandle m_faceStop;
  BitmapHandle m_facePauseFirst;
  BitmapHandle m_faceWhatIsThis;
  BitmapHandle m_pictureUploading;
  BitmapHandle m_pictureUploaded;
};
