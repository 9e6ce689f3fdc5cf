#pragma once
// The control pipe of the session the calling process runs in: what the simulator serves and
// what korvexctl opens, each in its own process, so both name the same pipe only when they run in
// the same session.
#include <string>

#include "korvex/PipeProtocol.h"

namespace korvex {

// The session's pipe path (the session as ProcessIdToSessionId reports it for this process), or
// the one the override names; false with `error` when the override is not a plain name or the
// session cannot be told.
bool ControlPipePath(const char* override, std::string* path, std::string* error);

}  // namespace korvex
