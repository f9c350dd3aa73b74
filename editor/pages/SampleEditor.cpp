#include "editor/pages/SampleEditor.h"

#include <cstring>
#include <mutex>

#include "editor/Editor.h"
#include "editor/ListControl.h"
#include "editor/ModeSelector.h"
#include "editor/StringLists.h"
#include "editor/pages/SampleArtwork.h"
#include "editor/pages/SampleView.h"
#include "engine/FileUtils.h"
#include "engine/FolderLayout.h"
#include "engine/ICommandHandler.h"
#include "osc/WaveLib.h"
#include "platform/FileDialogs.h"

namespace {

const unsigned int PATH_SIZE = 2048;
const unsigned int OSC_COUNT = 4;
// The category of the preset browser that lists samples.
const unsigned int SAMPLE_CATEGORY = 19;

std::mutex g_folderLock;
std::string g_saveFolder;

CRect ButtonAt(CCoord x, CCoord y, CBitmap* bitmap) {
  return CRect(x, y, x + bitmap->getWidth(), y + bitmap->getHeight() / 2);
}

void AddKick(CViewContainer* panel, CControlListener* listener, const char* bitmapName, CCoord x, CCoord y,
             long tag) {
  CBitmap* bitmap = new CBitmap(bitmapName);
  panel->addView(new CKickButton(ButtonAt(x, y, bitmap), listener, tag, bitmap));
  bitmap->forget();
}

}  // namespace

std::string CSampleEditor::GetDefaultSaveFolder() {
  std::lock_guard<std::mutex> guard(g_folderLock);
  return g_saveFolder;
}

CSampleEditor::CSampleEditor(CEditor* editor, ICommandHandler* commands, const CRect& size, CFrame* frame,
                             CBitmap* background)
    : COverlayPanel(size, frame, background), m_editor(editor), m_commands(commands) {
  RegisterSampleArtwork();
  AddKick(this, this, "GuiPBCloseButton.png", 883, 94, TAG_CLOSE);
  AddKick(this, this, "GuiLoadButton.png", 477, 98, TAG_LOAD);
  AddKick(this, this, "GuiSaveButton.png", 509, 98, TAG_SAVE);
  AddKick(this, this, "GuiOscPrevButton.png", 342, 99, TAG_PREV);
  AddKick(this, this, "GuiOscNextButton.png", 459, 99, TAG_NEXT);

  m_nameButton = new CTextButton(CRect(358, 99, 458, 110), this, TAG_NAME, "Default Sample");
  addView(m_nameButton);

  m_sampleView = new CSampleView(CRect(108, 145, 889, 474), this);
  addView(m_sampleView);

  const CColor busFontColor(255, 255, 255, 255);
  m_rootNote = new CListControl(CRect(183, 508, 212, 523), this, TAG_ROOT_NOTE, busFontColor, &slRootKetNote, 0.f, 0);
  addView(m_rootNote);
  m_rootOctave =
      new CListControl(CRect(218, 508, 247, 523), this, TAG_ROOT_OCTAVE, busFontColor, &slRootKetOctave, 5.f, 0);
  m_rootOctave->setValue(5.f);
  addView(m_rootOctave);
}

bool CSampleEditor::isTypeOf(const char* type) const {
  return (type && std::strcmp(type, "CSampleEditor") == 0) || COverlayPanel::isTypeOf(type);
}

void CSampleEditor::SetOscInstance(unsigned int osc) {
  m_osc = osc < OSC_COUNT ? osc : 0;
  m_sampleView->EnableLoop(true);
  Update();
}

void CSampleEditor::Update() {
  COverlayPanel::Update();
  if (!m_commands) return;
  float* left = nullptr;
  float* right = nullptr;
  unsigned int frames = 0;
  m_commands->GetSample(m_osc, &left, &right, frames, nullptr);
  m_sampleView->SetSource(left, right, left && right ? static_cast<long>(frames) : 0);

  const char* path = m_commands->GetLoadedSamplePath(m_osc);
  const std::string name = FileUtils::ExtractFileName(path ? path : "");
  m_nameButton->setText(name.empty() ? "Default Sample" : name.c_str());
  invalid();

  const unsigned int pitch = m_commands->GetSampleRootPitch(m_osc);
  m_rootNote->setValue(static_cast<float>(pitch % 12));
  m_rootOctave->setValue(static_cast<float>(pitch / 12));
  m_rootNote->clipValue();
  m_rootOctave->clipValue();

  m_sampleView->SetLoop(m_commands->GetSampleLoopStart(m_osc), m_commands->GetSampleLoopEnd(m_osc));
}

void CSampleEditor::valueChanged(CControl* control) {
  if (!control) return;
  const bool released = control->getValue() == 0.f;
  switch (control->getTag()) {
    case TAG_CLOSE:
      if (released && m_editor) m_editor->CloseSampleEditor();
      return;
    case TAG_LOAD:
      if (released && m_commands) {
        char path[PATH_SIZE] = {0};
        std::string folder = GetDefaultSaveFolder();
        if (folder.empty()) folder = FileSpec::FolderSample;
        if (FileUtils::ShowLoadFileDialog(path, PATH_SIZE, FileSpec::SampleDlgFilter, FileSpec::SampleExtension,
                                          folder.c_str())) {
          m_commands->LoadSample(path, m_osc);
          if (m_editor) m_editor->updateAll();
          Update();
        }
      }
      return;
    case TAG_SAVE:
      if (released) _save();
      return;
    case TAG_PREV:
      if (released && m_editor) m_editor->SelectPrevOscSample(m_osc);
      return;
    case TAG_NEXT:
      if (released && m_editor) m_editor->SelectNextOscSample(m_osc);
      return;
    case TAG_NAME:
      if (released && m_editor) m_editor->ShowPresetBrowser(SAMPLE_CATEGORY);
      return;
    case TAG_ROOT_NOTE:
    case TAG_ROOT_OCTAVE: {
      if (!m_commands) return;
      m_rootNote->clipValue();
      m_rootOctave->clipValue();
      const unsigned int note = static_cast<unsigned int>(m_rootNote->getValue());
      const unsigned int octave = static_cast<unsigned int>(m_rootOctave->getValue());
      m_commands->SetSampleRootPitch(m_osc, octave * 12 + note);
      return;
    }
    default:
      break;
  }
  if (control == m_sampleView && m_commands)
    m_commands->SetSampleLoop(m_osc, m_sampleView->GetLoopStart(), m_sampleView->GetLoopEnd());
}

void CSampleEditor::_save() {
  if (!m_commands) return;
  const char* loaded = m_commands->GetLoadedSamplePath(m_osc);
  const std::string name = FileUtils::ExtractFileName(loaded ? loaded : "");
  std::string folder = GetDefaultSaveFolder();
  if (folder.empty()) folder = FileSpec::FolderSample;
  char path[PATH_SIZE] = {0};
  if (!FileUtils::ShowSaveFileDialog(path, folder.c_str(), PATH_SIZE, FileSpec::SampleDlgFilter,
                                     FileSpec::SampleExtension, name.c_str()))
    return;
  float* left = nullptr;
  float* right = nullptr;
  unsigned int frames = 0;
  float rate = 0.f;
  m_commands->GetSample(m_osc, &left, &right, frames, &rate);
  float* channels[2] = {left, right};
  std::string error = "nothing to save: no sample is loaded";
  if (!left || !right || frames == 0 || !WaveLib::saveToFile(path, channels, 2, rate, frames, &error)) {
    ShowMessage("Not saved. " + error);
    return;
  }
  std::lock_guard<std::mutex> guard(g_folderLock);
  g_saveFolder = FileUtils::ExtractDirPath(path);
}
