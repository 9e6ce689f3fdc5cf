#include "service/ServiceEdge.h"

#include <boost/date_time/posix_time/posix_time_types.hpp>

#include "service/Signal.h"

namespace vesk {

boost::posix_time::ptime RealUniversalTime(void*) {
  return boost::posix_time::second_clock::universal_time();
}

std::time_t RealCalendarTime(void*) { return std::time(nullptr); }

bool RealWaitFor(void*, Signal& signal, std::uint32_t milliseconds) {
  return signal.WaitFor(milliseconds);
}

}  // namespace vesk
