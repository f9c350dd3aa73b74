#pragma once
// The context object of one engine instance: every engine module is built
// with an IGlobalSynth* and reaches everything global to the plug-in
// instance through it. CGlobalSynth is the only implementation.

#include <string>
#include "engine/SynthTypes.h"

class IModulation;
class CRandom;
class CMemoryPool;

class IGlobalSynth {
 public:
  virtual void SetSampleRate(float rate) = 0;
  virtual float GetHostTempo() = 0;
  virtual float GetLastPitch() = 0;
  virtual float GetUnisonPitchShift(unsigned int index) = 0;
  virtual float GetUnisonPanShift(unsigned int index) = 0;
  virtual float GetUnisonNsPhaseShift(unsigned int index) = 0;
  virtual float GetUnisonNsPitchShift(unsigned int index) = 0;
  virtual unsigned int GetOversampling() = 0;
  virtual unsigned int GetOversamplingShift() = 0;
  virtual SYNTH_PRESET* GetPreset() = 0;
  virtual float GetParam(unsigned int id) = 0;
  virtual float* GetParamPointer(unsigned int id) = 0;
  virtual void UpdateParam(unsigned int id, unsigned int frames) = 0;
  // True when the first frames samples of the buffer of id (0-360), as the
  // last UpdateParam left them, all hold one value: the parameter's ramp
  // has ended. Stages use it to skip per-sample work; false is always safe.
  virtual bool IsParamSettled(unsigned int id, unsigned int frames) { return false; }
  // A count that moves whenever a parameter buffer may stop holding what the
  // last UpdateParam left in it (a ramp starts, the block size, rate or
  // oversampling changes); null when the store gives no such count.
  virtual const unsigned int* GetParamChangeCount() { return nullptr; }
  virtual IModulation* GetIModulation() = 0;
  virtual float* GetPitchModulation(unsigned int osc) = 0;
  virtual float* GetBuzzParam(unsigned int osc) = 0;
  virtual float* GetFeedbackParam(unsigned int osc) = 0;
  virtual void SetBuzzParam(unsigned int osc, float* buffer) = 0;
  virtual void SetFeedbackParam(unsigned int osc, float* buffer) = 0;
  virtual float* GetBlImpTable() = 0;
  virtual float* GetBlSawTable() = 0;
  virtual float* GetBlStepTable() = 0;
  virtual CMemoryPool* GetFilterMemoryPool() = 0;
  // The instance's own random generator (drawn from on the render thread).
  virtual CRandom& GetRandom() = 0;
  virtual bool GetRecordOnMidiInputFlag() = 0;
  virtual void SetRecordOnMidiInputFlag(bool flag) = 0;
  virtual void SetHostTempo(float bpm) = 0;
  virtual void SetLastPitch(float pitch) = 0;
  virtual void SetUnisonPitchShift(unsigned int index, float value) = 0;
  virtual void SetUnisonPanShift(unsigned int index, float value) = 0;
  virtual void SetUnisonNsPhaseShift(unsigned int index, float value) = 0;
  virtual void SetUnisonNsPitchShift(unsigned int index, float value) = 0;
  virtual void SetOversampling(unsigned int factor) = 0;
  virtual void SetParam(unsigned int id, float value) = 0;
  virtual void SetParamHandler(void* paramHandler) = 0;
  virtual void SetIModulation(void* modulation) = 0;
  virtual void SetPitchModulation(unsigned int osc, float* buffer) = 0;
  virtual void SetMidiMap(void* midiMap) = 0;
  virtual void* GetMidiMap() = 0;
  virtual void SetWaveTableQuality(unsigned int quality) = 0;
  virtual unsigned int GetWaveTableQuality() = 0;
  virtual std::string GetDefaultAuthorName() = 0;
  virtual std::string GetDefaultPresetPath() = 0;
  virtual std::string GetDefaultMidiMapPath() = 0;
  virtual void SetDefaultAuthorName(std::string name) = 0;
  virtual void SetDefaultPresetPath(std::string path) = 0;
  virtual void SetDefaultMidiMapPath(std::string path) = 0;

 protected:
  ~IGlobalSynth() = default;
};
