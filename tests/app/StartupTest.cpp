// Start-up and shut-down of the real Sivrel.exe, driven from outside as the system would.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tools/WinTestSupport.h"

namespace {

using wintest::ChildProcess;

constexpr DWORD kTimeoutMs = 20000;
const char kFrameClassPrefix[] = "Sivrel:";

struct LaunchCase {
  const char* arguments;
  WORD showCommand;
};

class StartupTest : public ::testing::TestWithParam<LaunchCase> {};

// Whatever command line and show command it is given, the program shows no window, and a close
// request to its frame ends it with exit code 1.
TEST_P(StartupTest, HiddenFrameAndExitCodeOneAfterClose) {
  ChildProcess sivrel;
  ASSERT_TRUE(sivrel.Start(wintest::BinDir() + "Sivrel.exe", GetParam().arguments,
                           GetParam().showCommand));
  HWND frame = wintest::WaitForProcessWindow(sivrel, kFrameClassPrefix, kTimeoutMs);
  ASSERT_NE(frame, nullptr) << "the frame window did not appear";
  EXPECT_FALSE(::IsWindowVisible(frame));
  for (HWND w : wintest::ProcessWindows(sivrel.Id())) {
    EXPECT_FALSE(::IsWindowVisible(w)) << "visible window of class " << wintest::ClassName(w);
  }
  ::PostMessageA(frame, WM_CLOSE, 0, 0);
  DWORD code = 0;
  ASSERT_TRUE(sivrel.Wait(kTimeoutMs, &code)) << "Sivrel.exe did not end after WM_CLOSE";
  EXPECT_EQ(code, 1u);
}

INSTANTIATE_TEST_SUITE_P(AnyCommandLine, StartupTest,
                         ::testing::Values(LaunchCase{"", SW_SHOWNORMAL},
                                           LaunchCase{"/open --show \"C:\\some file.txt\"", SW_SHOWMAXIMIZED},
                                           LaunchCase{"-minimized", SW_SHOWMINNOACTIVE},
                                           LaunchCase{"", SW_SHOW}));

TEST(Startup, FrameCreationFailureExitsWithZeroAndShowsNothing) {
  ChildProcess sivrel;
  ASSERT_TRUE(sivrel.Start(wintest::BinDir() + "SivrelFrameFails.exe", ""));
  DWORD code = 99;
  ASSERT_TRUE(sivrel.Wait(kTimeoutMs, &code));
  EXPECT_EQ(code, 0u);
}

// A service library that hands out no object: a clear message, then exit code 2.
TEST(Startup, MissingServiceObjectIsReportedAndExitsWithTwo) {
  ChildProcess sivrel;
  ASSERT_TRUE(sivrel.Start(wintest::BinDir() + "noservice\\Sivrel.exe", ""));
  // The box's window exists a moment before its caption and text are filled in.
  HWND box = nullptr;
  const ULONGLONG deadline = ::GetTickCount64() + kTimeoutMs;
  while (!box && ::GetTickCount64() < deadline &&
         ::WaitForSingleObject(sivrel.Handle(), 25) == WAIT_TIMEOUT) {
    for (HWND w : wintest::ProcessWindows(sivrel.Id(), "#32770")) {
      if (wintest::WindowText(w) == "Sivrel" && ::IsWindowVisible(w)) box = w;
    }
  }
  ASSERT_NE(box, nullptr) << "no message box titled Sivrel appeared";
  std::string text;
  for (HWND child = ::GetWindow(box, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    text += wintest::WindowText(child) + "\n";
  }
  EXPECT_NE(text.find("Korvex.dll"), std::string::npos) << text;
  EXPECT_NE(text.find("recorder service"), std::string::npos) << text;
  EXPECT_TRUE(wintest::ProcessWindows(sivrel.Id(), kFrameClassPrefix).empty())
      << "no frame is created without a service";

  ::PostMessageA(box, WM_COMMAND, IDOK, 0);
  DWORD code = 0;
  ASSERT_TRUE(sivrel.Wait(kTimeoutMs, &code));
  EXPECT_EQ(code, 2u);
}

}  // namespace
