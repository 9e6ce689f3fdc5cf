#include "tray/TextFileLaunch.h"

namespace tray {

std::string NotepadCommandLine(const std::string& path) { return "notepad.exe " + path; }

std::string LaunchFailureLine(const std::string& commandLine) {
  return "CreateProcess() failed to start program \"" + commandLine + "\"\n";
}

}  // namespace tray
