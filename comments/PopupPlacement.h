#pragma once
// Where a popup opens beside an anchor: our own rendering of the platform's
// CalculatePopupWindowPosition for the one flag set the comments window uses
// (TPM_CENTERALIGN | TPM_VCENTERALIGN | TPM_VERTICAL | TPM_WORKAREA). Platform-free.
#include <vector>

#include "framework/Geometry.h"

namespace placement {

struct MonitorArea {
  geom::Rect bounds;    // the whole monitor
  geom::Rect workArea;  // the monitor without the taskbar and other docked bars
};

// The rectangle of a width x height popup centred on `anchor` both ways, moved vertically just
// clear of `exclude` (above it when there is room, else below), and kept inside the work area of
// the anchor's monitor (the nearest monitor when the anchor lies on none). False when there is no
// monitor or the size is not positive.
bool CalculatePopupPosition(const geom::Point& anchor, int width, int height,
                            const geom::Rect& exclude, const std::vector<MonitorArea>& monitors,
                            geom::Rect* result);

}  // namespace placement
