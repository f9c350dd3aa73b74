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

// The preset browser window's kick buttons.
const long TAG_BROWSER_CLOSE = 68214;
const long TAG_BROWSER_PREV = 68215;
const long TAG_BROWSER_NEXT = 68216;
const long TAG_BROWSER_REFRESH = 68217;

// The wavetable editor panel's controls.
const long TAG_WT_CLOSE = 68219;
const long TAG_WT_WAVEFORM = 68220;
const long TAG_WT_SPECTRUM = 68221;
const long TAG_WT_EFFECT_KNOB = 68234;  // + effect 0-7
const long TAG_WT_APPLY = 68242;
const long TAG_WT_RESET_EFFECTS = 68243;
const long TAG_WT_SMOOTH = 68244;
const long TAG_WT_SHARP = 68245;
const long TAG_WT_BALANCE = 68246;
const long TAG_WT_TOOLS = 68247;
const long TAG_WT_NAME = 68248;
const long TAG_WT_NEXT = 68249;
const long TAG_WT_PREV = 68250;
const long TAG_WT_LOAD = 68251;
const long TAG_WT_SAVE = 68252;
const long TAG_WT_RESET_TABLE = 68253;
const long TAG_WT_VIEW_MODE = 68254;
const long TAG_WT_SCROLL = 68255;
const long TAG_WT_ZOOM = 68256;

// Close buttons of the overlay panels (the browser's is its own kick
// button above).
const long TAG_PB_CLOSE = TAG_BROWSER_CLOSE;
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
