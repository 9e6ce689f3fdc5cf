// The recorder service library, loaded when the adapter asks for its service. It is loaded at
// run time, not imported at load time, so that a start which ends early (a second client in the
// session) never loads the library and never runs its start-up code, and so that a missing
// library is reported by the client itself instead of by the system loader.
#include <windows.h>

#include <string>

#include "service/GetService.h"
#include "service/ServiceEdge.h"

namespace vesk {

namespace {

const wchar_t kServiceLibrary[] = L"Korvex.dll";

// Not declared at the Windows 7 API level; the values are those of the documentation.
constexpr DWORD kSearchDllLoadDir = 0x00000100;   // LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR
constexpr DWORD kSearchDefaultDirs = 0x00001000;  // LOAD_LIBRARY_SEARCH_DEFAULT_DIRS

// The folder of the program's own executable with its trailing backslash, or empty. Wide: the
// zip may be unpacked into a folder whose name the ANSI code page cannot spell, where the narrow
// name would hold question marks and name no file.
std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0) return L"";
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    if (path.size() >= 32768) return L"";  // longer than any path can be
    path.resize(path.size() * 2);  // cut short: try a larger buffer
  }
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"" : path.substr(0, slash + 1);
}

// How the library's own imports are looked for beside it. Where the system knows the search
// flags (Windows 8, or 7 with KB2533623: AddDllDirectory is their documented sign) they keep the
// default directories the program set at start-up; without them the altered search path does.
DWORD LoadFlags() {
  const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
  const bool searchFlags = kernel && ::GetProcAddress(kernel, "AddDllDirectory") != nullptr;
  return searchFlags ? kSearchDllLoadDir | kSearchDefaultDirs : LOAD_WITH_ALTERED_SEARCH_PATH;
}

}  // namespace

IServiceControl* RealGetService(void*) {
  // From the program's folder by full path: never from the current directory or the PATH,
  // where another file of that name could be waiting.
  const std::wstring folder = ProgramFolder();
  if (folder.empty()) return nullptr;
  HMODULE library = ::LoadLibraryExW((folder + kServiceLibrary).c_str(), nullptr, LoadFlags());
  if (!library) return nullptr;
  // The library is never freed: the service object, its threads and the callables it keeps
  // live in it until the process ends.
  const FARPROC entry = ::GetProcAddress(library, kGetServiceExport);
  if (!entry) return nullptr;
  const auto getService = reinterpret_cast<GetServiceFunction>(reinterpret_cast<void*>(entry));
  return getService();
}

}  // namespace vesk
