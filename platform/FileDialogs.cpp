#include "platform/FileDialogs.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstdio>
#include <cstring>

#include "platform/x11/X11Dialog.h"
#include "platform/x11/X11Window.h"

extern char** environ;

namespace {

const int POLL_MS = 40;

FILE_DIALOG_RESPONDER& Responder() {
  static FILE_DIALOG_RESPONDER responder;
  return responder;
}

MESSAGE_RESPONDER& MessageResponder() {
  static MESSAGE_RESPONDER responder;
  return responder;
}

bool HasType(const std::string& path, const char* type) {
  if (!type || !*type) return true;
  const std::string ext = std::string(".") + type;
  const size_t slash = path.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  return path.size() > nameStart + ext.size() &&
         strcasecmp(path.c_str() + path.size() - ext.size(), ext.c_str()) == 0;
}

bool CopyOut(const std::string& chosen, char* path, unsigned size) {
  if (chosen.empty()) return false;
  size_t n = chosen.size() < size - 1 ? chosen.size() : size - 1;
  std::memcpy(path, chosen.data(), n);
  path[n] = 0;
  return true;
}

// Runs argv (argv[0] a path) with its output read back; true when it ends
// with status 0. No shell is involved, so no text is ever interpreted.
bool RunProgram(const std::vector<std::string>& argv, std::string& output) {
  int fds[2];
  if (pipe(fds) != 0) return false;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_addclose(&actions, fds[1]);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (spawned != 0) {
    close(fds[0]);
    return false;
  }
  // Read without blocking the editor: its windows stay painted, and a
  // signal or a close of its window ends the program's dialog at once.
  fcntl(fds[0], F_SETFL, fcntl(fds[0], F_GETFL) | O_NONBLOCK);
  bool abandoned = false;
  char buffer[1024];
  for (;;) {
    if (X11ServiceWindowsDuringModal()) {
      abandoned = true;
      kill(pid, SIGTERM);
      break;
    }
    pollfd fd{fds[0], POLLIN, 0};
    const int ready = poll(&fd, 1, POLL_MS);
    if (ready <= 0) continue;
    const ssize_t n = read(fds[0], buffer, sizeof(buffer));
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      break;
    }
    output.append(buffer, static_cast<size_t>(n));
  }
  close(fds[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (abandoned) return false;
  while (!output.empty() && (output.back() == '\n' || output.back() == '\r')) output.pop_back();
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string StartFolder(const char* folder) {
  std::string start;
  if (folder && *folder) {
    start = folder;
  } else {
    char cwd[4096];
    if (getcwd(cwd, sizeof(cwd))) start = cwd;
  }
  if (!start.empty() && start.back() != '/') start += '/';
  return start;
}

bool Show(bool save, char* path, unsigned size, const char* folder, const char* type, const char* name) {
  if (!path || size == 0) return false;
  if (Responder()) {
    std::string chosen;
    if (!Responder()(save, folder, type, name, chosen)) return false;
    return CopyOut(chosen, path, size);
  }
  // Nothing to show a panel on: as if cancelled.
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) return false;
  std::string start = StartFolder(folder);
  if (save && name && *name) {
    start += name;
    if (type && *type && !HasType(start, type)) start += std::string(".") + type;
  }
  std::string chosen;
  std::string program = FindDesktopDialogProgram();
  if (!program.empty()) {
    if (!RunProgram(DesktopDialogCommand(program, save, type, start), chosen) || chosen.empty()) return false;
    if (save && !HasType(chosen, type)) {
      // The name as typed gets the category's extension, as in our own
      // dialog; the program asked about the name without it, so a file
      // under the full name is asked about here.
      chosen += std::string(".") + type;
      struct stat info;
      if (stat(chosen.c_str(), &info) == 0 && !X11RunReplaceDialog(chosen)) return false;
    }
    return CopyOut(chosen, path, size);
  }
  chosen = start;
  if (!X11RunFileDialog(save, type, chosen)) return false;
  return CopyOut(chosen, path, size);
}

}  // namespace

void SetFileDialogResponder(FILE_DIALOG_RESPONDER responder) { Responder() = responder; }

std::string FindDesktopDialogProgram() {
  const char* path = std::getenv("PATH");
  if (!path) return std::string();
  for (const char* program : {"zenity", "kdialog"}) {
    std::string dirs = path;
    size_t at = 0;
    while (at <= dirs.size()) {
      size_t end = dirs.find(':', at);
      if (end == std::string::npos) end = dirs.size();
      std::string dir = dirs.substr(at, end - at);
      if (!dir.empty()) {
        std::string candidate = dir + "/" + program;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
      }
      at = end + 1;
    }
  }
  return std::string();
}

std::vector<std::string> DesktopDialogCommand(const std::string& program, bool save, const char* type,
                                              const std::string& start) {
  std::vector<std::string> argv{program};
  const bool typed = type && *type;
  const std::string pattern = typed ? std::string("*.") + type : std::string();
  size_t slash = program.rfind('/');
  std::string base = slash == std::string::npos ? program : program.substr(slash + 1);
  if (base == "kdialog") {
    argv.push_back(save ? "--getsavefilename" : "--getopenfilename");
    argv.push_back(start.empty() ? std::string(".") : start);
    if (typed) argv.push_back(pattern);
    argv.push_back("--title");
    argv.push_back(save ? "Save" : "Open");
  } else {
    argv.push_back("--file-selection");
    if (save) {
      argv.push_back("--save");
      argv.push_back("--confirm-overwrite");
    }
    argv.push_back(save ? "--title=Save" : "--title=Open");
    if (!start.empty()) argv.push_back("--filename=" + start);
    if (typed) argv.push_back("--file-filter=" + pattern);
  }
  return argv;
}

bool CocoaShowLoadFileDialog(char* path, unsigned size, const char* type, const char* folder) {
  return Show(false, path, size, folder, type, nullptr);
}

bool CocoaShowSaveFileDialog(char* path, unsigned size, const char* folder, const char* type,
                             const char* name) {
  return Show(true, path, size, folder, type, name);
}

void SetMessageResponder(MESSAGE_RESPONDER responder) { MessageResponder() = responder; }

void ShowMessage(const std::string& text) {
  if (MessageResponder()) {
    MessageResponder()(text);
    return;
  }
  const char* display = std::getenv("DISPLAY");
  if (display && *display && X11RunMessageDialog(text.c_str())) return;
  // Nowhere to draw it: the standard error stream at least.
  std::fprintf(stderr, "Morlavine: %s\n", text.c_str());
}
