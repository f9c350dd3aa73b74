// The sync waves "Sync 1" to "Sync 6" (modes 16 to 21): a hard-synced pair
// of oscillators inside one. A slave phase runs at a ratio of the note's
// frequency that Morph X sets and restarts whenever the oscillator's own
// phase wraps. Sync 1 to 3 read a band-limited pulse or saw at the slave
// phase and hide each restart behind a short fade to silence along the
// band-limited step; Sync 4 to 6 multiply sines at warped slave and master
// phases, without band-limiting.

#include "osc/Oscillator.h"
#include "osc/WaveSteps.h"

namespace {

using namespace OscFrame;
using namespace OscWaves;

const float SYNC4_FADE_LO_HZ = 300.0f, SYNC4_FADE_HI_HZ = 4000.0f;

// Control values of the windowed waves: slave ratio r, its correction width
// w and the restart window's scale h.
struct SYNC_RATIO {
  float r, w, h;
  void Set(float x, float inc) {
    r = 15.0f * x + 1.0f;
    w = 4.0f * inc * r;
    h = 1.0f / (8.0f * inc);
  }
};

// The slave pulse, silenced around each restart.
struct SYNC1_WAVE {
  const float* blSaw;
  const float* blImp;
  SYNC_RATIO s;
  float o;
  void Control(const OSC_FRAME& f) {
    s.Set(Unit(f.X), f.inc);
    o = 0.3f * Unit(f.Y) + 0.5f;
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE* st) {
    float win = RestartWindow(blImp, st->auxPhase2, s.h);
    float R = Pulse(blSaw, st->auxPhase1, o, s.w);
    st->auxPhase1 = Wrap1(s.r * p);
    st->auxPhase2 = Wrap1(p + 0.5f);
    return win * R;
  }
};

// The slave pulse gated by the weak saw at the note's frequency, three
// quarters of a cycle ahead, and silenced around each restart.
struct SYNC2_WAVE {
  const float* blSaw;
  const float* blImp;
  SYNC_RATIO s;
  float o;
  void Control(const OSC_FRAME& f) {
    s.Set(Unit(f.X), f.inc);
    o = 0.25f * Unit(f.Y) + 0.5f;
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE* st) {
    float win = RestartWindow(blImp, st->auxPhase2, s.h);
    float env = Wave(Tables::WEAKSAW_TABLE, st->auxPhase3);
    float R = Pulse(blSaw, st->auxPhase1, o, s.w);
    st->auxPhase1 = Wrap1(s.r * p);
    st->auxPhase2 = Wrap1(p + 0.5f);
    st->auxPhase3 = Wrap1(p + 0.75f);
    return (env + 1.0f) * 0.5f * win * R;
  }
};

// The slave saw gated by a unipolar sine and the restart window; Y blends
// it into twice its square and raises the gain.
struct SYNC3_WAVE {
  const float* blSaw;
  const float* blImp;
  SYNC_RATIO s;
  float y, G;
  void Control(const OSC_FRAME& f) {
    s.Set(Unit(f.X), f.inc);
    y = Unit(f.Y);
    G = y + 1.0f;
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE* st) {
    float env = Sine(st->auxPhase3);
    float win = RestartWindow(blImp, st->auxPhase2, s.h);
    float S = BandLimitedSaw(blSaw, st->auxPhase1, s.w);
    st->auxPhase1 = Wrap1(s.r * p);
    st->auxPhase2 = Wrap1(p + 0.5f);
    float v = (env + 1.0f) * 0.5f * win * S;
    st->auxPhase3 = Wrap1(p + 0.75f);
    return (y * v + (1.0f - y)) * G * v;
  }
};

// The phase-distorted master sine gated by the unipolar, phase-distorted
// slave sine; only the drive fades with the key range.
struct SYNC4_WAVE {
  float r, d, invSatD;
  void Control(const OSC_FRAME& f) {
    r = 14.5f * Unit(f.X) + 1.5f;
    d = f.morphScale * Unit(f.Y) * 4.0f + 2.0f;
    invSatD = 1.0f / SoftSaturate(d);
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE* st) {
    float sa = Sine(st->auxPhase1);
    st->auxPhase1 = ShapePhase(p, d, invSatD);
    float sb = Sine(st->auxPhase2);
    st->auxPhase2 = ShapePhase(Wrap1(r * p), d, invSatD);
    return sa * (sb + 1.0f) * 0.5f;
  }
};

// The synced slave sine gated by the square of a unipolar, phase-distorted
// master sine shifted by 0.75 - 0.15 Y of a cycle.
struct SYNC5_WAVE {
  float r, d, invSatD, shift;
  void Control(const OSC_FRAME& f) {
    float y = Unit(f.Y);
    r = 13.9f * Unit(f.X) + 2.1f;
    d = 4.0f * y + 0.01f;
    shift = 0.75f - 0.15f * y;
    invSatD = 1.0f / SoftSaturate(d);
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE* st) {
    float sa = Sine(st->auxPhase1);
    float sb = Sine(st->auxPhase2);
    st->auxPhase1 = ShapePhase(Wrap(p + shift), d, invSatD);
    st->auxPhase2 = Wrap1(r * p);
    float g = (sa + 1.0f) * 0.5f;
    return sb * g * g;
  }
};

// The phase-distorted slave sine gated by two unipolar sines, at 16 times
// the note's frequency and at the note's frequency three quarters ahead.
struct SYNC6_WAVE {
  float r, d, invSatD;
  void Control(const OSC_FRAME& f) {
    r = 15.0f * Unit(f.X) + 1.1f;
    d = 2.0f * Unit(f.Y) + 0.01f;
    invSatD = 1.0f / SoftSaturate(d);
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE* st) {
    float sa = Sine(st->auxPhase1);
    st->auxPhase1 = ShapePhase(Wrap1(r * p), d, invSatD);
    float sb = Sine(st->auxPhase2);
    float sc = Sine(st->auxPhase3);
    st->auxPhase2 = Wrap1(16.0f * p);
    st->auxPhase3 = Wrap1(p + 0.75f);
    return sa * (sb + 1.0f) * (sc + 1.0f) * 0.325f;
  }
};

}  // namespace

void COscillator::GenerateSync1(CVoice* voice, float* out, unsigned int n) {
  if (SilentWithoutTable(m_blSaw && m_blImp ? m_blSaw : nullptr, out, n)) return;
  SYNC1_WAVE wave = {};
  wave.blSaw = m_blSaw;
  wave.blImp = m_blImp;
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GenerateSync2(CVoice* voice, float* out, unsigned int n) {
  if (SilentWithoutTable(m_blSaw && m_blImp ? m_blSaw : nullptr, out, n)) return;
  SYNC2_WAVE wave = {};
  wave.blSaw = m_blSaw;
  wave.blImp = m_blImp;
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GenerateSync3(CVoice* voice, float* out, unsigned int n) {
  if (SilentWithoutTable(m_blSaw && m_blImp ? m_blSaw : nullptr, out, n)) return;
  SYNC3_WAVE wave = {};
  wave.blSaw = m_blSaw;
  wave.blImp = m_blImp;
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GenerateSync4(CVoice* voice, float* out, unsigned int n) {
  m_morphFade.SetLimits(SYNC4_FADE_LO_HZ, SYNC4_FADE_HI_HZ);
  SYNC4_WAVE wave = {};
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GenerateSync5(CVoice* voice, float* out, unsigned int n) {
  SYNC5_WAVE wave = {};
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GenerateSync6(CVoice* voice, float* out, unsigned int n) {
  SYNC6_WAVE wave = {};
  _RenderFrame(voice, out, n, wave);
}
