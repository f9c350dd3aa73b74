#pragma once
// The modulation generators (three LFOs and the vibrato LFO, three envelopes
// and the amplitude envelope, four MSEGs, the voice switch), the routing of
// the 24 modulation slots and the controller values.

#include "engine/Buffers.h"
#include "engine/Envelope.h"
#include "engine/ParamIds.h"
#include "engine/IModulation.h"
#include "engine/Lfo.h"
#include "engine/Mseg.h"
#include "engine/VoiceSwitch.h"

class CVoice;
class IGlobalSynth;


// Modulation source numbers.
enum : unsigned int {
  MOD_SOURCE_NONE = 0,
  MOD_SOURCE_LFO1 = 1,
  MOD_SOURCE_VIBRATO = 4,
  MOD_SOURCE_ENV1 = 5,
  MOD_SOURCE_AMP_ENV = 8,
  MOD_SOURCE_MSEG1 = 9,
  MOD_SOURCE_CONTROLLER = 18,  // + controller id - 120
  MOD_SOURCE_LAST = 31,
  MOD_SOURCE_TABLE_SIZE = 40,
};

// Controller ids.
enum : unsigned int {
  CONTROLLER_FIRST = 120,
  CONTROLLER_WHEEL = 120,
  CONTROLLER_BEND = 121,
  CONTROLLER_PRESSURE = 122,
  CONTROLLER_BREATH = 123,
  CONTROLLER_EXPRESSION = 124,
  CONTROLLER_KEY = 125,
  CONTROLLER_VELOCITY = 126,
  CONTROLLER_RANDOM = 128,
  CONTROLLER_MACRO1 = 130,
  CONTROLLER_LAST = 133,
  CONTROLLER_COUNT = 14,
};

// Voice modes (parameter 489).
enum : unsigned int {
  VOICE_MODE_POLY = 0,
  VOICE_MODE_MONO = 1,
  VOICE_MODE_LEGATO = 2,
};

class CModulationMatrix : public IModulation {
 public:
  explicit CModulationMatrix(IGlobalSynth* synth);
  ~CModulationMatrix();
  CModulationMatrix(const CModulationMatrix&) = delete;
  CModulationMatrix& operator=(const CModulationMatrix&) = delete;

  // IModulation
  MOD_SOURCE_LIST* GetModulation(unsigned int paramId) override;
  MOD_CONTROLLER_LIST* GetController(unsigned int paramId) override;
  void SetController(unsigned int id, float value) override;
  float GetControllerValue(unsigned int id) override;
  float* GetPitchModulation(unsigned int osc) override;
  float* GetVibratoModulation() override { return m_vibratoBuffer.GetBuffer(); }
  float* GetAmpEnv() override { return m_ampEnvBuffer.GetBuffer(); }
  float* GetVoiceSwitch() override { return m_voiceSwitchBuffer.GetBuffer(); }

  void SetSampleRate(float rate);
  void SetBlockSize(unsigned int n);
  void RebuildMatrix();
  void UpdateParams(unsigned int n);
  void MonoGenerate(CVoice* voice, unsigned int n);
  void PolyGenerate(CVoice* voice, unsigned int n);
  void GenerateVoiceSwitch(CVoice* voice, unsigned int n);
  void PolyReset(CVoice* voice);
  void MonoReset(CVoice* voice);
  void FirstKeyPress();
  void ResetFreePhase();
  void FreePhaseRun(unsigned int n);

  // Inspection (tests, editor): the list of a target index, the output
  // buffer of a source number (null when no accepted slot uses it), the
  // generators.
  MOD_SOURCE_LIST* GetSourceListOfTarget(unsigned int target);
  MOD_CONTROLLER_LIST* GetControllerListOfTarget(unsigned int target);
  float* GetSourceBuffer(unsigned int source);
  CLfo* GetLfo(unsigned int i) { return &m_lfo[i & 3]; }
  CEnvelope* GetEnvelope(unsigned int i) { return &m_env[i & 3]; }
  CMseg* GetMseg(unsigned int i) { return &m_mseg[i & 3]; }
  CVoiceSwitch* GetVoiceSwitchGenerator() { return &m_voiceSwitch; }

 private:
  bool _MonoEnvelopes();
  // A block never runs past the shared buffers (sized by SetBlockSize).
  unsigned int _ClampBlock(unsigned int n);
  // Whether anything reads the vibrato LFO's output in a block of n.
  bool _VibratoRead(unsigned int n);

  IGlobalSynth* m_synth;
  CLfo m_lfo[4];
  CEnvelope m_env[4];
  CMseg m_mseg[4];
  CVoiceSwitch m_voiceSwitch;
  void* m_generators[12];
  CMonoBuffer m_slotBuffers[MOD_SLOT_COUNT];
  CMonoBuffer m_vibratoBuffer;
  CMonoBuffer m_ampEnvBuffer;
  CMonoBuffer m_voiceSwitchBuffer;
  float* m_sourceBuffers[MOD_SOURCE_TABLE_SIZE];
  float* m_lfoOut[3];
  float* m_envOut[3];
  float* m_msegOut[4];
  float m_controllers[CONTROLLER_COUNT];
  MOD_SOURCE_LIST m_sourceLists[MOD_TARGET_COUNT];
  MOD_CONTROLLER_LIST m_controllerLists[MOD_TARGET_COUNT];
};
