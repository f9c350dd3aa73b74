#include "editor/pages/WaveTableEditor.h"

#include <cstring>
#include <string>

#include "editor/Editor.h"
#include "editor/EditorTags.h"
#include "editor/ListControl.h"
#include "editor/ModeSelector.h"
#include "editor/ModulatedKnob.h"
#include "editor/ScrollBar.h"
#include "editor/StringLists.h"
#include "editor/pages/HarmonicsView.h"
#include "editor/pages/WaveTableArtwork.h"
#include "editor/pages/WaveformControl.h"
#include "engine/FolderLayout.h"
#include "engine/ICommandHandler.h"
#include "engine/SynthTypes.h"

namespace {

const unsigned int N = CWaveTableEditor::WAVE_SIZE;

// Whether a bitmap will show: registered artwork does (it is drawn when
// first shown, not here, so building the panel draws nothing), else a file
// must load.
bool WillShow(const CBitmap* bitmap) {
  return CBitmapResources::has(bitmap->getResourceName()) || bitmap->isLoaded();
}
const size_t WAVE_BYTES = N * sizeof(float);

const char* const ENTRY_NORMALIZE = "Normalize";
const char* const ENTRY_REMOVE_DC = "Remove DC offset";
const char* const ENTRY_INVERT = "Invert";
const char* const ENTRY_REVERSE = "Reverse";
const char* const ENTRY_SHIFT_TO_ZERO = "Shift to zero crossing";
const char* const ENTRY_CLEAR = "Clear";
const char* const ENTRY_REMOVE_EVEN = "Remove even harmonics";
const char* const ENTRY_REMOVE_ODD = "Remove odd harmonics";
const char* const ENTRY_ORGAN = "Make organ sound";
const char* const ENTRY_RESET_PHASE = "Reset phase";
const char* const ENTRY_RANDOMIZE_PHASE = "Randomize phase";
const char* const ENTRY_COPY = "Copy";
const char* const ENTRY_PASTE = "Paste";

const CColor BUS_FONT_COLOUR(255, 255, 255, 255);

// A push button over the upper half of its two-state bitmap. A drawn
// bitmap's size is known without drawing it: that waits until the button
// is first shown (an instrument whose editor never opens draws none).
CKickButton* Kick(CCoord left, CCoord top, const char* bitmapName, CControlListener* listener, long tag) {
  CBitmap* bitmap = new CBitmap(bitmapName);
  const bool shows = WillShow(bitmap);
  CCoord w = shows ? bitmap->getWidth() : 12;
  CCoord h = shows ? bitmap->getHeight() / 2 : 12;
  CKickButton* button = new CKickButton(CRect(left, top, left + w, top + h), listener, tag, bitmap);
  bitmap->forget();
  return button;
}

}  // namespace

CWaveTableEditor::CWaveTableEditor(AEffGUIEditor* editor, ICommandHandler* commands, const CRect& size, CFrame* frame,
                                   CBitmap* background)
    : COverlayPanel(size, frame, background),
      m_owner(editor),
      m_editor(dynamic_cast<CEditor*>(editor)),
      m_commands(commands),
      m_work(new float[N]()) {
  for (unsigned int k = 0; k < EFFECT_COUNT; ++k) {
    m_effects[k].SetType(k);
    for (unsigned int o = 0; o < OSC_COUNT; ++o) m_amount[k][o] = 0.0f;
    m_knobs[k] = nullptr;
  }
  for (unsigned int o = 0; o < OSC_COUNT; ++o) {
    m_table[o] = new float[N]();
    m_sent[o] = new float[N]();
    m_sentValid[o] = false;
  }
  // The panel's own background (drawn by code) in place of the plain one.
  RegisterWaveTableArtwork();
  CBitmap* own = new CBitmap("GuiWaveTableEditor.png");
  if (WillShow(own)) setBackground(own);
  own->forget();
  _BuildControls();
}

CWaveTableEditor::~CWaveTableEditor() {
  // The panel keeps one reference of its own to the views it swaps in and
  // out; the container drops the references of those attached.
  CView* swapped[4] = {m_waveform, m_spectrum, m_scrollBar, m_zoomList};
  for (CView* v : swapped) {
    if (v) v->forget();
  }
  for (unsigned int o = 0; o < OSC_COUNT; ++o) {
    delete[] m_table[o];
    delete[] m_sent[o];
  }
  delete[] m_work;
  delete[] m_clipboard;
}

bool CWaveTableEditor::isTypeOf(const char* type) const {
  return (type && std::strcmp(type, "CWaveTableEditor") == 0) || COverlayPanel::isTypeOf(type);
}

void CWaveTableEditor::_BuildControls() {
  CControlListener* self = this;
  addView(Kick(883, 94, "GuiPBCloseButton.png", self, TAG_WT_CLOSE));
  addView(Kick(477, 98, "GuiLoadButton.png", self, TAG_WT_LOAD));
  addView(Kick(509, 98, "GuiSaveButton.png", self, TAG_WT_SAVE));
  addView(Kick(544, 98, "GuiResetButton.png", self, TAG_WT_RESET_TABLE));
  addView(Kick(342, 99, "GuiOscPrevButton.png", self, TAG_WT_PREV));
  addView(Kick(459, 99, "GuiOscNextButton.png", self, TAG_WT_NEXT));
  m_nameButton = new CTextButton(CRect(358, 99, 458, 110), self, TAG_WT_NAME, "Default Wave");
  addView(m_nameButton);

  CBitmap* modes = new CBitmap("GuiWaveTableViewMode.png");
  const bool showModes = WillShow(modes);
  CCoord mw = showModes ? modes->getWidth() : 40;
  CCoord mh = showModes ? modes->getHeight() / 2 : 12;
  m_viewMode = new CModeSelector(CRect(781, 498, 781 + mw, 498 + mh), self, TAG_WT_VIEW_MODE, modes, 2, 0.f, false);
  modes->forget();
  m_viewMode->setValue(0.f);
  addView(m_viewMode);

  // The two views and the spectrum's scroll bar and zoom list; the panel
  // holds a reference to each so that they survive being swapped out.
  m_waveform = new CWaveformControl(CRect(340, 135, 895, 483), self, TAG_WT_WAVEFORM, m_commands);
  m_spectrum = new CSpectrumControl(CRect(340, 135, 895, 461), self, TAG_WT_SPECTRUM, m_commands);
  m_scrollBar = new CScrollBar(CRect(340, 467, 819, 483), m_spectrum, TAG_WT_SCROLL, false, nullptr, false);
  m_zoomList = new CListControl(CRect(823, 469, 894, 485), m_spectrum, TAG_WT_ZOOM, BUS_FONT_COLOUR, &slSpectrumZoom,
                                0.f, 0);

  for (unsigned int k = 0; k < EFFECT_COUNT; ++k) {
    const CCoord x = 117 + 53 * (k % 4), y = 135 + 60 * (k / 4);
    m_knobs[k] = new CModulatedKnob(CRect(x, y, x + 28, y + 28), self, nullptr, TAG_WT_EFFECT_KNOB + k, nullptr,
                                    nullptr, 7, 0.f);
    m_knobs[k]->SetFrameBitmap(new CBitmap("GuiWTEffectKnob.png"), 96);
    m_knobs[k]->setValue(0.f);
    addView(m_knobs[k]);
  }
  addView(Kick(170, 257, "GuiApplyButton.png", self, TAG_WT_APPLY));
  addView(Kick(216, 257, "GuiResetButton.png", self, TAG_WT_RESET_EFFECTS));
  addView(Kick(343, 498, "GuiSmoothButton.png", self, TAG_WT_SMOOTH));
  addView(Kick(387, 498, "GuiSharpButton.png", self, TAG_WT_SHARP));
  addView(Kick(426, 498, "GuiBalanceButton.png", self, TAG_WT_BALANCE));
  addView(Kick(627, 498, "GuiWTToolsMenu.png", self, TAG_WT_TOOLS));

  m_spectrum->SetScrollBar(m_scrollBar);
  m_zoomList->setValue(static_cast<float>(m_spectrum->GetZoomFactor()));
  // The panel opens on the waveform view.
  m_waveform->remember();
  addView(m_waveform);
  m_waveform->SetWaveTable(m_work);
  m_spectrum->SetWaveTable(m_work);
}

CControl* CWaveTableEditor::GetControl(long tag) const {
  CControl* found = CEditor::getViewControlByTag(const_cast<CWaveTableEditor*>(this), tag);
  if (found) return found;
  CControl* swapped[4] = {m_waveform, m_spectrum, m_scrollBar, m_zoomList};
  for (CControl* c : swapped) {
    if (c && c->getTag() == tag) return c;
  }
  return nullptr;
}

bool CWaveTableEditor::IsSpectrumShown() const { return isChild(m_spectrum); }

const char* CWaveTableEditor::GetTableName() const { return m_nameButton ? m_nameButton->getText() : ""; }

// ---------------------------------------------------------------------------
// The waves

void CWaveTableEditor::SetOscInstance(unsigned int osc) {
  m_osc = osc % OSC_COUNT;
  for (unsigned int k = 0; k < EFFECT_COUNT; ++k) {
    if (m_knobs[k]) {
      m_knobs[k]->setValue(m_amount[k][m_osc]);
      m_knobs[k]->setDirty(true);
    }
  }
  Update();
}

void CWaveTableEditor::Update() {
  COverlayPanel::Update();
  if (!m_commands) return;
  // The name: four words of raw bytes, up to the first zero, 16 at most.
  char name[16 + 1] = {0};
  for (unsigned int k = 0; k < 4; ++k) {
    const float word = m_commands->GetFloatParam(PARAM_WAVETABLE_NAME + 4 * m_osc + k);
    std::memcpy(name + 4 * k, &word, 4);
  }
  if (m_nameButton) m_nameButton->setText(name);

  // The engine's table, read into the work buffer for the comparison.
  const unsigned int first = PARAM_WAVETABLE + m_osc * N;
  for (unsigned int k = 0; k < N; ++k) m_work[k] = m_commands->GetFloatParam(first + k);
  if (!m_sentValid[m_osc] || std::memcmp(m_work, m_sent[m_osc], WAVE_BYTES) != 0) {
    // Changed from outside (or never sent): the engine's wave is the
    // committed table, and what the engine holds.
    std::memcpy(m_table[m_osc], m_work, WAVE_BYTES);
    std::memcpy(m_sent[m_osc], m_work, WAVE_BYTES);
    m_sentValid[m_osc] = true;
  }
  // The effects on the committed table; sent only when the engine does not
  // hold that wave already.
  std::memcpy(m_work, m_table[m_osc], WAVE_BYTES);
  for (unsigned int k = 0; k < EFFECT_COUNT; ++k) m_effects[k].Process(m_work, m_amount[k][m_osc]);
  _Send(m_work, false);
  _ShowWorkInViews();
  setDirty(true);
}

void CWaveTableEditor::RenderEffects() {
  std::memcpy(m_work, m_table[m_osc], WAVE_BYTES);
  for (unsigned int k = 0; k < EFFECT_COUNT; ++k) m_effects[k].Process(m_work, m_amount[k][m_osc]);
  _Send(m_work, true);
}

void CWaveTableEditor::CommitEffects() {
  std::memcpy(m_table[m_osc], m_work, WAVE_BYTES);
  _Send(m_table[m_osc], true);
}

void CWaveTableEditor::ResetEffects() {
  for (unsigned int k = 0; k < EFFECT_COUNT; ++k) {
    m_amount[k][m_osc] = 0.0f;
    if (m_knobs[k]) {
      m_knobs[k]->setValue(0.f);
      m_knobs[k]->setDirty(true);
    }
  }
}

void CWaveTableEditor::_Commit() {
  CommitEffects();
  ResetEffects();
}

void CWaveTableEditor::_Send(const float* wave, bool force) {
  float* sent = m_sent[m_osc];
  if (!force && m_sentValid[m_osc] && std::memcmp(sent, wave, WAVE_BYTES) == 0) return;
  if (sent != wave) std::memcpy(sent, wave, WAVE_BYTES);
  m_sentValid[m_osc] = true;
  // The engine copies the wave; the name stays.
  if (m_commands) m_commands->SetOscWaveTable(sent, nullptr, m_osc);
}

void CWaveTableEditor::_ShowWorkInViews() {
  if (m_waveform) m_waveform->SetWaveTable(m_work);
  if (m_spectrum) m_spectrum->SetWaveTable(m_work);
}

void CWaveTableEditor::_SetViewMode(bool spectrum) {
  CView* spectrumViews[3] = {m_spectrum, m_scrollBar, m_zoomList};
  if (spectrum) {
    if (isChild(m_waveform)) removeView(m_waveform, true);
    for (CView* v : spectrumViews) {
      if (!isChild(v)) {
        v->remember();
        addView(v);
      }
    }
    m_spectrum->SetWaveTable(m_work);
  } else {
    for (CView* v : spectrumViews) {
      if (isChild(v)) removeView(v, true);
    }
    if (!isChild(m_waveform)) {
      m_waveform->remember();
      addView(m_waveform);
    }
    m_waveform->SetWaveTable(m_work);
  }
  setDirty(true);
}

// ---------------------------------------------------------------------------
// Controls

void CWaveTableEditor::valueChanged(CControl* control) {
  if (!control) return;
  const long tag = control->getTag();
  const float value = control->getValue();
  if (tag < TAG_WT_CLOSE || tag > TAG_WT_VIEW_MODE) return;
  // Push buttons act once per click, on release.
  const bool released = value == 0.f;

  if (tag >= TAG_WT_EFFECT_KNOB && tag < TAG_WT_EFFECT_KNOB + static_cast<long>(EFFECT_COUNT)) {
    // The engine hears the effects at once; the committed table stays.
    m_amount[tag - TAG_WT_EFFECT_KNOB][m_osc] = value;
    RenderEffects();
    _ShowWorkInViews();
    return;
  }
  switch (tag) {
    case TAG_WT_CLOSE:
      if (!released) break;
      if (m_editor) {
        m_editor->CloseWaveTableEditor();  // commits first
      } else {
        _Commit();
      }
      break;
    case TAG_WT_WAVEFORM:
    case TAG_WT_SPECTRUM:
      _Commit();
      break;
    case TAG_WT_APPLY:
      if (released) _Commit();
      break;
    case TAG_WT_RESET_EFFECTS:
      if (!released) break;
      ResetEffects();
      RenderEffects();
      std::memcpy(m_table[m_osc], m_work, WAVE_BYTES);
      _ShowWorkInViews();
      break;
    case TAG_WT_SMOOTH:
      if (!released) break;
      if (IsSpectrumShown()) {
        m_spectrum->Smooth();
      } else {
        m_waveform->Smooth();
      }
      break;
    case TAG_WT_SHARP:
      if (!released) break;
      if (IsSpectrumShown()) {
        m_spectrum->Sharp();
      } else {
        m_waveform->Sharp();
      }
      break;
    case TAG_WT_BALANCE:
      if (!released) break;
      m_spectrum->Balance();
      m_waveform->SetWaveTable(m_work);
      break;
    case TAG_WT_TOOLS:
      if (released) _ToolsMenu(control);
      break;
    case TAG_WT_NAME:
      if (released && m_editor) m_editor->ShowPresetBrowser(BROWSER_CATEGORY_WAVETABLES);
      break;
    case TAG_WT_NEXT:
      if (released && m_editor) m_editor->SelectNextOscPreset(m_osc, true);
      break;
    case TAG_WT_PREV:
      if (released && m_editor) m_editor->SelectPrevOscPreset(m_osc, true);
      break;
    case TAG_WT_LOAD:
      if (released && m_editor) {
        m_editor->DoLoadPreset("", true, FileSpec::OscWaveTableDlgFilter, FileSpec::WaveTableExtension,
                               FileSpec::FolderOscWaveTables2.c_str());
      }
      break;
    case TAG_WT_SAVE:
      if (released && m_editor) m_editor->SaveWaveTablePreset(m_osc);
      break;
    case TAG_WT_RESET_TABLE:
      if (!released) break;
      ResetEffects();
      if (m_editor) m_editor->ResetOscWaveTable(m_osc);
      break;
    case TAG_WT_VIEW_MODE:
      _SetViewMode(value != 0.f);
      break;
    default:
      break;
  }
}

void CWaveTableEditor::_ToolsMenu(CControl* anchor) {
  if (!m_editor) return;
  const bool spectrum = m_viewMode && m_viewMode->getValue() > 0.f;
  COptionMenu* menu = new COptionMenu();
  menu->addEntry(ENTRY_NORMALIZE);
  if (spectrum) {
    menu->addSeparator();
    menu->addEntry(ENTRY_REMOVE_EVEN);
    menu->addEntry(ENTRY_REMOVE_ODD);
    menu->addEntry(ENTRY_ORGAN);
    menu->addSeparator();
    menu->addEntry(ENTRY_CLEAR);
    menu->addEntry(ENTRY_RESET_PHASE);
    menu->addEntry(ENTRY_RANDOMIZE_PHASE);
  } else {
    menu->addEntry(ENTRY_REMOVE_DC);
    menu->addEntry(ENTRY_INVERT);
    menu->addEntry(ENTRY_REVERSE);
    menu->addEntry(ENTRY_SHIFT_TO_ZERO);
    menu->addSeparator();
    menu->addEntry(ENTRY_CLEAR);
  }
  menu->addSeparator();
  menu->addEntry(ENTRY_COPY);
  menu->addEntry(ENTRY_PASTE, -1, m_clipboard ? CMenuItem::kNoFlags : CMenuItem::kDisabled);

  long menuTag = -1, index = -1;
  CMenuItem* chosen = m_editor->ShowPopupMenu(anchor, menu, menuTag, index);
  const std::string title = chosen ? chosen->getTitle() : "";
  menu->forget();
  if (title.empty()) return;

  if (title == ENTRY_NORMALIZE) {
    m_waveform->Normalize();
    m_spectrum->SetWaveTable(m_work);
  } else if (title == ENTRY_CLEAR) {
    m_waveform->Clear();
    m_spectrum->SetWaveTable(m_work);
  } else if (title == ENTRY_REMOVE_DC) {
    m_waveform->RemoveDC();
  } else if (title == ENTRY_INVERT) {
    m_waveform->Invert();
  } else if (title == ENTRY_REVERSE) {
    m_waveform->Reverse();
  } else if (title == ENTRY_SHIFT_TO_ZERO) {
    m_waveform->ShiftToZero();
  } else if (title == ENTRY_REMOVE_EVEN) {
    m_spectrum->RemoveEven();
  } else if (title == ENTRY_REMOVE_ODD) {
    m_spectrum->RemoveOdd();
  } else if (title == ENTRY_ORGAN) {
    m_spectrum->MakeOrgran();
  } else if (title == ENTRY_RESET_PHASE) {
    m_spectrum->ResetPhase();
  } else if (title == ENTRY_RANDOMIZE_PHASE) {
    m_spectrum->RandomizePhase();
  } else if (title == ENTRY_COPY) {
    if (!m_clipboard) m_clipboard = new float[N];
    std::memcpy(m_clipboard, m_work, WAVE_BYTES);
  } else if (title == ENTRY_PASTE && m_clipboard) {
    std::memcpy(m_work, m_clipboard, WAVE_BYTES);
    _ShowWorkInViews();
    _Commit();
  }
}
