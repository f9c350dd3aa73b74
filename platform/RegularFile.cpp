#include "platform/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace Platform {

namespace {
// Linux has no code of its own for "not a regular file"; EINVAL stands for
// it (open with O_RDONLY never sets it otherwise for an existing path).
const int NOT_REGULAR_ERROR = EINVAL;
}  // namespace

int OpenRegularFileDescriptor(const char* path) {
  if (!path || !*path) {
    errno = ENOENT;
    return -1;
  }
  const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return -1;
  struct stat st;
  if (fstat(fd, &st) != 0) {
    const int saved = errno;
    close(fd);
    errno = saved;
    return -1;
  }
  if (!S_ISREG(st.st_mode)) {
    close(fd);
    errno = S_ISDIR(st.st_mode) ? EISDIR : NOT_REGULAR_ERROR;
    return -1;
  }
  // Reads of a regular file do not block anyway; the flag is cleared so the
  // descriptor behaves as an ordinary one.
  const int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  return fd;
}

FILE* OpenRegularFile(const char* path) {
  const int fd = OpenRegularFileDescriptor(path);
  if (fd < 0) return nullptr;
  FILE* file = fdopen(fd, "rb");
  if (!file) {
    const int saved = errno;
    close(fd);
    errno = saved;
  }
  return file;
}

bool IsNotRegularFileError(int error) { return error == NOT_REGULAR_ERROR || error == EISDIR; }

const char* OpenErrorText(int error) {
  return IsNotRegularFileError(error) ? "not a regular file" : std::strerror(error);
}

}  // namespace Platform
