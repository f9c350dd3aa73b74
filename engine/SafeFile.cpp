#include "engine/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// Links followed before a path is taken as looping.
const int MAX_LINKS = 40;
const size_t BUFFER_BYTES = 1 << 16;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// A canonical spelling of a path that may not exist yet: its folder resolved.
std::string Canonical(const std::string& path) {
  std::string end;
  if (!SafeFile::FollowLinks(path, end)) end = path;
  char buffer[PATH_MAX];
  if (realpath(end.c_str(), buffer)) return buffer;
  const std::string folder = FolderOf(end);
  const size_t slash = end.rfind('/');
  const std::string name = end.substr(slash == std::string::npos ? 0 : slash + 1);
  if (realpath(folder.c_str(), buffer)) return std::string(buffer) + "/" + name;
  return end;
}

mode_t NewFileMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// Why an existing entry cannot be replaced by a file; null when it can.
const char* Refusal(const struct stat& info) {
  if (S_ISDIR(info.st_mode)) return "cannot write: it is a folder";
  if (!S_ISREG(info.st_mode)) return "cannot write: it is a device, pipe or socket, not a file";
  return nullptr;
}

}  // namespace

bool CSafeFile::_Fail(const std::string& what, int code, std::string& error) {
  error = m_name + ": " + what;
  if (code != 0) error += std::string(": ") + std::strerror(code);
  return false;
}

bool CSafeFile::Open(const std::string& path, std::string& error) {
  Discard();
  m_name = path;
  m_writeError = 0;
  if (path.empty()) {
    error = "no file name given";
    return false;
  }
  struct stat info;
  if (stat(path.c_str(), &info) == 0) {
    if (const char* refusal = Refusal(info)) return _Fail(refusal, 0, error);
    m_mode = info.st_mode & 07777;
  } else {
    m_mode = NewFileMode();
  }
  // The temporary file lies beside the file that is replaced (beside a
  // link's target, so the link stays a link).
  if (!SafeFile::FollowLinks(path, m_target)) return _Fail("cannot write: too many levels of links", ELOOP, error);
  std::string temp = m_target + ".partial-XXXXXX";
  const int fd = mkstemp(&temp[0]);
  if (fd < 0) return _Fail("cannot write file", errno, error);
  m_file = fdopen(fd, "wb");
  if (!m_file) {
    const int code = errno;
    close(fd);
    unlink(temp.c_str());
    return _Fail("cannot write file", code, error);
  }
  std::setvbuf(m_file, nullptr, _IOFBF, BUFFER_BYTES);
  m_temp = temp;
  return true;
}

bool CSafeFile::WriteAt(uint64_t offset, const void* data, size_t size) {
  if (!m_file || m_finished) {
    if (!m_writeError) m_writeError = EBADF;
    return false;
  }
  if (m_writeError) return false;
  errno = 0;
  if (fseeko(m_file, static_cast<off_t>(offset), SEEK_SET) != 0 ||
      (size && std::fwrite(data, 1, size, m_file) != size) || fseeko(m_file, 0, SEEK_END) != 0) {
    m_writeError = errno ? errno : EIO;
    return false;
  }
  return true;
}

bool CSafeFile::Write(const void* data, size_t size) {
  if (!m_file || m_finished) {
    if (!m_writeError) m_writeError = EBADF;
    return false;
  }
  if (m_writeError) return false;
  if (size == 0) return true;
  errno = 0;
  if (std::fwrite(data, 1, size, m_file) != size) {
    m_writeError = errno ? errno : EIO;
    return false;
  }
  return true;
}

bool CSafeFile::Finish(std::string& error) {
  if (!m_file) return m_finished || _Fail("cannot write: not open", 0, error);
  errno = 0;
  int code = m_writeError;
  bool ok = code == 0;
  if (ok && std::fflush(m_file) != 0) {
    ok = false;
    code = errno;
  }
  if (ok && fsync(fileno(m_file)) != 0) {
    ok = false;
    code = errno;
  }
  if (ok && fchmod(fileno(m_file), m_mode) != 0) {
    ok = false;
    code = errno;
  }
  if (std::fclose(m_file) != 0 && ok) {
    ok = false;
    code = errno;
  }
  m_file = nullptr;
  m_finished = ok;
  if (!ok) {
    unlink(m_temp.c_str());
    m_temp.clear();
    return _Fail("cannot write file", code ? code : EIO, error);
  }
  return true;
}

bool CSafeFile::Commit(std::string& error) {
  if (!m_finished && !Finish(error)) return false;
  if (m_temp.empty()) return _Fail("cannot write: not open", 0, error);
  if (std::rename(m_temp.c_str(), m_target.c_str()) != 0) {
    const int code = errno;
    unlink(m_temp.c_str());
    m_temp.clear();
    m_finished = false;
    return _Fail("cannot write file", code, error);
  }
  m_temp.clear();
  m_finished = false;
  return true;
}

void CSafeFile::Discard() {
  if (m_file) std::fclose(m_file);
  m_file = nullptr;
  if (!m_temp.empty()) unlink(m_temp.c_str());
  m_temp.clear();
  m_finished = false;
}

namespace SafeFile {

bool WriteAll(const std::string& path, const void* data, size_t size, std::string& error) {
  CSafeFile file;
  if (!file.Open(path, error)) return false;
  file.Write(data, size);
  return file.Commit(error);
}

bool FollowLinks(const std::string& path, std::string& end) {
  std::string p = path;
  for (int i = 0; i < MAX_LINKS; ++i) {
    struct stat info;
    if (lstat(p.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
      end = p;
      return true;
    }
    char buffer[PATH_MAX];
    const ssize_t n = readlink(p.c_str(), buffer, sizeof(buffer) - 1);
    if (n <= 0) {
      end = p;
      return true;
    }
    const std::string link(buffer, static_cast<size_t>(n));
    p = link[0] == '/' ? link : FolderOf(p) + "/" + link;
  }
  return false;
}

bool IsSameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty() || a == "-" || b == "-") return false;
  struct stat sa, sb;
  if (stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0) return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  return Canonical(a) == Canonical(b);
}

bool CheckWritable(const std::string& path, std::string& error) {
  if (path.empty()) {
    error = "no file name given";
    return false;
  }
  struct stat info;
  std::string end;
  if (!FollowLinks(path, end)) {
    error = path + ": cannot write: too many levels of links";
    return false;
  }
  if (stat(path.c_str(), &info) == 0) {
    if (const char* refusal = Refusal(info)) {
      error = path + ": " + refusal;
      return false;
    }
  } else if (errno != ENOENT && errno != ENOTDIR) {
    error = path + ": cannot write file: " + std::strerror(errno);
    return false;
  }
  // The temporary file is made in the folder of the file replaced.
  const std::string folder = FolderOf(end);
  struct stat folderInfo;
  if (stat(folder.c_str(), &folderInfo) != 0) {
    error = path + ": cannot write file: the folder " + folder + " does not exist";
    return false;
  }
  if (!S_ISDIR(folderInfo.st_mode)) {
    error = path + ": cannot write file: " + folder + " is not a folder";
    return false;
  }
  if (access(folder.c_str(), W_OK | X_OK) != 0) {
    error = path + ": cannot write file: " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace SafeFile
