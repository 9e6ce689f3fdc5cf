#include "PendingRestart.h"

#include <vector>

namespace pending_restart {

namespace {

// Directly under SOFTWARE, so that no non-volatile parent key is created for it (a volatile key
// cannot have a non-volatile child, and the parent would stay behind).
const char kKey[] = "SOFTWARE\\Sivrel.PendingRestart";
const char kValue[] = "Sessions";
// Always the 64-bit view, whatever the bitness of the custom action's host.
constexpr REGSAM kView = KEY_WOW64_64KEY;

std::set<DWORD> Read(HKEY key) {
  std::set<DWORD> sessions;
  DWORD size = 0;
  if (::RegQueryValueExA(key, kValue, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) return sessions;
  std::vector<DWORD> ids(size / sizeof(DWORD) + 1);
  size = static_cast<DWORD>(ids.size() * sizeof(DWORD));
  DWORD type = 0;
  if (::RegQueryValueExA(key, kValue, nullptr, &type, reinterpret_cast<BYTE*>(ids.data()), &size) ==
          ERROR_SUCCESS &&
      type == REG_BINARY) {
    sessions.insert(ids.begin(), ids.begin() + size / sizeof(DWORD));
  }
  return sessions;
}

}  // namespace

bool Add(const std::set<DWORD>& sessions) {
  if (sessions.empty()) return true;
  HKEY key = nullptr;
  if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, REG_OPTION_VOLATILE,
                        KEY_QUERY_VALUE | KEY_SET_VALUE | kView, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  std::set<DWORD> all = Read(key);
  all.insert(sessions.begin(), sessions.end());
  const std::vector<DWORD> ids(all.begin(), all.end());
  const bool ok = ::RegSetValueExA(key, kValue, 0, REG_BINARY, reinterpret_cast<const BYTE*>(ids.data()),
                                   static_cast<DWORD>(ids.size() * sizeof(DWORD))) == ERROR_SUCCESS;
  ::RegCloseKey(key);
  return ok;
}

std::set<DWORD> Take() {
  std::set<DWORD> sessions;
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_QUERY_VALUE | kView, &key) != ERROR_SUCCESS) {
    return sessions;
  }
  sessions = Read(key);
  ::RegCloseKey(key);
  ::RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kKey, kView, 0);
  return sessions;
}

}  // namespace pending_restart
