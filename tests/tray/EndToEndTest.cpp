// The whole client end to end: the real Sivrel.exe with the Korvex simulator under Wine, driven
// from outside as a user and the service would: through the simulator's control pipe and
// through window messages to the client's windows.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "korvex/ControlCommand.h"
#include "korvex/PipeClient.h"
#include "korvex/PipeProtocol.h"
#include "res/resource.h"
#include "tools/WinTestSupport.h"

namespace {

using wintest::ChildProcess;

constexpr DWORD kTimeoutMs = 20000;
const char kFrameClassPrefix[] = "Sivrel:";

// Polls another process's state: there is nothing to wait on but its process handle.
bool WaitFor(const ChildProcess& process, const std::function<bool()>& done,
             DWORD timeoutMs = kTimeoutMs) {
  const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
  while (!done()) {
    if (::GetTickCount64() >= deadline) return false;
    if (::WaitForSingleObject(process.Handle(), 20) == WAIT_OBJECT_0) return done();
  }
  return true;
}

class Client {
 public:
  explicit Client(const std::string& pipeName) : pipeName_(pipeName) {}

  bool Start() {
    // The simulator takes its pipe name from the environment it inherits; no scenario.
    ::SetEnvironmentVariableA(korvex::kPipeNameVariable, pipeName_.c_str());
    ::SetEnvironmentVariableA("KORVEX_SCENARIO", nullptr);
    if (!process.Start(wintest::BinDir() + "Sivrel.exe", "")) return false;
    frame = wintest::WaitForProcessWindow(process, kFrameClassPrefix, kTimeoutMs);
    if (!frame) return false;
    // The comments window: the frame's hidden dialog.
    WaitFor(process, [&] {
      for (HWND w : wintest::ProcessWindows(process.Id(), "#32770")) {
        if (::GetDlgItem(w, IDC_START_SUBMIT)) comments = w;
      }
      return comments != nullptr;
    });
    return comments != nullptr;
  }

  // One control command; the simulator's answer text, or "ERROR ..." when refused.
  std::string Control(const std::string& line) {
    std::string path, error, reply;
    korvex::ControlPipePath(pipeName_.c_str(), &path, &error);
    if (korvex::SendToPipe(path, line, 10000, &reply, &error) != korvex::SendResult::Replied) {
      return "NO ANSWER " + error;
    }
    korvex::Answer answer;
    if (!korvex::DecodeReply(reply, &answer)) return "GARBLED";
    return answer.ok ? answer.text : "ERROR " + answer.text;
  }

  std::vector<std::string> Calls() {
    std::vector<std::string> lines;
    std::istringstream in(Control("calls"));
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }

  bool CallsContain(const std::string& prefix) {
    for (const std::string& line : Calls()) {
      if (line.rfind(prefix, 0) == 0) return true;
    }
    return false;
  }

  bool Shown(int controlId) {
    HWND control = ::GetDlgItem(comments, controlId);
    return control && (::GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0;
  }

  // A click on one of the comments window's buttons, as the button reports it to its dialog.
  void Click(int controlId) {
    ::SendMessageA(comments, WM_COMMAND, MAKEWPARAM(controlId, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(comments, controlId)));
  }

  void Command(UINT id) { ::PostMessageA(frame, WM_COMMAND, id, 0); }

  ChildProcess process;
  HWND frame = nullptr;
  HWND comments = nullptr;

 private:
  std::string pipeName_;
};

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string PipeName(const char* test) {
  return std::string("sivrel-e2e-") + test + "-" + std::to_string(::GetCurrentProcessId());
}

TEST(EndToEnd, RecordingCommentUploadRestartAndExit) {
  Client client(PipeName("main"));
  ASSERT_TRUE(client.Start()) << "Sivrel.exe did not come up with its frame and comments window";
  // The simulator connects, authorises and reports monitored by itself after Start.
  ASSERT_TRUE(WaitFor(client.process, [&] { return client.CallsContain("Start"); }));

  // The user opens the comments window from the tray (a double click on the icon).
  const UINT trayMessage = ::RegisterWindowMessageA("WM_TRAYICON");
  ::PostMessageA(client.frame, trayMessage, IDR_TRAYMENU, WM_LBUTTONDBLCLK);
  ASSERT_TRUE(WaitFor(client.process, [&] { return ::IsWindowVisible(client.comments) != FALSE; }));
  EXPECT_TRUE(client.Shown(IDC_START_SUBMIT));

  // Start from the comments window: the service gets a well-formed id.
  client.Click(IDC_START_SUBMIT);
  ASSERT_TRUE(WaitFor(client.process, [&] { return client.CallsContain("StartRecording "); }));
  std::string id;
  for (const std::string& line : client.Calls()) {
    if (line.rfind("StartRecording ", 0) == 0) id = line.substr(15);
  }
  EXPECT_TRUE(std::regex_match(id, std::regex("[0-9]{8}T[0-9]{6}"))) << id;

  // Connected and authorised (the simulator's own sequence): the comment box is offered.
  ASSERT_TRUE(WaitFor(client.process, [&] { return client.Shown(IDC_COMMENT); }))
      << "the connection sequence never made the service ready";
  // The connection drops: box and button go; it comes back: they return. The client's thread
  // shows or hides them one after the other, so both are waited for: between the two calls this
  // process can see one changed and the other not yet.
  EXPECT_EQ(client.Control("connection 0"), "raised connection state 0");
  EXPECT_TRUE(WaitFor(client.process, [&] {
    return !client.Shown(IDC_COMMENT) && !client.Shown(IDC_START_SUBMIT);
  })) << "comment box or Submit still shown without a connection";
  client.Control("connection 1");
  client.Control("connection 3");
  ASSERT_TRUE(WaitFor(client.process, [&] {
    return client.Shown(IDC_COMMENT) && client.Shown(IDC_START_SUBMIT);
  }));

  // A comment typed and submitted arrives in the service's log.
  HWND box = ::GetDlgItem(client.comments, IDC_COMMENT);
  ::SendMessageA(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Customer asked for a callback."));
  client.Click(IDC_START_SUBMIT);
  ASSERT_TRUE(WaitFor(client.process,
                      [&] { return client.CallsContain("AddComment Customer asked for a callback."); }));
  char temp[MAX_PATH] = "";
  ::GetTempPathA(MAX_PATH, temp);
  const std::string log = ReadFile(std::string(temp) + "Korvex-comments.txt");
  EXPECT_NE(log.find("recording " + id), std::string::npos) << log;
  EXPECT_NE(log.find("Customer asked for a callback."), std::string::npos) << log;

  // Upload display: in progress, then done (above 100 counts as done).
  client.Control("upload 40");
  ASSERT_TRUE(WaitFor(client.process, [&] { return client.Shown(IDC_UPLOADING); }));
  client.Control("upload 250");
  EXPECT_TRUE(WaitFor(client.process, [&] {
    return client.Shown(IDC_UPLOADED) && !client.Shown(IDC_UPLOADING);
  })) << "the upload did not end as done";

  // Restart: the service is stopped and started again, the window returns to its idle look.
  const size_t starts = [&] {
    size_t n = 0;
    for (const std::string& line : client.Calls()) n += line == "Start";
    return n;
  }();
  client.Command(ID_TRAY_RESTART);
  ASSERT_TRUE(WaitFor(client.process, [&] {
    size_t n = 0;
    for (const std::string& line : client.Calls()) n += line == "Start";
    return n == starts + 1;
  }));
  EXPECT_TRUE(WaitFor(client.process, [&] { return !client.Shown(IDC_STOP); }));

  // Exit from the menu: the service is stopped and the process ends with code 1.
  client.Command(ID_TRAY_EXIT);
  DWORD code = 0;
  ASSERT_TRUE(client.process.Wait(kTimeoutMs, &code));
  EXPECT_EQ(code, 1u);
}

TEST(EndToEnd, TheServicesShutdownRequestClosesTheClient) {
  Client client(PipeName("shutdown"));
  ASSERT_TRUE(client.Start());
  ASSERT_TRUE(WaitFor(client.process, [&] { return client.CallsContain("Start"); }));
  // A storm of events first: the client keeps up and still obeys the request after it.
  for (int i = 0; i < 200; ++i) {
    client.Control("monitored " + std::to_string(i % 2));
    client.Control("connection " + std::to_string(i % 4));
    if (i % 20 == 0) client.Control("notify storm " + std::to_string(i));
  }
  EXPECT_EQ(client.Control("shutdown"), "raised shutdown");
  DWORD code = 0;
  ASSERT_TRUE(client.process.Wait(kTimeoutMs, &code)) << "the client did not close";
  EXPECT_EQ(code, 1u);
}

}  // namespace
