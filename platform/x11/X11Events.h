#pragma once
// Translation of X11 input into what the view framework's handlers take:
// the mouse button word (CButton bits), wheel steps, key codes and the
// double-click test. Plain functions of the event's fields, so they run
// without an X server.

#include "platform/vst/VstTypes.h"

// The button word for a press or release of X button `button` (1 left,
// 2 middle, 3 right; 0 for a motion event) with the X modifier `state`.
// Shift, Control (the program's command key), Alt (Mod1) and Super (Mod4,
// the program's "Apple" menu modifier) map to kShift, kControl, kAlt and
// kApple; pressed buttons named in state count as well, so a drag keeps
// its button.
long X11ButtonWord(unsigned int state, unsigned int button);

// Wheel steps of X buttons 4 (up, +1) and 5 (down, -1); 0 for any other.
float X11WheelDistance(unsigned int button);

// Fills key from an X key symbol and modifier state: the virtual key for
// the keys the controls use (arrows, Return, Escape, BackSpace, Delete,
// Tab, Space), else the character (Latin-1 symbols); modifiers map to the
// MODIFIER_ bits. False for a symbol that means nothing to the controls
// (a modifier key alone, function keys).
bool X11TranslateKey(unsigned long keysym, unsigned int state, VstKeyCode& key);

// Tells a double click from two single ones: a press of the same button
// within DOUBLE_CLICK_MS of the previous press and within
// DOUBLE_CLICK_DISTANCE pixels of it. A double click does not start a
// triple: the press after one starts over.
class CX11ClickCounter {
 public:
  static const unsigned long DOUBLE_CLICK_MS = 400;
  static const int DOUBLE_CLICK_DISTANCE = 4;

  // True when this press completes a double click.
  bool Press(unsigned int button, unsigned long timeMs, int x, int y);

 private:
  bool m_armed = false;
  unsigned int m_button = 0;
  unsigned long m_time = 0;
  int m_x = 0;
  int m_y = 0;
};
