#pragma once
// The root of the engine: owns every engine module by value, keeps the list
// of sounding voices, applies pending parameter changes at the start of each
// block and renders the audio. The block driver calls Generate for each
// slice of a host block and, between slices, the voice operations, Reset,
// FirstKeyPress, ResetFreePhase and MidiControlChange (those take no lock;
// Generate holds the engine lock for its whole run).

#include <vector>

#include "dsp/BusProcessor.h"
#include "dsp/BusRouter.h"
#include "engine/AmpEnv.h"
#include "engine/Buffers.h"
#include "engine/DownSampler.h"
#include "engine/EffectsMatrix.h"
#include "engine/ICommandHandler.h"
#include "engine/MasterSection.h"
#include "engine/ModulationMatrix.h"
#include "engine/ParamHandler.h"
#include "engine/SampleRecorder.h"
#include "engine/UnisonMapper.h"
#include "fx/Exciter.h"
#include "fx/TranceGate.h"
#include "osc/Oscillator.h"

class IGlobalSynth;
class CVoice;
class AudioEffectX;

// Longest slice rendered in one pass. A larger host block size is clamped
// to it; Generate splits longer host blocks into slices of at most the
// block size, so nothing is lost.
const unsigned int MAX_ENGINE_BLOCK_SIZE = 8192;

// Highest host rate accepted (the host layer accepts no higher one). The
// filter memory blocks grow with the rate: far above it their size in bytes
// no longer fits the pool's block size.
const float MAX_ENGINE_SAMPLE_RATE = 1.0e7f;

// Resets the host's MIDI processing (queued events, held notes, arpeggiator)
// on the VST object registered with SetEffect. The host layer registers it
// together with the object.
typedef void (*HOST_PANIC_FN)(AudioEffectX* effect);

class CVoiceManager final : public ICommandHandler, private CParamHandler::IWaveTablePreparer {
 public:
  explicit CVoiceManager(IGlobalSynth* synth);
  ~CVoiceManager();
  CVoiceManager(const CVoiceManager&) = delete;
  CVoiceManager& operator=(const CVoiceManager&) = delete;

  void SetEffect(AudioEffectX* effect) { m_effect = effect; }
  void SetHostPanic(HOST_PANIC_FN panic) { m_hostPanic = panic; }
  // Host rate in Hz; a rate that is not positive or above
  // MAX_ENGINE_SAMPLE_RATE is ignored.
  void SetSampleRate(float sr);
  // Gives the global synth the oversampling factor that the settings ask
  // for now (a loaded preset's, which the next block would otherwise
  // apply) and says whether that changed it. Meant for a sample rate
  // change, which builds everything for the factor anyway, in this order:
  // TakeOversamplingSetting(), the global synth's SetSampleRate(), this
  // SetSampleRate(), then SetBlockSize() again if the factor changed. The
  // next block finds the factor in place and builds nothing a second time.
  bool TakeOversamplingSetting();
  // Host frames per block; 0 is ignored, larger than MAX_ENGINE_BLOCK_SIZE is
  // clamped to it.
  void SetBlockSize(unsigned int n);
  // Deletes all voices and clears the block state of the output stages.
  void Reset();
  // Applies pending parameter changes and rebuilds what they invalidate.
  void HandleParams();
  // Renders n host frames, added to what left and right hold. n = 0 only
  // applies pending parameter changes; a block longer than the block size is
  // rendered in slices of at most the block size.
  void Generate(float* left, float* right, unsigned int n);
  void FirstKeyPress();
  void ResetFreePhase();
  void MidiControlChange(unsigned int controller, float value);
  bool isEmpty() const { return m_voices.empty(); }

  // Voice allocation and release.
  void StartVoice(int note, float velocity, bool legato);
  void CallStartVoice(CVoice* voice);
  void StopVoice(int note);
  void DeleteVoice(int note);
  void DeleteAllVoices();
  void MuteVoice(int note);
  void UnMuteVoice(int note);
  void DeleteProcessedVoices();

  // Inspection for the host layer, the command interface and tests.
  CParamHandler* GetParamHandler() { return &m_params; }
  CModulationMatrix* GetModulationMatrix() { return &m_modMatrix; }
  CEffectsMatrix* GetEffectsMatrix() { return &m_fxMatrix; }
  COscillator* GetOscillator(unsigned int k) { return m_oscTable[k & 3]; }
  AudioEffectX* GetEffect() { return m_effect; }
  unsigned int GetVoiceCount() const { return static_cast<unsigned int>(m_voices.size()); }
  CVoice* GetVoiceAt(unsigned int i) { return i < m_voices.size() ? m_voices[i] : nullptr; }
  CVoice* GetModulatorVoice() { return m_modVoice; }
  CVoice* GetBusVoice() { return m_busVoice; }
  float GetSampleRate() const { return m_sampleRate; }
  unsigned int GetBlockSize() const { return m_blockSize; }
  float GetReleaseLevel() const { return m_releaseLevel; }
  CStereoBuffer* GetBusMixes() { return m_busMix; }
  CStereoBuffer* GetOscOutputs() { return m_oscOut; }
  CSampleRecorder* GetRecorder() { return &m_recorder; }

  // ICommandHandler, in VoiceManagerCommands.cpp.
  unsigned int GetIntParam(unsigned int id) override;
  float GetFloatParam(unsigned int id) override;
  void SetIntParam(unsigned int id, unsigned int value) override;
  void SetFloatParam(unsigned int id, float value) override;
  void ResetParamToFactory(unsigned int id) override;
  bool LoadPreset(SYNTH_PRESET* buffer, unsigned int version, unsigned int kind, unsigned int instance) override;
  unsigned int SavePreset(SYNTH_PRESET* buffer, unsigned int kind, unsigned int instance) override;
  void SetOscWaveTable(float* table, char* name, unsigned int osc) override;
  void GetOscWaveTable(float** table, char* name, unsigned int osc) override;
  void Panic() override;
  bool LoadSample(char const* path, unsigned int osc) override;
  bool LoadSampleFromMemory(unsigned int osc, float* left, float* right, unsigned int frames, float rate,
                            char* name) override;
  const char* GetLoadedSamplePath(unsigned int osc) override;
  void GetSample(unsigned int osc, float** left, float** right, unsigned int& frames, float* rate) override;
  void SetSampleLoop(unsigned int osc, unsigned int start, unsigned int end) override;
  void SetRecSampleLoop(float start, float end) override;
  void SetSampleRootPitch(unsigned int osc, unsigned int pitch) override;
  unsigned int GetSampleLoopStart(unsigned int osc) override;
  unsigned int GetSampleLoopEnd(unsigned int osc) override;
  unsigned int GetSampleRootPitch(unsigned int osc) override;
  void StartRecording() override;
  void StopRecording() override;
  void ArmRecording() override;
  void DisarmRecording() override;
  void StartPlayback() override;
  void StopPlayback() override;
  bool IsPlaybackActive() override;
  void DeleteRecordedSample() override;
  bool IsRecordingActive() override;
  void GetRecordedSample(float** left, float** right, unsigned int& frames) override;
  unsigned int CopyRecordedSample(unsigned int first, unsigned int count, float* left, float* right,
                                  unsigned int& frames, unsigned int& generation) override;
  void CropRecordedSample() override;
  void TrimRecordedSample() override;
  void ReverseRecordedSample() override;
  void InsertRecordedSampleToOsc(unsigned int osc) override;

 private:
  // The parameter store's call when an oscillator is set to play its user
  // wavetable: its levels are built here, on the setting's thread under the
  // engine lock, so that no block has to build them.
  void PrepareWaveTable(unsigned int osc, const float* wave) override;
  // One slice of at most the block size, after HandleParams.
  void _RenderSlice(float* left, float* right, unsigned int n);
  void _RenderVoices(unsigned int n, unsigned int frames, bool perVoiceBuses);
  void _ChangeOversampling();
  void _DeleteAllVoicesNow();
  bool _IsReleasePredicate(CVoice* voice);
  bool _ArpOn();
  CVoice* _FindOldest(int note);

  IGlobalSynth* m_synth;
  AudioEffectX* m_effect = nullptr;
  float m_sampleRate = 0.0f;
  CVoice* m_modVoice = nullptr;
  CVoice* m_busVoice = nullptr;
  unsigned int m_blockSize = 0;
  CStereoBuffer m_oscOut[4];
  // The current sub-voice's bus inputs; the left channel of input 1 doubles
  // as the FM source while the oscillators render.
  CStereoBuffer m_busIn[2];
  // Sum over all voices of bus 1 and bus 2; at the host rate after the
  // downsampler.
  CStereoBuffer m_busMix[2];
  CParamHandler m_params;
  CModulationMatrix m_modMatrix;
  CEffectsMatrix m_fxMatrix;
  COscillator m_osc[4];
  COscillator* m_oscTable[4];
  CBusRouter m_router;
  CBusProcessor m_bus[2];
  CTranceGate m_tranceGate;
  CMasterSection m_master;
  CAmpEnv m_ampEnv;
  CDownSampler m_downSampler;
  CUnisonMapper m_unisonMapper;
  CExciter m_exciter[2];
  // Main voices in order of creation, oldest first.
  std::vector<CVoice*> m_voices;
  float m_releaseLevel = 0.0f;
  HOST_PANIC_FN m_hostPanic = nullptr;
  // Declared after the parameter store, whose engine lock it uses.
  CSampleRecorder m_recorder{&m_params.GetLock()};
};
