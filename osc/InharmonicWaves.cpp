// The inharmonic waves (modes 36 to 39): a bell-like base cycle read at the
// phase, a second table at a whole multiple of the phase that Morph Y mixes
// in, and a third at another multiple that modulates the amplitude with a
// depth Morph X sets. The multiples are read at the phases the previous
// sample stored (one sample late), as part of their sound.

#include "osc/Oscillator.h"
#include "osc/RenderFrame.h"
#include "osc/ToneSteps.h"
#include "tables/ToneTables.h"

namespace {

using namespace ToneSteps;
using OscFrame::TableRead;

inline float Bell(float x) { return TableRead(Tables::BELL_TABLE, Tables::BELL_TABLE_SIZEM1, x); }
inline float Inharm1(float x) { return TableRead(Tables::INHARM1_TABLE, Tables::INHARM1_TABLE_SIZEM1, x); }
inline float Inharm2(float x) { return TableRead(Tables::INHARM2_TABLE, Tables::INHARM2_TABLE_SIZEM1, x); }

typedef float (*TABLE_READ)(float);

// Inharmonic 1 to 3: base B at p, modulator M at M_MULTIPLE x p (depth
// w = W_SCALE X + W_FLOOR), mix N at N_MULTIPLE x p (share Y).
template <TABLE_READ B, TABLE_READ M, TABLE_READ N, unsigned int M_MULTIPLE, unsigned int N_MULTIPLE>
struct INHARMONIC_WAVE {
  float wScale, wFloor;
  float w, y;
  void Control(const OSC_FRAME& f) {
    w = wScale * Unit(f.X) + wFloor;
    y = Unit(f.Y);
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE* s) {
    float b = B(p);
    float m = M(s->auxPhase1), n = N(s->auxPhase2);
    s->auxPhase1 = Wrap1(static_cast<float>(M_MULTIPLE) * p);
    s->auxPhase2 = Wrap1(static_cast<float>(N_MULTIPLE) * p);
    return (1.0f - w + w * m) * (b + y * n) / (1.0f + y);
  }
};

// Inharmonic 4: Y sets how deeply INHARM1 at three times the phase
// modulates the bell; the output averages that with the INHARM1 value,
// which X modulates in turn.
struct INHARMONIC4_WAVE {
  float x, y;
  void Control(const OSC_FRAME& f) {
    x = Unit(f.X);
    y = Unit(f.Y);
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE* s) {
    float b = Bell(p);
    float m = Inharm1(s->auxPhase1);
    s->auxPhase1 = Wrap1(3.0f * p);
    float u = b * (1.0f - y + y * m);
    return 0.5f * (u + m * (1.0f - x + x * m * u));
  }
};

}  // namespace

void COscillator::GenerateInharmonic1(CVoice* voice, float* out, unsigned int n) {
  INHARMONIC_WAVE<Inharm1, Bell, Bell, 3, 7> wave = {0.5f, 0.5f, 0.0f, 0.0f};
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GenerateInharmonic2(CVoice* voice, float* out, unsigned int n) {
  INHARMONIC_WAVE<Inharm1, Inharm2, Inharm2, 2, 6> wave = {0.99f, 0.01f, 0.0f, 0.0f};
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GenerateInharmonic3(CVoice* voice, float* out, unsigned int n) {
  INHARMONIC_WAVE<Bell, Inharm1, Inharm2, 3, 8> wave = {0.9f, 0.1f, 0.0f, 0.0f};
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GenerateInharmonic4(CVoice* voice, float* out, unsigned int n) {
  INHARMONIC4_WAVE wave = {};
  _RenderFrame(voice, out, n, wave);
}
