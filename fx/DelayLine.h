#pragma once
// A delay line of an effect: an owned sample store (allocated only by
// SetLength, outside the render path), the raw pointer taken from it at the
// start of every Process (Begin), its length and its write position.
//
// Per sample: read first (ReadHermite, with the sample being written now as
// the delay-0 value), then Write, which stores the sample and advances the
// write position, wrapping to 0 at the length.

#include "engine/Buffers.h"

class CDelayLine {
 public:
  CDelayLine() = default;
  CDelayLine(const CDelayLine&) = delete;
  CDelayLine& operator=(const CDelayLine&) = delete;

  // Resizes the store to n samples (at least 1) and clears it. The write
  // position is kept unless it no longer lies inside the line, then it
  // restarts at 0.
  void SetLength(unsigned int n);
  // Zeroes the whole line; the write position stays.
  void Clear();
  // Takes the sample pointer from the store; call at the start of Process.
  void Begin() {
    m_data = m_store.GetBuffer();
    if (!m_data) m_length = 0;
    if (m_write >= m_length) m_write = 0;
  }

  // The sample t samples old, by 4-point Hermite interpolation between the
  // samples trunc(t) and trunc(t) + 1 old; x0 is the sample written in this
  // very step (delay 0). t at or beyond the length reads at length - 1;
  // t below 0 or NaN reads at 0. Must follow Begin.
  float ReadHermite(float t, float x0) const {
    if (m_length == 0) return x0;
    const float maxT = static_cast<float>(m_length - 1);
    if (!(t >= 0.0f)) t = 0.0f;
    if (!(t < static_cast<float>(m_length))) t = maxT;
    unsigned int i = static_cast<unsigned int>(t);
    if (i > m_length - 1) i = m_length - 1;
    float f = t - static_cast<float>(i);
    unsigned int p = m_write >= i ? m_write - i : m_write + m_length - i;
    float y0 = p == m_write ? x0 : m_data[p];
    float ym1 = m_data[p + 1 < m_length ? p + 1 : 0];
    float y1 = m_data[Back(p, 1)];
    float y2 = m_data[Back(p, 2)];
    float c1 = (y1 - ym1) * 0.5f;
    float c2 = ym1 - 2.5f * y0 + 2.0f * y1 - 0.5f * y2;
    float c3 = (y2 - ym1) * 0.5f + 1.5f * (y0 - y1);
    return ((c3 * f + c2) * f + c1) * f + y0;
  }

  // Stores x at the write position and advances it.
  void Write(float x) {
    if (m_length == 0) return;
    m_data[m_write] = x;
    if (++m_write >= m_length) m_write = 0;
  }

  float* Data() { return m_data; }
  unsigned int Length() const { return m_length; }
  unsigned int WritePosition() const { return m_write; }

 private:
  // Index k samples before p, wrapped into the line.
  unsigned int Back(unsigned int p, unsigned int k) const {
    k %= m_length;
    return p >= k ? p - k : p + m_length - k;
  }

  CMonoBuffer m_store;
  float* m_data = nullptr;
  unsigned int m_length = 0;
  unsigned int m_write = 0;
};
