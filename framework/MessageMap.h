#pragma once
// Message maps: each entry tests a message (and for commands the id and notification code) and
// calls a handler. A handler returns the message result and may clear `bHandled` to say "not
// mine", in which case the following entries, then the chained maps, then default processing
// see the message. A map answers TRUE when some entry handled the message.
//
// Handler signatures:
//   LRESULT OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
//   LRESULT OnCommand(WORD wNotifyCode, WORD wID, HWND hWndCtl, BOOL& bHandled);
#include <windows.h>

class CMessageMap {
 public:
  virtual BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,
                                    LRESULT& lResult, DWORD dwMsgMapID = 0) = 0;

 protected:
  ~CMessageMap() = default;
};

#define BEGIN_MSG_MAP(theClass)                                                          \
 public:                                                                                 \
  BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam,          \
                            LRESULT& lResult, DWORD dwMsgMapID = 0) {                    \
    BOOL bHandled = TRUE;                                                                \
    (void)hWnd;                                                                          \
    (void)wParam;                                                                        \
    (void)lParam;                                                                        \
    (void)lResult;                                                                       \
    (void)bHandled;                                                                      \
    if (dwMsgMapID == 0) {

#define MESSAGE_HANDLER(msg, func)                                \
  if (uMsg == (msg)) {                                            \
    bHandled = TRUE;                                              \
    lResult = func(uMsg, wParam, lParam, bHandled);               \
    if (bHandled) return TRUE;                                    \
  }

#define MESSAGE_RANGE_HANDLER(msgFirst, msgLast, func)            \
  if (uMsg >= (msgFirst) && uMsg <= (msgLast)) {                  \
    bHandled = TRUE;                                              \
    lResult = func(uMsg, wParam, lParam, bHandled);               \
    if (bHandled) return TRUE;                                    \
  }

#define COMMAND_HANDLER(id, code, func)                                                  \
  if (uMsg == WM_COMMAND && LOWORD(wParam) == (id) && HIWORD(wParam) == (code)) {        \
    bHandled = TRUE;                                                                     \
    lResult = func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam), bHandled); \
    if (bHandled) return TRUE;                                                           \
  }

#define COMMAND_ID_HANDLER(id, func)                                                     \
  if (uMsg == WM_COMMAND && LOWORD(wParam) == (id)) {                                    \
    bHandled = TRUE;                                                                     \
    lResult = func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam), bHandled); \
    if (bHandled) return TRUE;                                                           \
  }

#define COMMAND_RANGE_HANDLER(idFirst, idLast, func)                                     \
  if (uMsg == WM_COMMAND && LOWORD(wParam) >= (idFirst) && LOWORD(wParam) <= (idLast)) { \
    bHandled = TRUE;                                                                     \
    lResult = func(HIWORD(wParam), LOWORD(wParam), reinterpret_cast<HWND>(lParam), bHandled); \
    if (bHandled) return TRUE;                                                           \
  }

#define CHAIN_MSG_MAP(theChainClass)                                                     \
  if (theChainClass::ProcessWindowMessage(hWnd, uMsg, wParam, lParam, lResult)) return TRUE;

#define END_MSG_MAP() \
  }                   \
  return FALSE;       \
  }
