#pragma once
// Scenario files: timed control commands that the simulator plays from each Start, for
// demonstrations. One command a line as on the pipe; `wait MS` lines put time between them;
// blank lines and lines starting with # are ignored.
#include <cstdint>
#include <string>
#include <vector>

#include "korvex/ControlCommand.h"

namespace korvex {

struct ScenarioStep {
  std::uint32_t atMs = 0;  // from Start
  ControlCommand command;
};

struct Scenario {
  std::vector<ScenarioStep> steps;
  std::vector<std::string> errors;  // "FILE:LINE: why", for lines that were skipped
};

// The longest single wait, an hour: a longer one is a typing error.
constexpr std::uint32_t kMaxScenarioWaitMs = 3600000;

Scenario ParseScenario(const std::string& text, const std::string& name);
// Reads and parses a file; an unreadable file gives one error and no steps.
Scenario LoadScenarioFile(const std::string& path);

}  // namespace korvex
