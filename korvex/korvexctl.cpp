// korvexctl: sends one command to the Korvex simulator of its own session and prints its answer.
// Exit codes: 0 answered, 1 the command was refused, 2 no simulator or no exchange possible.
#include <windows.h>

#include <cstdio>
#include <string>

#include "korvex/ControlCommand.h"
#include "korvex/PipeClient.h"
#include "korvex/PipeProtocol.h"
#include "korvex/SessionPipe.h"

namespace {

const unsigned kTimeoutMs = 10000;

int Fail(int code, const std::string& text) {
  std::fprintf(stderr, "korvexctl: %s\n", text.c_str());
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: korvexctl COMMAND [ARGUMENTS...]\n\n%s\n",
                 korvex::ControlHelpText().c_str());
    return 2;
  }
  std::string line = argv[1];
  for (int i = 2; i < argc; ++i) line += std::string(" ") + argv[i];
  // Refused here already, so that a typing error is reported even with no simulator running.
  const korvex::ParsedCommand parsed = korvex::ParseControlCommand(line);
  if (!parsed.ok) return Fail(1, parsed.error);

  char override[256];
  const DWORD length = GetEnvironmentVariableA(korvex::kPipeNameVariable, override, sizeof override);
  std::string path, error;
  if (!korvex::ControlPipePath(length > 0 && length < sizeof override ? override : nullptr, &path,
                               &error))
    return Fail(2, error);

  std::string reply;
  switch (korvex::SendToPipe(path, line, kTimeoutMs, &reply, &error)) {
    case korvex::SendResult::NoSimulator:
      return Fail(2, "no Korvex simulator is running in this session (nothing serves " + path +
                         "; it runs inside the client that loaded Korvex.dll)");
    case korvex::SendResult::Failed:
      return Fail(2, error);
    case korvex::SendResult::Replied:
      break;
  }
  korvex::Answer answer;
  if (!korvex::DecodeReply(reply, &answer)) return Fail(2, "the simulator's answer is garbled");
  if (!answer.ok) return Fail(1, answer.text);
  if (!answer.text.empty()) std::printf("%s\n", answer.text.c_str());
  return 0;
}
