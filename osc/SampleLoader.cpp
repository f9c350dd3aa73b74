#include "osc/SampleLoader.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>

#include "osc/WaveLib.h"
#include "platform/RegularFile.h"

namespace {
// Below this peak a sample counts as silent and is left unscaled.
const float SILENCE_PEAK = 1e-12f;
}

CSampleLoader::~CSampleLoader() { _Free(); }

void CSampleLoader::_Free() {
  delete[] m_left;
  delete[] m_right;
  m_left = nullptr;
  m_right = nullptr;
  m_frames = 0;
  m_sampleRate = 0.0f;
}

void CSampleLoader::_Normalize(float peak) {
  const float magnitude = std::fabs(peak);
  const float scale = magnitude > SILENCE_PEAK ? 1.0f / magnitude : 1.0f;
  if (scale == 1.0f) return;
  for (uint32_t i = 0; i < m_frames; ++i) {
    m_left[i] *= scale;
    m_right[i] *= scale;
  }
}

bool CSampleLoader::Load(const char* path) {
  if (!path) return false;
  FILE* file = Platform::OpenRegularFile(path);
  if (!file) return false;
  const uint32_t fileSize = WaveLib::getFileSize(file);
  WAVEFORMATEX_TAG* format = nullptr;
  if (!WaveLib::isValidHeader(file, fileSize) ||
      !(format = WaveLib::readFormatChunk(file, fileSize))) {
    fclose(file);
    return false;
  }
  _Free();
  float* channels[2] = {nullptr, nullptr};
  uint32_t frames = 0;
  float peak = 0.0f;
  bool ok = WaveLib::readDataChunk(file, fileSize, format, channels, frames, &peak, 2);
  if (ok && !channels[1]) {
    channels[1] = new (std::nothrow) float[frames];
    if (channels[1]) {
      memcpy(channels[1], channels[0], sizeof(float) * frames);
    } else {
      WaveLib::freeChannels(channels, 2);
      ok = false;
    }
  }
  if (ok) {
    m_left = channels[0];
    m_right = channels[1];
    m_frames = frames;
    m_sampleRate = float(format->samplesPerSec);
    _Normalize(peak);
  }
  WaveLib::freeFormatChunk(format);
  fclose(file);
  return ok;
}

bool CSampleLoader::LoadFromMemory(const float* left, const float* right, uint32_t frames,
                                   float sampleRate) {
  if (frames == 0) {
    _Free();
    return true;
  }
  if (!left || !std::isfinite(sampleRate) || !(sampleRate > 0.0f)) return false;
  if (!right) right = left;
  float* newLeft = new (std::nothrow) float[frames];
  float* newRight = new (std::nothrow) float[frames];
  if (!newLeft || !newRight) {
    delete[] newLeft;
    delete[] newRight;
    return false;
  }
  float peak = 0.0f;
  for (uint32_t i = 0; i < frames; ++i) {
    const float l = std::isfinite(left[i]) ? left[i] : 0.0f;
    const float r = std::isfinite(right[i]) ? right[i] : 0.0f;
    newLeft[i] = l;
    newRight[i] = r;
    peak = std::fmax(peak, std::fmax(std::fabs(l), std::fabs(r)));
  }
  _Free();
  m_left = newLeft;
  m_right = newRight;
  m_frames = frames;
  m_sampleRate = sampleRate;
  _Normalize(peak);
  return true;
}
