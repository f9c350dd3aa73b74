#pragma once
// Brings the two oversampled bus mixes back to the host rate in place: one
// 2:1 decimation stage per doubling of the oversampling factor, per mix and
// channel, then a DC blocker per mix and channel (about 15 Hz).

#include "engine/DcBlocker.h"
#include "osc/2XDownSampler.h"

class IGlobalSynth;
class CStereoBuffer;

class CDownSampler {
 public:
  explicit CDownSampler(IGlobalSynth* synth);
  ~CDownSampler();
  CDownSampler(const CDownSampler&) = delete;
  CDownSampler& operator=(const CDownSampler&) = delete;

  // Zeroes the decimator states and the DC blockers' history.
  void Reset();
  // Host rate; sets the DC coefficient and keeps the history.
  void SetSampleRate(float sr);
  // mixes: the two bus mixes; frames = host frames x oversampling factor.
  // Afterwards the first frames / factor samples of each mix hold the block.
  void Process(CStereoBuffer* mixes, unsigned int frames);

 private:
  static const unsigned int MAX_STAGES = 3;

  // Zeroes both the decimator states of one mix channel and its DC history.
  void _ResetChannel(unsigned int mix, unsigned int ch);
  // One mix (channels l and r) whose samples and decimator memories are
  // small enough that no stage can overflow: no flush and no output test
  // needed, the last stage and the DC blockers in one pass. False, with
  // nothing changed, for any other mix.
  bool _ProcessBoundedMix(unsigned int m, float* l, float* r, unsigned int frames, unsigned int stages, bool dcOn);
  // Any mix: non-finite input flushed, the stages, a channel whose output is
  // not finite flushed and reset, then the DC blockers.
  void _ProcessMix(unsigned int m, float* l, float* r, unsigned int frames, unsigned int stages, bool dcOn);

  IGlobalSynth* m_synth;
  // Index 4 * stage + 2 * mix + channel.
  C2XDownSampler m_states[4 * MAX_STAGES];
  // Index 2 * mix + channel.
  DC_BLOCKER m_dc[4];
};
