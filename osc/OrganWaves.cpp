// The organ waves (modes 34 and 35): stored organ registrations read at the
// phase, combined with a sine at four times the phase. Organ 1 crossfades
// two registrations (Morph X) under an amplitude modulation (Morph Y);
// Organ 2 mixes the first registration with a phase-modulated sine whose
// centre Morph X and deviation Morph Y set. The sines read the phases the
// previous sample stored (one sample late).

#include "osc/Oscillator.h"
#include "osc/RenderFrame.h"
#include "osc/ToneSteps.h"
#include "tables/ToneTables.h"

namespace {

using namespace ToneSteps;
using OscFrame::TableRead;

struct ORGAN1_WAVE {
  float x, depth;
  void Control(const OSC_FRAME& f) {
    x = Unit(f.X);
    depth = 0.4f * Unit(f.Y);
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE* s) {
    float sine = Sine(s->auxPhase1);
    float o1 = TableRead(Tables::ORGAN_TABLE, Tables::ORGAN_TABLE_SIZEM1, p);
    float o2 = TableRead(Tables::ORGAN2_TABLE, Tables::ORGAN2_TABLE_SIZEM1, p);
    s->auxPhase1 = Wrap1(4.0f * p);
    return (depth * sine + 1.0f - depth) * (x * o2 + (1.0f - x) * o1);
  }
};

struct ORGAN2_WAVE {
  float centre, deviation;
  void Control(const OSC_FRAME& f) {
    centre = 0.25f * (1.0f - Unit(f.X));
    deviation = 0.5f + 0.5f * Unit(f.Y);
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE* s) {
    float s1 = Sine(s->auxPhase2);
    float s0 = Sine(s->auxPhase1);
    float o = TableRead(Tables::ORGAN_TABLE, Tables::ORGAN_TABLE_SIZEM1, p);
    s->auxPhase2 = Wrap1(4.0f * p + 0.5f);
    s->auxPhase1 = Wrap(centre + deviation * s1);
    return 0.5f * (s0 + o);
  }
};

}  // namespace

void COscillator::GenerateOrgan1(CVoice* voice, float* out, unsigned int n) {
  ORGAN1_WAVE wave = {};
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GenerateOrgan2(CVoice* voice, float* out, unsigned int n) {
  ORGAN2_WAVE wave = {};
  _RenderFrame(voice, out, n, wave);
}
