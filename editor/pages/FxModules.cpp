#include "editor/pages/FxModules.h"

#include "engine/ParamIds.h"
#include "engine/PresetKinds.h"

namespace {

constexpr FX_PANEL_CONTROL Knob(long tag, FX_CONTROL_KIND kind, CCoord x, CCoord y, float defaultValue,
                                const char* caption) {
  return FX_PANEL_CONTROL{tag, kind, x, y, defaultValue, caption, nullptr, 0, 0, 0};
}
constexpr FX_PANEL_CONTROL Mix(long tag) { return Knob(tag, FX_CONTROL_MIX, 43, 55, 0.5f, "MIX"); }
constexpr FX_PANEL_CONTROL Small(long tag, CCoord x, CCoord y, float defaultValue, const char* caption) {
  return Knob(tag, FX_CONTROL_SMALL, x, y, defaultValue, caption);
}
// The time-sync lists: click mode 2, 35 x 14.
constexpr FX_PANEL_CONTROL Sync(long tag, CCoord x, CCoord y, float defaultValue, const char* caption) {
  return FX_PANEL_CONTROL{tag, FX_CONTROL_LIST, x, y, defaultValue, caption, &slTimeSync, 2, 35, 14};
}
constexpr FX_PANEL_CONTROL Numeric(long tag, CCoord x, CCoord y, const char* caption) {
  return FX_PANEL_CONTROL{tag, FX_CONTROL_NUMERIC, x, y, 0.f, caption, nullptr, 0, 0, 0};
}

constexpr FX_PANEL_CONTROL REVERB[] = {
    Mix(199),
    Knob(187, FX_CONTROL_LARGE_1, 195, 37, 0.5f, "SIZE"),
    Knob(189, FX_CONTROL_LARGE_2, 253, 37, 0.5f, "DECAY"),
    Small(185, 154, 66, 0.f, "PREDELAY"),
    Small(191, 314, 22, 0.f, "LO DAMP"),
    Small(193, 361, 22, 0.6f, "HI DAMP"),
    Small(195, 314, 66, 0.5f, "RATE"),
    Small(197, 361, 66, 0.5f, "DEPTH"),
};

constexpr FX_PANEL_CONTROL DELAY[] = {
    Mix(291),
    Small(275, 154, 66, 1.f, "TIME L"),
    Small(277, 195, 66, 1.f, "TIME R"),
    Small(281, 254, 22, 0.3f, "FEEDBACK"),
    Small(289, 254, 66, 0.f, "MONO"),
    Small(285, 314, 22, 1.f, "LOWPASS"),
    Small(287, 361, 22, 0.f, "HIGHPASS"),
    Small(283, 314, 66, 0.f, "SHAPE"),
    Small(279, 361, 66, 0.f, "REVERSE"),
    Sync(765, 149, 34, 2.f, "SYNC L"),
    Sync(767, 190, 34, 2.f, "SYNC R"),
};

constexpr FX_PANEL_CONTROL ECHOES[] = {
    Mix(305),
    Small(293, 176, 66, 1.f, "TIME"),
    Small(295, 254, 22, 0.5f, "FEEDBACK"),
    Small(303, 254, 66, 1.f, "STEREO"),
    Small(299, 314, 22, 0.25f, "ALLPASS"),
    Small(301, 361, 22, 0.f, "HIGHPASS"),
    Small(297, 337, 66, 0.5f, "RATIO"),
    Sync(769, 171, 34, 1.f, "SYNC"),
};

constexpr FX_PANEL_CONTROL GRAINSHIFTER[] = {
    Mix(329),
    Knob(319, FX_CONTROL_LARGE_1, 166, 37, 0.5f, "RATE"),
    Small(321, 235, 44, 0.f, "WIDTH"),
    Small(327, 282, 44, 0.f, "FEEDBACK"),
    Small(323, 337, 22, 0.5f, "TUNE"),
    Small(325, 337, 66, 0.f, "RANDOM"),
};

constexpr FX_PANEL_CONTROL CHORUS[] = {
    Mix(211),
    Knob(201, FX_CONTROL_LARGE_1, 166, 37, 0.5f, "DELAY"),
    Small(209, 254, 44, 0.3f, "STEREO"),
    Small(207, 337, 22, 0.f, "HIGHPASS"),
    Small(203, 314, 66, 0.35f, "RATE"),
    Small(205, 361, 66, 0.7f, "DEPTH"),
};

constexpr FX_PANEL_CONTROL FLANGER[] = {
    Mix(225),
    Knob(213, FX_CONTROL_LARGE_1, 166, 37, 0.5f, "DELAY"),
    Small(215, 254, 22, 0.15f, "FEEDBACK"),
    Small(223, 254, 66, 0.3f, "STEREO"),
    Small(217, 337, 22, 0.f, "HIGHPASS"),
    Small(219, 314, 66, 0.35f, "RATE"),
    Small(221, 361, 66, 0.45f, "DEPTH"),
};

constexpr FX_PANEL_CONTROL PHASER[] = {
    Mix(239),
    Knob(227, FX_CONTROL_LARGE_1, 166, 37, 0.5f, "FREQ"),
    Small(231, 254, 22, 0.2f, "FEEDBACK"),
    Small(237, 254, 66, 0.3f, "STEREO"),
    Small(229, 337, 22, 0.f, "MOUTH"),
    Small(233, 314, 66, 0.35f, "RATE"),
    Small(235, 361, 66, 0.5f, "DEPTH"),
};

constexpr FX_PANEL_CONTROL DISTORTION[] = {
    Mix(317),
    Knob(307, FX_CONTROL_LARGE_1, 195, 37, 0.5f, "DRIVE"),
    Knob(311, FX_CONTROL_LARGE_2, 253, 37, 0.5f, "ASYM"),
    Small(313, 314, 22, 0.f, "BASS"),
    Small(315, 361, 22, 0.f, "TREBLE"),
    Small(309, 337, 66, 0.5f, "OUTPUT"),
    FX_PANEL_CONTROL{771, FX_CONTROL_LIST, 222, 14, 1.f, "CURVE", &slDistCurve, 0, 51, 13},
};

constexpr FX_PANEL_CONTROL TREMOLO[] = {
    Mix(249),
    Small(241, 176, 66, 1.f, "RATE"),
    Small(247, 254, 44, 0.35f, "STEREO"),
    Small(243, 337, 22, 0.f, "EDGE"),
    Small(245, 337, 66, 1.f, "GATE"),
    Sync(763, 172, 34, 4.f, "SYNC"),
};

constexpr FX_PANEL_CONTROL EQ[] = {
    Small(253, 149, 17, 0.2f, "GAIN"),
    Small(251, 132, 61, 0.5f, "FREQ"),
    Small(259, 199, 17, 0.37f, "GAIN"),
    Small(261, 182, 61, 0.5f, "BW"),
    Small(257, 216, 61, 0.8f, "FREQ"),
    Small(265, 283, 17, 0.58f, "GAIN"),
    Small(267, 266, 61, 0.5f, "BW"),
    Small(263, 300, 61, 0.5f, "FREQ"),
    Small(271, 333, 17, 0.8f, "GAIN"),
    Small(269, 350, 61, 0.5f, "FREQ"),
    Numeric(255, 130, 105, "SLOPE"),
    Numeric(273, 350, 105, "SLOPE"),
};

#define CONTROLS(table) table, static_cast<unsigned int>(sizeof(table) / sizeof(table[0]))

// By effect type, then the empty slot's.
constexpr FX_PANEL_DESC PANELS[FX_TYPE_COUNT + 1] = {
    {"CFxModuleReverb", "GuiFxReverb.png", "REVERB", PRESET_KIND_REVERB, PARAM_FX_REVERB, 8, {0, 0}, 0,
     CONTROLS(REVERB)},
    {"CFxModuleDelay", "GuiFxDelay.png", "DELAY", PRESET_KIND_DELAY, PARAM_FX_DELAY, 9,
     {PARAM_DELAY_SYNC_L, PARAM_DELAY_SYNC_R}, 2, CONTROLS(DELAY)},
    {"CFxModuleEchoes", "GuiFxEchoes.png", "ECHOES", PRESET_KIND_ECHOES, PARAM_FX_ECHOES, 7, {PARAM_ECHOES_SYNC, 0},
     1, CONTROLS(ECHOES)},
    {"CFxModuleGrainShifter", "GuiFxGrains.png", "GRAIN SHIFTER", PRESET_KIND_GRAINSHIFTER, PARAM_FX_GRAINSHIFTER,
     6, {0, 0}, 0, CONTROLS(GRAINSHIFTER)},
    {"CFxModuleChorus", "GuiFxChorus.png", "CHORUS", PRESET_KIND_CHORUS, PARAM_FX_CHORUS, 6, {0, 0}, 0,
     CONTROLS(CHORUS)},
    {"CFxModuleFlanger", "GuiFxFlanger.png", "FLANGER", PRESET_KIND_FLANGER, PARAM_FX_FLANGER, 7, {0, 0}, 0,
     CONTROLS(FLANGER)},
    {"CFxModulePhaser", "GuiFxPhaser.png", "PHASER", PRESET_KIND_PHASER, PARAM_FX_PHASER, 7, {0, 0}, 0,
     CONTROLS(PHASER)},
    {"CFxModuleDistortion", "GuiFxDistortion.png", "DISTORTION", PRESET_KIND_DISTORTION, PARAM_FX_DISTORTION, 6,
     {PARAM_DIST_CURVE, 0}, 1, CONTROLS(DISTORTION)},
    {"CFxModuleTremolo", "GuiFxTremolo.png", "TREMOLO", PRESET_KIND_TREMOLO, PARAM_FX_TREMOLO, 5,
     {PARAM_TREMOLO_SYNC, 0}, 1, CONTROLS(TREMOLO)},
    {"CFxModuleEq", "GuiFxEq.png", "EQUALIZER", PRESET_KIND_EQ, PARAM_FX_EQ, 12, {0, 0}, 0, CONTROLS(EQ)},
    {"CFxModuleNone", "GuiFxNone.png", "", 0, 0, 0, {0, 0}, 0, nullptr, 0},
};

#undef CONTROLS

// Every panel edits exactly its module preset's words: each parameter of
// the run and each integer setting has one control, and no control edits
// anything else. A wrong tag in a table fails the build.
constexpr unsigned int CountControls(const FX_PANEL_DESC& d, long tag, bool list) {
  unsigned int n = 0;
  for (unsigned int i = 0; i < d.controlCount; ++i) {
    if (d.controls[i].tag == tag && (d.controls[i].kind == FX_CONTROL_LIST) == list) ++n;
  }
  return n;
}

constexpr bool TableMatchesBlock(const FX_PANEL_DESC& d) {
  if (d.controlCount != d.paramCount + d.settingCount) return false;
  for (unsigned int k = 0; k < d.paramCount; ++k) {
    if (CountControls(d, static_cast<long>(d.firstId + 2 * k), false) != 1) return false;
  }
  for (unsigned int k = 0; k < d.settingCount; ++k) {
    if (CountControls(d, static_cast<long>(d.settings[k]), true) != 1) return false;
  }
  return true;
}

constexpr bool AllTablesMatch() {
  for (const FX_PANEL_DESC& d : PANELS) {
    if (!TableMatchesBlock(d)) return false;
  }
  return true;
}
static_assert(AllTablesMatch(), "an effect panel's controls differ from its module-preset block");

enum : unsigned int {
  TYPE_REVERB,
  TYPE_DELAY,
  TYPE_ECHOES,
  TYPE_GRAINSHIFTER,
  TYPE_CHORUS,
  TYPE_FLANGER,
  TYPE_PHASER,
  TYPE_DISTORTION,
  TYPE_TREMOLO,
  TYPE_EQ,
  TYPE_NONE,
};

}  // namespace

const FX_PANEL_DESC& FxPanelDesc(unsigned int type) { return PANELS[type < FX_TYPE_COUNT ? type : TYPE_NONE]; }

#define FX_MODULE_CONSTRUCTOR(NAME, TYPE)                                                                      \
  NAME::NAME(ICommandHandler* commands, IControlHandler* handler, const CRect& size, CFrame* frame)            \
      : CFxModule(PANELS[TYPE], commands, handler, size, frame) {}

FX_MODULE_CONSTRUCTOR(CFxModuleNone, TYPE_NONE)
FX_MODULE_CONSTRUCTOR(CFxModuleReverb, TYPE_REVERB)
FX_MODULE_CONSTRUCTOR(CFxModuleDelay, TYPE_DELAY)
FX_MODULE_CONSTRUCTOR(CFxModuleEchoes, TYPE_ECHOES)
FX_MODULE_CONSTRUCTOR(CFxModuleGrainShifter, TYPE_GRAINSHIFTER)
FX_MODULE_CONSTRUCTOR(CFxModuleChorus, TYPE_CHORUS)
FX_MODULE_CONSTRUCTOR(CFxModuleFlanger, TYPE_FLANGER)
FX_MODULE_CONSTRUCTOR(CFxModulePhaser, TYPE_PHASER)
FX_MODULE_CONSTRUCTOR(CFxModuleDistortion, TYPE_DISTORTION)
FX_MODULE_CONSTRUCTOR(CFxModuleTremolo, TYPE_TREMOLO)
FX_MODULE_CONSTRUCTOR(CFxModuleEq, TYPE_EQ)

#undef FX_MODULE_CONSTRUCTOR
