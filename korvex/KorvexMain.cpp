// Korvex.dll, the stand-in recorder service: GetService hands out a simulated service together
// with its control pipe. It stands in for a library that does not exist here and is a
// development and demonstration tool; it shares only the binary contract with the client.
#include <windows.h>

#include <cstdio>
#include <string>

#include "korvex/ControlCommand.h"
#include "korvex/PipeProtocol.h"
#include "korvex/PipeServer.h"
#include "korvex/SessionPipe.h"
#include "korvex/Scenario.h"
#include "korvex/SimulatedService.h"
#include "service/GetService.h"

namespace {

const char kCommentLogName[] = "Korvex-comments.txt";
const char kScenarioVariable[] = "KORVEX_SCENARIO";
const char kCallLogVariable[] = "KORVEX_CALL_LOG";

// The simulator has no window of its own: its few complaints go to the standard error stream
// (the terminal, under Wine) and to the debugger.
void Complain(const std::string& text) {
  const std::string line = "Korvex simulator: " + text + "\n";
  std::fputs(line.c_str(), stderr);
  std::fflush(stderr);
  OutputDebugStringA(line.c_str());
}

// Read through the system rather than the C library, whose copy of the environment does not see
// variables set while the process runs.
bool ReadVariable(const char* name, std::string* value) {
  char buffer[MAX_PATH * 2];
  const DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  if (length == 0 || length >= sizeof buffer) return false;
  value->assign(buffer, length);
  return true;
}

std::string CommentLogPath() {
  char folder[MAX_PATH + 1];
  const DWORD length = GetTempPathA(sizeof folder, folder);
  if (length == 0 || length > MAX_PATH) return kCommentLogName;
  return std::string(folder, length) + kCommentLogName;
}

class HostedSimulator final : public korvex::SimulatedService {
 public:
  using SimulatedService::SimulatedService;

  void OpenControlPipe() {
    std::string override, path, error;
    const bool named = ReadVariable(korvex::kPipeNameVariable, &override);
    if (!korvex::ControlPipePath(named ? override.c_str() : nullptr, &path, &error)) {
      Complain(error + "; the control pipe stays closed");
      return;
    }
    auto handler = [this](const std::string& request, bool oversized) {
      if (oversized)
        return korvex::EncodeReply(korvex::Answer{
            false, "line too long (at most " + std::to_string(korvex::kMaxCommandLength) + " bytes)"});
      return korvex::EncodeReply(ExecuteLine(request));
    };
    if (!pipe_.Start(path, korvex::kMaxCommandLength, handler, &error))
      Complain(error + "; the control pipe stays closed");
  }

  void Release() override {
    // No command may arrive while the service goes away.
    pipe_.Stop();
    SimulatedService::Release();
  }

 private:
  ~HostedSimulator() override = default;
  korvex::PipeServer pipe_;
};

}  // namespace

// Nothing happens at load and unload: threads are created in GetService and ended in Release,
// never under the loader lock.
BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }

extern "C" KORVEX_API vesk::IServiceControl* KORVEX_CALL GetService() {
  korvex::SimulatorOptions options;
  options.commentLogPath = CommentLogPath();
  ReadVariable(kCallLogVariable, &options.callLogPath);
  std::string scenarioPath;
  if (ReadVariable(kScenarioVariable, &scenarioPath)) {
    options.scenario = korvex::LoadScenarioFile(scenarioPath);
    for (const std::string& error : options.scenario.errors) Complain(error + " (line skipped)");
  }
  auto* service = new HostedSimulator(std::move(options));
  service->OpenControlPipe();
  return service;
}
