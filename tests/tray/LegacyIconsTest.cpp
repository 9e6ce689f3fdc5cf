// The earlier systems' icon set. Wine reports the version it is told per executable under
// HKCU\Software\Wine\AppDefaults\<exe>\Version, read when a process starts: so this executable
// gives itself "win7" there and runs itself again, and its tests run in that second process.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TrayTestSupport.h"
#include "res/resource.h"
#include "tools/WinTestSupport.h"
#include "tray/WindowsVersion.h"

namespace {

using traytest::FrameHarness;
using traytest::Lines;

// Which glossy icon shows which status is tabled natively (StatusPresentationTest); here the
// frame of a process that Windows 7 runs picks the set, for events and commands alike.
TEST(TrayLegacyIcons, Windows7GetsTheGlossySet) {
  EXPECT_FALSE(IsWindows8OrLater());
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  h.service.Connection(vesk::model::connection::Connected);
  ASSERT_TRUE(h.Settle());
  h.Command(ID_RECORDING_START);
  EXPECT_EQ(h.edges.Described(), (Lines{"add 275 'Not Connected'",
                                        "icon+tip 274 'Connected - Not Authorized'", "icon 277"}));
}

TEST(TrayLegacyIcons, TheRetryUsesTheGlossyNotConnectedIcon) {
  FrameHarness h;
  h.edges.RefuseAdds(1);
  ASSERT_TRUE(h.Create());
  ASSERT_TRUE(wintest::PumpUntil([&] { return h.edges.ShellCallCount() >= 2; }, 5000));
  EXPECT_EQ(h.edges.Described(), (Lines{"add 275 'Not Connected'", "add 275 'Sivrel'"}));
}

bool ReportsWindows7() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  ::GetVersionExA(&version);
#pragma GCC diagnostic pop
  return version.dwMajorVersion == 6 && version.dwMinorVersion == 1;
}

std::string ExeName() {
  char path[MAX_PATH] = "";
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  const std::string full(path);
  return full.substr(full.find_last_of("\\/") + 1);
}

// Gives this executable Windows 7 and runs it again; the second run's exit code.
int RunAsWindows7(const std::string& arguments) {
  const std::string key = "Software\\Wine\\AppDefaults\\" + ExeName();
  HKEY handle = nullptr;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                        &handle, nullptr) != ERROR_SUCCESS) {
    std::fprintf(stderr, "cannot write HKCU\\%s\n", key.c_str());
    return 3;
  }
  static const char kVersion[] = "win7";
  ::RegSetValueExA(handle, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(kVersion),
                   sizeof kVersion);
  ::RegCloseKey(handle);
  wintest::ChildProcess child;
  char path[MAX_PATH] = "";
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (!child.Start(path, arguments + " --as-windows7")) return 4;
  DWORD code = 5;
  if (!child.Wait(170000, &code)) return 6;
  return static_cast<int>(code);
}

}  // namespace

int main(int argc, char** argv) {
  std::string arguments;
  bool second = false;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--as-windows7") {
      second = true;
    } else {
      arguments += std::string(" \"") + argv[i] + "\"";
    }
  }
  if (!second) return RunAsWindows7(arguments);
  if (!ReportsWindows7()) {
    std::fprintf(stderr, "Wine did not take Version=win7 for %s\n", ExeName().c_str());
    return 7;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
