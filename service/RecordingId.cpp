#include "service/RecordingId.h"

#include <boost/date_time/posix_time/posix_time.hpp>

namespace vesk {

std::string MakeRecordingId(const boost::posix_time::ptime& utc) {
  // Whole seconds only: to_iso_string would append a fraction for a time that carries one.
  const boost::posix_time::ptime seconds(
      utc.date(), boost::posix_time::seconds(utc.time_of_day().total_seconds()));
  return boost::posix_time::to_iso_string(seconds);
}

}  // namespace vesk
