#pragma once
// Ctrl+O's start of Notepad on the service's text file, and its edge to the system: the process
// start and the handles it hands back. Each entry is the real call unless a test replaces it
// (with its recorder as the context): Wine's Notepad would really start, and its start cannot be
// made to fail.
#include <windows.h>

#include <string>

struct ProcessEdge {
  BOOL (*createProcess)(void* context, LPCSTR application, LPSTR commandLine,
                        LPSECURITY_ATTRIBUTES processAttributes,
                        LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                        DWORD creationFlags, LPVOID environment, LPCSTR currentDirectory,
                        LPSTARTUPINFOA startupInfo, LPPROCESS_INFORMATION processInformation);
  BOOL (*closeHandle)(void* context, HANDLE handle);
  void* context = nullptr;
  ProcessEdge();
};

namespace tray {

// Starts Notepad on `path` and keeps no handle to it. A start that fails writes one line to the
// standard error stream and shows nothing.
void OpenInNotepad(const std::string& path, const ProcessEdge& edge);

}  // namespace tray
