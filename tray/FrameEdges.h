#pragma once
// The tray frame's edges to the system and the recorder library, each defaulting to the real
// one: tests replace entries to drive the real frame with a fake service, to record what the
// notification area is told, to see Notepad's launch without starting it, and to refuse a
// wake-up or end every time slice of the event drain.
#include <windows.h>

#include "comments/TrayPlacement.h"
#include "service/ServiceEdge.h"
#include "tray/TrayIconApi.h"

// Ctrl+O's process start.
struct ProcessApi {
  BOOL(WINAPI* createProcess)(LPCSTR application, LPSTR commandLine,
                              LPSECURITY_ATTRIBUTES processAttributes,
                              LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                              DWORD creationFlags, LPVOID environment, LPCSTR currentDirectory,
                              LPSTARTUPINFOA startupInfo,
                              LPPROCESS_INFORMATION processInformation) = &::CreateProcessA;
  BOOL(WINAPI* closeHandle)(HANDLE handle) = &::CloseHandle;
};

// The service-event path: the wake-up message (and the close a shutdown request posts), and the
// clock that times the drain's slice.
struct ServiceEventsApi {
  BOOL(WINAPI* postMessage)(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = &::PostMessageA;
  BOOL(WINAPI* queryPerformanceCounter)(LARGE_INTEGER* counter) = &::QueryPerformanceCounter;
};

struct FrameEdges {
  vesk::ServiceEdge service = vesk::RealServiceEdge();
  TrayIconApi tray;
  ProcessApi process;
  ServiceEventsApi events;
  TrayPlacementApi placement = RealTrayPlacementApi();
};
