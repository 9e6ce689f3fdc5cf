#include "korvex/CallLog.h"

#include "korvex/ControlCommand.h"

namespace korvex {

void CallLog::Add(const std::string& operation, const std::string& argument) {
  std::string line = operation;
  if (!argument.empty()) line += " " + EscapeForOneLine(argument);
  std::lock_guard<std::mutex> guard(mutex_);
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
