// Feeds arbitrary bytes to the instrument's state-chunk reader. A refused
// chunk must leave the instrument as it was; a chunk that is taken must be
// written back as one the reader takes again.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/FolderLayout.h"
#include "engine/GlobalSynth.h"
#include "engine/ParamHandler.h"
#include "engine/VoiceManager.h"
#include "editor/Editor.h"
#include "host/vst/VstSynth.h"

namespace {

VstIntPtr HostCallback(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
  return opcode == audioMasterVersion ? 2400 : 0;
}

CVstSynth* g_synth = nullptr;

// What a refused chunk must not touch.
struct SNAPSHOT {
  std::vector<unsigned char> preset;  // bytes: a loaded image may hold NaNs
  std::string author, name, path;
  unsigned char midiMap[480];
  unsigned int frames[4], rootPitch[4], loopStart[4], loopEnd[4];
  std::string samplePath[4];

  void Take(CVstSynth* synth) {
    const SYNTH_PRESET* live = synth->GetGlobalSynth()->GetPreset();
    const unsigned char* image = reinterpret_cast<const unsigned char*>(live->data);
    preset.assign(image, image + PRESET_BYTES);
    author = synth->GetEditorObject()->GetPresetAuthor();
    name = synth->GetEditorObject()->GetPresetName();
    path = synth->GetEditorObject()->GetPresetPath();
    synth->GetMidiMap()->SaveMidiMap(midiMap);
    CVoiceManager* vm = synth->GetVoiceManager();
    for (unsigned int k = 0; k < 4; ++k) {
      float *l = nullptr, *r = nullptr;
      frames[k] = 0;
      vm->GetSample(k, &l, &r, frames[k], nullptr);
      rootPitch[k] = vm->GetSampleRootPitch(k);
      loopStart[k] = vm->GetSampleLoopStart(k);
      loopEnd[k] = vm->GetSampleLoopEnd(k);
      const char* p = vm->GetLoadedSamplePath(k);
      samplePath[k] = p ? p : "";
    }
  }

  bool operator==(const SNAPSHOT& o) const {
    if (preset != o.preset || author != o.author || name != o.name || path != o.path) return false;
    if (std::memcmp(midiMap, o.midiMap, sizeof(midiMap)) != 0) return false;
    for (unsigned int k = 0; k < 4; ++k)
      if (frames[k] != o.frames[k] || rootPitch[k] != o.rootPitch[k] || loopStart[k] != o.loopStart[k] ||
          loopEnd[k] != o.loopEnd[k] || samplePath[k] != o.samplePath[k])
        return false;
    return true;
  }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Keep the settings file out of the user's home.
  char dir[] = "/tmp/morlavine-fuzz-XXXXXX";
  if (mkdtemp(dir)) setenv("MORLAVINE_DATA_DIR", dir, 1);
  FileSpec::InitFileSpecs();
  g_synth = static_cast<CVstSynth*>(createEffectInstance(&HostCallback));
  g_synth->setBlockSize(64);
  g_synth->setSampleRate(44100.0f);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0x7FFFFFFF) return 0;
  // An exactly sized copy, so a read past the end is caught.
  std::vector<uint8_t> chunk(data, data + size);
  SNAPSHOT before;
  before.Take(g_synth);
  const VstInt32 taken =
      g_synth->setChunk(chunk.empty() ? nullptr : chunk.data(), static_cast<VstInt32>(chunk.size()));
  if (!taken) {
    SNAPSHOT after;
    after.Take(g_synth);
    if (!(after == before)) abort();
    return 0;
  }
  void* written = nullptr;
  const VstInt32 bytes = g_synth->getChunk(&written);
  if (bytes <= 0 || !written) abort();
  std::vector<uint8_t> copy(static_cast<uint8_t*>(written), static_cast<uint8_t*>(written) + bytes);
  if (g_synth->setChunk(copy.data(), bytes) != 1) abort();
  return 0;
}
