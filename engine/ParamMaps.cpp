// Constant maps between host parameter indices, synth parameter ids,
// modulation target numbers and the word indices of the version-1 preset
// layout.
//
// Each map is written down as a short list of runs (consecutive inputs map to
// consecutive outputs) and expanded into a flat lookup table at compile time.
// The static_asserts below check that every table is complete and that the
// forward and backward maps are exact inverses, so a typo in a run fails the
// build instead of silently misrouting a parameter.
#include <cstddef>

#include "engine/ParamIds.h"
#include "engine/Params.h"

namespace {

struct MAP_RUN {
  int from;   // first input of the run
  int to;     // output of the first input; -1 = the run maps to nothing
  int count;  // number of consecutive inputs
};

template <std::size_t N>
struct INT_TABLE {
  int v[N];
};

// Host parameter index -> synth id. Host indices 0-306 follow the id order;
// the parameters added later are appended after them, out of id order.
constexpr MAP_RUN HOST_RUNS[] = {
    {0, 4, 25},      // morph X/Y, oscillator effect-slot amounts, "Osc1 FM"
    {25, 30, 1},     // "Osc3 FM"
    {26, 32, 1},     // "Osc1 RM"
    {27, 34, 1},     // "Osc3 RM"
    {28, 36, 53},    // oscillator filter, drive, pan, level, bus, pitch; bus send
    {81, 93, 10},    // bus filter
    {91, 105, 6},    // bus stereo, drive, shaper drive
    {97, 113, 20},   // bus shaper, lo-fi, level, pan; master pan and level
    {117, 135, 17},  // master mono, envelopes
    {134, 156, 12},  // LFO amount, rate, phase
    {146, 176, 143}, // MSEG rates, arpeggiator, trance gate, effects
    {289, 331, 18},  // modulation depths 1-18
    {307, 486, 2},   // unison detune and spread
    {309, 1577, 2},  // macros 1 and 2 ("Morph X", "Morph Y")
    {311, 349, 6},   // modulation depths 19-24
    {317, 152, 4},   // envelope slopes
    {321, 319, 12},  // grain shifter
};

// Modulation target number -> synth id. Targets 0-5 map to no parameter:
// 0 is none, 1 is unused and 2-5 are the oscillator pitch points (ids 0-3),
// which have no stored value to re-apply.
constexpr MAP_RUN TARGET_RUNS[] = {
    {6, 72, 4},     // oscillator detune
    {10, 4, 8},     // morph X, morph Y
    {18, 76, 4},    // oscillator phase
    {22, 28, 1},    // "Osc1 FM"
    {23, 30, 1},    // "Osc3 FM"
    {24, 32, 1},    // "Osc1 RM"
    {25, 34, 1},    // "Osc3 RM"
    {26, 36, 8},    // oscillator cutoff, resonance
    {34, 56, 4},    // oscillator drive
    {38, 44, 4},    // oscillator filter control
    {42, 12, 16},   // oscillator effect-slot amounts
    {58, 64, 4},    // oscillator level
    {62, 60, 4},    // oscillator pan
    {66, 68, 4},    // oscillator bus balance
    {70, 88, 1},    // bus send
    {71, 93, 4},    // bus cutoff, resonance
    {75, 107, 2},   // bus drive
    {77, 97, 2},    // bus filter control
    {79, 105, 2},   // bus stereo
    {81, 109, 2},   // bus shaper drive
    {83, 113, 18},  // bus shaper treble and colour, lo-fi, bus level and pan
    {101, 132, 1},  // master level
    {102, 131, 1},  // master pan
    {103, 135, 17}, // master mono, envelope attack, decay, sustain, release
    {120, 156, 12}, // LFO amount, rate, phase
    {132, 176, 4},  // MSEG rates
    {136, 182, 149} // trance gate and all effect parameters
};

// The oscillator pitch points: ids 0-3 are targets 2-5 (one way only).
const int PITCH_TARGET_FIRST = 2;

// Current synth id -> version-1 word. The version-1 layout had 20
// modulation slots and lacked the envelope slopes, grain shifter, effect-slot
// types, envelope modes and distortion curves.
constexpr MAP_RUN V1_RUNS[] = {
    {0, 0, 152},      {152, -1, 4},    // envelope slopes
    {156, 152, 163},  {319, -1, 12},   // grain shifter
    {331, 315, 20},   {351, -1, 10},   // modulation depths 21-30
    {361, 335, 21},   {382, -1, 10},   // modulation sources 21-30
    {392, 356, 20},   {412, -1, 10},   // modulation targets 21-30
    {422, 376, 32},   {454, -1, 16},   // oscillator effect-slot types
    {470, 408, 53},   {523, -1, 4},    // envelope modes
    {527, 461, 244},  {771, -1, 2},    // distortion curves
    {773, 705, 832},
};

const int V2_COUNT = static_cast<int>(Params::PARAM_COUNT_V2);
const int HOST_COUNT = Params::HOST_PARAM_COUNT;
const int TARGET_COUNT = static_cast<int>(MOD_TARGET_COUNT);
const int MOD_ID_COUNT = static_cast<int>(MODULATABLE_PARAM_COUNT);

constexpr INT_TABLE<HOST_COUNT> BuildVstToSynth() {
  INT_TABLE<HOST_COUNT> t{};
  for (int i = 0; i < HOST_COUNT; ++i) t.v[i] = -1;
  for (const MAP_RUN& r : HOST_RUNS)
    for (int k = 0; k < r.count; ++k) t.v[r.from + k] = r.to + k;
  return t;
}

constexpr INT_TABLE<V2_COUNT> BuildSynthToVst() {
  INT_TABLE<V2_COUNT> t{};
  for (int i = 0; i < V2_COUNT; ++i) t.v[i] = -1;
  for (const MAP_RUN& r : HOST_RUNS)
    for (int k = 0; k < r.count; ++k) t.v[r.to + k] = r.from + k;
  return t;
}

constexpr INT_TABLE<TARGET_COUNT> BuildTargetToId() {
  INT_TABLE<TARGET_COUNT> t{};
  for (const MAP_RUN& r : TARGET_RUNS)
    for (int k = 0; k < r.count; ++k) t.v[r.from + k] = r.to + k;
  return t;
}

constexpr INT_TABLE<MOD_ID_COUNT> BuildIdToTarget() {
  INT_TABLE<MOD_ID_COUNT> t{};
  for (int osc = 0; osc < 4; ++osc) t.v[PARAM_OSC_PITCH + osc] = PITCH_TARGET_FIRST + osc;
  for (const MAP_RUN& r : TARGET_RUNS)
    for (int k = 0; k < r.count; ++k) t.v[r.to + k] = r.from + k;
  return t;
}

constexpr INT_TABLE<V2_COUNT> BuildV2ToV1() {
  INT_TABLE<V2_COUNT> t{};
  for (int i = 0; i < V2_COUNT; ++i) t.v[i] = -2;  // marks a gap in the runs
  for (const MAP_RUN& r : V1_RUNS)
    for (int k = 0; k < r.count; ++k) t.v[r.from + k] = r.to < 0 ? -1 : r.to + k;
  return t;
}

constexpr INT_TABLE<HOST_COUNT> VST_PARAM_TO_SYNTH_PARAM = BuildVstToSynth();
constexpr INT_TABLE<V2_COUNT> SYNTH_PARAM_TO_VST_PARAM = BuildSynthToVst();
constexpr INT_TABLE<TARGET_COUNT> CONST_PARAM_ID = BuildTargetToId();
constexpr INT_TABLE<MOD_ID_COUNT> CONST_MOD_TARGETS = BuildIdToTarget();
constexpr INT_TABLE<V2_COUNT> SYNTH_PARAM_V2_TO_SYNTH_PARAM_V1 = BuildV2ToV1();

// ---- Build-time checks of the run lists ----

// Every host index maps to a distinct id below 1605 and back to itself.
constexpr bool HostMapsAreInverse() {
  int visible = 0;
  for (int i = 0; i < V2_COUNT; ++i) visible += SYNTH_PARAM_TO_VST_PARAM.v[i] >= 0 ? 1 : 0;
  if (visible != HOST_COUNT) return false;
  for (int h = 0; h < HOST_COUNT; ++h) {
    int id = VST_PARAM_TO_SYNTH_PARAM.v[h];
    if (id < 0 || id >= V2_COUNT || SYNTH_PARAM_TO_VST_PARAM.v[id] != h) return false;
  }
  return true;
}
static_assert(HostMapsAreInverse(), "host index runs must cover 0-332 once, on distinct ids");

// Targets 6-284 map one to one onto modulatable ids; 0-5 map to nothing.
constexpr bool TargetMapsAreInverse() {
  for (int t = 0; t < 6; ++t)
    if (CONST_PARAM_ID.v[t] != 0) return false;
  for (int t = 6; t < TARGET_COUNT; ++t) {
    int id = CONST_PARAM_ID.v[t];
    if (id < 4 || id >= MOD_ID_COUNT || CONST_MOD_TARGETS.v[id] != t) return false;
  }
  int targets = 0;
  for (int id = 0; id < MOD_ID_COUNT; ++id) targets += CONST_MOD_TARGETS.v[id] != 0 ? 1 : 0;
  return targets == 283;  // ids 0-3 plus the 279 ids of targets 6-284
}
static_assert(TargetMapsAreInverse(), "target runs must cover 6-284 once, on distinct ids");

// The version-1 runs cover every current id and fill the 1537 version-1
// words in order, without gaps.
constexpr bool V1MapIsComplete() {
  int next = 0;
  for (int i = 0; i < V2_COUNT; ++i) {
    int w = SYNTH_PARAM_V2_TO_SYNTH_PARAM_V1.v[i];
    if (w == -2) return false;
    if (w >= 0) {
      if (w != next) return false;
      ++next;
    }
  }
  return next == static_cast<int>(Params::PARAM_COUNT_V1);
}
static_assert(V1MapIsComplete(), "version-1 runs must cover ids 0-1604 and words 0-1536");

}  // namespace

namespace Params {

int ModTargetToParamId(unsigned int target) {
  return target < MOD_TARGET_COUNT ? CONST_PARAM_ID.v[target] : 0;
}

int ParamIdToModTarget(unsigned int id) {
  return id < MODULATABLE_PARAM_COUNT ? CONST_MOD_TARGETS.v[id] : 0;
}

int SynthParamToVstParam(unsigned int id) {
  return id < PARAM_COUNT_V2 ? SYNTH_PARAM_TO_VST_PARAM.v[id] : -1;
}

int VstParamToSynthParam(int index) {
  return (index >= 0 && index < HOST_PARAM_COUNT) ? VST_PARAM_TO_SYNTH_PARAM.v[index] : -1;
}

int Convert_Param_v2_to_Param_v1(unsigned int id) {
  return id < PARAM_COUNT_V2 ? SYNTH_PARAM_V2_TO_SYNTH_PARAM_V1.v[id] : -1;
}

}  // namespace Params
