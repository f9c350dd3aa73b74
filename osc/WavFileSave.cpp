#include "osc/WavFileSave.h"

#include "osc/WaveLib.h"

namespace {
const float WAVETABLE_FILE_RATE = 44100.0f;
}

bool CWavFileSave::Save(const char* path, float* samples, uint32_t count, std::string* error) {
  if (!path || !samples || count == 0) {
    if (error) *error = "nothing to save";
    return false;
  }
  float* channels[1] = {samples};
  return WaveLib::saveToFile(path, channels, 1, WAVETABLE_FILE_RATE, count, error);
}
