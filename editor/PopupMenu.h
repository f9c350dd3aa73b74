#pragma once
// The list font shared by the program's text controls, and a one-shot
// pop-up menu built from a menu string list: separators ("-") become lines,
// a column break ("|") makes the next entry start a new column, every other
// string is an entry numbered from 0 in order.

#include <string>
#include <vector>

#include "platform/vstgui/vstgui.h"

extern char listFontName[50];
extern int listFontSize;

// Sets the list font ("Arial", 9).
void InitFonts();
// The program always uses the list font: 0.
int IsCalibriPresent();

class CPopupMenu : public CControlListener {
 public:
  // current: the selectable index that carries the check mark; -1 for none.
  CPopupMenu(const std::vector<std::string>& items, long current);
  ~CPopupMenu() override;
  CPopupMenu(const CPopupMenu&) = delete;
  CPopupMenu& operator=(const CPopupMenu&) = delete;

  void valueChanged(CControl*) override {}

  // Shows the menu at the mouse position in control's frame: the chosen
  // selectable index, or -1 when dismissed or without a control.
  long Popup(CControl* control);

  COptionMenu* GetMenu() { return m_menu; }

 private:
  COptionMenu* m_menu;
};
