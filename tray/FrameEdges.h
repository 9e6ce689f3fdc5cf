#pragma once
// The tray frame's edges to the system and the recorder library, one per subsystem, each
// defaulting to the real calls: tests replace entries, with a recorder of their own as the
// context, to drive the real frame with a fake service, to record what the notification area is
// told, to see Notepad's launch without starting it, and to refuse a wake-up or end every time
// slice of the event drain.
#include "comments/MainDlg.h"
#include "comments/TrayPlacement.h"
#include "service/ServiceEdge.h"
#include "tray/NotepadLaunch.h"
#include "tray/ServiceEventPump.h"
#include "tray/TrayIconEdge.h"

struct FrameEdges {
  vesk::ServiceEdge service = vesk::RealServiceEdge();
  TrayIconEdge tray;
  ProcessEdge process;
  EventPumpEdge events;
  CommentsEdge comments;
  TrayPlacementEdge placement;
};
