#include "service/RecordingId.h"

#include <cstdio>

namespace vesk {

std::string MakeRecordingId(const boost::posix_time::ptime& utc) {
  // The basic form of posix_time::to_iso_string for whole seconds (a fraction is dropped),
  // written from the time's fields: to_iso_string's header includes <iostream>, whose static
  // initialiser builds the standard streams and every locale facet at start-up of the process,
  // and its formatting links the whole stream and locale library into the program.
  const boost::gregorian::date day = utc.date();
  const boost::posix_time::time_duration time = utc.time_of_day();
  char text[32];
  std::snprintf(text, sizeof text, "%04d%02d%02dT%02d%02d%02d", static_cast<int>(day.year()),
                static_cast<int>(day.month().as_number()), static_cast<int>(day.day()),
                static_cast<int>(time.hours()), static_cast<int>(time.minutes()),
                static_cast<int>(time.seconds()));
  return text;
}

}  // namespace vesk
