#pragma once
// The simulator's control channel: one named-pipe instance served by a thread of its own, open
// to the current user only and refusing remote clients. Every wait is overlapped and also waits
// for the stop event, so that stopping never hangs on a client that connects and then stalls.
#include <windows.h>

#include <functional>
#include <string>
#include <thread>

namespace korvex {

class PipeServer {
 public:
  // Answers one request; `oversized` is true when the request exceeded the size limit and
  // `request` holds only its beginning.
  using Handler = std::function<std::string(const std::string& request, bool oversized)>;

  PipeServer() = default;
  PipeServer(const PipeServer&) = delete;
  PipeServer& operator=(const PipeServer&) = delete;
  ~PipeServer();

  // Creates the pipe (failing when another process already serves the name) and starts serving.
  bool Start(const std::string& path, std::size_t maxRequest, Handler handler, std::string* error);
  // Ends serving; returns once the thread has finished, whatever a client is doing.
  void Stop();

 private:
  enum class Wait { Done, Stopped, TimedOut };
  void Run();
  void Serve();
  // Issues nothing: waits for the operation in `overlapped` with a timeout, cancelling it on
  // timeout or stop so that the buffer it uses can go.
  Wait Await(OVERLAPPED& overlapped, DWORD timeoutMs, DWORD* bytes, DWORD* error);
  Wait Read(char* buffer, DWORD size, DWORD timeoutMs, DWORD* bytes, DWORD* error);
  Wait Write(const std::string& data, DWORD timeoutMs);

  HANDLE pipe_ = INVALID_HANDLE_VALUE;
  HANDLE stopEvent_ = nullptr;
  HANDLE ioEvent_ = nullptr;
  std::size_t maxRequest_ = 0;
  Handler handler_;
  std::thread thread_;
};

}  // namespace korvex
