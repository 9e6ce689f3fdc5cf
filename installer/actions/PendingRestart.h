#pragma once
// The sessions whose client the package closed and must start again once the new files are in
// place. Closing and starting are two deferred custom actions, which share no memory and cannot
// set properties, so the list is kept in a volatile key of the machine's registry: only
// administrators can write there, and a volatile key is gone after a reboot even when the
// installation dies between the two.
#include <windows.h>

#include <set>

namespace pending_restart {

// Adds `sessions` to those already recorded (the uninstall of the older product, which runs in
// between during an upgrade, records nothing and must not lose what the newer one recorded).
bool Add(const std::set<DWORD>& sessions);
// The recorded sessions; the record is removed.
std::set<DWORD> Take();

}  // namespace pending_restart
