#pragma once
// Pop-up menus drawn by our own layer in override-redirect windows:
// columns (an entry flagged as a column break, or the menu's items per
// column, starts a new one), separators, check marks, disabled entries and
// nested submenus that open to the right of their entry. The mouse picks an
// entry (press and release, or press-drag-release); Up and Down move the
// highlight, Right opens a submenu, Left closes one, Return chooses,
// Escape or a click outside every open menu dismisses.
//
// The layout and the drawing are plain functions of the menu, so that
// tests can find an entry's place and draw a menu off-screen.

#include <vector>

#include "platform/vstgui/Types.h"

class CDrawContext;
class COptionMenu;
class CX11Window;

// The name of every open menu's window.
extern const char* const X11_MENU_WINDOW_NAME;

struct MENU_LAYOUT {
  CRect size;                // the menu's window, origin (0, 0)
  std::vector<CRect> items;  // per entry (separators counted), menu coordinates
};

MENU_LAYOUT X11LayoutMenu(COptionMenu* menu);
// Draws the menu with entry `highlighted` (-1 none) lit.
void X11DrawMenu(CDrawContext* context, COptionMenu* menu, const MENU_LAYOUT& layout, long highlighted);

// Shows root with its top-left corner at screen (root-window coordinates)
// on the owner's display and waits for the user. True with the menu that
// holds the chosen entry and its index (separators counted); false when
// dismissed. The owner window stays painted meanwhile.
bool X11RunPopupMenu(CX11Window* owner, COptionMenu* root, const CPoint& screen, COptionMenu*& menu, long& index);
