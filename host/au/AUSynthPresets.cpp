// The unit's private properties that reach the instrument's preset files and
// its open editor, so that a host outside the unit's binary can use them
// through the Audio Unit calls alone.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "editor/Editor.h"
#include "editor/EditorTags.h"
#include "engine/GlobalSynth.h"
#include "engine/PresetFile.h"
#include "engine/VoiceManager.h"
#include "host/au/AUSynth.h"
#include "host/vst/VstSynth.h"

namespace {

void SetMessage(const AUSynthPresetFileLoad& request, const std::string& text) {
  if (!request.outMessage || request.inMessageSize == 0) return;
  std::snprintf(request.outMessage, request.inMessageSize, "%s", text.c_str());
}

}  // namespace

OSStatus CAUSynth::_LoadPresetFile(const AUSynthPresetFileLoad& request) {
  SetMessage(request, "");
  CVstSynth* vst = mEffect ? static_cast<CVstSynth*>(static_cast<AudioEffect*>(mEffect->object)) : nullptr;
  if (!vst || !vst->GetVoiceManager()) {
    SetMessage(request, "the instrument is not open");
    return kAudioUnitErr_Uninitialized;
  }
  if (!request.inPath) return kAudioUnitErr_InvalidPropertyValue;
  // Read and check the whole file first; only a whole preset goes on to the
  // engine.
  CPresetFile file(vst->GetGlobalSynth());
  if (!file.LoadFromFile(nullptr, request.inPath, nullptr, nullptr)) {
    SetMessage(request, std::string("not a readable preset file (") +
                            CPresetFile::DescribeLoadError(file.GetLoadError()) + ")");
    return kAudioUnitErr_InvalidPropertyValue;
  }
  if (file.GetKind() != 0) {
    SetMessage(request, "a module preset or wavetable, not a whole preset");
    return kAudioUnitErr_InvalidPropertyValue;
  }
  // Read again, now handing the preset's samples to the engine.
  CPresetFile loaded(vst->GetGlobalSynth());
  ICommandHandler* engine = vst->GetVoiceManager();
  if (!loaded.LoadFromFile(engine, request.inPath, nullptr, nullptr) || loaded.GetKind() != 0 ||
      !engine->LoadPreset(loaded.GetBuffer(), loaded.GetVersion(), 0, 0)) {
    SetMessage(request, "the instrument refused the preset");
    return kAudioUnitErr_InvalidPropertyValue;
  }
  // The preset's author and name are the sound's, as after a load in the
  // editor.
  if (CEditor* editor = vst->GetEditorObject()) {
    editor->SetPresetAuthor(loaded.GetAuthor());
    editor->SetPresetName(loaded.GetName());
  }
  return noErr;
}

OSStatus CAUSynth::_SavePresetImage(CFDataRef* outData) {
  *outData = nullptr;
  CVstSynth* vst = mEffect ? static_cast<CVstSynth*>(static_cast<AudioEffect*>(mEffect->object)) : nullptr;
  if (!vst || !vst->GetVoiceManager()) return kAudioUnitErr_Uninitialized;
  ICommandHandler* engine = vst->GetVoiceManager();
  CPresetFile file(vst->GetGlobalSynth());
  const unsigned int size = engine->SavePreset(file.GetBuffer(), 0, 0);
  if (size == 0) return kAudioUnitErr_CannotDoInCurrentContext;
  if (CEditor* editor = vst->GetEditorObject()) file.SetAuthor(editor->GetPresetAuthor());
  std::vector<unsigned char> bytes;
  if (!file.SaveToMemory(engine, 0, size, bytes)) return kAudioUnitErr_CannotDoInCurrentContext;
  *outData = CFDataCreate(nullptr, bytes.data(), static_cast<CFIndex>(bytes.size()));
  return *outData ? noErr : memFullErr;
}

OSStatus CAUSynth::_ShowEditorPage(const AUSynthEditorPage& request) {
  CVstSynth* vst = mEffect ? static_cast<CVstSynth*>(static_cast<AudioEffect*>(mEffect->object)) : nullptr;
  CEditor* editor = vst ? vst->GetEditorObject() : nullptr;
  if (!editor || !editor->getFrame()) return kAudioUnitErr_CannotDoInCurrentContext;
  if (request.page < -1 || request.page > kAUSynthEditorPage_FX || request.overlay < -1 ||
      request.overlay > kAUSynthEditorOverlay_Recorder)
    return kAudioUnitErr_InvalidPropertyValue;
  if (request.page >= 0) {
    if (CControl* page = editor->getControlByTag(TAG_VIEW_PAGE)) {
      page->setValue(static_cast<float>(request.page));
      editor->valueChanged(page);
    }
  }
  switch (request.overlay) {
    case kAUSynthEditorOverlay_Browser: editor->ShowPresetBrowser(0); break;
    case kAUSynthEditorOverlay_WaveTable: editor->ShowWaveTableEditor(0); break;
    case kAUSynthEditorOverlay_Sample: editor->ShowSampleEditor(0); break;
    case kAUSynthEditorOverlay_Recorder: editor->ShowRecorder(); break;
    default: break;
  }
  return noErr;
}
