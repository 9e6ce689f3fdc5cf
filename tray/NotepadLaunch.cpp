#include "tray/NotepadLaunch.h"

#include <cstdio>
#include <vector>

#include "tray/TextFileLaunch.h"

namespace {

BOOL RealCreateProcess(void*, LPCSTR application, LPSTR commandLine,
                       LPSECURITY_ATTRIBUTES processAttributes,
                       LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                       DWORD creationFlags, LPVOID environment, LPCSTR currentDirectory,
                       LPSTARTUPINFOA startupInfo, LPPROCESS_INFORMATION processInformation) {
  return ::CreateProcessA(application, commandLine, processAttributes, threadAttributes,
                          inheritHandles, creationFlags, environment, currentDirectory,
                          startupInfo, processInformation);
}

BOOL RealCloseHandle(void*, HANDLE handle) { return ::CloseHandle(handle); }

// Notepad by its full path in the system folder: a command line's first word alone is looked for
// in the program's folder and the current folder before the system's, where another
// notepad.exe could be waiting. Empty when the system folder cannot be had.
std::string SystemNotepad() {
  char folder[MAX_PATH];
  const UINT length = ::GetSystemDirectoryA(folder, sizeof folder);
  if (length == 0 || length >= sizeof folder) return std::string();
  return std::string(folder, length) + "\\notepad.exe";
}

}  // namespace

ProcessEdge::ProcessEdge() : createProcess(&RealCreateProcess), closeHandle(&RealCloseHandle) {}

namespace tray {

void OpenInNotepad(const std::string& path, const ProcessEdge& edge) {
  const std::string commandLine = NotepadCommandLine(path);
  // CreateProcessA may write into the command line it is given.
  std::vector<char> writable(commandLine.begin(), commandLine.end());
  writable.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof(STARTUPINFOA);
  PROCESS_INFORMATION process{};
  // The command line keeps its text: it is what Notepad reads its file from.
  const std::string application = SystemNotepad();
  if (application.empty() ||
      !edge.createProcess(edge.context, application.c_str(), writable.data(), nullptr, nullptr,
                          FALSE, 0, nullptr, nullptr, &startup, &process)) {
    const std::string line = LaunchFailureLine(commandLine);
    std::fputs(line.c_str(), stderr);
    std::fflush(stderr);
    return;
  }
  // Notepad runs on its own.
  edge.closeHandle(edge.context, process.hThread);
  edge.closeHandle(edge.context, process.hProcess);
}

}  // namespace tray
