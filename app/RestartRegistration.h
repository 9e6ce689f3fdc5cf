#pragma once
// Registration with Restart Manager, which Windows Installer uses to close programs whose files
// an update replaces (in the installing user's session) and to start them again afterwards.
//
// Only that restart is asked for: not after a crash or a hang (a client that failed keeps its
// crash dump and is started again at the next sign-in), and not after a reboot, when the Run value
// starts the client anyway and a second start would open the comments window of the first.

// Registers this process to be started again, with no arguments, after Restart Manager closed it
// for an update. Does nothing on systems without the function.
void RegisterForRestartAfterUpdate();
