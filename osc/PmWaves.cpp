// The phase-modulation waves "Fatty 1" to "Fatty 7" (modes 4 to 10). Each
// bends the oscillator's phase before reading a single-cycle table: Fatty 1
// to 5 through the saturating phase warp, Fatty 6 and 7 by a table-driven
// offset; the value read then becomes the phase of a second sine, is folded,
// or is bent by a parabola. Morph X and Y set the strength of bending and
// shaping and fade out towards high notes over each wave's own key range.
// None of them is band-limited.

#include "osc/Oscillator.h"
#include "osc/WaveSteps.h"

namespace {

using namespace OscFrame;
using namespace OscWaves;

// Key ranges (Hz) over which Morph X and Y fade out.
struct KEY_RANGE {
  float lo, hi;
};
const KEY_RANGE FATTY_RANGE[7] = {{300.0f, 5000.0f}, {300.0f, 3500.0f}, {500.0f, 3500.0f}, {300.0f, 3500.0f},
                                  {500.0f, 5000.0f}, {500.0f, 7000.0f}, {500.0f, 10000.0f}};

// A sine carrier phase-modulated by a phase-distorted sine of the same
// frequency: the carrier phase lags one sample, the modulator two.
struct FATTY1_WAVE {
  float d, invSatD, m;
  void Control(const OSC_FRAME& f) {
    float k = f.morphScale;
    d = (46.0f * Unit(f.X) + 18.0f) * k + 2.0f;
    m = (0.6f * Unit(f.Y) + 0.2f) * k + 0.2f;
    invSatD = 1.0f / SoftSaturate(d);
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE* s) {
    float c = Sine(s->auxPhase1);
    s->auxPhase1 = ShapePhase(p, d, invSatD);
    float y = Sine(s->auxPhase2);
    s->auxPhase2 = Wrap(c * m + p);
    return y;
  }
};

// The weak triangle at the warped phase, its peaks folded back by Y.
struct FATTY2_WAVE {
  float d, invSatD, f;
  void Control(const OSC_FRAME& fr) {
    float k = fr.morphScale;
    d = (42.0f * Unit(fr.X) + 5.0f) * k * k + 1.0f;
    f = Unit(fr.Y) * k;
    invSatD = 1.0f / SoftSaturate(d);
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE* s) {
    float w = Wave(Tables::WEAKTRIANGLE_TABLE, s->auxPhase1);
    s->auxPhase1 = ShapePhase(p, d, invSatD);
    return FoldBack(w, f);
  }
};

// 0.6 of a sine plus the folded weak saw, both at the warped phase.
struct FATTY3_WAVE {
  float d, invSatD, f;
  void Control(const OSC_FRAME& fr) {
    float k = fr.morphScale;
    d = (40.0f * Unit(fr.X) + 20.0f) * k + 0.1f;
    f = 0.5f * Unit(fr.Y) * k * k + 0.05f;
    invSatD = 1.0f / SoftSaturate(d);
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE* s) {
    float w = Wave(Tables::WEAKSAW_TABLE, s->auxPhase1);
    float c = Sine(s->auxPhase1);
    s->auxPhase1 = ShapePhase(p, d, invSatD);
    return 0.6f * c + FoldBack(w, f);
  }
};

// The squared weak saw at the warped phase, folded and recentred.
struct FATTY4_WAVE {
  float d, invSatD, f;
  void Control(const OSC_FRAME& fr) {
    float k = fr.morphScale;
    d = (60.0f * Unit(fr.X) + 30.0f) * k + 0.1f;
    f = (0.5f * Unit(fr.X) + 0.5f * Unit(fr.Y)) * k * k;
    invSatD = 1.0f / SoftSaturate(d);
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE* s) {
    float w = Wave(Tables::WEAKSAW_TABLE, s->auxPhase1);
    s->auxPhase1 = ShapePhase(p, d, invSatD);
    return 2.0f * (FoldBack(w * w, f) - 0.5f);
  }
};

// A sine at the warped phase through the parabolic shaper.
struct FATTY5_WAVE {
  float d, invSatD, f, g;
  void Control(const OSC_FRAME& fr) {
    float k = fr.morphScale;
    d = (25.0f * Unit(fr.X) + 5.0f) * k + 1.0f;
    f = 0.85f * Unit(fr.Y) * k + 0.0001f;
    g = ParabGain(f);
    invSatD = 1.0f / SoftSaturate(d);
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE* s) {
    float v = f * Sine(s->auxPhase1);
    s->auxPhase1 = ShapePhase(p, d, invSatD);
    return Parab(v, g);
  }
};

// Half the weak saw plus the shaped weak triangle, whose phase the saw
// pushes three quarters of a cycle ahead and back.
struct FATTY6_WAVE {
  float m, f, g;
  void Control(const OSC_FRAME& fr) {
    float k = fr.morphScale;
    m = (0.65f * Unit(fr.X) + 0.15f) * k;
    f = 0.9f * Unit(fr.Y) * k + 0.0001f;
    g = ParabGain(f);
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE* s) {
    float w = Wave(Tables::WEAKSAW_TABLE, p);
    float v = f * Wave(Tables::WEAKTRIANGLE_TABLE, s->auxPhase1);
    s->auxPhase1 = Wrap(m * w + p + 0.75f);
    return 0.5f * w + Parab(v, g);
  }
};

// The shaped weak saw, its phase a quarter cycle ahead and pushed by a sine.
struct FATTY7_WAVE {
  float m, f, g;
  void Control(const OSC_FRAME& fr) {
    float k = fr.morphScale;
    float x = Unit(fr.X);
    m = 0.35f * x * k;
    f = (0.45f * Unit(fr.Y) + 0.45f * x) * k + 0.0001f;
    g = ParabGain(f);
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE* s) {
    float c = Sine(p);
    float v = f * Wave(Tables::WEAKSAW_TABLE, s->auxPhase1);
    s->auxPhase1 = Wrap(m * c + p + 0.25f);
    return Parab(v, g);
  }
};

}  // namespace

void COscillator::GeneratePowerWave1(CVoice* voice, float* out, unsigned int n) {
  m_morphFade.SetLimits(FATTY_RANGE[0].lo, FATTY_RANGE[0].hi);
  FATTY1_WAVE wave = {};
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GeneratePowerWave2(CVoice* voice, float* out, unsigned int n) {
  m_morphFade.SetLimits(FATTY_RANGE[1].lo, FATTY_RANGE[1].hi);
  FATTY2_WAVE wave = {};
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GeneratePowerWave3(CVoice* voice, float* out, unsigned int n) {
  m_morphFade.SetLimits(FATTY_RANGE[2].lo, FATTY_RANGE[2].hi);
  FATTY3_WAVE wave = {};
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GeneratePowerWave4(CVoice* voice, float* out, unsigned int n) {
  m_morphFade.SetLimits(FATTY_RANGE[3].lo, FATTY_RANGE[3].hi);
  FATTY4_WAVE wave = {};
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GeneratePowerWave5(CVoice* voice, float* out, unsigned int n) {
  m_morphFade.SetLimits(FATTY_RANGE[4].lo, FATTY_RANGE[4].hi);
  FATTY5_WAVE wave = {};
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GeneratePowerWave6(CVoice* voice, float* out, unsigned int n) {
  m_morphFade.SetLimits(FATTY_RANGE[5].lo, FATTY_RANGE[5].hi);
  FATTY6_WAVE wave = {};
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GeneratePowerWave7(CVoice* voice, float* out, unsigned int n) {
  m_morphFade.SetLimits(FATTY_RANGE[6].lo, FATTY_RANGE[6].hi);
  FATTY7_WAVE wave = {};
  _RenderFrame(voice, out, n, wave);
}
