#pragma once
// The four in-place stages of a bus: filter, drive, shaper and lo-fi.
// Placeholder stages until the bus filter, drive, shaper and lo-fi land: each
// keeps the life cycle the bus processor drives and passes the signal through.

class IGlobalSynth;
class CVoice;

class CBusStage {
 public:
  explicit CBusStage(IGlobalSynth* synth) : m_synth(synth) {}
  void SetInstance(unsigned int bus) { m_bus = bus; }
  void SetSampleRate(float rate) { m_rate = rate; }
  void StartVoice(CVoice*) {}
  void Reset(CVoice*) {}
  void UpdateParams(unsigned int) {}
  void Process(CVoice*, float*, float*, unsigned int) {}

 protected:
  IGlobalSynth* m_synth;
  unsigned int m_bus = 0;
  float m_rate = 0.0f;
};

class CBusFilter : public CBusStage {
 public:
  using CBusStage::CBusStage;
};
class CBusDrive : public CBusStage {
 public:
  using CBusStage::CBusStage;
};
