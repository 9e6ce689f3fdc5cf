#pragma once
// The control pipe's wire format, shared by the simulator and korvexctl. A request is one message
// holding one command line; the reply is one message: "ok" or "error", a line break, then the
// answer text or the error message.
#include <cstdint>
#include <string>

#include "korvex/ControlCommand.h"

namespace korvex {

// The control pipe. Named pipes have one namespace for the whole machine, while a client and
// its simulator run in every session (fast user switching, a terminal server): so each session's
// simulator serves a pipe of its own, kDefaultPipeName followed by ".session" and the session's
// number, and korvexctl, which runs in the same session, names the same pipe. KORVEX_PIPE, when
// set, names the pipe as it is, in whatever session (tests running side by side each drive their
// own simulator).
constexpr const char* kDefaultPipeName = "korvex-simulator";
constexpr const char* kPipeNameVariable = "KORVEX_PIPE";

// The full pipe path in session `session`, for an optional override (the variable's value, or
// null). An override that is not a plain name (letters, digits, '.', '-', '_', at most 100) is
// refused with `error`. (korvex/SessionPipe.h gives the calling process's own session's.)
bool ControlPipePath(const char* override, std::uint32_t session, std::string* path,
                     std::string* error);

std::string EncodeReply(const Answer& answer);
// False when `bytes` is not a reply of this format.
bool DecodeReply(const std::string& bytes, Answer* answer);

}  // namespace korvex
