#pragma once
// The source and target fields of the modulation matrix's rows. Both show
// an entry of their string list (slModSource, slModTarget) like a list
// control, and a plain click or drag steps through the list as there; a
// right click or an Apple click opens a menu of their own instead of the
// flat list: the 23 sources in six columns with readable names, or the
// 283 targets as a tree of 16 submenus. The entry of the current value
// carries the check mark. The value is the position in the list's values;
// the editor turns it into the engine's source or target number.

#include "editor/ListControl.h"

// What both fields share: the menu (reference-counted; a copy holds its own
// reference to the same menu) and the mouse-down that shows it.
class CModMenuListControl : public CListControl {
 public:
  CModMenuListControl(const CRect& size, CControlListener* listener, long tag, const CColor& textColor,
                      const std::vector<std::string>* list, COptionMenu* menu);
  CModMenuListControl(const CModMenuListControl& other);
  ~CModMenuListControl() override;
  CModMenuListControl& operator=(const CModMenuListControl&) = delete;

  CMouseEventResult onMouseDown(CPoint& where, const long& buttons) override;

  COptionMenu* GetMenu() const { return m_menu; }
  // The value a choice stands for: the tag of the (sub)menu holding the
  // chosen entry and its index without separators; -1 for none.
  virtual long ValueOfChoice(long menuTag, long index) const = 0;

 protected:
  // Sets the menu's entries and check marks for the current value.
  virtual void PrepareMenu() = 0;

  COptionMenu* m_menu;
};

class CMenuModSource : public CModMenuListControl {
 public:
  static const unsigned int SOURCE_COUNT = 23;

  CMenuModSource(const CRect& size, CControlListener* listener, long tag, const CColor& textColor);
  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return new CMenuModSource(*this); }
  long ValueOfChoice(long menuTag, long index) const override;

 protected:
  void PrepareMenu() override;
};

class CMenuModTarget : public CModMenuListControl {
 public:
  static const long TAG_OSC = 5923591;
  static const long TAG_BUS = 5923592;
  static const long TAG_MODULATORS = 5923593;
  static const long TAG_TRANCE_GATE = 5923594;
  static const long TAG_MASTER = 5923595;
  static const long TAG_FX = 5923596;
  static const long TAG_REVERB = 5923597;
  static const long TAG_CHORUS = 5923598;
  static const long TAG_GRAIN_SHIFTER = 5923599;
  static const long TAG_DELAY = 5923600;
  static const long TAG_FLANGER = 5923601;
  static const long TAG_PHASER = 5923602;
  static const long TAG_TREMOLO = 5923603;
  static const long TAG_EQ = 5923604;
  static const long TAG_ECHOES = 5923605;
  static const long TAG_DISTORTION = 5923606;

  CMenuModTarget(const CRect& size, CControlListener* listener, long tag, const CColor& textColor);
  bool isTypeOf(const char* type) const override;
  CView* newCopy() const override { return new CMenuModTarget(*this); }
  long ValueOfChoice(long menuTag, long index) const override;

 protected:
  void PrepareMenu() override;

 private:
  void _Check(COptionMenu* menu, long current);
};
