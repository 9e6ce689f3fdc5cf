#include "korvex/CallLog.h"

#include "korvex/ControlCommand.h"

namespace korvex {

CallLog::CallLog(const std::string& mirrorPath) {
  if (!mirrorPath.empty()) mirror_ = std::fopen(mirrorPath.c_str(), "a");
}

CallLog::~CallLog() {
  if (mirror_) std::fclose(mirror_);
}

void CallLog::Add(const std::string& operation, const std::string& argument) {
  std::string line = operation;
  if (!argument.empty()) line += " " + EscapeForOneLine(argument);
  std::lock_guard<std::mutex> guard(mutex_);
  if (mirror_) {
    std::fprintf(mirror_, "%s\n", line.c_str());
    std::fflush(mirror_);
  }
  lines_.push_back(std::move(line));
}

std::string CallLog::Text() const {
  std::lock_guard<std::mutex> guard(mutex_);
  std::string text;
  for (const std::string& line : lines_) {
    if (!text.empty()) text += '\n';
    text += line;
  }
  return text;
}

std::vector<std::string> CallLog::Lines() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return lines_;
}

}  // namespace korvex
