#pragma once
// Ctrl+O: the text file the service names, opened in Notepad. Platform-free texts.
#include <string>

namespace tray {

// "notepad.exe " and the path as the service gave it, unquoted (an empty path leaves
// "notepad.exe " alone, which opens an empty Notepad).
std::string NotepadCommandLine(const std::string& path);

// The one diagnostic line of the program, for the standard error stream, with its line break.
std::string LaunchFailureLine(const std::string& commandLine);

}  // namespace tray
