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
#include "engine/MasterSection.h"
#include "engine/ModulationMatrix.h"
#include "engine/ParamHandler.h"
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

class CVoiceManager {
 public:
  explicit CVoiceManager(IGlobalSynth* synth);
  ~CVoiceManager();
  CVoiceManager(const CVoiceManager&) = delete;
  CVoiceManager& operator=(const CVoiceManager&) = delete;

  void SetEffect(AudioEffectX* effect) { m_effect = effect; }
  // Host rate in Hz; a rate that is not positive is ignored.
  void SetSampleRate(float sr);
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

 private:
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
};
