#include "osc/WaveLib.h"

#include "engine/SafeFile.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

uint16_t GetU16(const unsigned char* p) { return uint16_t(p[0] | (p[1] << 8)); }

uint32_t GetU32(const unsigned char* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

void PutU16(unsigned char* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

void PutU32(unsigned char* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
}

bool SeekTo(FILE* file, uint64_t pos) {
  if (pos > uint64_t(LONG_MAX)) return false;
  return fseek(file, long(pos), SEEK_SET) == 0;
}

bool ReadExact(FILE* file, void* dst, size_t n) { return fread(dst, 1, n, file) == n; }

// Finds the first offset in [start, fileSize - 4] holding the four bytes of
// tag, as a byte-by-byte scan would (the match may lie inside another chunk's
// payload), reading in blocks. Leaves the stream just after the tag.
bool FindTag(FILE* file, uint64_t start, uint32_t fileSize, const char* tag, uint64_t& at) {
  unsigned char buf[4096];
  uint64_t pos = start;
  while (pos + 4 <= fileSize) {
    size_t want = size_t(std::min<uint64_t>(sizeof(buf), fileSize - pos));
    if (!SeekTo(file, pos)) return false;
    size_t got = fread(buf, 1, want, file);
    if (got < 4) return false;
    for (size_t i = 0; i + 4 <= got; ++i) {
      if (memcmp(buf + i, tag, 4) == 0) {
        at = pos + i;
        return SeekTo(file, at + 4);
      }
    }
    pos += got - 3;
  }
  return false;
}

// Reads the u32 size that follows a tag found at offset at, and the number of
// bytes the file holds after that size field.
bool ReadChunkSize(FILE* file, uint64_t at, uint32_t fileSize, uint32_t& size, uint64_t& left) {
  if (at + 8 > fileSize) return false;
  unsigned char raw[4];
  if (!ReadExact(file, raw, 4)) return false;
  size = GetU32(raw);
  left = uint64_t(fileSize) - (at + 8);
  return true;
}

bool IsSupportedDepth(uint16_t bits) { return bits == 8 || bits == 16 || bits == 24 || bits == 32; }

// One sample of the file, converted to float.
inline float DecodeSample(const unsigned char* p, uint16_t bits, bool intPcm32) {
  switch (bits) {
    case 8:
      return float(int(p[0]) - 128) * 0.0078125f;
    case 16:
      return float(int16_t(GetU16(p))) * (1.0f / 32768.0f);
    case 24: {
      int32_t s = int32_t(uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16));
      if (s & 0x800000) s -= 0x1000000;
      return float(s) * (1.0f / 8388608.0f);
    }
    default: {
      uint32_t u = GetU32(p);
      if (intPcm32) return float(double(int32_t(u)) * (1.0 / 2147483648.0));
      float f;
      memcpy(&f, &u, sizeof(f));
      // A NaN or infinity in a file would poison every stage it reaches.
      return std::isfinite(f) ? f : 0.0f;
    }
  }
}

}  // namespace

namespace WaveLib {

uint32_t getFileSize(FILE* file) {
  if (!file) return 0;
  if (fseek(file, 0, SEEK_END) != 0) return 0;
  long end = ftell(file);
  if (fseek(file, 0, SEEK_SET) != 0 || end < 0) return 0;
  if (uint64_t(end) > 0xFFFFFFFFull) return 0xFFFFFFFFu;
  return uint32_t(end);
}

bool isValidHeader(FILE* file, uint32_t fileSize) {
  if (!file || fileSize < 12) return false;
  unsigned char head[12];
  bool ok = SeekTo(file, 0) && ReadExact(file, head, sizeof(head)) &&
            memcmp(head, "RIFF", 4) == 0 && memcmp(head + 8, "WAVE", 4) == 0;
  return SeekTo(file, 0) && ok;
}

WAVEFORMATEX_TAG* readFormatChunk(FILE* file, uint32_t fileSize) {
  if (!file) return nullptr;
  uint64_t at = 0;
  if (!FindTag(file, 12, fileSize, "fmt ", at)) return nullptr;
  uint32_t size = 0;
  uint64_t left = 0;
  if (!ReadChunkSize(file, at, fileSize, size, left)) return nullptr;
  if (size < 16 || size > left) return nullptr;

  // Only the first 18 bytes carry fields read here; the rest (the extensible
  // format's sub-format and anything beyond) is skipped.
  unsigned char body[18] = {};
  if (!ReadExact(file, body, std::min<uint32_t>(size, sizeof(body)))) return nullptr;
  if (!SeekTo(file, at + 8 + size)) return nullptr;

  WAVEFORMATEX_TAG fmt;
  fmt.formatTag = GetU16(body);
  fmt.channels = GetU16(body + 2);
  fmt.samplesPerSec = GetU32(body + 4);
  fmt.avgBytesPerSec = GetU32(body + 8);
  fmt.blockAlign = GetU16(body + 12);
  fmt.bitsPerSample = GetU16(body + 14);
  fmt.extraSize = GetU16(body + 16);

  if (fmt.formatTag != WAVE_FORMAT_PCM && fmt.formatTag != WAVE_FORMAT_IEEE_FLOAT &&
      fmt.formatTag != WAVE_FORMAT_EXTENSIBLE)
    return nullptr;
  if (fmt.channels == 0 || fmt.samplesPerSec == 0 || fmt.bitsPerSample == 0 ||
      fmt.avgBytesPerSec == 0 || fmt.blockAlign == 0)
    return nullptr;
  // The product is taken in 64 bits so that a wrapped 32-bit product cannot
  // make a nonsense rate look consistent.
  if (uint64_t(fmt.samplesPerSec) * fmt.blockAlign != fmt.avgBytesPerSec) return nullptr;
  if (uint32_t(fmt.bitsPerSample / 8) * fmt.channels != fmt.blockAlign) return nullptr;

  return new (std::nothrow) WAVEFORMATEX_TAG(fmt);
}

void freeFormatChunk(WAVEFORMATEX_TAG* format) { delete format; }

void freeChannels(float** channels, uint32_t count) {
  if (!channels) return;
  for (uint32_t c = 0; c < count; ++c) {
    delete[] channels[c];
    channels[c] = nullptr;
  }
}

bool readDataChunk(FILE* file, uint32_t fileSize, const WAVEFORMATEX_TAG* format,
                   float** channels, uint32_t& frames, float* peak, uint32_t maxChannels) {
  frames = 0;
  if (!file || !format || !channels || maxChannels == 0) return false;
  const uint16_t bits = format->bitsPerSample;
  const uint32_t fileChannels = format->channels;
  const uint32_t align = format->blockAlign;
  const uint32_t bytesPerSample = bits / 8u;
  if (!IsSupportedDepth(bits) || fileChannels == 0 || align != bytesPerSample * fileChannels)
    return false;

  long current = ftell(file);
  if (current < 0) return false;
  uint64_t at = 0;
  if (!FindTag(file, uint64_t(current), fileSize, "data", at)) return false;
  uint32_t size = 0;
  uint64_t left = 0;
  if (!ReadChunkSize(file, at, fileSize, size, left)) return false;
  if (size == 0 || size % align != 0 || size > left) return false;

  const uint32_t count = size / align;
  const uint32_t kept = std::min(fileChannels, maxChannels);
  for (uint32_t c = 0; c < kept; ++c) channels[c] = nullptr;
  for (uint32_t c = 0; c < kept; ++c) {
    channels[c] = new (std::nothrow) float[count];
    if (!channels[c]) {
      freeChannels(channels, kept);
      return false;
    }
  }

  // Blocks of up to 1024 frames, kept small for files with very wide frames.
  const uint32_t blockFrames = std::max(1u, std::min(1024u, 65536u / align));
  std::vector<unsigned char> block;
  block.resize(size_t(blockFrames) * align);
  const bool intPcm32 = bits == 32 && format->formatTag == WAVE_FORMAT_PCM;
  float best = 0.0f;
  float bestMag = 0.0f;
  uint32_t done = 0;
  while (done < count) {
    const uint32_t n = std::min(blockFrames, count - done);
    if (!ReadExact(file, block.data(), size_t(n) * align)) {
      freeChannels(channels, kept);
      return false;
    }
    for (uint32_t f = 0; f < n; ++f) {
      const unsigned char* frame = block.data() + size_t(f) * align;
      for (uint32_t c = 0; c < kept; ++c) {
        const float v = DecodeSample(frame + c * bytesPerSample, bits, intPcm32);
        channels[c][done + f] = v;
        if (std::fabs(v) > bestMag) {
          bestMag = std::fabs(v);
          best = v;
        }
      }
    }
    done += n;
  }
  if (peak) *peak = best;
  frames = count;
  return true;
}

bool saveToFile(const char* path, float** channels, uint32_t channelCount, float sampleRate,
                uint32_t frames, std::string* error) {
  std::string ignored;
  std::string& why = error ? *error : ignored;
  why = "nothing to save";
  if (!path || !*path || !channels || channelCount == 0 || frames == 0) return false;
  if (!(sampleRate > 0.0f) || !(sampleRate < 4294967296.0f)) return false;
  const uint32_t rate = uint32_t(sampleRate);
  if (rate == 0) return false;  // would write a rate no reader accepts
  for (uint32_t c = 0; c < channelCount; ++c)
    if (!channels[c]) return false;
  why = std::string(path) + ": too long for a WAV file";
  // Every size field of the header must hold its value exactly.
  const uint64_t dataBytes = uint64_t(channelCount) * frames * 4u;
  const uint64_t blockAlign = uint64_t(channelCount) * 4u;
  if (dataBytes + 38u > 0xFFFFFFFFull || blockAlign > 0xFFFFu ||
      uint64_t(rate) * blockAlign > 0xFFFFFFFFull)
    return false;

  unsigned char header[WAVE_FLOAT_HEADER_BYTES];
  memcpy(header, "RIFF", 4);
  PutU32(header + 4, uint32_t(dataBytes + 38u));
  memcpy(header + 8, "WAVE", 4);
  memcpy(header + 12, "fmt ", 4);
  PutU32(header + 16, 18);
  PutU16(header + 20, WAVE_FORMAT_IEEE_FLOAT);
  PutU16(header + 22, uint16_t(channelCount));
  PutU32(header + 24, rate);
  PutU32(header + 28, uint32_t(rate * blockAlign));
  PutU16(header + 32, uint16_t(blockAlign));
  PutU16(header + 34, 32);
  PutU16(header + 36, 0);
  memcpy(header + 38, "data", 4);
  PutU32(header + 42, uint32_t(dataBytes));

  CSafeFile file;
  if (!file.Open(path, why)) return false;
  bool ok = file.Write(header, sizeof(header));
  // Interleave and encode little-endian through a bounded buffer.
  unsigned char buf[16384];
  size_t used = 0;
  for (uint32_t f = 0; ok && f < frames; ++f) {
    for (uint32_t c = 0; c < channelCount; ++c) {
      uint32_t u;
      memcpy(&u, &channels[c][f], sizeof(u));
      PutU32(buf + used, u);
      used += 4;
      if (used == sizeof(buf)) {
        ok = file.Write(buf, used);
        used = 0;
        if (!ok) break;
      }
    }
  }
  if (ok && used) file.Write(buf, used);
  if (!file.Commit(why)) return false;
  why.clear();
  return true;
}

}  // namespace WaveLib
