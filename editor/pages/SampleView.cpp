#include "editor/pages/SampleView.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

const float GRID_SAMPLES = 11025.f;

}  // namespace

CSampleView::CSampleView(const CRect& size, CControlListener* listener) : CControl(size, listener, -1) {
  const size_t capacity = static_cast<size_t>(size.width() > 0 ? size.width() : 0) + 10;
  m_upper.reserve(capacity);
  m_lower.reserve(capacity);
}

CSampleView::CSampleView(const CSampleView& other)
    : CControl(other),
      m_left(other.m_left),
      m_right(other.m_right),
      m_length(other.m_length),
      m_upper(other.m_upper),
      m_lower(other.m_lower),
      m_loopEnabled(other.m_loopEnabled),
      m_loopStart(other.m_loopStart),
      m_loopEnd(other.m_loopEnd) {}

bool CSampleView::isTypeOf(const char* type) const {
  return (type && std::strcmp(type, "CSampleView") == 0) || CControl::isTypeOf(type);
}

void CSampleView::SetSource(const float* left, const float* right, long length) {
  m_left = left;
  m_right = right;
  m_length = length > 0 ? length : 0;
  Update();
}

void CSampleView::Update() {
  m_upper.clear();
  m_lower.clear();
  const long w = static_cast<long>(size.width());
  const long h = static_cast<long>(size.height());
  if (m_left && m_right && m_length > 0 && w > 0) {
    const CCoord m = size.top + h / 2 + 1;
    m_upper.push_back(CPoint(size.left, m));
    m_lower.push_back(CPoint(size.left, m));
    const float step = static_cast<float>(w) / static_cast<float>(m_length);
    const float scale = static_cast<float>(h) * 0.5f;
    long column = 1;
    float x = 0.f;
    float hi = 0.f;
    float lo = 10000.f;
    for (long i = 0; i < m_length; ++i) {
      float s = (m_left[i] + m_right[i]) * 0.5f;
      if (!std::isfinite(s)) s = 0.f;  // a damaged sample draws as silence
      if (s > hi) hi = s;
      if (s < lo) lo = s;
      x += step;
      if (x > 1.f) {
        if (column < w) {
          // Outlines never leave the view however loud the buffer.
          const float top = std::fmin(hi * scale, scale + 1.f);
          const float bottom = std::fmax(lo * scale, -scale - 1.f);
          m_upper.push_back(CPoint(size.left + column, m - std::trunc(top)));
          m_lower.push_back(CPoint(size.left + column, m - std::trunc(bottom)));
        }
        x -= std::floor(x);
        hi = 0.f;
        lo = 100000.f;
        ++column;
      }
    }
    m_upper.push_back(CPoint(size.right, m));
    m_lower.push_back(CPoint(size.right, m));
  }
  setDirty(true);
}

void CSampleView::EnableLoop(bool enabled) {
  m_loopEnabled = enabled;
  setDirty(true);
}

void CSampleView::SetLoop(unsigned int start, unsigned int end) {
  // Markers stay inside the buffer and in order wherever they come from (an
  // engine value, a stale loop from a longer sample).
  const unsigned int last = m_length > 0 ? static_cast<unsigned int>(m_length - 1) : 0;
  if (end > last) end = last;
  if (start > end) start = end;
  m_loopStart = start;
  m_loopEnd = end;
  setDirty(true);
}

long CSampleView::GetGridLineCount() const {
  const CCoord w = size.width();
  if (m_length <= 0 || w <= 0) return 0;
  const double spacing = GRID_SAMPLES / (static_cast<double>(m_length) / w);
  long count = static_cast<long>(w / spacing);
  // Never more lines than pixel columns, however long the buffer.
  if (count > static_cast<long>(w)) count = static_cast<long>(w);
  return count;
}

void CSampleView::draw(CDrawContext* context) {
  if (!context) return;
  context->saveGlobalState();
  CRect oldClip;
  context->getClipRect(oldClip);
  CRect clip = size;
  clip.bound(oldClip);
  context->setClipRect(clip);
  context->setLineWidth(1);
  context->setDrawMode(kCopyMode);

  const CCoord w = size.width();
  const long h = static_cast<long>(size.height());
  const CCoord m = size.top + h / 2 + 1;
  const CColor grid(255, 255, 255, 25);
  const CColor wave(255, 156, 68, 255);

  context->setFrameColor(grid);
  const long lines = GetGridLineCount();
  if (lines > 0) {
    const double spacing = GRID_SAMPLES / (static_cast<double>(m_length) / w);
    const double step = spacing < 1.0 ? 1.0 : spacing;
    for (long k = 1; k <= lines; ++k) {
      const CCoord x = std::floor(size.left + k * step);
      context->drawLine(CPoint(x, size.top), CPoint(x, size.bottom));
    }
  }
  context->drawLine(CPoint(size.left, size.top), CPoint(size.left, size.bottom));
  context->drawLine(CPoint(size.right - 1, size.top), CPoint(size.right - 1, size.bottom));
  context->drawLine(CPoint(size.left, size.top), CPoint(size.right, size.top));
  context->drawLine(CPoint(size.left, size.bottom - 1), CPoint(size.right, size.bottom - 1));
  const CCoord middle = size.top + h / 2;
  context->drawLine(CPoint(size.left, middle + h / 4), CPoint(size.right, middle + h / 4));
  context->drawLine(CPoint(size.left, middle - h / 4), CPoint(size.right, middle - h / 4));

  context->setFillColor(CColor(255, 156, 68, 180));
  context->setFrameColor(wave);
  context->setDrawMode(kAntialias);
  if (!m_upper.empty()) {
    context->drawPolygon(m_upper, kDrawFilledAndStroked);
    context->drawPolygon(m_lower, kDrawFilledAndStroked);
    for (size_t i = 0; i < m_upper.size() && i < m_lower.size(); ++i) context->drawLine(m_upper[i], m_lower[i]);
  }
  context->drawLine(CPoint(size.left, m), CPoint(size.right, m));

  if (m_loopEnabled && m_length > 0) {
    const float fs = static_cast<float>(m_loopStart) / static_cast<float>(m_length);
    const float fe = static_cast<float>(m_loopEnd) / static_cast<float>(m_length);
    const CCoord xs = std::trunc(size.left + fs * w);
    const CCoord xe = std::trunc(size.left + fe * w);
    context->setFillColor(CColor(0, 0, 0, 40));
    context->setFrameColor(CColor(255, 255, 255, 40));
    context->fillRect(CRect(size.left, size.top, xs, size.bottom));
    context->fillRect(CRect(xe, size.top, size.right, size.bottom));
    const CColor marker(255, 255, 255, 40);
    context->setFillColor(marker);
    context->setFrameColor(marker);
    context->drawLine(CPoint(xs, size.top), CPoint(xs, size.bottom));
    context->drawLine(CPoint(xe, size.top), CPoint(xe, size.bottom));
    context->drawRect(CRect(xs, size.top, xs + 5, size.top + 5), kDrawFilledAndStroked);
    context->drawRect(CRect(xs, size.bottom - 5, xs + 5, size.bottom), kDrawFilledAndStroked);
    context->drawRect(CRect(xe - 5, size.top, xe, size.top + 5), kDrawFilledAndStroked);
    context->drawRect(CRect(xe - 5, size.bottom - 5, xe, size.bottom), kDrawFilledAndStroked);
  }

  context->restoreGlobalState();
  setDirty(false);
}

unsigned int CSampleView::_positionAt(CCoord x) const {
  const CCoord w = size.width();
  if (m_length <= 0 || w <= 0) return 0;
  const double pos = std::trunc(static_cast<double>(m_length) * (x - size.left) / w);
  if (!(pos > 0)) return 0;
  if (pos >= static_cast<double>(m_length)) return static_cast<unsigned int>(m_length - 1);
  return static_cast<unsigned int>(pos);
}

void CSampleView::_moveMarker(const CPoint& where) {
  const unsigned int pos = _positionAt(where.h);
  const unsigned int last = static_cast<unsigned int>(m_length - 1);
  if (m_tiePending) {
    // A press as near to one marker as to the other takes the marker on the
    // side the pointer then moves to; until it moves, nothing changes.
    if (pos == m_pressPos) return;
    m_tiePending = false;
    if (pos < m_pressPos)
      m_draggingStart = true;
    else
      m_draggingEnd = true;
  }
  if (m_draggingStart) {
    // Past the end marker the start stops one frame before it (or on it when
    // the end is the first frame).
    m_loopStart = pos;
    if (m_loopStart > m_loopEnd) m_loopStart = m_loopEnd > 0 ? m_loopEnd - 1 : 0;
  } else if (m_draggingEnd) {
    // Before the start marker the end stops one frame after it (or on it when
    // the start is the last frame).
    m_loopEnd = pos;
    if (m_loopEnd < m_loopStart) m_loopEnd = m_loopStart < last ? m_loopStart + 1 : m_loopStart;
  } else {
    return;
  }
  if (listener) listener->valueChanged(this);
  setDirty(true);
}

CMouseEventResult CSampleView::onMouseDown(CPoint& where, const long& buttons) {
  m_draggingStart = m_draggingEnd = m_tiePending = false;
  if (!m_loopEnabled || m_length <= 0) return kMouseEventHandled;
  const long pos = static_cast<long>(_positionAt(where.h));
  const long toStart = std::labs(static_cast<long>(m_loopStart) - pos);
  const long toEnd = std::labs(static_cast<long>(m_loopEnd) - pos);
  if (toStart < toEnd) {
    m_draggingStart = true;
  } else if (toEnd < toStart) {
    m_draggingEnd = true;
  } else if (pos < static_cast<long>(m_loopStart)) {
    // Markers that meet: a press beside them takes the one on its side, so
    // they can always be pulled apart again.
    m_draggingStart = true;
  } else if (pos > static_cast<long>(m_loopEnd)) {
    m_draggingEnd = true;
  } else {
    // On the meeting point, or midway between the markers: the first move
    // decides (a release without a move takes the end marker).
    m_tiePending = true;
    m_pressPos = static_cast<unsigned int>(pos);
    return kMouseEventHandled;
  }
  _moveMarker(where);
  return kMouseEventHandled;
}

CMouseEventResult CSampleView::onMouseMoved(CPoint& where, const long& buttons) {
  if (m_length > 0 && m_loopEnabled) _moveMarker(where);
  return kMouseEventHandled;
}

CMouseEventResult CSampleView::onMouseUp(CPoint& where, const long& buttons) {
  if (m_length > 0 && m_loopEnabled) {
    _moveMarker(where);
    if (m_tiePending) {
      // Released without moving: the end marker, as for any tie.
      m_tiePending = false;
      m_draggingEnd = true;
      _moveMarker(where);
    }
  }
  m_draggingStart = m_draggingEnd = m_tiePending = false;
  return kMouseEventHandled;
}
