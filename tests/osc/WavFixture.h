#pragma once
// Builds WAV byte images for the reader tests and manages a scratch folder.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace wavtest {

using Bytes = std::vector<uint8_t>;

inline void PutU16(Bytes& b, uint32_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}
inline void PutU32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}
inline void PutTag(Bytes& b, const char* tag) { b.insert(b.end(), tag, tag + 4); }

// Everything that goes into one test file; the defaults describe a valid file.
struct WavLayout {
  uint16_t tag = 1;
  uint16_t channels = 1;
  uint32_t rate = 44100;
  uint16_t bits = 16;
  int64_t blockAlign = -1;  // -1: bits / 8 * channels
  int64_t avgBytes = -1;    // -1: rate * blockAlign
  uint32_t fmtSize = 16;    // body bytes beyond the 16 fields are zeros
  Bytes data;               // raw sample bytes
  int64_t dataSize = -1;    // -1: data.size()
  Bytes chunkBetween;       // a whole extra chunk between "fmt " and "data"
  bool dataFirst = false;   // put the data chunk before the format chunk
};

inline Bytes BuildWav(const WavLayout& s) {
  const uint32_t align = s.blockAlign < 0 ? uint32_t(s.bits / 8 * s.channels) : uint32_t(s.blockAlign);
  const uint32_t avg = s.avgBytes < 0 ? s.rate * align : uint32_t(s.avgBytes);
  Bytes fmt;
  PutTag(fmt, "fmt ");
  PutU32(fmt, s.fmtSize);
  Bytes body;
  PutU16(body, s.tag);
  PutU16(body, s.channels);
  PutU32(body, s.rate);
  PutU32(body, avg);
  PutU16(body, align);
  PutU16(body, s.bits);
  body.resize(s.fmtSize, 0);
  fmt.insert(fmt.end(), body.begin(), body.end());
  Bytes data;
  PutTag(data, "data");
  PutU32(data, s.dataSize < 0 ? uint32_t(s.data.size()) : uint32_t(s.dataSize));
  data.insert(data.end(), s.data.begin(), s.data.end());

  Bytes chunks;
  const Bytes& first = s.dataFirst ? data : fmt;
  const Bytes& second = s.dataFirst ? fmt : data;
  chunks.insert(chunks.end(), first.begin(), first.end());
  if (!s.dataFirst) chunks.insert(chunks.end(), s.chunkBetween.begin(), s.chunkBetween.end());
  chunks.insert(chunks.end(), second.begin(), second.end());

  Bytes out;
  PutTag(out, "RIFF");
  PutU32(out, uint32_t(chunks.size() + 4));
  PutTag(out, "WAVE");
  out.insert(out.end(), chunks.begin(), chunks.end());
  return out;
}

inline Bytes Pcm16(const std::vector<int16_t>& samples) {
  Bytes b;
  for (int16_t v : samples) PutU16(b, uint16_t(v));
  return b;
}

inline Bytes Float32(const std::vector<float>& samples) {
  Bytes b;
  for (float f : samples) {
    uint32_t u;
    memcpy(&u, &f, 4);
    PutU32(b, u);
  }
  return b;
}

// A fresh folder for one test, removed with everything in it at the end.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "morlavine_wav_XXXXXX").string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back(0);
    const char* made = mkdtemp(buf.data());
    m_path = made ? made : "";
  }
  ~ScratchDir() {
    std::error_code ec;
    if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
  }
  std::string File(const std::string& name) const { return m_path + "/" + name; }
  const std::string& Path() const { return m_path; }
  std::string Write(const std::string& name, const Bytes& bytes) const {
    const std::string p = File(name);
    std::ofstream(p, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                             std::streamsize(bytes.size()));
    return p;
  }
  size_t EntryCount() const {
    size_t n = 0;
    for (auto it = std::filesystem::directory_iterator(m_path); it != std::filesystem::directory_iterator(); ++it) ++n;
    return n;
  }

 private:
  std::string m_path;
};

inline Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace wavtest
