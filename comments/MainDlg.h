#pragma once
// CMainDlg, the comments window: a modeless, bitmap-skinned popup in which the user comments on
// the running recording, starts, stops, pauses and resumes recordings (as the service profile
// allows) and watches the upload of a finished video.
//
// It renders the look it is given (client/CommentsLook.h) and decides nothing about it. It never
// calls the service: every click is posted to its parent, the tray frame, as WM_COMMAND with the
// command id in wParam and the clicked control's id in lParam. Everything runs on the thread that
// owns the window.
#include <windows.h>

#include <functional>
#include <string>

#include "app/MessageLoop.h"
#include "client/CommentsLook.h"
#include "comments/CommentsFaces.h"
#include "comments/SkinDialogImpl.h"
#include "framework/DialogImpl.h"
#include "framework/WindowIcons.h"
#include "framework/Window.h"
#include "res/resource.h"
#include "widgets/PictureExWnd.h"

// The window's edge to the shell: the support page's open. Tests keep a browser from starting.
struct CommentsEdge {
  HINSTANCE (*shellExecute)(void* context, HWND owner, LPCSTR verb, LPCSTR file,
                            LPCSTR parameters, LPCSTR directory, INT show);
  void* context = nullptr;
  CommentsEdge();
};

class CMainDlg : public CDialogImpl<CMainDlg>,
                 public CMessageFilter,
                 public CSkinDialogImpl<CMainDlg> {
 public:
  enum { IDD = IDD_MAINDLG };

  // `onCtrlO` runs when Ctrl+O is pressed in the window; it may be empty.
  explicit CMainDlg(const CommentsEdge& edge = CommentsEdge(),
                    std::function<void()> onCtrlO = nullptr);
  ~CMainDlg() override;

  // Create(parent) comes from CDialogImpl: template 129, hidden.

  // Shows what `look` says: the controls' visibility, the title, the faces, the commands of the
  // two changing buttons. The first call after creation sets everything.
  void Render(const client::CommentsLook& look);
  // Hands the comment box's text over and puts the hint back.
  std::string TakeComment();
  // Puts the hint back; text typed but not submitted is discarded.
  void ResetComment();

  // Ctrl+O, then the dialog's keyboard handling.
  BOOL FilterMessage(MSG* msg) override;

  BEGIN_MSG_MAP(CMainDlg)
    MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    MESSAGE_HANDLER(WM_WINDOWPOSCHANGED, OnWindowPosChanged)
    COMMAND_ID_HANDLER(IDC_CLOSE, OnButtonClick)
    COMMAND_ID_HANDLER(IDC_START_SUBMIT, OnButtonClick)
    COMMAND_ID_HANDLER(IDC_PAUSE_RESUME, OnButtonClick)
    CHAIN_MSG_MAP(CSkinDialogImpl<CMainDlg>)
    COMMAND_HANDLER(IDC_COMMENT, EN_SETFOCUS, OnCommentFocus)
    COMMAND_HANDLER(IDC_COMMENT, EN_KILLFOCUS, OnCommentFocus)
    COMMAND_HANDLER(IDC_STOP, BN_CLICKED, OnButtonClick)
    COMMAND_HANDLER(IDC_WHAT_IS_THIS, BN_CLICKED, OnWhatIsThisClick)
  END_MSG_MAP()

 private:
  LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL& bHandled);
  LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& bHandled);
  LRESULT OnWindowPosChanged(UINT, WPARAM, LPARAM lParam, BOOL& bHandled);
  LRESULT OnButtonClick(WORD, WORD id, HWND, BOOL& bHandled);
  LRESULT OnCommentFocus(WORD code, WORD, HWND, BOOL& bHandled);
  LRESULT OnWhatIsThisClick(WORD, WORD, HWND, BOOL& bHandled);

  void LoadSkin(const comments::BitmapSet& set);
  void SetTitle(client::Title title);
  void SetButtonFace(const CWindow& button, HBITMAP face, const char* text) const;
  std::string CommentText() const;
  void PlayBusyAnimationWhileSeen();

  CommentsEdge m_edge;
  WindowIcons m_icons;
  std::function<void()> m_onCtrlO;

  CWindow m_stTitle;  // the template's first child, which has no id
  CWindow m_btnStartSubmit, m_btnClose, m_btnStop, m_btnPauseResume, m_btnWhatIsThis;
  CWindow m_stUploading, m_stUploaded;
  CWindow m_editComment;
  // The busy animation of the upload display, attached to placeholder 1020. It plays only while
  // it can be seen: the upload display shows it and the window is on screen.
  CPictureExWnd m_busy;

  // No bitmap set for this DPI: the buttons and the title show their texts instead of pictures.
  bool m_bPlain = true;
  CommentsFaces m_faces;
  client::CommentsLook m_look;
  bool m_bRendered = false;
  // The busy animation's resource was loaded (or found not to load) when it was first seen.
  bool m_busyLoadTried = false;
};
