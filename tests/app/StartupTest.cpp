// Start-up and shut-down of the real Sivrel.exe, driven from outside as the system would.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "NullService.h"
#include "app/SessionInstance.h"
#include "res/resource.h"
#include "tools/WinTestSupport.h"

namespace {

using wintest::ChildProcess;

constexpr DWORD kTimeoutMs = 20000;
const char kFrameClassPrefix[] = "Sivrel:";

// Whether a start loaded the library in bin\noservice (see NullService.h).
class NullServiceLoadProbe {
 public:
  NullServiceLoadProbe() : m_event(::CreateEventA(nullptr, TRUE, FALSE, kNullServiceLoadedEvent)) {}
  ~NullServiceLoadProbe() { ::CloseHandle(m_event); }
  NullServiceLoadProbe(const NullServiceLoadProbe&) = delete;
  NullServiceLoadProbe& operator=(const NullServiceLoadProbe&) = delete;
  bool Loaded() const { return ::WaitForSingleObject(m_event, 0) == WAIT_OBJECT_0; }

 private:
  HANDLE m_event;
};

// The comments window of a running client: the frame's dialog with the Start/Submit button.
HWND CommentsWindow(DWORD pid) {
  for (HWND w : wintest::ProcessWindows(pid, "#32770")) {
    if (::GetDlgItem(w, IDC_START_SUBMIT)) return w;
  }
  return nullptr;
}

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

// Restart Manager may start the client again after an update closed it, with no arguments; not
// after a crash, a hang or a reboot (the Run value starts it at sign-in). Wine keeps no such
// registration (GetApplicationRestartSettings answers E_NOTIMPL): there the case is skipped.
TEST(Startup, RegistersToBeStartedAgainAfterAnUpdateOnly) {
  ChildProcess sivrel;
  ASSERT_TRUE(sivrel.Start(wintest::BinDir() + "Sivrel.exe", ""));
  ASSERT_NE(wintest::WaitForProcessWindow(sivrel, kFrameClassPrefix, kTimeoutMs), nullptr);
  WCHAR commandLine[RESTART_MAX_CMD_LINE] = L"?";
  DWORD size = RESTART_MAX_CMD_LINE, flags = 0;
  const HRESULT result = ::GetApplicationRestartSettings(sivrel.Handle(), commandLine, &size, &flags);
  if (result == E_NOTIMPL) GTEST_SKIP() << "this system keeps no restart registrations";
  EXPECT_EQ(result, S_OK);
  EXPECT_EQ(std::wstring(commandLine), L"");
  EXPECT_EQ(flags, static_cast<DWORD>(RESTART_NO_CRASH | RESTART_NO_HANG | RESTART_NO_REBOOT));
}

TEST(Startup, FrameCreationFailureExitsWithZeroAndShowsNothing) {
  ChildProcess sivrel;
  ASSERT_TRUE(sivrel.Start(wintest::BinDir() + "SivrelFrameFails.exe", ""));
  DWORD code = 99;
  ASSERT_TRUE(sivrel.Wait(kTimeoutMs, &code));
  EXPECT_EQ(code, 0u);
}

// The zip may be unpacked anywhere: from a folder whose name the ANSI code page cannot spell the
// program still finds its service library beside it and runs.
TEST(Startup, RunsFromAFolderNamedOutsideTheAnsiCodePage) {
  wchar_t temp[MAX_PATH];
  ASSERT_GT(::GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring folder = std::wstring(temp) + L"\x0417\x0430\x043f\x0438\x0441\x044c \x9332\x753b\\";
  if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
    GTEST_SKIP() << "the file system here cannot name such a folder (error " << ::GetLastError()
                 << "): Wine needs a UTF-8 locale for it (scripts/wine-session.sh sets one when none is)";
  }
  const std::string bin = wintest::BinDir();
  const std::wstring binWide(bin.begin(), bin.end());  // the build folder is plain ASCII
  for (const wchar_t* file : {L"Sivrel.exe", L"Korvex.dll"}) {
    ASSERT_TRUE(::CopyFileW((binWide + file).c_str(), (folder + file).c_str(), FALSE));
  }
  ChildProcess sivrel;
  ASSERT_TRUE(sivrel.StartWide(folder + L"Sivrel.exe"));
  // Without its library the program would show its message and end with 2, with no frame.
  HWND frame = wintest::WaitForProcessWindow(sivrel, kFrameClassPrefix, kTimeoutMs);
  ASSERT_NE(frame, nullptr) << "no frame: the service library was not found beside the program";
  ::PostMessageA(frame, WM_CLOSE, 0, 0);
  DWORD code = 0;
  ASSERT_TRUE(sivrel.Wait(kTimeoutMs, &code));
  EXPECT_EQ(code, 1u);
  for (const wchar_t* file : {L"Sivrel.exe", L"Korvex.dll"}) ::DeleteFileW((folder + file).c_str());
  ::RemoveDirectoryW(folder.c_str());
}

// A service library that hands out no object: a clear message, then exit code 2.
TEST(Startup, MissingServiceObjectIsReportedAndExitsWithTwo) {
  const NullServiceLoadProbe probe;
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
  EXPECT_TRUE(probe.Loaded()) << "the library beside the program was not the one loaded";

  ::PostMessageA(box, WM_COMMAND, IDOK, 0);
  DWORD code = 0;
  ASSERT_TRUE(sivrel.Wait(kTimeoutMs, &code));
  EXPECT_EQ(code, 2u);
}

// A program without its Korvex.dll: the same message and exit code, not the system loader's.
TEST(Startup, MissingServiceLibraryIsReportedAndExitsWithTwo) {
  ChildProcess sivrel;
  ASSERT_TRUE(sivrel.Start(wintest::BinDir() + "nolibrary\\Sivrel.exe", ""));
  HWND box = nullptr;
  ASSERT_TRUE(wintest::PumpUntil(
      [&] {
        for (HWND w : wintest::ProcessWindows(sivrel.Id(), "#32770")) {
          if (wintest::WindowText(w) == "Sivrel" && ::IsWindowVisible(w)) box = w;
        }
        return box != nullptr || ::WaitForSingleObject(sivrel.Handle(), 0) == WAIT_OBJECT_0;
      },
      kTimeoutMs));
  ASSERT_NE(box, nullptr) << "no message box titled Sivrel appeared";
  ::PostMessageA(box, WM_COMMAND, IDOK, 0);
  DWORD code = 0;
  ASSERT_TRUE(sivrel.Wait(kTimeoutMs, &code));
  EXPECT_EQ(code, 2u);
}

// One client per session. A second start asks the running client to open its comments window
// (and never to close it: a start while the window is open leaves it open) and exits with 3
// without loading the recorder service; the session keeps one icon.
TEST(SecondStart, OpensTheRunningClientsCommentsWindowAndExitsWithThree) {
  const int iconsBefore = wintest::ShellIconsAdded();
  ChildProcess first;
  ASSERT_TRUE(first.Start(wintest::BinDir() + "Sivrel.exe", ""));
  HWND frame = wintest::WaitForProcessWindow(first, kFrameClassPrefix, kTimeoutMs);
  ASSERT_NE(frame, nullptr);
  HWND comments = nullptr;
  ASSERT_TRUE(wintest::PumpUntil([&] { return (comments = CommentsWindow(first.Id())) != nullptr; },
                                 kTimeoutMs));
  ASSERT_TRUE(wintest::PumpUntil([&] { return wintest::ShellIconsAdded() > iconsBefore; }, kTimeoutMs))
      << "the first client's icon did not appear";
  ASSERT_FALSE(::IsWindowVisible(comments));
  const int icons = wintest::ShellIconsAdded();

  // The second starts come from a folder whose Korvex.dll tells when it is loaded.
  const NullServiceLoadProbe probe;
  for (int start = 1; start <= 2; ++start) {
    SCOPED_TRACE("second start " + std::to_string(start));
    ChildProcess second;
    ASSERT_TRUE(second.Start(wintest::BinDir() + "noservice\\Sivrel.exe", ""));
    DWORD code = 0;
    ASSERT_TRUE(second.Wait(kTimeoutMs, &code)) << "the second start did not end";
    EXPECT_EQ(code, 3u);
    EXPECT_TRUE(wintest::PumpUntil([&] { return ::IsWindowVisible(comments) != FALSE; }, kTimeoutMs))
        << "the comments window did not open";
  }
  // Messages to the frame are handled in order: Open after the second request hides the window
  // only if that request left it open.
  ::PostMessageA(frame, WM_COMMAND, ID_TRAY_OPEN, 0);
  EXPECT_TRUE(wintest::PumpUntil([&] { return !::IsWindowVisible(comments); }, kTimeoutMs))
      << "a second start while the window was open closed it";
  EXPECT_FALSE(probe.Loaded()) << "a second start loaded Korvex.dll";
  EXPECT_EQ(wintest::ShellIconsAdded(), icons) << "a second start added an icon";

  ::PostMessageA(frame, WM_CLOSE, 0, 0);
  DWORD code = 0;
  ASSERT_TRUE(first.Wait(kTimeoutMs, &code));
  EXPECT_EQ(code, 1u);
}

// While the first client is still starting it holds the session's object but has no frame yet
// (this test takes that part): a second start has nothing to ask and still ends at once with 3.
TEST(SecondStart, WhileTheFirstHasNoFrameYetExitsWithThree) {
  const SessionInstance starting(kSessionInstanceName);
  ASSERT_TRUE(starting.IsFirst()) << "a client is already running in this session";
  ChildProcess second;
  ASSERT_TRUE(second.Start(wintest::BinDir() + "Sivrel.exe", ""));
  DWORD code = 0;
  ASSERT_TRUE(second.Wait(kTimeoutMs, &code));
  EXPECT_EQ(code, 3u);
}

}  // namespace
