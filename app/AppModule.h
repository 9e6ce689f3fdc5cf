#pragma once
// The application module: the program's instance handle, the main thread, and the registry that
// tells each thread's code which message loop runs on it.
#include <windows.h>

#include <map>
#include <memory>

class CMessageLoop;

class CAppModule {
 public:
  CAppModule();
  ~CAppModule();
  CAppModule(const CAppModule&) = delete;
  CAppModule& operator=(const CAppModule&) = delete;

  HRESULT Initialize(HINSTANCE instance);
  void Shutdown();

  // Every resource of the program is loaded from here. Before Initialize, the process's own
  // executable (so that tests that skip start-up still find their resources).
  HINSTANCE GetModuleInstance() const;
  HINSTANCE GetResourceInstance() const { return GetModuleInstance(); }
  DWORD GetMainThreadID() const { return m_mainThreadId; }

  BOOL RegisterLoop(CMessageLoop* loop);
  BOOL UnregisterLoop();
  CMessageLoop* CurrentLoop() const;

 private:
  HINSTANCE m_instance = nullptr;
  DWORD m_mainThreadId = 0;
  std::unique_ptr<std::map<DWORD, CMessageLoop*>> m_loops;
  mutable CRITICAL_SECTION m_lock;
};

// The one module object of the process.
extern CAppModule g_appModule;
