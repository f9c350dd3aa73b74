#include "osc/WaveTableFile.h"

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "engine/FileUtils.h"
#include "osc/2XDownSampler.h"
#include "osc/2XUpSampler.h"
#include "osc/WavFileSave.h"
#include "osc/WaveTableLoader.h"

namespace {

const unsigned int TABLE_SHIFT = 14;  // 2^14 = 16,384
// Longest source accepted: 2^24 frames (six minutes at 44.1 kHz).
const unsigned int MAX_SHIFT = 24;

// Catmull-Rom resampling of src (n points) onto dst (m points); the ends
// land exactly on the first and last source points.
void Interpolate(float* dst, unsigned int m, const float* src, unsigned int n) {
  for (unsigned int j = 0; j < m; ++j) {
    const double x = m > 1 ? static_cast<double>(j) * (n - 1) / (m - 1) : 0.0;
    unsigned int i = static_cast<unsigned int>(std::floor(x));
    if (i > n - 1) i = n - 1;
    const float t = static_cast<float>(x - i);
    const float ym1 = i == 0 ? 0.0f : src[i - 1];
    const float y0 = src[i];
    const float y1 = i + 1 < n ? src[i + 1] : 0.0f;
    const float y2 = i + 2 < n ? src[i + 2] : 0.0f;
    const float c1 = (y1 - ym1) * 0.5f;
    const float w = y0 - y1 + c1;
    const float a = w + (y0 - y1) + (y2 - y0) * 0.5f;
    dst[j] = ((t * a - w - a) * t + c1) * t + y0;
  }
}

// Zero, denormal and non-finite values become 0; then scaled to a peak of 1.
void Normalize(float* data, unsigned int n) {
  float peak = 0.0f;
  for (unsigned int i = 0; i < n; ++i) {
    if (!std::isnormal(data[i])) data[i] = 0.0f;
    peak = std::fmax(peak, std::fabs(data[i]));
  }
  if (!(peak > 0.0f)) return;
  const float scale = 1.0f / peak;
  for (unsigned int i = 0; i < n; ++i) data[i] *= scale;
}

}  // namespace

bool WaveTableFile::Load(const char* path, float* table, char* name) {
  if (!path || !table || !name) return false;
  CWaveTableLoader loader;
  if (!loader.Load(path) || !loader.GetSamples() || loader.GetCount() == 0) return false;
  const unsigned int n = loader.GetCount();
  unsigned int shift = 0;
  while (shift < MAX_SHIFT && (1u << shift) < n) ++shift;
  if ((1u << shift) < n) return false;
  unsigned int length = 1u << shift;
  std::vector<float> buffer(length > TABLE_LENGTH ? length : TABLE_LENGTH, 0.0f);
  if (length == n)
    std::memcpy(buffer.data(), loader.GetSamples(), n * sizeof(float));
  else
    Interpolate(buffer.data(), length, loader.GetSamples(), n);
  for (; shift > TABLE_SHIFT; --shift) {
    C2XDownSampler down;
    length /= 2;
    down.Process(buffer.data(), length);
  }
  if (shift < TABLE_SHIFT) {
    std::vector<float> work(TABLE_LENGTH);
    for (; shift < TABLE_SHIFT; ++shift) {
      C2XUpSampler up;
      up.Process(buffer.data(), work.data(), length);
      length *= 2;
      std::memcpy(buffer.data(), work.data(), length * sizeof(float));
    }
  }
  Normalize(buffer.data(), TABLE_LENGTH);
  std::memcpy(table, buffer.data(), TABLE_LENGTH * sizeof(float));
  const std::string fileName = FileUtils::ExtractFileName(path);
  std::memset(name, 0, NAME_BYTES);
  std::memcpy(name, fileName.data(), fileName.size() < NAME_BYTES - 1 ? fileName.size() : NAME_BYTES - 1);
  return true;
}

bool WaveTableFile::Save(const char* path, const float* table) {
  if (!path || !table) return false;
  std::vector<float> copy(table, table + TABLE_LENGTH);
  CWavFileSave writer;
  return writer.Save(path, copy.data(), TABLE_LENGTH);
}
