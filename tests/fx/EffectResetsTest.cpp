// Life-cycle behaviour shared by the reverb, equalizer, distortion, grain
// shifter, phaser and tremolo: which state a reset clears, which phase a
// free-phase reset restarts, and that an instance reads only its own
// parameter block.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "EffectSignals.h"
#include "FxSynthDouble.h"
#include "engine/ParamIds.h"
#include "fx/Distortion.h"
#include "fx/Equalizer.h"
#include "fx/GrainShifter.h"
#include "fx/Phaser.h"
#include "fx/Reverb.h"
#include "fx/Tremolo.h"

using namespace EffectSignals;

namespace {

struct KIND {
  const char* name;
  unsigned int base, count;
  bool hasFreePhase;  // an LFO whose phase survives Reset
  float tolerance;    // of a restored effect against a fresh one
  IEffectModule* (*make)(IGlobalSynth*, unsigned int);
};

const KIND KINDS[] = {
    {"reverb", PARAM_FX_REVERB, 8, true, 0.0f,
     [](IGlobalSynth* s, unsigned int i) -> IEffectModule* { return new CReverb(s, i); }},
    {"equalizer", PARAM_FX_EQ, 12, false, 0.0f,
     [](IGlobalSynth* s, unsigned int i) -> IEffectModule* { return new CEqualizer(s, i); }},
    {"distortion", PARAM_FX_DISTORTION, 6, false, 0.0f,
     [](IGlobalSynth* s, unsigned int i) -> IEffectModule* { return new CDistortion(s, i); }},
    {"grain shifter", PARAM_FX_GRAINSHIFTER, 6, false, 1e-4f,
     [](IGlobalSynth* s, unsigned int i) -> IEffectModule* { return new CGrainShifter(s, i); }},
    {"phaser", PARAM_FX_PHASER, 7, true, 0.0f,
     [](IGlobalSynth* s, unsigned int i) -> IEffectModule* { return new CPhaser(s, i); }},
    {"tremolo", PARAM_FX_TREMOLO, 5, true, 0.0f,
     [](IGlobalSynth* s, unsigned int i) -> IEffectModule* { return new CTremolo(s, i); }},
};

std::unique_ptr<IEffectModule> Make(const KIND& k, IGlobalSynth* synth, unsigned int instance) {
  std::unique_ptr<IEffectModule> fx(k.make(synth, instance));
  fx->SetSampleRate(44100.0f);
  fx->SetBlockSize(256);
  fx->Reset();
  return fx;
}

// Every parameter of both instances at 0.7 (a wet, moving setting for
// each effect), the tremolo on quarter notes, the distortion's tube 1.
void Configure(CFxSynthDouble& synth, const KIND& k) {
  for (unsigned int p = 0; p < 2 * k.count; ++p) synth.Set(k.base + p, 0.7f);
  synth.Set(PARAM_TREMOLO_SYNC, 2.0f);
  synth.Set(PARAM_DIST_CURVE, 1.0f);
  // A short pre-delay so that the tail sounds within the responses; no
  // random grain pitch (its draws are not part of the effect's state).
  synth.Set(PARAM_FX_REVERB + 2 * FxParam::REVERB_PREDELAY, 0.1f);
  synth.Set(PARAM_FX_GRAINSHIFTER + 2 * FxParam::GRAINSHIFTER_TUNE_RANDOM, 0.0f);
}

float MaxDiff(const std::vector<float>& a, const std::vector<float>& b) {
  float d = 0.0f;
  for (size_t i = 0; i < a.size(); ++i) d = std::fmax(d, std::fabs(a[i] - b[i]));
  return d;
}

std::vector<float> Response(IEffectModule& fx, unsigned int n) {
  std::vector<float> l = Sine(330.0, 44100.0, n, 0.5), r = Noise(n, 0.2);
  RunBlocks(fx, l.data(), r.data(), n);
  l.insert(l.end(), r.begin(), r.end());
  return l;
}

TEST(EffectResets, ResetAndFreePhaseResetRestoreAFreshEffect) {
  for (const KIND& k : KINDS) {
    CFxSynthDouble synth;
    Configure(synth, k);
    auto fresh = Make(k, &synth, 0);
    const std::vector<float> expected = Response(*fresh, 6000);

    auto used = Make(k, &synth, 0);
    Response(*used, 9001);
    used->Reset();
    used->ResetFreePhase();
    // The grain shifter's write head stays where it was (only the grains
    // restart), so its read positions round a little differently; by no
    // more than a rounding error, wherever in its ring the grains read.
    EXPECT_LE(MaxDiff(Response(*used, 6000), expected), k.tolerance) << k.name;
  }
}

TEST(EffectResets, ResetAloneKeepsOnlyTheFreeRunningPhase) {
  for (const KIND& k : KINDS) {
    CFxSynthDouble synth;
    Configure(synth, k);
    auto fresh = Make(k, &synth, 0);
    const std::vector<float> expected = Response(*fresh, 6000);

    auto used = Make(k, &synth, 0);
    Response(*used, 9001);
    used->Reset();
    if (k.hasFreePhase)
      EXPECT_GT(MaxDiff(Response(*used, 6000), expected), 1e-3f) << k.name;
    else
      EXPECT_LE(MaxDiff(Response(*used, 6000), expected), k.tolerance) << k.name;
  }
}

TEST(EffectResets, KeyPressesChangeNothing) {
  for (const KIND& k : KINDS) {
    CFxSynthDouble synth;
    Configure(synth, k);
    auto a = Make(k, &synth, 0);
    auto b = Make(k, &synth, 0);
    std::vector<float> ra = Response(*a, 3000);
    b->OnKeyPress();
    std::vector<float> rb = Response(*b, 3000);
    EXPECT_EQ(ra, rb) << k.name;
  }
}

TEST(EffectResets, InstanceOneUpdatesOnlyItsOwnParameters) {
  for (const KIND& k : KINDS) {
    CFxSynthDouble synth;
    Configure(synth, k);
    auto fx = Make(k, &synth, 1);
    Response(*fx, 1000);
    for (unsigned int p = 0; p < k.count; ++p) {
      EXPECT_GT(synth.m_updates[k.base + 2 * p + 1], 0u) << k.name << " k " << p;
      EXPECT_EQ(synth.m_updates[k.base + 2 * p], 0u) << k.name << " k " << p;
    }
  }
}

}  // namespace
