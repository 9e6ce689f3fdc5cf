#pragma once
#include <windows.h>

// Exit code when the recorder service library hands out no service object (0 and 1 are the
// loop's codes: frame creation failed, normal close).
constexpr int kExitNoService = 2;

// Creates the message loop and the hidden tray frame and runs the loop. The command line is not
// interpreted and the frame is shown with `showCommand`, which start-up always makes SW_HIDE.
int Run(LPSTR commandLine, int showCommand);
