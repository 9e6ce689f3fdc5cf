// The auto-record cycle of vesk::ServiceControl: one worker thread that starts a recording, lets
// it run for a random time, stops it, waits as long again, and begins anew.
#include "service/ServiceControl.h"

#include <system_error>

namespace vesk {

bool ServiceControl::IsAutoRecordRunning() const { return worker_.joinable(); }

void ServiceControl::StopAutoRecord() {
  if (!worker_.joinable()) return;
  stopSignal_.Set();
  worker_.join();
}

void ServiceControl::StartAutoRecord() {
  if (!service_) return;
  StopAutoRecord();
  // Seeded here, on the caller's thread, before the worker exists; from then on only the worker
  // draws, and the next seeding comes only after it has been joined.
  random_.Seed(static_cast<std::uint32_t>(edge_.calendarTime(edge_.context)));
  stopSignal_.Reset();
  try {
    worker_ = std::thread(&ServiceControl::AutoRecordProcedure, this);
  } catch (const std::system_error&) {
    // No thread to be had: the cycle simply does not run, and the toggle command finds it idle
    // and may try again. Nothing was sent to the service.
  }
}

void ServiceControl::AutoRecordProcedure() {
  bool startPhase = true;
  std::uint32_t delay = 0;
  for (;;) {
    if (startPhase) {
      const int r = random_.Next();  // drawn before the recording starts
      StartRecording();
      delay = AutoRecordDelayMs(r);
    } else {
      StopRecording();  // the pause lasts as long as the recording did
    }
    startPhase = !startPhase;
    if (edge_.waitFor(edge_.context, stopSignal_, delay)) return;
  }
}

}  // namespace vesk
