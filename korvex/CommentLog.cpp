#include "korvex/CommentLog.h"

#include <cstdio>
#include <fstream>

namespace korvex {

namespace {

// Lines end in CR LF: the file is for Notepad.
const char kLineEnd[] = "\r\n";

std::string UtcText(std::time_t when) {
  // Called under the log's lock: gmtime's result may be shared by the whole process.
  std::tm utc{};
  if (const std::tm* t = std::gmtime(&when)) utc = *t;
  char text[64];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d UTC", utc.tm_year + 1900,
                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
  return text;
}

}  // namespace

CommentLog::CommentLog(std::string path) : path_(std::move(path)) {}

bool CommentLog::Prepare() {
  std::lock_guard<std::mutex> guard(mutex_);
  {
    std::ifstream existing(path_, std::ios::binary);
    if (existing) return true;
  }
  std::ofstream file(path_, std::ios::binary);
  file << "Korvex comment log: comments on recordings, newest last" << kLineEnd << kLineEnd;
  return static_cast<bool>(file);
}

bool CommentLog::Append(const std::string& recordingId, const std::string& comment, std::time_t when) {
  std::lock_guard<std::mutex> guard(mutex_);
  std::string entry = UtcText(when) + "  recording " + (recordingId.empty() ? "(none)" : recordingId) +
                      kLineEnd + "    ";
  for (std::size_t i = 0; i < comment.size(); ++i) {
    const char c = comment[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < comment.size() && comment[i + 1] == '\n') ++i;
      entry += kLineEnd;
      entry += "    ";
    } else {
      entry += c;
    }
  }
  entry += kLineEnd;
  std::ofstream file(path_, std::ios::binary | std::ios::app);
  file << entry;
  return static_cast<bool>(file);
}

}  // namespace korvex
