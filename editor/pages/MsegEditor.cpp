#include "editor/pages/MsegEditor.h"

#include <algorithm>
#include <cairo.h>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "editor/PopupMenu.h"
#include "engine/ICommandHandler.h"

static const float TIME_SNAP_UNIT[7] = {0.f, 1.f, 1.f / 2, 1.f / 4, 1.f / 8, 1.f / 16, 1.f / 32};
static const float LEVEL_SNAP_UNIT[16] = {0.f,        1.f / 2,    1.f / 3,    1.f / 8,    1.f / 9,  1.f / 16,
                                          1.f / 17,   1.f / 12,   1.f / 24,   1.f / 36,   1.f / 48, 1.f / 60,
                                          1.f / 72,   0.f,        0.f,        0.f};
static const unsigned int MSEG_COUNT = 4;

// Every point and grid line sits on an even pixel offset.
static long GuantizeGui(long v) { return (v / 2) * 2; }

static float Clamp(float v, float lo, float hi) { return v < lo ? lo : (v > hi ? hi : v); }

CMsegControl::CMsegControl(ICommandHandler* commands, const CRect& size, CControlListener* listener, long tag)
    : CControl(size, listener, tag), m_commands(commands) {
  m_curveArea = CRect(size.left, size.top + 18, size.right, size.bottom - 1);
  m_topBar = CRect(size.left, size.top, size.right, size.top + 14);
  m_minPixelsPerStep = (int)(size.width() / 16);
  m_maxPixelsPerStep = (int)(size.width() / 2);
  if (m_minPixelsPerStep < 1) m_minPixelsPerStep = 1;
  if (m_maxPixelsPerStep < m_minPixelsPerStep) m_maxPixelsPerStep = m_minPixelsPerStep;
  m_pixelsPerStep = m_minPixelsPerStep;
  m_font = new CFontDesc(listFontName, listFontSize);
}

CMsegControl::CMsegControl(const CMsegControl& other)
    : CControl(other),
      m_commands(other.m_commands),
      m_instance(other.m_instance),
      m_points(other.m_points),
      m_curveMode(other.m_curveMode),
      m_timeSnap(other.m_timeSnap),
      m_levelSnap(other.m_levelSnap),
      m_curveArea(other.m_curveArea),
      m_topBar(other.m_topBar),
      m_lock(other.m_lock),
      m_loopEnabled(other.m_loopEnabled),
      m_dragMode(other.m_dragMode),
      m_dragIndex(other.m_dragIndex),
      m_loopStart(other.m_loopStart),
      m_loopEnd(other.m_loopEnd),
      m_zoom(other.m_zoom),
      m_scroll(other.m_scroll),
      m_pixelsPerStep(other.m_pixelsPerStep),
      m_minPixelsPerStep(other.m_minPixelsPerStep),
      m_maxPixelsPerStep(other.m_maxPixelsPerStep),
      m_downPoint(other.m_downPoint),
      m_downValue(other.m_downValue),
      m_downZoom(other.m_downZoom),
      m_downPixelsPerStep(other.m_downPixelsPerStep),
      m_downScroll(other.m_downScroll),
      m_font(other.m_font) {
  m_font->remember();
}

CMsegControl::~CMsegControl() { m_font->forget(); }

bool CMsegControl::isTypeOf(const char* type) const {
  return std::strcmp(type, "CMsegControl") == 0 || CControl::isTypeOf(type);
}

// ---------------------------------------------------------------------------
// Parameters

void CMsegControl::SetInstance(unsigned int instance) {
  m_instance = instance < MSEG_COUNT ? instance : MSEG_COUNT - 1;
  Update();
}

void CMsegControl::Update() {
  if (!m_commands) return;
  unsigned int m = m_instance;
  m_loopEnabled = m_commands->GetIntParam(PARAM_LOOP_ENABLED + m) != 0 ? 1 : 0;
  m_loopStart = (int)m_commands->GetIntParam(PARAM_LOOP_START + m);
  m_loopEnd = (int)m_commands->GetIntParam(PARAM_LOOP_END + m);
  m_curveMode = m_commands->GetIntParam(PARAM_CURVE_MODE + m);
  m_levelSnap = m_commands->GetIntParam(PARAM_LEVEL_SNAP + m);
  m_timeSnap = m_commands->GetIntParam(PARAM_TIME_SNAP + m);
  m_points.clear();
  for (unsigned int k = 0; k < MAX_POINTS; k++) {
    MSEG_POINT p;
    p.time = m_commands->GetFloatParam(PARAM_TIME + POINT_STRIDE * m + k);
    if (p.time == -1.f) break;
    p.level = m_commands->GetFloatParam(PARAM_LEVEL + POINT_STRIDE * m + k);
    p.curve = m_commands->GetFloatParam(PARAM_CURVE + POINT_STRIDE * m + k);
    // Values from a preset are kept inside the drawable range (a NaN would
    // also break the sort's ordering).
    p.time = std::isnan(p.time) ? 0.f : Clamp(p.time, 0.f, (float)STEPS);
    p.level = std::isnan(p.level) ? 0.f : Clamp(p.level, 0.f, 1.f);
    p.curve = std::isnan(p.curve) ? 0.f : Clamp(p.curve, -1.f, 1.f);
    m_points.push_back(p);
  }
  _sort();
  setDirty();
}

void CMsegControl::StoreMseg() {
  if (!m_commands) return;
  unsigned int m = m_instance;
  m_commands->SetIntParam(PARAM_LOOP_ENABLED + m, m_loopEnabled);
  m_commands->SetIntParam(PARAM_LOOP_START + m, (unsigned int)m_loopStart);
  m_commands->SetIntParam(PARAM_LOOP_END + m, (unsigned int)m_loopEnd);
  m_commands->SetIntParam(PARAM_CURVE_MODE + m, m_curveMode);
  m_commands->SetIntParam(PARAM_LEVEL_SNAP + m, m_levelSnap);
  m_commands->SetIntParam(PARAM_TIME_SNAP + m, m_timeSnap);
  for (unsigned int k = 0; k < MAX_POINTS; k++) {
    unsigned int base = POINT_STRIDE * m + k;
    if (k < m_points.size()) {
      m_commands->SetFloatParam(PARAM_TIME + base, m_points[k].time);
      m_commands->SetFloatParam(PARAM_LEVEL + base, m_points[k].level);
      m_commands->SetFloatParam(PARAM_CURVE + base, m_points[k].curve);
    } else {
      m_commands->SetFloatParam(PARAM_TIME + base, -1.f);
      m_commands->SetFloatParam(PARAM_LEVEL + base, 0.f);
      m_commands->SetFloatParam(PARAM_CURVE + base, 0.f);
    }
  }
}

void CMsegControl::SetCurveMode(unsigned int mode) {
  m_curveMode = mode;
  StoreMseg();
  setDirty();
}

void CMsegControl::EnableLoop(bool enabled) {
  m_loopEnabled = enabled ? 1 : 0;
  StoreMseg();
  setDirty();
}

void CMsegControl::SetTimeSnapping(unsigned int snap) {
  m_timeSnap = snap;
  StoreMseg();
}

void CMsegControl::SetLevelSnapping(unsigned int snap) {
  m_levelSnap = snap;
  StoreMseg();
}

float CMsegControl::QuantizePosition(float t) const {
  if (m_timeSnap < 1 || m_timeSnap > 6) return t;
  float unit = TIME_SNAP_UNIT[m_timeSnap];
  return std::floor(t / unit) * unit;
}

float CMsegControl::QuantizeLevel(float l) const {
  if (m_levelSnap < 1 || m_levelSnap > 12) return l;
  float unit = LEVEL_SNAP_UNIT[m_levelSnap];
  return std::floor(l / unit) * unit;
}

void CMsegControl::_sort() { std::stable_sort(m_points.begin(), m_points.end(), SortPredicate); }

// ---------------------------------------------------------------------------
// Point list

void CMsegControl::AddPoint(MSEG_POINT& point) {
  if (m_points.size() >= MAX_POINTS) return;
  m_points.push_back(point);
  _sort();
  int i = 0;
  for (; i < (int)m_points.size(); i++) {
    const MSEG_POINT& q = m_points[i];
    if (q.time == point.time && q.level == point.level && q.curve == point.curve) break;
  }
  if (i <= m_loopStart) {
    m_loopStart++;
    m_loopEnd++;
  } else if (i <= m_loopEnd) {
    m_loopEnd++;
  }
  StoreMseg();
  setDirty();
}

void CMsegControl::RemovePoint(int index) {
  if (index <= 0 || index >= (int)m_points.size() - 1) return;
  m_points.erase(m_points.begin() + index);
  _sort();
  if (m_loopStart >= index) {
    m_loopStart--;
    m_loopEnd--;
  } else if (m_loopEnd > index) {
    m_loopEnd--;
  }
  StoreMseg();
  setDirty();
}

void CMsegControl::FitWidth() {
  if (m_points.empty() || m_points.back().time == 0.f) return;
  float range = (float)(m_maxPixelsPerStep - m_minPixelsPerStep);
  if (range <= 0.f) return;
  float width = (float)size.width();
  m_zoom = Clamp((width / m_points.back().time - m_minPixelsPerStep) / range, 0.f, 1.f);
  m_scroll = 0;
  m_pixelsPerStep = (int)(m_minPixelsPerStep + m_zoom * range);
  setDirty();
}

// ---------------------------------------------------------------------------
// Screen mapping and hit tests

long CMsegControl::TimeToX(float t) const {
  return (long)m_curveArea.left + GuantizeGui((long)(m_pixelsPerStep * t - m_scroll));
}

long CMsegControl::LevelToY(float l) const {
  return (long)(m_curveArea.bottom - l * m_curveArea.height());
}

int CMsegControl::IsPointClicked(CPoint& where) {
  for (int k = 0; k < (int)m_points.size(); k++) {
    long x = TimeToX(m_points[k].time), y = LevelToY(m_points[k].level);
    if (where.h >= x - 7 && where.h < x + 7 && where.v >= y - 7 && where.v < y + 7) return k;
  }
  return -1;
}

int CMsegControl::IsLoopClicked(CPoint& where) {
  for (int k = 0; k < (int)m_points.size(); k++) {
    if (k != m_loopStart && k != m_loopEnd) continue;
    long x = TimeToX(m_points[k].time);
    if (where.h > x - 6 && where.h < x + 6) return k;
  }
  return -1;
}

int CMsegControl::IsCurveClicked(CPoint& where) {
  int k = -1;
  for (int i = 0; i < (int)m_points.size(); i++) {
    if (TimeToX(m_points[i].time) > where.h) {
      k = i;
      break;
    }
  }
  if (m_curveMode == 0) return k > 0 ? k : -1;
  if (k > 0 || (k == 0 && where.h <= m_curveArea.left)) return k - 1;
  return (int)m_points.size() - 1;
}

// ---------------------------------------------------------------------------
// Mouse

CMouseEventResult CMsegControl::onMouseDown(CPoint& where, const long& buttons) {
  beginEdit();
  m_downPoint = where;
  m_downZoom = m_zoom;
  m_downPixelsPerStep = m_pixelsPerStep;
  m_downScroll = m_scroll;
  m_dragMode = DRAG_NONE;
  m_dragIndex = -1;
  bool steps = m_curveMode != 0;

  if (buttons & kLButton) {
    int hit;
    if (m_topBar.pointInside(where)) {
      if (buttons & kDoubleClick) FitWidth();
      else m_dragMode = DRAG_ZOOM;
    } else if ((hit = IsPointClicked(where)) >= 0) {
      m_dragIndex = hit;
      m_dragMode = steps ? DRAG_STEP_POINT : DRAG_POINT;
      m_downValue = m_points[hit];
    } else if (m_loopEnabled && (hit = IsLoopClicked(where)) >= 0) {
      m_dragIndex = hit;
      m_dragMode = hit == m_loopStart ? DRAG_LOOP_START : DRAG_LOOP_END;
    } else if (_validIndex(hit = IsCurveClicked(where))) {
      m_dragIndex = hit;
      if (buttons & kDoubleClick) {
        if (steps) m_points[hit].level = 0.f;
        else m_points[hit].curve = 0.f;
        StoreMseg();
        setDirty();
      } else {
        m_dragMode = steps ? DRAG_STEP_LEVEL : DRAG_BEND;
        m_downValue = m_points[hit];
        if (steps) {
          m_downPoint.v = (CCoord)(long)(m_curveArea.bottom - m_curveArea.height() * m_downValue.level);
          CPoint p = where;
          onMouseMoved(p, buttons);
        }
      }
    }
  }

  if (buttons & (kRButton | kApple)) {
    int hit = IsPointClicked(where);
    if (hit >= 0) {
      RemovePoint(hit);
      m_dragMode = DRAG_ERASE;
    } else if (m_pixelsPerStep > 0 && m_curveArea.height() > 0) {
      MSEG_POINT p;
      p.time = Clamp((float)(where.h - size.left + m_scroll) / m_pixelsPerStep, 0.f, (float)STEPS);
      p.level = Clamp(1.f - (float)(where.v - m_curveArea.top) / m_curveArea.height(), 0.f, 1.f);
      p.curve = 0.f;
      AddPoint(p);
    }
  }
  return kMouseEventHandled;
}

CMouseEventResult CMsegControl::onMouseUp(CPoint& where, const long& buttons) {
  endEdit();
  return kMouseEventHandled;
}

CMouseEventResult CMsegControl::onMouseMoved(CPoint& where, const long& buttons) {
  float height = (float)m_curveArea.height();
  if (buttons & kLButton) {
    float dx = (float)(where.h - m_downPoint.h), dy = (float)(where.v - m_downPoint.v);
    switch (m_dragMode) {
      case DRAG_ZOOM: {
        float range = (float)(m_maxPixelsPerStep - m_minPixelsPerStep);
        float zoom = Clamp(m_downZoom + (float)(m_downPoint.v - where.v) * 0.006666667f, 0.f, 1.f);
        int pps = (int)(m_minPixelsPerStep + range * zoom);
        long a = (long)(m_downPoint.h - size.left);
        long scroll = m_downPixelsPerStep > 0 ? (long)((float)(m_downScroll + a) * pps / m_downPixelsPerStep) : 0;
        scroll = scroll - a + (long)(m_downPoint.h - where.h);
        long limit = (long)STEPS * pps - (long)size.width();
        if (scroll > limit) scroll = limit;
        if (scroll < 0) scroll = 0;
        if (zoom != m_zoom || (int)scroll != m_scroll) {
          m_zoom = zoom;
          m_pixelsPerStep = pps;
          m_scroll = (int)scroll;
          setDirty();
        }
        break;
      }
      case DRAG_LOOP_START:
      case DRAG_LOOP_END: {
        if (!m_loopEnabled) break;
        int j = -1;
        for (int k = 0; k < (int)m_points.size(); k++)
          if (TimeToX(m_points[k].time) < where.h) j = k;
        if (j < 0) break;
        if (m_dragMode == DRAG_LOOP_START) m_loopStart = std::min(j, m_loopEnd - 1);
        else m_loopEnd = std::max(j, m_loopStart + 1);
        setDirty();
        StoreMseg();
        break;
      }
      case DRAG_BEND: {
        if (!_validIndex(m_dragIndex) || height <= 0.f) break;
        float prev = m_dragIndex > 0 ? m_points[m_dragIndex - 1].level : 0.f;
        float sign = prev > m_points[m_dragIndex].level ? -1.f : 1.f;
        m_points[m_dragIndex].curve = Clamp(m_downValue.curve + sign * dy / height, -1.f, 1.f);
        StoreMseg();
        setDirty();
        break;
      }
      case DRAG_POINT:
      case DRAG_STEP_POINT:
      case DRAG_STEP_LEVEL: {
        if (!_validIndex(m_dragIndex)) break;
        int i = m_dragIndex;
        int last = (int)m_points.size() - 1;
        if (m_dragMode != DRAG_STEP_LEVEL && i > 0 && m_pixelsPerStep > 0) {
          float t = Clamp(m_downValue.time + dx / m_pixelsPerStep, 0.f, (float)STEPS);
          t = QuantizePosition(t);
          t = std::max(t, m_points[i - 1].time);
          if (m_lock) {
            if (i < last) t = std::min(t, m_points[i + 1].time);
            m_points[i].time = t;
          } else {
            float shift = t - m_points[i].time;
            if (i < last && m_points[last].time + shift > (float)STEPS) {
              shift = (float)STEPS - m_points[last].time;
              t = m_points[i].time + shift;
            }
            m_points[i].time = t;
            for (int k = i + 1; k <= last; k++) m_points[k].time += shift;
            if (i < last) m_points[last].time = std::min(m_points[last].time, (float)STEPS);
          }
        }
        if (height > 0.f) m_points[i].level = QuantizeLevel(Clamp(m_downValue.level - dy / height, 0.f, 1.f));
        StoreMseg();
        setDirty();
        break;
      }
      default:
        break;
    }
  } else if ((buttons & (kRButton | kApple)) && m_dragMode == DRAG_ERASE) {
    int hit = IsPointClicked(where);
    if (hit > 0) RemovePoint(hit);
  }
  return kMouseEventHandled;
}

// ---------------------------------------------------------------------------
// Drawing

void CMsegControl::_drawGrid(CDrawContext* context) {
  context->setFont(m_font);
  for (unsigned int u = 1; u <= STEPS; u++) {
    long x = TimeToX((float)u);
    context->setFrameColor(CColor(255, 255, 255, 30));
    context->drawLine(CPoint(x, size.top + 1), CPoint(x, size.bottom - 1));
    char text[8];
    std::snprintf(text, sizeof(text), "%i", (int)u);
    context->setFontColor(CColor(20, 20, 20, 255));
    context->drawString(text, CRect(x - m_pixelsPerStep, size.top + 4, x, size.top + 14), false, kCenterText);
  }
}

// Appends the segments from point `from` to point `to` (inclusive) to the
// current path: Bezier bends in curve mode, steps otherwise.
static void AppendSegments(cairo_t* cr, const CMsegControl& c, const std::vector<MSEG_POINT>& points, int from,
                           int to, bool steps) {
  double xpd, ypd;
  cairo_get_current_point(cr, &xpd, &ypd);
  long xp = (long)xpd, yp = (long)ypd;
  for (int k = from; k <= to; k++) {
    long x = c.TimeToX(points[k].time), y = c.LevelToY(points[k].level);
    if (steps) {
      cairo_line_to(cr, x, yp);
      cairo_line_to(cr, x, y);
    } else {
      float curve = points[k].curve;
      long cx = (long)((x - xp) * curve * 0.5f + (x + xp) / 2);
      long cy = (long)((y + yp) / 2 - (y - yp) * curve * 0.5f);
      cairo_curve_to(cr, cx, cy, cx, cy, x, y);
    }
    xp = x;
    yp = y;
  }
}

static void SetSource(cairo_t* cr, const CColor& c) {
  cairo_set_source_rgba(cr, c.red / 255.0, c.green / 255.0, c.blue / 255.0, c.alpha / 255.0);
}

void CMsegControl::_drawShape(CDrawContext* context, bool steps) {
  cairo_t* cr = context->getCairo();
  cairo_save(cr);
  cairo_translate(cr, context->getOffset().h, context->getOffset().v);
  cairo_rectangle(cr, size.left, size.top, size.width(), size.height());
  cairo_clip(cr);
  cairo_set_antialias(cr, CAIRO_ANTIALIAS_DEFAULT);
  cairo_set_line_width(cr, 1.0);
  double bottom = m_curveArea.bottom + 2;

  cairo_new_path(cr);
  cairo_move_to(cr, m_curveArea.left, bottom);
  if (!m_points.empty()) {
    AppendSegments(cr, *this, m_points, 0, (int)m_points.size() - 1, steps);
    cairo_line_to(cr, m_curveArea.right, LevelToY(m_points.back().level));
  }
  cairo_line_to(cr, m_curveArea.right, bottom);
  cairo_close_path(cr);
  SetSource(cr, CColor(0, 0, 0, 50));
  cairo_fill_preserve(cr);
  SetSource(cr, CColor(20, 20, 20, 255));
  cairo_stroke(cr);

  // The loop region, when both markers name existing points.
  if (m_loopEnabled && m_loopEnd != m_loopStart && _validIndex(m_loopStart) && _validIndex(m_loopEnd) &&
      m_loopStart < m_loopEnd) {
    cairo_new_path(cr);
    long xs = TimeToX(m_points[m_loopStart].time);
    cairo_move_to(cr, xs, bottom);
    cairo_line_to(cr, xs, LevelToY(m_points[m_loopStart].level));
    AppendSegments(cr, *this, m_points, m_loopStart + 1, m_loopEnd, steps);
    cairo_line_to(cr, TimeToX(m_points[m_loopEnd].time), bottom);
    cairo_close_path(cr);
    SetSource(cr, CColor(255, 156, 68, 130));
    cairo_fill(cr);
  }

  for (const MSEG_POINT& p : m_points) {
    long x = TimeToX(p.time), y = LevelToY(p.level);
    cairo_new_path(cr);
    cairo_arc(cr, x, y, 3.0, 0, 2 * M_PI);
    SetSource(cr, CColor(168, 168, 168, 255));
    cairo_fill_preserve(cr);
    SetSource(cr, CColor(20, 20, 20, 255));
    cairo_stroke(cr);
  }
  cairo_restore(cr);
}

void CMsegControl::draw(CDrawContext* context) {
  CDrawMode mode = context->getDrawMode();
  _drawGrid(context);
  _drawShape(context, m_curveMode != 0);
  context->setDrawMode(mode);
  setDirty(false);
}

// ---------------------------------------------------------------------------
// Clipboard

void CMsegControl::Copy(MSEG_COPY& copy) {
  copy.points = new std::vector<MSEG_POINT>(m_points);
  copy.timeSnapping = m_timeSnap;
  copy.levelSnapping = m_levelSnap;
  copy.loopEnabled = m_loopEnabled;
  copy.loopStart = m_loopStart;
  copy.loopEnd = m_loopEnd;
  copy.rate = m_commands ? m_commands->GetFloatParam(PARAM_RATE + m_instance) : 0.f;
  copy.curveMode = m_curveMode;
  copy.triggerMode = m_commands ? m_commands->GetIntParam(PARAM_TRIGGER + m_instance) : 0;
  copy.sync = m_commands ? m_commands->GetIntParam(PARAM_SYNC + m_instance) : 0;
}

void CMsegControl::Paste(MSEG_COPY& copy) {
  if (!copy.points) return;
  m_points = *copy.points;
  // A record never holds more points than the parameters can carry.
  if (m_points.size() > MAX_POINTS) m_points.resize(MAX_POINTS);
  _sort();
  m_timeSnap = copy.timeSnapping;
  m_levelSnap = copy.levelSnapping;
  m_loopEnabled = copy.loopEnabled;
  m_loopStart = copy.loopStart;
  m_loopEnd = copy.loopEnd;
  m_curveMode = copy.curveMode;
  if (m_commands) {
    m_commands->SetFloatParam(PARAM_RATE + m_instance, copy.rate);
    m_commands->SetIntParam(PARAM_TRIGGER + m_instance, copy.triggerMode);
    m_commands->SetIntParam(PARAM_SYNC + m_instance, copy.sync);
  }
  StoreMseg();
  setDirty();
}
