#pragma once
// While it lives, the standard error stream goes nowhere: the sound and
// MIDI libraries write their own diagnostics there (every sound server and
// card they probe and do not find), and the program says in one line of its
// own what failed.

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

class CQuietStderr {
 public:
  CQuietStderr() {
    std::fflush(stderr);
    m_saved = dup(STDERR_FILENO);
    const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (m_saved >= 0 && null >= 0) dup2(null, STDERR_FILENO);
    if (null >= 0) close(null);
  }
  ~CQuietStderr() {
    std::fflush(stderr);
    if (m_saved >= 0) {
      dup2(m_saved, STDERR_FILENO);
      close(m_saved);
    }
  }
  CQuietStderr(const CQuietStderr&) = delete;
  CQuietStderr& operator=(const CQuietStderr&) = delete;

 private:
  int m_saved = -1;
};
