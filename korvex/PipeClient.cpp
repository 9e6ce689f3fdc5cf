#include "korvex/PipeClient.h"

#include <windows.h>

#include <vector>

namespace korvex {

namespace {

std::string Failure(const char* what, DWORD code) {
  return std::string(what) + " failed (error " + std::to_string(code) + ")";
}

class Handle {
 public:
  explicit Handle(HANDLE h) : h_(h) {}
  ~Handle() {
    if (h_ && h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

DWORD Remaining(DWORD deadline) {
  const LONG left = static_cast<LONG>(deadline - GetTickCount());
  return left > 0 ? static_cast<DWORD>(left) : 0;
}

// Waits for an overlapped operation until the deadline; cancels it if it does not finish.
bool Finish(HANDLE pipe, OVERLAPPED& overlapped, DWORD deadline, DWORD* bytes, DWORD* error) {
  if (WaitForSingleObject(overlapped.hEvent, Remaining(deadline)) != WAIT_OBJECT_0) {
    CancelIo(pipe);
    GetOverlappedResult(pipe, &overlapped, bytes, TRUE);
    *error = WAIT_TIMEOUT;
    return false;
  }
  *error = GetOverlappedResult(pipe, &overlapped, bytes, FALSE) ? ERROR_SUCCESS : GetLastError();
  return true;
}

}  // namespace

SendResult SendToPipe(const std::string& path, const std::string& request, unsigned timeoutMs,
                      std::string* reply, std::string* error) {
  const DWORD deadline = GetTickCount() + timeoutMs;
  HANDLE raw = INVALID_HANDLE_VALUE;
  for (;;) {
    raw = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                      FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION,
                      nullptr);
    if (raw != INVALID_HANDLE_VALUE) break;
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND) return SendResult::NoSimulator;
    if (code != ERROR_PIPE_BUSY) {
      *error = Failure(("opening " + path).c_str(), code);
      return SendResult::Failed;
    }
    // Another client is being served; its turn is short.
    if (Remaining(deadline) == 0 || !WaitNamedPipeA(path.c_str(), Remaining(deadline))) {
      if (GetLastError() == ERROR_FILE_NOT_FOUND) return SendResult::NoSimulator;
      *error = "the simulator stayed busy with another client";
      return SendResult::Failed;
    }
  }
  Handle pipe(raw);
  DWORD mode = PIPE_READMODE_MESSAGE;
  if (!SetNamedPipeHandleState(pipe.get(), &mode, nullptr, nullptr)) {
    *error = Failure("SetNamedPipeHandleState", GetLastError());
    return SendResult::Failed;
  }
  Handle event(CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!event.get()) {
    *error = Failure("CreateEvent", GetLastError());
    return SendResult::Failed;
  }

  OVERLAPPED overlapped{};
  overlapped.hEvent = event.get();
  DWORD bytes = 0, code = ERROR_SUCCESS;
  if (!WriteFile(pipe.get(), request.data(), static_cast<DWORD>(request.size()), nullptr,
                 &overlapped) &&
      GetLastError() != ERROR_IO_PENDING) {
    *error = Failure("sending the command", GetLastError());
    return SendResult::Failed;
  }
  if (!Finish(pipe.get(), overlapped, deadline, &bytes, &code) || code != ERROR_SUCCESS) {
    *error = code == WAIT_TIMEOUT ? "the simulator did not take the command in time"
                                  : Failure("sending the command", code);
    return SendResult::Failed;
  }

  reply->clear();
  std::vector<char> buffer(16 * 1024);
  for (;;) {
    overlapped = OVERLAPPED{};
    overlapped.hEvent = event.get();
    ResetEvent(event.get());
    if (!ReadFile(pipe.get(), buffer.data(), static_cast<DWORD>(buffer.size()), nullptr,
                  &overlapped) &&
        GetLastError() != ERROR_IO_PENDING && GetLastError() != ERROR_MORE_DATA) {
      code = GetLastError();
      *error = code == ERROR_BROKEN_PIPE ? "the simulator hung up without an answer"
                                         : Failure("reading the answer", code);
      return SendResult::Failed;
    }
    if (!Finish(pipe.get(), overlapped, deadline, &bytes, &code)) {
      *error = "no answer from the simulator in time";
      return SendResult::Failed;
    }
    reply->append(buffer.data(), bytes);
    if (code == ERROR_SUCCESS) return SendResult::Replied;
    if (code != ERROR_MORE_DATA) {
      *error = code == ERROR_BROKEN_PIPE ? "the simulator hung up without an answer"
                                         : Failure("reading the answer", code);
      return SendResult::Failed;
    }
  }
}

}  // namespace korvex
