// The Windows Installer package as an administrator uses it, under Wine: the release package
// installs per machine, the installed client starts from the Run value's command line and shows
// its icon, a package of a higher version upgrades it in place, the older package is then
// refused with its message, and the uninstall leaves nothing behind. It changes the machine, so
// it runs only in a Wine prefix of its own (scripts/test-installer.sh sets SIVREL_INSTALL_TESTS).
#include <windows.h>
#include <msi.h>
#include <msiquery.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tools/WinTestSupport.h"

namespace {

using wintest::ChildProcess;

constexpr DWORD kTimeoutMs = 120000;  // an msiexec run under Wine takes a few seconds
constexpr DWORD kInstallFailure = 1603;
const char kProductName[] = "Calyra recording client";
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

// One value of an installer database, by query; empty when there is none.
std::string QueryPackage(const std::string& msi, const std::string& query) {
  std::string result;
  MSIHANDLE database = 0, view = 0, record = 0;
  if (::MsiOpenDatabaseA(msi.c_str(), MSIDBOPEN_READONLY, &database) == ERROR_SUCCESS &&
      ::MsiDatabaseOpenViewA(database, query.c_str(), &view) == ERROR_SUCCESS &&
      ::MsiViewExecute(view, 0) == ERROR_SUCCESS && ::MsiViewFetch(view, &record) == ERROR_SUCCESS) {
    char text[1024] = "";
    DWORD size = sizeof text;
    if (::MsiRecordGetStringA(record, 1, text, &size) == ERROR_SUCCESS) result = text;
  }
  for (MSIHANDLE handle : {record, view, database}) {
    if (handle) ::MsiCloseHandle(handle);
  }
  return result;
}

std::string PackageProperty(const std::string& msi, const std::string& name) {
  return QueryPackage(msi, "SELECT `Value` FROM `Property` WHERE `Property` = '" + name + "'");
}

// A text value under HKLM; `found` tells a missing value from an empty one. This test is a 64-bit
// program, so it reads the 64-bit view, where the package's 64-bit components write.
std::string MachineText(const std::string& key, const std::string& name, bool* found = nullptr) {
  char text[2048] = "";
  DWORD size = sizeof text;
  const bool ok = ::RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), name.c_str(), RRF_RT_REG_SZ,
                                 nullptr, text, &size) == ERROR_SUCCESS;
  if (found) *found = ok;
  return ok ? text : "";
}

// The product codes of every Add/Remove Programs entry of the product.
std::vector<std::string> UninstallEntries() {
  std::vector<std::string> entries;
  HKEY uninstall = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &uninstall) != ERROR_SUCCESS) {
    return entries;
  }
  char name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = sizeof name;
    if (::RegEnumKeyExA(uninstall, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    if (MachineText(std::string(kUninstallKey) + "\\" + name, "DisplayName") == kProductName) {
      entries.push_back(name);
    }
  }
  ::RegCloseKey(uninstall);
  return entries;
}

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Folder(int csidl) {
  char path[MAX_PATH] = "";
  ::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

// The file and product version of a binary's version resource, "a.b.c" (the fourth number is
// always 0 here); empty when it has none.
std::string FileVersion(const std::string& path) {
  DWORD ignored = 0;
  std::vector<char> data(::GetFileVersionInfoSizeA(path.c_str(), &ignored));
  VS_FIXEDFILEINFO* info = nullptr;
  UINT size = 0;
  if (data.empty() || !::GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(data.size()), data.data()) ||
      !::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &size) || !info ||
      info->dwFileVersionMS != info->dwProductVersionMS || info->dwFileVersionLS != info->dwProductVersionLS) {
    return "";
  }
  return std::to_string(HIWORD(info->dwFileVersionMS)) + "." + std::to_string(LOWORD(info->dwFileVersionMS)) +
         "." + std::to_string(HIWORD(info->dwFileVersionLS));
}

DWORD Msiexec(const std::string& arguments, const std::function<void(const ChildProcess&)>& whileRunning = {}) {
  char system[MAX_PATH] = "";
  ::GetSystemDirectoryA(system, MAX_PATH);
  ChildProcess msiexec;
  if (!msiexec.Start(std::string(system) + "\\msiexec.exe", arguments)) return ~0u;
  if (whileRunning) whileRunning(msiexec);
  DWORD code = ~0u;
  return msiexec.Wait(kTimeoutMs, &code) ? code : ~0u;
}

class Installer : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Env("SIVREL_INSTALL_TESTS") != "1") {
      GTEST_SKIP() << "installs into the machine: run it in a prefix of its own with "
                      "scripts/test-installer.sh";
    }
    release_ = Env("SIVREL_RELEASE_MSI");
    next_ = Env("SIVREL_NEXT_MSI");
    ASSERT_TRUE(Exists(release_)) << "no release package " << release_ << " (scripts/build.sh release)";
    ASSERT_TRUE(Exists(next_)) << "no package of the next version " << next_;
    RemoveEveryInstall();  // what an interrupted run may have left
  }

  void TearDown() override {
    if (!IsSkipped()) RemoveEveryInstall();
  }

  static void RemoveEveryInstall() {
    for (const std::string& code : UninstallEntries()) Msiexec("/x " + code + " /qn");
  }

  // Where the package puts things.
  const std::string folder_ = Folder(CSIDL_PROGRAM_FILES) + "\\Calyra\\Recording client";
  const std::string exe_ = folder_ + "\\Sivrel.exe";
  const std::string dll_ = folder_ + "\\Korvex.dll";
  // Per machine, the shortcut belongs in the common Programs folder; Wine 8's msi resolves
  // ProgramMenuFolder to the user's even in a per-machine install, so either place counts.
  std::vector<std::string> Shortcuts() const {
    std::vector<std::string> found;
    for (int csidl : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
      const std::string path = Folder(csidl) + "\\" + kProductName + ".lnk";
      if (Exists(path)) found.push_back(path);
    }
    return found;
  }

  std::string release_, next_;
};

TEST_F(Installer, InstallsStartsUpgradesRefusesTheOlderAndUninstallsWithoutRemains) {
  const std::string version = PackageProperty(release_, "ProductVersion");
  const std::string nextVersion = PackageProperty(next_, "ProductVersion");
  const std::string code = PackageProperty(release_, "ProductCode");
  const std::string nextCode = PackageProperty(next_, "ProductCode");
  ASSERT_FALSE(version.empty());
  ASSERT_NE(code, nextCode) << "every version needs a product code of its own";
  EXPECT_EQ(PackageProperty(release_, "ProductName"), kProductName);
  EXPECT_EQ(PackageProperty(release_, "ALLUSERS"), "1") << "not a per-machine package";

  // Install, silently.
  ASSERT_EQ(Msiexec("/i \"" + release_ + "\" /qn"), 0u);
  EXPECT_EQ(FileVersion(exe_), version);
  EXPECT_EQ(FileVersion(dll_), version);
  bool found = false;
  const std::string run = MachineText(kRunKey, "Sivrel", &found);
  ASSERT_TRUE(found) << "no Run value";
  EXPECT_EQ(run, "\"" + exe_ + "\"") << "the Run value must name the installed exe, quoted";
  EXPECT_EQ(Shortcuts().size(), 1u);
  ASSERT_EQ(UninstallEntries(), std::vector<std::string>{code});
  const std::string entry = std::string(kUninstallKey) + "\\" + code;
  EXPECT_EQ(MachineText(entry, "DisplayVersion"), version);
  EXPECT_EQ(MachineText(entry, "Publisher"), "Calyra");

  // The client starts as a sign-in starts it, from the Run value, and shows its icon; a second
  // start opens its comments window and ends with 3.
  {
    const int iconsBefore = wintest::ShellIconsAdded();
    ChildProcess client;
    ASSERT_TRUE(client.StartCommandLine(run));
    HWND frame = wintest::WaitForProcessWindow(client, "Sivrel:", 20000);
    ASSERT_NE(frame, nullptr) << "the installed client did not come up";
    EXPECT_TRUE(wintest::PumpUntil([&] { return wintest::ShellIconsAdded() > iconsBefore; }, 20000))
        << "the installed client showed no icon";
    ChildProcess second;
    ASSERT_TRUE(second.StartCommandLine(run));
    DWORD exitCode = 0;
    ASSERT_TRUE(second.Wait(20000, &exitCode));
    EXPECT_EQ(exitCode, 3u);
    EXPECT_TRUE(wintest::PumpUntil(
        [&] {
          for (HWND w : wintest::ProcessWindows(client.Id(), "#32770")) {
            if (::GetDlgItem(w, IDC_START_SUBMIT) && ::IsWindowVisible(w)) return true;
          }
          return false;
        },
        20000))
        << "the second start did not open the comments window";
    ::PostMessageA(frame, WM_CLOSE, 0, 0);
    ASSERT_TRUE(client.Wait(20000, &exitCode));
    EXPECT_EQ(exitCode, 1u);
  }

  // A higher version replaces it in place: one entry, the new files, the same Run value.
  ASSERT_EQ(Msiexec("/i \"" + next_ + "\" /qn"), 0u);
  EXPECT_EQ(UninstallEntries(), std::vector<std::string>{nextCode});
  EXPECT_EQ(MachineText(std::string(kUninstallKey) + "\\" + nextCode, "DisplayVersion"), nextVersion);
  EXPECT_EQ(FileVersion(exe_), nextVersion);
  EXPECT_EQ(FileVersion(dll_), nextVersion);
  EXPECT_EQ(MachineText(kRunKey, "Sivrel"), run);
  EXPECT_EQ(Shortcuts().size(), 1u);

  // The older package is refused with its message (shown with the basic interface).
  const std::string refusal = QueryPackage(
      release_, "SELECT `Description` FROM `LaunchCondition` WHERE `Condition` = 'NOT WIX_DOWNGRADE_DETECTED'");
  ASSERT_NE(refusal.find("newer version"), std::string::npos) << refusal;
  bool shown = false;
  EXPECT_EQ(Msiexec("/i \"" + release_ + "\" /qb",
                    [&](const ChildProcess& msiexec) {
                      wintest::PumpUntil(
                          [&] {
                            for (HWND box : wintest::ProcessWindows(msiexec.Id(), "#32770")) {
                              for (HWND c = ::GetWindow(box, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
                                if (wintest::WindowText(c) == refusal) {
                                  shown = true;
                                  ::PostMessageA(box, WM_COMMAND, IDOK, 0);
                                }
                              }
                            }
                            return shown || ::WaitForSingleObject(msiexec.Handle(), 0) == WAIT_OBJECT_0;
                          },
                          kTimeoutMs);
                    }),
            kInstallFailure);
  EXPECT_TRUE(shown) << "no message box saying: " << refusal;
  EXPECT_EQ(UninstallEntries(), std::vector<std::string>{nextCode});
  EXPECT_EQ(FileVersion(exe_), nextVersion);

  // The uninstall leaves nothing behind.
  ASSERT_EQ(Msiexec("/x \"" + next_ + "\" /qn"), 0u);
  EXPECT_TRUE(UninstallEntries().empty());
  EXPECT_FALSE(Exists(exe_));
  EXPECT_FALSE(Exists(dll_));
  EXPECT_FALSE(Exists(folder_));
  EXPECT_FALSE(Exists(Folder(CSIDL_PROGRAM_FILES) + "\\Calyra"));
  MachineText(kRunKey, "Sivrel", &found);
  EXPECT_FALSE(found) << "the Run value is left";
  EXPECT_TRUE(Shortcuts().empty()) << "the shortcut is left";
}

}  // namespace
