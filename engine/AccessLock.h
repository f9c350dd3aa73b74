#pragma once
// Recursive mutex. The engine lock (held by the parameter store) and the
// editor's open/close lock are instances of it.

#include <pthread.h>

class CAccessLock {
 public:
  CAccessLock();
  ~CAccessLock();
  CAccessLock(const CAccessLock&) = delete;
  CAccessLock& operator=(const CAccessLock&) = delete;

  void Lock() { pthread_mutex_lock(&m_mutex); }
  void Unlock() { pthread_mutex_unlock(&m_mutex); }
  // Takes the lock only when no other thread holds it; true when taken.
  bool TryLock() { return pthread_mutex_trylock(&m_mutex) == 0; }

 private:
  pthread_mutex_t m_mutex;
};

// Scope guard for CAccessLock.
class CAutoLock {
 public:
  explicit CAutoLock(CAccessLock& lock) : m_lock(lock) { m_lock.Lock(); }
  ~CAutoLock() { m_lock.Unlock(); }
  CAutoLock(const CAutoLock&) = delete;
  CAutoLock& operator=(const CAutoLock&) = delete;

 private:
  CAccessLock& m_lock;
};
