#pragma once
// What one pass over the service-event queue has for the notification area. Every event of the
// pass takes effect on the frame's flags and the comments window; the shell, though, needs to
// hear only the last icon-and-tooltip and the last balloon of the pass, since each would
// replace the one before at once (a new balloon takes down the one still showing). Under an
// event storm this keeps the client from falling behind the service by the shell's cost per
// call (milliseconds under some desktops); one event per pass, the usual case, reaches the
// shell exactly as it would unbatched. Platform-free.
#include <cstddef>
#include <string>

namespace tray {

class TrayUpdateBatch {
 public:
  // A pass begins and ends; passes may nest (a drain from inside a drain), the batch is open
  // while any is.
  void Begin() { ++depth_; }
  void End() {
    if (depth_ > 0) --depth_;
  }
  bool Open() const { return depth_ > 0; }

  void SetIconAndTip(unsigned iconId, const std::string& tip);
  void ShowBalloon(const std::string& text, const std::string& title);

  struct Updates {
    bool hasIconAndTip = false;
    unsigned iconId = 0;
    std::string tip;
    bool hasBalloon = false;
    std::string text, title;
    // The balloon was asked for before the icon: tell the shell in that order.
    bool balloonFirst = false;
  };
  // Hands over what is pending and starts afresh (the batch stays open).
  Updates Take();

  // Updates that a later one of the same kind replaced (diagnostics, benchmark).
  std::size_t Replaced() const { return replaced_; }

 private:
  int depth_ = 0;
  Updates pending_;
  std::size_t replaced_ = 0;
};

}  // namespace tray
