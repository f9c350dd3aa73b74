// Placeholder sample player: storage of the sample, loop and root pitch.
#include "osc/SamplePlayer.h"

#include <new>

CSamplePlayer::CSamplePlayer() : m_sample(new CSampleLoader) {}

CSamplePlayer::~CSamplePlayer() {}

void CSamplePlayer::_Take(std::unique_ptr<CSampleLoader>& loaded) {
  m_sample.swap(loaded);
  const unsigned int frames = m_sample->GetFrames();
  m_loopStart = 0;
  m_loopEnd = frames > 0 ? frames - 1 : 0;
}

bool CSamplePlayer::LoadSample(const char* path) {
  // Read into a fresh loader so that a failure part-way keeps the old sample.
  std::unique_ptr<CSampleLoader> loaded(new (std::nothrow) CSampleLoader);
  if (!loaded || !loaded->Load(path)) return false;
  _Take(loaded);
  return true;
}

bool CSamplePlayer::LoadSampleFromMemory(const float* left, const float* right, unsigned int frames, float rate) {
  std::unique_ptr<CSampleLoader> loaded(new (std::nothrow) CSampleLoader);
  if (!loaded || !loaded->LoadFromMemory(left, right, frames, rate)) return false;
  _Take(loaded);
  return true;
}

void CSamplePlayer::GetSample(float** left, float** right, unsigned int& frames, float* rate) {
  if (left) *left = m_sample->GetLeft();
  if (right) *right = m_sample->GetRight();
  frames = m_sample->GetFrames();
  if (rate) *rate = m_sample->GetSampleRate();
}

void CSamplePlayer::SetLoop(unsigned int start, unsigned int end) {
  const unsigned int frames = m_sample->GetFrames();
  const unsigned int last = frames > 0 ? frames - 1 : 0;
  if (start > last) start = last;
  if (end > last)
    end = last;
  else if (end < start + 1)
    end = start + 1;
  if (start >= end) {
    start = 0;
    end = last;
  }
  m_loopStart = start;
  m_loopEnd = end;
}
