#include "editor/pages/HarmonicsView.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "editor/EditorTags.h"
#include "editor/ScrollBar.h"
#include "osc/WaveTable.h"
#include "tables/Tables.h"

namespace {

const unsigned int N = CSpectrumControl::WAVE_SIZE;
const unsigned int HALF = CSpectrumControl::HALF;
const double TWO_PI = 6.283185307179586;
// Phase 0 is sine phase: the transform's angle of a sine is -pi/2.
const double SINE_ANGLE = 4.712389;
const float SILENT = 1e-6f;

const CColor EMPTY_UPPER(168, 168, 168, 20);
const CColor EMPTY_LOWER(0, 0, 0, 15);
const CColor MAGNITUDE_FILL(255, 156, 68, 160);
const CColor CAP(255, 156, 68, 80);
const CColor PHASE_FILL(255, 156, 68, 70);

float* NewBins() { return new float[N](); }

float Clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

}  // namespace

CSpectrumControl::CSpectrumControl(const CRect& size, CControlListener* listener, long tag, ICommandHandler* commands)
    : CControl(size, listener, tag),
      m_commands(commands),
      m_magnitude(NewBins()),
      m_phase(NewBins()),
      m_magnitudeCopy(NewBins()),
      m_phaseCopy(NewBins()) {
  const size_t bytes = sizeof(fftw_complex) * N;
  m_input = static_cast<fftw_complex*>(fftw_malloc(bytes));
  m_output = static_cast<fftw_complex*>(fftw_malloc(bytes));
  if (m_input && m_output) {
    std::lock_guard<std::mutex> lock(CWaveTable::PlannerLock());
    m_forward = fftw_create_plan(static_cast<int>(N), FFTW_FORWARD, FFTW_ESTIMATE);
    m_backward = fftw_create_plan(static_cast<int>(N), FFTW_BACKWARD, FFTW_ESTIMATE);
  }
}

CSpectrumControl::CSpectrumControl(const CSpectrumControl& other)
    : CControl(other),
      CControlListener(other),
      m_commands(other.m_commands),
      m_wave(other.m_wave),
      m_scrollBar(other.m_scrollBar),
      m_zoom(other.m_zoom),
      m_firstBin(other.m_firstBin),
      m_magnitude(other.m_magnitude),
      m_phase(other.m_phase),
      m_magnitudeCopy(other.m_magnitudeCopy),
      m_phaseCopy(other.m_phaseCopy),
      m_editMagnitude(other.m_editMagnitude),
      m_last(other.m_last),
      m_press(other.m_press),
      m_input(other.m_input),
      m_output(other.m_output),
      m_forward(other.m_forward),
      m_backward(other.m_backward),
      m_owner(false) {}

CSpectrumControl::~CSpectrumControl() {
  if (!m_owner) return;
  {
    std::lock_guard<std::mutex> lock(CWaveTable::PlannerLock());
    if (m_forward) fftw_destroy_plan(m_forward);
    if (m_backward) fftw_destroy_plan(m_backward);
  }
  if (m_input) fftw_free(m_input);
  if (m_output) fftw_free(m_output);
  delete[] m_magnitude;
  delete[] m_phase;
  delete[] m_magnitudeCopy;
  delete[] m_phaseCopy;
}

bool CSpectrumControl::isTypeOf(const char* type) const {
  return (type && std::strcmp(type, "CSpectrumControl") == 0) || CControl::isTypeOf(type);
}

// ---------------------------------------------------------------------------
// Analysis and resynthesis

void CSpectrumControl::SetWaveTable(float* wave) {
  m_wave = wave;
  _Analyse();
  setDirty(true);
}

void CSpectrumControl::_Analyse() {
  if (!m_wave || !m_forward) return;
  for (unsigned int k = 0; k < N; ++k) {
    // A damaged sample is read as silence rather than spreading NaN over
    // every bin.
    m_input[k].re = std::isfinite(m_wave[k]) ? m_wave[k] : 0.0;
    m_input[k].im = 0.0;
  }
  fftw_one(m_forward, m_input, m_output);
  m_magnitude[0] = m_phase[0] = 0.0f;
  float peak = 0.0f;
  for (unsigned int k = 1; k <= HALF; ++k) {
    const double re = m_output[k].re, im = m_output[k].im;
    const float magnitude = static_cast<float>(std::sqrt(re * re + im * im));
    double angle = std::atan2(im, re) - SINE_ANGLE;
    while (angle < 0.0) angle += TWO_PI;
    m_magnitude[k] = magnitude;
    m_phase[k] = static_cast<float>(angle / TWO_PI);
    if (magnitude > peak) peak = magnitude;
  }
  // A real wave's upper bins mirror the lower ones (conjugates): the same
  // magnitude, the angle negated, which is half a turn minus the phase.
  for (unsigned int k = HALF + 1; k < N; ++k) {
    m_magnitude[k] = m_magnitude[N - k];
    const float mirrored = 0.5f - m_phase[N - k];
    m_phase[k] = mirrored < 0.0f ? mirrored + 1.0f : mirrored;
  }
  if (peak > 1e-12f) {
    const float scale = 1.0f / peak;
    for (unsigned int k = 1; k < N; ++k) m_magnitude[k] *= scale;
  }
  for (unsigned int k = 0; k < N; ++k) {
    if (m_magnitude[k] < SILENT) m_phase[k] = 0.0f;
    // A phase of exactly one turn is phase 0.
    if (m_phase[k] >= 1.0f) m_phase[k] = 0.0f;
  }
}

void CSpectrumControl::ApplyChanges() {
  m_magnitude[0] = m_phase[0] = 0.0f;
  if (m_wave && m_backward) {
    for (unsigned int k = 0; k <= HALF; ++k) {
      double angle = m_phase[k] * TWO_PI + SINE_ANGLE;
      while (angle >= M_PI) angle -= TWO_PI;
      m_input[k].re = m_magnitude[k] * std::cos(angle);
      m_input[k].im = m_magnitude[k] * std::sin(angle);
    }
    for (unsigned int k = HALF + 1; k < N; ++k) {
      m_input[k].re = m_input[N - k].re;
      m_input[k].im = -m_input[N - k].im;
    }
    fftw_one(m_backward, m_input, m_output);
    double peak = 0.0;
    for (unsigned int k = 0; k < N; ++k) peak = std::fmax(peak, std::fabs(m_output[k].re));
    const double scale = peak > 1e-12 ? 1.0 / peak : 1.0;
    for (unsigned int k = 0; k < N; ++k) m_wave[k] = static_cast<float>(m_output[k].re * scale);
  }
  if (listener) listener->valueChanged(this);
}

void CSpectrumControl::_Finish() {
  setDirty(true);
  ApplyChanges();
}

// ---------------------------------------------------------------------------
// Operations

void CSpectrumControl::Smooth() {
  _Analyse();
  CWaveTable::Smoothing(m_magnitude, HALF, 3);
  CWaveTable::Smoothing(m_phase, HALF, 3);
  CWaveTable::Normalize(m_magnitude, HALF);
  for (unsigned int k = 0; k < HALF; ++k) {
    m_magnitude[k] = Clamp01(m_magnitude[k]);
    m_phase[k] = Clamp01(m_phase[k]);
  }
  _Finish();
}

void CSpectrumControl::Sharp() {
  _Analyse();
  CWaveTable::Sharpening(m_magnitude, static_cast<int>(HALF), 0.4f);
  CWaveTable::Sharpening(m_phase, static_cast<int>(HALF), 0.4f);
  CWaveTable::Normalize(m_magnitude, HALF);
  for (unsigned int k = 0; k < HALF; ++k) {
    m_magnitude[k] = Clamp01(m_magnitude[k]);
    m_phase[k] = Clamp01(m_phase[k]);
  }
  _Finish();
}

void CSpectrumControl::Balance() {
  // From the wave as it stands: drawings and tool operations made in the
  // waveform view since the last analysis are kept.
  _Analyse();
  for (unsigned int k = 0; k < 100; ++k) {
    const unsigned int i = static_cast<unsigned int>(k * 0.01f * Tables::LOG_SCALE_TABLE_SIZEM1);
    m_magnitude[k] *= 1.5f - 0.5f * Tables::LOG_SCALE_TABLE[i];
  }
  CWaveTable::Normalize(m_magnitude, HALF);
  _Finish();
}

void CSpectrumControl::RemoveEven() {
  _Analyse();
  for (unsigned int k = 0; k < HALF; k += 2) m_magnitude[k] = m_phase[k] = 0.0f;
  CWaveTable::Normalize(m_magnitude, HALF);
  _Finish();
}

void CSpectrumControl::RemoveOdd() {
  _Analyse();
  for (unsigned int k = 1; k < HALF; k += 2) m_magnitude[k] = m_phase[k] = 0.0f;
  CWaveTable::Normalize(m_magnitude, HALF);
  _Finish();
}

void CSpectrumControl::MakeOrgran() {
  _Analyse();
  for (unsigned int k = 1; k <= 2048; k *= 2) {
    m_magnitude[k] = m_magnitude[k] > SILENT ? m_magnitude[k] * 10000.0f : 8192.0f / static_cast<float>(k + 1);
  }
  CWaveTable::Normalize(m_magnitude, HALF);
  _Finish();
}

void CSpectrumControl::ResetPhase() {
  _Analyse();
  for (unsigned int k = 0; k < HALF; ++k) m_phase[k] = 0.0f;
  _Finish();
}

void CSpectrumControl::RandomizePhase() {
  _Analyse();
  for (unsigned int k = 0; k < HALF; ++k) m_phase[k] = static_cast<float>(m_random.Next() * 4.656613e-10);
  _Finish();
}

// ---------------------------------------------------------------------------
// Scrolling and zoom

void CSpectrumControl::SetScrollBar(CScrollBar* bar) {
  m_scrollBar = bar;
  if (!bar) return;
  const long long pitch = static_cast<long long>(GetPitch());
  bar->setScrollInfo(pitch * SCROLL_BARS, static_cast<long long>(getWidth()), pitch);
  m_firstBin = static_cast<unsigned int>(bar->getOffset() / pitch);
}

void CSpectrumControl::SetZoomFactor(unsigned int zoom) {
  m_zoom = zoom > 3 ? 3 : zoom;
  SetScrollBar(m_scrollBar);
  setDirty(true);
}

void CSpectrumControl::valueChanged(CControl* control) {
  if (!control) return;
  if (control->getTag() == TAG_WT_ZOOM) {
    const float v = control->getValue();
    SetZoomFactor(v > 0.0f ? static_cast<unsigned int>(v) : 0u);
  } else if (control->getTag() == TAG_WT_SCROLL && m_scrollBar && control == m_scrollBar) {
    m_firstBin = static_cast<unsigned int>(m_scrollBar->getOffset() / static_cast<long long>(GetPitch()));
    setDirty(true);
  }
}

// ---------------------------------------------------------------------------
// Drawing

CCoord CSpectrumControl::_HalfHeight() const { return std::floor((getHeight() - 3) / 2); }

CCoord CSpectrumControl::_Middle() const { return size.top + _HalfHeight() + 1; }

void CSpectrumControl::draw(CDrawContext* c) {
  const CCoord h = getHeight() - 3;
  const CCoord middle = _Middle();
  const CCoord scale = (h - 1) / 2;
  const CCoord pitch = GetPitch();
  const CCoord barWidth = pitch - 1;
  long bars = static_cast<long>(std::ceil(getWidth() / pitch));
  if (bars > static_cast<long>(HALF - m_firstBin)) bars = static_cast<long>(HALF - m_firstBin);
  c->setDrawMode(kCopyMode);
  c->setLineWidth(1);
  for (long i = 0; i < bars; ++i) {
    const CCoord x = size.left + 1 + i * pitch;
    c->setFillColor(EMPTY_UPPER);
    c->fillRect(CRect(x, middle - scale, x + barWidth, middle));
    c->setFillColor(EMPTY_LOWER);
    c->fillRect(CRect(x, middle, x + barWidth, middle + scale));
  }
  for (long i = 0; i < bars; ++i) {
    const unsigned int bin = m_firstBin + static_cast<unsigned int>(i) + 1;
    if (bin >= N) break;
    const CCoord x = size.left + 1 + i * pitch;
    const unsigned int li = static_cast<unsigned int>(Clamp01(m_magnitude[bin]) * Tables::LOG_SCALE_TABLE_SIZEM1);
    const CCoord height = std::floor(Tables::LOG_SCALE_TABLE[li] * scale);
    if (height > 0) {
      c->setFillColor(MAGNITUDE_FILL);
      c->fillRect(CRect(x, middle - height, x + barWidth, middle));
      c->setFrameColor(CAP);
      c->drawLine(CPoint(x, middle - height - 1), CPoint(x + barWidth, middle - height - 1));
    }
    if (m_magnitude[bin] > 0.0001f) {
      const CCoord down = std::floor(Clamp01(m_phase[bin]) * scale);
      if (down > 0) {
        c->setFillColor(PHASE_FILL);
        c->fillRect(CRect(x, middle, x + barWidth, middle + down));
      }
    }
  }
  setDirty(false);
}

// ---------------------------------------------------------------------------
// Mouse

CMouseEventResult CSpectrumControl::onMouseDown(CPoint& where, const long& buttons) {
  std::memcpy(m_magnitudeCopy, m_magnitude, N * sizeof(float));
  std::memcpy(m_phaseCopy, m_phase, N * sizeof(float));
  m_last = where;
  m_press = where;
  m_editMagnitude = where.y < _Middle();
  onMouseMoved(where, buttons);
  return kMouseEventHandled;
}

CMouseEventResult CSpectrumControl::onMouseMoved(CPoint& where, const long& buttons) {
  const CCoord pitch = GetPitch();
  if (buttons & kLButton) {
    const CCoord half = _HalfHeight();
    if (half <= 0) return kMouseEventHandled;
    const CCoord offset = m_scrollBar ? static_cast<CCoord>(m_scrollBar->getOffset()) : m_firstBin * pitch;
    const CCoord total = pitch * SCROLL_BARS;
    auto toX = [&](CCoord mx) {
      CCoord x = mx - (size.left + 1) + offset;
      return x < 0 ? 0 : (x > total - 1 ? total - 1 : x);
    };
    auto toY = [&](CCoord my) {
      CCoord y = my - _Middle();
      return y < -half ? -half : (y > half ? half : y);
    };
    CCoord x0 = toX(m_last.x), y0 = toY(m_last.y);
    CCoord x1 = (buttons & kAlt) ? x0 : toX(where.x);
    CCoord y1 = (buttons & kShift) ? y0 : toY(where.y);
    if (x1 < x0) {
      std::swap(x0, x1);
      std::swap(y0, y1);
    }
    auto toBin = [&](CCoord x) {
      double b = std::ceil(x / pitch);
      return static_cast<unsigned int>(b < 0 ? 0 : (b > HALF ? HALF : b));
    };
    auto toValue = [&](CCoord y) {
      float v = static_cast<float>(-y / half);
      if (!m_editMagnitude) v = -v;
      return Clamp01(v);
    };
    const unsigned int lo = toBin(x0), hi = toBin(x1);
    const float v0 = toValue(y0), v1 = toValue(y1);
    for (unsigned int bin = lo; bin <= hi && bin < HALF; ++bin) {
      const float t = hi > lo ? static_cast<float>(bin - lo) / static_cast<float>(hi - lo) : 0.0f;
      const float value = v0 + (v1 - v0) * t;
      if (m_editMagnitude) {
        // A silent bin starts again from sine phase.
        if (m_magnitude[bin] < SILENT) m_phase[bin] = 0.0f;
        m_magnitude[bin] = Tables::ILOG_SCALE_TABLE[static_cast<unsigned int>(value * 100002.0f)];
      } else {
        m_phase[bin] = value;
      }
    }
    setDirty(true);
    if (!(buttons & kShift)) m_last.y = where.y;
    if (!(buttons & kAlt)) m_last.x = where.x;
  } else if (buttons & kRButton) {
    // Dragging right moves the harmonics up.
    long shift = static_cast<long>((m_press.x - where.x) / pitch) % static_cast<long>(HALF);
    for (long k = 0; k < static_cast<long>(HALF); ++k) {
      const long from = k + shift;
      const bool inside = from >= 0 && from < static_cast<long>(HALF);
      m_magnitude[k] = inside ? m_magnitudeCopy[from] : 0.0f;
      m_phase[k] = inside ? m_phaseCopy[from] : 0.0f;
    }
    m_magnitude[0] = m_phase[0] = 0.0f;
    setDirty(true);
  }
  return kMouseEventHandled;
}

CMouseEventResult CSpectrumControl::onMouseUp(CPoint& where, const long& buttons) {
  ApplyChanges();
  setDirty(true);
  return kMouseEventHandled;
}
