#pragma once
// The simulator's control language: one command a line, sent through its pipe by korvexctl or
// played from a scenario file. Parsing is strict, so that a mistyped command changes nothing.
#include <cstddef>
#include <cstdint>
#include <string>

namespace korvex {

enum class CommandKind {
  Connection,  // connection N   raise connection state N (any 32-bit value)
  Recording,   // recording N    raise recording state N (any 32-bit kind)
  Upload,      // upload N       raise upload progress N (0 to 255)
  Monitored,   // monitored 0|1
  Profile,     // profile C M I  set the three settings flags, then raise settings-changed
  Updated,     // updated
  Notify,      // notify TEXT...
  Shutdown,    // shutdown       ask the client to close
  Calls,       // calls          list every call the service has received
  Help,        // help
};

struct ControlCommand {
  CommandKind kind = CommandKind::Help;
  std::uint32_t value = 0;         // Connection, Recording, Upload, Monitored
  bool allowRecordingControl = false;  // Profile
  bool allowComments = false;
  bool showTrayIcon = false;
  std::string text;                // Notify
};

// What the simulator answers to a command: the answer text, or why it refused.
struct Answer {
  bool ok = false;
  std::string text;
};

struct ParsedCommand {
  bool ok = false;
  ControlCommand command;
  std::string error;  // why the line was refused, for the answer
};

// The longest line the pipe accepts, in bytes (line break not counted).
constexpr std::size_t kMaxCommandLength = 1024;

// Parses one line; a single trailing line break is allowed.
ParsedCommand ParseControlCommand(const std::string& line);

// Whether the command raises an event (and so needs a started service).
bool RaisesEvent(CommandKind kind);

// The answer to `help`.
std::string ControlHelpText();

// Makes an argument fit on one line of the `calls` answer: backslash, line breaks, tabs and
// other control characters become escapes (\\, \n, \r, \t, \xHH).
std::string EscapeForOneLine(const std::string& text);

}  // namespace korvex
