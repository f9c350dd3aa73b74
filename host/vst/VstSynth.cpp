#include "host/vst/VstSynth.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#if defined(__SSE__) || defined(__x86_64__) || defined(_M_X64)
#include <xmmintrin.h>
#define MORLAVINE_HAVE_MXCSR 1
#endif

#include "engine/AccessLock.h"
#include "engine/GlobalSynth.h"
#include "engine/ICommandHandler.h"
#include "engine/MidiProcessor.h"
#include "engine/ParamHandler.h"
#include "engine/Params.h"
#include "engine/VoiceManager.h"
#include "editor/Editor.h"

namespace {

const char* const EFFECT_NAME = "Morlavine";
const char* const VENDOR_NAME = "Tarvelon";
const char* const PRODUCT_NAME = "Morlavine";
const char* const OUTPUT_LABELS[2] = {"Morlavine L", "Morlavine R"};

// Longest pin label the host's record takes, the terminator excluded.
const VstInt32 PIN_LABEL_MAX = 63;

// Filter for the host's time information: tempo valid and transport playing.
const VstInt32 TIME_INFO_FILTER = kVstTempoValid | kVstTransportPlaying;

// The processor's SSE control word for one block: denormal and underflow
// exceptions masked, flush-to-zero and denormals-are-zero on. The caller's
// word is put back whole on every way out.
class CBlockFloatMode {
 public:
#ifdef MORLAVINE_HAVE_MXCSR
  static constexpr unsigned int MASK_DENORMAL_UNDERFLOW = 0x900;
  static constexpr unsigned int FLUSH_TO_ZERO = 0x8000;
  static constexpr unsigned int DENORMALS_ARE_ZERO = 0x40;

  CBlockFloatMode() : m_saved(_mm_getcsr()) {
    _mm_setcsr(m_saved | MASK_DENORMAL_UNDERFLOW | FLUSH_TO_ZERO | DENORMALS_ARE_ZERO);
  }
  ~CBlockFloatMode() { _mm_setcsr(m_saved); }

 private:
  unsigned int m_saved;
#endif
};

// The engine resets the MIDI side through this before every preset load.
void PanicOf(AudioEffectX* effect) {
  if (effect) static_cast<CVstSynth*>(effect)->Panic();
}

bool IsHostParamIndex(VstInt32 index) { return index >= 0 && index < CVstSynth::PARAMETER_COUNT; }

}  // namespace

AudioEffect* createEffectInstance(audioMasterCallback audioMaster) { return new CVstSynth(audioMaster); }

CVstSynth::CVstSynth(audioMasterCallback audioMaster) : AudioEffectX(audioMaster, PROGRAM_COUNT, PARAMETER_COUNT) {
  std::memset(m_spans, 0, sizeof(m_spans));
  // An object without a host callback holds no engine and is not used.
  if (!audioMaster) return;

  m_globalSynth = new CGlobalSynth();
  m_midiProcessor = new CMidiProcessor(m_globalSynth);
  m_voiceManager = new CVoiceManager(m_globalSynth);
  m_voiceManager->SetEffect(this);
  m_voiceManager->SetHostPanic(&PanicOf);
  // Pushes, pops and panics of the MIDI processor run under the engine lock,
  // which lives in the voice manager's parameter store.
  m_midiProcessor->SetEngineLock(&m_voiceManager->GetParamHandler()->GetLock());
  m_globalSynth->SetMidiMap(&m_midiMap);
  Params::InitParamNames();
  m_presetBuffer = static_cast<unsigned char*>(std::calloc(STAGING_BYTES, 1));

  setNumInputs(0);
  setNumOutputs(2);
  canProcessReplacing(true);
  isSynth(true);
  programsAreChunks(true);
  setUniqueID(UNIQUE_ID);

  m_editor = new CEditor(this, _Commands(), m_globalSynth);
}

CVstSynth::~CVstSynth() {
  if (m_editor) {
    delete m_editor;
    m_editor = nullptr;
  }
  setEditor(nullptr);
  if (m_chunk) {
    std::free(m_chunk);
    m_chunk = nullptr;
  }
  if (m_voiceManager) {
    delete m_voiceManager;
    m_voiceManager = nullptr;
  }
  if (m_midiProcessor) {
    delete m_midiProcessor;
    m_midiProcessor = nullptr;
  }
  if (m_presetBuffer) {
    std::free(m_presetBuffer);
    m_presetBuffer = nullptr;
  }
  if (m_globalSynth) {
    m_globalSynth->SetMidiMap(nullptr);
    delete m_globalSynth;
    m_globalSynth = nullptr;
  }
}

ICommandHandler* CVstSynth::_Commands() { return m_voiceManager; }

// ---------------------------------------------------------------------------
// Audio set-up

void CVstSynth::suspend() {}

void CVstSynth::resume() {
  if (m_voiceManager) m_voiceManager->Reset();
  m_resumed = true;
  AudioEffectX::resume();
}

void CVstSynth::setSampleRate(float rate) {
  // A rate that could not drive a clock would freeze or blow up every module.
  if (!(rate > 0.0f) || rate != rate || rate > 1.0e7f) return;
  if (m_voiceManager) {
    m_voiceManager->Reset();
    // The band-limited tables are built here once, for the oversampling
    // that the first block plays with, and not again in that block.
    const bool factorChanged = m_voiceManager->TakeOversamplingSetting();
    m_globalSynth->SetSampleRate(rate);
    m_midiProcessor->SetSampleRate(rate);
    m_voiceManager->SetSampleRate(rate);
    if (factorChanged) m_voiceManager->SetBlockSize(m_voiceManager->GetBlockSize());
  }
  AudioEffectX::setSampleRate(rate);
}

void CVstSynth::setBlockSize(VstInt32 frames) {
  if (frames <= 0) return;
  if (m_voiceManager) m_voiceManager->SetBlockSize(static_cast<unsigned int>(frames));
  AudioEffectX::setBlockSize(frames);
}

// ---------------------------------------------------------------------------
// Parameters and programs

void CVstSynth::setParameter(VstInt32 index, float value) {
  if (!IsHostParamIndex(index) || !m_globalSynth) return;
  const unsigned int id = static_cast<unsigned int>(Params::VstParamToSynthParam(index));
  m_globalSynth->SetParam(id, value);
  if (m_editor) m_editor->UpdateParamValue(id, value);
}

float CVstSynth::getParameter(VstInt32 index) {
  if (!IsHostParamIndex(index) || !m_globalSynth || !m_voiceManager) return 0.0f;
  // Hosts read parameters from their own threads while the render thread's
  // block start writes the live values: the read is ordered by the engine lock.
  CAutoLock lock(m_voiceManager->GetParamHandler()->GetLock());
  return m_globalSynth->GetParam(static_cast<unsigned int>(Params::VstParamToSynthParam(index)));
}

void CVstSynth::setParameterAutomated(VstInt32 index, float value) {
  // The caller has applied the value already; only the host is told.
  if (audioMaster) audioMaster(&cEffect, audioMasterAutomate, index, 0, nullptr, value);
}

VstInt32 CVstSynth::getProgram() { return 0; }

void CVstSynth::setProgram(VstInt32) {}

void CVstSynth::setProgramName(char*) {}

void CVstSynth::getProgramName(char* name) {
  if (!name) return;
  std::string author, preset, path;
  if (m_editor) m_editor->GetPresetTexts(author, preset, path);
  vst_strncpy(name, preset.c_str(), kVstMaxProgNameLen);
}

void CVstSynth::getParameterLabel(VstInt32, char* label) { vst_strncpy(label, "%", kVstMaxParamStrLen); }

void CVstSynth::getParameterDisplay(VstInt32 index, char* text) {
  if (!text) return;
  // The host's field holds 8 characters and a terminator; a stored value far
  // outside 0..1 prints longer and is cut there.
  const float value = getParameter(index) * 100.0f;
  std::snprintf(text, kVstMaxParamStrLen + 1, "%.2f", static_cast<double>(value));
}

void CVstSynth::getParameterName(VstInt32 index, char* text) {
  if (!text) return;
  if (!IsHostParamIndex(index)) {
    text[0] = 0;
    return;
  }
  const int id = Params::VstParamToSynthParam(index);
  vst_strncpy(text, Params::GetParamShortName(static_cast<unsigned int>(id)), kVstMaxParamStrLen);
}

bool CVstSynth::getProgramNameIndexed(VstInt32, VstInt32 index, char* text) {
  if (index != 0 || !text) return false;
  getProgramName(text);
  return true;
}

// ---------------------------------------------------------------------------
// Identity

bool CVstSynth::getOutputProperties(VstInt32 index, VstPinProperties* properties) {
  if (index < 0 || index > 1 || !properties) return false;
  vst_strncpy(properties->label, OUTPUT_LABELS[index], PIN_LABEL_MAX);
  properties->flags = kVstPinIsActive | kVstPinIsStereo;
  return true;
}

VstInt32 CVstSynth::getNumMidiInputChannels() { return 1; }

VstInt32 CVstSynth::getNumMidiOutputChannels() { return 0; }

bool CVstSynth::getEffectName(char* name) {
  if (name) vst_strncpy(name, EFFECT_NAME, kVstMaxEffectNameLen);
  return true;
}

bool CVstSynth::getVendorString(char* text) {
  if (text) vst_strncpy(text, VENDOR_NAME, kVstMaxVendorStrLen);
  return true;
}

bool CVstSynth::getProductString(char* text) {
  if (text) vst_strncpy(text, PRODUCT_NAME, kVstMaxProductStrLen);
  return true;
}

VstInt32 CVstSynth::getVendorVersion() { return VENDOR_VERSION; }

VstInt32 CVstSynth::canDo(char* text) {
  if (!text) return -1;
  if (!std::strcmp(text, "receiveVstEvents") || !std::strcmp(text, "receiveVstMidiEvent") ||
      !std::strcmp(text, "receiveVstTimeInfo"))
    return 1;
  return -1;
}

VstPlugCategory CVstSynth::getPlugCategory() { return kPlugCategSynth; }

// ---------------------------------------------------------------------------
// MIDI input and the block driver

VstInt32 CVstSynth::processEvents(VstEvents* events) {
  if (!events || !m_midiProcessor) return 1;
  CAutoLock lock(m_voiceManager->GetParamHandler()->GetLock());
  for (VstInt32 i = 0; i < events->numEvents; ++i) {
    VstEvent* event = events->events[i];
    if (event && event->type == kVstMidiType) m_midiProcessor->PushEvent(reinterpret_cast<VstMidiEvent*>(event));
  }
  return 1;
}

void CVstSynth::Panic() {
  if (!m_midiProcessor) return;
  CAutoLock lock(m_voiceManager->GetParamHandler()->GetLock());
  m_midiProcessor->Reset();
}

void CVstSynth::StartMidiLearn(unsigned int paramId) {
  m_midiLearnTarget.store(paramId, std::memory_order_relaxed);
  m_midiLearnActive.store(true, std::memory_order_release);
}

void CVstSynth::StopMidiLearn() { m_midiLearnActive.store(false, std::memory_order_release); }

// The render thread binds and reads the map under the engine lock (MIDI
// learn, mapped controllers); the editor's calls take it too.
int CVstSynth::GetAssignedMidiCC(unsigned int paramId) {
  if (!m_voiceManager) return m_midiMap.GetAssignedMidiCC(paramId);
  CAutoLock lock(m_voiceManager->GetParamHandler()->GetLock());
  return m_midiMap.GetAssignedMidiCC(paramId);
}

void CVstSynth::ClearAssignedMidiCC(unsigned int paramId) {
  if (!m_voiceManager) {
    m_midiMap.ClearAssignedMidiCC(paramId);
    return;
  }
  CAutoLock lock(m_voiceManager->GetParamHandler()->GetLock());
  m_midiMap.ClearAssignedMidiCC(paramId);
}

void CVstSynth::_Generate(float* left, float* right, unsigned int start, unsigned int frames) {
  if (m_spanCount < SPAN_LOG_SIZE) m_spans[m_spanCount] = RENDER_SPAN{start, frames};
  ++m_spanCount;
  m_voiceManager->Generate(left + start, right + start, frames);
}

void CVstSynth::_Render(float* left, float* right, unsigned int start, unsigned int frames) {
  // An empty span still applies the parameter changes made before the event.
  if (frames == 0) {
    _Generate(left, right, start, 0);
    return;
  }
  const unsigned int slice = blockSize > 0 ? static_cast<unsigned int>(blockSize) : frames;
  while (frames > 0) {
    const unsigned int n = frames < slice ? frames : slice;
    _Generate(left, right, start, n);
    start += n;
    frames -= n;
  }
}

void CVstSynth::processReplacing(float** inputs, float** outputs, VstInt32 sampleFrames) {
  CBlockFloatMode floatMode;
  m_spanCount = 0;
  if (!outputs || sampleFrames <= 0 || !outputs[0] || !outputs[1] || !m_voiceManager) return;
  if (m_pendingSeed.load(std::memory_order_relaxed) != 0) {
    const uint64_t seed = m_pendingSeed.exchange(0, std::memory_order_acquire);
    if (seed & SEED_PENDING) m_globalSynth->GetRandom().Seed(static_cast<uint32_t>(seed));
  }

  const unsigned int n = static_cast<unsigned int>(sampleFrames);
  float* left = outputs[0];
  float* right = outputs[1];
  std::memset(left, 0, n * sizeof(float));
  std::memset(right, 0, n * sizeof(float));

  bool playing = false;
  float tempo = -1.0f;
  if (const VstTimeInfo* time = getTimeInfo(TIME_INFO_FILTER)) {
    playing = (time->flags & kVstTransportPlaying) != 0;
    if (time->flags & kVstTempoValid) tempo = static_cast<float>(time->tempo);
  }
  m_globalSynth->SetHostTempo(tempo);

  // The MIDI processor takes the engine lock inside Process and each
  // PopEvent, so MIDI pushed or a panic from another thread never meets a
  // half-read queue.
  m_midiProcessor->Process(n);

  unsigned int position = 0;
  MIDI_EVENT event;
  while (m_midiProcessor->PopEvent(event)) {
    unsigned int offset = event.frameOffset;
    if (offset >= n) offset = n - 1;
    const unsigned int span = offset >= position ? offset - position : 0;
    _Render(left, right, position, span);
    unsigned int mirrored = 0;
    {
      // The event changes voices and reads parameters that the editor's
      // thread (preset loads, state restores, parameter sets) writes under
      // the engine lock: it is applied under the same lock.
      CAutoLock lock(m_voiceManager->GetParamHandler()->GetLock());
      mirrored = _ApplyEvent(event, playing);
    }
    // The editor takes its own lock; it is told outside the engine lock so
    // the two locks are never nested on this thread.
    if (mirrored != 0 && m_editor) m_editor->UpdateParamValue(mirrored, event.controllerValue);
    position += span;
  }
  _Render(left, right, position, n - position);
}

unsigned int CVstSynth::_ApplyEvent(const MIDI_EVENT& event, bool playing) {
  CVoiceManager* engine = m_voiceManager;
  switch (event.kind) {
    case MIDI_EVENT_NOTE_ON:
      engine->StartVoice(event.note, event.velocity, event.legato != 0);
      break;
    case MIDI_EVENT_NOTE_OFF:
      engine->StopVoice(event.note);
      break;
    case MIDI_EVENT_RESET:
      engine->Reset();
      m_resumed = true;
      break;
    case MIDI_EVENT_MUTE:
      engine->MuteVoice(event.note);
      break;
    case MIDI_EVENT_UNMUTE:
      engine->UnMuteVoice(event.note);
      break;
    case MIDI_EVENT_DELETE_VOICE:
      engine->DeleteVoice(event.note);
      break;
    case MIDI_EVENT_DELETE_ALL:
      engine->DeleteAllVoices();
      break;
    case MIDI_EVENT_CONTROLLER:
      return _ApplyController(event.controller, event.controllerValue);
    case MIDI_EVENT_FIRST_KEY_PRESS:
      engine->FirstKeyPress();
      if (playing && m_resumed) {
        m_resumed = false;
        engine->ResetFreePhase();
      }
      break;
    default:
      break;
  }
  return 0;
}

unsigned int CVstSynth::_ApplyController(unsigned int controller, float value) {
  if (m_midiLearnActive.load(std::memory_order_acquire)) {
    const unsigned int target = m_midiLearnTarget.load(std::memory_order_relaxed);
    if (m_midiMap.AssignMidiCC(controller, target)) m_midiLearnActive.store(false, std::memory_order_release);
  }
  const unsigned int id = m_midiMap.GetParamID(controller);
  if (id != 0) m_globalSynth->SetParam(id, value);
  m_voiceManager->MidiControlChange(controller, value);
  return id;
}
