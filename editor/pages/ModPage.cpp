#include "editor/pages/ModPage.h"

#include <cstring>
#include <string>

#include "editor/Editor.h"
#include "editor/ListControl.h"
#include "editor/ModeSelector.h"
#include "editor/ModulatedKnob.h"
#include "editor/StringLists.h"
#include "editor/pages/ModArtwork.h"
#include "editor/pages/MsegCopy.h"
#include "engine/ICommandHandler.h"
#include "engine/ParamIds.h"
#include "engine/PresetKinds.h"
#include "engine/SynthTypes.h"

namespace {

// Parameter ids of instance 0 of each setting; the instance is added.
enum : unsigned int {
  ENV_ATTACK = 136,
  ENV_DECAY = 140,
  ENV_SUSTAIN = 144,
  ENV_RELEASE = 148,
  ENV_SLOPE = 152,
  LFO_AMOUNT = 156,
  LFO_RATE = 160,
  LFO_PHASE = 164,
  LFO_LAST_FLOAT = 175,
  MSEG_RATE = 176,
  FIRST_SETTING = 361,
  LFO_ON = 491,
  LFO_SHAPE = 495,
  LFO_TRIGGER = 499,
  LFO_SYNC = 503,
  ENV_ON = 507,
  ENV_KEY_SCALING = 511,
  ENV_VELOCITY_SCALING = 515,
  ENV_TIME_SCALE = 519,
  ENV_MODE = 523,
  MSEG_ON = 773,
  MSEG_LOOP_ENABLED = 777,
  MSEG_LOOP_START = 781,
  MSEG_LOOP_END = 785,
  MSEG_CURVE_MODE = 789,
  MSEG_SYNC = 793,
  MSEG_TRIGGER = 797,
  MSEG_LEVEL_SNAP = 801,
  MSEG_TIME_SNAP = 805,
  MSEG_TIME = 809,
  MSEG_LEVEL = 873,
  MSEG_CURVE = 937,
  MSEG_POINT_STRIDE = 192,
  MSEG_POINTS = 64,
  INSTANCES = 4,
};

const CColor BUS_FONT_COLOUR(255, 255, 255, 255);

const char* const TIME_SNAP_TITLES[7] = {"None", "1/1 Step", "1/2 Step", "1/4 Step", "1/8 Step", "1/16 Step",
                                         "1/32 Step"};
const char* const LEVEL_SNAP_TITLES[13] = {"None",     "1/2",       "1/3",       "1/8",       "1/9",
                                           "1/16",     "1/17",      "1 octave",  "2 octaves", "3 octaves",
                                           "4 octaves", "5 octaves", "6 octaves"};

bool InRange(long t, unsigned int first, unsigned int last) {
  return t >= static_cast<long>(first) && t <= static_cast<long>(last);
}

bool IsLfoListTag(long t) { return t == LFO_SHAPE || t == LFO_TRIGGER || t == LFO_SYNC; }
bool IsEnvFloatTag(long t) {
  return InRange(t, ENV_ATTACK, ENV_SLOPE) || t == ENV_KEY_SCALING || t == ENV_VELOCITY_SCALING;
}
bool IsEnvListTag(long t) { return t == ENV_TIME_SCALE || t == ENV_MODE; }
bool IsMsegListTag(long t) { return t == MSEG_SYNC || t == MSEG_TRIGGER; }

// An integer setting from a control's value: truncated, never negative.
unsigned int Setting(float value) {
  const int v = TruncateSetting(value);
  return v < 0 ? 0u : static_cast<unsigned int>(v);
}

// A bitmap control given by its top-left point: as wide as its bitmap and as
// high as one of its states.
CRect Sized(CCoord left, CCoord top, CBitmap* bitmap, CCoord states) {
  if (!bitmap || !bitmap->isLoaded()) return CRect(left, top, left + 12, top + 12);
  return CRect(left, top, left + bitmap->getWidth(), top + bitmap->getHeight() / states);
}

// A submenu of entries with separators (null titles), the entry at
// selectable index checked carrying the check mark.
COptionMenu* SnapMenu(long tag, const char* const* titles, const int* layout, int count, unsigned int checked) {
  COptionMenu* menu = new COptionMenu(CRect(0, 0, 0, 0), nullptr, tag, nullptr, nullptr, COptionMenu::kCheckStyle);
  unsigned int selectable = 0;
  for (int k = 0; k < count; ++k) {
    if (layout[k] < 0) {
      menu->addSeparator();
      continue;
    }
    menu->addEntry(titles[layout[k]], -1, selectable == checked ? CMenuItem::kChecked : CMenuItem::kNoFlags);
    ++selectable;
  }
  return menu;
}

}  // namespace

CModView::CModView(ICommandHandler* commands, IControlHandler* handler, unsigned int* selectors, const CRect& size,
                   CFrame* frame, CControlListener* listener)
    : CViewContainer(size, frame),
      m_lfoSelector(selectors ? &selectors[SELECTOR_LFO] : nullptr),
      m_envSelector(selectors ? &selectors[SELECTOR_ENV] : nullptr),
      m_msegSelector(selectors ? &selectors[SELECTOR_MSEG] : nullptr),
      m_msegLock(selectors ? &selectors[SELECTOR_MSEG_LOCK] : nullptr),
      m_commands(commands),
      m_handler(handler),
      m_editor(dynamic_cast<CEditor*>(listener)) {
  RegisterModArtwork();
  CBitmap* background = new CBitmap("GuiViewMod.png");
  setBackground(background);
  background->forget();
  _BuildControls();
}

CModView::CModView(const CModView& other)
    : CViewContainer(other),
      CControlListener(other),
      m_lfoSelector(other.m_lfoSelector),
      m_envSelector(other.m_envSelector),
      m_msegSelector(other.m_msegSelector),
      m_msegLock(other.m_msegLock),
      m_commands(other.m_commands),
      m_handler(other.m_handler),
      m_mseg(other.m_mseg),
      m_clipboard(other.m_clipboard),
      m_editor(other.m_editor) {}

CModView::~CModView() {
  if (m_msegLock && m_mseg) *m_msegLock = m_mseg->IsLocked() ? 1u : 0u;
}

bool CModView::isTypeOf(const char* type) const {
  return (type && std::strcmp(type, "CModView") == 0) || CViewContainer::isTypeOf(type);
}

unsigned int CModView::_Shown(unsigned int word) const {
  const unsigned int* p = word == SELECTOR_LFO ? m_lfoSelector : word == SELECTOR_ENV ? m_envSelector : m_msegSelector;
  return p ? *p % INSTANCES : 0u;
}

void CModView::_BuildControls() {
  CControlListener* self = this;
  const struct {
    CCoord left;
    long tag;
    float defaultValue;
  } knobs[7] = {{92, LFO_AMOUNT, 1.f},  {131, LFO_RATE, 1.f},    {170, LFO_PHASE, 0.f},    {258, ENV_ATTACK, 0.f},
                {297, ENV_DECAY, 0.f},  {336, ENV_SUSTAIN, 1.f}, {375, ENV_RELEASE, 0.05f}};
  for (const auto& k : knobs) {
    addView(new CModulatedKnob(CRect(k.left, 46, k.left + 28, 74), self, m_handler, k.tag, nullptr, nullptr, 7,
                               k.defaultValue));
  }

  CBitmap* onOff = new CBitmap("GuiOnOffButton.png");
  addView(new COnOffButton(Sized(34, 45, onOff, 2), self, TAG_LFO_ON, onOff));
  addView(new COnOffButton(Sized(220, 45, onOff, 2), self, TAG_ENV_ON, onOff));
  addView(new COnOffButton(Sized(424, 45, onOff, 2), self, TAG_MSEG_ON, onOff));
  onOff->forget();

  const struct {
    const char* bitmap;
    CCoord left;
    long tag;
    float defaultValue;
  } selectors[3] = {{"GuiLfoSelector.png", 53, TAG_LFO_SELECTOR, 0.f},
                    {"GuiEnvSelector.png", 258, TAG_ENV_SELECTOR, 3.f},
                    {"GuiMsegSelector.png", 578, TAG_MSEG_SELECTOR, 0.f}};
  for (const auto& s : selectors) {
    CBitmap* bitmap = new CBitmap(s.bitmap);
    addView(new CModeSelector(Sized(s.left, 21, bitmap, 4), self, s.tag, bitmap, 4, s.defaultValue, false));
    bitmap->forget();
  }

  const CColor& text = BUS_FONT_COLOUR;
  addView(new CListControl(CRect(93, 99, 150, 114), self, LFO_SHAPE, text, &slLfoShape, 1.f, 0));
  addView(new CListControl(CRect(93, 119, 150, 133), self, LFO_TRIGGER, text, &slLfoTriggerMode, 1.f, 0));
  addView(new CListControl(CRect(157, 119, 190, 133), self, LFO_SYNC, text, &slTimeSync, 0.f, 2));
  addView(new CListControl(CRect(365, 119, 396, 133), self, ENV_TIME_SCALE, text, &slTimeSync, 33.f, 2));
  addView(new CListControl(CRect(258, 99, 288, 114), self, ENV_MODE, text, &slEnvMode, 0.f, 2));
  addView(new CNumericList(CRect(320, 99, 350, 114), self, m_handler, ENV_KEY_SCALING, text, false, 0.f, false));
  addView(new CNumericList(CRect(320, 119, 350, 133), self, m_handler, ENV_VELOCITY_SCALING, text, false, 0.f, false));
  addView(new CNumericList(CRect(257, 119, 287, 133), self, m_handler, ENV_SLOPE, text, true, 0.5f, false));

  m_mseg = new CMsegControl(m_commands, CRect(452, 49, 740, 117), self, TAG_MSEG_EDITOR);
  addView(m_mseg);
  m_mseg->SetInstance(_Shown(SELECTOR_MSEG));
  m_mseg->SetLock(m_msegLock && *m_msegLock != 0);

  CBitmap* lock = new CBitmap("GuiMsegLock.png");
  CBitmap* loop = new CBitmap("GuiMsegLoop.png");
  CBitmap* menu = new CBitmap("GuiMsegMenu.png");
  addView(new COnOffButton(Sized(725, 82, lock, 2), self, TAG_MSEG_LOCK, lock));
  addView(new COnOffButton(Sized(725, 99, loop, 2), self, TAG_MSEG_LOOP, loop));
  addView(new CKickButton(Sized(423, 87, menu, 2), self, TAG_MSEG_MENU, menu));
  lock->forget();
  loop->forget();
  menu->forget();

  addView(new CListControl(CRect(473, 125, 521, 138), self, MSEG_CURVE_MODE, text, &slMsegMode, 0.f, 2));
  addView(new CListControl(CRect(565, 125, 593, 138), self, MSEG_SYNC, text, &slTimeSync, 4.f, 2));
  addView(new CListControl(CRect(698, 125, 754, 138), self, MSEG_TRIGGER, text, &slMsegReset, 0.f, 2));
  addView(new CNumericList(CRect(632, 125, 657, 138), self, m_handler, MSEG_RATE, text, false, 1.f, false));
}

CControl* CModView::_Control(long tag) const {
  for (long i = 0; i < getNbViews(); ++i) {
    CView* v = getView(i);
    if (v && v->isTypeOf("CControl") && static_cast<CControl*>(v)->getTag() == tag) return static_cast<CControl*>(v);
  }
  return nullptr;
}

void CModView::valueChanged(CControl* control) {
  if (!control) return;
  const long t = control->getTag();
  const float v = control->getValue();
  const unsigned int L = _Shown(SELECTOR_LFO), E = _Shown(SELECTOR_ENV), M = _Shown(SELECTOR_MSEG);
  if (m_editor) m_editor->LatchControlTag(t);

  ICommandHandler* c = m_commands;
  const unsigned int id = t >= 0 ? static_cast<unsigned int>(t) : 0u;
  if (!c) {
    // Without an engine there is nothing to edit.
  } else if (InRange(t, LFO_AMOUNT, LFO_LAST_FLOAT)) {
    c->SetFloatParam(id + L, v);
  } else if (IsEnvFloatTag(t)) {
    c->SetFloatParam(id + E, v);
  } else if (IsLfoListTag(t)) {
    c->SetIntParam(id + L, Setting(v));
  } else if (IsEnvListTag(t)) {
    c->SetIntParam(id + E, Setting(v));
  } else if (IsMsegListTag(t)) {
    c->SetIntParam(id + M, Setting(v));
  } else if (t == MSEG_RATE) {
    c->SetFloatParam(MSEG_RATE + M, v);
  } else if (t == MSEG_CURVE_MODE) {
    if (m_mseg) m_mseg->SetCurveMode(Setting(v));
  } else if (InRange(t, 0, FIRST_SETTING - 1)) {
    c->SetFloatParam(id, v);
  } else if (InRange(t, FIRST_SETTING, SYNTH_PARAM_COUNT - 1)) {
    c->SetIntParam(id, Setting(v));
  } else if (t == TAG_LFO_ON) {
    c->SetIntParam(LFO_ON + L, Setting(v));
  } else if (t == TAG_ENV_ON) {
    c->SetIntParam(ENV_ON + E, Setting(v));
  } else if (t == TAG_MSEG_ON) {
    c->SetIntParam(MSEG_ON + M, Setting(v));
  }

  if (t == TAG_LFO_SELECTOR || t == TAG_ENV_SELECTOR || t == TAG_MSEG_SELECTOR) {
    // A hostile value never names a fifth instance.
    const unsigned int shown = Setting(v) % INSTANCES;
    unsigned int* word = t == TAG_LFO_SELECTOR ? m_lfoSelector : t == TAG_ENV_SELECTOR ? m_envSelector : m_msegSelector;
    if (word) *word = shown;
    if (t == TAG_MSEG_SELECTOR && m_mseg) m_mseg->SetInstance(_Shown(SELECTOR_MSEG));
    // The knobs' modulation rings now belong to other parameters.
    if (m_editor) m_editor->RebuildModMatrixCache();
    updateAll();
  } else if (t == TAG_MSEG_LOCK) {
    if (m_mseg) m_mseg->SetLock(v != 0.f);
  } else if (t == TAG_MSEG_LOOP) {
    if (m_mseg) {
      m_mseg->EnableLoop(v != 0.f);
      m_mseg->invalid();
    }
  } else if (t == TAG_MSEG_MENU && v == 0.f) {
    // The menu opens on release; closed without a choice it reports nothing.
    if (!_MsegMenu(control)) return;
  }

  if (m_editor) m_editor->OnSetParameterAutomated(t);
}

bool CModView::_MsegMenu(CControl* button) {
  static const char MENU_ITEM_COPY[] = "Copy";
  static const char MENU_ITEM_PASTE[] = "Paste";
  static const char MENU_ITEM_LOAD[] = "Load...";
  static const char MENU_ITEM_SAVE[] = "Save...";
  static const char MENU_ITEM_RESET[] = "Reset";
  if (!m_editor || !m_mseg) return false;

  // Titles by index; -1 is a separator.
  static const int TIME_LAYOUT[8] = {0, -1, 1, 2, 3, 4, 5, 6};
  static const int LEVEL_LAYOUT[15] = {0, -1, 1, 2, 3, 4, 5, 6, -1, 7, 8, 9, 10, 11, 12};
  COptionMenu* root = new COptionMenu(CRect(0, 0, 0, 0), nullptr, -1);
  COptionMenu* time = SnapMenu(TAG_TIME_SNAPPING, TIME_SNAP_TITLES, TIME_LAYOUT, 8, m_mseg->GetTimeSnapping());
  COptionMenu* level = SnapMenu(TAG_LEVEL_SNAPPING, LEVEL_SNAP_TITLES, LEVEL_LAYOUT, 15, m_mseg->GetLevelSnapping());
  root->addEntry(MENU_ITEM_COPY);
  root->addEntry(MENU_ITEM_PASTE);
  root->addSeparator();
  root->addEntry(time, "Time snapping");
  root->addEntry(level, "Level snapping");
  root->addSeparator();
  root->addEntry(MENU_ITEM_LOAD);
  root->addEntry(MENU_ITEM_SAVE);
  root->addEntry(MENU_ITEM_RESET);
  time->forget();  // the root keeps the submenus
  level->forget();

  long tag = -1, index = -1;
  CMenuItem* chosen = m_editor->ShowPopupMenu(button, root, tag, index);
  // The title outlives the menu: the menu is released before acting.
  const std::string title = chosen ? chosen->getTitle() : "";
  root->forget();
  if (!chosen) return false;

  const unsigned int M = _Shown(SELECTOR_MSEG);
  if (tag == TAG_TIME_SNAPPING) {
    if (index >= 0 && index <= 6) m_mseg->SetTimeSnapping(static_cast<unsigned int>(index));
  } else if (tag == TAG_LEVEL_SNAPPING) {
    if (index >= 0 && index <= 12) m_mseg->SetLevelSnapping(static_cast<unsigned int>(index));
  } else if (title == MENU_ITEM_COPY) {
    if (m_clipboard) {
      delete m_clipboard->points;
      m_clipboard->points = nullptr;
      m_mseg->Copy(*m_clipboard);
      m_mseg->invalid();
    }
  } else if (title == MENU_ITEM_PASTE) {
    if (m_clipboard && m_clipboard->points) {
      m_mseg->Paste(*m_clipboard);
      updateAll();
      m_mseg->invalid();
    }
  } else if (title == MENU_ITEM_LOAD) {
    m_editor->OnLoadModulePreset(PRESET_KIND_MSEG, M);
    updateAll();
    m_mseg->invalid();
  } else if (title == MENU_ITEM_SAVE) {
    m_editor->OnSaveModulePreset(PRESET_KIND_MSEG, M);
    updateAll();
    m_mseg->invalid();
  } else if (title == MENU_ITEM_RESET) {
    _ResetMseg();
    updateAll();
    m_mseg->invalid();
  }
  return true;
}

// Everything of the shown MSEG returns to the factory preset except its
// on/off switch.
void CModView::_ResetMseg() {
  if (!m_commands) return;
  const unsigned int M = _Shown(SELECTOR_MSEG);
  const unsigned int settings[9] = {MSEG_LOOP_ENABLED, MSEG_LOOP_START, MSEG_LOOP_END, MSEG_RATE,      MSEG_CURVE_MODE,
                                    MSEG_TRIGGER,      MSEG_SYNC,       MSEG_LEVEL_SNAP, MSEG_TIME_SNAP};
  for (unsigned int id : settings) m_commands->ResetParamToFactory(id + M);
  for (unsigned int k = 0; k < MSEG_POINTS; ++k) {
    const unsigned int offset = MSEG_POINT_STRIDE * M + k;
    m_commands->ResetParamToFactory(MSEG_TIME + offset);
    m_commands->ResetParamToFactory(MSEG_LEVEL + offset);
    m_commands->ResetParamToFactory(MSEG_CURVE + offset);
  }
}

void CModView::updateAll() {
  if (m_mseg) m_mseg->Update();
  if (!m_commands) return;
  ICommandHandler* c = m_commands;
  const unsigned int L = _Shown(SELECTOR_LFO), E = _Shown(SELECTOR_ENV), M = _Shown(SELECTOR_MSEG);
  auto asInt = [c](unsigned int id) { return static_cast<float>(c->GetIntParam(id)); };
  for (long i = 0; i < getNbViews(); ++i) {
    CView* view = getView(i);
    if (!view || !view->isTypeOf("CControl")) continue;
    CControl* control = static_cast<CControl*>(view);
    const long t = control->getTag();
    const unsigned int id = t >= 0 ? static_cast<unsigned int>(t) : 0u;
    float value;
    if (InRange(t, LFO_AMOUNT, LFO_LAST_FLOAT)) {
      value = c->GetFloatParam(id + L);
    } else if (IsEnvFloatTag(t)) {
      value = c->GetFloatParam(id + E);
    } else if (t == MSEG_RATE) {
      value = c->GetFloatParam(MSEG_RATE + M);
    } else if (IsLfoListTag(t)) {
      value = asInt(id + L);
    } else if (IsEnvListTag(t)) {
      value = asInt(id + E);
    } else if (IsMsegListTag(t)) {
      value = asInt(id + M);
    } else if (t == MSEG_CURVE_MODE) {
      value = m_mseg ? static_cast<float>(m_mseg->GetCurveMode()) : 0.f;
    } else if (InRange(t, 0, FIRST_SETTING - 1)) {
      value = c->GetFloatParam(id);
    } else if (InRange(t, FIRST_SETTING, SYNTH_PARAM_COUNT - 1)) {
      value = asInt(id);
    } else if (t == TAG_LFO_ON) {
      value = asInt(LFO_ON + L);
    } else if (t == TAG_ENV_ON) {
      value = asInt(ENV_ON + E);
    } else if (t == TAG_MSEG_ON) {
      value = asInt(MSEG_ON + M);
    } else if (t == TAG_LFO_SELECTOR) {
      value = static_cast<float>(L);
    } else if (t == TAG_ENV_SELECTOR) {
      value = static_cast<float>(E);
    } else if (t == TAG_MSEG_SELECTOR) {
      value = static_cast<float>(M);
    } else if (t == TAG_MSEG_LOCK) {
      value = m_mseg && m_mseg->IsLocked() ? 1.f : 0.f;
    } else if (t == TAG_MSEG_LOOP) {
      value = m_mseg && m_mseg->IsLoopEnabled() ? 1.f : 0.f;
    } else {
      continue;
    }
    control->setValue(value);
    control->setDirty(true);
  }
  setDirty(true);
  if (getFrame()) getFrame()->setDirty(true);
}

CControl* CModView::GetControlForParam(unsigned int id, bool& isPageParam) {
  isPageParam = true;
  const unsigned int E = _Shown(SELECTOR_ENV), M = _Shown(SELECTOR_MSEG);
  long tag = -1;
  unsigned int shown = 0;
  if (id >= ENV_SLOPE && id < ENV_SLOPE + INSTANCES) {
    tag = ENV_SLOPE;
    shown = E;
  } else if (id >= ENV_KEY_SCALING && id < ENV_KEY_SCALING + INSTANCES) {
    tag = ENV_KEY_SCALING;
    shown = E;
  } else if (id >= ENV_VELOCITY_SCALING && id < ENV_VELOCITY_SCALING + INSTANCES) {
    tag = ENV_VELOCITY_SCALING;
    shown = E;
  } else if (id >= MSEG_RATE && id < MSEG_RATE + INSTANCES) {
    tag = MSEG_RATE;
    shown = M;
  } else {
    isPageParam = false;
    return nullptr;
  }
  return id - static_cast<unsigned int>(tag) == shown ? _Control(tag) : nullptr;
}
