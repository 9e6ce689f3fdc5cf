#include "tray/TrayUpdateBatch.h"

#include <utility>

namespace tray {

void TrayUpdateBatch::SetIconAndTip(unsigned iconId, const std::string& tip) {
  if (pending_.hasIconAndTip) ++replaced_;
  pending_.hasIconAndTip = true;
  pending_.iconId = iconId;
  pending_.tip = tip;
  pending_.balloonFirst = pending_.hasBalloon;
}

void TrayUpdateBatch::ShowBalloon(const std::string& text, const std::string& title) {
  if (pending_.hasBalloon) ++replaced_;
  pending_.hasBalloon = true;
  pending_.text = text;
  pending_.title = title;
  pending_.balloonFirst = false;
}

TrayUpdateBatch::Updates TrayUpdateBatch::Take() { return std::exchange(pending_, Updates()); }

}  // namespace tray
