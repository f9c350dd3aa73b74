#pragma once
// Shows one entry of a menu string list and lets the user step through the
// list by clicking (left forward, Alt+left backward, Control+left default),
// dragging vertically, or choosing from a pop-up menu (right or Apple
// click). The value is the index of the shown entry among the list's
// selectable entries (layout marks not counted).
//
// Click modes: 0 steps forward on a click and wraps; 1 steps backward on a
// click and stops at the ends; 2 is mode 0 with drags running upward.

#include <string>
#include <vector>

#include "platform/vstgui/vstgui.h"

class CListControl : public CParamDisplay {
 public:
  CListControl(const CRect& size, CControlListener* listener, long tag, const CColor& textColor,
               const std::vector<std::string>* list, float defaultValue, long clickMode);
  CListControl(const CListControl& other);

  void draw(CDrawContext* context) override;
  CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;
  CMouseEventResult onMouseUp(CPoint& where, const long& buttons) override;
  CMouseEventResult onMouseMoved(CPoint& where, const long& buttons) override;
  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return new CListControl(*this); }

  virtual void addListItem(const char* item);
  void clipValue();
  // Shows text instead of the entry and ignores the mouse.
  void Disable(const char* text);
  void Enable();
  bool IsEnabled() const { return m_enabled; }

  const std::vector<std::string>& GetAllEntries() const { return m_allEntries; }
  const std::vector<std::string>& GetSelectableEntries() const { return m_entries; }

 protected:
  long m_clickMode;
  bool m_enabled = true;
  std::vector<std::string> m_allEntries;
  std::vector<std::string> m_entries;
  std::string m_disabledText;
  CPoint m_startPoint;
  float m_startValue = 0.f;
  bool m_dragged = false;
  long m_buttons = 0;
};
