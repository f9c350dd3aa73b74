#include "fx/ReverseDelay.h"

#include <cmath>

#include "fx/EffectHelpers.h"

namespace {
const float INV_RESTART_LENGTH = 0.0023809525f;  // 1 / 420
const int HALF_WINDOW = 210;

// Index k samples before p on a ring of length len.
inline unsigned int Back(unsigned int p, unsigned int k, unsigned int len) {
  k %= len;
  return p >= k ? p - k : p + len - k;
}
}  // namespace

void CReverseDelay::Bind(float* buffer, unsigned int size) {
  m_buffer = buffer;
  m_size = buffer ? size : 0;
  if (m_write >= m_size) m_write = 0;
  if (m_reverse < 0 || static_cast<unsigned int>(m_reverse) >= m_size) m_reverse = 0;
}

void CReverseDelay::Reset() {
  m_write = 0;
  m_reverse = 0;
  m_h0 = m_h1 = m_h2 = 0.0f;
}

void CReverseDelay::Process2(float& io, float& reverseOut, float& delay) {
  const float x = io;
  if (m_size == 0) {
    reverseOut = 0.0f;
    return;
  }
  // Ring length and fraction. A delay of 0 (or below 1) becomes one sample
  // longer, so the ring never has length 0.
  float d = delay;
  if (!(d >= 0.0f)) d = 0.0f;
  if (!(d < static_cast<float>(m_size))) d = static_cast<float>(m_size - 1);
  if (d < 1.0f) d += 1.0f;
  unsigned int len = static_cast<unsigned int>(std::ceil(d));
  if (len > m_size) len = m_size;
  if (len == 0) len = 1;
  const float f = d - std::trunc(d);
  const unsigned int w = m_write;

  // Normal output: the oldest samples of the ring. The ring holds nothing
  // older than y1 (two steps back from p is already the newest sample), so
  // the outer point of the interpolation repeats y1 instead of mixing the
  // newest input into the echo.
  const unsigned int p = (w + 1 < len) ? w + 1 : 0;
  const float y0 = p == w ? x : m_buffer[p];
  const float ym1 = m_buffer[p + 1 < len ? p + 1 : 0];
  const float y1 = m_buffer[Back(p, 1, len)];
  const float y2 = len > 2 ? y1 : m_buffer[Back(p, 2, len)];
  const float normal = FxHelpers::Hermite(y0, y1, ym1, y2, f);

  // Reverse output: one step back through the ring.
  m_reverse = (m_reverse <= 0) ? static_cast<int>(len) - 1 : m_reverse - 1;
  if (static_cast<unsigned int>(m_reverse) >= m_size) m_reverse = static_cast<int>(m_size) - 1;
  const float s = m_buffer[m_reverse];
  float reverse = FxHelpers::Hermite(m_h0, m_h1, s, m_h2, f);
  m_h2 = m_h1;
  m_h1 = m_h0;
  m_h0 = s;

  // Fade where the heads cross: D is the signed distance from the write
  // head to the reverse head on the ring.
  const int diff = static_cast<int>(w) - m_reverse;
  int dist = 0;
  if (diff > 0 && diff < HALF_WINDOW) {
    dist = -diff;
  } else if (diff >= HALF_WINDOW) {
    dist = static_cast<int>(len) - diff;
  } else if (diff < 0 && -diff < HALF_WINDOW) {
    dist = -diff;
  } else if (diff < 0) {
    dist = -diff - static_cast<int>(len);
  }
  if (dist > -HALF_WINDOW && dist < HALF_WINDOW) {
    const float g1 =
        (FxHelpers::Sine(static_cast<float>(HALF_WINDOW - dist) * INV_RESTART_LENGTH + 0.25f) + 1.0f) * 0.5f;
    reverse *= g1;
  }

  // Restart: fade out, hold the reverse head at the write head, let go.
  if (m_restart >= 0) {
    const float g2 = (FxHelpers::Sine(static_cast<float>(m_restart) * INV_RESTART_LENGTH + 0.25f) + 1.0f) * 0.5f;
    reverse *= g2;
    ++m_restart;
    if (m_restart >= HALF_WINDOW) m_reverse = static_cast<int>(w);
    if (m_restart > RESTART_LENGTH) m_restart = -1;
  }

  m_buffer[w] = x;
  io = normal;
  reverseOut = reverse;
  m_write = (w + 1 < len) ? w + 1 : 0;
}
