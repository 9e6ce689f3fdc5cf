// The stand-in Korvex.dll through its real boundary: GetService imported by name, events raised
// on the simulator's threads, and its control pipe driven by korvexctl.exe and by raw clients.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "EventRecorder.h"
#include "korvex/PipeClient.h"
#include "korvex/PipeProtocol.h"
#include "korvex/PipeServer.h"
#include "service/GetService.h"
#include "SivrelVersion.h"

using sivrel_test::EventRecorder;
using Texts = std::vector<std::string>;

namespace {

struct ToolRun {
  DWORD exitCode = 0;
  std::string out;
  std::string err;
};

std::string ProgramFolder() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of("\\/") + 1);
}

std::string TempFile(const std::string& name) {
  char folder[MAX_PATH];
  GetTempPathA(MAX_PATH, folder);
  return std::string(folder) + name + "-" + std::to_string(GetCurrentProcessId()) + ".txt";
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// This process's own pipe name, inherited by the korvexctl processes it starts, so that the
// suite never meets a simulator of some other process.
std::string UsePrivatePipe() {
  const std::string name = "korvex-test-" + std::to_string(GetCurrentProcessId());
  SetEnvironmentVariableA(korvex::kPipeNameVariable, name.c_str());
  return "\\\\.\\pipe\\" + name;
}

// A pipe whose write end the child inherits; a thread drains the read end until the child and
// every copy of the write end are gone, so a talkative child never blocks on a full pipe.
class OutputCollector {
 public:
  OutputCollector() {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    CreatePipe(&read_, &write_, &inherit, 0);
    SetHandleInformation(read_, HANDLE_FLAG_INHERIT, 0);
    reader_ = std::thread([this] {
      char buffer[4096];
      DWORD got = 0;
      while (ReadFile(read_, buffer, sizeof buffer, &got, nullptr) && got > 0) text_.append(buffer, got);
    });
  }
  HANDLE WriteEnd() const { return write_; }
  // Once the child has been started: the parent's copy of the write end must go, or the reader
  // would never see the end.
  void CloseWriteEnd() {
    if (write_) CloseHandle(write_);
    write_ = nullptr;
  }
  // The collected text, console line ends made plain.
  std::string Finish() {
    CloseWriteEnd();
    reader_.join();
    CloseHandle(read_);
    std::string plain;
    for (std::size_t i = 0; i < text_.size(); ++i)
      if (!(text_[i] == '\r' && i + 1 < text_.size() && text_[i + 1] == '\n')) plain += text_[i];
    return plain;
  }

 private:
  HANDLE read_ = nullptr;
  HANDLE write_ = nullptr;
  std::string text_;
  std::thread reader_;
};

// Runs korvexctl.exe with `arguments` and collects its exit code and output.
ToolRun RunTool(const std::string& arguments) {
  OutputCollector out, err;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = out.WriteEnd();
  startup.hStdError = err.WriteEnd();
  PROCESS_INFORMATION process{};
  std::string command = "\"" + ProgramFolder() + "korvexctl.exe\" " + arguments;
  ToolRun run;
  const BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
  out.CloseWriteEnd();
  err.CloseWriteEnd();
  if (!started) {
    run.exitCode = 0xDEAD;
  } else {
    if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
      TerminateProcess(process.hProcess, 0xBAD);
      WaitForSingleObject(process.hProcess, INFINITE);
    }
    GetExitCodeProcess(process.hProcess, &run.exitCode);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  run.out = out.Finish();
  run.err = err.Finish();
  if (!started) run.err = "could not start korvexctl.exe";
  return run;
}

int ThreadsOfThisProcess() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  int count = 0;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
    count += entry.th32OwnerProcessID == GetCurrentProcessId();
  CloseHandle(snapshot);
  return count;
}

class KorvexDll : public ::testing::Test {
 protected:
  void SetUp() override {
    pipe = UsePrivatePipe();
    service = GetService();
    ASSERT_NE(service, nullptr);
    events.SubscribeTo(*service);
  }
  void TearDown() override {
    if (service) service->Release();
  }
  void StartAndConnect() {
    service->Start();
    ASSERT_TRUE(events.WaitFor("monitored 1"));
  }
  korvex::Answer Raw(const std::string& request) {
    std::string reply, error;
    korvex::Answer answer{false, "no reply"};
    if (korvex::SendToPipe(pipe, request, 10000, &reply, &error) != korvex::SendResult::Replied)
      return korvex::Answer{false, "exchange failed: " + error};
    if (!korvex::DecodeReply(reply, &answer)) answer = korvex::Answer{false, "garbled: " + reply};
    return answer;
  }

  std::string pipe;
  vesk::IServiceControl* service = nullptr;
  EventRecorder events;
};

}  // namespace

TEST_F(KorvexDll, ServiceStartsWithItsSettingsVersionAndCommentFile) {
  const vesk::ServiceSettings* settings = service->GetSettings();
  EXPECT_TRUE(settings->allowRecordingControl);
  EXPECT_TRUE(settings->allowComments);
  EXPECT_TRUE(settings->showTrayIcon);
  EXPECT_STREQ(service->GetVersion(), SIVREL_VERSION_TEXT);
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  EXPECT_EQ(std::string(service->GetTextFilePath()), std::string(temp) + "Korvex-comments.txt");
  EXPECT_EQ(GetFileAttributesA(service->GetTextFilePath()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST_F(KorvexDll, NothingIsRaisedBeforeStartThenTheConnectionStepsOnItsOwnThreads) {
  const ToolRun early = RunTool("connection 3");
  EXPECT_EQ(early.exitCode, 1u);
  EXPECT_NE(early.err.find("stopped"), std::string::npos) << early.err;
  EXPECT_EQ(events.Count(), 0u);
  StartAndConnect();
  EXPECT_EQ(events.Texts(), (Texts{"connection 0", "connection 1", "connection 3", "monitored 1"}));
  for (const auto& e : events.Events()) EXPECT_NE(e.thread, std::this_thread::get_id());
}

TEST_F(KorvexDll, ControlToolRaisesEveryEventBeforeItExits) {
  StartAndConnect();
  events.Clear();
  struct Step {
    const char* arguments;
    const char* event;
  };
  const Step steps[] = {
      {"connection 4294967295", "connection 4294967295"},
      {"connection 2", "connection 2"},
      {"recording 9", "recording 9"},
      {"upload 255", "upload 255"},
      {"monitored 0", "monitored 0"},
      {"profile 0 1 0", "settings"},
      {"updated", "updated"},
      {"notify Your   recording was saved.", "notification Your recording was saved."},
      {"shutdown", "shutdown"},
  };
  for (const Step& step : steps) {
    const ToolRun run = RunTool(step.arguments);
    EXPECT_EQ(run.exitCode, 0u) << step.arguments << ": " << run.err;
    EXPECT_TRUE(run.err.empty()) << run.err;
    ASSERT_FALSE(events.Texts().empty()) << step.arguments;
    EXPECT_EQ(events.Texts().back(), step.event);
  }
  EXPECT_FALSE(service->GetSettings()->allowRecordingControl);
  EXPECT_TRUE(service->GetSettings()->allowComments);
  EXPECT_FALSE(service->GetSettings()->showTrayIcon);
  const ToolRun help = RunTool("help");
  EXPECT_EQ(help.exitCode, 0u);
  EXPECT_NE(help.out.find("notify TEXT"), std::string::npos);
}

TEST_F(KorvexDll, BadCommandsGetAClearErrorAndChangeNothing) {
  StartAndConnect();
  const std::size_t before = events.Count();
  const std::string callsBefore = RunTool("calls").out;

  struct Case {
    const char* arguments;
    const char* reason;
  };
  for (const Case& c : {Case{"explode", "unknown command"}, Case{"upload 256", "out of range"},
                        Case{"connection 4294967296", "32-bit"}, Case{"monitored yes", "0 nor 1"},
                        Case{"profile 1 1", "usage"}}) {
    const ToolRun run = RunTool(c.arguments);
    EXPECT_EQ(run.exitCode, 1u) << c.arguments;
    EXPECT_NE(run.err.find(c.reason), std::string::npos) << c.arguments << ": " << run.err;
    EXPECT_TRUE(run.out.empty());
  }
  const ToolRun usage = RunTool("");
  EXPECT_EQ(usage.exitCode, 2u);
  EXPECT_NE(usage.err.find("usage: korvexctl"), std::string::npos);

  // Straight into the pipe, past korvexctl's own checks.
  auto refused = Raw(std::string(5000, 'x'));
  EXPECT_FALSE(refused.ok);
  EXPECT_NE(refused.text.find("too long"), std::string::npos) << refused.text;
  refused = Raw("notify one\ntwo");
  EXPECT_FALSE(refused.ok);
  EXPECT_NE(refused.text.find("malformed"), std::string::npos) << refused.text;
  refused = Raw(std::string("upd\0ated", 8));
  EXPECT_FALSE(refused.ok);
  refused = Raw(std::string("\xff\xfe\x01\x02", 4));
  EXPECT_FALSE(refused.ok);
  refused = Raw("");
  EXPECT_FALSE(refused.ok);

  EXPECT_EQ(events.Count(), before);
  EXPECT_EQ(RunTool("calls").out, callsBefore);
  EXPECT_TRUE(service->GetSettings()->showTrayIcon);
}

TEST_F(KorvexDll, ASilentClientDoesNotStallTheServiceOrItsPipe) {
  StartAndConnect();
  // Connects, sends nothing, never reads: the pipe must give up on it and serve the next one.
  HANDLE silent = CreateFileA(pipe.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(silent, INVALID_HANDLE_VALUE);
  const ToolRun run = RunTool("updated");
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(events.Texts().back(), "updated");
  CloseHandle(silent);
  // And one that sends a command and hangs up without reading the answer.
  HANDLE rude = CreateFileA(pipe.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(rude, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(rude, "monitored 0", 11, &written, nullptr);
  CloseHandle(rude);
  EXPECT_TRUE(events.WaitFor("monitored 0"));
  EXPECT_EQ(RunTool("upload 7").exitCode, 0u);
  EXPECT_EQ(events.Texts().back(), "upload 7");
}

TEST_F(KorvexDll, RecordingCallsRaiseTheirStatesAndCommentsReachTheLog) {
  StartAndConnect();
  events.Clear();
  const std::string id = "20261207T093005";
  service->StartRecording(id);
  ASSERT_TRUE(events.WaitFor("recording 1"));
  service->PauseRecording();
  ASSERT_TRUE(events.WaitFor("recording 3"));
  service->ResumeRecording();
  ASSERT_TRUE(events.WaitFor("recording 4"));
  const std::string comment = "first line\r\nsecond line " + std::to_string(GetTickCount());
  service->AddComment(comment);
  service->StopRecording(id);
  ASSERT_TRUE(events.WaitFor("upload 100", 20));
  const Texts texts = events.Texts();
  EXPECT_EQ(Texts(texts.begin(), texts.begin() + 5),
            (Texts{"recording 1", "recording 3", "recording 4", "recording 0", "upload 0"}));
  EXPECT_EQ(texts.size(), 15u);  // four states, then eleven upload steps, 0 to 100

  const std::string log = ReadWholeFile(service->GetTextFilePath());
  EXPECT_NE(log.find("recording " + id + "\r\n    first line\r\n    " + comment.substr(12)),
            std::string::npos);
  const ToolRun calls = RunTool("calls");
  EXPECT_EQ(calls.exitCode, 0u);
  EXPECT_NE(calls.out.find("StartRecording " + id + "\nPauseRecording\nResumeRecording\n"
                           "AddComment first line\\r\\nsecond line "),
            std::string::npos)
      << calls.out;
  EXPECT_EQ(calls.out.rfind("SubscribeConnectionState\n", 0), 0u);
}

TEST_F(KorvexDll, StopWaitsForACallbackThatIsStillRunning) {
  std::atomic<bool> entered{false}, release{false}, finished{false};
  service->SubscribeMonitored([&](bool) {
    entered = true;
    while (!release) Sleep(1);  // the client's handler, busy
    finished = true;
  });
  service->Start();
  while (!entered) Sleep(1);
  std::atomic<bool> stopped{false}, finishedWhenStopped{false};
  std::thread stopper([&] {
    service->Stop();
    finishedWhenStopped = finished.load();
    stopped = true;
  });
  // Once the simulator answers "stopped", Stop is under way: it must still be waiting.
  for (int i = 0; i < 100 && RunTool("updated").exitCode == 0; ++i) {
  }
  EXPECT_EQ(RunTool("updated").exitCode, 1u);
  EXPECT_FALSE(stopped);
  release = true;
  stopper.join();
  EXPECT_TRUE(finishedWhenStopped);
  // Started again, it raises again.
  service->SubscribeMonitored([&](bool m) { events.Add(std::string("again ") + (m ? "1" : "0")); });
  service->Start();
  EXPECT_TRUE(events.WaitFor("again 1"));
}

TEST_F(KorvexDll, AfterReleaseNoThreadOfTheSimulatorRemainsAndThePipeIsGone) {
  service->Release();
  service = nullptr;
  const int baseline = ThreadsOfThisProcess();
  service = GetService();
  events.SubscribeTo(*service);
  StartAndConnect();
  service->StartRecording("r");
  ASSERT_TRUE(events.WaitFor("recording 1"));
  service->StopRecording("r");  // an upload of three seconds is now pending
  ASSERT_TRUE(events.WaitFor("recording 0"));
  EXPECT_GT(ThreadsOfThisProcess(), baseline);
  service->Release();
  service = nullptr;
  const std::size_t atRelease = events.Count();
  // No thread of the simulator is left to raise anything.
  EXPECT_EQ(ThreadsOfThisProcess(), baseline);
  const ToolRun run = RunTool("updated");
  EXPECT_EQ(run.exitCode, 2u);
  EXPECT_NE(run.err.find("no Korvex simulator is running"), std::string::npos) << run.err;
  EXPECT_EQ(events.Count(), atRelease);
}

TEST_F(KorvexDll, ScenarioFileNamedByTheEnvironmentPlaysFromStart) {
  service->Release();
  const std::string path = TempFile("korvex-scenario");
  {
    std::ofstream file(path, std::ios::binary);
    file << "# test scenario\r\nwait 200\r\nnotify from the scenario\r\nno such command\r\n"
            "wait 100\r\nprofile 1 0 1\r\n";
  }
  SetEnvironmentVariableA("KORVEX_SCENARIO", path.c_str());
  service = GetService();
  SetEnvironmentVariableA("KORVEX_SCENARIO", nullptr);
  events.SubscribeTo(*service);
  service->Start();
  ASSERT_TRUE(events.WaitFor("settings"));
  EXPECT_TRUE(events.WaitFor("notification from the scenario"));
  EXPECT_FALSE(service->GetSettings()->allowComments);
  DeleteFileA(path.c_str());
}

TEST(KorvexControlTool, ReportsClearlyWhenNoSimulatorRuns) {
  UsePrivatePipe();
  ToolRun run = RunTool("calls");
  EXPECT_EQ(run.exitCode, 2u);
  EXPECT_NE(run.err.find("no Korvex simulator is running"), std::string::npos) << run.err;
  SetEnvironmentVariableA(korvex::kPipeNameVariable, "bad\\name");
  run = RunTool("calls");
  EXPECT_EQ(run.exitCode, 2u);
  EXPECT_NE(run.err.find("KORVEX_PIPE"), std::string::npos) << run.err;
  UsePrivatePipe();
}

// One simulator per session: with fast user switching or on a terminal server every session runs
// a client, and so a simulator, of its own. Wine runs a single session, so the other sessions'
// simulators are stood in for by pipes this test serves first under their names (the next
// session's, session 0's or 2's, and the one machine-wide name all simulators once shared), each
// answering who it is. Ours must still serve its own session's pipe, korvexctl (started in this
// session) must reach it and no other, and once ours is gone korvexctl must not turn to another's.
TEST(KorvexSessionPipe, EachSessionsSimulatorServesItsOwnPipeAndTheToolFindsItsSessions) {
  SetEnvironmentVariableA(korvex::kPipeNameVariable, nullptr);
  DWORD session = 0;
  ASSERT_TRUE(ProcessIdToSessionId(GetCurrentProcessId(), &session));
  const std::string own = "\\\\.\\pipe\\korvex-simulator.session" + std::to_string(session);

  struct Other {
    std::string name;
    std::atomic<int> served{0};
    korvex::PipeServer server;
  };
  std::vector<std::unique_ptr<Other>> others;
  for (const std::string& name :
       {std::string("korvex-simulator"), "korvex-simulator.session" + std::to_string(session + 1),
        "korvex-simulator.session" + std::to_string(session == 0 ? 2 : 0)}) {
    others.push_back(std::make_unique<Other>());
    Other& other = *others.back();
    other.name = name;
    std::string error;
    ASSERT_TRUE(other.server.Start("\\\\.\\pipe\\" + name, korvex::kMaxCommandLength,
                                   [&other](const std::string&, bool) {
                                     ++other.served;
                                     return korvex::EncodeReply({true, "answered by " + other.name});
                                   },
                                   &error))
        << name << ": " << error;
  }

  std::unique_ptr<vesk::IServiceControl, void (*)(vesk::IServiceControl*)> service(
      GetService(), [](vesk::IServiceControl* s) { s->Release(); });
  ASSERT_NE(service, nullptr);
  service->GetVersion();
  std::string reply, error;
  ASSERT_EQ(korvex::SendToPipe(own, "calls", 10000, &reply, &error), korvex::SendResult::Replied)
      << "nothing serves " << own << ": " << error;
  korvex::Answer answer;
  ASSERT_TRUE(korvex::DecodeReply(reply, &answer));
  EXPECT_EQ(answer.text, "GetVersion");
  ToolRun run = RunTool("calls");
  EXPECT_EQ(run.exitCode, 0u) << run.err;
  EXPECT_EQ(run.out, "GetVersion\n");

  service.reset();
  run = RunTool("calls");
  EXPECT_EQ(run.exitCode, 2u) << run.out;
  EXPECT_NE(run.err.find("nothing serves " + own + ";"), std::string::npos) << run.err;
  for (const auto& other : others) EXPECT_EQ(other->served, 0) << "korvexctl reached " << other->name;
  UsePrivatePipe();
}
