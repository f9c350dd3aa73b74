#include "platform/x11/X11Events.h"

#include <X11/X.h>
#include <X11/keysym.h>

#include <cstdlib>

#include "platform/vstgui/Types.h"

long X11ButtonWord(unsigned int state, unsigned int button) {
  long word = 0;
  if (button == Button1 || (state & Button1Mask)) word |= kLButton;
  if (button == Button2 || (state & Button2Mask)) word |= kMButton;
  if (button == Button3 || (state & Button3Mask)) word |= kRButton;
  if (state & ShiftMask) word |= kShift;
  if (state & ControlMask) word |= kControl;
  if (state & Mod1Mask) word |= kAlt;
  if (state & Mod4Mask) word |= kApple;
  return word;
}

float X11WheelDistance(unsigned int button) {
  if (button == Button4) return 1.f;
  if (button == Button5) return -1.f;
  return 0.f;
}

bool X11TranslateKey(unsigned long keysym, unsigned int state, VstKeyCode& key) {
  key.character = 0;
  key.virt = 0;
  key.modifier = 0;
  if (state & ShiftMask) key.modifier |= MODIFIER_SHIFT;
  if (state & Mod1Mask) key.modifier |= MODIFIER_ALTERNATE;
  if (state & ControlMask) key.modifier |= MODIFIER_COMMAND;
  if (state & Mod4Mask) key.modifier |= MODIFIER_CONTROL;
  switch (keysym) {
    case XK_BackSpace: key.virt = VKEY_BACK; return true;
    case XK_Tab: case XK_ISO_Left_Tab: key.virt = VKEY_TAB; return true;
    case XK_Return: case XK_KP_Enter: key.virt = VKEY_RETURN; return true;
    case XK_Escape: key.virt = VKEY_ESCAPE; return true;
    case XK_space: key.virt = VKEY_SPACE; key.character = ' '; return true;
    case XK_Left: case XK_KP_Left: key.virt = VKEY_LEFT; return true;
    case XK_Up: case XK_KP_Up: key.virt = VKEY_UP; return true;
    case XK_Right: case XK_KP_Right: key.virt = VKEY_RIGHT; return true;
    case XK_Down: case XK_KP_Down: key.virt = VKEY_DOWN; return true;
    case XK_Delete: case XK_KP_Delete: key.virt = VKEY_DELETE; return true;
    default: break;
  }
  if (keysym >= 0x20 && keysym <= 0xff) {
    key.character = static_cast<VstInt32>(keysym);
    return true;
  }
  return false;
}

bool CX11ClickCounter::Press(unsigned int button, unsigned long timeMs, int x, int y) {
  bool isDouble = m_armed && button == m_button && timeMs - m_time <= DOUBLE_CLICK_MS &&
                  std::abs(x - m_x) <= DOUBLE_CLICK_DISTANCE && std::abs(y - m_y) <= DOUBLE_CLICK_DISTANCE;
  m_armed = !isDouble;
  m_button = button;
  m_time = timeMs;
  m_x = x;
  m_y = y;
  return isDouble;
}
