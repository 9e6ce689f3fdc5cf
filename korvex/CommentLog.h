#pragma once
// The agent's own comment log: a plain-text file to which each comment is appended with the
// recording it belongs to and the time it arrived. It is the file the service names as its text
// file, so the client's Ctrl+O opens it in Notepad.
#include <ctime>
#include <mutex>
#include <string>

namespace korvex {

class CommentLog {
 public:
  explicit CommentLog(std::string path);
  const std::string& Path() const { return path_; }
  // Creates the file with a heading when it does not exist yet; false when it cannot be written.
  bool Prepare();
  // Appends one entry; the comment's own line breaks become indented continuation lines.
  bool Append(const std::string& recordingId, const std::string& comment, std::time_t when);

 private:
  std::string path_;
  std::mutex mutex_;
};

}  // namespace korvex
