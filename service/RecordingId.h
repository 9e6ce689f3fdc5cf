#pragma once
// Recording ids: the UTC time in the ISO 8601 basic form, 20200115T093005.
#include <string>

#include <boost/date_time/posix_time/ptime.hpp>

namespace vesk {

std::string MakeRecordingId(const boost::posix_time::ptime& utc);

}  // namespace vesk
