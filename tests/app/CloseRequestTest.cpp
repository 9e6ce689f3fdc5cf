// The package's request to close (app/CloseRequest.h), heard by the real Sivrel.exe: a file of that
// name appearing in the client's folder, or there when it starts, ends the client as Exit does,
// its recorder service stopped first. Each case runs a copy of the program and the simulator in a
// folder of its own, which the simulator's call log (KORVEX_CALL_LOG) shares.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/CloseRequest.h"
#include "tools/WinTestSupport.h"

namespace {

using wintest::ChildProcess;

constexpr DWORD kTimeoutMs = 20000;
const char kCallLogVariable[] = "KORVEX_CALL_LOG";

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

class CloseRequest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, temp);
    folder_ = std::string(temp) + "sivrel-close-request-" + std::to_string(::GetCurrentProcessId());
    ASSERT_TRUE(::CreateDirectoryA(folder_.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS);
    for (const char* name : {"Sivrel.exe", "Korvex.dll"}) {
      ASSERT_TRUE(::CopyFileA((wintest::BinDir() + name).c_str(), (folder_ + "\\" + name).c_str(), FALSE)) << name;
    }
    ::SetEnvironmentVariableA(kCallLogVariable, callLog().c_str());
  }

  void TearDown() override {
    client_.Kill();
    ::SetEnvironmentVariableA(kCallLogVariable, nullptr);
    for (const std::string& file : {std::string("Sivrel.exe"), std::string("Korvex.dll"),
                                    std::string(kCloseRequestFileName), std::string("calls.txt")}) {
      ::DeleteFileA((folder_ + "\\" + file).c_str());
    }
    ::RemoveDirectoryA(folder_.c_str());
  }

  std::string callLog() const { return folder_ + "\\calls.txt"; }
  bool Request() const {
    const HANDLE file = ::CreateFileA((folder_ + "\\" + kCloseRequestFileName).c_str(), GENERIC_WRITE, 0, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    ::CloseHandle(file);
    return true;
  }
  bool StartClient() { return client_.Start(folder_ + "\\Sivrel.exe", ""); }
  bool CallLogHas(const std::string& call) const {
    for (const std::string& line : ReadLines(callLog())) {
      if (line == call) return true;
    }
    return false;
  }

  std::string folder_;
  ChildProcess client_;
};

TEST_F(CloseRequest, ARunningClientStopsItsServiceAndEndsWithOne) {
  ASSERT_TRUE(StartClient());
  ASSERT_NE(wintest::WaitForProcessWindow(client_, "Sivrel:", kTimeoutMs), nullptr);
  // The frame starts the service once its window exists.
  ASSERT_TRUE(wintest::PumpUntil([&] { return CallLogHas("Start"); }, kTimeoutMs)) << "the service never started";
  ASSERT_TRUE(Request());
  DWORD code = 0;
  ASSERT_TRUE(client_.Wait(kTimeoutMs, &code)) << "the client did not hear the request";
  EXPECT_EQ(code, 1u);
  const std::vector<std::string> calls = ReadLines(callLog());
  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls[calls.size() - 2], "Stop") << "the service was not stopped before it was released";
  EXPECT_EQ(calls.back(), "Release");
}

// A client that starts while the package is closing clients (a user signing in meanwhile) closes
// at once: its files are about to be replaced too.
TEST_F(CloseRequest, AClientStartedWhileTheRequestIsThereEndsAtOnceWithOne) {
  ASSERT_TRUE(Request());
  ASSERT_TRUE(StartClient());
  DWORD code = 0;
  ASSERT_TRUE(client_.Wait(kTimeoutMs, &code)) << "the client did not see the request";
  EXPECT_EQ(code, 1u);
}

}  // namespace
