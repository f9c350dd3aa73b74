#pragma once
// Reads a WAV file (or takes two channels from memory) as a stereo sample,
// peak-normalised so that its largest magnitude is 1, polarity kept.

#include <cstdint>

class CSampleLoader {
 public:
  CSampleLoader() = default;
  ~CSampleLoader();
  CSampleLoader(const CSampleLoader&) = delete;
  CSampleLoader& operator=(const CSampleLoader&) = delete;

  // A mono file gives both channels the same data; of a file with more than
  // two channels the first two are kept. A file that cannot be opened or
  // fails the header or format checks keeps the previous sample; one that
  // fails later leaves the loader empty (no arrays, 0 frames).
  bool Load(const char* path);

  // Copies frames values of both channels (a null right channel copies the
  // left one). Non-finite values are stored as 0. 0 frames leave the loader
  // empty; otherwise a null left channel or a rate that is not finite and
  // positive is refused and the previous sample kept.
  bool LoadFromMemory(const float* left, const float* right, uint32_t frames, float sampleRate);

  // Owned by the loader; null, null, 0 and 0 when empty.
  float* GetLeft() const { return m_left; }
  float* GetRight() const { return m_right; }
  float GetSampleRate() const { return m_sampleRate; }
  uint32_t GetFrames() const { return m_frames; }

 private:
  void _Free();
  void _Normalize(float peak);

  float* m_left = nullptr;
  float* m_right = nullptr;
  float m_sampleRate = 0.0f;
  uint32_t m_frames = 0;
};
