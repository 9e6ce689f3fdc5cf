#pragma once
// The UI-update mix-in. The client's windows have no update entries, so it changes nothing and
// handles no message; it stays so that the frame's map chains to it in its place.
#include "framework/MessageMap.h"

template <class T>
class CUpdateUI {
 public:
  BEGIN_MSG_MAP(CUpdateUI)
  END_MSG_MAP()
};
