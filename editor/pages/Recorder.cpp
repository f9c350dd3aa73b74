#include "editor/pages/Recorder.h"

#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "editor/Editor.h"
#include "editor/pages/SampleArtwork.h"
#include "editor/pages/SampleView.h"
#include "engine/FileUtils.h"
#include "engine/FolderLayout.h"
#include "engine/ICommandHandler.h"
#include "engine/IGlobalSynth.h"
#include "engine/SampleRecorder.h"
#include "osc/WaveLib.h"
#include "platform/vst/AudioEffect.h"
#include "platform/FileDialogs.h"

namespace {

const unsigned int PATH_SIZE = 2048;

const char* const SAVE_AS = "Save As...";
const char* const INSERT[4] = {"Insert to OSC 1", "Insert to OSC 2", "Insert to OSC 3", "Insert to OSC 4"};
const char* const CROP = "Crop silence";
const char* const TRIM = "Trim";
const char* const REVERSE = "Reverse";
const char* const CLEAR = "Clear";
const char* const RECORD_ON_MIDI = "Start recording on MIDI input";

// The last save's folder and name, shared by every instance of the process.
std::mutex g_saveLock;
std::string g_saveFolder;
std::string g_saveName;

// A button as large as one of the two images stacked in its bitmap.
CRect ButtonAt(CCoord x, CCoord y, CBitmap* bitmap) {
  return CRect(x, y, x + bitmap->getWidth(), y + bitmap->getHeight() / 2);
}

}  // namespace

std::string CRecorder::GetDefaultSaveFolder() {
  std::lock_guard<std::mutex> guard(g_saveLock);
  return g_saveFolder;
}

std::string CRecorder::GetDefaultSaveName() {
  std::lock_guard<std::mutex> guard(g_saveLock);
  return g_saveName;
}

CRecorder::CRecorder(CEditor* editor, ICommandHandler* commands, IGlobalSynth* synth, const CRect& size,
                     CFrame* frame, CBitmap* background)
    : COverlayPanel(size, frame, background), m_editor(editor), m_commands(commands), m_synth(synth) {
  RegisterSampleArtwork();

  CBitmap* close = new CBitmap("GuiPBCloseButton.png");
  addView(new CKickButton(ButtonAt(883, 94, close), this, TAG_CLOSE, close));
  close->forget();

  CBitmap* tools = new CBitmap("GuiWTToolsMenu.png");
  addView(new CKickButton(ButtonAt(880, 505, tools), this, TAG_TOOLS, tools));
  tools->forget();

  CBitmap* play = new CBitmap("GuiPlayStopSwitch.png");
  m_playSwitch = new COnOffButton(ButtonAt(540, 504, play), this, TAG_PLAY, play, COnOffButton::kPreListenerUpdate);
  addView(m_playSwitch);
  play->forget();

  CBitmap* record = new CBitmap("GuiRecordStopSwitch.png");
  m_recordSwitch =
      new COnOffButton(ButtonAt(445, 504, record), this, TAG_RECORD, record, COnOffButton::kPostListenerUpdate);
  addView(m_recordSwitch);
  record->forget();

  m_sampleView = new CSampleView(CRect(108, 145, 889, 474), this);
  addView(m_sampleView);

  if (m_commands) m_commands->SetRecSampleLoop(0.f, 1.f);
}

CRecorder::~CRecorder() = default;

bool CRecorder::isTypeOf(const char* type) const {
  return (type && std::strcmp(type, "CRecorder") == 0) || COverlayPanel::isTypeOf(type);
}

void CRecorder::UpdateSampleView() {
  m_take.Refresh(m_commands);
  m_sampleView->SetSource(m_take.GetLeft(), m_take.GetRight(), m_take.GetLength());
}

void CRecorder::_wholeTakeLoop() {
  if (m_commands) m_commands->SetRecSampleLoop(0.f, 1.f);
  const unsigned int n = m_take.GetLength();
  m_sampleView->SetLoop(0, n > 0 ? n - 1 : 0);
}

void CRecorder::Update() {
  COverlayPanel::Update();
  if (!m_commands) return;
  const bool recording = m_commands->IsRecordingActive();
  m_recordSwitch->setValue(recording ? 1.f : 0.f);
  m_playSwitch->setValue(m_commands->IsPlaybackActive() ? 1.f : 0.f);
  if (recording) {
    UpdateSampleView();
  } else if (m_wasRecording) {
    // The recording ended without the switch (a full buffer): show the
    // whole new take, as switching off would.
    UpdateSampleView();
    _wholeTakeLoop();
  }
  m_wasRecording = recording;
  m_sampleView->EnableLoop(!recording);
  m_recordSwitch->setDirty(true);
  m_playSwitch->setDirty(true);
  m_sampleView->setDirty(true);
}

void CRecorder::valueChanged(CControl* control) {
  if (!control) return;
  const float value = control->getValue();
  switch (control->getTag()) {
    case TAG_CLOSE:
      if (value == 0.f && m_editor) m_editor->CloseRecorder();
      return;
    case TAG_TOOLS:
      if (value == 0.f) _showToolsMenu(control);
      return;
    case TAG_RECORD:
      if (!m_commands) return;
      if (value == 1.f) {
        m_take.Refresh(m_commands);
        _wholeTakeLoop();
        m_commands->StartRecording();
        m_wasRecording = true;
      } else {
        m_commands->StopRecording();
        UpdateSampleView();
        _wholeTakeLoop();
        m_wasRecording = false;
      }
      return;
    case TAG_PLAY:
      if (!m_commands) return;
      m_commands->StopRecording();
      if (value == 1.f)
        m_commands->StartPlayback();
      else
        m_commands->StopPlayback();
      return;
    default:
      break;
  }
  if (control == m_sampleView && m_commands) {
    const unsigned int n = m_take.GetLength();
    m_commands->SetRecSampleLoop(CSampleRecorder::FractionOf(m_sampleView->GetLoopStart(), n),
                                 CSampleRecorder::FractionOf(m_sampleView->GetLoopEnd(), n));
  }
}

void CRecorder::_showToolsMenu(CControl* anchor) {
  if (!m_editor || !m_commands) return;
  // The take as it stands now is what the entries act on; "Save As..."
  // writes this very copy even if a note starts a new recording meanwhile.
  const bool recording = m_commands->IsRecordingActive();
  if (!recording) UpdateSampleView();
  const bool editable = m_take.GetLength() > 0 && !recording;
  const long itemFlags = editable ? CMenuItem::kNoFlags : CMenuItem::kDisabled;

  COptionMenu* menu = new COptionMenu(CRect(0, 0, 0, 0), nullptr, -1, nullptr, nullptr, 1025);
  menu->addEntry(SAVE_AS, -1, itemFlags);
  menu->addSeparator();
  for (const char* entry : INSERT) menu->addEntry(entry, -1, itemFlags);
  menu->addSeparator();
  menu->addEntry(CROP, -1, itemFlags);
  menu->addEntry(TRIM, -1, itemFlags);
  menu->addEntry(REVERSE, -1, itemFlags);
  menu->addEntry(CLEAR, -1, itemFlags);
  menu->addSeparator();
  const bool onMidi = m_synth && m_synth->GetRecordOnMidiInputFlag();
  menu->addEntry(RECORD_ON_MIDI, -1, onMidi ? CMenuItem::kChecked : CMenuItem::kNoFlags);

  long tag = -1, index = -1;
  CMenuItem* chosen = m_editor->ShowPopupMenu(anchor, menu, tag, index);
  std::string title = chosen ? chosen->getTitle() : "";
  menu->forget();
  if (title.empty()) return;

  if (title == RECORD_ON_MIDI) {
    // Each choice flips the setting.
    if (m_synth) m_synth->SetRecordOnMidiInputFlag(!onMidi);
    return;
  }
  if (!editable) return;
  if (title == SAVE_AS) {
    _saveAs();
    return;
  }
  for (unsigned int osc = 0; osc < 4; ++osc) {
    if (title == INSERT[osc]) {
      m_commands->InsertRecordedSampleToOsc(osc);
      m_editor->CloseRecorder();
      m_editor->updateAll();
      return;
    }
  }
  if (title == CROP || title == TRIM) {
    if (title == CROP)
      m_commands->CropRecordedSample();
    else
      m_commands->TrimRecordedSample();
    UpdateSampleView();
    _wholeTakeLoop();
  } else if (title == REVERSE) {
    m_commands->ReverseRecordedSample();
    UpdateSampleView();
  } else if (title == CLEAR) {
    m_commands->DeleteRecordedSample();
    UpdateSampleView();
  }
}

void CRecorder::_saveAs() {
  // The frames as shown when the entry was chosen: the dialog is modal but
  // the editor's timer may go on refreshing the panel's copy meanwhile.
  const unsigned int frames = m_take.GetLength();
  if (frames == 0) return;
  std::vector<float> left, right;
  try {
    left.assign(m_take.GetLeft(), m_take.GetLeft() + frames);
    right.assign(m_take.GetRight(), m_take.GetRight() + frames);
  } catch (const std::bad_alloc&) {
    return;  // nothing is written; the take stays as it is
  }
  std::string folder, name;
  {
    std::lock_guard<std::mutex> guard(g_saveLock);
    if (g_saveFolder.empty()) g_saveFolder = FileSpec::FolderSample;
    if (g_saveName.empty()) g_saveName = "Recording";
    folder = g_saveFolder;
    name = g_saveName;
  }
  char path[PATH_SIZE] = {0};
  if (!FileUtils::ShowSaveFileDialog(path, folder.c_str(), PATH_SIZE, FileSpec::SampleDlgFilter,
                                     FileSpec::SampleExtension, name.c_str()))
    return;
  AudioEffect* effect = m_editor ? m_editor->getEffect() : nullptr;
  const float rate = effect ? effect->getSampleRate() : 44100.f;
  float* channels[2] = {left.data(), right.data()};
  std::string error;
  if (!WaveLib::saveToFile(path, channels, 2, rate, frames, &error)) {
    ShowMessage("Not saved. " + error);
    return;
  }
  std::lock_guard<std::mutex> guard(g_saveLock);
  g_saveFolder = FileUtils::ExtractDirPath(path);
  g_saveName = FileUtils::ExtractFileName(path);
}
