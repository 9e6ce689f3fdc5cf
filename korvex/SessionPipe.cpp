#include "korvex/SessionPipe.h"

#include <windows.h>

namespace korvex {

bool ControlPipePath(const char* override, std::string* path, std::string* error) {
  DWORD session = 0;
  if (!ProcessIdToSessionId(GetCurrentProcessId(), &session)) {
    *error = "ProcessIdToSessionId failed (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  return ControlPipePath(override, session, path, error);
}

}  // namespace korvex
