#include "tools/render/WavOut.h"

#include <cerrno>
#include <cstring>

#include "osc/WaveLib.h"

namespace WavOut {

bool WriteStereo(const char* path, const RENDER_RESULT& audio, uint32_t sampleRate,
                 std::string& error) {
  const std::string name = path ? path : "";
  if (audio.frames == 0 || audio.left.size() < audio.frames || audio.right.size() < audio.frames) {
    error = name + ": nothing rendered to write";
    return false;
  }
  // A WAV file's sizes are 32-bit: 8 bytes a frame leave room for about
  // 536 million frames.
  if (audio.frames > (0xFFFFFFFFull - 64) / 8) {
    error = name + ": the render is too long for a WAV file";
    return false;
  }
  float* channels[2] = {const_cast<float*>(audio.left.data()),
                        const_cast<float*>(audio.right.data())};
  errno = 0;
  if (!WaveLib::saveToFile(path, channels, 2, static_cast<float>(sampleRate),
                           static_cast<uint32_t>(audio.frames))) {
    error = name + ": cannot write WAV file";
    if (errno != 0) error += std::string(": ") + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace WavOut
