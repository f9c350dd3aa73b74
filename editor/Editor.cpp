// The editor object: construction, the window's life cycle, the timer, the
// overlays, the control messages and the MIDI-learn forwarding.
#include "editor/Editor.h"

#include <cstring>

#include "editor/Artwork.h"
#include "editor/ControlPopupMenu.h"
#include "editor/EditorTags.h"
#include "editor/ListControl.h"
#include "editor/ModeSelector.h"
#include "editor/ModulatedKnob.h"
#include "editor/PopupMenu.h"
#include "editor/StringLists.h"
#include "editor/XYControl.h"
#include "editor/pages/MiniPresetBrowser.h"
#include "editor/pages/Overlays.h"
#include "editor/pages/Pages.h"
#include "editor/pages/PresetBrowser.h"
#include "editor/pages/Recorder.h"
#include "editor/pages/SampleEditor.h"
#include "editor/pages/WaveTableEditor.h"
#include "engine/FolderLayout.h"
#include "engine/ICommandHandler.h"
#include "engine/IGlobalSynth.h"
#include "engine/PresetFile.h"
#include "engine/Params.h"
#include "host/vst/VstSynth.h"
#include "platform/vst/AudioEffectX.h"
#include "platform/FileDialogs.h"

namespace {

const char* const OSC_BUTTON_BITMAPS[4] = {"GuiOscInvButton.png", "GuiOscFreeButton.png", "GuiOscSmpLoopButton.png",
                                           "GuiOscSmpGrainButton.png"};

// Builds an overlay over the editor rectangle with its background bitmap.
template <typename PANEL, typename... ARGS>
PANEL* MakeOverlay(const char* bitmapName, const CRect& size, ARGS... args) {
  CBitmap* background = new CBitmap(bitmapName);
  PANEL* panel = new PANEL(args..., size, nullptr, background);
  background->forget();
  return panel;
}

}  // namespace

CEditor::CEditor(AudioEffect* effect, ICommandHandler* commands, IGlobalSynth* synth)
    : AEffGUIEditor(effect),
      m_commands(commands),
      m_synth(synth),
      m_filePtr(new CPresetFile(synth)),
      m_file(*m_filePtr),
      m_postedValues(new std::atomic<float>[MIRRORED_PARAM_COUNT]),
      m_postedFlags(new std::atomic<uint32_t>[MIRRORED_WORDS]) {
  frame = nullptr;
  for (unsigned int k = 0; k < MIRRORED_PARAM_COUNT; ++k) m_postedValues[k].store(0.f);
  for (unsigned int k = 0; k < MIRRORED_WORDS; ++k) m_postedFlags[k].store(0);
  for (unsigned int& s : m_selectors) s = 0;
  m_selectors[1] = 3;
  _clearControlReferences();
  for (CBitmap*& b : m_oscButtonBitmaps) b = nullptr;
  m_controlsBuilt = 0;

  InitFonts();
  RegisterEditorArtwork();

  // A default MIDI CC map becomes active; the file object then returns to
  // the factory preset.
  m_file.Reset(commands, true);
  std::string mapPath = synth ? synth->GetDefaultMidiMapPath() : std::string();
  if (!mapPath.empty() && m_file.LoadFromFile(commands, mapPath.c_str(), nullptr, nullptr) &&
      m_file.GetKind() == PRESET_KIND_CC_MAP && commands) {
    commands->LoadPreset(m_file.GetBuffer(), m_file.GetVersion(), PRESET_KIND_CC_MAP, 0);
  }
  m_file.Reset(commands, true);

  m_knobs.assign(MODULATABLE_PARAM_COUNT, nullptr);
  for (unsigned int k = 0; k < 4; ++k) m_oscButtonBitmaps[k] = new CBitmap(OSC_BUTTON_BITMAPS[k]);

  m_presetFolder = FileSpec::FolderPresets;
  m_categoryFolders.assign(BROWSER_CATEGORY_COUNT, std::string());
  m_categoryFiles.assign(BROWSER_CATEGORY_COUNT, std::string());

  if (effect) {
    rect.top = 0;
    rect.left = 0;
    rect.bottom = EDITOR_HEIGHT;
    rect.right = EDITOR_WIDTH;
    InitStringLists();
    CRect size(0, 0, EDITOR_WIDTH, EDITOR_HEIGHT);
    m_presetBrowser = MakeOverlay<CPresetBrowser>("GuiPresetBrowser.png", size, this, commands);
    m_waveTableEditor = MakeOverlay<CWaveTableEditor>("GuiWaveTableEditor.png", size, this, commands);
    m_recorder = MakeOverlay<CRecorder>("GuiRecorder.png", size, this, commands, synth);
    m_sampleEditor = MakeOverlay<CSampleEditor>("GuiSampleEditor.png", size, this, commands);
    // What the overlays' close controls and keys do.
    m_presetBrowser->SetCloseHandler([this] { ClosePresetBrowser(false); });
    m_waveTableEditor->SetCloseHandler([this] { CloseWaveTableEditor(); });
    m_recorder->SetCloseHandler([this] { CloseRecorder(); });
    m_sampleEditor->SetCloseHandler([this] { CloseSampleEditor(); });
    DoLoadPreset(PRESET_LOAD_FROM_DEFAULT_PRESET, true, FileSpec::PresetDlgFilter, nullptr);
    effect->setEditor(this);
  }
}

CEditor::~CEditor() {
  if (m_timer || m_fxView || m_modView || m_arpView || frame) close();
  if (m_timer) {
    m_timer->stop();
    m_timer->forget();
    m_timer = nullptr;
  }
  delete m_msegCopy.points;
  m_msegCopy.points = nullptr;
  delete m_contextMenu;
  CViewContainer* overlays[4] = {m_presetBrowser, m_waveTableEditor, m_sampleEditor, m_recorder};
  for (CViewContainer* overlay : overlays) {
    if (overlay) overlay->forget();
  }
  for (CBitmap* b : m_oscButtonBitmaps) {
    if (b) b->forget();
  }
}

void CEditor::_clearControlReferences() {
  for (CModulatedKnob*& k : m_modLinks) k = nullptr;
  for (CModulatedKnob*& k : m_knobs) k = nullptr;
  m_unisonKnobs[0] = m_unisonKnobs[1] = nullptr;
  for (unsigned int r = 0; r < MATRIX_ROWS; ++r) {
    m_rowTargets[r] = nullptr;
    m_rowSources[r] = nullptr;
    m_rowAmounts[r] = nullptr;
  }
  for (OSC_CONTROLS& o : m_osc) std::memset(&o, 0, sizeof(o));
  m_morphPad = nullptr;
  m_miniBrowser = nullptr;
  m_fxView = nullptr;
  m_modView = nullptr;
  m_arpView = nullptr;
  m_pendingPad = -1;
}

bool CEditor::getRect(ERect** out) {
  if (!out) return false;
  *out = &rect;
  return true;
}

bool CEditor::open(void* parentWindow) {
  CAutoLock lock(m_lock);
  if (frame || m_timer || m_fxView || m_modView || m_arpView) close();
  AEffGUIEditor::open(parentWindow);
  // This thread runs the window from now on. The controls are built from
  // the engine's values: what other threads recorded before is stale.
  m_editorThread.store(std::this_thread::get_id());
  _dropPostedValues();
  _applyPendingRestore();

  m_controlsBuilt = 0;
  _clearControlReferences();
  if (frame) {
    frame->forget();
    frame = nullptr;
  }

  frame = new CFrame(CRect(0, 0, EDITOR_WIDTH, EDITOR_HEIGHT), parentWindow, this);
  CBitmap* background = new CBitmap("GuiBackground.png");
  frame->setBackground(background);
  background->forget();
  frame->setMouseObserver(this);

  createControls();

  if (CControl* page = getControlByTag(TAG_VIEW_PAGE)) m_viewPage = static_cast<long>(page->getValue());
  if (CControl* page = getControlByTag(TAG_MODMTX_PAGE)) m_modMatrixPage = static_cast<long>(page->getValue());

  m_timer = new CVSTGUITimer(this, 50, frame);
  m_timer->start();
  return true;
}

void CEditor::close() {
  CAutoLock lock(m_lock);
  m_editorThread.store(std::thread::id());
  if (m_timer) {
    m_timer->stop();
    m_timer->forget();
    m_timer = nullptr;
  }
  m_controlsBuilt = 0;
  _clearControlReferences();

  ClosePresetBrowser(true);
  _detach(m_waveTableEditor);
  _detach(m_recorder);
  if (m_commands) {
    m_commands->DisarmRecording();
    m_commands->StopRecording();
  }
  _detach(m_sampleEditor);

  if (frame) {
    frame->forget();
    frame = nullptr;
  }
  AEffGUIEditor::close();
}

void CEditor::_attach(CView* view) {
  if (!frame || !view) return;
  view->remember();  // the frame's reference; the editor keeps its own
  frame->addView(view);
}

void CEditor::_detach(CView* view) {
  if (!frame || !view) return;
  if (frame->isChild(view)) frame->removeView(view, true);
}

bool CEditor::_isAttached(CView* view) const { return frame && view && frame->isChild(view); }

void CEditor::idle() {
  _applyChanges();
  AEffGUIEditor::idle();
}

void CEditor::_applyChanges() {
  // Only the changes are applied under the editor lock: the drawing (and a
  // modal menu it may show) runs without it.
  CAutoLock lock(m_lock);
  if (!frame) return;
  m_editorThread.store(std::this_thread::get_id());
  _applyPendingRestore();
  _applyPostedValues();
}

CMessageResult CEditor::notify(CBaseObject* sender, const char* message) {
  if (!message || std::strcmp(message, CVSTGUITimer::kMsgTimer) != 0) return kMessageUnknown;
  if (!frame || !m_controlsBuilt) return kMessageNotified;
  // The timer ticks on the editor's thread: changes recorded since the
  // idle that runs it are applied too.
  _applyChanges();
  _refreshStaleBrowser();
  if (_isAttached(m_recorder)) m_recorder->Update();
  if (m_miniBrowser) m_miniBrowser->Update();
  if (m_pendingPad >= 0 && m_pendingPad < static_cast<long>(OSC_COUNT) && m_commands) {
    OSC_CONTROLS& o = m_osc[m_pendingPad];
    if (o.xKnob) o.xKnob->setValue(m_commands->GetFloatParam(4 + static_cast<unsigned int>(m_pendingPad)));
    if (o.yKnob) o.yKnob->setValue(m_commands->GetFloatParam(8 + static_cast<unsigned int>(m_pendingPad)));
    m_pendingPad = -1;
  }
  // Data folders that could not be made are told once, in the window.
  const std::string layoutProblem = FileSpec::TakeLayoutProblem();
  if (!layoutProblem.empty()) ShowMessage(layoutProblem);
  return kMessageNotified;
}

void CEditor::updateAll() {
  if (!m_fxView || !m_modView || !m_arpView) return;
  ++m_updateAllCount;
  // Every control is reread from the engine: values recorded before now
  // by other threads are older than that.
  _dropPostedValues();
  updateMainView();
  m_fxView->updateAll();
  m_modView->updateAll();
  m_arpView->updateAll();
  RebuildModMatrixCache();
  if (frame) frame->invalid();
}

void CEditor::UpdateParamValue(unsigned int id, float value) {
  if (!_onEditorThread()) {
    _postParamValue(id, value);
    return;
  }
  CAutoLock lock(m_lock);
  _dropPostedValue(id);
  _applyParamValue(id, value);
}

void CEditor::_applyParamValue(unsigned int id, float value) {
  if (!m_fxView) return;
  ++m_updateCount;
  m_lastUpdatedId = id;
  m_lastUpdatedValue = value;

  CXYControl* pad = nullptr;
  bool isX = false;
  if (id >= 4 && id <= 7) {
    pad = m_osc[id - 4].pad;
    isX = true;
  } else if (id >= 8 && id <= 11) {
    pad = m_osc[id - 8].pad;
  } else if (id == 1577) {
    pad = m_morphPad;
    isX = true;
  } else if (id == 1578) {
    pad = m_morphPad;
  }
  if (pad) {
    float old = isX ? pad->GetX() : pad->GetY();
    if (isX) pad->SetX(value);
    else pad->SetY(value);
    if (old != value) pad->setDirty(true);
  }

  if (CControl* control = getControlByParam(id)) {
    control->setValue(value);
    control->setDirty(true);
  }
}

// Lock-free and without allocation: the render thread records here. The
// value is stored before its flag is raised (release), and the editor's
// thread reads it after taking the flag (acquire); a value that changes
// again in between is simply applied at the next idle too.
void CEditor::_postParamValue(unsigned int id, float value) {
  if (id >= MIRRORED_PARAM_COUNT) return;
  m_postedValues[id].store(value, std::memory_order_relaxed);
  m_postedFlags[id / 32].fetch_or(1u << (id % 32), std::memory_order_release);
}

void CEditor::_dropPostedValue(unsigned int id) {
  if (id < MIRRORED_PARAM_COUNT) m_postedFlags[id / 32].fetch_and(~(1u << (id % 32)), std::memory_order_relaxed);
}

void CEditor::_dropPostedValues() {
  for (unsigned int w = 0; w < MIRRORED_WORDS; ++w) m_postedFlags[w].store(0, std::memory_order_relaxed);
}

void CEditor::_applyPostedValues() {
  for (unsigned int w = 0; w < MIRRORED_WORDS; ++w) {
    if (m_postedFlags[w].load(std::memory_order_relaxed) == 0) continue;
    uint32_t flags = m_postedFlags[w].exchange(0, std::memory_order_acquire);
    while (flags) {
      const unsigned int bit = static_cast<unsigned int>(__builtin_ctz(flags));
      flags &= flags - 1;
      const unsigned int id = w * 32 + bit;
      _applyParamValue(id, m_postedValues[id].load(std::memory_order_relaxed));
    }
  }
}

void CEditor::RestoreFromHost(const std::string& author, const std::string& name, const std::string& path) {
  CAutoLock lock(m_lock);
  if (frame && !_onEditorThread()) {
    // The window runs on another thread: its next idle rereads everything.
    std::lock_guard<std::mutex> guard(m_restoreLock);
    m_restorePending = true;
    m_restoredAuthor = author;
    m_restoredName = name;
    m_restoredPath = path;
    return;
  }
  // The editor's own thread, or no window (open waits for the editor lock).
  {
    std::lock_guard<std::mutex> guard(m_restoreLock);
    m_restorePending = false;
  }
  _applyRestoredTexts(author, name, path);
  updateAll();
}

void CEditor::_applyRestoredTexts(const std::string& author, const std::string& name, const std::string& path) {
  {
    std::lock_guard<std::mutex> guard(m_restoreLock);
    m_file.SetAuthor(author);
    m_file.SetName(name);
    m_file.SetPath(path);
  }
  _selectBrowserPath(path);
}

void CEditor::_applyPendingRestore() {
  std::string author, name, path;
  {
    std::lock_guard<std::mutex> guard(m_restoreLock);
    if (!m_restorePending) return;
    author = m_restoredAuthor;
    name = m_restoredName;
    path = m_restoredPath;
  }
  _applyRestoredTexts(author, name, path);
  {
    // The flag falls only once the texts are in the file object, so the
    // host's thread reads either the recorded texts or the applied ones.
    std::lock_guard<std::mutex> guard(m_restoreLock);
    m_restorePending = false;
  }
  updateAll();
}

bool CEditor::IsRestorePending() const {
  std::lock_guard<std::mutex> guard(m_restoreLock);
  return m_restorePending;
}

void CEditor::GetPresetTexts(std::string& author, std::string& name, std::string& path) const {
  std::lock_guard<std::mutex> guard(m_restoreLock);
  if (m_restorePending) {
    author = m_restoredAuthor;
    name = m_restoredName;
    path = m_restoredPath;
    return;
  }
  author = m_file.GetAuthor();
  name = m_file.GetName();
  path = m_file.GetPath();
}

std::string CEditor::GetPresetAuthor() const { return m_file.GetAuthor(); }
std::string CEditor::GetPresetName() const { return m_file.GetName(); }
std::string CEditor::GetPresetPath() const { return m_file.GetPath(); }

void CEditor::SetPresetAuthor(std::string author) { m_file.SetAuthor(author); }

void CEditor::SetPresetName(std::string name) { m_file.SetName(name); }

CControl* CEditor::getViewControlByTag(CViewContainer* container, long tag) {
  if (!container) return nullptr;
  for (long i = 0; i < container->getNbViews(); ++i) {
    CView* view = container->getView(i);
    if (view && view->isTypeOf("CControl")) {
      CControl* control = static_cast<CControl*>(view);
      if (control->getTag() == tag) return control;
    }
  }
  return nullptr;
}

CControl* CEditor::getControlByTag(long tag) { return getViewControlByTag(frame, tag); }

void CEditor::onMouseExited(CView* view, CFrame* exitedFrame) {
  if (m_miniBrowser) m_miniBrowser->LatchControlTag(-1);
}

// ---------------------------------------------------------------------------
// Overlays

void CEditor::ShowWaveTableEditor(unsigned int osc) {
  if (osc >= OSC_COUNT || !m_waveTableEditor) return;
  _detach(m_waveTableEditor);
  if (m_commands) m_commands->SetIntParam(430 + osc, 55);
  m_waveTableEditor->SetOscInstance(osc);
  m_categoryInstance = osc;
  _attach(m_waveTableEditor);
  updateMainView();
}

void CEditor::ShowSampleEditor(unsigned int osc) {
  if (osc >= OSC_COUNT || !m_sampleEditor) return;
  _detach(m_sampleEditor);
  if (m_commands) m_commands->SetIntParam(430 + osc, 56);
  m_sampleEditor->SetOscInstance(osc);
  m_categoryInstance = osc;
  _attach(m_sampleEditor);
  updateMainView();
}

void CEditor::ShowRecorder() {
  _detach(m_recorder);
  _attach(m_recorder);
  updateMainView();
  if (m_commands) m_commands->ArmRecording();
}

void CEditor::CloseWaveTableEditor() {
  // Closing keeps the wave as heard: the effects are committed first.
  if (m_waveTableEditor && _isAttached(m_waveTableEditor)) m_waveTableEditor->CommitOnClose();
  _detach(m_waveTableEditor);
}

void CEditor::CloseSampleEditor() { _detach(m_sampleEditor); }

void CEditor::CloseRecorder() {
  _detach(m_recorder);
  if (m_commands) {
    m_commands->DisarmRecording();
    m_commands->StopRecording();
  }
}

// ---------------------------------------------------------------------------
// Control messages

void CEditor::LatchControlTag(long tag) {
  if (IsXYPadTag(tag)) return;
  if (m_miniBrowser) m_miniBrowser->LatchControlTag(tag);
}

void CEditor::OnControlMessage(CControl* control, unsigned int message, float value) {
  if (!control) return;
  long tag = control->getTag();
  switch (message) {
    case CONTROL_MSG_REGISTER:
      if (tag >= 0 && tag <= 360 && control->isTypeOf("CModulatedKnob")) {
        m_knobs[static_cast<size_t>(tag)] = static_cast<CModulatedKnob*>(control);
      }
      break;
    case CONTROL_MSG_POPUP: {
      // Built at its first use, on the user-interface thread.
      if (!m_contextMenu) m_contextMenu = new CControlPopupMenu(m_commands, this);
      if (IsXYPadTag(tag)) {
        m_contextMenu->PerformForXY(control, tag);
      } else {
        long id = TagToSynthParam(tag);
        if (id != -1) m_contextMenu->Perform(control, static_cast<unsigned int>(id));
      }
      break;
    }
    case CONTROL_MSG_MOD_AMOUNT:
      _modulationAmount(control);
      break;
    case CONTROL_MSG_HOVER:
      LatchControlTag(tag);
      break;
    default:
      break;
  }
}

void CEditor::_modulationAmount(CControl* control) {
  if (!control->isTypeOf("CModulatedKnob") || !m_commands) return;
  CModulatedKnob* knob = static_cast<CModulatedKnob*>(control);
  float a = knob->getModValue() + 1.f;
  long id = TagToSynthParam(knob->getTag());
  if (id < 0) return;
  int target = Params::ParamIdToModTarget(static_cast<unsigned int>(id));
  if (target <= 0) return;
  long n = static_cast<long>(knob->getModIndex());
  long found = -1;
  for (unsigned int s = 0; s < MOD_SLOTS; ++s) {
    if (static_cast<int>(m_commands->GetIntParam(392 + s)) != target || m_commands->GetIntParam(362 + s) == 0) continue;
    found = s;
    if (--n < 0) break;
  }
  if (found < 0) return;
  unsigned int depthId = 331 + static_cast<unsigned int>(found);
  m_commands->SetFloatParam(depthId, a / 2.f);
  UpdateParamValue(depthId, a / 2.f);
}

// ---------------------------------------------------------------------------
// MIDI learn, forwarded to the instrument object

void CEditor::StartMidiLearn(unsigned int id) {
  if (CVstSynth* synth = dynamic_cast<CVstSynth*>(effect)) synth->StartMidiLearn(id);
}

void CEditor::StopMidiLearn() {
  if (CVstSynth* synth = dynamic_cast<CVstSynth*>(effect)) synth->StopMidiLearn();
}

bool CEditor::IsMidiLearnActive() {
  CVstSynth* synth = dynamic_cast<CVstSynth*>(effect);
  return synth ? synth->IsMidiLearnActive() : false;
}

int CEditor::GetAssignedMidiCC(unsigned int id) {
  CVstSynth* synth = dynamic_cast<CVstSynth*>(effect);
  return synth ? synth->GetAssignedMidiCC(id) : -1;
}

void CEditor::ClearAssignedMidiCC(unsigned int id) {
  if (CVstSynth* synth = dynamic_cast<CVstSynth*>(effect)) synth->ClearAssignedMidiCC(id);
}

AudioEffectX* CEditor::_effectX() const { return dynamic_cast<AudioEffectX*>(effect); }
