#include "editor/pages/WaveformControl.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "osc/WaveTable.h"

namespace {

const unsigned int N = CWaveformControl::WAVE_SIZE;

const CColor COLUMN_BACK(168, 168, 168, 20);
const CColor COLUMN(255, 156, 68, 180);
const CColor CAP(255, 156, 68, 80);

}  // namespace

CWaveformControl::CWaveformControl(const CRect& size, CControlListener* listener, long tag, ICommandHandler* commands)
    : CControl(size, listener, tag), m_commands(commands), m_copy(new float[N]()) {}

CWaveformControl::CWaveformControl(const CWaveformControl& other)
    : CControl(other), m_commands(other.m_commands), m_wave(other.m_wave), m_copy(other.m_copy), m_owner(false),
      m_last(other.m_last) {}

CWaveformControl::~CWaveformControl() {
  if (m_owner) delete[] m_copy;
}

bool CWaveformControl::isTypeOf(const char* type) const {
  return (type && std::strcmp(type, "CWaveformControl") == 0) || CControl::isTypeOf(type);
}

void CWaveformControl::SetWaveTable(float* wave) {
  m_wave = wave;
  setDirty(true);
}

void CWaveformControl::_Changed() {
  setDirty(true);
  if (listener) listener->valueChanged(this);
}

// ---------------------------------------------------------------------------
// Operations

void CWaveformControl::Smooth() {
  if (!m_wave) return;
  CWaveTable::Smoothing(m_wave, N, 100);
  CWaveTable::Normalize(m_wave, N);
  _Changed();
}

void CWaveformControl::Sharp() {
  if (!m_wave) return;
  CWaveTable::Sharpening(m_wave, static_cast<int>(N), 0.4f);
  CWaveTable::Normalize(m_wave, N);
  _Changed();
}

void CWaveformControl::Normalize() {
  if (!m_wave) return;
  CWaveTable::Normalize(m_wave, N);
  _Changed();
}

void CWaveformControl::RemoveDC() {
  if (!m_wave) return;
  double sum = 0.0;
  for (unsigned int i = 0; i < N; ++i) sum += m_wave[i];
  const float mean = static_cast<float>(sum * (1.0 / N));
  for (unsigned int i = 0; i < N; ++i) m_wave[i] -= mean;
  Normalize();
}

void CWaveformControl::Invert() {
  if (!m_wave) return;
  for (unsigned int i = 0; i < N; ++i) m_wave[i] = -m_wave[i];
  _Changed();
}

void CWaveformControl::Reverse() {
  if (!m_wave) return;
  std::reverse(m_wave, m_wave + N);
  _Changed();
}

void CWaveformControl::ShiftToZero() {
  if (!m_wave) return;
  unsigned int start = 0;
  for (unsigned int k = 1; k < N; ++k) {
    if (m_wave[k - 1] * m_wave[k] < 0.0f) {
      start = k;
      break;
    }
  }
  std::rotate(m_wave, m_wave + start, m_wave + N);
  _Changed();
}

void CWaveformControl::Clear() {
  if (!m_wave) return;
  std::fill(m_wave, m_wave + N, 0.0f);
  _Changed();
}

// ---------------------------------------------------------------------------
// Drawing

void CWaveformControl::draw(CDrawContext* c) {
  const long width = static_cast<long>(getWidth());
  const long columns = width / 3;
  const CCoord h = getHeight() - 3;
  const CCoord middle = size.top + std::floor(h / 2) + 1;
  const CCoord scale = std::floor((h - 1) / 2);
  c->setDrawMode(kCopyMode);
  c->setLineWidth(1);
  c->setFillColor(COLUMN_BACK);
  for (long col = 0; col < columns; ++col) {
    const CCoord x = size.left + 3 * col;
    c->fillRect(CRect(x, middle - scale, x + 2, middle + scale));
  }
  if (m_wave && columns > 0) {
    unsigned int spc = N / static_cast<unsigned int>(columns);
    if (spc < 1) spc = 1;
    const double advance = 1.0 / spc;
    double position = 0.0;
    float value = 0.0f;
    long col = 0;
    c->setFillColor(COLUMN);
    c->setFrameColor(CAP);
    for (unsigned int i = 0; i < N && col < columns; ++i) {
      const float s = std::isfinite(m_wave[i]) ? m_wave[i] : 0.0f;
      if (std::fabs(s) > std::fabs(value)) value = s;
      position += advance;
      if (position >= 1.0) {
        const CCoord x = size.left + 3 * col;
        const CCoord top = middle - std::round(std::max(-1.0f, std::min(1.0f, value)) * scale);
        if (top != middle) {
          c->fillRect(CRect(x, std::min(top, middle), x + 2, std::max(top, middle)));
          c->drawLine(CPoint(x, top), CPoint(x + 2, top));
        }
        ++col;
        value = 0.0f;
        position -= 1.0;
      }
    }
  }
  setDirty(false);
}

// ---------------------------------------------------------------------------
// Mouse

CMouseEventResult CWaveformControl::onMouseDown(CPoint& where, const long& buttons) {
  m_last = where;
  return kMouseEventHandled;
}

CMouseEventResult CWaveformControl::onMouseMoved(CPoint& where, const long& buttons) {
  if (!m_wave) return kMouseEventHandled;
  const double width = getWidth();
  if (width < 3) return kMouseEventHandled;
  if (buttons & kLButton) {
    const long h2 = static_cast<long>(getHeight() - 3) / 2;
    if (h2 <= 0) return kMouseEventHandled;
    const double middle = size.top + 1 + h2;
    double y0 = m_last.y - middle;
    double y1 = (buttons & kShift) ? y0 : where.y - middle;
    if (buttons & kAlt) y0 = y1 = 0.0;
    auto limitX = [&](double x) { return std::max(0.0, std::min(width - 1, x)); };
    auto limitY = [&](double y) { return std::max<double>(-h2, std::min<double>(h2, y)); };
    double x0 = limitX(m_last.x - (size.left + 1));
    double x1 = limitX(where.x - (size.left + 1));
    y0 = limitY(y0);
    y1 = limitY(y1);
    double spp = N / (width - 2);
    spp = std::max(1.0, std::min(1e7, spp));
    if (x1 < x0) {
      std::swap(x0, x1);
      std::swap(y0, y1);
    }
    const long s0 = std::max(0L, std::min<long>(N - 1, static_cast<long>(std::floor(x0 * spp))));
    const long s1 = std::max(0L, std::min<long>(N - 1, static_cast<long>(std::ceil(x1 * spp))));
    const float v0 = static_cast<float>(std::max(-1.0, std::min(1.0, -y0 / h2)));
    const float v1 = static_cast<float>(std::max(-1.0, std::min(1.0, -y1 / h2)));
    const long count = s1 - s0 + 1;
    // The straight line in steps of one pixel, the samples within a step
    // interpolating from one step's target to the next.
    const long step = std::max(1L, static_cast<long>(spp));
    float previous = v0;
    for (long j = 0; j < count; j += step) {
      const double t = std::min(1.0, (j + spp) / count);
      const float target = static_cast<float>(v0 + (v1 - v0) * t);
      const long n = std::min(step, count - j);
      for (long m = 0; m < n; ++m) {
        m_wave[s0 + j + m] = previous + (target - previous) * static_cast<float>(m) / static_cast<float>(n);
      }
      previous = target;
    }
    _Changed();
    m_last.x = where.x;
    if (!(buttons & kShift)) m_last.y = where.y;
  } else if (buttons & kRButton) {
    // Dragging right moves the wave later in time.
    std::memcpy(m_copy, m_wave, N * sizeof(float));
    const double f = (buttons & kShift) ? 0.125 : 1.0;
    const long offset = static_cast<long>((m_last.x - where.x) * (N / (width - 2)) * f);
    long start = offset % static_cast<long>(N);
    if (start < 0) start += N;
    for (unsigned int i = 0; i < N; ++i) m_wave[i] = m_copy[(static_cast<unsigned long>(start) + i) % N];
    _Changed();
    m_last = where;
  }
  return kMouseEventHandled;
}

CMouseEventResult CWaveformControl::onMouseUp(CPoint& where, const long& buttons) {
  _Changed();
  return kMouseEventHandled;
}
