#pragma once
// Tags of the editor's controls. A tag below SYNTH_PARAM_COUNT is the synth
// parameter id the control edits; the editor's commands use tags from
// TAG_COMMAND_FIRST up.

const long TAG_COMMAND_FIRST = 68158;

const long TAG_LCD_NEW = 68158;
const long TAG_LCD_LOAD = 68159;
const long TAG_LCD_SAVE = 68160;
const long TAG_LCD_MENU = 68161;
const long TAG_LCD_NEXT = 68162;
const long TAG_LCD_PREV = 68163;
const long TAG_LCD_BROWSE = 68164;
const long TAG_MINI_BROWSER = 68165;
const long TAG_PANIC = 68166;
const long TAG_RECORD = 68167;
const long TAG_OSC_NEXT = 68168;  // + oscillator 0-3
const long TAG_OSC_PREV = 68172;  // + oscillator 0-3
const long TAG_OSC_EDIT = 68176;  // + oscillator 0-3
const long TAG_OSC_XY = 68180;    // + oscillator 0-3
const long TAG_MORPH_XY = 68184;
const long TAG_OVERSAMPLING = 68185;
const long TAG_MODMTX_PAGE = 68186;
const long TAG_VIEW_PAGE = 68187;

const long TAG_COMMAND_LAST = TAG_VIEW_PAGE;

// Close buttons of the overlay panels.
const long TAG_PB_CLOSE = 68214;
const long TAG_WT_CLOSE = 68219;
const long TAG_REC_CLOSE = 68222;
const long TAG_SMP_CLOSE = 68226;

inline bool IsXYPadTag(long tag) { return tag >= TAG_OSC_XY && tag <= TAG_MORPH_XY; }

// The effect panels' module-preset buttons (the effects-matrix page).
const long TAG_FX_LOAD = 68263;
const long TAG_FX_SAVE = 68264;
const long TAG_FX_RESET = 68265;

// Browser categories: 0-15 are the module-preset kinds, then the oscillator
// waves, user wavetables and samples.
const unsigned int BROWSER_CATEGORY_COUNT = 20;
const unsigned int BROWSER_CATEGORY_OSCILLATOR = 16;
const unsigned int BROWSER_CATEGORY_WAVETABLES = 18;
const unsigned int BROWSER_CATEGORY_SAMPLES = 19;

// The editor's messages from its own controls (IControlHandler).
const unsigned int CONTROL_MSG_REGISTER = 1;
const unsigned int CONTROL_MSG_POPUP = 2;
const unsigned int CONTROL_MSG_MOD_AMOUNT = 3;
const unsigned int CONTROL_MSG_HOVER = 4;
