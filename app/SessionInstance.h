#pragma once
// One client per user session. The first start creates a named section in the session's own
// namespace (Local\) and records its process id there; a later start in the same session finds
// the section, reads who runs, asks that process's frame to open the comments window and ends.
// Nothing has to be cleaned up after a crash: the system deletes the section with the last
// handle, which the process holds until it ends.
#include <windows.h>

#include <string>

// The section's name. Local\ is per session, so every user on a terminal server, and every
// session of one user, runs a client of its own.
constexpr char kSessionInstanceName[] = "Local\\Sivrel.Client.{3d9fdc25-8a70-4e23-9412-39aa59797f73}";

class SessionInstance {
 public:
  explicit SessionInstance(const char* name);
  ~SessionInstance();
  SessionInstance(const SessionInstance&) = delete;
  SessionInstance& operator=(const SessionInstance&) = delete;

  // False when another client of the session holds the section. When the section can be neither
  // created nor opened for a reason other than that, the start counts as the first: a client
  // that might run twice is better than none.
  bool IsFirst() const { return m_first; }
  // The process id the first start recorded: 0 while it has not written it yet, or when the
  // section cannot be read.
  DWORD FirstProcessId() const;

 private:
  struct Record {
    volatile LONG processId;
  };
  HANDLE m_section = nullptr;
  Record* m_record = nullptr;
  bool m_first = true;
};

// Posts `message` to the top-level window of class `frameClass` that belongs to process
// `processId` (a window of that class in any other process is never told), after letting that
// process bring a window to the foreground. False when there is no such window, as while the
// first client is still starting.
bool PostToRunningFrame(DWORD processId, const std::string& frameClass, UINT message);
