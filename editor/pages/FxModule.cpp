#include "editor/pages/FxModule.h"

#include <cstring>

#include "editor/Editor.h"
#include "editor/ListControl.h"
#include "editor/ModeSelector.h"
#include "editor/ModulatedKnob.h"
#include "editor/pages/FxModuleArtwork.h"
#include "engine/ICommandHandler.h"
#include "engine/SynthTypes.h"
#include "tables/PresetFactory.h"

namespace {

const CColor busFontColor(255, 255, 255, 255);

const long MIX_RING_STYLE = 8;
const long LARGE_RING_STYLE = 9;
const long SMALL_RING_STYLE = 7;

const char* FrameStrip(FX_CONTROL_KIND kind) {
  switch (kind) {
    case FX_CONTROL_MIX:
      return FX_MIX_KNOB_BITMAP;
    case FX_CONTROL_LARGE_1:
      return FX_CONTROL_KNOB_BITMAP_1;
    case FX_CONTROL_LARGE_2:
      return FX_CONTROL_KNOB_BITMAP_2;
    default:
      return nullptr;
  }
}

// A two-image button as large as one of its images.
CRect ButtonRect(CCoord left, CCoord top, CBitmap* bitmap) {
  if (!bitmap || !bitmap->isLoaded()) return CRect(left, top, left + 16, top + 16);
  return CRect(left, top, left + bitmap->getWidth(), top + bitmap->getHeight() / 2);
}

}  // namespace

CRect FxControlRect(const FX_PANEL_CONTROL& c) {
  switch (c.kind) {
    case FX_CONTROL_MIX:
    case FX_CONTROL_LARGE_1:
    case FX_CONTROL_LARGE_2:
      return CRect(c.x, c.y, c.x + FX_BIG_KNOB_SIZE, c.y + FX_BIG_KNOB_SIZE);
    case FX_CONTROL_SMALL:
      return CRect(c.x, c.y, c.x + FX_SMALL_KNOB_SIZE, c.y + FX_SMALL_KNOB_SIZE);
    case FX_CONTROL_LIST:
      return CRect(c.x, c.y, c.x + c.width, c.y + c.height);
    case FX_CONTROL_NUMERIC:
      return CRect(c.x, c.y, c.x + FX_NUMERIC_WIDTH, c.y + FX_NUMERIC_HEIGHT);
  }
  return CRect(c.x, c.y, c.x, c.y);
}

CFxModule::CFxModule(const FX_PANEL_DESC& desc, ICommandHandler* commands, IControlHandler* handler,
                     const CRect& size, CFrame* frame)
    : CViewContainer(size, frame), m_commands(commands), m_handler(handler), m_desc(desc) {
  RegisterFxModuleArtwork();
  CBitmap* background = new CBitmap(desc.background);
  setBackground(background);
  background->forget();
  _buildControls();
}

CFxModule::CFxModule(const CFxModule& other)
    : CViewContainer(other),
      CControlListener(),
      m_commands(other.m_commands),
      m_handler(other.m_handler),
      m_instance(other.m_instance),
      m_slot(other.m_slot),
      m_desc(other.m_desc) {}

CFxModule::~CFxModule() {}

bool CFxModule::isTypeOf(const char* type) const {
  return (type && std::strcmp(type, m_desc.className) == 0) || CViewContainer::isTypeOf(type);
}

void CFxModule::_buildControls() {
  CControlListener* self = this;
  for (unsigned int i = 0; i < m_desc.controlCount; ++i) {
    const FX_PANEL_CONTROL& c = m_desc.controls[i];
    const CRect r = FxControlRect(c);
    switch (c.kind) {
      case FX_CONTROL_MIX:
      case FX_CONTROL_LARGE_1:
      case FX_CONTROL_LARGE_2:
      case FX_CONTROL_SMALL: {
        const long ring = c.kind == FX_CONTROL_MIX     ? MIX_RING_STYLE
                          : c.kind == FX_CONTROL_SMALL ? SMALL_RING_STYLE
                                                       : LARGE_RING_STYLE;
        CModulatedKnob* knob = new CModulatedKnob(r, self, m_handler, c.tag, nullptr, nullptr, ring, c.defaultValue);
        if (const char* strip = FrameStrip(c.kind)) knob->SetFrameBitmap(new CBitmap(strip), FX_KNOB_FRAMES);
        addView(knob);
        break;
      }
      case FX_CONTROL_LIST:
        addView(new CListControl(r, self, c.tag, busFontColor, c.list, c.defaultValue, c.clickMode));
        break;
      case FX_CONTROL_NUMERIC:
        addView(new CNumericList(r, self, m_handler, c.tag, busFontColor, false, c.defaultValue, false));
        break;
    }
  }
  if (m_desc.presetKind == 0) return;

  CBitmap* onOff = new CBitmap("GuiOnOffButton.png");
  addView(new COnOffButton(ButtonRect(FX_ON_OFF_LEFT, FX_ON_OFF_TOP, onOff), self, TAG_FX_SLOT_ON, onOff));
  onOff->forget();
  const char* const buttons[3] = {"GuiLoadButton.png", "GuiSaveButton.png", "GuiResetButton.png"};
  for (int b = 0; b < 3; ++b) {
    CBitmap* bitmap = new CBitmap(buttons[b]);
    addView(new CKickButton(ButtonRect(FX_BUTTON_LEFTS[b], FX_BUTTON_TOP, bitmap), self, TAG_FX_LOAD + b, bitmap));
    bitmap->forget();
  }
}

bool CFxModule::_isParameter(long tag) const {
  const long first = static_cast<long>(m_desc.firstId);
  const long last = first + 2 * (static_cast<long>(m_desc.paramCount) - 1);
  return m_desc.paramCount > 0 && tag >= first && tag <= last && (tag - first) % 2 == 0;
}

bool CFxModule::_isSetting(long tag) const {
  for (unsigned int k = 0; k < m_desc.settingCount; ++k) {
    if (tag == static_cast<long>(m_desc.settings[k])) return true;
  }
  return false;
}

CControl* CFxModule::GetControl(long tag) {
  for (long i = 0; i < getNbViews(); ++i) {
    CView* view = getView(i);
    if (view && view->isTypeOf("CControl") && static_cast<CControl*>(view)->getTag() == tag)
      return static_cast<CControl*>(view);
  }
  return nullptr;
}

CEditor* CFxModule::_editor() {
  CFrame* frame = getFrame();
  return frame ? dynamic_cast<CEditor*>(frame->getEditor()) : nullptr;
}

void CFxModule::updateAll() {
  if (!m_commands || m_desc.presetKind == 0) return;
  for (long i = 0; i < getNbViews(); ++i) {
    CView* view = getView(i);
    if (!view || !view->isTypeOf("CControl")) continue;
    CControl* c = static_cast<CControl*>(view);
    const long t = c->getTag();
    float value;
    if (_isParameter(t)) {
      value = m_commands->GetFloatParam(static_cast<unsigned int>(t) + m_instance);
    } else if (t == TAG_FX_SLOT_ON) {
      value = static_cast<float>(m_commands->GetIntParam(static_cast<unsigned int>(t) + m_slot));
    } else if (_isSetting(t)) {
      value = static_cast<float>(m_commands->GetIntParam(static_cast<unsigned int>(t) + m_instance));
    } else {
      continue;
    }
    c->setValue(value);
    c->setDirty(true);
  }
  setDirty(true);
}

void CFxModule::_reset() {
  const SYNTH_PRESET& factory = PRESET_FACTORY_RESET;
  for (unsigned int k = 0; k < m_desc.paramCount; ++k) {
    const unsigned int id = m_desc.firstId + 2 * k + m_instance;
    m_commands->SetFloatParam(id, factory[id]);
  }
  for (unsigned int k = 0; k < m_desc.settingCount; ++k) {
    const unsigned int id = m_desc.settings[k] + m_instance;
    const int stored = TruncateSetting(factory[id]);
    m_commands->SetIntParam(id, static_cast<unsigned int>(stored < 0 ? 0 : stored));
  }
}

void CFxModule::valueChanged(CControl* control) {
  if (!control || m_desc.presetKind == 0) return;
  const long t = control->getTag();
  const float v = control->getValue();
  CEditor* editor = _editor();
  if (editor) editor->LatchControlTag(t);
  if (m_commands) {
    const int truncated = TruncateSetting(v);
    const unsigned int stored = static_cast<unsigned int>(truncated < 0 ? 0 : truncated);
    if (_isParameter(t)) {
      m_commands->SetFloatParam(static_cast<unsigned int>(t) + m_instance, v);
    } else if (t == TAG_FX_SLOT_ON) {
      m_commands->SetIntParam(static_cast<unsigned int>(t) + m_slot, stored);
    } else if (_isSetting(t)) {
      m_commands->SetIntParam(static_cast<unsigned int>(t) + m_instance, stored);
    } else if (t >= TAG_FX_LOAD && t <= TAG_FX_RESET && v == 0.f) {
      // Load, save and reset act on release.
      if (t == TAG_FX_LOAD && editor) editor->OnLoadModulePreset(m_desc.presetKind, m_instance);
      if (t == TAG_FX_SAVE && editor) editor->OnSaveModulePreset(m_desc.presetKind, m_instance);
      if (t == TAG_FX_RESET) _reset();
      updateAll();
    }
  }
  if (editor) editor->OnSetParameterAutomated(t);
}
