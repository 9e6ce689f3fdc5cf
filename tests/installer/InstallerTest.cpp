// The Windows Installer package as an administrator uses it, under Wine: the release package
// installs per machine and starts the client; the client, started as a sign-in starts it, keeps
// running while a package of a higher version upgrades it in place, which closes it (its service
// stopped), replaces the files at once and starts the new client; the older package is then
// refused with its message, and the uninstall, with the client running, leaves nothing behind.
// The administrators' properties are read back from the registry. It changes the machine, so it
// runs only in a Wine prefix of its own (scripts/test-installer.sh sets SIVREL_INSTALL_TESTS).
//
// Wine has one session and no Restart Manager: the closing and starting in other sessions, as
// LocalSystem, is shown here only in the one session there is.
#include <windows.h>
#include <msi.h>
#include <msiquery.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "res/resource.h"
#include "tools/WinTestSupport.h"

namespace {

using wintest::ChildProcess;

constexpr DWORD kTimeoutMs = 120000;  // an msiexec run under Wine takes a few seconds
constexpr DWORD kClientTimeoutMs = 30000;
constexpr DWORD kInstallFailure = 1603;
const char kProductName[] = "Calyra recording client";
const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const char kDumpsKey[] = "SOFTWARE\\Microsoft\\Windows\\Windows Error Reporting\\LocalDumps\\Sivrel.exe";
const char kCallLogVariable[] = "KORVEX_CALL_LOG";

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

// A DWORD under HKLM, or ~0u when there is none.
DWORD MachineNumber(const std::string& key, const std::string& name) {
  DWORD value = 0, size = sizeof value;
  return ::RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), name.c_str(), RRF_RT_REG_DWORD, nullptr, &value,
                        &size) == ERROR_SUCCESS
             ? value
             : ~0u;
}

// A REG_EXPAND_SZ under HKLM as stored, unexpanded; empty when there is none of that type.
std::string MachineExpandable(const std::string& key, const std::string& name) {
  char text[1024] = "";
  DWORD size = sizeof text;
  return ::RegGetValueA(HKEY_LOCAL_MACHINE, key.c_str(), name.c_str(), RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                        nullptr, text, &size) == ERROR_SUCCESS
             ? text
             : "";
}

bool MachineKeyExists(const std::string& key) {
  HKEY handle = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  ::RegCloseKey(handle);
  return true;
}

// The processes running `exe`, by their image's whole path.
std::vector<DWORD> ProcessesOf(const std::string& exe) {
  std::vector<DWORD> found;
  const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry)) {
    const HANDLE process = ::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID);
    if (!process) continue;
    char image[MAX_PATH * 2] = "";
    DWORD size = sizeof image;
    if (::QueryFullProcessImageNameA(process, 0, image, &size) && ::lstrcmpiA(image, exe.c_str()) == 0) {
      found.push_back(entry.th32ProcessID);
    }
    ::CloseHandle(process);
  }
  ::CloseHandle(snapshot);
  return found;
}

// A client running `exe` with its frame up, waited for; 0 when none came within the time.
DWORD WaitForClient(const std::string& exe, DWORD timeoutMs) {
  DWORD client = 0;
  wintest::PumpUntil(
      [&] {
        for (DWORD id : ProcessesOf(exe)) {
          if (!wintest::ProcessWindows(id, "Sivrel:").empty()) client = id;
        }
        return client != 0;
      },
      timeoutMs);
  return client;
}

// Ends a client we did not start as Exit does, and answers its exit code (~0u if it stayed).
DWORD CloseClient(DWORD id) {
  const HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
  if (!process) return ~0u;
  for (HWND frame : wintest::ProcessWindows(id, "Sivrel:")) ::PostMessageA(frame, WM_CLOSE, 0, 0);
  DWORD code = ~0u;
  if (::WaitForSingleObject(process, kClientTimeoutMs) == WAIT_OBJECT_0) ::GetExitCodeProcess(process, &code);
  ::CloseHandle(process);
  return code;
}

std::vector<std::string> ReadLines(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::string TempFile(const std::string& name) {
  char temp[MAX_PATH] = "";
  ::GetTempPathA(MAX_PATH, temp);
  return std::string(temp) + name;
}

// Runs msiexec with a verbose log; a failure message can show what the custom actions logged.
DWORD Msiexec(const std::string& arguments, const std::function<void(const ChildProcess&)>& whileRunning = {}) {
  char system[MAX_PATH] = "";
  ::GetSystemDirectoryA(system, MAX_PATH);
  const std::string log = TempFile("sivrel-msiexec.log");
  ::DeleteFileA(log.c_str());
  ChildProcess msiexec;
  if (!msiexec.Start(std::string(system) + "\\msiexec.exe", arguments + " /l*v \"" + log + "\"")) return ~0u;
  if (whileRunning) whileRunning(msiexec);
  DWORD code = ~0u;
  return msiexec.Wait(kTimeoutMs, &code) ? code : ~0u;
}

// What the package's custom actions said in the last msiexec run.
std::string CustomActionLog() {
  std::string said;
  // Read as bytes with the zeros dropped, whether the log is UTF-16 or not.
  std::ifstream in(TempFile("sivrel-msiexec.log"), std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::string text;
  for (char c : bytes) {
    if (c != '\0') text += c;
  }
  for (size_t at = text.find("Sivrel: "); at != std::string::npos; at = text.find("Sivrel: ", at + 1)) {
    said += text.substr(at, text.find('\n', at) - at) + "\n";
  }
  return said;
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
    if (IsSkipped()) return;
    ::SetEnvironmentVariableA(kCallLogVariable, nullptr);
    RemoveEveryInstall();
    for (DWORD id : ProcessesOf(exe_)) CloseClient(id);
  }

  static void RemoveEveryInstall() {
    for (const std::string& code : UninstallEntries()) Msiexec("/x " + code + " /qn");
  }

  // Nothing of the product is left on the machine.
  void ExpectNothingLeft() const {
    EXPECT_TRUE(UninstallEntries().empty());
    EXPECT_FALSE(Exists(exe_));
    EXPECT_FALSE(Exists(dll_));
    EXPECT_FALSE(Exists(folder_));
    EXPECT_FALSE(Exists(Folder(CSIDL_PROGRAM_FILES) + "\\Calyra"));
    bool found = false;
    MachineText(kRunKey, "Sivrel", &found);
    EXPECT_FALSE(found) << "the Run value is left";
    EXPECT_TRUE(Shortcuts().empty()) << "the shortcut is left";
    EXPECT_FALSE(MachineKeyExists(kDumpsKey)) << "the crash dump settings are left";
    EXPECT_TRUE(ProcessesOf(exe_).empty()) << "a client still runs";
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

TEST_F(Installer, InstallsStartsUpgradesWhileTheClientRunsRefusesTheOlderAndUninstallsWithoutRemains) {
  const std::string version = PackageProperty(release_, "ProductVersion");
  const std::string nextVersion = PackageProperty(next_, "ProductVersion");
  const std::string code = PackageProperty(release_, "ProductCode");
  const std::string nextCode = PackageProperty(next_, "ProductCode");
  ASSERT_FALSE(version.empty());
  ASSERT_NE(code, nextCode) << "every version needs a product code of its own";
  EXPECT_EQ(PackageProperty(release_, "ProductName"), kProductName);
  EXPECT_EQ(PackageProperty(release_, "ALLUSERS"), "1") << "not a per-machine package";

  // Install, silently: the files, the Run value, the shortcut, the entry; and the client starts.
  ASSERT_EQ(Msiexec("/i \"" + release_ + "\" /qn"), 0u) << CustomActionLog();
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
  EXPECT_FALSE(MachineKeyExists(kDumpsKey)) << "crash dumps are kept only when asked for";
  const DWORD started = WaitForClient(exe_, kClientTimeoutMs);
  ASSERT_NE(started, 0u) << "the first install started no client\n" << CustomActionLog();
  EXPECT_EQ(CloseClient(started), 1u);

  // The client starts as a sign-in starts it, from the Run value, and shows its icon; a second
  // start opens its comments window and ends with 3. Its service's calls go to a file that
  // outlives it.
  const std::string calls = TempFile("sivrel-installed-calls.txt");
  ::DeleteFileA(calls.c_str());
  ::SetEnvironmentVariableA(kCallLogVariable, calls.c_str());
  const int iconsBefore = wintest::ShellIconsAdded();
  ChildProcess client;
  ASSERT_TRUE(client.StartCommandLine(run));
  ::SetEnvironmentVariableA(kCallLogVariable, nullptr);
  ASSERT_NE(wintest::WaitForProcessWindow(client, "Sivrel:", 20000), nullptr) << "the installed client did not come up";
  EXPECT_TRUE(wintest::PumpUntil([&] { return wintest::ShellIconsAdded() > iconsBefore; }, 20000))
      << "the installed client showed no icon";
  {
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
  }
  ASSERT_TRUE(wintest::PumpUntil(
      [&] {
        for (const std::string& line : ReadLines(calls)) {
          if (line == "Start") return true;
        }
        return false;
      },
      20000))
      << "the installed client's service never started";

  // A higher version replaces it while it runs, without a reboot: the old client closes as Exit
  // closes it (service stopped, exit code 1), the files are the new ones at once, and a client
  // of the new version runs.
  ASSERT_EQ(Msiexec("/i \"" + next_ + "\" /qn"), 0u) << CustomActionLog();
  DWORD exitCode = 0;
  ASSERT_TRUE(client.Wait(0, &exitCode)) << "the old client still runs after the upgrade";
  EXPECT_EQ(exitCode, 1u);
  const std::vector<std::string> oldCalls = ReadLines(calls);
  ASSERT_GE(oldCalls.size(), 2u);
  EXPECT_EQ(oldCalls[oldCalls.size() - 2], "Stop") << "the old client did not stop its service";
  EXPECT_EQ(oldCalls.back(), "Release");
  ::DeleteFileA(calls.c_str());
  EXPECT_EQ(UninstallEntries(), std::vector<std::string>{nextCode});
  EXPECT_EQ(MachineText(std::string(kUninstallKey) + "\\" + nextCode, "DisplayVersion"), nextVersion);
  EXPECT_EQ(FileVersion(exe_), nextVersion);
  EXPECT_EQ(FileVersion(dll_), nextVersion);
  EXPECT_EQ(MachineText(kRunKey, "Sivrel"), run);
  EXPECT_EQ(Shortcuts().size(), 1u);
  EXPECT_NE(WaitForClient(exe_, kClientTimeoutMs), 0u) << "no client runs again after the upgrade\n"
                                                       << CustomActionLog();
  EXPECT_EQ(ProcessesOf(exe_).size(), 1u);

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

  // The uninstall, with the client running, closes it and leaves nothing behind.
  ASSERT_EQ(Msiexec("/x \"" + next_ + "\" /qn"), 0u) << CustomActionLog();
  ExpectNothingLeft();
}

// What administrators set on the command line: no Run value, no shortcut, no client started,
// and Windows Error Reporting's mini dumps of Sivrel.exe, gone again with the product.
TEST_F(Installer, AdministratorsTurnOffStartAtSignInAndTheShortcutAndAskForCrashDumps) {
  ASSERT_EQ(Msiexec("/i \"" + release_ + "\" /qn AUTOSTART=0 SHORTCUT=0 CRASHDUMPS=1"), 0u) << CustomActionLog();
  EXPECT_TRUE(Exists(exe_));
  bool found = false;
  MachineText(kRunKey, "Sivrel", &found);
  EXPECT_FALSE(found) << "AUTOSTART=0 wrote the Run value";
  EXPECT_TRUE(Shortcuts().empty()) << "SHORTCUT=0 made a shortcut";
  // The installation starts clients before it ends: had it started one, it would run now.
  EXPECT_TRUE(ProcessesOf(exe_).empty()) << "AUTOSTART=0 started the client";
  EXPECT_EQ(MachineExpandable(kDumpsKey, "DumpFolder"), "%LOCALAPPDATA%\\CrashDumps");
  EXPECT_EQ(MachineNumber(kDumpsKey, "DumpCount"), 10u);
  EXPECT_EQ(MachineNumber(kDumpsKey, "DumpType"), 1u) << "mini dumps only";

  ASSERT_EQ(Msiexec("/x \"" + release_ + "\" /qn"), 0u) << CustomActionLog();
  ExpectNothingLeft();
}

}  // namespace
