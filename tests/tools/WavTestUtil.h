#pragma once
// Reads back a 32-bit float stereo WAV file as written by the host.

#include <cstring>
#include <string>
#include <vector>

#include "ToolsTestUtil.h"

struct STEREO_WAV {
  bool ok = false;
  uint16_t format = 0, channels = 0, bits = 0;
  uint32_t rate = 0;
  std::vector<float> left, right;
};

inline STEREO_WAV ReadStereoWav(const std::string& path) {
  STEREO_WAV wav;
  const std::vector<uint8_t> bytes = ReadBytes(path);
  auto u32 = [&](size_t at) {
    uint32_t v;
    std::memcpy(&v, &bytes[at], 4);
    return v;
  };
  auto u16 = [&](size_t at) { return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8)); };
  if (bytes.size() < 12 || std::memcmp(&bytes[0], "RIFF", 4) || std::memcmp(&bytes[8], "WAVE", 4))
    return wav;
  size_t at = 12;
  while (at + 8 <= bytes.size()) {
    const uint32_t size = u32(at + 4);
    if (at + 8 + size > bytes.size()) return wav;
    if (!std::memcmp(&bytes[at], "fmt ", 4) && size >= 16) {
      wav.format = u16(at + 8);
      wav.channels = u16(at + 10);
      wav.rate = u32(at + 12);
      wav.bits = u16(at + 22);
    } else if (!std::memcmp(&bytes[at], "data", 4)) {
      if (wav.channels != 2 || wav.bits != 32) return wav;
      const size_t frames = size / 8;
      wav.left.resize(frames);
      wav.right.resize(frames);
      for (size_t f = 0; f < frames; ++f) {
        std::memcpy(&wav.left[f], &bytes[at + 8 + f * 8], 4);
        std::memcpy(&wav.right[f], &bytes[at + 12 + f * 8], 4);
      }
      wav.ok = true;
      return wav;
    }
    at += 8 + size + (size & 1);
  }
  return wav;
}
