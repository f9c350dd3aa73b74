#include "osc/WaveTableLoader.h"

#include <cstdio>

#include "osc/WaveLib.h"
#include "platform/RegularFile.h"

CWaveTableLoader::~CWaveTableLoader() { _Free(); }

void CWaveTableLoader::_Free() {
  delete[] m_samples;
  m_samples = nullptr;
  m_count = 0;
}

bool CWaveTableLoader::Load(const char* path) {
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
  float* channels[1] = {nullptr};
  uint32_t frames = 0;
  const bool ok = WaveLib::readDataChunk(file, fileSize, format, channels, frames, nullptr, 1);
  if (ok) {
    m_samples = channels[0];
    m_count = frames;
  }
  WaveLib::freeFormatChunk(format);
  fclose(file);
  return ok;
}
