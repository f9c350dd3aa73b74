#include "engine/AccessLock.h"

CAccessLock::CAccessLock() {
  pthread_mutexattr_t attr;
  pthread_mutexattr_init(&attr);
  pthread_mutexattr_settype(&attr, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(&m_mutex, &attr);
  pthread_mutexattr_destroy(&attr);
}

CAccessLock::~CAccessLock() { pthread_mutex_destroy(&m_mutex); }
