#pragma once
#include <windows.h>

class SessionInstance;

// Exit code when the recorder service library cannot be loaded or hands out no service object
// (0 and 1 are the loop's codes: frame creation failed, normal close).
constexpr int kExitNoService = 2;
// Exit code of a start while another client runs in the same session.
constexpr int kExitAlreadyRunning = 3;

// Creates the message loop and the hidden tray frame and runs the loop. The command line is not
// interpreted and the frame is shown with `showCommand`, which start-up always makes SW_HIDE.
int Run(LPSTR commandLine, int showCommand);

// A start while another client runs in the session: asks that client's frame to open its
// comments window (nothing is asked while it has no frame yet) and answers kExitAlreadyRunning.
int HandOverToRunningClient(const SessionInstance& session);
