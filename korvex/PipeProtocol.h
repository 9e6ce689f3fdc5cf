#pragma once
// The control pipe's wire format, shared by the simulator and korvexctl. A request is one message
// holding one command line; the reply is one message: "ok" or "error", a line break, then the
// answer text or the error message.
#include <string>

#include "korvex/ControlCommand.h"

namespace korvex {

// The pipe's name without the \\.\pipe\ prefix, unless KORVEX_PIPE names another (so that tests
// running side by side each drive their own simulator).
constexpr const char* kDefaultPipeName = "korvex-simulator";
constexpr const char* kPipeNameVariable = "KORVEX_PIPE";

// The full pipe path for an optional override (the variable's value, or null). An override that
// is not a plain name (letters, digits, '.', '-', '_', at most 100) is refused with `error`.
bool ControlPipePath(const char* override, std::string* path, std::string* error);

std::string EncodeReply(const Answer& answer);
// False when `bytes` is not a reply of this format.
bool DecodeReply(const std::string& bytes, Answer* answer);

}  // namespace korvex
