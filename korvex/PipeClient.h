#pragma once
// Sends one command line to the simulator's control pipe and reads the reply: korvexctl's
// whole job, and the tests' way in through the real pipe.
#include <string>

#include "korvex/SessionPipe.h"

namespace korvex {

enum class SendResult {
  Replied,      // `reply` holds the simulator's reply bytes
  NoSimulator,  // nothing serves the pipe
  Failed,       // the exchange broke off or timed out; `error` says how
};

// `request` is sent as it is, as one message; waits at most `timeoutMs` in all.
SendResult SendToPipe(const std::string& path, const std::string& request, unsigned timeoutMs,
                      std::string* reply, std::string* error);

}  // namespace korvex
