#pragma once
// One bus: the send from bus 1 (bus 2 only), the filter, drive, shaper and
// lo-fi stages behind an on switch and an order switch, and the output stage.
// It runs per voice or once on the mix of all voices (parameter 472); in the
// latter case it keeps its state in the mono voice.

#include "dsp/BusDrive.h"
#include "dsp/BusFilter.h"
#include "dsp/BusOutput.h"
#include "dsp/BusShaper.h"
#include "dsp/LoFi.h"
#include "engine/ModulatedParam.h"

class IGlobalSynth;
class CStereoBuffer;
class CVoice;

class CBusProcessor {
 public:
  explicit CBusProcessor(IGlobalSynth* synth);
  ~CBusProcessor() = default;
  CBusProcessor(const CBusProcessor&) = delete;
  CBusProcessor& operator=(const CBusProcessor&) = delete;

  void SetInstance(unsigned int bus);
  void SetMonoVoice(CVoice* voice) { m_monoVoice = voice; }
  // The oversampled rate.
  void SetSampleRate(float rate);
  // The bus stages need no block length; kept for the voice manager's
  // uniform set-up calls.
  void SetBlockSize(unsigned int) {}
  void StartVoice(CVoice* voice);
  void Reset(CVoice* voice);
  void UpdateParams(unsigned int n);
  // buses points at the two consecutive bus buffers; works in place on its
  // own and, in bus 2, reads bus 1's for the send.
  void Process(CVoice* voice, CStereoBuffer* buses, unsigned int n);
  void ProcessOutput(CVoice* voice, CStereoBuffer* buses, unsigned int n);

 private:
  CVoice* _Target(CVoice* voice);
  bool _SendActive();

  IGlobalSynth* m_synth;
  unsigned int m_bus = 0;
  float m_sampleRate = 0.0f;
  CVoice* m_monoVoice = nullptr;
  MODULATED_PARAM m_send;
  CBusFilter m_filter;
  CBusDrive m_drive;
  CLoFi m_lofi;
  CBusShaper m_shaper;
  CBusOutput m_output;
};
