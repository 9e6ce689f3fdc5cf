#include "korvex/PipeServer.h"

#include <sddl.h>

#include <vector>

namespace korvex {

namespace {

// A client has this long to send its command, and to read the answer and hang up.
const DWORD kRequestTimeoutMs = 2000;
const DWORD kReplyTimeoutMs = 5000;

std::string LastErrorText(const char* what, DWORD code) {
  return std::string(what) + " failed (error " + std::to_string(code) + ")";
}

// A security descriptor whose only entry grants the current user full access: nobody else on
// the machine may open the pipe.
bool CurrentUserOnly(PSECURITY_DESCRIPTOR* descriptor, std::string* error) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
    *error = LastErrorText("OpenProcessToken", GetLastError());
    return false;
  }
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<unsigned char> buffer(size ? size : 1);
  const BOOL got = GetTokenInformation(token, TokenUser, buffer.data(), size, &size);
  const DWORD tokenError = GetLastError();
  CloseHandle(token);
  if (!got) {
    *error = LastErrorText("GetTokenInformation", tokenError);
    return false;
  }
  char* sid = nullptr;
  if (!ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
    *error = LastErrorText("ConvertSidToStringSid", GetLastError());
    return false;
  }
  const std::string sddl = std::string("D:P(A;;GA;;;") + sid + ")";
  LocalFree(sid);
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                            descriptor, nullptr)) {
    *error = LastErrorText("ConvertStringSecurityDescriptorToSecurityDescriptor", GetLastError());
    return false;
  }
  return true;
}

}  // namespace

PipeServer::~PipeServer() { Stop(); }

bool PipeServer::Start(const std::string& path, std::size_t maxRequest, Handler handler,
                       std::string* error) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!CurrentUserOnly(&descriptor, error)) return false;
  SECURITY_ATTRIBUTES attributes{};
  attributes.nLength = sizeof attributes;
  attributes.lpSecurityDescriptor = descriptor;
  maxRequest_ = maxRequest;
  // One instance, created first: if another process already owns the name, this fails rather
  // than letting two simulators (or an impostor) share it.
  pipe_ = CreateNamedPipeA(path.c_str(),
                           PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                           PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT |
                               PIPE_REJECT_REMOTE_CLIENTS,
                           1, 64 * 1024, static_cast<DWORD>(maxRequest + 64), 0, &attributes);
  const DWORD createError = GetLastError();
  LocalFree(descriptor);
  if (pipe_ == INVALID_HANDLE_VALUE) {
    *error = createError == ERROR_ACCESS_DENIED || createError == ERROR_PIPE_BUSY
                 ? "the pipe " + path + " is already served by another process"
                 : LastErrorText(("CreateNamedPipe " + path).c_str(), createError);
    return false;
  }
  stopEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ioEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!stopEvent_ || !ioEvent_) {
    *error = LastErrorText("CreateEvent", GetLastError());
    Stop();
    return false;
  }
  handler_ = std::move(handler);
  thread_ = std::thread(&PipeServer::Run, this);
  return true;
}

void PipeServer::Stop() {
  if (stopEvent_) SetEvent(stopEvent_);
  if (thread_.joinable()) thread_.join();
  if (pipe_ != INVALID_HANDLE_VALUE) CloseHandle(pipe_);
  if (stopEvent_) CloseHandle(stopEvent_);
  if (ioEvent_) CloseHandle(ioEvent_);
  pipe_ = INVALID_HANDLE_VALUE;
  stopEvent_ = ioEvent_ = nullptr;
}

PipeServer::Wait PipeServer::Await(OVERLAPPED& overlapped, DWORD timeoutMs, DWORD* bytes,
                                   DWORD* error) {
  HANDLE handles[2] = {stopEvent_, overlapped.hEvent};
  const DWORD woken = WaitForMultipleObjects(2, handles, FALSE, timeoutMs);
  if (woken == WAIT_OBJECT_0 + 1) {
    *error = GetOverlappedResult(pipe_, &overlapped, bytes, FALSE) ? ERROR_SUCCESS : GetLastError();
    return Wait::Done;
  }
  // Cancel, and wait for the cancellation to land: the kernel writes into `overlapped` and the
  // buffer until then.
  CancelIo(pipe_);
  GetOverlappedResult(pipe_, &overlapped, bytes, TRUE);
  return woken == WAIT_OBJECT_0 ? Wait::Stopped : Wait::TimedOut;
}

PipeServer::Wait PipeServer::Read(char* buffer, DWORD size, DWORD timeoutMs, DWORD* bytes,
                                  DWORD* error) {
  OVERLAPPED overlapped{};
  overlapped.hEvent = ioEvent_;
  ResetEvent(ioEvent_);
  *bytes = 0;
  if (ReadFile(pipe_, buffer, size, nullptr, &overlapped) || GetLastError() == ERROR_IO_PENDING ||
      GetLastError() == ERROR_MORE_DATA)
    return Await(overlapped, timeoutMs, bytes, error);
  *error = GetLastError();
  return Wait::Done;
}

PipeServer::Wait PipeServer::Write(const std::string& data, DWORD timeoutMs) {
  OVERLAPPED overlapped{};
  overlapped.hEvent = ioEvent_;
  ResetEvent(ioEvent_);
  DWORD bytes = 0, error = 0;
  if (WriteFile(pipe_, data.data(), static_cast<DWORD>(data.size()), nullptr, &overlapped) ||
      GetLastError() == ERROR_IO_PENDING)
    return Await(overlapped, timeoutMs, &bytes, &error);
  return Wait::Done;
}

void PipeServer::Run() {
  for (;;) {
    OVERLAPPED overlapped{};
    overlapped.hEvent = ioEvent_;
    ResetEvent(ioEvent_);
    DWORD bytes = 0, error = ERROR_SUCCESS;
    bool connected = ConnectNamedPipe(pipe_, &overlapped) != FALSE;
    if (!connected) {
      error = GetLastError();
      if (error == ERROR_PIPE_CONNECTED) {
        connected = true;
      } else if (error == ERROR_IO_PENDING) {
        if (Await(overlapped, INFINITE, &bytes, &error) == Wait::Stopped) return;
        connected = error == ERROR_SUCCESS;
      }
    }
    if (connected) Serve();
    DisconnectNamedPipe(pipe_);
    // A failing pipe must not turn this loop into a busy one.
    const DWORD pause = connected || error == ERROR_NO_DATA ? 0 : 100;
    if (WaitForSingleObject(stopEvent_, pause) == WAIT_OBJECT_0) return;
  }
}

void PipeServer::Serve() {
  // Room for the longest command, its line break, and one byte to tell an oversized one.
  std::vector<char> buffer(maxRequest_ + 3);
  DWORD bytes = 0, error = ERROR_SUCCESS;
  if (Read(buffer.data(), static_cast<DWORD>(buffer.size()), kRequestTimeoutMs, &bytes, &error) !=
      Wait::Done)
    return;
  const bool oversized = error == ERROR_MORE_DATA || bytes > maxRequest_ + 2;
  if (error != ERROR_SUCCESS && error != ERROR_MORE_DATA) return;
  const std::string reply = handler_(std::string(buffer.data(), bytes), oversized);
  if (Write(reply, kReplyTimeoutMs) != Wait::Done) return;
  // Disconnecting discards what the client has not read yet, so wait until it hangs up (reading
  // and dropping anything more it sends), or until it has had its time.
  const DWORD until = GetTickCount() + kReplyTimeoutMs;
  for (;;) {
    const DWORD now = GetTickCount();
    if (static_cast<LONG>(until - now) <= 0) return;
    if (Read(buffer.data(), static_cast<DWORD>(buffer.size()), until - now, &bytes, &error) !=
        Wait::Done)
      return;
    if (error != ERROR_SUCCESS && error != ERROR_MORE_DATA) return;  // hung up
  }
}

}  // namespace korvex
