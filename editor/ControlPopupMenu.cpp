#include "editor/ControlPopupMenu.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "editor/Editor.h"
#include "editor/ModulatedKnob.h"
#include "editor/StringLists.h"
#include "engine/ICommandHandler.h"
#include "engine/Params.h"

const char MENU_ITEM_CLEAR_MODULATIONS[] = "Clear All";
const char MENU_ITEM_START_MIDI_LEARN[] = "Start Midi Learn";
const char MENU_ITEM_STOP_MIDI_LEARN[] = "Stop Midi Learn";
const char MENU_ITEM_CLEAR_MIDI_CC[] = "Clear";
const char MENU_ITEM_START_MIDI_LEARN_X[] = "Start Midi Learn for X";
const char MENU_ITEM_START_MIDI_LEARN_Y[] = "Start Midi Learn for Y";

namespace {

const unsigned int SLOTS = 24;

const char* const SOURCE_NAMES[22] = {"LFO 1",    "LFO 2",      "LFO 3",    "Vibrato", "Env 1",      "Env 2",
                                      "Env 3",    "Amp Env",    "MSEG 1",   "MSEG 2",  "MSEG 3",     "MSEG 4",
                                      "ModWheel", "PitchWheel", "Pressure", "Breath",  "Expression", "Note",
                                      "Velocity", "Random",     "Morph X",  "Morph Y"};

bool StartsColumn(unsigned int index) { return index == 4 || index == 8 || index == 12 || index == 17; }

const unsigned int XY_X_PARAMS[5] = {4, 5, 6, 7, 1577};
const unsigned int XY_Y_PARAMS[5] = {8, 9, 10, 11, 1578};

std::string CCName(int cc) { return (cc >= 0 && cc < 120) ? slMidiCCName[static_cast<size_t>(cc)] : std::string(); }

}  // namespace

CControlPopupMenu::CControlPopupMenu(ICommandHandler* commands, AEffGUIEditor* editor)
    : m_main(new COptionMenu(CRect(0, 0, 0, 0), nullptr, TAG_MAIN)),
      m_sources(new COptionMenu(CRect(0, 0, 0, 0), nullptr, TAG_SOURCES)),
      m_assigned(new COptionMenu(CRect(0, 0, 0, 0), nullptr, TAG_ASSIGNED, nullptr, nullptr,
                                 COptionMenu::kCheckStyle)),
      m_midiCC(new COptionMenu(CRect(0, 0, 0, 0), nullptr, TAG_MIDI_CC)),
      m_commands(commands),
      m_editor(dynamic_cast<CEditor*>(editor)) {}

CControlPopupMenu::~CControlPopupMenu() {
  m_main->forget();
  m_sources->forget();
  m_assigned->forget();
  m_midiCC->forget();
}

bool CControlPopupMenu::_slotHasSource(unsigned int slot) {
  unsigned int source = m_commands->GetIntParam(362 + slot);
  return source != 0 && source < 30;
}

void CControlPopupMenu::Perform(CControl* control, unsigned int paramId) {
  if (!m_commands || !m_editor || !control) return;
  if (paramId == 486 || paramId == 487 || paramId == 134) return;
  CModulatedKnob* knob = control->isTypeOf("CModulatedKnob") ? static_cast<CModulatedKnob*>(control) : nullptr;
  const unsigned int target = static_cast<unsigned int>(Params::ParamIdToModTarget(paramId));

  m_sources->removeAllEntry();
  for (unsigned int i = 0; i < 22; ++i) {
    m_sources->addEntry(SOURCE_NAMES[i], -1, StartsColumn(i) ? CMenuItem::kColumnBreak : CMenuItem::kNoFlags);
  }

  m_assigned->removeAllEntry();
  unsigned int count = 0;
  for (unsigned int k = 0; k < SLOTS; ++k) {
    if (!_slotHasSource(k) || m_commands->GetIntParam(392 + k) != target) continue;
    float position = CEditor::_modSourceToValue(static_cast<float>(m_commands->GetIntParam(362 + k)));
    const std::string* name = GetSelectableEntry(slModSource, static_cast<unsigned int>(position));
    char text[128];
    std::snprintf(text, sizeof(text), "Select : %s", name ? name->c_str() : "");
    bool checked = knob && count == knob->getModIndex();
    m_assigned->addEntry(text, -1, checked ? CMenuItem::kChecked : CMenuItem::kNoFlags);
    ++count;
  }

  m_midiCC->removeAllEntry();
  int cc = m_editor->GetAssignedMidiCC(paramId);
  if (cc >= 0 && cc < 120) m_midiCC->addEntry(CCName(cc).c_str());

  m_main->removeAllEntry();
  m_main->addEntry(m_sources, "Add modulation");
  if (m_assigned->getNbEntries() > 0) m_main->addEntry(m_assigned, "    Assigned modulations");
  m_main->addEntry(MENU_ITEM_CLEAR_MODULATIONS);
  m_main->addSeparator();
  m_main->addEntry(m_editor->IsMidiLearnActive() ? MENU_ITEM_STOP_MIDI_LEARN : MENU_ITEM_START_MIDI_LEARN);
  if (m_midiCC->getNbEntries() > 0) m_main->addEntry(m_midiCC, "    Assigned MidiCC");
  m_main->addEntry(MENU_ITEM_CLEAR_MIDI_CC);

  long menuTag = -1;
  long index = -1;
  CMenuItem* chosen = m_editor->ShowPopupMenu(control, m_main, menuTag, index);
  if (!chosen) return;

  if (menuTag == TAG_ASSIGNED) {
    if (!knob || index < 0) return;
    long n = 0;
    for (unsigned int k = 0; k < SLOTS; ++k) {
      if (!_slotHasSource(k) || m_commands->GetIntParam(392 + k) != target) continue;
      if (n++ != index) continue;
      unsigned int source = m_commands->GetIntParam(362 + k);
      knob->setModIndex(static_cast<unsigned int>(index));
      knob->setBipolarMod(source >= 1 && source <= 4);
      knob->setModValue(2.f * m_commands->GetFloatParam(331 + k) - 1.f);
      knob->invalid();
      break;
    }
    return;
  }
  if (menuTag == TAG_SOURCES) {
    unsigned int source = CEditor::_valueToModSource(static_cast<float>(index + 1));
    int slot = AddModulation(paramId, source);
    if (knob && slot != -1) {
      // The ring shows the slot just filled: its index counts the slots
      // before it that modulate the same parameter, as the ring's drags
      // count them. The filled slot can lie before older ones.
      unsigned int ringIndex = 0;
      for (unsigned int k = 0; k < static_cast<unsigned int>(slot); ++k) {
        if (m_commands->GetIntParam(362 + k) != 0 && m_commands->GetIntParam(392 + k) == target) ++ringIndex;
      }
      knob->setModIndex(ringIndex);
      knob->setModValue(2.f * m_commands->GetFloatParam(331 + static_cast<unsigned int>(slot)) - 1.f);
      knob->setBipolarMod(index >= 0 && index <= 3);
      knob->enableModulation(true);
      knob->invalid();
    }
    return;
  }
  const char* text = chosen->getTitle();
  if (std::strcmp(text, MENU_ITEM_START_MIDI_LEARN) == 0) {
    m_editor->StartMidiLearn(paramId);
  } else if (std::strcmp(text, MENU_ITEM_STOP_MIDI_LEARN) == 0) {
    m_editor->StopMidiLearn();
  } else if (std::strcmp(text, MENU_ITEM_CLEAR_MIDI_CC) == 0) {
    m_editor->ClearAssignedMidiCC(paramId);
  } else if (std::strcmp(text, MENU_ITEM_CLEAR_MODULATIONS) == 0) {
    ClearAllModulations(paramId);
    if (knob) {
      knob->setModIndex(0);
      knob->setModValue(0.f);
      knob->enableModulation(false);
      knob->invalid();
    }
  }
}

int CControlPopupMenu::AddModulation(unsigned int paramId, unsigned int source) {
  if (!m_commands || paramId > 360) return -1;
  const int target = Params::ParamIdToModTarget(paramId);
  if (target <= 0) return -1;  // a slot without a target would only be lost
  for (unsigned int k = 0; k < SLOTS; ++k) {
    if (m_commands->GetIntParam(362 + k) != 0 || m_commands->GetIntParam(392 + k) != 0) continue;
    m_commands->SetIntParam(362 + k, source);
    m_commands->SetIntParam(392 + k, static_cast<unsigned int>(target));
    if (m_editor) {
      m_editor->RebuildModMatrixCache();
      m_editor->UpdateParamValue(362 + k, CEditor::_modSourceToValue(static_cast<float>(source)));
      m_editor->UpdateParamValue(392 + k, CEditor::_modTargetToValue(static_cast<float>(target)));
    }
    return static_cast<int>(k);
  }
  return -1;
}

void CControlPopupMenu::ClearAllModulations(unsigned int paramId) {
  if (!m_commands || paramId > 360) return;
  const int target = Params::ParamIdToModTarget(paramId);
  if (target <= 0) return;
  for (unsigned int k = 0; k < SLOTS; ++k) {
    if (static_cast<int>(m_commands->GetIntParam(392 + k)) != target) continue;
    m_commands->SetIntParam(392 + k, 0);
    m_commands->SetIntParam(362 + k, 0);
    m_commands->SetFloatParam(331 + k, 0.5f);
    if (m_editor) {
      m_editor->UpdateParamValue(362 + k, CEditor::_modSourceToValue(0.f));
      m_editor->UpdateParamValue(392 + k, CEditor::_modTargetToValue(0.f));
      m_editor->UpdateParamValue(331 + k, 0.5f);
    }
  }
  if (m_editor) m_editor->RebuildModMatrixCache();
}

void CControlPopupMenu::PerformForXY(CControl* control, long tag) {
  if (!m_editor || !control || tag < 68180 || tag > 68184) return;
  const unsigned int xId = XY_X_PARAMS[tag - 68180];
  const unsigned int yId = XY_Y_PARAMS[tag - 68180];
  const bool learning = m_editor->IsMidiLearnActive();

  m_main->removeAllEntry();
  if (!learning) {
    m_main->addEntry(MENU_ITEM_START_MIDI_LEARN_X);
    m_main->addEntry(MENU_ITEM_START_MIDI_LEARN_Y);
  } else {
    m_main->addEntry(MENU_ITEM_STOP_MIDI_LEARN);
  }
  char text[160];
  int ccX = m_editor->GetAssignedMidiCC(xId);
  if (ccX >= 0 && ccX < 120) {
    std::snprintf(text, sizeof(text), "    Assigned for X : %s", CCName(ccX).c_str());
    m_main->addEntry(text);
  }
  int ccY = m_editor->GetAssignedMidiCC(yId);
  if (ccY >= 0 && ccY < 120) {
    std::snprintf(text, sizeof(text), "    Assigned for Y : %s", CCName(ccY).c_str());
    m_main->addEntry(text);
  }
  m_main->addEntry(MENU_ITEM_CLEAR_MIDI_CC);

  long menuTag = -1;
  long index = -1;
  CMenuItem* chosen = m_editor->ShowPopupMenu(control, m_main, menuTag, index);
  if (!chosen) return;
  const char* choice = chosen->getTitle();
  if (std::strcmp(choice, MENU_ITEM_START_MIDI_LEARN_X) == 0) {
    if (!m_editor->IsMidiLearnActive()) m_editor->StartMidiLearn(xId);
    else m_editor->StopMidiLearn();
  } else if (std::strcmp(choice, MENU_ITEM_START_MIDI_LEARN_Y) == 0) {
    if (!m_editor->IsMidiLearnActive()) m_editor->StartMidiLearn(yId);
    else m_editor->StopMidiLearn();
  } else if (std::strcmp(choice, MENU_ITEM_STOP_MIDI_LEARN) == 0) {
    m_editor->StopMidiLearn();
  } else if (std::strcmp(choice, MENU_ITEM_CLEAR_MIDI_CC) == 0) {
    m_editor->ClearAssignedMidiCC(xId);
    m_editor->ClearAssignedMidiCC(yId);
  }
}
