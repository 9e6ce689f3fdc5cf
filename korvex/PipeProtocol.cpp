#include "korvex/PipeProtocol.h"

namespace korvex {

bool ControlPipePath(const char* override, std::uint32_t session, std::string* path,
                     std::string* error) {
  std::string name = std::string(kDefaultPipeName) + ".session" + std::to_string(session);
  if (override && *override) {
    name = override;
    bool plain = name.size() <= 100;
    for (char c : name) {
      const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                      c == '.' || c == '-' || c == '_';
      plain = plain && ok;
    }
    if (!plain) {
      *error = std::string(kPipeNameVariable) + " must be a plain name of letters, digits, '.', '-' " +
               "and '_' (at most 100), not '" + name + "'";
      return false;
    }
  }
  *path = "\\\\.\\pipe\\" + name;
  return true;
}

std::string EncodeReply(const Answer& answer) {
  return std::string(answer.ok ? "ok" : "error") + "\n" + answer.text;
}

bool DecodeReply(const std::string& bytes, Answer* answer) {
  const std::size_t end = bytes.find('\n');
  if (end == std::string::npos) return false;
  const std::string status = bytes.substr(0, end);
  if (status != "ok" && status != "error") return false;
  answer->ok = status == "ok";
  answer->text = bytes.substr(end + 1);
  return true;
}

}  // namespace korvex
