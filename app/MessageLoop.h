#pragma once
// The user-interface thread's message loop with its two hook lists.
#include <windows.h>

#include <vector>

class CMessageFilter {
 public:
  // True when the message was consumed and must be neither translated nor dispatched.
  virtual BOOL FilterMessage(MSG* msg) = 0;

 protected:
  ~CMessageFilter() = default;
};

class CIdleHandler {
 public:
  // The result is ignored by the loop.
  virtual BOOL OnIdle() = 0;

 protected:
  ~CIdleHandler() = default;
};

class CMessageLoop {
 public:
  virtual ~CMessageLoop() = default;

  // Asks the filters, last registered first; the first that consumes the message ends the walk.
  virtual BOOL FilterMessage(MSG* msg);
  // Runs every idle handler once, first registered first, and answers FALSE so that idle
  // processing is disarmed until the next message that counts.
  virtual BOOL OnIdle(int idleCount);

  BOOL AddFilter(CMessageFilter* filter);
  BOOL RemoveFilter(CMessageFilter* filter);
  BOOL AddIdleHandler(CIdleHandler* handler);
  BOOL RemoveIdleHandler(CIdleHandler* handler);

  // Runs until WM_QUIT and answers the quit request's exit code.
  int Run();

  // Mouse moves, paint and the system timer come in bursts and do not re-arm idle processing.
  static BOOL IsIdleMessage(const MSG* msg);

  std::vector<CMessageFilter*> m_filters;
  std::vector<CIdleHandler*> m_idleHandlers;
  MSG m_msg{};
};
