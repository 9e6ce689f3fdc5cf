// The simulator's control language, its scenario files and the pipe's reply format.
#include <gtest/gtest.h>

#include "korvex/ControlCommand.h"
#include "korvex/PipeProtocol.h"
#include "korvex/Scenario.h"

using korvex::CommandKind;
using korvex::ParseControlCommand;

TEST(ControlCommand, AcceptsEveryCommandWithItsValues) {
  auto p = ParseControlCommand("connection 3\n");
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.command.kind, CommandKind::Connection);
  EXPECT_EQ(p.command.value, 3u);
  // Any 32-bit value: out-of-range states are the point of some tests.
  EXPECT_EQ(ParseControlCommand("connection 4294967295").command.value, 4294967295u);
  EXPECT_EQ(ParseControlCommand("recording -1").command.value, 4294967295u);
  EXPECT_EQ(ParseControlCommand("recording -2147483648").command.value, 2147483648u);
  EXPECT_EQ(ParseControlCommand("  recording\t9  ").command.value, 9u);
  EXPECT_EQ(ParseControlCommand("upload 255\r\n").command.value, 255u);
  EXPECT_EQ(ParseControlCommand("monitored 1").command.value, 1u);
  p = ParseControlCommand("profile 1 0 1");
  ASSERT_TRUE(p.ok);
  EXPECT_TRUE(p.command.allowRecordingControl);
  EXPECT_FALSE(p.command.allowComments);
  EXPECT_TRUE(p.command.showTrayIcon);
  p = ParseControlCommand("notify   Your  recording was   saved.");
  ASSERT_TRUE(p.ok);
  EXPECT_EQ(p.command.text, "Your  recording was   saved.");
  for (const char* bare : {"updated", "shutdown", "calls", "help"})
    EXPECT_TRUE(ParseControlCommand(bare).ok) << bare;
  EXPECT_FALSE(korvex::RaisesEvent(CommandKind::Calls));
  EXPECT_FALSE(korvex::RaisesEvent(CommandKind::Help));
  EXPECT_TRUE(korvex::RaisesEvent(CommandKind::Shutdown));
}

TEST(ControlCommand, RefusesBadLinesWithAReason) {
  struct Case {
    const char* line;
    const char* reason;
  };
  const Case cases[] = {
      {"", "empty"},
      {"   ", "empty"},
      {"connect 3", "unknown command 'connect'"},
      {"Connection 3", "unknown command"},
      {"connection", "usage: connection N"},
      {"connection 1 2", "usage: connection N"},
      {"connection 4294967296", "not a 32-bit value"},
      {"connection -2147483649", "not a 32-bit value"},
      {"connection 0x10", "not a 32-bit value"},
      {"connection 99999999999999999999", "not a 32-bit value"},
      {"recording +1", "not a 32-bit value"},
      {"recording -", "not a 32-bit value"},
      {"upload 256", "out of range"},
      {"upload -1", "out of range"},
      {"monitored 2", "neither 0 nor 1"},
      {"monitored 01", "neither 0 nor 1"},
      {"profile 1 0", "usage: profile C M I"},
      {"profile 1 0 2", "neither 0 nor 1"},
      {"notify", "usage: notify"},
      {"notify   ", "usage: notify"},
      {"updated now", "takes no arguments"},
      {"calls all", "takes no arguments"},
      {"notify one\ntwo", "control character"},
      {"notify a\rb", "control character"},
  };
  for (const Case& c : cases) {
    const auto parsed = ParseControlCommand(c.line);
    EXPECT_FALSE(parsed.ok) << c.line;
    EXPECT_NE(parsed.error.find(c.reason), std::string::npos) << c.line << " -> " << parsed.error;
  }
  EXPECT_FALSE(ParseControlCommand(std::string("notify a\0b", 10)).ok);
  const std::string longest = "notify " + std::string(korvex::kMaxCommandLength - 7, 'x');
  EXPECT_TRUE(ParseControlCommand(longest).ok);
  const auto tooLong = ParseControlCommand(longest + "x");
  EXPECT_FALSE(tooLong.ok);
  EXPECT_NE(tooLong.error.find("too long"), std::string::npos);
}

TEST(ControlCommand, EscapesArgumentsOntoOneLine) {
  EXPECT_EQ(korvex::EscapeForOneLine("first line\r\nsecond\tline"), "first line\\r\\nsecond\\tline");
  EXPECT_EQ(korvex::EscapeForOneLine("C:\\path"), "C:\\\\path");
  EXPECT_EQ(korvex::EscapeForOneLine(std::string("a\0\x1b\x7f", 4)), "a\\x00\\x1B\\x7F");
  EXPECT_EQ(korvex::EscapeForOneLine("caf\xe9 ok"), "caf\xe9 ok");  // ANSI text stays as it is
}

TEST(Scenario, PlaysCommandsAtTheSumOfTheWaitsAndReportsBadLines) {
  const auto scenario = korvex::ParseScenario(
      "# a demonstration\n"
      "\n"
      "wait 2000\n"
      "notify Hello\r\n"
      "recording 1\n"
      "wait 1500\n"
      "  upload 300\n"      // out of range: skipped
      "wait soon\n"         // not a number: skipped
      "calls\n"             // a question, not an event: skipped
      "wait 3600001\n"      // over an hour: skipped
      "profile 1 1 0\n",
      "demo.txt");
  ASSERT_EQ(scenario.steps.size(), 3u);
  EXPECT_EQ(scenario.steps[0].atMs, 2000u);
  EXPECT_EQ(scenario.steps[0].command.text, "Hello");
  EXPECT_EQ(scenario.steps[1].atMs, 2000u);
  EXPECT_EQ(scenario.steps[1].command.kind, CommandKind::Recording);
  EXPECT_EQ(scenario.steps[2].atMs, 3500u);
  EXPECT_EQ(scenario.steps[2].command.kind, CommandKind::Profile);
  ASSERT_EQ(scenario.errors.size(), 4u);
  EXPECT_EQ(scenario.errors[0].rfind("demo.txt:7: ", 0), 0u) << scenario.errors[0];
  EXPECT_EQ(scenario.errors[1].rfind("demo.txt:8: ", 0), 0u) << scenario.errors[1];
  EXPECT_EQ(scenario.errors[2].rfind("demo.txt:9: ", 0), 0u) << scenario.errors[2];
  EXPECT_EQ(scenario.errors[3].rfind("demo.txt:10: ", 0), 0u) << scenario.errors[3];
}

TEST(Scenario, MissingFileIsOneClearError) {
  const auto scenario = korvex::LoadScenarioFile("/nonexistent/korvex-scenario.txt");
  EXPECT_TRUE(scenario.steps.empty());
  ASSERT_EQ(scenario.errors.size(), 1u);
  EXPECT_NE(scenario.errors[0].find("cannot open"), std::string::npos);
}

TEST(Scenario, TheDemonstrationScenarioIsValid) {
  const auto scenario = korvex::LoadScenarioFile(KORVEX_SCENARIO_DIR "/demo.txt");
  EXPECT_TRUE(scenario.errors.empty()) << scenario.errors.front();
  EXPECT_GE(scenario.steps.size(), 2u);
}

TEST(PipeProtocol, RepliesRoundTripAndGarbleIsRecognised) {
  korvex::Answer answer;
  ASSERT_TRUE(korvex::DecodeReply(korvex::EncodeReply({true, "a\nb"}), &answer));
  EXPECT_TRUE(answer.ok);
  EXPECT_EQ(answer.text, "a\nb");
  ASSERT_TRUE(korvex::DecodeReply(korvex::EncodeReply({false, "no"}), &answer));
  EXPECT_FALSE(answer.ok);
  EXPECT_EQ(answer.text, "no");
  EXPECT_FALSE(korvex::DecodeReply("okay", &answer));
  EXPECT_FALSE(korvex::DecodeReply("fine\ntext", &answer));
}

// Each session's simulator has a pipe of its own; an explicit name is taken as it is, in any
// session.
TEST(PipeProtocol, ThePipeIsTheSessionsOwnUnlessNamed) {
  std::string path, error;
  ASSERT_TRUE(korvex::ControlPipePath(nullptr, 1, &path, &error));
  EXPECT_EQ(path, "\\\\.\\pipe\\korvex-simulator.session1");
  ASSERT_TRUE(korvex::ControlPipePath("", 0, &path, &error));
  EXPECT_EQ(path, "\\\\.\\pipe\\korvex-simulator.session0");
  ASSERT_TRUE(korvex::ControlPipePath(nullptr, 4294967295u, &path, &error));
  EXPECT_EQ(path, "\\\\.\\pipe\\korvex-simulator.session4294967295");
  ASSERT_TRUE(korvex::ControlPipePath("test-42_a.b", 1, &path, &error));
  EXPECT_EQ(path, "\\\\.\\pipe\\test-42_a.b");
  ASSERT_TRUE(korvex::ControlPipePath("test-42_a.b", 2, &path, &error));
  EXPECT_EQ(path, "\\\\.\\pipe\\test-42_a.b");
  EXPECT_FALSE(korvex::ControlPipePath("..\\other", 1, &path, &error));
  EXPECT_NE(error.find("KORVEX_PIPE"), std::string::npos);
  EXPECT_FALSE(korvex::ControlPipePath(std::string(101, 'a').c_str(), 1, &path, &error));
}
