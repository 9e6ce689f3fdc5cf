#include "korvex/Scenario.h"

#include <fstream>
#include <sstream>

namespace korvex {

namespace {

std::string Trim(const std::string& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
  return s.substr(b, e - b);
}

bool ParseWait(const std::string& line, std::uint32_t* ms, std::string* error) {
  std::istringstream words(line);
  std::string verb, value, extra;
  words >> verb >> value >> extra;
  if (value.empty() || !extra.empty()) {
    *error = "usage: wait MILLISECONDS";
    return false;
  }
  unsigned long long n = 0;
  for (char c : value) {
    if (c < '0' || c > '9' || n > kMaxScenarioWaitMs) {
      *error = "'" + value + "' is not a wait of 0 to " + std::to_string(kMaxScenarioWaitMs) + " ms";
      return false;
    }
    n = n * 10 + static_cast<unsigned>(c - '0');
  }
  if (n > kMaxScenarioWaitMs) {
    *error = "'" + value + "' is not a wait of 0 to " + std::to_string(kMaxScenarioWaitMs) + " ms";
    return false;
  }
  *ms = static_cast<std::uint32_t>(n);
  return true;
}

}  // namespace

Scenario ParseScenario(const std::string& text, const std::string& name) {
  Scenario scenario;
  std::istringstream lines(text);
  std::string raw;
  std::uint32_t at = 0;
  int number = 0;
  while (std::getline(lines, raw)) {
    ++number;
    const std::string line = Trim(raw);
    if (line.empty() || line[0] == '#') continue;
    const std::string where = name + ":" + std::to_string(number) + ": ";
    if (line.compare(0, 4, "wait") == 0 && (line.size() == 4 || line[4] == ' ' || line[4] == '\t')) {
      std::uint32_t ms = 0;
      std::string error;
      if (!ParseWait(line, &ms, &error)) {
        scenario.errors.push_back(where + error);
        continue;
      }
      at = at + ms > at ? at + ms : at;  // a day of waits cannot wrap around
      continue;
    }
    const ParsedCommand parsed = ParseControlCommand(line);
    if (!parsed.ok) {
      scenario.errors.push_back(where + parsed.error);
      continue;
    }
    if (!RaisesEvent(parsed.command.kind)) {
      scenario.errors.push_back(where + "'" + line + "' answers a question; a scenario only raises events");
      continue;
    }
    scenario.steps.push_back(ScenarioStep{at, parsed.command});
  }
  return scenario;
}

Scenario LoadScenarioFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    Scenario scenario;
    scenario.errors.push_back(path + ": cannot open the scenario file");
    return scenario;
  }
  std::ostringstream text;
  text << file.rdbuf();
  return ParseScenario(text.str(), path);
}

}  // namespace korvex
