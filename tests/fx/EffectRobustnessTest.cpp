// Behaviour every effect of this group shares: instances read their own
// parameter block, hostile settings stay finite, the life-cycle edges.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <vector>

#include "FxTestUtil.h"
#include "engine/ParamIds.h"
#include "fx/Chorus.h"
#include "fx/Delay.h"
#include "fx/Echoes.h"
#include "fx/Flanger.h"

using namespace FxTest;

namespace {

struct KIND {
  const char* name;
  unsigned int base, count, mixK;
  std::vector<unsigned int> settings;  // integer settings of instance 0
  IEffectModule* (*make)(IGlobalSynth*, unsigned int);
};

const KIND KINDS[] = {
    {"delay", PARAM_FX_DELAY, 9, 8, {PARAM_DELAY_SYNC_L, PARAM_DELAY_SYNC_R},
     [](IGlobalSynth* s, unsigned int i) -> IEffectModule* { return new CDelay(s, i); }},
    {"echoes", PARAM_FX_ECHOES, 7, 6, {PARAM_ECHOES_SYNC},
     [](IGlobalSynth* s, unsigned int i) -> IEffectModule* { return new CEchoes(s, i); }},
    {"chorus", PARAM_FX_CHORUS, 6, 5, {},
     [](IGlobalSynth* s, unsigned int i) -> IEffectModule* { return new CChorus(s, i); }},
    {"flanger", PARAM_FX_FLANGER, 7, 6, {},
     [](IGlobalSynth* s, unsigned int i) -> IEffectModule* { return new CFlanger(s, i); }},
};

STEREO Noise(size_t n) {
  STEREO s(n);
  std::srand(7);
  for (size_t i = 0; i < n; ++i) {
    s.l[i] = float(std::rand()) / RAND_MAX - 0.5f;
    s.r[i] = float(std::rand()) / RAND_MAX - 0.5f;
  }
  return s;
}

std::unique_ptr<IEffectModule> Make(const KIND& k, IGlobalSynth* synth, unsigned int instance, float rate = kRate) {
  std::unique_ptr<IEffectModule> fx(k.make(synth, instance));
  fx->SetSampleRate(rate);
  fx->SetBlockSize(256);
  fx->Reset();
  return fx;
}

}  // namespace

TEST(EffectInstances, InstanceOneReadsOnlyTheOddParameters) {
  for (const KIND& k : KINDS) {
    CFxSynthDouble synth;
    // Instance 0 fully wet with everything up; instance 1 at mix 0 must pass
    // its input untouched whatever instance 0's block holds.
    for (unsigned int p = 0; p < k.count; ++p) synth.Set(k.base + 2 * p, 1.0f);
    for (unsigned int id : k.settings) synth.Set(id, 0.0f);
    synth.Set(k.base + 2 * k.mixK + 1, 0.0f);
    auto fx = Make(k, &synth, 1);
    STEREO in = Noise(3000);
    STEREO s = in;
    RunFx(*fx, s);
    EXPECT_EQ(s.l, in.l) << k.name;
    EXPECT_EQ(s.r, in.r) << k.name;
    for (unsigned int p = 0; p < k.count; ++p) {
      EXPECT_GT(synth.m_updates[k.base + 2 * p + 1], 0u) << k.name << " k " << p;
      EXPECT_EQ(synth.m_updates[k.base + 2 * p], 0u) << k.name << " k " << p;
    }
  }
}

TEST(EffectRobustness, HostileSettingsStayFiniteAndBounded) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const float values[] = {-1e30f, -1.0f, 0.0f, 1.0f, 2.0f, 1e30f, nan, inf};
  const float settings[] = {-5.0f, 0.0f, 29.0f, 33.0f, 34.0f, 1e9f, nan};
  for (const KIND& k : KINDS) {
    for (float v : values) {
      CFxSynthDouble synth;
      for (unsigned int p = 0; p < k.count; ++p) synth.Set(k.base + 2 * p, v);
      for (size_t j = 0; j < k.settings.size(); ++j)
        synth.Set(k.settings[j], settings[(j + static_cast<size_t>(std::fabs(v) < 3 ? v + 2 : 3)) % 7]);
      synth.SetHostTempo(v == 2.0f ? 999.0f : 120.0f);
      auto fx = Make(k, &synth, 0);
      STEREO s = Noise(22050);
      RunFx(*fx, s, 333);
      EXPECT_TRUE(AllFinite(s, 100.0f)) << k.name << " at " << v;
    }
  }
}

TEST(EffectRobustness, FullFeedbackStaysBoundedOverSeconds) {
  for (const KIND& k : KINDS) {
    CFxSynthDouble synth;
    for (unsigned int p = 0; p < k.count; ++p) synth.Set(k.base + 2 * p, 1.0f);
    for (unsigned int id : k.settings) synth.Set(id, 31.0f);  // shortest free time: many repeats
    synth.Set(k.base + 2 * 2 + 0, k.base == PARAM_FX_DELAY ? 0.0f : 1.0f);  // delay: no reverse
    auto fx = Make(k, &synth, 0);
    STEREO s = Noise(3 * 44100);
    RunFx(*fx, s, 512);
    EXPECT_TRUE(AllFinite(s, 50.0f)) << k.name;
  }
}

TEST(EffectLifeCycle, RatesBlocksAndEmptyLines) {
  for (const KIND& k : KINDS) {
    CFxSynthDouble synth;
    for (unsigned int p = 0; p < k.count; ++p) synth.Set(k.base + 2 * p, 0.6f);
    // Process before any sample rate: nothing to delay, input untouched.
    std::unique_ptr<IEffectModule> fresh(k.make(&synth, 0));
    fresh->Reset();
    STEREO in = Noise(500);
    STEREO s = in;
    RunFx(*fresh, s);
    EXPECT_EQ(s.l, in.l) << k.name;
    // Rate changes up and down, then a block of one sample and one of zero.
    for (float rate : {192000.0f, 8000.0f, 44100.0f, 1.0f, 48000.0f}) {
      fresh->SetSampleRate(rate);
      fresh->Reset();
      s = Noise(2000);
      RunFx(*fresh, s, 1);
      fresh->UpdateParams(0);
      fresh->Process(s.l.data(), s.r.data(), 0);
      EXPECT_TRUE(AllFinite(s, 100.0f)) << k.name << " at " << rate;
    }
  }
}

TEST(EffectLifeCycle, ResetClearsTheTailButKeepsTheFreePhase) {
  for (const KIND& k : KINDS) {
    CFxSynthDouble synth;
    for (unsigned int p = 0; p < k.count; ++p) synth.Set(k.base + 2 * p, 0.5f);
    synth.Set(k.base + 2 * k.mixK, 1.0f);
    for (unsigned int id : k.settings) synth.Set(id, 31.0f);
    auto fx = Make(k, &synth, 0);
    STEREO s = Noise(4000);
    RunFx(*fx, s);
    fx->Reset();
    STEREO z(4000);
    RunFx(*fx, z);
    EXPECT_EQ(Rms(z.l), 0.0) << k.name;
    EXPECT_EQ(Rms(z.r), 0.0) << k.name;
  }
  // The LFO phase survives Reset and is zeroed by ResetFreePhase.
  CFxSynthDouble synth;
  synth.Set(PARAM_FX_CHORUS + 2, 0.8f);
  synth.Set(PARAM_FX_FLANGER + 6, 0.8f);
  synth.Set(PARAM_FX_ECHOES, 0.3f);
  synth.Set(PARAM_ECHOES_SYNC, 31.0f);
  CChorus c(&synth, 0);
  CFlanger f(&synth, 0);
  CEchoes e(&synth, 0);
  IEffectModule* all[] = {&c, &f, &e};
  for (IEffectModule* fx : all) {
    fx->SetSampleRate(kRate);
    fx->Reset();
    STEREO s = Noise(1001);
    RunFx(*fx, s);
    fx->Reset();
    fx->OnKeyPress();
  }
  EXPECT_GT(c.GetPhase(), 0.0f);
  EXPECT_GT(f.GetPhase(), 0.0f);
  EXPECT_GT(e.GetPhase(), 0.0f);
  for (IEffectModule* fx : all) fx->ResetFreePhase();
  EXPECT_EQ(c.GetPhase(), 0.0f);
  EXPECT_EQ(f.GetPhase(), 0.0f);
  EXPECT_EQ(e.GetPhase(), 0.0f);
}
