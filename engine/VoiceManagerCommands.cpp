// The voice manager's command interface: parameter access, presets and
// wavetables (forwarded to the parameter store), the oscillators' samples and
// the sample recorder. Called from the editor's thread and the host's state
// thread; operations that change what a block renders take the engine lock.
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "engine/ParamIds.h"
#include "engine/VoiceManager.h"
#include "osc/SampleLoader.h"
#include "tables/PresetFactory.h"

namespace {

const unsigned int OSC_COUNT_CMD = 4;
const float OSC_MODE_SAMPLE_VALUE = 56.0f;
const char RECORDING_NAME[] = "Recording";
const unsigned int WAVETABLE_NAME_BYTES = 16;

// A stored value truncated toward zero, as the unsigned word of the integer;
// NaN reads as 0 and values beyond the integer range saturate.
unsigned int TruncatedParam(float v) {
  if (!(v == v)) return 0;
  if (v >= 4294967296.0f) return 0xFFFFFFFFu;
  if (v >= 0.0f) return static_cast<unsigned int>(v);
  if (v <= -2147483648.0f) return 0x80000000u;
  return static_cast<unsigned int>(static_cast<int>(v));
}

}  // namespace

unsigned int CVoiceManager::GetIntParam(unsigned int id) { return TruncatedParam(m_params.GetParamDeffered(id)); }

float CVoiceManager::GetFloatParam(unsigned int id) { return m_params.GetParamDeffered(id); }

void CVoiceManager::SetIntParam(unsigned int id, unsigned int value) {
  m_params.SetParam(id, static_cast<float>(static_cast<int>(value)));
}

void CVoiceManager::SetFloatParam(unsigned int id, float value) { m_params.SetParam(id, value); }

void CVoiceManager::ResetParamToFactory(unsigned int id) {
  if (id < PARAM_COUNT) m_params.SetParam(id, PRESET_FACTORY_RESET[id]);
}

bool CVoiceManager::LoadPreset(SYNTH_PRESET* buffer, unsigned int version, unsigned int kind, unsigned int instance) {
  // No note may hang across the change: the MIDI side is reset first.
  if (m_effect && m_hostPanic) m_hostPanic(m_effect);
  return m_params.LoadPreset(buffer, version, kind, instance);
}

unsigned int CVoiceManager::SavePreset(SYNTH_PRESET* buffer, unsigned int kind, unsigned int instance) {
  return m_params.SavePreset(buffer, kind, instance);
}

void CVoiceManager::SetOscWaveTable(float* table, char* name, unsigned int osc) {
  if (osc >= OSC_COUNT_CMD || !table) return;
  m_params.SetOscWaveTable(table, name, osc);
}

void CVoiceManager::GetOscWaveTable(float** table, char* name, unsigned int osc) {
  if (osc >= OSC_COUNT_CMD) return;
  COscillator* o = m_oscTable[osc];
  if (table) *table = o->GetOscWaveTable();
  if (name) {
    const char* own = o->GetOscWaveTableName();
    const size_t length = strnlen(own, WAVETABLE_NAME_BYTES);
    std::memset(name, 0, WAVETABLE_NAME_BYTES);
    std::memcpy(name, own, length);
  }
}

void CVoiceManager::Panic() {
  m_params.Panic();
  if (m_effect && m_hostPanic) m_hostPanic(m_effect);
}

bool CVoiceManager::LoadSample(char const* path, unsigned int osc) {
  if (osc >= OSC_COUNT_CMD || !path) return false;
  // The file is read outside the engine lock, so that the render never waits
  // on a disk; the finished sample is handed over under the lock and the one
  // it replaces is freed after it.
  std::unique_ptr<CSampleLoader> sample(new (std::nothrow) CSampleLoader);
  const bool loaded = sample && sample->Load(path);
  if (loaded) {
    const std::string name = path;
    CAutoLock lock(m_params.GetLock());
    m_oscTable[osc]->TakeSample(sample, name);
  }
  sample.reset();
  // The oscillator switches to sample playback only when it has the new
  // sample; a failed load leaves mode, sample, name and loop as they were.
  if (loaded) m_params.SetParam(PARAM_OSC_MODE + osc, OSC_MODE_SAMPLE_VALUE);
  return loaded;
}

bool CVoiceManager::LoadSampleFromMemory(unsigned int osc, float* left, float* right, unsigned int frames, float rate,
                                         char* name) {
  if (osc >= OSC_COUNT_CMD) return false;
  CAutoLock lock(m_params.GetLock());
  return m_oscTable[osc]->LoadSampleFromMemory(left, right, frames, rate, name);
}

const char* CVoiceManager::GetLoadedSamplePath(unsigned int osc) {
  if (osc >= OSC_COUNT_CMD) return nullptr;
  return m_oscTable[osc]->GetSamplePath();
}

void CVoiceManager::GetSample(unsigned int osc, float** left, float** right, unsigned int& frames, float* rate) {
  if (osc >= OSC_COUNT_CMD) return;
  m_oscTable[osc]->GetSample(left, right, frames, rate);
}

void CVoiceManager::SetSampleLoop(unsigned int osc, unsigned int start, unsigned int end) {
  if (osc >= OSC_COUNT_CMD) return;
  // Start and end change together for the block that reads them.
  CAutoLock lock(m_params.GetLock());
  m_oscTable[osc]->GetSamplePlayer()->SetLoop(start, end);
}

void CVoiceManager::SetRecSampleLoop(float start, float end) { m_recorder.SetLoop(start, end); }

void CVoiceManager::SetSampleRootPitch(unsigned int osc, unsigned int pitch) {
  if (osc >= OSC_COUNT_CMD) return;
  m_oscTable[osc]->GetSamplePlayer()->SetRootPitch(pitch);
}

unsigned int CVoiceManager::GetSampleLoopStart(unsigned int osc) {
  return osc < OSC_COUNT_CMD ? m_oscTable[osc]->GetSamplePlayer()->GetLoopStart() : 0;
}

unsigned int CVoiceManager::GetSampleLoopEnd(unsigned int osc) {
  return osc < OSC_COUNT_CMD ? m_oscTable[osc]->GetSamplePlayer()->GetLoopEnd() : 0;
}

unsigned int CVoiceManager::GetSampleRootPitch(unsigned int osc) {
  return osc < OSC_COUNT_CMD ? m_oscTable[osc]->GetSamplePlayer()->GetRootPitch() : 0;
}

void CVoiceManager::StartRecording() { m_recorder.Start(m_sampleRate); }

void CVoiceManager::StopRecording() { m_recorder.Stop(); }

void CVoiceManager::ArmRecording() { m_recorder.Arm(m_sampleRate); }

void CVoiceManager::DisarmRecording() { m_recorder.Disarm(); }

void CVoiceManager::StartPlayback() { m_recorder.StartPlayback(); }

void CVoiceManager::StopPlayback() { m_recorder.StopPlayback(); }

bool CVoiceManager::IsPlaybackActive() { return m_recorder.IsPlaying(); }

void CVoiceManager::DeleteRecordedSample() { m_recorder.Delete(); }

bool CVoiceManager::IsRecordingActive() { return m_recorder.IsRecording(); }

void CVoiceManager::GetRecordedSample(float** left, float** right, unsigned int& frames) {
  m_recorder.GetRecording(left, right, frames);
}

unsigned int CVoiceManager::CopyRecordedSample(unsigned int first, unsigned int count, float* left, float* right,
                                               unsigned int& frames, unsigned int& generation) {
  return m_recorder.Copy(first, count, left, right, frames, generation);
}

void CVoiceManager::CropRecordedSample() { m_recorder.Crop(); }

void CVoiceManager::TrimRecordedSample() { m_recorder.Trim(); }

void CVoiceManager::ReverseRecordedSample() { m_recorder.Reverse(); }

void CVoiceManager::InsertRecordedSampleToOsc(unsigned int osc) {
  if (osc >= OSC_COUNT_CMD) return;
  bool loaded = false;
  {
    // The oscillator copies the frames; the recording stays for another
    // insertion.
    CAutoLock lock(m_params.GetLock());
    float* left = nullptr;
    float* right = nullptr;
    unsigned int frames = 0;
    m_recorder.GetRecording(&left, &right, frames);
    if (frames > 0) loaded = m_oscTable[osc]->LoadSampleFromMemory(left, right, frames, m_sampleRate, RECORDING_NAME);
  }
  if (!loaded) return;
  m_params.SetParam(PARAM_OSC_ON + osc, 1.0f);
  m_params.SetParam(PARAM_OSC_MODE + osc, OSC_MODE_SAMPLE_VALUE);
}
