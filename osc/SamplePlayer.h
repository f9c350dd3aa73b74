#pragma once
// Placeholder sample player until the grain player lands: it keeps the
// oscillator's loaded sample with its loop and root pitch, and renders
// nothing. The sample is replaced only by a load that succeeded.

#include <memory>

#include "osc/SampleLoader.h"

class CSamplePlayer {
 public:
  static const unsigned int DEFAULT_ROOT_PITCH = 60;

  CSamplePlayer();
  ~CSamplePlayer();
  CSamplePlayer(const CSamplePlayer&) = delete;
  CSamplePlayer& operator=(const CSamplePlayer&) = delete;

  // Reads a WAV file (peak-normalised). On failure the previous sample and
  // loop stay. On success the loop covers the whole sample.
  bool LoadSample(const char* path);
  // Copies both channels (peak-normalised). 0 frames leave no sample. A
  // refused copy (no data, bad rate, out of memory) keeps the previous
  // sample and loop.
  bool LoadSampleFromMemory(const float* left, const float* right, unsigned int frames, float rate);
  // The player's own buffers; null, null, 0 and rate 0 without a sample.
  void GetSample(float** left, float** right, unsigned int& frames, float* rate);

  // With N frames: start and end are limited to N - 1, the end to at least
  // start + 1; a loop that is then empty covers the whole sample.
  void SetLoop(unsigned int start, unsigned int end);
  void SetRootPitch(unsigned int pitch) { m_rootPitch = pitch; }
  unsigned int GetLoopStart() const { return m_loopStart; }
  unsigned int GetLoopEnd() const { return m_loopEnd; }
  unsigned int GetRootPitch() const { return m_rootPitch; }

 private:
  void _Take(std::unique_ptr<CSampleLoader>& loaded);

  std::unique_ptr<CSampleLoader> m_sample;
  unsigned int m_loopStart = 0;
  unsigned int m_loopEnd = 0;
  unsigned int m_rootPitch = DEFAULT_ROOT_PITCH;
};
