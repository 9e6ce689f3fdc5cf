#pragma once
// The data-exchange mix-in; the client's dialogs have no exchange entries.
#include <windows.h>

template <class T>
class CWinDataExchange {
 public:
  BOOL DoDataExchange(BOOL /*saveAndValidate*/ = FALSE, UINT /*id*/ = static_cast<UINT>(-1)) {
    return TRUE;
  }
};
