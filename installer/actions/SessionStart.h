#pragma once
// Starting the client in users' sessions from the custom action, which runs as LocalSystem in
// session 0: the user's token from Remote Desktop Services, the user's own environment, the
// session's interactive desktop.
#include <windows.h>

#include <set>
#include <string>

// The sessions a user is signed in to, connected or not. When the sessions cannot be listed (the
// Remote Desktop Services service is disabled, or the list is empty), the console session, where
// the user of a desktop machine sits.
std::set<DWORD> SignedInSessions();

// Starts `exePath` (no arguments, its folder as the working folder) as the user of `session`, on
// that session's default desktop. Run as a user rather than as LocalSystem (no token to be had
// without the TCB privilege), it starts the program in its own session only, as itself. False with
// a reason in `error` when nothing was started.
bool StartInSession(const std::string& exePath, DWORD session, std::string* error);
