// The filters, drives and brilliance shelf compute their coefficients once
// for a block whose controls have settled, and keep them while their inputs
// hold still. These tests hold that shortcut against the per-step path: a
// source at depth 0.5 adds exactly nothing to its parameter but makes a
// stage read its controls at every control step, so a filter or shelf with
// such a source must give the same samples, bit for bit, as one without,
// through steady settings, running ramps and glides; a drive's samples are
// the curve at the amount of their control step. And coefficients kept from
// earlier blocks must follow a change of cutoff, mode, resonance, rate or
// oversampling: after the change a filter gives what a fresh one gives.
#include <gtest/gtest.h>

#include <random>
#include <type_traits>

#include "FilterFixture.h"
#include "dsp/Brilliance.h"
#include "dsp/BusFilter.h"
#include "dsp/OscDrive.h"
#include "dsp/OscFilter.h"

namespace {

std::vector<float> Noise(size_t n, unsigned int seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<float> d(-0.5f, 0.5f);
  std::vector<float> x(n);
  for (auto& v : x) v = d(rng);
  return x;
}

// A source that leaves its parameter as it is: depth 0.5 weighs it by 0.
const float NO_EFFECT_DEPTH = 0.5f;

// Filter settings of oscillator k or bus k.
struct FILTER_SETTINGS {
  int mode;
  float cutoff, res, control, key, vel, stereo;
};

unsigned int CutoffId(bool bus, unsigned int k) { return (bus ? PARAM_BUS_CUTOFF : PARAM_OSC_CUTOFF) + k; }
unsigned int ResId(bool bus, unsigned int k) { return (bus ? PARAM_BUS_RES : PARAM_OSC_RES) + k; }

// Every control a filter reads at its control steps.
std::vector<unsigned int> ControlIds(bool bus, unsigned int k) {
  if (bus) return {PARAM_BUS_CUTOFF + k, PARAM_BUS_RES + k, PARAM_BUS_CONTROL + k, PARAM_BUS_KEYSCALE + k,
                   PARAM_BUS_VELSCALE + k, PARAM_BUS_STEREO + k};
  return {PARAM_OSC_CUTOFF + k, PARAM_OSC_RES + k, PARAM_OSC_CONTROL + k, PARAM_OSC_FILTER_KEYSCALE + k,
          PARAM_OSC_FILTER_VELSCALE + k};
}

void SetFilter(CFilterFixture& f, bool bus, unsigned int k, const FILTER_SETTINGS& s) {
  f.Set((bus ? PARAM_BUS_FILTER_MODE : PARAM_OSC_FILTER_MODE) + k, static_cast<float>(s.mode));
  f.Set(CutoffId(bus, k), s.cutoff);
  f.Set(ResId(bus, k), s.res);
  f.Set((bus ? PARAM_BUS_CONTROL : PARAM_OSC_CONTROL) + k, s.control);
  f.Set((bus ? PARAM_BUS_KEYSCALE : PARAM_OSC_FILTER_KEYSCALE) + k, s.key);
  f.Set((bus ? PARAM_BUS_VELSCALE : PARAM_OSC_FILTER_VELSCALE) + k, s.vel);
  if (bus) f.Set(PARAM_BUS_STEREO + k, s.stereo);
}

// One filter on one instance with one voice, started as the voice manager
// starts it; with glide, the voice glides from note 48 to 72.
template <class FILTER>
struct Rig {
  CFilterFixture& f;
  FILTER filter;
  std::unique_ptr<CVoice> voice;
  Rig(CFilterFixture& fx, unsigned int instance, bool glide = false) : f(fx), filter(&fx.synth) {
    filter.SetInstance(instance);
    filter.SetSampleRate(f.Rate());
    if (glide) {
      auto first = f.NewVoice(48, 0.8f);  // the first note never glides
      filter.StartVoice(first.get());
      f.synth.SetLastPitch(48.0f);
    }
    voice = f.NewVoice(72, 0.8f);
    voice->SetLegato(glide);
    Restart();
  }
  void Restart() {
    filter.Reset(voice.get());
    filter.StartVoice(voice.get());
  }
  // One host block of l (and r for the stereo filters) in place.
  void Block(float* l, float* r, unsigned int n) {
    filter.UpdateParams(CFilterFixture::HOST_BLOCK);
    if constexpr (std::is_same_v<FILTER, COscFilter>) {
      filter.Process(voice.get(), l, n);
    } else {
      filter.Process(voice.get(), l, r, n);
    }
  }
};

// What a change during the run does to both filters' settings.
enum SCENARIO { STEADY, CUTOFF_RAMP, RESONANCE_RAMP, GLIDE };

// Runs instance 0 as it is and instance 1 with a source of no effect on
// every control, block by block over the same input, and compares what they
// give.
template <class FILTER>
void ExpectPerStepPathMatches(unsigned int oversampling, SCENARIO scenario) {
  const bool bus = std::is_same_v<FILTER, CBusFilter>;
  const bool stereo = !std::is_same_v<FILTER, COscFilter>;
  CFilterFixture f(oversampling);
  f.Set(PARAM_MASTER_GLIDE, 0.3f);
  f.Set(PARAM_FILTER_GLIDE, scenario == GLIDE ? 1.0f : 0.0f);
  f.Set(PARAM_GLIDE_MODE, 0.0f);
  for (unsigned int id : ControlIds(bus, 1)) f.mod.AddSource(id, 0.7f, NO_EFFECT_DEPTH);
  const unsigned int blocks = 24;  // longer than a ramp (1323 host samples)
  const std::vector<float> inL = Noise(blocks * f.Block(), 1), inR = Noise(blocks * f.Block(), 2);
  for (int mode = 1; mode <= 24; ++mode) {
    const FILTER_SETTINGS s = {mode, 0.55f, 0.6f, 0.4f, 0.5f, 0.7f, 0.8f};
    for (unsigned int k = 0; k < 2; ++k) SetFilter(f, bus, k, s);
    Rig<FILTER> held(f, 0, scenario == GLIDE), stepped(f, 1, scenario == GLIDE);
    if (scenario == CUTOFF_RAMP || scenario == RESONANCE_RAMP) {
      // Ramps start now and end after about 21 blocks: both filters see
      // the same ramp on their own parameter.
      for (unsigned int k = 0; k < 2; ++k) {
        if (scenario == CUTOFF_RAMP) f.params.SetParam(CutoffId(bus, k), 0.8f);
        if (scenario == RESONANCE_RAMP) f.params.SetParam(ResId(bus, k), 0.1f);
      }
      f.params.Update();
      f.params.ClearStatus();
    }
    std::vector<float> l0 = inL, r0 = inR, l1 = inL, r1 = inR;
    const unsigned int B = f.Block();
    for (unsigned int b = 0; b < blocks; ++b) {
      held.Block(l0.data() + b * B, r0.data() + b * B, B);
      stepped.Block(l1.data() + b * B, r1.data() + b * B, B);
    }
    ASSERT_EQ(l0, l1) << "mode " << mode << " at " << oversampling << "x, scenario " << scenario;
    if (stereo) {
      ASSERT_EQ(r0, r1) << "mode " << mode << " at " << oversampling << "x, scenario " << scenario;
    }
    ASSERT_NE(l0, inL) << "mode " << mode;  // the filter did run
  }
}

// Runs a rig with settings X for a few blocks, applies change, restarts its
// voice, and compares the next blocks with a fresh rig set up after the
// change; the output after the change must also differ from the output
// before it (else the change tested nothing).
template <class FILTER, class CHANGE>
void ExpectChangeReachesTheFilter(CFilterFixture& f, bool bus, const FILTER_SETTINGS& x, CHANGE change,
                                  const char* what) {
  SetFilter(f, bus, 0, x);
  Rig<FILTER> kept(f, 0);
  const std::vector<float> in = Noise(4 * f.Block(), 3);
  std::vector<float> l = in, r = in;
  for (unsigned int b = 0; b < 4; ++b) kept.Block(l.data() + b * f.Block(), r.data() + b * f.Block(), f.Block());
  const std::vector<float> before = l;

  change(kept.filter);
  kept.Restart();
  Rig<FILTER> fresh(f, 0);
  change(fresh.filter);
  fresh.Restart();
  std::vector<float> l0 = in, r0 = in, l1 = in, r1 = in;
  const unsigned int B = f.Block();
  for (unsigned int b = 0; b < 4; ++b) {
    kept.Block(l0.data() + b * B, r0.data() + b * B, B);
    fresh.Block(l1.data() + b * B, r1.data() + b * B, B);
  }
  EXPECT_EQ(l0, l1) << what;
  EXPECT_EQ(r0, r1) << what;
  EXPECT_NE(l0, before) << what;
}

template <class FILTER>
void ExpectChangesReachTheFilter(bool bus) {
  CFilterFixture f(8);
  const FILTER_SETTINGS x = {3, 0.55f, 0.6f, 0.4f, 0.0f, 0.0f, 0.5f};
  FILTER_SETTINGS y = x;
  y.cutoff = 0.4f;
  ExpectChangeReachesTheFilter<FILTER>(f, bus, x, [&](FILTER&) { SetFilter(f, bus, 0, y); }, "cutoff");
  y = x;
  y.mode = 5;
  ExpectChangeReachesTheFilter<FILTER>(f, bus, x, [&](FILTER&) { SetFilter(f, bus, 0, y); }, "mode");
  y = x;
  y.res = 0.9f;
  ExpectChangeReachesTheFilter<FILTER>(f, bus, x, [&](FILTER&) { SetFilter(f, bus, 0, y); }, "resonance");
  ExpectChangeReachesTheFilter<FILTER>(
      f, bus, x, [&](FILTER& filter) { filter.SetSampleRate(f.Rate() * 0.5f); }, "rate");
  // 8x to 2x: the control step and the rate both change.
  ExpectChangeReachesTheFilter<FILTER>(
      f, bus, x,
      [&](FILTER& filter) {
        f.oversampling = 2;
        f.synth.SetOversampling(2);
        filter.SetSampleRate(f.Rate());
      },
      "oversampling");
  f.oversampling = 8;
  f.synth.SetOversampling(8);
}

}  // namespace

TEST(HeldCoefficients, EveryFilterModeMatchesThePerStepPath) {
  for (unsigned int os : {2u, 4u, 8u}) {
    ExpectPerStepPathMatches<COscFilter>(os, STEADY);
    ExpectPerStepPathMatches<COscFilterStereo>(os, STEADY);
    ExpectPerStepPathMatches<CBusFilter>(os, STEADY);
  }
}

TEST(HeldCoefficients, RampsAndGlidesMatchThePerStepPath) {
  for (SCENARIO scenario : {CUTOFF_RAMP, RESONANCE_RAMP, GLIDE}) {
    ExpectPerStepPathMatches<COscFilter>(4, scenario);
    ExpectPerStepPathMatches<CBusFilter>(2, scenario);
  }
}

TEST(HeldCoefficients, CoefficientsFollowChangesBetweenBlocks) {
  ExpectChangesReachTheFilter<COscFilter>(false);
  ExpectChangesReachTheFilter<COscFilterStereo>(false);
  ExpectChangesReachTheFilter<CBusFilter>(true);
}

TEST(HeldCoefficients, DriveFollowsItsAmountAtEveryControlStep) {
  // Oscillator 0's drive as it is, oscillator 1's with a source of no
  // effect on its amount, through a settled amount and then a ramp: every
  // sample is the curve at the amount of its control step.
  for (unsigned int os : {2u, 8u}) {
    CFilterFixture f(os);
    f.mod.AddSource(PARAM_OSC_DRIVE + 1, 0.7f, NO_EFFECT_DEPTH);
    const unsigned int shift = f.synth.GetOversamplingShift();
    const unsigned int B = f.Block();
    const std::vector<float> in = Noise(B, 4);
    for (int type = 0; type < 7; ++type) {
      COscDrive held(&f.synth), stepped(&f.synth);
      held.SetInstance(0);
      stepped.SetInstance(1);
      for (unsigned int k = 0; k < 2; ++k) {
        f.Set(PARAM_OSC_DRIVE_TYPE + k, static_cast<float>(type));
        f.Set(PARAM_OSC_DRIVE + k, 0.3f);
      }
      for (unsigned int blk = 0; blk < 24; ++blk) {
        if (blk == 4) {
          for (unsigned int k = 0; k < 2; ++k) f.params.SetParam(PARAM_OSC_DRIVE + k, 0.9f);
          f.params.Update();
          f.params.ClearStatus();
        }
        std::vector<float> a = in, b = in, expected = in;
        held.UpdateParams(CFilterFixture::HOST_BLOCK);
        held.Process(nullptr, a.data(), B);
        stepped.UpdateParams(CFilterFixture::HOST_BLOCK);
        stepped.Process(nullptr, b.data(), B);
        const float* amount = f.synth.GetParamPointer(PARAM_OSC_DRIVE);
        for (unsigned int i = 0; i < B; ++i) {
          const float A = amount[i >> shift];
          expected[i] = Drive::Curve(type, Drive::Coefficients(type, A * A), in[i]);
        }
        ASSERT_EQ(a, expected) << "type " << type << " at " << os << "x, block " << blk;
        ASSERT_EQ(b, expected) << "type " << type << " at " << os << "x, block " << blk;
      }
    }
  }
}

TEST(HeldCoefficients, BrillianceMatchesThePerStepPath) {
  // Slot 1 of oscillators 0 and 1 as brilliance, the second with a source
  // of no effect on its amount; a settled amount, a ramp (about 21 blocks)
  // and the new amount settled.
  for (unsigned int os : {2u, 8u}) {
    CFilterFixture f(os);
    const unsigned int slot = 1;
    f.mod.AddSource(PARAM_OSC_FX_AMOUNT + 4 * slot + 1, 0.7f, NO_EFFECT_DEPTH);
    CBrilliance held(&f.synth), stepped(&f.synth);
    auto v0 = f.NewVoice(), v1 = f.NewVoice();
    for (unsigned int k = 0; k < 2; ++k) {
      f.Set(PARAM_OSC_FX_TYPE + 4 * slot + k, static_cast<float>(OSC_FX_BRILLIANCE));
      f.Set(PARAM_OSC_FX_AMOUNT + 4 * slot + k, 0.3f);
      CBrilliance& b = k == 0 ? held : stepped;
      b.SetInstance(k, slot);
      b.SetSampleRate(f.Rate());
      b.Reset(k == 0 ? v0.get() : v1.get());
    }
    const unsigned int B = f.Block();
    const std::vector<float> in = Noise(32 * B, 5);
    std::vector<float> a = in, b = in;
    for (unsigned int blk = 0; blk < 32; ++blk) {
      if (blk == 4) {
        for (unsigned int k = 0; k < 2; ++k) f.params.SetParam(PARAM_OSC_FX_AMOUNT + 4 * slot + k, 0.9f);
        f.params.Update();
        f.params.ClearStatus();
      }
      held.UpdateParams(CFilterFixture::HOST_BLOCK);
      held.Process(v0.get(), a.data() + blk * B, B);
      stepped.UpdateParams(CFilterFixture::HOST_BLOCK);
      stepped.Process(v1.get(), b.data() + blk * B, B);
    }
    EXPECT_EQ(a, b) << os << "x";
    EXPECT_NE(a, in) << os << "x";
  }
}
