#include "tools/render/WavOut.h"

#include <cstring>
#include <vector>

#include "tools/render/AtomicFile.h"

namespace {

// TEMPORARY ADAPTER: a minimal 32-bit float WAV writer, used until the
// engine's own WAV writer (osc/WaveLib) is part of this build; then
// WriteStereo hands the two channels to it instead.
bool SaveFloatWav(const char* path, float** channels, uint32_t channelCount, float sampleRate,
                  uint32_t frames, std::string& error) {
  const uint64_t dataBytes = uint64_t(frames) * channelCount * 4;
  if (dataBytes > 0xFFFFFFFFull - 64) {
    error = std::string(path) + ": the render is too long for a WAV file";
    return false;
  }
  std::vector<uint8_t> file;
  file.reserve(static_cast<size_t>(44 + dataBytes));
  auto u32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) file.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto u16 = [&](uint16_t v) {
    file.push_back(static_cast<uint8_t>(v));
    file.push_back(static_cast<uint8_t>(v >> 8));
  };
  auto tag = [&](const char* t) { file.insert(file.end(), t, t + 4); };
  const uint32_t rate = static_cast<uint32_t>(sampleRate);
  tag("RIFF");
  u32(static_cast<uint32_t>(36 + dataBytes));
  tag("WAVE");
  tag("fmt ");
  u32(16);
  u16(3);  // IEEE float
  u16(static_cast<uint16_t>(channelCount));
  u32(rate);
  u32(rate * channelCount * 4);
  u16(static_cast<uint16_t>(channelCount * 4));
  u16(32);
  tag("data");
  u32(static_cast<uint32_t>(dataBytes));
  for (uint32_t f = 0; f < frames; ++f) {
    for (uint32_t c = 0; c < channelCount; ++c) {
      uint32_t bits;
      std::memcpy(&bits, &channels[c][f], 4);
      u32(bits);
    }
  }
  return AtomicFile::Write(path, file.data(), file.size(), error);
}

}  // namespace

namespace WavOut {

bool WriteStereo(const char* path, const RENDER_RESULT& audio, uint32_t sampleRate,
                 std::string& error) {
  if (audio.frames == 0 || audio.left.size() < audio.frames || audio.right.size() < audio.frames) {
    error = std::string(path ? path : "") + ": nothing rendered to write";
    return false;
  }
  if (audio.frames > 0xFFFFFFFFull) {
    error = std::string(path) + ": the render is too long for a WAV file";
    return false;
  }
  float* channels[2] = {const_cast<float*>(audio.left.data()),
                        const_cast<float*>(audio.right.data())};
  return SaveFloatWav(path, channels, 2, static_cast<float>(sampleRate),
                      static_cast<uint32_t>(audio.frames), error);
}

}  // namespace WavOut
