// The harmonic waves (modes 40 to 43): the fundamental mixed with one upper
// partial (Harmonic 4: the second with the fourth), in proportions Morph X
// sets, times an amplitude modulation by one partial whose depth Morph Y
// sets. Every partial is a whole multiple of the phase, so the wave repeats
// at the played pitch. Harmonic 3 and 4 read their partials at the phases
// the previous sample stored (one sample late), as part of their sound.

#include "osc/Oscillator.h"
#include "osc/RenderFrame.h"
#include "osc/ToneSteps.h"

namespace {

using namespace ToneSteps;

// Harmonic 1 and 2: the partial at PARTIAL x p both joins the mix and
// drives the modulation.
template <unsigned int PARTIAL>
struct HARMONIC_MIX_WAVE {
  float h, w;
  void Control(const OSC_FRAME& f) {
    h = Unit(f.X);
    w = 0.8f * Unit(f.Y) + 0.1f;
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE*) {
    float s1 = Sine(p);
    float sk = Sine(Wrap1(static_cast<float>(PARTIAL) * p));
    return (1.0f - w + w * sk) * (s1 + h * sk) / (1.0f + h);
  }
};

// Harmonic 3: the third partial in the mix, the fifth modulating.
struct HARMONIC3_WAVE {
  float h, w;
  void Control(const OSC_FRAME& f) {
    h = 0.6f * Unit(f.X) + 0.2f;
    w = 0.8f * Unit(f.Y) + 0.1f;
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE* s) {
    float s1 = Sine(p);
    float s3 = Sine(s->auxPhase2), s5 = Sine(s->auxPhase1);
    s->auxPhase1 = Wrap1(5.0f * p);
    s->auxPhase2 = Wrap1(3.0f * p);
    return (1.0f - w + w * s5) * (s1 + h * s3) / (1.0f + h);
  }
};

// Harmonic 4: the second and fourth partials crossfaded, the fundamental
// only as the modulation.
struct HARMONIC4_WAVE {
  float g, w;
  void Control(const OSC_FRAME& f) {
    g = 0.85f * Unit(f.X) + 0.1f;
    w = 0.5f * Unit(f.Y) + 0.3f;
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE* s) {
    float s1 = Sine(p);
    float s2 = Sine(s->auxPhase1), s4 = Sine(s->auxPhase2);
    s->auxPhase1 = Wrap1(2.0f * p);
    s->auxPhase2 = Wrap1(4.0f * p);
    return (1.0f - w + w * s1) * (g * s4 + (1.0f - g) * s2);
  }
};

}  // namespace

void COscillator::GenerateHarmonic1(CVoice* voice, float* out, unsigned int n) {
  HARMONIC_MIX_WAVE<2> wave = {};
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GenerateHarmonic2(CVoice* voice, float* out, unsigned int n) {
  HARMONIC_MIX_WAVE<4> wave = {};
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GenerateHarmonic3(CVoice* voice, float* out, unsigned int n) {
  HARMONIC3_WAVE wave = {};
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GenerateHarmonic4(CVoice* voice, float* out, unsigned int n) {
  HARMONIC4_WAVE wave = {};
  _RenderFrame(voice, out, n, wave);
}
