#pragma once
// The adapter's edge to the operating system and the recorder library: the service's GetService,
// the clocks and the worker's timed wait. Each entry defaults to the real one; tests replace
// entries to drive the adapter without the library and without waiting out real delays.
#include <cstdint>
#include <ctime>

#include <boost/date_time/posix_time/ptime.hpp>

#include "service/IServiceControl.h"

namespace vesk {

class Signal;

IServiceControl* RealGetService(void* context);              // the library's GetService
boost::posix_time::ptime RealUniversalTime(void* context);   // UTC, whole seconds
std::time_t RealCalendarTime(void* context);                 // seconds since the epoch
bool RealWaitFor(void* context, Signal& signal, std::uint32_t milliseconds);

struct ServiceEdge {
  // Null means there is no service: the adapter then does nothing at all.
  IServiceControl* (*getService)(void* context) = nullptr;
  // The time a recording id is made from.
  boost::posix_time::ptime (*universalTime)(void* context) = &RealUniversalTime;
  // The time the auto-record generator is seeded from.
  std::time_t (*calendarTime)(void* context) = &RealCalendarTime;
  // The auto-record worker's wait on its stop signal; true when the signal is set.
  bool (*waitFor)(void* context, Signal& signal, std::uint32_t milliseconds) = &RealWaitFor;
  // Handed to every entry; the real ones ignore it.
  void* context = nullptr;
};

// The table the client runs with: every entry real, the service from Korvex.dll.
ServiceEdge RealServiceEdge();

}  // namespace vesk
