#include "fx/EchoDelay.h"

namespace {

// Linear read of a ring at a delay of t samples (limited to length - 1);
// x0 is the sample written in this step (delay 0). Then writes x0.
inline float ReadWrite(float* ring, unsigned int length, unsigned int& write, float t, float x0) {
  if (length == 0) return x0;
  float d = t;
  if (!(d < static_cast<float>(length))) d = static_cast<float>(length - 1);
  if (!(d >= 0.0f)) d = 0.0f;
  unsigned int i = static_cast<unsigned int>(d);
  const float f = d - static_cast<float>(i);
  const unsigned int p = write >= i ? write - i : write + length - i;
  const float y0 = p == write ? x0 : ring[p];
  const float y1 = p == 0 ? ring[length - 1] : ring[p - 1];
  const float a = y0 + f * (y1 - y0);
  ring[write] = x0;
  if (++write >= length) write = 0;
  return a;
}

}  // namespace

void CEchoDelay::Bind(float* buffer, unsigned int size) {
  const unsigned int half = buffer ? size / 2 : 0;
  m_ringA = buffer;
  m_lengthA = half;
  m_offsetB = half;
  m_ringB = buffer ? buffer + half : nullptr;
  m_lengthB = half;
  if (m_writeA >= m_lengthA) m_writeA = 0;
  if (m_writeB >= m_lengthB) m_writeB = 0;
}

void CEchoDelay::Reset() {
  for (unsigned int k = 0; m_ringA && k < m_lengthA; ++k) m_ringA[k] = 0.0f;
  for (unsigned int k = 0; m_ringB && k < m_lengthB; ++k) m_ringB[k] = 0.0f;
  m_feedbackSample = 0.0f;
  m_lpMem = 0.0f;
  for (float& m : m_allpass) m = 0.0f;
}

void CEchoDelay::Process2(float& io, float& time, float& feedback, float& split, const ECHO_COEFFS& c) {
  const float tA = (split + 1.0f) * time * 0.5f;
  float tB = (1.0f - split) * time * 0.5f;
  if (tB < 2.0f) tB = 0.0f;

  const float u = io - m_feedbackSample * feedback * 0.5f;
  const float a = ReadWrite(m_ringA, m_lengthA, m_writeA, tA, u);
  const float b = ReadWrite(m_ringB, m_lengthB, m_writeB, tB, a);
  io = a + b;

  float in = b;
  for (float& m : m_allpass) {
    const float out = m - c.a1 * in;
    m = in + c.a1 * out;
    in = out;
  }
  const float z = in + b;
  m_lpMem = c.a0 * z - c.b1 * m_lpMem;
  m_feedbackSample = z - m_lpMem;
}
