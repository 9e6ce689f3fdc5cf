#pragma once
// The package's request to close, heard by every client it is about to replace, whatever the
// session the client runs in.
//
// The request is a file, kCloseRequestFileName, that the package's custom action creates in the
// folder Sivrel.exe runs from, and deletes once the clients it waits for have ended. Each client
// watches its own folder with a change notification on a thread of its own and, when the file
// appears (or is there when it starts), posts WM_CLOSE to its frame: the frame then stops the
// service, removes its icon and ends with exit code 1, as after Exit.
//
// Why a file rather than a named kernel object: a change notification reaches every process that
// watches the folder, across sessions and users, as a Global\ event would; but anybody may
// create, pre-create or signal a Global\ event, so any user of a terminal server could stop every
// agent's recording with it. Only administrators (and the installer, running as LocalSystem) can
// create a file in the installed program's folder: only whoever may replace the client's files can
// ask it to close. It also reaches exactly the clients started from the folder being replaced; a
// copy started from elsewhere is left alone.
#include <windows.h>

// The name of the request in the client's folder.
constexpr char kCloseRequestFileName[] = "Sivrel.close";

class CloseRequestListener {
 public:
  // Starts listening in the folder of this process's executable; the request is posted to
  // `frame` as WM_CLOSE, at most once.
  explicit CloseRequestListener(HWND frame);
  // Stops listening and waits for the listening thread.
  ~CloseRequestListener();
  CloseRequestListener(const CloseRequestListener&) = delete;
  CloseRequestListener& operator=(const CloseRequestListener&) = delete;

  // False when the folder cannot be watched (the client then runs on, deaf to the package, which
  // ends it after its deadline).
  bool Listening() const { return m_thread != nullptr; }

 private:
  static DWORD WINAPI Listen(void* self);
  bool RequestPresent() const;

  HWND m_frame;
  char m_request[MAX_PATH + 32] = "";
  HANDLE m_change = INVALID_HANDLE_VALUE;
  HANDLE m_stop = nullptr;
  HANDLE m_thread = nullptr;
};
