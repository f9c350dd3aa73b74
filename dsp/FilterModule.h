#pragma once
// What the oscillator and bus filters share: the per-voice key-tracking
// glide, the state reset, the binding of the kernels to the voice's state
// blocks, the control values read from the parameter buffers, and the
// per-mode sample loop with its control ticks.

#include <cstring>

#include "dsp/FilterBank.h"
#include "dsp/FilterState.h"
#include "engine/IGlobalSynth.h"
#include "engine/IModulation.h"
#include "engine/Vectorize.h"
#include "engine/Voice.h"

class CFilterModule {
 protected:
  static const unsigned int ID_MASTER_DETUNE = 133;
  static const unsigned int ID_MASTER_GLIDE = 134;
  static const unsigned int ID_BUS_MODE = 472;
  static const unsigned int ID_GLIDE_MODE = 481;
  static const unsigned int ID_FILTER_GLIDE = 482;
  static const unsigned int ID_TRANSPOSE = 483;
  static const unsigned int ID_BEND_RANGE = 1583;
  static const unsigned int CONTROLLER_PITCH_BEND = 121;

  explicit CFilterModule(IGlobalSynth* synth) : m_synth(synth), m_glideSynth(synth) {}

  // Stores the rate and sizes the comb lines for it.
  void _SetSampleRate(float rate, float maxTime);

  // A stored whole-number setting; anything not finite counts as 0.
  float _Setting(unsigned int id) const;

  // Key-tracking glide start of a voice (see StartVoice of the modules).
  void _StartGlide(CVoice* voice, FILTER_STATE* s) {
    if (!*voice->GetLegato() && m_synth->GetParam(ID_GLIDE_MODE) == 0.0f) m_firstNote = false;
    const float note = static_cast<float>(*voice->GetPitch());
    float start = note, inc = 0.0f;
    unsigned int steps = 0;
    if (m_firstNote) {
      float g = m_glideSynth->GetParam(ID_MASTER_GLIDE);
      if (!(g > 0.0f)) g = 0.0f;
      if (g > 1.0f) g = 1.0f;
      // Steps are control ticks, one per host sample whatever the
      // oversampling: count them as at the 2x rate so that the glide takes
      // the same time at 2x, 4x and 8x.
      unsigned int K, shift;
      _ControlStep(K, shift);
      const float t = std::floor(g * g * g * m_rate * (2.0f / static_cast<float>(K)));
      steps = t > 0.0f ? (t < 1e9f ? static_cast<unsigned int>(t) : 1000000000u) : 0;
      start = m_glideSynth->GetLastPitch();
      if (!std::isfinite(start)) start = note;
      inc = steps ? (note - start) / static_cast<float>(steps) : 0.0f;
    } else {
      m_firstNote = true;
    }
    s->filterGlidePitch = start;
    s->filterTargetPitch = note;
    s->filterGlideSteps = steps;
    s->filterGlideInc = inc;
  }

  // Clears the filter state of a voice: the whole blocks for the comb modes
  // (their delay lines), otherwise the kernels' words; and the write indices.
  static void _ResetState(FILTER_STATE* s, int mode) {
    const bool comb = FilterBank::IsCombMode(mode);
    for (unsigned int c = 0; c < 2; ++c) _Clear(s->memory[c], s->blockSize, comb);
    s->combIndex[0] = s->combIndex[1] = 0;
    for (unsigned int c = 0; c < 2; ++c)
      for (unsigned int j = 0; j < 3; ++j) s->bellIndex[c][j] = 0;
    s->filterCleared = comb ? 2 : 1;
  }

  // Points channel c's kernels at block c of the voice (channels 0 and 1, or
  // channel 0 only). State never cleared since the voice began is cleared
  // first, so no kernel reads memory a previous owner of the block left.
  // Returns false when a block cannot serve the mode.
  bool _Bind(FILTER_STATE* s, int mode, unsigned int channels) {
    const bool comb = FilterBank::IsCombMode(mode);
    if (s->filterCleared == 0 || (comb && s->filterCleared < 2)) {
      for (unsigned int c = 0; c < 2; ++c) _Clear(s->memory[c], s->blockSize, comb);
      s->filterCleared = comb ? 2 : 1;
    }
    bool ok = true;
    for (unsigned int c = 0; c < channels; ++c)
      ok = m_ch[c].Bind(mode, static_cast<float*>(s->memory[c]), s->blockSize, &s->combIndex[c], s->bellIndex[c]) && ok;
    return ok;
  }

  // The pitch the key tracking follows at a control tick.
  static float _TrackedPitch(FILTER_STATE* s, bool glide) {
    if (glide && s->filterGlideSteps > 0) {
      --s->filterGlideSteps;
      s->filterGlidePitch += s->filterGlideInc;
      return s->filterGlidePitch;
    }
    return s->filterTargetPitch;
  }

  // Sum of a parameter's audio-rate source terms at control index j.
  static float _SourceSum(const MOD_SOURCE_LIST* list, unsigned int j) {
    double v = 0.0;
    for (unsigned int k = 0; k < list->count; ++k) {
      const double a = 2.0 * static_cast<double>(list->amount[k][j]) - 1.0;
      v += static_cast<double>(list->source[k][j]) * (a < 0.0 ? -a : a) * a;
    }
    return static_cast<float>(v);
  }
  // A parameter's value at control index j, kept in 0..1 (the kernels rely
  // on it; NaN gives 0).
  static float _Value(const float* values, const MOD_SOURCE_LIST* list, unsigned int j) {
    float v = values ? values[j] : 0.0f;
    if (list->count) v = static_cast<float>(static_cast<double>(v) + static_cast<double>(_SourceSum(list, j)));
    if (!(v > 0.0f)) return 0.0f;
    return v < 1.0f ? v : 1.0f;
  }

  // A control parameter's value buffer and source list for this block, and
  // whether it holds one value through the block's ticks (see _Hold).
  struct CONTROL {
    const float* values;
    const MOD_SOURCE_LIST* sources;
    bool held;
    float stored;  // held: the buffered value (0 without a buffer)
    float value;   // held: the value every tick reads (_Value)
  };
  // Marks a control held when it reads one value at each of the first count
  // control indices of the block: no audio-rate source, and a ramp that has
  // ended (or no buffer at all). A held control is read once for the block
  // instead of at every tick. Returns whether it is held.
  bool _Hold(CONTROL& control, unsigned int id, unsigned int count) const {
    control.held = control.sources->count == 0 && (!control.values || m_synth->IsParamSettled(id, count));
    if (control.held) {
      control.stored = control.values ? control.values[0] : 0.0f;
      control.value = _Value(control.values, control.sources, 0);
    }
    return control.held;
  }
  // How many control indices the ticks of n samples read (see _Run).
  static unsigned int _ControlReads(unsigned int n, unsigned int K, unsigned int shift) {
    return n == 0 ? 0 : (((n - 1) / K * K) >> shift) + 1;
  }
  // Whether the key tracking moves during the block's ticks.
  static bool _Gliding(const FILTER_STATE* s, bool glide) { return glide && s->filterGlideSteps > 0; }

  // The source list of a parameter (an empty one without a matrix).
  MOD_SOURCE_LIST* _Sources(unsigned int id) const;

  CONTROL _Control(unsigned int id) const {
    return CONTROL{m_synth->GetParamPointer(id), _Sources(id), false, 0.0f, 0.0f};
  }

  // Control ticks are read in chunks of up to TICK_CHUNK: the inputs of a
  // chunk's ticks are gathered in one pass over each control buffer (loops
  // the compiler vectorises), then each tick only compares and computes.
  static const unsigned int TICK_CHUNK = 64;

  // _SourceSum at the control indices j0 .. j0 + count - 1, unrounded.
  MORLAVINE_VECTORIZE static void _SourceSums(const MOD_SOURCE_LIST* list, unsigned int j0, unsigned int count,
                                              double* __restrict sum) {
    for (unsigned int t = 0; t < count; ++t) sum[t] = 0.0;
    for (unsigned int k = 0; k < list->count; ++k) {
      const float* __restrict amount = list->amount[k] + j0;
      const float* __restrict source = list->source[k] + j0;
      for (unsigned int t = 0; t < count; ++t) {
        const double a = 2.0 * static_cast<double>(amount[t]) - 1.0;
        sum[t] += static_cast<double>(source[t]) * (a < 0.0 ? -a : a) * a;
      }
    }
  }
  // _Value of a control at the control indices j0 .. j0 + count - 1.
  MORLAVINE_VECTORIZE static void _Values(const CONTROL& control, unsigned int j0, unsigned int count,
                                          float* __restrict out) {
    if (control.held) {
      for (unsigned int t = 0; t < count; ++t) out[t] = control.value;
      return;
    }
    if (control.values) {
      const float* __restrict values = control.values + j0;
      for (unsigned int t = 0; t < count; ++t) out[t] = values[t];
    } else {
      for (unsigned int t = 0; t < count; ++t) out[t] = 0.0f;
    }
    if (control.sources->count) {
      double sum[TICK_CHUNK];
      _SourceSums(control.sources, j0, count, sum);
      for (unsigned int t = 0; t < count; ++t)
        out[t] = static_cast<float>(static_cast<double>(out[t]) + static_cast<double>(static_cast<float>(sum[t])));
    }
    for (unsigned int t = 0; t < count; ++t) {
      const float v = out[t];
      out[t] = v > 0.0f ? (v < 1.0f ? v : 1.0f) : 0.0f;
    }
  }
  // The cutoff pitch at the control indices j0 .. j0 + count - 1: the cutoff
  // and its audio-rate sources over 0..136, plus the unison and each tick's
  // key-tracking and velocity terms, clamped to 0..136 after every term is
  // added.
  MORLAVINE_VECTORIZE static void _CutoffPitches(const CONTROL& cutoff, unsigned int j0, unsigned int count,
                                                 float unison, const float* __restrict keyTerm,
                                                 const float* __restrict velTerm, float* __restrict out) {
    if (cutoff.held || !cutoff.values) {
      const float stored = cutoff.held ? cutoff.stored : 0.0f;
      for (unsigned int t = 0; t < count; ++t) out[t] = stored * 136.0f + unison + keyTerm[t] + velTerm[t];
    } else {
      const float* __restrict values = cutoff.values + j0;
      for (unsigned int t = 0; t < count; ++t) out[t] = values[t] * 136.0f + unison + keyTerm[t] + velTerm[t];
    }
    if (cutoff.sources->count) {
      double sum[TICK_CHUNK];
      _SourceSums(cutoff.sources, j0, count, sum);
      for (unsigned int t = 0; t < count; ++t) out[t] += static_cast<float>(sum[t]) * 136.0f;
    }
    for (unsigned int t = 0; t < count; ++t) {
      const float P = out[t];
      out[t] = P > 0.0f ? (P < FilterBank::MAX_CUTOFF_PITCH ? P : FilterBank::MAX_CUTOFF_PITCH) : 0.0f;
    }
  }
  // The key-tracking terms (key scale x (tracked pitch + tune)) of count
  // ticks in turn, the glide moving once per tick, and the velocity terms
  // (velocity scale x the term at full scaling); keyTerm and velTerm come
  // in holding the scales.
  MORLAVINE_VECTORIZE static void _TrackingTerms(FILTER_STATE* s, bool glide, float tune, float velFull,
                                                 unsigned int count, float* __restrict keyTerm,
                                                 float* __restrict velTerm) {
    float tracked[TICK_CHUNK];
    if (_Gliding(s, glide)) {
      for (unsigned int t = 0; t < count; ++t) tracked[t] = _TrackedPitch(s, glide);
    } else {
      const float target = s->filterTargetPitch;
      for (unsigned int t = 0; t < count; ++t) tracked[t] = target;
    }
    for (unsigned int t = 0; t < count; ++t) {
      keyTerm[t] = keyTerm[t] * (tracked[t] + tune);
      velTerm[t] = velTerm[t] * velFull;
    }
  }

  // The pitch bend in semitones: the wheel (not finite: 0) times the range.
  float _BendPitch() const;
  // The velocity term of the cutoff at full velocity scaling: 48 semitones
  // across the velocity range, 0 at half velocity.
  static float _VelocityTerm(CVoice* voice);
  // The ring modulator's carrier, two octaves below the note, as a fraction
  // of the rate (0 for notes up to 24 and for other modes).
  float _RingCarrier(int mode, CVoice* voice, float tuneTableScaler) const;
  // The control step K (at least 1) and its shift.
  void _ControlStep(unsigned int& K, unsigned int& shift) const;

  // Runs mode over n samples of a (and b when not null) with a control
  // tick at sample 0 and every K samples before the samples it covers:
  // read(j0, count) gathers the inputs of count ticks whose control indices
  // run from j0 on, then apply(t) brings tick t of them into the channels.
  // Modes outside 1..24 pass the samples but still tick. When the caller
  // knows that every tick of the block would find the same inputs (held),
  // only the tick at sample 0 runs: the later ones would keep its
  // coefficients.
  template <class READ, class APPLY>
  void _Run(int mode, float* a, float* b, unsigned int n, unsigned int K, unsigned int shift, bool held, READ& read,
            APPLY& apply) {
    switch (mode) {
#define FILTER_MODE_CASE(M) \
  case M:                   \
    _RunMode<M>(a, b, n, K, shift, held, read, apply); \
    return;
      FILTER_MODE_CASE(1) FILTER_MODE_CASE(2) FILTER_MODE_CASE(3) FILTER_MODE_CASE(4) FILTER_MODE_CASE(5)
      FILTER_MODE_CASE(6) FILTER_MODE_CASE(7) FILTER_MODE_CASE(8) FILTER_MODE_CASE(9) FILTER_MODE_CASE(10)
      FILTER_MODE_CASE(11) FILTER_MODE_CASE(12) FILTER_MODE_CASE(13) FILTER_MODE_CASE(14) FILTER_MODE_CASE(15)
      FILTER_MODE_CASE(16) FILTER_MODE_CASE(17) FILTER_MODE_CASE(18) FILTER_MODE_CASE(19) FILTER_MODE_CASE(20)
      FILTER_MODE_CASE(21) FILTER_MODE_CASE(22) FILTER_MODE_CASE(23) FILTER_MODE_CASE(24)
#undef FILTER_MODE_CASE
      default:
        _RunMode<0>(a, b, n, K, shift, held, read, apply);
        return;
    }
  }

  IGlobalSynth* m_synth;
  IGlobalSynth* m_glideSynth;
  unsigned int m_index = 0;
  float m_rate = 0.0f;
  bool m_firstNote = false;
  CFilterChannel m_ch[2];

 private:
  static void _Clear(void* block, unsigned int bytes, bool whole) {
    if (!block) return;
    const unsigned int head = FilterBank::RESET_WORDS * sizeof(float);
    std::memset(block, 0, whole || bytes < head ? bytes : head);
  }

  // One channel through MODE with the coefficients it holds. The channel is
  // copied into a local for the run: the stores to the samples cannot reach
  // a local or the kernel's state, so the coefficients and state words stay
  // in registers instead of being read and written every sample (the
  // kernels keep no state in the channel itself).
  template <int MODE>
  static void _RunChannel(const CFilterChannel& channel, float* __restrict x, unsigned int n) {
    CFilterChannel c = channel;
    c.Run<MODE>(x, n);
  }

  // The channels share no state: each runs a stretch of samples on its own.
  // Ticks are taken a chunk at a time; their control indices follow one
  // another only when K is the control step of the shift, else a chunk is a
  // single tick.
  template <int MODE, class READ, class APPLY>
  void _RunMode(float* a, float* b, unsigned int n, unsigned int K, unsigned int shift, bool held, READ& read,
                APPLY& apply) {
    const unsigned int step = held ? n : K;
    const unsigned int chunk = !held && K == (1u << shift) ? TICK_CHUNK : 1;
    for (unsigned int i = 0; i < n;) {
      const unsigned int ticks = (n - i - 1) / step + 1;
      const unsigned int count = ticks < chunk ? ticks : chunk;
      read(i >> shift, count);
      for (unsigned int t = 0; t < count; ++t) {
        apply(t);
        const unsigned int len = n - i > step ? step : n - i;
        if constexpr (MODE >= 1 && MODE <= 24) {
          _RunChannel<MODE>(m_ch[0], a + i, len);
          if (b) _RunChannel<MODE>(m_ch[1], b + i, len);
        }
        i += len;
      }
    }
  }
};
