#pragma once
// The tray frame's edges to the system and the recorder library, each defaulting to the real
// one: tests replace entries to drive the real frame with a fake service, to record what the
// notification area is told, to see Notepad's launch without starting it, and to refuse a
// wake-up or end every time slice of the event drain.
#include <windows.h>

#include "comments/MainDlg.h"
#include "comments/TrayPlacement.h"
#include "service/ServiceEdge.h"
#include "tray/ServiceEventPump.h"
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

struct FrameEdges {
  vesk::ServiceEdge service = vesk::RealServiceEdge();
  TrayIconApi tray;
  ProcessApi process;
  EventPumpEdge events;
  CommentsEdge comments;
  TrayPlacementApi placement = RealTrayPlacementApi();
};
