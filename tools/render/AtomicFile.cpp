#include "tools/render/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace AtomicFile {

bool Write(const char* path, const void* data, size_t size, std::string& error) {
  const std::string name = path ? path : "";
  if (name.empty()) {
    error = "no output file name given";
    return false;
  }
  std::string temp = name + ".partial-XXXXXX";
  const int fd = mkstemp(&temp[0]);
  if (fd < 0) {
    error = name + ": cannot create file: " + std::strerror(errno);
    return false;
  }
  FILE* file = fdopen(fd, "wb");
  if (!file) {
    error = name + ": cannot write file: " + std::strerror(errno);
    close(fd);
    unlink(temp.c_str());
    return false;
  }
  bool ok = size == 0 || std::fwrite(data, 1, size, file) == size;
  int savedErrno = errno;
  ok = std::fflush(file) == 0 && ok;
  if (!ok && savedErrno == 0) savedErrno = errno;
  ok = std::fclose(file) == 0 && ok;
  if (!ok) {
    error = name + ": cannot write file: " + std::strerror(savedErrno ? savedErrno : errno);
    unlink(temp.c_str());
    return false;
  }
  // mkstemp creates the file readable only by its owner; give it the usual
  // permissions of a newly created file.
  const mode_t mask = umask(0);
  umask(mask);
  chmod(temp.c_str(), 0666 & ~mask);
  if (std::rename(temp.c_str(), name.c_str()) != 0) {
    error = name + ": cannot write file: " + std::strerror(errno);
    unlink(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace AtomicFile
