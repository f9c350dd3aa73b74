#include "editor/ScrollBar.h"

#include <cstring>

CScrollBar::CScrollBar(const CRect& size, CControlListener* listener, long tag, bool vertical, CBitmap* background,
                       bool hideWhenAllFits)
    : CControl(size, listener, tag, background), m_vertical(vertical), m_hideWhenAllFits(hideWhenAllFits) {}

bool CScrollBar::isTypeOf(const char* type) const {
  if (type && std::strcmp(type, "CScrollBar") == 0) return true;
  return CControl::isTypeOf(type);
}

long long CScrollBar::_track() const {
  const CRect& r = getViewSize();
  return static_cast<long long>(m_vertical ? r.height() : r.width());
}

// A thumb never shrinks below MIN_THUMB pixels (nor beyond the track), so
// that it can still be grabbed over a content of tens of thousands of rows.
long long CScrollBar::getHeaderSize(long long length) const {
  if (m_allFits || m_content <= 0) return length;
  const long long thumb = m_page * length / m_content;
  const long long least = length < MIN_THUMB ? length : MIN_THUMB;
  return thumb < least ? least : thumb;
}

long long CScrollBar::_thumbPos(long long track, long long thumb) const {
  long long range = m_content - m_page;
  if (range <= 0) return 0;
  return (track - thumb) * m_offset / range;
}

void CScrollBar::clipValue() {
  if (m_step > 0) {
    long long rem = m_offset % m_step;
    if (rem > 0) m_offset += m_step - rem;  // up to the next multiple
    else if (rem < 0) m_offset -= rem;
  }
  long long range = m_content - m_page;
  if (range < 0) range = 0;
  if (m_offset > range) m_offset = range;
  if (m_offset < 0) m_offset = 0;
}

void CScrollBar::_changed(long long before) {
  if (m_offset != before) {
    invalid();
    if (listener) listener->valueChanged(this);
  }
}

void CScrollBar::setScrollInfo(long long content, long long page, long long step) {
  if (page < 1) return;
  long long c = content < 1 ? page : content;
  m_content = c;
  m_page = c > page ? page : c - 1;
  m_allFits = c <= page;
  m_step = step;
  long long before = m_offset;
  clipValue();
  _changed(before);
  setDirty(true);
}

void CScrollBar::draw(CDrawContext* context) {
  if (m_hideWhenAllFits && m_allFits) {
    setDirty(false);
    return;
  }
  clipValue();
  const CRect& r = getViewSize();
  CCoord oldWidth = context->getLineWidth();
  context->setLineWidth(1);
  context->drawRect(r, kDrawStroked);
  long long track = _track();
  long long thumb = getHeaderSize(track);
  long long pos = _thumbPos(track, thumb);
  CRect t = m_vertical ? CRect(r.left + 2, r.top + pos + 2, r.right - 2, r.top + pos + thumb - 2)
                       : CRect(r.left + pos + 2, r.top + 2, r.left + pos + thumb - 2, r.bottom - 2);
  t.normalize();
  CColor oldFill = context->getFillColor();
  context->setFillColor(CColor(126, 126, 126, 255));
  context->drawRect(t, kDrawFilled);
  context->setFillColor(oldFill);
  context->setLineWidth(oldWidth);
  setDirty(false);
}

CMouseEventResult CScrollBar::onMouseDown(CPoint& where, const long& buttons) {
  beginEdit();
  if ((buttons & kLButton) && !m_allFits) {
    const CRect& r = getViewSize();
    long long p = static_cast<long long>(m_vertical ? where.y - r.top : where.x - r.left);
    long long track = _track();
    long long thumb = getHeaderSize(track);
    long long pos = _thumbPos(track, thumb);
    long long before = m_offset;
    m_grabbed = false;
    if (p > pos + thumb) {
      m_offset += m_page;
    } else if (p < pos) {
      m_offset -= m_page;
    } else {
      m_grabbed = true;
    }
    clipValue();
    _changed(before);
  }
  m_dragStartOffset = m_offset;
  m_dragStart = where;
  return kMouseEventHandled;
}

CMouseEventResult CScrollBar::onMouseMoved(CPoint& where, const long& buttons) {
  if (!(buttons & kLButton) || m_allFits || !m_grabbed) return kMouseEventHandled;
  long long d = static_cast<long long>(m_vertical ? where.y - m_dragStart.y : where.x - m_dragStart.x);
  long long track = _track();
  long long thumb = getHeaderSize(track);
  long long before = m_offset;
  m_offset = track > thumb ? m_dragStartOffset + (m_content - m_page) * d / (track - thumb) : 0;
  clipValue();
  _changed(before);
  return kMouseEventHandled;
}

CMouseEventResult CScrollBar::onMouseUp(CPoint& where, const long& buttons) {
  endEdit();
  return kMouseEventHandled;
}
