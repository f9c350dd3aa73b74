#include "osc/WaveTable.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "engine/FileUtils.h"
#include "osc/2XDownSampler.h"
#include "osc/2XUpSampler.h"
#include "osc/WavFileSave.h"
#include "osc/WaveTableLoader.h"
#include "platform/Utf8.h"

namespace {

const unsigned int TABLE_SHIFT = 14;  // 2^14 = 16,384
// Longest file accepted as one cycle: 2^24 frames (six minutes at 44.1 kHz).
const unsigned int MAX_FILE_SHIFT = 24;
// The highest harmonic of the chosen level stays below this frequency.
const float HARMONIC_CEILING_HZ = 40000.0f;
const unsigned int LEVEL_STRIDE = CWaveTable::TABLE_SIZE + 1;  // a level and its guard point

// Played by a table whose storage could not be had: silence.
float SILENT_LEVEL[CWaveTable::TABLE_SIZE + 1];

void CopyName(char* dst, const char* src) {
  std::memset(dst, 0, CWaveTable::NAME_BYTES);
  if (!src) return;
  for (unsigned int i = 0; i < CWaveTable::NAME_BYTES && src[i]; ++i) dst[i] = src[i];
}

}  // namespace

CWaveTable::CWaveTable() {
  for (unsigned int L = 0; L < LEVEL_COUNT; ++L) m_levels[L] = SILENT_LEVEL;
  m_table = SILENT_LEVEL;
  m_source = SILENT_LEVEL;
  const size_t floats = 2u * TABLE_SIZE + LEVEL_COUNT * LEVEL_STRIDE;
  // Only the working copy and the source start as zeros: the levels read
  // the silent table until their first build (GenerateMipMaps), so the
  // memory of levels never built is never touched.
  m_storage = static_cast<float*>(std::malloc(floats * sizeof(float)));
  if (m_storage) std::memset(m_storage, 0, 2u * TABLE_SIZE * sizeof(float));
  const size_t bytes = sizeof(fftw_complex) * TABLE_SIZE;
  m_spectrum = static_cast<fftw_complex*>(fftw_malloc(bytes));
  m_input = static_cast<fftw_complex*>(fftw_malloc(bytes));
  m_output = static_cast<fftw_complex*>(fftw_malloc(bytes));
  {
    // Both plans are made here, once: planning allocates, the transforms do not.
    std::lock_guard<std::mutex> lock(PlannerLock());
    m_forward = fftw_create_plan(static_cast<int>(TABLE_SIZE), FFTW_FORWARD, FFTW_ESTIMATE);
    m_backward = fftw_create_plan(static_cast<int>(TABLE_SIZE), FFTW_BACKWARD, FFTW_ESTIMATE);
  }
  if (!m_storage || !m_spectrum || !m_input || !m_output || !m_forward || !m_backward) return;
  m_table = m_storage;
  m_source = m_storage + TABLE_SIZE;
  m_ready = true;
}

CWaveTable::~CWaveTable() {
  {
    std::lock_guard<std::mutex> lock(PlannerLock());
    if (m_forward) fftw_destroy_plan(m_forward);
    if (m_backward) fftw_destroy_plan(m_backward);
  }
  if (m_spectrum) fftw_free(m_spectrum);
  if (m_input) fftw_free(m_input);
  if (m_output) fftw_free(m_output);
  std::free(m_storage);
}

std::mutex& CWaveTable::PlannerLock() {
  static std::mutex lock;
  return lock;
}

void CWaveTable::LoadWaveTable(const float* wave, const char* name) {
  LoadWaveTableDeferred(wave, name);
  PrepareLevels();
}

void CWaveTable::LoadWaveTableDeferred(const float* wave, const char* name) {
  CopyName(m_name, name);
  if (!m_ready || !wave) return;
  if (wave != m_source) {
    // The levels depend on the source alone: an unchanged wave (a preset
    // load that leaves the wavetable as it was) keeps them (or their
    // pending build).
    if (std::memcmp(m_source, wave, TABLE_SIZE * sizeof(float)) == 0) return;
    std::memcpy(m_source, wave, TABLE_SIZE * sizeof(float));
  }
  // The working copy is taken now, so that the levels, whenever built, are
  // those of this wave.
  ReduceQuality();
  m_levelsPending = true;
}

void CWaveTable::PrepareWave(const float* wave) {
  char name[NAME_BYTES];
  std::memcpy(name, m_name, NAME_BYTES);
  LoadWaveTable(wave, name);
}

void CWaveTable::ReduceQuality() {
  // Every table keeps the full 16,384 points, so there is no down-sampling
  // pass and the work buffers and plans keep their size.
  m_size = TABLE_SIZE;
  if (!m_ready) return;
  std::memcpy(m_table, m_source, TABLE_SIZE * sizeof(float));
  Normalize(m_table, TABLE_SIZE);
}

void CWaveTable::GenerateMipMaps() {
  if (!m_ready) return;
  m_levelsPending = false;
  ++m_levelBuilds;
  for (unsigned int k = 0; k < TABLE_SIZE; ++k) {
    m_input[k].re = m_table[k];
    m_input[k].im = 0.0;
  }
  fftw_one(m_forward, m_input, m_spectrum);
  for (unsigned int L = 0; L < LEVEL_COUNT; ++L) {
    // Keep the mean and harmonics 1 .. keep; the negative-frequency bins go
    // too, which halves every harmonic's amplitude (normalised below).
    const unsigned int keep = 1u << (LEVEL_COUNT - L);
    std::memcpy(m_input, m_spectrum, (keep + 1) * sizeof(fftw_complex));
    std::memset(m_input + keep + 1, 0, (TABLE_SIZE - keep - 1) * sizeof(fftw_complex));
    fftw_one(m_backward, m_input, m_output);
    float* level = m_storage + 2 * TABLE_SIZE + L * LEVEL_STRIDE;
    for (unsigned int k = 0; k < TABLE_SIZE; ++k) level[k] = static_cast<float>(m_output[k].re);
    Normalize(level, TABLE_SIZE);
    level[TABLE_SIZE] = level[0];
    m_levels[L] = level;
  }
}

void CWaveTable::SetFundamental(float frequency) {
  unsigned int level = LEVEL_COUNT - 1;
  for (unsigned int L = 0; L + 1 < LEVEL_COUNT; ++L) {
    if (frequency < HARMONIC_CEILING_HZ / static_cast<float>(1u << (LEVEL_COUNT - L))) {
      level = L;
      break;
    }
  }
  m_level = level;
}

void CWaveTable::Normalize(float* data, unsigned int n) {
  if (!data) return;
  float peak = 0.0f;
  for (unsigned int i = 0; i < n; ++i) {
    // Zeros, denormals, NaN and infinities all become 0.
    if (!std::isnormal(data[i])) data[i] = 0.0f;
    const float a = std::fabs(data[i]);
    if (a > peak) peak = a;
  }
  const float scale = peak > 0.0f ? 1.0f / peak : 1.0f;
  if (scale == 1.0f) return;
  for (unsigned int i = 0; i < n; ++i) data[i] *= scale;
}

void CWaveTable::Interpolate(float* dst, unsigned int m, const float* src, unsigned int n) {
  if (!dst || !src || m == 0 || n == 0) return;
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

void CWaveTable::Downsample(float* data, unsigned int n, unsigned int factor) {
  if (!data || factor < 2) return;
  const unsigned int passes = static_cast<unsigned int>(std::log2(static_cast<float>(factor)));
  for (unsigned int p = 0; p < passes && n >= 2; ++p) {
    n /= 2;
    C2XDownSampler down;
    down.Process(data, n);
  }
}

bool CWaveTable::Upsample(float* data, unsigned int n, unsigned int factor) {
  if (!data || factor < 2 || n == 0) return true;
  const unsigned int passes = static_cast<unsigned int>(std::log2(static_cast<float>(factor)));
  const unsigned long long total = static_cast<unsigned long long>(n) << passes;
  if (total > (1ull << 30)) return false;
  float* work = new (std::nothrow) float[static_cast<size_t>(total)];
  if (!work) return false;
  for (unsigned int p = 0; p < passes; ++p) {
    C2XUpSampler up;
    up.Process(data, work, n);
    n *= 2;
    std::memcpy(data, work, n * sizeof(float));
  }
  delete[] work;
  return true;
}

void CWaveTable::Smoothing(float* data, unsigned int n, unsigned int window) {
  if (!data || n < 2) return;
  const unsigned int half = (window % 2 == 0) ? window / 2 : (window - 1) / 2;
  for (unsigned int i = 1; i < n; ++i) {
    // The window's radius shrinks to the distance from the nearer end, so a
    // window longer than the data stays inside it.
    unsigned int radius = half;
    if (i < radius) radius = i;
    if (n - 1 - i < radius) radius = n - 1 - i;
    const unsigned int from = i - radius;
    const unsigned int to = i + radius;
    double sum = 0.0;
    for (unsigned int k = from; k <= to; ++k) sum += data[k];
    data[i] = static_cast<float>(sum / static_cast<double>(to - from + 1));
  }
}

void CWaveTable::Sharpening(float* data, int n, float amount) {
  if (!data || n < 3) return;
  // amount = 1 would scale by infinity: such a value leaves the data.
  const float g = 1.0f / (1.0f - amount);
  if (!std::isfinite(g)) return;
  for (int i = 1; i < n - 1; ++i) {
    const float prev = data[i - 1];
    const float next = data[i + 1];
    if (std::fabs(data[i]) < 1.0f && std::fabs(prev) < 1.0f && std::fabs(next) < 1.0f)
      data[i] = (data[i] - amount * (prev + next) * 0.5f) * g;
  }
}

bool CWaveTable::LoadFromFile(const char* path, float* wave, char* name) {
  if (!path || !wave || !name) return false;
  CWaveTableLoader loader;
  if (!loader.Load(path) || !loader.GetSamples() || loader.GetCount() == 0) return false;
  const unsigned int n = loader.GetCount();
  const float l = std::log2(static_cast<float>(n));
  const unsigned int c = static_cast<unsigned int>(std::ceil(l));
  if (c > MAX_FILE_SHIFT) return false;
  const unsigned int length = 1u << c;
  const unsigned int bufferLength = length > TABLE_SIZE ? length : TABLE_SIZE;
  float* buffer = new (std::nothrow) float[bufferLength]();
  if (!buffer) return false;
  if (l == std::floor(l) && length == n)
    std::memcpy(buffer, loader.GetSamples(), n * sizeof(float));
  else
    Interpolate(buffer, length, loader.GetSamples(), n);
  bool ok = true;
  if (c > TABLE_SHIFT) Downsample(buffer, length, 1u << (c - TABLE_SHIFT));
  if (c < TABLE_SHIFT) ok = Upsample(buffer, length, 1u << (TABLE_SHIFT - c));
  if (ok) {
    Normalize(buffer, TABLE_SIZE);
    std::memcpy(wave, buffer, TABLE_SIZE * sizeof(float));
    const std::string fileName = FileUtils::ExtractFileName(path);
    std::memset(name, 0, NAME_BYTES);
    std::memcpy(name, fileName.data(), Platform::Utf8PrefixLength(fileName.data(), fileName.size(), NAME_BYTES - 1));
  }
  delete[] buffer;
  return ok;
}

bool CWaveTable::SaveToFile(const char* path, float* wave, std::string* error) {
  if (!path || !wave) {
    if (error) *error = "nothing to save";
    return false;
  }
  CWavFileSave writer;
  return writer.Save(path, wave, TABLE_SIZE, error);
}
