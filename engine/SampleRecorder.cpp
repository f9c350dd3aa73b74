#include "engine/SampleRecorder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "engine/AccessLock.h"

namespace {

// A frame counts as sound when either channel exceeds this magnitude.
const float SILENCE_LEVEL = 1e-8f;

float Fraction(float v) {
  if (!(v > 0.0f)) return 0.0f;  // NaN and negatives
  return v < 1.0f ? v : 1.0f;
}

}  // namespace

CSampleRecorder::CSampleRecorder(CAccessLock* engineLock) : m_lock(engineLock) {}

CSampleRecorder::~CSampleRecorder() {
  delete[] m_left;
  delete[] m_right;
}

bool CSampleRecorder::_Allocate(unsigned int capacity, float*& left, float*& right) {
  // Zero-filled here, on the editor thread, so that every page is mapped
  // before the render thread captures into it: a fresh page faulted in
  // during a block costs the render thread several microseconds.
  left = new (std::nothrow) float[capacity]();
  right = new (std::nothrow) float[capacity]();
  if (left && right) return true;
  delete[] left;
  delete[] right;
  left = right = nullptr;
  return false;
}

unsigned int CSampleRecorder::_CapacityFor(float hostRate) {
  if (!std::isfinite(hostRate) || !(hostRate > 0.0f)) return 0;
  const float frames = hostRate * static_cast<float>(MAX_SECONDS);
  if (frames >= static_cast<float>(MAX_CAPACITY)) return MAX_CAPACITY;
  return static_cast<unsigned int>(frames);
}

bool CSampleRecorder::_EnsureBuffer(float hostRate) {
  const unsigned int capacity = _CapacityFor(hostRate);
  if (capacity == 0) return m_left != nullptr;
  if (m_left && capacity == m_capacity) return true;
  // Allocate outside the engine lock; only the pointer swap happens inside,
  // so the render thread never waits for the allocation.
  float* left = nullptr;
  float* right = nullptr;
  if (!_Allocate(capacity, left, right)) return m_left != nullptr;
  float* oldLeft;
  float* oldRight;
  {
    CAutoLock lock(*m_lock);
    oldLeft = m_left;
    oldRight = m_right;
    m_left = left;
    m_right = right;
    m_capacity = capacity;
    m_length = 0;
    m_recording = false;
    ++m_generation;
  }
  delete[] oldLeft;
  delete[] oldRight;
  return true;
}

void CSampleRecorder::Arm(float hostRate) {
  _EnsureBuffer(hostRate);
  m_armed = true;
}

void CSampleRecorder::Start(float hostRate) {
  if (!_EnsureBuffer(hostRate)) return;
  StartInPlace();
}

bool CSampleRecorder::StartInPlace() {
  CAutoLock lock(*m_lock);
  if (!m_left) return false;
  m_length = 0;
  m_recording = true;
  ++m_generation;
  return true;
}

void CSampleRecorder::Stop() {
  CAutoLock lock(*m_lock);
  m_recording = false;
}

void CSampleRecorder::StartPlayback() {
  m_position = 0;
  m_playback = true;
}

void CSampleRecorder::StopPlayback() {
  m_playback = false;
  m_position = 0;
}

void CSampleRecorder::Delete() {
  float* oldLeft = nullptr;
  float* oldRight = nullptr;
  {
    CAutoLock lock(*m_lock);
    m_length = 0;
    m_recording = false;
    ++m_generation;
    if (!m_armed) {
      oldLeft = m_left;
      oldRight = m_right;
      m_left = m_right = nullptr;
      m_capacity = 0;
    }
  }
  delete[] oldLeft;
  delete[] oldRight;
}

void CSampleRecorder::GetRecording(float** left, float** right, unsigned int& frames) {
  if (!left || !right) return;
  CAutoLock lock(*m_lock);
  *left = nullptr;
  *right = nullptr;
  frames = 0;
  if (m_left && m_length > 0) {
    *left = m_left;
    *right = m_right;
    frames = m_length;
  }
}

unsigned int CSampleRecorder::GetLength() {
  CAutoLock lock(*m_lock);
  return m_length;
}

void CSampleRecorder::SetLoop(float start, float end) {
  m_loopStart = Fraction(start);
  m_loopEnd = Fraction(end);
}

bool CSampleRecorder::_LoopSet() const { return m_loopStart != 0.0f || m_loopEnd != 1.0f; }

void CSampleRecorder::GetRegion(unsigned int n, float start, float end, unsigned int& first, unsigned int& length) {
  if (n == 0) {
    first = 0;
    length = 1;
    return;
  }
  const double last = static_cast<double>(n - 1);
  // Fractions are limited to 0-1, so both indices lie in 0 .. n - 1.
  const unsigned int a = static_cast<unsigned int>(std::lround(last * Fraction(start)));
  unsigned int b = static_cast<unsigned int>(std::lround(last * Fraction(end)));
  if (b < a) b = a;
  first = a;
  length = b - a + 1;
}

float CSampleRecorder::FractionOf(unsigned int index, unsigned int n) {
  if (n < 2 || index == 0) return 0.0f;
  if (index >= n - 1) return 1.0f;
  const double last = static_cast<double>(n - 1);
  float f = static_cast<float>(static_cast<double>(index) / last);
  // The float nearest to index / last can round to a neighbouring frame when
  // n is large; step to the next float that comes back as index, if any.
  for (int step = 0; step < 4; ++step) {
    const long back = std::lround(last * f);
    if (back == static_cast<long>(index)) break;
    f = std::nextafter(f, back < static_cast<long>(index) ? 2.0f : -1.0f);
  }
  return f;
}

unsigned int CSampleRecorder::Copy(unsigned int first, unsigned int count, float* left, float* right,
                                   unsigned int& frames, unsigned int& generation) {
  // Pieces of 64k frames (512 KB for both channels) keep each hold of the
  // engine lock short.
  const unsigned int PIECE = 65536;
  unsigned int copied = 0;
  bool started = false;
  while (true) {
    CAutoLock lock(*m_lock);
    if (started && m_generation != generation) {
      // Changed between two pieces: what was copied is stale.
      frames = m_length;
      generation = m_generation;
      return 0;
    }
    frames = m_left ? m_length : 0;
    generation = m_generation;
    started = true;
    const unsigned int at = first + copied;
    if (!left || !right || copied >= count || at >= frames) return copied;
    unsigned int n = frames - at;
    if (n > count - copied) n = count - copied;
    if (n > PIECE) n = PIECE;
    std::memcpy(left + copied, m_left + at, n * sizeof(float));
    std::memcpy(right + copied, m_right + at, n * sizeof(float));
    copied += n;
  }
}

void CSampleRecorder::Crop() {
  CAutoLock lock(*m_lock);
  const unsigned int n = m_length;
  if (!m_left || n == 0 || m_recording) return;
  auto sound = [this](unsigned int i) {
    return std::fabs(m_left[i]) > SILENCE_LEVEL || std::fabs(m_right[i]) > SILENCE_LEVEL;
  };
  unsigned int first = n - 1;
  for (unsigned int i = 0; i + 1 < n; ++i) {
    if (sound(i)) {
      first = i;
      break;
    }
  }
  unsigned int last = 0;
  for (unsigned int i = n - 1; i >= 1; --i) {
    if (sound(i)) {
      last = i;
      break;
    }
  }
  if (last <= first) return;
  const unsigned int count = last - first + 1;
  std::memmove(m_left, m_left + first, count * sizeof(float));
  std::memmove(m_right, m_right + first, count * sizeof(float));
  m_length = count;
  ++m_generation;
}

void CSampleRecorder::Trim() {
  CAutoLock lock(*m_lock);
  const unsigned int n = m_length;
  if (!m_left || n == 0 || m_recording) return;
  unsigned int first, length;
  GetRegion(n, m_loopStart, m_loopEnd, first, length);
  if (length < 2 || length == n) return;
  std::memmove(m_left, m_left + first, length * sizeof(float));
  std::memmove(m_right, m_right + first, length * sizeof(float));
  m_length = length;
  ++m_generation;
}

void CSampleRecorder::Reverse() {
  CAutoLock lock(*m_lock);
  const unsigned int n = m_length;
  if (!m_left || n < 2 || m_recording) return;
  std::reverse(m_left, m_left + n);
  std::reverse(m_right, m_right + n);
  ++m_generation;
}

void CSampleRecorder::Process(float* left, float* right, unsigned int n) {
  if (n == 0) return;  // an empty slice neither fills nor plays anything
  if (m_left && m_recording && !m_playback) {
    const unsigned int room = m_capacity - m_length;
    const unsigned int count = n < room ? n : room;
    if (count > 0) {
      std::memcpy(m_left + m_length, left, count * sizeof(float));
      std::memcpy(m_right + m_length, right, count * sizeof(float));
      m_length += count;
    } else {
      m_recording = false;  // full
    }
  }
  if (!m_playback) return;
  if (!m_left) {
    m_playback = false;
    return;
  }
  _Play(left, right, n);
}

void CSampleRecorder::_Play(float* left, float* right, unsigned int n) {
  if (m_length == 0) {
    // Nothing recorded (yet): the pass is empty and sounds as silence.
    std::memset(left, 0, n * sizeof(float));
    std::memset(right, 0, n * sizeof(float));
    m_position = 0;
    if (!(_LoopSet() && m_armed)) m_playback = false;
    return;
  }
  unsigned int first, length;
  GetRegion(m_length, m_loopStart, m_loopEnd, first, length);
  // The region may have shrunk since the last slice: finish with its last
  // frame rather than read past it.
  unsigned int position = m_position;
  if (position > length - 1) position = length - 1;
  const float* srcLeft = m_left + first + position;
  const float* srcRight = m_right + first + position;
  const unsigned int rest = length - position;
  if (n < rest) {
    std::memcpy(left, srcLeft, n * sizeof(float));
    std::memcpy(right, srcRight, n * sizeof(float));
    m_position = position + n;
    return;
  }
  // The pass ends inside this slice; the frames after it keep the output.
  std::memcpy(left, srcLeft, rest * sizeof(float));
  std::memcpy(right, srcRight, rest * sizeof(float));
  m_position = 0;
  if (!(_LoopSet() && m_armed)) m_playback = false;
}
