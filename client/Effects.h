#pragma once
// What one input to the client model asks of the platform, as plain data: the frame renders it
// in the order the fields are declared (balloon, tray icon, status, the comments window, timers,
// service calls, close). Platform-free.
#include <cstddef>
#include <string>

#include "client/CommentsLook.h"

namespace client {

enum class BalloonKind { Update, Notification, Version };

struct Balloon {
  BalloonKind kind = BalloonKind::Notification;
  std::string text;
  const char* title = "";
};

// Adding or removing the notification-area icon. The add shows `addIconId` with `addTip`.
enum class TrayIconChange {
  None,
  Add,        // does nothing when the icon is there; a failed add is not retried
  AddOrRetry, // at start-up: a failed add is retried until the notification area takes it
  AddAgain,   // a new taskbar lost the icon: add it afresh, retried like AddOrRetry
  Remove,     // also ends a pending retry
};

// The icon and its tooltip; `iconOnly` leaves the tooltip as it is.
struct TrayStatus {
  int iconId = 0;
  const char* tip = "";
  bool iconOnly = false;
};

enum class WindowChange {
  None,
  Show,         // placed beside the tray icon, then shown
  Hide,
  ShowInFront,  // placed and shown unless already on screen; brought to the foreground
};

// The comments window's one-shot timers (each fires once per arming).
enum class Timer { SubmitMark, UploadedPicture };
constexpr std::size_t kTimers = 2;
constexpr unsigned kTimerPeriodMs = 3000;

enum class ServiceCall {
  StartRecording,
  StopRecording,
  Pause,
  Resume,
  AddComment,      // with Effects::comment
  Restart,         // stop and start, with connection, recording and upload events dropped
  StopAutoRecord,  // when it runs
  ToggleAutoRecord,
};

struct Effects {
  bool hasBalloon = false;
  Balloon balloon;

  TrayIconChange trayIcon = TrayIconChange::None;
  int addIconId = 0;
  const char* addTip = "";

  bool hasStatus = false;
  TrayStatus status;

  bool hasLook = false;
  CommentsLook look;
  bool resetComment = false;  // the comment box gets the hint back; typed text is discarded
  bool takeComment = false;   // hand the box's text to CommentTaken, which puts the hint back
  WindowChange window = WindowChange::None;

  bool arm[kTimers] = {};
  bool cancel[kTimers] = {};

  static constexpr std::size_t kMaxCalls = 2;
  ServiceCall calls[kMaxCalls] = {};
  std::size_t callCount = 0;
  std::string comment;

  bool close = false;     // the program ends, as Exit does, once the messages before it ran
  bool closeNow = false;  // the program ends before the current message returns
  // The session ends with the process: the service stops now and the rest is left to the system.
  bool stopService = false;

  void Call(ServiceCall call) {
    if (callCount < kMaxCalls) calls[callCount++] = call;
  }
  bool Arms(Timer timer) const { return arm[static_cast<std::size_t>(timer)]; }
  bool Cancels(Timer timer) const { return cancel[static_cast<std::size_t>(timer)]; }
};

}  // namespace client
