// The formant waves "Formant 1" to "Formant 4" (modes 22 to 25). Each reads
// a source wave a with a formant-like spectrum and multiplies it by a
// self-weighting factor (1 - Y + Y a), with which Morph Y turns a into a^2,
// and by a second-wave factor that Morph X brings in or takes out: a second
// table at the same phase (Formant 1 and 2) or a sine at 8 or 6 times the
// phase, one sample late (Formant 3 and 4). No key fade, no band-limiting.

#include "osc/Oscillator.h"
#include "osc/WaveSteps.h"

namespace {

using namespace OscFrame;
using namespace OscWaves;

struct FORMANT_CONTROL {
  float x, y;
  void Set(const OSC_FRAME& f) {
    x = Unit(f.X);
    y = Unit(f.Y);
  }
  float Weight(float a) const { return a * (1.0f - y + y * a); }
};

// Source and second wave read at the same phase; X = 1 leaves the source.
struct FORMANT_PAIR_WAVE {
  const float* source;
  const float* second;
  FORMANT_CONTROL c;
  void Control(const OSC_FRAME& f) { c.Set(f); }
  float Step(float p, const OSC_FRAME&, OSC_STATE*) {
    float a = Wave(source, p);
    float b = Wave(second, p);
    return c.Weight(a) * (c.x + (1.0f - c.x) * b);
  }
};

// The first resonant table times a sine at 8 times the phase, one sample
// late; X = 1 leaves the source.
struct FORMANT3_WAVE {
  FORMANT_CONTROL c;
  void Control(const OSC_FRAME& f) { c.Set(f); }
  float Step(float p, const OSC_FRAME&, OSC_STATE* s) {
    float a = Wave(Tables::RESONANT1_TABLE, p);
    float b = Sine(s->auxPhase1);
    s->auxPhase1 = Wrap1(8.0f * p);
    return c.Weight(a) * (c.x + (1.0f - c.x) * b);
  }
};

// The fourth resonant table times a sine at 6 times the phase, one sample
// late; here X = 0 leaves the source and X = 1 gives the full product.
struct FORMANT4_WAVE {
  FORMANT_CONTROL c;
  void Control(const OSC_FRAME& f) { c.Set(f); }
  float Step(float p, const OSC_FRAME&, OSC_STATE* s) {
    float a = Wave(Tables::RESONANT4_TABLE, p);
    float b = Sine(s->auxPhase1);
    s->auxPhase1 = Wrap1(6.0f * p);
    return c.Weight(a) * ((1.0f - c.x) + c.x * b);
  }
};

}  // namespace

void COscillator::GenerateFormant1(CVoice* voice, float* out, unsigned int n) {
  FORMANT_PAIR_WAVE wave = {};
  wave.source = Tables::VOWEL1_TABLE;
  wave.second = Tables::VOWEL3_TABLE;
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GenerateFormant2(CVoice* voice, float* out, unsigned int n) {
  FORMANT_PAIR_WAVE wave = {};
  wave.source = Tables::VOWEL2_TABLE;
  wave.second = Tables::SYN_GUITAR2_TABLE;
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GenerateFormant3(CVoice* voice, float* out, unsigned int n) {
  FORMANT3_WAVE wave = {};
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GenerateFormant4(CVoice* voice, float* out, unsigned int n) {
  FORMANT4_WAVE wave = {};
  _RenderFrame(voice, out, n, wave);
}
