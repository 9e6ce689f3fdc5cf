// footprint_launch.exe: the footprint benchmark's hands inside Wine.
//   footprint_launch.exe start PROGRAM [ARGUMENTS...]
//       starts PROGRAM, waits until it first waits for input (WaitForInputIdle) and prints
//         input_idle_ms MS     from just before CreateProcess to input-idle
//         pid PID              the program's process id
//         module BASE SIZE PATH    one line per module loaded by then (address range in hex)
//       and leaves it running. Exit code 0, or 1 when it could not be started or never got idle.
//   footprint_launch.exe stop PID
//       posts WM_CLOSE to the process's unowned top-level windows (the hidden ones too), waits
//       up to 15 s for it to end and prints "exit_code N". Exit code 0 when it ended, else 1.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr DWORD kIdleTimeoutMs = 60000;
constexpr DWORD kStopTimeoutMs = 15000;

std::string Quoted(const char* argument) {
  std::string quoted = "\"";
  quoted += argument;
  quoted += "\"";
  return quoted;
}

void PrintModules(HANDLE process) {
  std::vector<HMODULE> modules(512);
  DWORD needed = 0;
  if (!::EnumProcessModules(process, modules.data(), static_cast<DWORD>(modules.size() * sizeof(HMODULE)),
                            &needed)) {
    std::printf("# modules: EnumProcessModules failed (%lu)\n", ::GetLastError());
    return;
  }
  const std::size_t count = std::min<std::size_t>(modules.size(), needed / sizeof(HMODULE));
  for (std::size_t i = 0; i < count; ++i) {
    MODULEINFO info{};
    char path[MAX_PATH] = "";
    if (!::GetModuleInformation(process, modules[i], &info, sizeof info)) continue;
    ::GetModuleFileNameExA(process, modules[i], path, sizeof path);
    std::printf("module %llx %lx %s\n",
                static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(info.lpBaseOfDll)),
                info.SizeOfImage, path);
  }
}

int Start(int argc, char** argv) {
  std::string commandLine = Quoted(argv[2]);
  for (int i = 3; i < argc; ++i) commandLine += " " + Quoted(argv[i]);
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  LARGE_INTEGER frequency, before, after;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&before);
  if (!::CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
    std::fprintf(stderr, "footprint_launch: %s could not be started (%lu)\n", argv[2], ::GetLastError());
    return 1;
  }
  const DWORD idle = ::WaitForInputIdle(process.hProcess, kIdleTimeoutMs);
  ::QueryPerformanceCounter(&after);
  int code = 0;
  if (idle != 0) {
    std::fprintf(stderr, "footprint_launch: %s did not get input-idle (%lu)\n", argv[2], idle);
    code = 1;
  } else {
    std::printf("input_idle_ms %.1f\n",
                static_cast<double>(after.QuadPart - before.QuadPart) * 1000.0 / frequency.QuadPart);
  }
  std::printf("pid %lu\n", process.dwProcessId);
  PrintModules(process.hProcess);
  std::fflush(stdout);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  return code;
}

struct CloseTarget {
  DWORD pid;
  int posted;
};

BOOL CALLBACK PostClose(HWND window, LPARAM context) {
  auto* target = reinterpret_cast<CloseTarget*>(context);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  if (pid == target->pid && !::GetWindow(window, GW_OWNER)) {
    ::PostMessageA(window, WM_CLOSE, 0, 0);
    ++target->posted;
  }
  return TRUE;
}

int Stop(const char* pidText) {
  CloseTarget target{static_cast<DWORD>(std::strtoul(pidText, nullptr, 10)), 0};
  HANDLE process = ::OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, target.pid);
  if (!process) {
    std::fprintf(stderr, "footprint_launch: no process %lu\n", target.pid);
    return 1;
  }
  ::EnumWindows(&PostClose, reinterpret_cast<LPARAM>(&target));
  const bool ended = ::WaitForSingleObject(process, kStopTimeoutMs) == WAIT_OBJECT_0;
  DWORD exitCode = 0;
  ::GetExitCodeProcess(process, &exitCode);
  ::CloseHandle(process);
  if (!ended) {
    std::fprintf(stderr, "footprint_launch: process %lu did not end after WM_CLOSE to %d window(s)\n",
                 target.pid, target.posted);
    return 1;
  }
  std::printf("exit_code %lu\n", exitCode);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 3 && std::strcmp(argv[1], "start") == 0) return Start(argc, argv);
  if (argc == 3 && std::strcmp(argv[1], "stop") == 0) return Stop(argv[2]);
  std::fprintf(stderr, "usage: footprint_launch.exe start PROGRAM [ARGUMENTS...] | stop PID\n");
  return 2;
}
