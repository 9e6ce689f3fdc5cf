#pragma once
// Every call the simulated service has received since it was loaded, in order, one line each:
// the operation's name, then its argument made to fit on one line.
#include <mutex>
#include <string>
#include <vector>

namespace korvex {

class CallLog {
 public:
  void Add(const std::string& operation, const std::string& argument = std::string());
  // The lines joined by '\n', no trailing line break.
  std::string Text() const;
  std::vector<std::string> Lines() const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

}  // namespace korvex
