#pragma once
// Every call the simulated service has received since it was loaded, in order, one line each:
// the operation's name, then its argument made to fit on one line. The lines can also be appended
// to a file as they come, for whoever needs them after the process has ended.
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace korvex {

class CallLog {
 public:
  // `mirrorPath`, when not empty, names a file each line is appended to (and flushed) as it is
  // added; a file that cannot be opened is left out silently.
  explicit CallLog(const std::string& mirrorPath = std::string());
  ~CallLog();
  CallLog(const CallLog&) = delete;
  CallLog& operator=(const CallLog&) = delete;

  void Add(const std::string& operation, const std::string& argument = std::string());
  // The lines joined by '\n', no trailing line break.
  std::string Text() const;
  std::vector<std::string> Lines() const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
  std::FILE* mirror_ = nullptr;
};

}  // namespace korvex
