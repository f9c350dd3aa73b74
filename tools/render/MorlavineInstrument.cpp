#include "tools/render/MorlavineInstrument.h"

#include "editor/Editor.h"
#include "engine/GlobalSynth.h"
#include "engine/PresetFile.h"
#include "engine/VoiceManager.h"
#include "host/au/AUSynthEntry.h"
#include "host/vst/VstSynth.h"

namespace MorlavineInstrument {

namespace {

// The instrument object inside a unit, reached through the unit's private
// instance property as the instrument's own editor view reaches it.
CVstSynth* InstrumentOf(AudioUnit unit) {
  CAUSynth* synth = nullptr;
  UInt32 size = sizeof(synth);
  if (AudioUnitGetProperty(unit, kAUSynthProperty_Instance, kAudioUnitScope_Global, 0, &synth,
                           &size) != noErr ||
      !synth || !synth->GetEffect())
    return nullptr;
  return static_cast<CVstSynth*>(static_cast<AudioEffect*>(synth->GetEffect()->object));
}

}  // namespace

RenderApp::INSTRUMENT Get() {
  RenderApp::INSTRUMENT instrument;
  instrument.component = CAUSynthRegister();
  instrument.loadPreset = LoadPreset;
  instrument.savePreset = SavePreset;
  return instrument;
}

bool LoadPreset(AudioUnit unit, const char* path, std::string& error) {
  const std::string name = path ? path : "";
  CVstSynth* vst = InstrumentOf(unit);
  if (!vst || !vst->GetVoiceManager()) {
    error = name + ": the instrument is not open";
    return false;
  }
  // Read and check the whole file first; only a whole preset goes on to the
  // engine.
  CPresetFile file(vst->GetGlobalSynth());
  if (!file.LoadFromFile(nullptr, path, nullptr, nullptr)) {
    error = name + ": not a readable preset file (" +
            CPresetFile::DescribeLoadError(file.GetLoadError()) + ")";
    return false;
  }
  if (file.GetKind() != 0) {
    error = name + ": a module preset or wavetable, not a whole preset";
    return false;
  }
  // Read again, now handing the preset's samples to the engine.
  CPresetFile loaded(vst->GetGlobalSynth());
  ICommandHandler* engine = vst->GetVoiceManager();
  if (!loaded.LoadFromFile(engine, path, nullptr, nullptr) || loaded.GetKind() != 0 ||
      !engine->LoadPreset(loaded.GetBuffer(), loaded.GetVersion(), 0, 0)) {
    error = name + ": the instrument refused the preset";
    return false;
  }
  // The preset's author and name are the sound's, as after a load in the
  // editor.
  if (CEditor* editor = vst->GetEditorObject()) {
    editor->SetPresetAuthor(loaded.GetAuthor());
    editor->SetPresetName(loaded.GetName());
  }
  return true;
}

bool SavePreset(AudioUnit unit, std::vector<uint8_t>& image, std::string& error) {
  CVstSynth* vst = InstrumentOf(unit);
  if (!vst || !vst->GetVoiceManager()) {
    error = "the instrument is not open";
    return false;
  }
  ICommandHandler* engine = vst->GetVoiceManager();
  CPresetFile file(vst->GetGlobalSynth());
  const unsigned int size = engine->SavePreset(file.GetBuffer(), 0, 0);
  if (size == 0) {
    error = "the instrument gave no preset to save";
    return false;
  }
  if (CEditor* editor = vst->GetEditorObject()) file.SetAuthor(editor->GetPresetAuthor());
  std::vector<unsigned char> bytes;
  if (!file.SaveToMemory(engine, 0, size, bytes)) {
    error = "the instrument's preset could not be written";
    return false;
  }
  image.assign(bytes.begin(), bytes.end());
  return true;
}

}  // namespace MorlavineInstrument
