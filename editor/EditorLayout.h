#pragma once
// The main window's layout: every control of the main window with its kind,
// tag, rectangle, caption and settings, in the order the editor creates
// them. The editor builds its controls from this table and the background
// artwork draws the panels and captions under them from the same table, so
// the two always agree.

#include <string>
#include <vector>

#include "platform/vstgui/Types.h"

enum CONTROL_KIND {
  KIND_KNOB,
  KIND_NUMERIC,
  KIND_KICK,
  KIND_MINI_BROWSER,
  KIND_ONOFF,
  KIND_LIST,
  KIND_TEXT_BUTTON,
  KIND_SOURCE_MENU,
  KIND_TARGET_MENU,
  KIND_XY,
  KIND_SELECTOR,
};

struct CONTROL_PLACE {
  CONTROL_KIND kind;
  long tag;
  CRect rect;
  std::string caption;      // drawn by the background ("" for none)
  std::string bitmap;       // resource name ("" for none)
  float defaultValue;
  long style;               // knob ring style, list click mode, selector segments
  int colour;               // text colour: 0 oscillator, 1 bus, 2 master, 3 depth
  const std::vector<std::string>* list;
  bool bipolar;             // numeric lists; vertical for selectors
  bool decimal;
  bool captionBeside;       // knobs: caption right of the knob instead of below
};

// A panel of the background: a titled box.
struct PANEL_PLACE {
  CRect rect;
  std::string title;
  bool light;  // light panels carry dark text (the oscillators)
};

const std::vector<CONTROL_PLACE>& MainWindowLayout();
const std::vector<PANEL_PLACE>& MainWindowPanels();

// Text colours of the main window.
CColor LayoutTextColour(int colour);
