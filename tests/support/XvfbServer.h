#pragma once
// A virtual X server for window tests: starts Xvfb on a free display
// (Xvfb picks it and reports it through -displayfd), points DISPLAY at it
// while the object lives and stops it afterwards. Available() is false when
// Xvfb is not installed or does not start; tests then skip.
//
// Also runs xdotool in the background (Spawn) for synthetic input while a
// modal loop of the code under test waits for it.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <poll.h>
#include <string>
#include <vector>

extern char** environ;

class CXvfbServer {
 public:
  CXvfbServer() {
    const char* old = getenv("DISPLAY");
    m_hadOld = old != nullptr;
    if (old) m_old = old;
    std::string xvfb = FindProgram("Xvfb");
    if (xvfb.empty()) return;
    int fds[2];
    if (pipe(fds) != 0) return;
    std::string fd = std::to_string(fds[1]);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> args{xvfb, "-displayfd", fd, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    if (posix_spawn(&m_pid, xvfb.c_str(), &actions, nullptr, argv.data(), environ) != 0) m_pid = 0;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    std::string number;
    pollfd p{fds[0], POLLIN, 0};
    while (m_pid && poll(&p, 1, 10000) > 0) {
      char c;
      if (read(fds[0], &c, 1) != 1 || c == '\n') break;
      number += c;
    }
    close(fds[0]);
    if (number.empty()) {
      Stop();
      return;
    }
    m_display = ":" + number;
    setenv("DISPLAY", m_display.c_str(), 1);
  }
  ~CXvfbServer() {
    Stop();
    if (m_hadOld)
      setenv("DISPLAY", m_old.c_str(), 1);
    else
      unsetenv("DISPLAY");
  }
  CXvfbServer(const CXvfbServer&) = delete;
  CXvfbServer& operator=(const CXvfbServer&) = delete;

  bool Available() const { return !m_display.empty(); }
  const std::string& DisplayName() const { return m_display; }

  // The program's path on PATH, or "".
  static std::string FindProgram(const char* name) {
    const char* path = getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t at = 0;
    while (at <= dirs.size()) {
      size_t end = dirs.find(':', at);
      if (end == std::string::npos) end = dirs.size();
      std::string candidate = dirs.substr(at, end - at) + "/" + name;
      if (access(candidate.c_str(), X_OK) == 0) return candidate;
      at = end + 1;
    }
    return "";
  }

  // Starts a program in the background; Wait collects it.
  static pid_t Spawn(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    std::vector<std::string> copy = args;
    for (std::string& a : copy) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return 0;
    return pid;
  }
  // The exit status of a spawned program (-1 when it did not end normally).
  static int Wait(pid_t pid) {
    int status = 0;
    if (pid <= 0 || waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // As Wait, but a program still running after the given seconds (say one
  // waiting for a window that never came) is killed and counts as failed.
  static int Wait(pid_t pid, int seconds) {
    if (pid <= 0) return -1;
    for (int tenths = 0; tenths < seconds * 10; ++tenths) {
      int status = 0;
      pid_t done = waitpid(pid, &status, WNOHANG);
      if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      if (done < 0) return -1;
      usleep(100000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return -1;
  }

 private:
  void Stop() {
    if (m_pid > 0) {
      kill(m_pid, SIGTERM);
      waitpid(m_pid, nullptr, 0);
      m_pid = 0;
    }
    m_display.clear();
  }

  pid_t m_pid = 0;
  std::string m_display;
  std::string m_old;
  bool m_hadOld = false;
};
