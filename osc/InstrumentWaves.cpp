// The instrument waves (modes 26 to 33): small phase-modulation voices. A
// modulator table read at the phase bends the phase at which a stored
// instrument cycle, the carrier, is read; the carrier plays the phase
// formed one sample earlier (two in the two-stage waves). The bend depth
// (Morph X, in Syn Flute 2 Morph Y) and in some waves the second control
// fade out as the note rises through the wave's own key range (the
// oscillator's morph fade range, k = morphScale), so high notes stay clean.

#include "engine/FastFloor.h"
#include "osc/Oscillator.h"
#include "osc/RenderFrame.h"
#include "osc/ToneSteps.h"
#include "tables/InstrumentTables.h"
#include "tables/WaveTables.h"

namespace {

using namespace ToneSteps;
using OscFrame::ShapePhase;
using OscFrame::SoftSaturate;
using OscFrame::TableRead;

// The source cycles the instrument waves share with the phase-modulation,
// resonant and formant waves.
namespace Shared = Tables;

// A 16384-point cycle and its read factor.
struct CYCLE {
  const float* table;
  unsigned int sizeM1;
};

inline float Read(const CYCLE& c, float x) { return TableRead(c.table, c.sizeM1, x); }

struct KEY_RANGE {
  float loHz, hiHz;
};

const KEY_RANGE LOW_RANGE = {500.0f, 4000.0f};       // cello, brass
const KEY_RANGE GUITAR1_RANGE = {1000.0f, 6000.0f};  // guitar 1
const KEY_RANGE HIGH_RANGE = {2000.0f, 7000.0f};     // guitar 2, oboe, flutes

// Syn Brass 1 and 2: a parabolic bend 4 r (1 - |r|) of the scaled modulator
// r = m M, normalised by g so that its peak stays at the depth d.
struct BRASS_WAVE {
  CYCLE carrier, modulator;
  float bend, m;  // bend = d g 4
  void Control(const OSC_FRAME& f) {
    float k = f.morphScale;
    float d = (0.03f * Unit(f.X) + 0.01f) * k;
    m = 0.85f * Unit(f.Y) * k + 0.0001f;
    float g = m < 0.5f ? 1.0f / (4.0f * m * (1.0f - m)) : 1.0f;
    bend = d * g * 4.0f;
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE* s) {
    float c = Read(carrier, s->auxPhase1);
    float r = m * Read(modulator, p);
    if (r > 1.0f || r < -1.0f) r -= FastFloor(r);
    s->auxPhase1 = Wrap(p + bend * r * (1.0f - std::fabs(r)));
    return c;
  }
};

// Syn Guitar 1, Syn Guitar 2, Syn Flute 1: the modulator bends the phase
// linearly; each shapes the carrier's output its own way.
enum PLAIN_SHAPE { SHAPE_BY_MODULATOR, SHAPE_BY_WEAKSAW, SHAPE_BY_CARRIER };

template <PLAIN_SHAPE SHAPE>
struct PLAIN_WAVE {
  CYCLE carrier, modulator;
  float depthScale, depthFloor, colourScale;
  float d, a;
  void Control(const OSC_FRAME& f) {
    d = (depthScale * Unit(f.X) + depthFloor) * f.morphScale;
    a = colourScale * Unit(f.Y);
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE* s) {
    float c = Read(carrier, s->auxPhase1);
    float M = Read(modulator, p);
    s->auxPhase1 = Wrap(p + d * M);
    switch (SHAPE) {
      case SHAPE_BY_MODULATOR:
        return (a * M + 1.0f - a) * c;
      case SHAPE_BY_WEAKSAW:
        return (a * TableRead(Shared::WEAKSAW_TABLE, Shared::WEAKSAW_TABLE_SIZEM1, p) + 1.0f - a) * c;
      default:
        return (a * c + 1.0f - a) * c;
    }
  }
};

// Syn Flute 2: carrier and modulator at twice the frequency; X crossfades
// from the weak triangle to the bent carrier.
struct FLUTE2_WAVE {
  CYCLE carrier, modulator;
  float d, mix;
  void Control(const OSC_FRAME& f) {
    float k = f.morphScale;
    d = (0.025f * Unit(f.Y) + 0.005f) * k;
    mix = Unit(f.X) * k;
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE* s) {
    float c = Read(carrier, s->auxPhase1);
    float t = TableRead(Shared::WEAKTRIANGLE_TABLE, Shared::WEAKTRIANGLE_TABLE_SIZEM1, s->auxPhase1);
    float M = Read(modulator, s->auxPhase2);
    float doubled = Wrap1(2.0f * p);
    s->auxPhase2 = doubled;
    s->auxPhase1 = Wrap(doubled + d * M);
    return t + (c - t) * mix;
  }
};

// Syn Cello and Syn Oboe: the bent phase (auxPhase1) is shaped by
// ShapePhase with drive D into the carrier phase (auxPhase2).
struct TWO_STAGE_WAVE {
  CYCLE carrier, modulator;
  float depthScale, depthFloor, driveScale, offset;
  float d, D, invSatD;
  void Control(const OSC_FRAME& f) {
    float k = f.morphScale;
    d = (depthScale * Unit(f.X) + depthFloor) * k;
    D = driveScale * Unit(f.Y) * k + 0.01f;
    invSatD = 1.0f / SoftSaturate(D);
  }
  float Step(float p, const OSC_FRAME&, OSC_STATE* s) {
    float M = Read(modulator, p);
    float c = Read(carrier, s->auxPhase2);
    s->auxPhase2 = ShapePhase(s->auxPhase1, D, invSatD);
    s->auxPhase1 = Wrap(p + d * M + offset);
    return c;
  }
};

const CYCLE SYN_CELLO = {Tables::SYN_CELLO_TABLE, Tables::SYN_CELLO_TABLE_SIZEM1};
const CYCLE SYN_BRASS1 = {Tables::SYN_BRASS1_TABLE, Tables::SYN_BRASS1_TABLE_SIZEM1};
const CYCLE SYN_BRASS2 = {Tables::SYN_BRASS2_TABLE, Tables::SYN_BRASS2_TABLE_SIZEM1};
const CYCLE SYN_GUITAR1 = {Tables::SYN_GUITAR1_TABLE, Tables::SYN_GUITAR1_TABLE_SIZEM1};
const CYCLE SYN_GUITAR2 = {Shared::SYN_GUITAR2_TABLE, Shared::SYN_GUITAR2_TABLE_SIZEM1};
const CYCLE SYN_OBOE = {Tables::SYN_OBOE_TABLE, Tables::SYN_OBOE_TABLE_SIZEM1};
const CYCLE SYN_FLUTE1 = {Shared::SYN_FLUTE1_TABLE, Shared::SYN_FLUTE1_TABLE_SIZEM1};
const CYCLE SYN_FLUTE2 = {Tables::SYN_FLUTE2_TABLE, Tables::SYN_FLUTE2_TABLE_SIZEM1};
const CYCLE SYN_GUITARMOD1 = {Tables::SYN_GUITARMOD1_TABLE, Tables::SYN_GUITARMOD1_TABLE_SIZEM1};
const CYCLE SYN_GUITARMOD2 = {Tables::SYN_GUITARMOD2_TABLE, Tables::SYN_GUITARMOD2_TABLE_SIZEM1};
const CYCLE RESONANT1 = {Shared::RESONANT1_TABLE, Shared::RESONANT1_TABLE_SIZEM1};
const CYCLE RESONANT2 = {Shared::RESONANT2_TABLE, Shared::RESONANT2_TABLE_SIZEM1};
const CYCLE RESONANT3 = {Shared::RESONANT3_TABLE, Shared::RESONANT3_TABLE_SIZEM1};
const CYCLE RESONANT4 = {Shared::RESONANT4_TABLE, Shared::RESONANT4_TABLE_SIZEM1};

}  // namespace

void COscillator::GenerateSynCello(CVoice* voice, float* out, unsigned int n) {
  m_morphFade.SetLimits(LOW_RANGE.loHz, LOW_RANGE.hiHz);
  TWO_STAGE_WAVE wave = {SYN_CELLO, RESONANT2, 0.2f, 0.03f, 5.0f, 0.4f, 0.0f, 0.0f, 0.0f};
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GenerateSynBrass1(CVoice* voice, float* out, unsigned int n) {
  m_morphFade.SetLimits(LOW_RANGE.loHz, LOW_RANGE.hiHz);
  BRASS_WAVE wave = {SYN_BRASS2, RESONANT1, 0.0f, 0.0f};
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GenerateSynBrass2(CVoice* voice, float* out, unsigned int n) {
  m_morphFade.SetLimits(LOW_RANGE.loHz, LOW_RANGE.hiHz);
  BRASS_WAVE wave = {SYN_BRASS1, RESONANT4, 0.0f, 0.0f};
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GenerateSynGuitar1(CVoice* voice, float* out, unsigned int n) {
  m_morphFade.SetLimits(GUITAR1_RANGE.loHz, GUITAR1_RANGE.hiHz);
  PLAIN_WAVE<SHAPE_BY_MODULATOR> wave = {SYN_GUITAR1, SYN_GUITARMOD1, 0.15f, 0.0f, 0.4f, 0.0f, 0.0f};
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GenerateSynGuitar2(CVoice* voice, float* out, unsigned int n) {
  m_morphFade.SetLimits(HIGH_RANGE.loHz, HIGH_RANGE.hiHz);
  PLAIN_WAVE<SHAPE_BY_WEAKSAW> wave = {SYN_GUITAR2, SYN_GUITARMOD2, 0.08f, 0.005f, 1.0f, 0.0f, 0.0f};
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GenerateSynOboe(CVoice* voice, float* out, unsigned int n) {
  m_morphFade.SetLimits(HIGH_RANGE.loHz, HIGH_RANGE.hiHz);
  TWO_STAGE_WAVE wave = {SYN_OBOE, RESONANT2, 0.1f, 0.02f, 2.0f, 0.0f, 0.0f, 0.0f, 0.0f};
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GenerateSynFlute1(CVoice* voice, float* out, unsigned int n) {
  m_morphFade.SetLimits(HIGH_RANGE.loHz, HIGH_RANGE.hiHz);
  PLAIN_WAVE<SHAPE_BY_CARRIER> wave = {SYN_FLUTE1, RESONANT1, 0.03f, 0.005f, 0.25f, 0.0f, 0.0f};
  _RenderFrame(voice, out, n, wave);
}

void COscillator::GenerateSynFlute2(CVoice* voice, float* out, unsigned int n) {
  m_morphFade.SetLimits(HIGH_RANGE.loHz, HIGH_RANGE.hiHz);
  FLUTE2_WAVE wave = {SYN_FLUTE2, RESONANT3, 0.0f, 0.0f};
  _RenderFrame(voice, out, n, wave);
}
