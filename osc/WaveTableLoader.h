#pragma once
// Reads the first channel of a WAV file, unscaled, for the user wavetable.

#include <cstdint>

class CWaveTableLoader {
 public:
  CWaveTableLoader() = default;
  ~CWaveTableLoader();
  CWaveTableLoader(const CWaveTableLoader&) = delete;
  CWaveTableLoader& operator=(const CWaveTableLoader&) = delete;

  // A file that cannot be opened or fails the header or format checks keeps
  // the previous samples; one that fails later leaves the loader empty.
  bool Load(const char* path);

  // Owned by the loader; null and 0 when empty.
  float* GetSamples() const { return m_samples; }
  uint32_t GetCount() const { return m_count; }

 private:
  void _Free();

  float* m_samples = nullptr;
  uint32_t m_count = 0;
};
