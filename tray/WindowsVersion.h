#pragma once
// Which icon set the tray shows: the flat one from Windows 8 on, the glossy one before.

// Asked afresh at every call. Windows 10 and 11 count as Windows 8 or later (the test is
// "at least 6.2 with service pack 0", with the version numbers compared as one).
bool IsWindows8OrLater();
