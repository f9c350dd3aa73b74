// The resonant waves "Resonant 1" to "Resonant 5" (modes 11 to 15).
// Resonant 2 to 5 imitate a resonant peak with a band-limited pulse at a
// whole multiple of the note's frequency (8, 16, 8 and 5 times) that
// restarts with the fundamental, is gated by a wave at the fundamental and
// mixed with it; Morph X and Y set pulse width and mix. Resonant 1 reads a
// resonant table at a phase that a soft saw pushes back and forth, with a
// key fade on that push.

#include "osc/Oscillator.h"
#include "osc/WaveSteps.h"

namespace {

using namespace OscFrame;
using namespace OscWaves;

const float RESONANT1_FADE_LO_HZ = 500.0f, RESONANT1_FADE_HI_HZ = 3500.0f;

// The third resonant table at a phase pushed by the weak saw; Y blends the
// value into its square before the saw is taken off.
struct RESONANT1_WAVE {
  float m, y;
  void Control(const OSC_FRAME& f) {
    m = f.morphScale * (0.4f * Unit(f.X) + 0.1f);
    y = Unit(f.Y);
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE* s) {
    float w = Wave(Tables::WEAKSAW_TABLE, p);
    float r = Wave(Tables::RESONANT3_TABLE, s->auxPhase1);
    s->auxPhase1 = Wrap(m * w + p + 0.25f);
    return 0.7f * (((r - 1.0f) * y + 1.0f) * r - w);
  }
};

// A pulse at 8 times the note, gated by the fundamental pulse of the same
// width, mixed with that pulse.
struct RESONANT2_WAVE {
  const float* blSaw;
  float mix, o, wR, wF;
  void Control(const OSC_FRAME& f) {
    mix = 0.7f * Unit(f.X) + 0.3f;
    o = 0.4f * Unit(f.Y) + 0.5f;
    wR = 32.0f * f.inc;
    wF = 4.0f * f.inc;
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE* s) {
    float R = Pulse(blSaw, s->auxPhase1, o, wR);
    s->auxPhase1 = Wrap(8.0f * p);
    float F = Pulse(blSaw, p, o, wF);
    return R * (F + 1.0f) * 0.5f * mix + (1.0f - mix) * F;
  }
};

// A pulse at 16 times the note, gated by the fundamental saw, mixed with it.
struct RESONANT3_WAVE {
  const float* blSaw;
  float mix, o, wR, wS;
  void Control(const OSC_FRAME& f) {
    mix = 0.7f * Unit(f.X) + 0.3f;
    o = 0.49f * Unit(f.Y) + 0.5f;
    wR = 64.0f * f.inc;
    wS = 4.0f * f.inc;
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE* s) {
    float R = Pulse(blSaw, s->auxPhase1, o, wR);
    s->auxPhase1 = Wrap(16.0f * p);
    float S = BandLimitedSaw(blSaw, p, wS);
    return R * (S + 1.0f) * 0.5f * mix + (1.0f - mix) * S;
  }
};

// A pulse at 8 times the note, its width set by X, multiplied by the second
// resonant table; Y lowers the gated share.
struct RESONANT4_WAVE {
  const float* blSaw;
  float mix, o, wR;
  void Control(const OSC_FRAME& f) {
    o = 0.49f * Unit(f.X) + 0.5f;
    mix = 1.0f - 0.7f * Unit(f.Y);
    wR = 32.0f * f.inc;
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE* s) {
    float R = Pulse(blSaw, s->auxPhase1, o, wR);
    s->auxPhase1 = Wrap(8.0f * p);
    float q = Wave(Tables::RESONANT2_TABLE, p);
    return R * q * mix + (1.0f - mix) * q;
  }
};

// A pulse at 5 times the note, gated by the flute table; X lowers the gated
// share, Y sets the width.
struct RESONANT5_WAVE {
  const float* blSaw;
  float mix, o, wR;
  void Control(const OSC_FRAME& f) {
    mix = 1.0f - 0.8f * Unit(f.X);
    o = 0.4f * Unit(f.Y) + 0.5f;
    wR = 20.0f * f.inc;
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE* s) {
    float R = Pulse(blSaw, s->auxPhase1, o, wR);
    s->auxPhase1 = Wrap(5.0f * p);
    float q = Wave(Tables::SYN_FLUTE1_TABLE, p);
    return q * R * mix + (1.0f - mix) * R;
  }
};

}  // namespace

void COscillator::GenerateResonant1(CVoice* voice, float* out, unsigned int n) {
  m_morphFade.SetLimits(RESONANT1_FADE_LO_HZ, RESONANT1_FADE_HI_HZ);
  RESONANT1_WAVE wave = {};
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GenerateResonant2(CVoice* voice, float* out, unsigned int n) {
  if (SilentWithoutTable(m_blSaw, out, n)) return;
  RESONANT2_WAVE wave = {};
  wave.blSaw = m_blSaw;
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GenerateResonant3(CVoice* voice, float* out, unsigned int n) {
  if (SilentWithoutTable(m_blSaw, out, n)) return;
  RESONANT3_WAVE wave = {};
  wave.blSaw = m_blSaw;
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GenerateResonant4(CVoice* voice, float* out, unsigned int n) {
  if (SilentWithoutTable(m_blSaw, out, n)) return;
  RESONANT4_WAVE wave = {};
  wave.blSaw = m_blSaw;
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GenerateResonant5(CVoice* voice, float* out, unsigned int n) {
  if (SilentWithoutTable(m_blSaw, out, n)) return;
  RESONANT5_WAVE wave = {};
  wave.blSaw = m_blSaw;
  _RenderFrame(voice, out, n, wave);
}
