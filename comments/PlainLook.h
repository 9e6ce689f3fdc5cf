#pragma once
// The comments window without a bitmap set for its DPI: the template's bitmap buttons would
// have no face and draw blank, indistinguishable from each other, and the title would be empty.
// The buttons become text buttons wide enough for their words and the title a line of text.
#include <windows.h>

struct PlainLookControls {
  HWND startSubmit, close, stop, pauseResume, whatIsThis, title;
};

void UsePlainLook(HWND dialog, const PlainLookControls& controls);
