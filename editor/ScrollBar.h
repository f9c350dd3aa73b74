#pragma once
// The program's scroll bar: an integer offset into a content of a given
// size of which one page is visible. Clicking beside the thumb moves a
// page; dragging the thumb moves the offset across the free track.

#include "platform/vstgui/vstgui.h"

class CScrollBar : public CControl {
 public:
  static constexpr long long MIN_THUMB = 10;

  CScrollBar(const CRect& size, CControlListener* listener, long tag, bool vertical, CBitmap* background,
             bool hideWhenAllFits);
  CScrollBar(const CScrollBar& other) = default;

  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
  CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
  CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return new CScrollBar(*this); }

  // content: total size; page: the visible part (below 1 is ignored);
  // step: offsets are multiples of it.
  void setScrollInfo(long long content, long long page, long long step);
  void clipValue();
  // Thumb length for a track of length pixels (at least MIN_THUMB).
  long long getHeaderSize(long long length) const;

  long long getOffset() const { return m_offset; }
  void setOffset(long long offset) {
    m_offset = offset;
    clipValue();
    setDirty(true);
  }
  long long getContentSize() const { return m_content; }
  long long getPageSize() const { return m_page; }
  bool getAllFits() const { return m_allFits; }

 private:
  long long _track() const;
  long long _thumbPos(long long track, long long thumb) const;
  void _changed(long long before);

  bool m_vertical;
  bool m_hideWhenAllFits;
  bool m_allFits = false;
  bool m_grabbed = true;
  long long m_content = 2;
  long long m_page = 1;
  long long m_offset = 0;
  long long m_step = 1;
  long long m_dragStartOffset = 0;
  CPoint m_dragStart;
};
