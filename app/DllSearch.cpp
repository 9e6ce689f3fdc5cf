#include "app/DllSearch.h"

#include <windows.h>

namespace {
// Not declared at the Windows 7 API level; the values are those of the documentation.
constexpr DWORD kSearchApplicationDir = 0x00000200;  // LOAD_LIBRARY_SEARCH_APPLICATION_DIR
constexpr DWORD kSearchSystem32 = 0x00000800;        // LOAD_LIBRARY_SEARCH_SYSTEM32
}  // namespace

void RestrictDllSearch() {
  // Windows 8 and later, and Windows 7 with KB2533623: found at run time, so that a Windows 7
  // without the update still starts (with the system's default search order).
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  if (!kernel) return;
  const auto set = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
      reinterpret_cast<void*>(::GetProcAddress(kernel, "SetDefaultDllDirectories")));
  if (set) set(kSearchApplicationDir | kSearchSystem32);
}
