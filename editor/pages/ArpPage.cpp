#include "editor/pages/ArpPage.h"

#include <cstring>

#include "editor/Editor.h"
#include "editor/ListControl.h"
#include "editor/ModeSelector.h"
#include "editor/ModulatedKnob.h"
#include "editor/StringLists.h"
#include "editor/pages/ArpArtwork.h"
#include "engine/ICommandHandler.h"
#include "engine/ParamIds.h"
#include "engine/PresetKinds.h"
#include "engine/SynthTypes.h"
#include "tables/PresetFactory.h"

namespace {

// Parameter ids of the two modules.
enum : unsigned int {
  ARP_SHUFFLE = 180,
  ARP_GATE = 181,
  GATE_RATE_KNOB = 182,
  GATE_SMOOTH = 183,
  GATE_MIX = 184,
  ARP_ON = 527,
  ARP_STEPS = 528,
  ARP_RATE = 529,
  ARP_MODE = 530,
  ARP_OCTAVES = 531,
  ARP_RESERVED = 532,
  ARP_PITCH = 533,
  ARP_LENGTH = 565,
  ARP_STEP_GATE = 597,
  ARP_VELOCITY = 629,
  ARP_TIE = 661,
  GATE_ON = 693,
  GATE_STEPS = 694,
  GATE_RATE = 695,
  GATE_STEREO = 696,
  GATE_LEFT = 697,
  GATE_RIGHT = 713,
  STEP_COUNT = 32,
  SHOWN_STEPS = 16,
};

enum : long {
  TAG_SHIFT_RIGHT = 68211,
  TAG_SHIFT_LEFT = 68212,
  TAG_STEP_PAGE = 68213,
  TAG_ARP_LOAD = 68257,
  TAG_ARP_SAVE = 68258,
  TAG_ARP_RESET = 68259,
  TAG_GATE_LOAD = 68260,
  TAG_GATE_SAVE = 68261,
  TAG_GATE_RESET = 68262,
};

const unsigned int STEP_PAGE_SELECTOR = 5;
const long LIST_STYLE = 2;
const long PITCH_LIST_STYLE = 1;

// Ratio indices of 1/1..1/8, their triplets and their dotted values.
const int LENGTH_TO_RATIO[12] = {0, 1, 2, 3, 7, 8, 9, 10, 14, 15, 16, 17};
const int RATIO_TO_LENGTH[18] = {0, 1, 2, 3, 0, 0, 0, 4, 5, 6, 7, 0, 0, 0, 8, 9, 10, 11};

const CColor TEXT_COLOUR(235, 238, 242, 255);

int ListIndex(float value) { return TruncateSetting(value); }

bool IsStepTag(long t) {
  return (t >= ARP_PITCH && t < ARP_PITCH + SHOWN_STEPS) || (t >= ARP_LENGTH && t < ARP_LENGTH + SHOWN_STEPS) ||
         (t >= ARP_STEP_GATE && t < ARP_STEP_GATE + SHOWN_STEPS) ||
         (t >= ARP_VELOCITY && t < ARP_VELOCITY + SHOWN_STEPS) || (t >= ARP_TIE && t < ARP_TIE + SHOWN_STEPS);
}

CRect Sized(CCoord left, CCoord top, CBitmap* bitmap, CCoord heightDivisor) {
  if (!bitmap || !bitmap->isLoaded()) return CRect(left, top, left + 12, top + 12);
  return CRect(left, top, left + bitmap->getWidth(), top + bitmap->getHeight() / heightDivisor);
}

}  // namespace

CArpView::CArpView(ICommandHandler* commands, IControlHandler* handler, unsigned int* selectors, const CRect& size,
                   CFrame* frame, CControlListener* listener)
    : CViewContainer(size, frame),
      m_commands(commands),
      m_handler(handler),
      m_pageWord(selectors ? &selectors[STEP_PAGE_SELECTOR] : nullptr),
      m_editor(dynamic_cast<CEditor*>(listener)) {
  RegisterArpArtwork();
  CBitmap* background = new CBitmap("GuiViewArp.png");
  setBackground(background);
  background->forget();
  _BuildControls();
}

CArpView::CArpView(const CArpView& other)
    : CViewContainer(other),
      CControlListener(other),
      m_commands(other.m_commands),
      m_handler(other.m_handler),
      m_pageWord(other.m_pageWord),
      m_editor(other.m_editor) {}

bool CArpView::isTypeOf(const char* type) const {
  return (type && std::strcmp(type, "CArpView") == 0) || CViewContainer::isTypeOf(type);
}

void CArpView::_BuildControls() {
  CControlListener* self = this;
  CBitmap* onOff = new CBitmap("GuiOnOffButton.png");
  CBitmap* stereo = new CBitmap("GuiGateStereoButton.png");
  addView(new COnOffButton(Sized(32, 19, onOff, 2), self, GATE_ON, onOff));
  addView(new COnOffButton(Sized(266, 19, onOff, 2), self, ARP_ON, onOff));
  addView(new COnOffButton(Sized(233, 57, stereo, 2), self, GATE_STEREO, stereo));
  onOff->forget();
  stereo->forget();

  for (long k = 0; k < 16; ++k) addView(new CGateStepButton(CRect(41 + 12 * k, 51, 53 + 12 * k, 70), self, 697 + k));
  for (long k = 0; k < 16; ++k) addView(new CGateStepButton(CRect(41 + 12 * k, 66, 53 + 12 * k, 85), self, 713 + k));

  const struct {
    CCoord left;
    long tag;
    float defaultValue;
  } knobs[3] = {{41, GATE_MIX, 1.f}, {176, GATE_RATE_KNOB, 1.f}, {215, GATE_SMOOTH, 0.f}};
  for (const auto& k : knobs) {
    CModulatedKnob* knob = new CModulatedKnob(CRect(k.left, 99, k.left + 28, 127), self, m_handler, k.tag, nullptr,
                                              nullptr, 7, k.defaultValue);
    knob->SetFrameBitmap(new CBitmap("GuiArpKnob.png"), 96);
    addView(knob);
  }
  addView(new CListControl(CRect(86, 110, 118, 122), self, GATE_STEPS, TEXT_COLOUR, &slGateSteps, 15.f, LIST_STYLE));
  addView(new CListControl(CRect(130, 110, 164, 122), self, GATE_RATE, TEXT_COLOUR, &slTimeSync2, 5.f, LIST_STYLE));

  CBitmap* next = new CBitmap("GuiArpNext.png");
  CBitmap* prev = new CBitmap("GuiArpPrev.png");
  addView(new CKickButton(Sized(741, 50, next, 2), self, TAG_SHIFT_RIGHT, next));
  addView(new CKickButton(Sized(263, 50, prev, 2), self, TAG_SHIFT_LEFT, prev));
  next->forget();
  prev->forget();

  CBitmap* load = new CBitmap("GuiLoadButton.png");
  CBitmap* save = new CBitmap("GuiSaveButton.png");
  CBitmap* reset = new CBitmap("GuiResetButton.png");
  addView(new CKickButton(Sized(634, 25, load, 2), self, TAG_ARP_LOAD, load));
  addView(new CKickButton(Sized(142, 25, load, 2), self, TAG_GATE_LOAD, load));
  addView(new CKickButton(Sized(668, 25, save, 2), self, TAG_ARP_SAVE, save));
  addView(new CKickButton(Sized(176, 25, save, 2), self, TAG_GATE_SAVE, save));
  addView(new CKickButton(Sized(703, 25, reset, 2), self, TAG_ARP_RESET, reset));
  addView(new CKickButton(Sized(211, 25, reset, 2), self, TAG_GATE_RESET, reset));
  load->forget();
  save->forget();
  reset->forget();

  CBitmap* pageSelector = new CBitmap("GuiArpPageSelector.png");
  addView(new CModeSelector(Sized(694, 125, pageSelector, 2), self, TAG_STEP_PAGE, pageSelector, 2, 0.f, false));
  pageSelector->forget();

  addView(new CListControl(CRect(310, 126, 330, 137), self, ARP_STEPS, TEXT_COLOUR, &slArpSteps, 15.f, LIST_STYLE));
  addView(new CListControl(CRect(371, 126, 400, 137), self, ARP_RATE, TEXT_COLOUR, &slTimeSync2, 3.f, LIST_STYLE));
  addView(new CListControl(CRect(429, 126, 482, 137), self, ARP_MODE, TEXT_COLOUR, &slArpMode, 0.f, LIST_STYLE));
  addView(
      new CListControl(CRect(524, 126, 537, 137), self, ARP_OCTAVES, TEXT_COLOUR, &slArpOctaves, 0.f, LIST_STYLE));
  addView(new CNumericList(CRect(591, 126, 615, 137), self, m_handler, ARP_SHUFFLE, TEXT_COLOUR, false, 0.f, false));
  addView(new CNumericList(CRect(653, 126, 676, 137), self, m_handler, ARP_GATE, TEXT_COLOUR, false, 1.f, false));

  CBitmap* legato = new CBitmap("GuiArpLegato.png");
  CBitmap* fill = new CBitmap("ArpVelocityFill.png");
  for (long k = 0; k < 16; ++k) {
    const CCoord x = 279 + 27 * k + 8 * (k / 4);
    addView(new CListControl(CRect(x + 8, 52, x + 26, 62), self, ARP_PITCH + k, TEXT_COLOUR, &slMasterTune, 24.f,
                             PITCH_LIST_STYLE));
    addView(new CListControl(CRect(x + 4, 66, x + 30, 76), self, ARP_LENGTH + k, TEXT_COLOUR, &slTimeSync3, 0.f,
                             LIST_STYLE));
    addView(new CNumericList(CRect(x + 8, 110, x + 26, 122), self, m_handler, ARP_STEP_GATE + k, TEXT_COLOUR, false,
                             1.f, false));
    addView(new COnOffButton(Sized(x, 85, legato, 2), self, ARP_TIE + k, legato));
    addView(new CArpSlider(Sized(x + 10, 79, fill, 1), self, ARP_VELOCITY + k, fill, true));
  }
  legato->forget();
  fill->forget();
}

unsigned int CArpView::_Page() const { return (m_pageWord && *m_pageWord == 1) ? 1u : 0u; }

void CArpView::valueChanged(CControl* control) {
  if (!control || !m_commands) return;
  const long t = control->getTag();
  const float f = control->getValue();
  const int v = ListIndex(f);
  if (m_editor) m_editor->LatchControlTag(t);

  if (t >= static_cast<long>(ARP_ON) && t <= static_cast<long>(GATE_RIGHT + 15)) {
    const unsigned int page = _Page();
    const unsigned int id = static_cast<unsigned int>(t) + (IsStepTag(t) ? SHOWN_STEPS * page : 0);
    if (t >= static_cast<long>(ARP_PITCH) && t < static_cast<long>(ARP_PITCH + SHOWN_STEPS)) {
      m_commands->SetIntParam(id, static_cast<unsigned int>(v >= 0 && v < 49 ? 24 - v : 0));
    } else if (t >= static_cast<long>(ARP_LENGTH) && t < static_cast<long>(ARP_LENGTH + SHOWN_STEPS)) {
      m_commands->SetIntParam(id, static_cast<unsigned int>(v >= 0 && v < 12 ? LENGTH_TO_RATIO[v] : 0));
    } else if ((t >= static_cast<long>(ARP_STEP_GATE) && t < static_cast<long>(ARP_STEP_GATE + SHOWN_STEPS)) ||
               (t >= static_cast<long>(ARP_VELOCITY) && t < static_cast<long>(ARP_VELOCITY + SHOWN_STEPS))) {
      m_commands->SetFloatParam(id, f);
    } else if (t >= static_cast<long>(ARP_TIE) && t < static_cast<long>(ARP_TIE + SHOWN_STEPS)) {
      m_commands->SetIntParam(id, static_cast<unsigned int>(v));
    } else if (t == static_cast<long>(ARP_STEPS)) {
      m_commands->SetIntParam(ARP_STEPS, static_cast<unsigned int>(TruncateSetting(f + 1.f)));
    } else if (t == static_cast<long>(GATE_STEPS)) {
      m_commands->SetIntParam(GATE_STEPS, static_cast<unsigned int>(v + 1));
    } else if (t == static_cast<long>(ARP_ON) || t == static_cast<long>(ARP_RATE) || t == static_cast<long>(ARP_MODE) ||
               t == static_cast<long>(ARP_OCTAVES) || t == static_cast<long>(GATE_ON) ||
               t == static_cast<long>(GATE_RATE)) {
      m_commands->SetIntParam(id, static_cast<unsigned int>(v));
    } else if (t == static_cast<long>(GATE_STEREO)) {
      m_commands->SetIntParam(GATE_STEREO, static_cast<unsigned int>(v));
      updateAll();
    } else if (t >= static_cast<long>(GATE_LEFT) && t <= static_cast<long>(GATE_RIGHT + 15)) {
      // Without stereo the right row follows the left and the other way round.
      const bool isStereo = m_commands->GetIntParam(GATE_STEREO) != 0;
      m_commands->SetIntParam(id, static_cast<unsigned int>(v));
      if (!isStereo) {
        const unsigned int mirror = t < static_cast<long>(GATE_RIGHT) ? id + 16 : id - 16;
        m_commands->SetIntParam(mirror, static_cast<unsigned int>(v));
      }
      updateAll();
    }
    // Tags of the hidden steps 17-32 and 532 carry no control: nothing to do.
  } else if (t >= static_cast<long>(ARP_SHUFFLE) && t <= static_cast<long>(GATE_MIX)) {
    m_commands->SetFloatParam(static_cast<unsigned int>(t), f);
  } else if (t == TAG_SHIFT_RIGHT) {
    if (f == 0.f) ArpShiftRight();
  } else if (t == TAG_SHIFT_LEFT) {
    if (f == 0.f) ArpShiftLeft();
  } else if (t == TAG_STEP_PAGE) {
    if (m_pageWord) *m_pageWord = v == 1 ? 1u : 0u;
    updateAll();
  } else if (f == 0.f && (t == TAG_ARP_LOAD || t == TAG_GATE_LOAD)) {
    if (m_editor) m_editor->OnLoadModulePreset(t == TAG_ARP_LOAD ? PRESET_KIND_ARP : PRESET_KIND_GATE, 0);
    updateAll();
  } else if (f == 0.f && (t == TAG_ARP_SAVE || t == TAG_GATE_SAVE)) {
    if (m_editor) m_editor->OnSaveModulePreset(t == TAG_ARP_SAVE ? PRESET_KIND_ARP : PRESET_KIND_GATE, 0);
    updateAll();
  } else if (f == 0.f && t == TAG_ARP_RESET) {
    _ResetArp();
    updateAll();
  } else if (f == 0.f && t == TAG_GATE_RESET) {
    _ResetGate();
    updateAll();
  }

  if (m_editor && (t == static_cast<long>(ARP_ON) || t == static_cast<long>(GATE_ON)))
    m_editor->UpdateArpAndGateButtons();
  if (m_editor) m_editor->OnSetParameterAutomated(t);
}

void CArpView::_ResetArp() {
  const SYNTH_PRESET& factory = PRESET_FACTORY_RESET;
  auto setInt = [&](unsigned int id) {
    m_commands->SetIntParam(id, static_cast<unsigned int>(TruncateSetting(factory[id])));
  };
  m_commands->SetFloatParam(ARP_SHUFFLE, factory[ARP_SHUFFLE]);
  m_commands->SetFloatParam(ARP_GATE, factory[ARP_GATE]);
  for (unsigned int id = ARP_STEPS; id <= ARP_RESERVED; ++id) setInt(id);
  for (unsigned int s = 0; s < STEP_COUNT; ++s) {
    setInt(ARP_PITCH + s);
    setInt(ARP_LENGTH + s);
    setInt(ARP_TIE + s);
    m_commands->SetFloatParam(ARP_STEP_GATE + s, factory[ARP_STEP_GATE + s]);
    m_commands->SetFloatParam(ARP_VELOCITY + s, factory[ARP_VELOCITY + s]);
  }
}

void CArpView::_ResetGate() {
  const SYNTH_PRESET& factory = PRESET_FACTORY_RESET;
  for (unsigned int id = GATE_RATE_KNOB; id <= GATE_MIX; ++id) m_commands->SetFloatParam(id, factory[id]);
  for (unsigned int id = GATE_STEPS; id <= GATE_RIGHT + 15; ++id) {
    m_commands->SetIntParam(id, static_cast<unsigned int>(TruncateSetting(factory[id])));
  }
}

void CArpView::_CopyStep(unsigned int from, unsigned int to) {
  m_commands->SetIntParam(ARP_PITCH + to, m_commands->GetIntParam(ARP_PITCH + from));
  m_commands->SetIntParam(ARP_LENGTH + to, m_commands->GetIntParam(ARP_LENGTH + from));
  m_commands->SetIntParam(ARP_TIE + to, m_commands->GetIntParam(ARP_TIE + from));
  m_commands->SetFloatParam(ARP_STEP_GATE + to, m_commands->GetFloatParam(ARP_STEP_GATE + from));
  m_commands->SetFloatParam(ARP_VELOCITY + to, m_commands->GetFloatParam(ARP_VELOCITY + from));
}

namespace {

// The step count as the rotation uses it: a damaged count from a file is
// held to the 32 steps there are, so a rotation touches only the step arrays.
unsigned int RotationLength(ICommandHandler* commands) {
  const int n = static_cast<int>(commands->GetIntParam(ARP_STEPS));
  if (n < 1) return 1;
  return n > static_cast<int>(STEP_COUNT) ? STEP_COUNT : static_cast<unsigned int>(n);
}

}  // namespace

void CArpView::ArpShiftRight() {
  if (!m_commands) return;
  const unsigned int n = RotationLength(m_commands);
  if (n > 1) {
    const unsigned int last = n - 1;
    const unsigned int pitch = m_commands->GetIntParam(ARP_PITCH + last);
    const unsigned int length = m_commands->GetIntParam(ARP_LENGTH + last);
    const unsigned int tie = m_commands->GetIntParam(ARP_TIE + last);
    const float gate = m_commands->GetFloatParam(ARP_STEP_GATE + last);
    const float velocity = m_commands->GetFloatParam(ARP_VELOCITY + last);
    for (unsigned int s = n - 1; s-- > 0;) _CopyStep(s, s + 1);
    m_commands->SetIntParam(ARP_PITCH, pitch);
    m_commands->SetIntParam(ARP_LENGTH, length);
    m_commands->SetIntParam(ARP_TIE, tie);
    m_commands->SetFloatParam(ARP_STEP_GATE, gate);
    m_commands->SetFloatParam(ARP_VELOCITY, velocity);
  }
  updateAll();
}

void CArpView::ArpShiftLeft() {
  if (!m_commands) return;
  const unsigned int n = RotationLength(m_commands);
  if (n > 1) {
    const unsigned int last = n - 1;
    const unsigned int pitch = m_commands->GetIntParam(ARP_PITCH);
    const unsigned int length = m_commands->GetIntParam(ARP_LENGTH);
    const unsigned int tie = m_commands->GetIntParam(ARP_TIE);
    const float gate = m_commands->GetFloatParam(ARP_STEP_GATE);
    const float velocity = m_commands->GetFloatParam(ARP_VELOCITY);
    for (unsigned int s = 0; s + 1 < n; ++s) _CopyStep(s + 1, s);
    m_commands->SetIntParam(ARP_PITCH + last, pitch);
    m_commands->SetIntParam(ARP_LENGTH + last, length);
    m_commands->SetIntParam(ARP_TIE + last, tie);
    m_commands->SetFloatParam(ARP_STEP_GATE + last, gate);
    m_commands->SetFloatParam(ARP_VELOCITY + last, velocity);
  }
  updateAll();
}

void CArpView::updateAll() {
  if (!m_commands) return;
  const unsigned int page = _Page();
  const bool isStereo = m_commands->GetIntParam(GATE_STEREO) != 0;
  for (long i = 0; i < getNbViews(); ++i) {
    CView* view = getView(i);
    if (!view || !view->isTypeOf("CControl")) continue;
    CControl* c = static_cast<CControl*>(view);
    const long t = c->getTag();
    const unsigned int id = static_cast<unsigned int>(t) + (IsStepTag(t) ? SHOWN_STEPS * page : 0);
    const int p = t >= 0 && t < static_cast<long>(SYNTH_PARAM_COUNT)
                      ? static_cast<int>(m_commands->GetIntParam(id))
                      : 0;
    if (t >= static_cast<long>(ARP_PITCH) && t < static_cast<long>(ARP_PITCH + SHOWN_STEPS)) {
      c->setValue(static_cast<float>(p + 24 >= 0 && p + 24 <= 48 ? 24 - p : 24));
    } else if (t >= static_cast<long>(ARP_LENGTH) && t < static_cast<long>(ARP_LENGTH + SHOWN_STEPS)) {
      c->setValue(static_cast<float>(p >= 0 && p < 18 ? RATIO_TO_LENGTH[p] : 0));
    } else if ((t >= static_cast<long>(ARP_STEP_GATE) && t < static_cast<long>(ARP_STEP_GATE + SHOWN_STEPS)) ||
               (t >= static_cast<long>(ARP_VELOCITY) && t < static_cast<long>(ARP_VELOCITY + SHOWN_STEPS)) ||
               (t >= static_cast<long>(ARP_SHUFFLE) && t <= static_cast<long>(GATE_MIX))) {
      c->setValue(m_commands->GetFloatParam(id));
    } else if (t == static_cast<long>(ARP_STEPS) || t == static_cast<long>(GATE_STEPS)) {
      c->setValue(static_cast<float>(p - 1));
    } else if (t >= static_cast<long>(GATE_RIGHT) && t < static_cast<long>(GATE_RIGHT + 16)) {
      c->setValue(static_cast<float>(
          static_cast<int>(m_commands->GetIntParam(isStereo ? id : id - 16))));
      c->setDirty(true);
    } else if (t >= static_cast<long>(GATE_LEFT) && t < static_cast<long>(GATE_RIGHT)) {
      c->setValue(static_cast<float>(p));
      c->setDirty(true);
    } else if (t == TAG_STEP_PAGE) {
      c->setValue(static_cast<float>(page));
    } else if (t >= static_cast<long>(ARP_ON) && t <= static_cast<long>(GATE_STEREO)) {
      c->setValue(static_cast<float>(p));
      if (t == static_cast<long>(GATE_ON) || t == static_cast<long>(GATE_RATE) || t == static_cast<long>(GATE_STEREO))
        c->setDirty(true);
    }
  }
  setDirty(true);
  if (getFrame()) getFrame()->setDirty(true);
}
