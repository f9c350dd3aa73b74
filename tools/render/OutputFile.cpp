#include "tools/render/OutputFile.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace {

const size_t STREAM_BUFFER_BYTES = 1 << 16;

}  // namespace

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
  if (stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode) && !S_ISREG(info.st_mode)) {
    // A device or a pipe is written to as it is.
    m_file = std::fopen(path.c_str(), "wb");
    if (!m_file) return Fail("cannot open for writing", errno, error);
    std::setvbuf(m_file, nullptr, _IOFBF, STREAM_BUFFER_BYTES);
    m_stream = true;
    m_ownsFile = true;
    return true;
  }
  m_stream = false;
  return m_safe.Open(path, error);
}

bool COutputFile::Write(const void* data, size_t size, std::string& error) {
  if (!m_stream) {
    if (!m_safe.IsOpen()) return Fail("cannot write: not open", 0, error);
    if (m_safe.Write(data, size)) return true;
    // Finish names the failure (and removes the temporary file).
    return m_safe.Finish(error) && Fail("cannot write file", EIO, error);
  }
  if (!m_file || m_finished) return Fail("cannot write: not open", 0, error);
  if (size == 0) return true;
  errno = 0;
  if (std::fwrite(data, 1, size, m_file) != size) return Fail("cannot write file", errno ? errno : EIO, error);
  return true;
}

bool COutputFile::WriteAt(uint64_t offset, const void* data, size_t size, std::string& error) {
  if (!m_stream) {
    if (!m_safe.IsOpen()) return Fail("cannot write: not open", 0, error);
    if (m_safe.WriteAt(offset, data, size)) return true;
    // Finish names the failure (and removes the temporary file).
    return m_safe.Finish(error) && Fail("cannot write file", EIO, error);
  }
  if (!m_file || m_finished) return Fail("cannot write: not open", 0, error);
  if (m_stream) return Fail("cannot go back in a stream", 0, error);
  errno = 0;
  if (fseeko(m_file, static_cast<off_t>(offset), SEEK_SET) != 0 ||
      (size && std::fwrite(data, 1, size, m_file) != size) || fseeko(m_file, 0, SEEK_END) != 0)
    return Fail("cannot write file", errno ? errno : EIO, error);
  return true;
}

bool COutputFile::Finish(std::string& error) {
  if (!m_stream) return m_safe.Finish(error);
  if (!m_file) return m_finished || Fail("cannot write: not open", 0, error);
  errno = 0;
  bool ok = std::fflush(m_file) == 0;
  int code = errno;
  if (m_ownsFile && std::fclose(m_file) != 0 && ok) {
    ok = false;
    code = errno;
  }
  m_file = nullptr;
  m_finished = ok;
  return ok || Fail("cannot write file", code ? code : EIO, error);
}

bool COutputFile::Commit(std::string& error) {
  if (!m_stream) return m_safe.Commit(error);
  return m_finished || Finish(error);
}

void COutputFile::Discard() {
  m_safe.Discard();
  if (m_file && m_ownsFile) std::fclose(m_file);
  if (m_file && !m_ownsFile) std::fflush(m_file);
  m_file = nullptr;
  m_finished = false;
}
