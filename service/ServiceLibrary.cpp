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

const char kServiceLibrary[] = "Korvex.dll";

// The folder of the program's own executable with its trailing backslash, or empty.
std::string ProgramFolder() {
  char path[MAX_PATH + 1];
  const DWORD length = ::GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) return "";  // failed or cut short
  const std::string file(path, length);
  const size_t slash = file.find_last_of("\\/");
  return slash == std::string::npos ? "" : file.substr(0, slash + 1);
}

}  // namespace

IServiceControl* RealGetService(void*) {
  // From the program's folder by full path: never from the current directory or the PATH,
  // where another file of that name could be waiting. The altered search path lets the
  // library's own imports be found beside it as well.
  const std::string folder = ProgramFolder();
  if (folder.empty()) return nullptr;
  HMODULE library = ::LoadLibraryExA((folder + kServiceLibrary).c_str(), nullptr,
                                     LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!library) return nullptr;
  // The library is never freed: the service object, its threads and the callables it keeps
  // live in it until the process ends.
  const FARPROC entry = ::GetProcAddress(library, kGetServiceExport);
  if (!entry) return nullptr;
  const auto getService = reinterpret_cast<GetServiceFunction>(reinterpret_cast<void*>(entry));
  return getService();
}

}  // namespace vesk
