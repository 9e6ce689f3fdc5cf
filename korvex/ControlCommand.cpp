#include "korvex/ControlCommand.h"

#include <cstdio>
#include <vector>

namespace korvex {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::vector<std::string> SplitWords(const std::string& line) {
  std::vector<std::string> words;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    const std::size_t start = i;
    while (i < line.size() && !IsBlank(line[i])) ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

// Decimal, optionally negative; true when it fits in `min`..`max`.
bool ParseInteger(const std::string& word, long long min, long long max, long long* out) {
  std::size_t i = 0;
  const bool negative = !word.empty() && word[0] == '-';
  if (negative) i = 1;
  if (i == word.size()) return false;
  long long value = 0;
  for (; i < word.size(); ++i) {
    if (word[i] < '0' || word[i] > '9') return false;
    value = value * 10 + (word[i] - '0');
    if (value > 10000000000LL) return false;  // far beyond any range asked for
  }
  if (negative) value = -value;
  if (value < min || value > max) return false;
  *out = value;
  return true;
}

ParsedCommand Refuse(const std::string& error) {
  ParsedCommand parsed;
  parsed.error = error;
  return parsed;
}

ParsedCommand Accept(const ControlCommand& command) {
  ParsedCommand parsed;
  parsed.ok = true;
  parsed.command = command;
  return parsed;
}

struct Verb {
  const char* name;
  CommandKind kind;
  const char* usage;
};

const Verb kVerbs[] = {
    {"connection", CommandKind::Connection, "connection N  (N: a 32-bit value; 0-4 are the states)"},
    {"recording", CommandKind::Recording, "recording N  (N: a 32-bit recording kind)"},
    {"upload", CommandKind::Upload, "upload N  (N: 0 to 255)"},
    {"monitored", CommandKind::Monitored, "monitored 0|1"},
    {"profile", CommandKind::Profile, "profile C M I  (each 0 or 1)"},
    {"updated", CommandKind::Updated, "updated"},
    {"notify", CommandKind::Notify, "notify TEXT..."},
    {"shutdown", CommandKind::Shutdown, "shutdown"},
    {"calls", CommandKind::Calls, "calls"},
    {"help", CommandKind::Help, "help"},
};

}  // namespace

ParsedCommand ParseControlCommand(const std::string& rawLine) {
  std::string line = rawLine;
  if (!line.empty() && line.back() == '\n') line.pop_back();
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.size() > kMaxCommandLength)
    return Refuse("line too long (" + std::to_string(line.size()) + " bytes; at most " +
                  std::to_string(kMaxCommandLength) + ")");
  for (char c : line) {
    const unsigned char u = static_cast<unsigned char>(c);
    if ((u < 0x20 && c != '\t') || u == 0x7f)
      return Refuse("malformed line: control character in the command (one command a line)");
  }
  const std::vector<std::string> words = SplitWords(line);
  if (words.empty()) return Refuse("empty command; try 'help'");

  const Verb* verb = nullptr;
  for (const Verb& v : kVerbs)
    if (words[0] == v.name) verb = &v;
  if (!verb) return Refuse("unknown command '" + words[0] + "'; try 'help'");

  ControlCommand command;
  command.kind = verb->kind;
  const std::size_t arguments = words.size() - 1;
  const std::string usage = std::string("usage: ") + verb->usage;
  long long value = 0;
  switch (verb->kind) {
    case CommandKind::Connection:
    case CommandKind::Recording:
      if (arguments != 1) return Refuse(usage);
      if (!ParseInteger(words[1], -2147483648LL, 4294967295LL, &value))
        return Refuse("'" + words[1] + "' is not a 32-bit value; " + usage);
      command.value = static_cast<std::uint32_t>(value);
      return Accept(command);
    case CommandKind::Upload:
      if (arguments != 1) return Refuse(usage);
      if (!ParseInteger(words[1], 0, 255, &value))
        return Refuse("'" + words[1] + "' is out of range; " + usage);
      command.value = static_cast<std::uint32_t>(value);
      return Accept(command);
    case CommandKind::Monitored:
      if (arguments != 1) return Refuse(usage);
      if (!ParseInteger(words[1], 0, 1, &value) || words[1].size() != 1)
        return Refuse("'" + words[1] + "' is neither 0 nor 1; " + usage);
      command.value = static_cast<std::uint32_t>(value);
      return Accept(command);
    case CommandKind::Profile: {
      if (arguments != 3) return Refuse(usage);
      bool flags[3];
      for (int i = 0; i < 3; ++i) {
        const std::string& w = words[1 + i];
        if (w != "0" && w != "1") return Refuse("'" + w + "' is neither 0 nor 1; " + usage);
        flags[i] = w == "1";
      }
      command.allowRecordingControl = flags[0];
      command.allowComments = flags[1];
      command.showTrayIcon = flags[2];
      return Accept(command);
    }
    case CommandKind::Notify: {
      // The text is the rest of the line as typed, inner spacing kept.
      std::size_t start = line.find(words[0]) + words[0].size();
      while (start < line.size() && IsBlank(line[start])) ++start;
      if (start >= line.size()) return Refuse(usage);
      command.text = line.substr(start);
      return Accept(command);
    }
    case CommandKind::Updated:
    case CommandKind::Shutdown:
    case CommandKind::Calls:
    case CommandKind::Help:
      if (arguments != 0) return Refuse(std::string("'") + verb->name + "' takes no arguments");
      return Accept(command);
  }
  return Refuse(usage);
}

bool RaisesEvent(CommandKind kind) {
  return kind != CommandKind::Calls && kind != CommandKind::Help;
}

std::string ControlHelpText() {
  std::string text = "Korvex simulator commands (one a line):\n";
  for (const Verb& v : kVerbs) text += std::string("  ") + v.usage + "\n";
  text +=
      "Commands that raise an event need a started service. Connection states: 0 Disconnected,\n"
      "1 Connected, 2 NotAuthorized, 3 Authorized, 4 Updated. Recording kinds: 0 none, 1-2\n"
      "running, 3 paused, 4 resumed, 5-7 none.";
  return text;
}

std::string EscapeForOneLine(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (u < 0x20 || u == 0x7f) {
          char hex[5];
          std::snprintf(hex, sizeof hex, "\\x%02X", u);
          out += hex;
        } else {
          out += c;
        }
    }
  }
  return out;
}

}  // namespace korvex
