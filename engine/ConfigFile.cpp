#include "engine/ConfigFile.h"

#include "engine/SafeFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Utf8.h"
#include "platform/RegularFile.h"

namespace ConfigFile {

namespace {

class CReader {
 public:
  CReader(const unsigned char* data, size_t n) : m_data(data), m_size(n) {}
  size_t Remaining() const { return m_size - m_pos; }
  bool ReadU32(unsigned int& v) {
    if (Remaining() < 4) return false;
    v = static_cast<unsigned int>(m_data[m_pos]) | (static_cast<unsigned int>(m_data[m_pos + 1]) << 8) |
        (static_cast<unsigned int>(m_data[m_pos + 2]) << 16) | (static_cast<unsigned int>(m_data[m_pos + 3]) << 24);
    m_pos += 4;
    return true;
  }
  bool ReadU8(unsigned char& v) {
    if (Remaining() < 1) return false;
    v = m_data[m_pos++];
    return true;
  }
  // One length-prefixed string; false when the data is not sound.
  bool ReadString(std::string& s) {
    unsigned int length = 0;
    if (!ReadU32(length)) return false;
    s.clear();
    if (length <= 1) return true;  // empty; no bytes follow
    if (length > Remaining()) return false;
    const char* p = reinterpret_cast<const char*>(m_data + m_pos);
    const void* nul = std::memchr(p, 0, length);
    size_t n = nul ? static_cast<size_t>(static_cast<const char*>(nul) - p) : length;
    s.assign(p, n);
    m_pos += length;
    return true;
  }

 private:
  const unsigned char* m_data;
  size_t m_size;
  size_t m_pos = 0;
};

void PutU32(std::vector<unsigned char>& out, unsigned int v) {
  out.push_back(static_cast<unsigned char>(v & 0xFF));
  out.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
  out.push_back(static_cast<unsigned char>((v >> 16) & 0xFF));
  out.push_back(static_cast<unsigned char>((v >> 24) & 0xFF));
}

void PutString(std::vector<unsigned char>& out, const std::string& s) {
  // Only the bytes up to a NUL can be read back, so that is what is stored.
  size_t n = std::strlen(s.c_str());
  if (n == 0 || n >= 0xFFFFFFFFu) {
    PutU32(out, 0);
    return;
  }
  PutU32(out, static_cast<unsigned int>(n + 1));
  out.insert(out.end(), s.c_str(), s.c_str() + n);
  out.push_back(0);
}

}  // namespace

CONFIG_SETTINGS Parse(const unsigned char* data, size_t n) {
  CONFIG_SETTINGS s;
  if (!data) return s;
  CReader reader(data, n);
  std::string author, presetPath, midiMapPath;
  if (!reader.ReadString(author)) return s;
  s.authorName = Platform::IsValidUtf8(author.data(), author.size()) ? author : std::string();
  if (!reader.ReadString(presetPath)) return s;
  s.presetPath = presetPath;
  if (!reader.ReadString(midiMapPath)) return s;
  s.midiMapPath = midiMapPath;
  unsigned char flag = 0;
  if (reader.ReadU8(flag)) s.recordOnMidiInput = flag;
  return s;
}

std::vector<unsigned char> Serialize(const CONFIG_SETTINGS& s) {
  std::vector<unsigned char> out;
  PutString(out, s.authorName);
  PutString(out, s.presetPath);
  PutString(out, s.midiMapPath);
  out.push_back(s.recordOnMidiInput);
  return out;
}

bool Read(const std::string& path, CONFIG_SETTINGS& s) {
  s = CONFIG_SETTINGS();
  FILE* f = Platform::OpenRegularFile(path.c_str());
  if (!f) return false;
  std::vector<unsigned char> data;
  unsigned char chunk[4096];
  bool ok = true;
  while (data.size() < MAX_FILE_BYTES) {
    size_t want = sizeof(chunk);
    if (want > MAX_FILE_BYTES - data.size()) want = MAX_FILE_BYTES - data.size();
    size_t got = std::fread(chunk, 1, want, f);
    data.insert(data.end(), chunk, chunk + got);
    if (got < want) {
      ok = !std::ferror(f);
      break;
    }
  }
  std::fclose(f);
  if (!ok) return false;
  s = Parse(data.data(), data.size());
  return true;
}

bool Write(const std::string& path, const CONFIG_SETTINGS& s) {
  if (path.empty()) return false;
  const std::vector<unsigned char> bytes = Serialize(s);
  std::string error;
  return SafeFile::WriteAll(path, bytes.data(), bytes.size(), error);
}

CLock::CLock(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  m_fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (m_fd < 0) return;
  int r;
  do {
    r = ::flock(m_fd, LOCK_EX);
  } while (r != 0 && errno == EINTR);
  if (r != 0) {
    ::close(m_fd);
    m_fd = -1;
  }
}

CLock::~CLock() {
  if (m_fd >= 0) ::close(m_fd);  // closing the only descriptor releases the lock
}

}  // namespace ConfigFile
