#include "comments/PopupPlacement.h"

namespace placement {

bool CalculatePopupPosition(const geom::Point& anchor, int width, int height,
                            const geom::Rect& exclude, const std::vector<MonitorArea>& monitors,
                            geom::Rect* result) {
  (void)anchor; (void)width; (void)height; (void)exclude; (void)monitors; (void)result;
  return false;
}

}  // namespace placement
