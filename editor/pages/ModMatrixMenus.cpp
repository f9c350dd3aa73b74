#include "editor/pages/ModMatrixMenus.h"

#include <cstring>

#include "editor/Editor.h"
#include "editor/StringLists.h"

namespace {

// The sources in the order of slModSource's values; a leading "|" starts a
// new menu column and is not part of the title.
const char* const SOURCES[CMenuModSource::SOURCE_COUNT] = {
    "Off",       "|LFO 1",     "LFO 2",    "LFO 3",   "Vibrato",     "|Env 1",    "Env 2",    "Env 3",
    "Amp Env",   "|MSEG 1",    "MSEG 2",   "MSEG 3",  "MSEG 4",      "|ModWheel", "PitchWheel",
    "Pressure",  "Breath",     "Expression", "|Note", "Velocity",    "Random",    "Morph X",  "Morph Y"};

// The targets of each submenu in the order of slModTarget's values; a
// leading "|" starts a new menu column.
const char* const TARGETS_OSC[68] = {
    "Osc 1 Pitch", "Osc 2 Pitch", "Osc 3 Pitch", "Osc 4 Pitch", "Osc 1 Detune", "Osc 2 Detune", "Osc 3 Detune",
    "Osc 4 Detune", "Osc 1 Morph X", "Osc 2 Morph X", "Osc 3 Morph X", "Osc 4 Morph X", "Osc 1 Morph Y",
    "Osc 2 Morph Y", "Osc 3 Morph Y", "Osc 4 Morph Y", "Osc 1 Phase", "Osc 2 Phase", "Osc 3 Phase", "Osc 4 Phase",
    "Osc 1 FM", "Osc 3 FM", "Osc 1 RM", "Osc 3 RM", "|Osc 1 FX1", "Osc 2 FX1", "Osc 3 FX1", "Osc 4 FX1", "Osc 1 FX2",
    "Osc 2 FX2", "Osc 3 FX2", "Osc 4 FX2", "Osc 1 FX3", "Osc 2 FX3", "Osc 3 FX3", "Osc 4 FX3", "Osc 1 FX4",
    "Osc 2 FX4", "Osc 3 FX4", "Osc 4 FX4", "|Osc 1 Level", "Osc 2 Level", "Osc 3 Level", "Osc 4 Level", "Osc 1 Pan",
    "Osc 2 Pan", "Osc 3 Pan", "Osc 4 Pan", "Osc 1 Bus", "Osc 2 Bus", "Osc 3 Bus", "Osc 4 Bus", "|Osc 1 Filter Cutoff",
    "Osc 2 Filter Cutoff", "Osc 3 Filter Cutoff", "Osc 4 Filter Cutoff", "Osc 1 Filter Res", "Osc 2 Filter Res",
    "Osc 3 Filter Res", "Osc 4 Filter Res", "Osc 1 Filter Drive", "Osc 2 Filter Drive", "Osc 3 Filter Drive",
    "Osc 4 Filter Drive", "Osc 1 Filter Control", "Osc 2 Filter Control", "Osc 3 Filter Control",
    "Osc 4 Filter Control",
};

const char* const TARGETS_BUS[31] = {
    "Bus Send", "|Bus 1 Filter Cutoff", "Bus 2 Filter Cutoff", "Bus 1 Filter Res", "Bus 2 Filter Res",
    "Bus 1 Filter Drive", "Bus 2 Filter Drive", "Bus 1 Filter Control", "Bus 2 Filter Control", "Bus 1 Filter Stereo",
    "Bus 2 Filter Stereo", "|Bus 1 Dist Drive", "Bus 2 Dist Drive", "Bus 1 Dist Color", "Bus 2 Dist Color",
    "Bus 1 Dist Treble", "Bus 2 Dist Treble", "Bus 1 Lofi Bit", "Bus 2 Lofi Bit", "Bus 1 Lofi Noise",
    "Bus 2 Lofi Noise", "Bus 1 Lofi Rate", "Bus 2 Lofi Rate", "Bus 1 Lofi Key", "Bus 2 Lofi Key", "Bus 1 Lofi Stereo",
    "Bus 2 Lofi Stereo", "|Bus 1 Out Level", "Bus 2 Out Level", "Bus 1 Out Pan", "Bus 2 Out Pan",
};

const char* const TARGETS_MODULATORS[32] = {
    "Env 1 Attack", "Env 2 Attack", "Env 3 Attack", "Amp Env Attack", "Env 1 Decay", "Env 2 Decay", "Env 3 Decay",
    "Amp Env Decay", "Env 1 Sustain", "Env 2 Sustain", "Env 3 Sustain", "Amp Env Sustain", "Env 1 Release",
    "Env 2 Release", "Env 3 Release", "Amp Env Release", "|Lfo 1 Amount", "Lfo 2 Amount", "Lfo 3 Amount",
    "Vibrato Amount", "Lfo 1 Rate", "Lfo 2 Rate", "Lfo 3 Rate", "Vibrato Rate", "Lfo 1 Phase", "Lfo 2 Phase",
    "Lfo 3 Phase", "Vibrato Phase", "|MSEG 1 Rate", "MSEG 2 Rate", "MSEG 3 Rate", "MSEG 4 Rate",
};

const char* const TARGETS_TRANCEGATE[3] = {
    "TranceGate Rate", "TranceGate Smooth", "TranceGate Mix",
};

const char* const TARGETS_MASTER[3] = {
    "Master Level", "Master Pan", "Master Mono",
};

const char* const TARGETS_REVERB[16] = {
    "Reverb 1 Pre Delay", "Reverb 2 Pre Delay", "Reverb 1 Size", "Reverb 2 Size", "Reverb 1 Decay", "Reverb 2 Decay",
    "Reverb 1 LoDamp", "Reverb 2 LoDamp", "Reverb 1 HiDamp", "Reverb 2 HiDamp", "Reverb 1 ModRate",
    "Reverb 2 ModRate", "Reverb 1 ModDepth", "Reverb 2 ModDepth", "Reverb 1 Mix", "Reverb 2 Mix",
};

const char* const TARGETS_CHORUS[12] = {
    "Chorus 1 Delay", "Chorus 2 Delay", "Chorus 1 ModRate", "Chorus 2 ModRate", "Chorus 1 ModDepth",
    "Chorus 2 ModDepth", "Chorus 1 Highpass", "Chorus 2 Highpass", "Chorus 1 Stereo", "Chorus 2 Stereo",
    "Chorus 1 Mix", "Chorus 2 Mix",
};

const char* const TARGETS_GRAINSHIFTER[12] = {
    "GrainShifter 1 Rate", "GrainShifter 2 Rate", "GrainShifter 1 Width", "GrainShifter 2 Width",
    "GrainShifter 1 Tune", "GrainShifter 2 Tune", "GrainShifter 1 Tune Random", "GrainShifter 2 Tune Random",
    "GrainShifter 1 Feedback", "GrainShifter 2 Feedback", "GrainShifter 1 Mix", "GrainShifter 2 Mix",
};

const char* const TARGETS_FLANGER[14] = {
    "Flanger 1 Delay", "Flanger 2 Delay", "Flanger 1 Feedback", "Flanger 2 Feedback", "Flanger 1 Highpass",
    "Flanger 2 Highpass", "Flanger 1 ModRate", "Flanger 2 ModRate", "Flanger 1 ModDepth", "Flanger 2 ModDepth",
    "Flanger 1 Stereo", "Flanger 2 Stereo", "Flanger 1 Mix", "Flanger 2 Mix",
};

const char* const TARGETS_PHASER[14] = {
    "Phaser 1 Freq", "Phaser 2 Freq", "Phaser 1 Mouth", "Phaser 2 Mouth", "Phaser 1 Feedback", "Phaser 2 Feedback",
    "Phaser 1 ModRate", "Phaser 2 ModRate", "Phaser 1 ModDepth", "Phaser 2 ModDepth", "Phaser 1 Stereo",
    "Phaser 2 Stereo", "Phaser 1 Mix", "Phaser 2 Mix",
};

const char* const TARGETS_TREMOLO[10] = {
    "Tremolo 1 Rate", "Tremolo 2 Rate", "Tremolo 1 Edge", "Tremolo 2 Edge", "Tremolo 1 Gate", "Tremolo 2 Gate",
    "Tremolo 1 Stereo", "Tremolo 2 Stereo", "Tremolo 1 Mix", "Tremolo 2 Mix",
};

const char* const TARGETS_EQ[24] = {
    "EQ 1 Band1 Freq", "EQ 2 Band1 Freq", "EQ 1 Band1 Boost", "EQ 2 Band1 Boost", "EQ 1 Band1 Bandwidth",
    "EQ 2 Band1 Bandwidth", "EQ 1 Band2 Freq", "EQ 2 Band2 Freq", "EQ 1 Band2 Boost", "EQ 2 Band2 Boost",
    "EQ 1 Band2 Bandwidth", "EQ 2 Band2 Bandwidth", "EQ 1 Band3 Freq", "EQ 2 Band3 Freq", "EQ 1 Band3 Boost",
    "EQ 2 Band3 Boost", "EQ 1 Band3 Bandwidth", "EQ 2 Band3 Bandwidth", "EQ 1 Band4 Freq", "EQ 2 Band4 Freq",
    "EQ 1 Band4 Boost", "EQ 2 Band4 Boost", "EQ 1 Band4 Bandwidth", "EQ 2 Band4 Bandwidth",
};

const char* const TARGETS_DELAY[18] = {
    "Delay 1 Time L", "Delay 2 Time L", "Delay 1 Time R", "Delay 2 Time R", "Delay 1 Reverse", "Delay 2 Reverse",
    "Delay 1 Feedback", "Delay 2 Feedback", "Delay 1 Shape", "Delay 2 Shape", "Delay 1 Lowpass", "Delay 2 Lowpass",
    "Delay 1 Highpass", "Delay 2 Highpass", "Delay 1 Mono", "Delay 2 Mono", "Delay 1 Mix", "Delay 2 Mix",
};

const char* const TARGETS_ECHOES[14] = {
    "Echoes 1 Time", "Echoes 2 Time", "Echoes 1 Feedback", "Echoes 2 Feedback", "Echoes 1 Ratio", "Echoes 2 Ratio",
    "Echoes 1 Allpass", "Echoes 2 Allpass", "Echoes 1 Highpass", "Echoes 2 Highpass", "Echoes 1 Stereo",
    "Echoes 2 Stereo", "Echoes 1 Mix", "Echoes 2 Mix",
};

const char* const TARGETS_DISTORTION[12] = {
    "Distortion 1 Drive", "Distortion 2 Drive", "Distortion 1 Output", "Distortion 2 Output",
    "Distortion 1 Asymmetry", "Distortion 2 Asymmetry", "Distortion 1 Bass", "Distortion 2 Bass",
    "Distortion 1 Treble", "Distortion 2 Treble", "Distortion 1 Mix", "Distortion 2 Mix",
};


struct TARGET_MENU {
  const char* title;
  long tag;
  // Engine target number of the first entry; the values of the entries
  // follow from the value of that target.
  unsigned int firstTarget;
  const char* const* entries;
  unsigned int count;
  bool inFx;  // a submenu of "FX"
};

#define TARGET_ENTRIES(list) list, sizeof(list) / sizeof(list[0])

// In menu order: the root's submenus, then those of "FX".
constexpr TARGET_MENU TARGET_MENUS[] = {
    {"Osc", CMenuModTarget::TAG_OSC, 2, TARGET_ENTRIES(TARGETS_OSC), false},
    {"Bus", CMenuModTarget::TAG_BUS, 70, TARGET_ENTRIES(TARGETS_BUS), false},
    {"Modulators", CMenuModTarget::TAG_MODULATORS, 104, TARGET_ENTRIES(TARGETS_MODULATORS), false},
    {"TranceGate", CMenuModTarget::TAG_TRANCE_GATE, 136, TARGET_ENTRIES(TARGETS_TRANCEGATE), false},
    {"Master", CMenuModTarget::TAG_MASTER, 101, TARGET_ENTRIES(TARGETS_MASTER), false},
    {"Reverb", CMenuModTarget::TAG_REVERB, 139, TARGET_ENTRIES(TARGETS_REVERB), true},
    {"Chorus", CMenuModTarget::TAG_CHORUS, 155, TARGET_ENTRIES(TARGETS_CHORUS), true},
    {"GrainShifter", CMenuModTarget::TAG_GRAIN_SHIFTER, 273, TARGET_ENTRIES(TARGETS_GRAINSHIFTER), true},
    {"Flanger", CMenuModTarget::TAG_FLANGER, 167, TARGET_ENTRIES(TARGETS_FLANGER), true},
    {"Phaser", CMenuModTarget::TAG_PHASER, 181, TARGET_ENTRIES(TARGETS_PHASER), true},
    {"Tremolo", CMenuModTarget::TAG_TREMOLO, 195, TARGET_ENTRIES(TARGETS_TREMOLO), true},
    {"EQ", CMenuModTarget::TAG_EQ, 205, TARGET_ENTRIES(TARGETS_EQ), true},
    {"Delay", CMenuModTarget::TAG_DELAY, 229, TARGET_ENTRIES(TARGETS_DELAY), true},
    {"Echoes", CMenuModTarget::TAG_ECHOES, 247, TARGET_ENTRIES(TARGETS_ECHOES), true},
    {"Distortion", CMenuModTarget::TAG_DISTORTION, 261, TARGET_ENTRIES(TARGETS_DISTORTION), true},
};

#undef TARGET_ENTRIES

const unsigned int TARGET_COUNT = 283;

constexpr unsigned int CountTargets() {
  unsigned int n = 0;
  for (const TARGET_MENU& m : TARGET_MENUS) n += m.count;
  return n;
}
static_assert(CountTargets() == TARGET_COUNT, "the target menus hold every target once");

// Adds an entry whose title may start with the column mark.
void AddEntry(COptionMenu* menu, const char* text, bool checked) {
  long flags = checked ? CMenuItem::kChecked : CMenuItem::kNoFlags;
  if (text[0] == '|') {
    flags |= CMenuItem::kColumnBreak;
    ++text;
  }
  menu->addEntry(text, -1, flags);
}

COptionMenu* NewMenu(long tag) {
  return new COptionMenu(CRect(0, 0, 0, 0), nullptr, tag, nullptr, nullptr, COptionMenu::kCheckStyle);
}

// The value of the first entry of a submenu.
long FirstValue(const TARGET_MENU& m) {
  return m.firstTarget == 2 ? 1 : static_cast<long>(CEditor::_modTargetToValue(static_cast<float>(m.firstTarget)));
}

}  // namespace

// ---------------------------------------------------------------------------
// CModMenuListControl

CModMenuListControl::CModMenuListControl(const CRect& size, CControlListener* listener, long tag,
                                         const CColor& textColor, const std::vector<std::string>* list,
                                         COptionMenu* menu)
    : CListControl(size, listener, tag, textColor, list, 0.f, 0), m_menu(menu) {}

CModMenuListControl::CModMenuListControl(const CModMenuListControl& other)
    : CListControl(other), m_menu(other.m_menu) {
  if (m_menu) m_menu->remember();
}

CModMenuListControl::~CModMenuListControl() {
  if (m_menu) m_menu->forget();
}

CMouseEventResult CModMenuListControl::onMouseDown(CPoint& where, const long& buttons) {
  if (!m_enabled) return kMouseEventHandled;
  beginEdit();
  CEditor* editor = dynamic_cast<CEditor*>(listener);
  const bool wantsMenu = buttons == kRButton || (buttons & kApple) != 0;
  if (!wantsMenu || !m_menu || !editor) {
    // A plain click or drag steps through the list on release or move.
    m_dragged = false;
    m_startValue = value;
    m_startPoint = where;
    m_buttons = buttons;
    return kMouseEventHandled;
  }

  clipValue();
  PrepareMenu();
  long menuTag = -1, index = -1;
  editor->ShowPopupMenu(this, m_menu, menuTag, index);
  const long chosen = ValueOfChoice(menuTag, index);
  if (chosen != -1 && chosen != static_cast<long>(value)) {
    setValue(static_cast<float>(chosen));
    clipValue();
    if (listener) listener->valueChanged(this);
    invalid();
  }
  if (CFrame* frame = getFrame()) frame->setFocusView(nullptr);
  endEdit();
  m_dragged = false;
  m_startValue = value;
  m_startPoint = where;
  m_buttons = buttons;
  return kMouseDownEventHandledButDontNeedMovedOrUpEvents;
}

// ---------------------------------------------------------------------------
// CMenuModSource

CMenuModSource::CMenuModSource(const CRect& size, CControlListener* listener, long tag, const CColor& textColor)
    : CModMenuListControl(size, listener, tag, textColor, &slModSource, NewMenu(-1)) {}

bool CMenuModSource::isTypeOf(const char* type) const {
  return (type && std::strcmp(type, "CMenuModSource") == 0) || CListControl::isTypeOf(type);
}

// Rebuilt at every opening, so the check mark follows the value.
void CMenuModSource::PrepareMenu() {
  m_menu->removeAllEntry();
  const long current = static_cast<long>(value);
  for (unsigned int k = 0; k < SOURCE_COUNT; ++k) AddEntry(m_menu, SOURCES[k], static_cast<long>(k) == current);
}

long CMenuModSource::ValueOfChoice(long, long index) const {
  return index >= 0 && index < static_cast<long>(SOURCE_COUNT) ? index : -1;
}

// ---------------------------------------------------------------------------
// CMenuModTarget

CMenuModTarget::CMenuModTarget(const CRect& size, CControlListener* listener, long tag, const CColor& textColor)
    : CModMenuListControl(size, listener, tag, textColor, &slModTarget, NewMenu(-1)) {
  m_menu->addEntry("Off");
  m_menu->addSeparator();
  COptionMenu* fx = NewMenu(TAG_FX);
  for (const TARGET_MENU& m : TARGET_MENUS) {
    COptionMenu* sub = NewMenu(m.tag);
    for (unsigned int k = 0; k < m.count; ++k) AddEntry(sub, m.entries[k], false);
    // Under its title in its parent, which keeps it alive.
    (m.inFx ? fx : m_menu)->addEntry(sub, m.title);
    sub->forget();
  }
  m_menu->addEntry(fx, "FX");
  fx->forget();
}

bool CMenuModTarget::isTypeOf(const char* type) const {
  return (type && std::strcmp(type, "CMenuModTarget") == 0) || CListControl::isTypeOf(type);
}

long CMenuModTarget::ValueOfChoice(long menuTag, long index) const {
  if (index < 0) return -1;
  for (const TARGET_MENU& m : TARGET_MENUS) {
    if (m.tag != menuTag) continue;
    return index < static_cast<long>(m.count) ? FirstValue(m) + index : -1;
  }
  return index;  // the root: "Off"
}

void CMenuModTarget::_Check(COptionMenu* menu, long current) {
  long selectable = 0;
  for (long i = 0; i < menu->getNbEntries(); ++i) {
    CMenuItem* item = menu->getEntry(i);
    if (!item || item->isSeparator()) continue;
    if (COptionMenu* sub = item->getSubmenu()) {
      _Check(sub, current);
      item->setChecked(false);
    } else {
      item->setChecked(ValueOfChoice(menu->getTag(), selectable) == current);
    }
    ++selectable;
  }
}

// The menu is built once; only the check mark moves to the current value.
void CMenuModTarget::PrepareMenu() { _Check(m_menu, static_cast<long>(value)); }
