// The edit path: how a control's tag and value become a synth parameter id
// and a stored value, how a parameter finds the control that shows it, how
// edits reach the host, and how the knobs' modulation rings follow the
// modulation matrix.
#include <cstring>

#include "editor/Editor.h"
#include "editor/EditorTags.h"
#include "editor/ListControl.h"
#include "editor/ModeSelector.h"
#include "editor/ModulatedKnob.h"
#include "editor/StringLists.h"
#include "editor/ValueMaps.h"
#include "editor/XYControl.h"
#include "editor/pages/MiniPresetBrowser.h"
#include "editor/pages/Overlays.h"
#include "editor/pages/Recorder.h"
#include "editor/pages/SampleEditor.h"
#include "editor/pages/WaveTableEditor.h"
#include "editor/pages/Pages.h"
#include "engine/ICommandHandler.h"
#include "engine/IGlobalSynth.h"
#include "engine/Params.h"
#include "engine/SynthTypes.h"
#include "engine/ParamIds.h"
#include "engine/FileUtils.h"
#include "platform/vst/AudioEffectX.h"
#include "platform/Utf8.h"

using namespace EditorMaps;

namespace {

bool IsFloatParam(long id) { return (id >= 0 && id <= 360) || id == 486 || id == 487; }

bool IsRemapped(long tag) {
  return tag == 490 || (tag >= 434 && tag <= 441) || tag == 483 || tag == 1583 || tag == 488 || tag == 479;
}

float BackwardRemap(long tag, int stored) {
  if (tag == 490) return MaxVoicesToIndex(stored);
  if (tag >= 434 && tag <= 437) return OctaveToIndex(stored);
  if (tag >= 438 && tag <= 441) return SemitoneToIndex(stored);
  if (tag == 483 || tag == 1583) return MasterTuneToIndex(stored);
  if (tag == 488) return UnisonCountToIndex(stored);
  return StageOrderToIndex(stored);  // 479
}

int ForwardRemap(long tag, float value) {
  if (tag == 490) return static_cast<int>(MaxVoicesToStored(value));
  if (tag >= 434 && tag <= 437) return OctaveToStored(value);
  if (tag >= 438 && tag <= 441) return SemitoneToStored(value);
  if (tag == 483 || tag == 1583) return MasterTuneToStored(value);
  if (tag == 488) return UnisonCountToStored(value);
  return StageOrderToStored(value);  // 479
}

// The caption of a wave name: at most 16 characters.
// At most 16 bytes, cut on a character boundary.
std::string Caption16(const std::string& text) {
  return text.substr(0, Platform::Utf8PrefixLength(text.data(), text.size(), 16));
}

}  // namespace

unsigned int CEditor::_valueToModSource(float value) { return ValueToModSource(value); }
float CEditor::_modSourceToValue(float source) { return ModSourceToValue(source); }
unsigned int CEditor::_valueToModTarget(float value) { return ValueToModTarget(value); }
float CEditor::_modTargetToValue(float target) { return ModTargetToValue(target); }

void CEditor::valueChanged(CControl* control) {
  // Menus report with negative tags; they are handled where they are shown.
  if (!control || control->getTag() < 0) return;
  const long tag = control->getTag();
  const float v = control->getValue();
  const long page6 = 6 * m_modMatrixPage;

  if (!IsXYPadTag(tag)) LatchControlTag(tag);

  if (m_commands && tag >= 0 && tag < static_cast<long>(SYNTH_PARAM_COUNT)) {
    if (tag >= 331 && tag <= 336) {
      m_commands->SetFloatParam(static_cast<unsigned int>(tag + page6), v);
      UpdateModMatrixLinks();
    } else if (tag >= 430 && tag <= 433) {
      // The wave-name buttons open the oscillator's browser; nothing is stored.
      m_categoryInstance = static_cast<unsigned int>(tag - 430);
      ShowPresetBrowser(BROWSER_CATEGORY_OSCILLATOR);
    } else if (IsFloatParam(tag)) {
      m_commands->SetFloatParam(static_cast<unsigned int>(tag), v);
    } else if (tag >= 362 && tag <= 367) {
      m_commands->SetIntParam(static_cast<unsigned int>(tag + page6), _valueToModSource(v));
      RebuildModMatrixCache();
    } else if (tag >= 392 && tag <= 397) {
      m_commands->SetIntParam(static_cast<unsigned int>(tag + page6), _valueToModTarget(v));
      RebuildModMatrixCache();
    } else if (IsRemapped(tag)) {
      m_commands->SetIntParam(static_cast<unsigned int>(tag), static_cast<unsigned int>(ForwardRemap(tag, v)));
    } else {
      int stored = StoredInt(v);
      m_commands->SetIntParam(static_cast<unsigned int>(tag), static_cast<unsigned int>(stored < 0 ? 0 : stored));
    }
  }

  if (tag >= TAG_COMMAND_FIRST && tag <= TAG_COMMAND_LAST) {
    if (tag == TAG_LCD_MENU && v == 0.f) {
      // The menu runs the chosen entry; a menu closed without a choice
      // skips the rest.
      _showMainMenu(control);
      return;
    }
    _runCommand(control, tag, v);
  }

  if ((tag == 527 || tag == 693) && m_arpView) m_arpView->updateAll();

  if (m_commands) {
    if (tag >= 4 && tag <= 7) {
      if (CXYControl* pad = m_osc[tag - 4].pad) {
        float x = m_commands->GetFloatParam(static_cast<unsigned int>(tag));
        if (pad->GetX() != x) {
          pad->SetX(x);
          pad->setDirty(true);
        }
      }
    } else if (tag >= 8 && tag <= 11) {
      if (CXYControl* pad = m_osc[tag - 8].pad) {
        float y = m_commands->GetFloatParam(static_cast<unsigned int>(tag));
        if (pad->GetY() != y) {
          pad->SetY(y);
          pad->setDirty(true);
        }
      }
    } else if (tag >= 426 && tag <= 429) {
      updateMainView();
    }
  }

  OnSetParameterAutomated(tag);
}

long CEditor::TagToSynthParam(long tag) {
  if (tag < 0) return -1;
  if (tag <= 330) {
    if (tag == 134) return -1;
    long id = tag;
    if (tag >= 136 && tag <= 155) {
      id = 136 + ((tag - 136) / 4) * 4 + static_cast<long>(m_selectors[1] % 4);
    } else if (tag >= 156 && tag <= 175) {
      id = 156 + ((tag - 156) / 4) * 4 + static_cast<long>(m_selectors[0] % 4);
    } else if (tag >= 176 && tag <= 179) {
      id = 176 + static_cast<long>(m_selectors[2] % 4);
    }
    if (tag >= 185 && tag <= 330 && m_fxView) id += static_cast<long>(m_fxView->GetActiveFxInstance());
    return id;
  }
  if (tag >= 331 && tag <= 336) return tag + 6 * m_modMatrixPage;
  if (tag >= 337 && tag <= 360) return tag;
  if (tag >= 361 && tag <= 485) return -1;
  if (tag == 486 || tag == 487) return tag;
  if (IsXYPadTag(tag)) {
    CXYControl* pad = tag == TAG_MORPH_XY ? m_morphPad : m_osc[tag - TAG_OSC_XY].pad;
    if (!pad) return -1;
    long xId = tag == TAG_MORPH_XY ? 1577 : 4 + (tag - TAG_OSC_XY);
    long yId = tag == TAG_MORPH_XY ? 1578 : 8 + (tag - TAG_OSC_XY);
    if (pad->GetX() != pad->GetReportedX()) {
      pad->SetReportedX(pad->GetX());
      return xId;
    }
    pad->SetReportedX(pad->GetX());
    if (pad->GetY() != pad->GetReportedY()) {
      pad->SetReportedY(pad->GetY());
      return yId;
    }
    return -1;
  }
  return -1;
}

long CEditor::TagToVstParam(long tag) {
  long id = TagToSynthParam(tag);
  return id < 0 ? -1 : Params::SynthParamToVstParam(static_cast<unsigned int>(id));
}

CControl* CEditor::getControlByParam(unsigned int id) {
  if (!m_controlsBuilt || !m_fxView || !m_modView || !m_arpView || id >= SYNTH_PARAM_COUNT) return nullptr;
  const unsigned int page = static_cast<unsigned int>(m_modMatrixPage);
  if (id >= 331 && id <= 354) return (id - 331) / 6 == page ? m_rowAmounts[(id - 331) % 6] : nullptr;
  if (id >= 362 && id <= 385) return (id - 362) / 6 == page ? m_rowSources[(id - 362) % 6] : nullptr;
  if (id >= 392 && id <= 415) return (id - 392) / 6 == page ? m_rowTargets[(id - 392) % 6] : nullptr;
  if (id == 486) return m_unisonKnobs[0];
  if (id == 487) return m_unisonKnobs[1];
  // The modulation page's settings without a knob show there, and only
  // while their instance is the one shown.
  bool onModPage = false;
  CControl* modPageControl = m_modView->GetControlForParam(id, onModPage);
  if (onModPage) return modPageControl;
  if (id == 134 || (id >= 168 && id <= 175) || id == 483 || id >= 361) return nullptr;
  if (id >= 136 && id <= 155) {
    unsigned int base = 136 + ((id - 136) / 4) * 4;
    return id - base == m_selectors[1] ? m_knobs[base] : nullptr;
  }
  if (id >= 156 && id <= 167) {
    unsigned int base = 156 + ((id - 156) / 4) * 4;
    return id - base == m_selectors[0] ? m_knobs[base] : nullptr;
  }
  if (id >= 176 && id <= 179) return id - 176 == m_selectors[2] ? m_knobs[176] : nullptr;
  if (id >= 185 && id <= 330) {
    if ((id - 185) % 2 != m_fxView->GetActiveFxInstance()) return nullptr;
    return m_knobs[185 + ((id - 185) & ~1u)];
  }
  return m_knobs[id];
}

// The host receives the value the engine now holds for the exposed
// parameter; plain settings are read from the engine's pending copy, so the
// host hears the new value and not the one of the last block.
void CEditor::OnSetParameterAutomated(long tag) {
  if (!m_commands || !effect) return;
  // An XY pad may have moved both axes in one change: each reports in turn,
  // X first.
  const int reports = IsXYPadTag(tag) ? 2 : 1;
  for (int r = 0; r < reports; ++r) {
    long id = TagToSynthParam(tag);
    if (id < 0) return;
    int index = Params::SynthParamToVstParam(static_cast<unsigned int>(id));
    if (index < 0) continue;
    int synthId = Params::VstParamToSynthParam(index);
    if (synthId < 0) continue;
    effect->setParameterAutomated(index, m_commands->GetFloatParam(static_cast<unsigned int>(synthId)));
  }
}

void CEditor::beginEdit(long tag) {
  long index = TagToVstParam(tag);
  if (index < 0) return;
  if (AudioEffectX* fx = _effectX()) fx->beginEdit(static_cast<VstInt32>(index));
}

void CEditor::endEdit(long tag) {
  long index = TagToVstParam(tag);
  if (index < 0) return;
  if (AudioEffectX* fx = _effectX()) fx->endEdit(static_cast<VstInt32>(index));
}

void CEditor::UpdateArpAndGateButtons() {
  if (!m_commands) return;
  for (long tag : {527L, 693L}) {
    if (CControl* c = getControlByTag(tag)) {
      c->setValue(static_cast<float>(m_commands->GetIntParam(static_cast<unsigned int>(tag))));
      c->setDirty(true);
    }
  }
}

void CEditor::updateMainView() {
  if (_isAttached(m_waveTableEditor)) m_waveTableEditor->Update();
  if (_isAttached(m_sampleEditor)) m_sampleEditor->Update();
  if (_isAttached(m_recorder)) m_recorder->Update();
  if (!frame || !m_commands) return;

  const unsigned int page6 = static_cast<unsigned int>(6 * m_modMatrixPage);
  for (long i = 0; i < frame->getNbViews(); ++i) {
    CView* view = frame->getView(i);
    if (!view || !view->isTypeOf("CControl")) continue;
    CControl* c = static_cast<CControl*>(view);
    const long tag = c->getTag();
    float value = c->getValue();
    if (tag >= 331 && tag <= 336) {
      value = m_commands->GetFloatParam(static_cast<unsigned int>(tag) + page6);
    } else if (tag >= 392 && tag <= 397) {
      value = _modTargetToValue(static_cast<float>(m_commands->GetIntParam(static_cast<unsigned int>(tag) + page6)));
    } else if (tag >= 362 && tag <= 367) {
      value = _modSourceToValue(static_cast<float>(m_commands->GetIntParam(static_cast<unsigned int>(tag) + page6)));
    } else if (tag >= 0 && IsFloatParam(tag)) {
      value = m_commands->GetFloatParam(static_cast<unsigned int>(tag));
    } else if (tag >= 0 && IsRemapped(tag)) {
      value = BackwardRemap(tag, StoredInt(m_commands->GetFloatParam(static_cast<unsigned int>(tag))));
    } else if (tag >= 0 && tag < static_cast<long>(SYNTH_PARAM_COUNT)) {
      value = static_cast<float>(StoredInt(m_commands->GetFloatParam(static_cast<unsigned int>(tag))));
    } else if (IsXYPadTag(tag)) {
      CXYControl* pad = static_cast<CXYControl*>(c);
      unsigned int xId = tag == TAG_MORPH_XY ? 1577 : 4 + static_cast<unsigned int>(tag - TAG_OSC_XY);
      unsigned int yId = tag == TAG_MORPH_XY ? 1578 : 8 + static_cast<unsigned int>(tag - TAG_OSC_XY);
      float x = m_commands->GetFloatParam(xId);
      float y = m_commands->GetFloatParam(yId);
      if (x != pad->GetX() || y != pad->GetY()) {
        pad->SetX(x);
        pad->SetY(y);
        pad->setDirty(true);
      }
      continue;
    } else if (tag == TAG_OVERSAMPLING) {
      value = OversamplingToIndex(StoredInt(m_commands->GetFloatParam(1581)));
    } else if (tag == TAG_MODMTX_PAGE) {
      value = static_cast<float>(m_modMatrixPage);
    } else if (tag == TAG_VIEW_PAGE) {
      value = static_cast<float>(m_viewPage);
    } else {
      continue;
    }
    c->setValue(value);
    if (c->isDirty()) c->setDirty(true);
  }
  for (unsigned int r = 0; r < MATRIX_ROWS; ++r) {
    if (m_rowSources[r]) m_rowSources[r]->invalid();
    if (m_rowTargets[r]) m_rowTargets[r]->invalid();
    if (m_rowAmounts[r]) m_rowAmounts[r]->invalid();
  }

  // The wave names.
  for (unsigned int o = 0; o < OSC_COUNT; ++o) {
    CTextButton* button = m_osc[o].nameButton;
    if (!button) continue;
    int type = StoredInt(m_commands->GetFloatParam(430 + o));
    std::string caption;
    if (type == 56) {
      const char* path = m_commands->GetLoadedSamplePath(o);
      caption = path ? FileUtils::ExtractFileName(path) : std::string();
    } else if (type == 55) {
      char name[17];
      for (unsigned int k = 0; k < 4; ++k) {
        float word = m_commands->GetFloatParam(PARAM_WAVETABLE_NAME + 4 * o + k);
        std::memcpy(name + 4 * k, &word, 4);
      }
      name[16] = 0;
      caption = name;
    } else if (const std::string* entry = (type >= 0) ? GetSelectableEntry(slWaveform, static_cast<unsigned int>(type))
                                                       : nullptr) {
      caption = *entry;
    }
    caption = Caption16(caption);
    if (caption != button->getText()) button->setText(caption.c_str());
  }

  // The page shown in the lower half.
  if (m_fxView && m_modView && m_arpView) {
    m_fxView->setVisible(m_viewPage == 2);
    m_modView->setVisible(m_viewPage == 1);
    m_arpView->setVisible(m_viewPage != 1 && m_viewPage != 2);
    CView* pages[3] = {m_fxView, m_modView, m_arpView};
    for (CView* p : pages) {
      if (p->isDirty()) p->invalid();
    }
  }

  if (m_category == 0) _showMiniBrowserTexts();

  // What each oscillator's type leaves editable.
  for (unsigned int o = 0; o < OSC_COUNT; ++o) {
    OSC_CONTROLS& oc = m_osc[o];
    int type = StoredInt(m_commands->GetFloatParam(430 + o));
    bool table = type == 55 || type == 56;
    if (oc.xKnob) table ? oc.xKnob->Disable() : oc.xKnob->Enable();
    if (oc.yKnob) table ? oc.yKnob->Disable() : oc.yKnob->Enable();
    if (oc.pad) table ? oc.pad->Disable() : oc.pad->Enable();
    if (type == 56) {
      static const char* const SAMPLE_CAPTIONS[4] = {"dens", "tune", "size", "pan"};
      for (unsigned int s = 0; s < 4; ++s) {
        if (oc.fxLists[s]) oc.fxLists[s]->Disable(SAMPLE_CAPTIONS[s]);
      }
      if (oc.fmKnob) oc.fmKnob->Disable();
      if (oc.phaseKnob) oc.phaseKnob->Disable();
      if (oc.invertButton) oc.invertButton->setBackground(m_oscButtonBitmaps[3]);
      if (oc.freeButton) oc.freeButton->setBackground(m_oscButtonBitmaps[2]);
      bool grain = m_commands->GetFloatParam(426 + o) != 0.f;
      for (unsigned int s = 0; s < 4; ++s) {
        if (oc.fxKnobs[s]) grain ? oc.fxKnobs[s]->Enable() : oc.fxKnobs[s]->Disable();
      }
    } else {
      for (unsigned int s = 0; s < 4; ++s) {
        if (oc.fxLists[s]) oc.fxLists[s]->Enable();
        if (oc.fxKnobs[s]) oc.fxKnobs[s]->Enable();
      }
      if (oc.fmKnob) oc.fmKnob->Enable();
      if (oc.phaseKnob) oc.phaseKnob->Enable();
      if (oc.invertButton) oc.invertButton->setBackground(m_oscButtonBitmaps[0]);
      if (oc.freeButton) oc.freeButton->setBackground(m_oscButtonBitmaps[1]);
    }
    if (oc.invertButton) oc.invertButton->setDirty(true);
    if (oc.freeButton) oc.freeButton->setDirty(true);
  }
}

void CEditor::RebuildModMatrixCache() {
  for (CModulatedKnob*& knob : m_modLinks) {
    if (knob) {
      knob->enableModulation(false);
      knob->setDirty(true);
    }
    knob = nullptr;
  }
  if (!m_commands) return;
  for (unsigned int s = 0; s < MOD_SLOTS; ++s) {
    unsigned int source = m_commands->GetIntParam(362 + s);
    unsigned int target = m_commands->GetIntParam(392 + s);
    if (source == 0 || target == 0) continue;
    int id = Params::ModTargetToParamId(target);
    if (id <= 0) continue;
    CControl* control = getControlByParam(static_cast<unsigned int>(id));
    if (control && control->isTypeOf("CModulatedKnob")) m_modLinks[s] = static_cast<CModulatedKnob*>(control);
  }
  for (unsigned int s = 0; s < MOD_SLOTS; ++s) {
    CModulatedKnob* knob = m_modLinks[s];
    if (!knob) continue;
    unsigned int n = 0;
    for (CModulatedKnob* other : m_modLinks) n += (other == knob);
    if (knob->getModIndex() >= n) knob->setModIndex(n - 1);
  }
  UpdateModMatrixLinks();
}

void CEditor::UpdateModMatrixLinks() {
  if (!m_commands) return;
  for (unsigned int s = 0; s < MOD_SLOTS; ++s) {
    CModulatedKnob* knob = m_modLinks[s];
    if (!knob) continue;
    unsigned int source = m_commands->GetIntParam(362 + s);
    unsigned int target = m_commands->GetIntParam(392 + s);
    if (source == 0 || target == 0) continue;
    knob->enableModulation(true);
    unsigned int k = 0;
    for (unsigned int e = 0; e < s; ++e) {
      if (m_commands->GetIntParam(392 + e) == target && m_commands->GetIntParam(362 + e) != 0) ++k;
    }
    if (knob->getModIndex() == k) {
      knob->setBipolarMod(source >= 1 && source <= 4);
      knob->setModValue(2.f * m_commands->GetFloatParam(331 + s) - 1.f);
    }
    knob->setDirty(true);
  }
}
