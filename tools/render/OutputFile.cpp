#include "tools/render/OutputFile.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Links followed before a path is taken as looping.
const int MAX_LINKS = 40;
const size_t STREAM_BUFFER_BYTES = 1 << 16;

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// The path a chain of symbolic links ends at (the path itself when it is no
// link); the end need not exist. False for a loop.
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

// A canonical spelling of a path that may not exist yet: its folder resolved.
std::string Canonical(const std::string& path) {
  std::string end;
  if (!FollowLinks(path, end)) end = path;
  char buffer[PATH_MAX];
  if (realpath(end.c_str(), buffer)) return buffer;
  const std::string folder = FolderOf(end);
  const std::string name = end.substr(end.rfind('/') == std::string::npos ? 0 : end.rfind('/') + 1);
  if (realpath(folder.c_str(), buffer)) return std::string(buffer) + "/" + name;
  return end;
}

}  // namespace

bool IsSameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty() || a == "-" || b == "-") return false;
  struct stat sa, sb;
  if (stat(a.c_str(), &sa) == 0 && stat(b.c_str(), &sb) == 0)
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  return Canonical(a) == Canonical(b);
}

bool COutputFile::Fail(const std::string& what, int code, std::string& error) {
  error = m_name + ": " + what;
  if (code != 0) error += std::string(": ") + std::strerror(code);
  return false;
}

bool COutputFile::Open(const std::string& path, FILE* standardOutput, std::string& error) {
  Discard();
  m_name = path;
  m_finished = false;
  if (path == "-") {
    if (!standardOutput) return Fail("no standard output", 0, error);
    m_file = standardOutput;
    m_stream = true;
    m_ownsFile = false;
    return true;
  }

  struct stat info;
  if (stat(path.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return Fail("cannot write: it is a folder", 0, error);
    if (!S_ISREG(info.st_mode)) {
      // A device or a pipe is written to as it is.
      m_file = std::fopen(path.c_str(), "wb");
      if (!m_file) return Fail("cannot open for writing", errno, error);
      std::setvbuf(m_file, nullptr, _IOFBF, STREAM_BUFFER_BYTES);
      m_stream = true;
      m_ownsFile = true;
      return true;
    }
    m_mode = info.st_mode & 07777;
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    m_mode = 0666 & ~mask;
  }

  // A regular file or a new name: a temporary file beside the file that is
  // replaced (beside a link's target, so the link stays a link).
  if (!FollowLinks(path, m_target)) return Fail("cannot write: too many levels of links", ELOOP, error);
  std::string temp = m_target + ".partial-XXXXXX";
  const int fd = mkstemp(&temp[0]);
  if (fd < 0) return Fail("cannot write file", errno, error);
  m_file = fdopen(fd, "wb");
  if (!m_file) {
    const int code = errno;
    close(fd);
    unlink(temp.c_str());
    return Fail("cannot write file", code, error);
  }
  std::setvbuf(m_file, nullptr, _IOFBF, STREAM_BUFFER_BYTES);
  m_temp = temp;
  m_stream = false;
  m_ownsFile = true;
  return true;
}

bool COutputFile::Write(const void* data, size_t size, std::string& error) {
  if (!m_file || m_finished) return Fail("cannot write: not open", 0, error);
  if (size == 0) return true;
  errno = 0;
  if (std::fwrite(data, 1, size, m_file) != size)
    return Fail("cannot write file", errno ? errno : EIO, error);
  return true;
}

bool COutputFile::WriteAt(uint64_t offset, const void* data, size_t size, std::string& error) {
  if (!m_file || m_finished) return Fail("cannot write: not open", 0, error);
  if (m_stream) return Fail("cannot go back in a stream", 0, error);
  errno = 0;
  if (fseeko(m_file, static_cast<off_t>(offset), SEEK_SET) != 0 ||
      (size && std::fwrite(data, 1, size, m_file) != size) || fseeko(m_file, 0, SEEK_END) != 0)
    return Fail("cannot write file", errno ? errno : EIO, error);
  return true;
}

bool COutputFile::Finish(std::string& error) {
  if (!m_file) return m_finished || Fail("cannot write: not open", 0, error);
  errno = 0;
  bool ok = std::fflush(m_file) == 0;
  int code = errno;
  if (ok && !m_stream && fsync(fileno(m_file)) != 0) {
    ok = false;
    code = errno;
  }
  if (!m_stream && ok && fchmod(fileno(m_file), m_mode) != 0) {
    ok = false;
    code = errno;
  }
  if (m_ownsFile) {
    if (std::fclose(m_file) != 0 && ok) {
      ok = false;
      code = errno;
    }
  }
  m_file = nullptr;
  m_finished = ok;
  if (!ok) {
    if (!m_temp.empty()) unlink(m_temp.c_str());
    m_temp.clear();
    return Fail("cannot write file", code ? code : EIO, error);
  }
  return true;
}

bool COutputFile::Commit(std::string& error) {
  if (!m_finished && !Finish(error)) return false;
  if (m_temp.empty()) return true;
  if (std::rename(m_temp.c_str(), m_target.c_str()) != 0) {
    const int code = errno;
    unlink(m_temp.c_str());
    m_temp.clear();
    return Fail("cannot write file", code, error);
  }
  m_temp.clear();
  return true;
}

void COutputFile::Discard() {
  if (m_file && m_ownsFile) std::fclose(m_file);
  if (m_file && !m_ownsFile) std::fflush(m_file);
  m_file = nullptr;
  if (!m_temp.empty()) unlink(m_temp.c_str());
  m_temp.clear();
  m_finished = false;
}
