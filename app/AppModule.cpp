#include "app/AppModule.h"

CAppModule g_appModule;

namespace {

class CriticalSectionLock {
 public:
  explicit CriticalSectionLock(CRITICAL_SECTION& cs) : m_cs(cs) { ::EnterCriticalSection(&m_cs); }
  ~CriticalSectionLock() { ::LeaveCriticalSection(&m_cs); }
  CriticalSectionLock(const CriticalSectionLock&) = delete;
  CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

 private:
  CRITICAL_SECTION& m_cs;
};

}  // namespace

// The lock lives as long as the object, so that a late lookup after Shutdown finds an empty
// registry instead of a destroyed lock.
CAppModule::CAppModule() { ::InitializeCriticalSection(&m_lock); }

CAppModule::~CAppModule() { ::DeleteCriticalSection(&m_lock); }

HRESULT CAppModule::Initialize(HINSTANCE instance) {
  CriticalSectionLock lock(m_lock);
  m_instance = instance;
  m_mainThreadId = ::GetCurrentThreadId();
  m_loops = std::make_unique<std::map<DWORD, CMessageLoop*>>();
  return S_OK;
}

void CAppModule::Shutdown() {
  CriticalSectionLock lock(m_lock);
  m_loops.reset();
  m_instance = nullptr;
}

HINSTANCE CAppModule::GetModuleInstance() const {
  return m_instance ? m_instance : ::GetModuleHandleA(nullptr);
}

BOOL CAppModule::RegisterLoop(CMessageLoop* loop) {
  CriticalSectionLock lock(m_lock);
  if (!m_loops) return FALSE;
  (*m_loops)[::GetCurrentThreadId()] = loop;
  return TRUE;
}

BOOL CAppModule::UnregisterLoop() {
  CriticalSectionLock lock(m_lock);
  if (!m_loops) return FALSE;
  return m_loops->erase(::GetCurrentThreadId()) > 0;
}

CMessageLoop* CAppModule::CurrentLoop() const {
  CriticalSectionLock lock(m_lock);
  if (!m_loops) return nullptr;
  auto it = m_loops->find(::GetCurrentThreadId());
  return it == m_loops->end() ? nullptr : it->second;
}
