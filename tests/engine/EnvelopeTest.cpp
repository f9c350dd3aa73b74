#include <cmath>

#include "ModulationFixture.h"
#include "engine/AmpEnv.h"
#include "tables/EnvTables.h"

namespace {

class EnvelopeTest : public ModulationFixture {
 protected:
  EnvelopeTest() {
    // Envelope 1 on, var mode, free time scale "1s", no key or velocity
    // scaling, no declick.
    SetPlain(PARAM_ENV_ON, 1.0f);
    SetPlain(PARAM_ENV_MODE, 1.0f);
    SetPlain(PARAM_ENV_SYNC, 32.0f);
    SetPlain(PARAM_ENV_KEYSCALE, 0.0f);
    SetPlain(PARAM_ENV_VELSCALE, 0.0f);
    SetPlain(PARAM_DECLICK, 0.0f);
  }

  std::vector<float> Run(CVoice* v, unsigned int n, unsigned int env = 0) {
    CEnvelope* e = matrix.GetEnvelope(env);
    return Render(n, [&](float* out, unsigned int len) {
      e->UpdateParams(len);
      e->Generate(v, out, len);
    });
  }

  // As Run, but the parameter id is set to a and b by turns before every
  // block, so that its ramp never ends and the envelope takes its
  // moving-controls path throughout.
  std::vector<float> RunMoving(CVoice* v, unsigned int n, unsigned int id, float a, float b) {
    CEnvelope* e = matrix.GetEnvelope(0);
    bool turn = false;
    return Render(n, [&](float* out, unsigned int len) {
      params.SetParam(id, turn ? a : b);
      turn = !turn;
      e->UpdateParams(len);
      e->Generate(v, out, len);
    });
  }
};

// Index of the first sample at or above level.
size_t FirstAtOrAbove(const std::vector<float>& v, float level) {
  for (size_t i = 0; i < v.size(); ++i)
    if (v[i] >= level) return i;
  return v.size();
}

TEST_F(EnvelopeTest, AttackTimeFollowsTimeScaleAndTempo) {
  struct Case {
    float sync;
    float tempo;
    float mode;  // 0 exp, 1 var
    double seconds;
  };
  // Var attack A^3 x r + 0.5 ms, doubled in exp mode; sync 0 at 120 BPM is
  // one whole note, 2 s.
  const Case cases[] = {{32.0f, 120.0f, 1.0f, 1.0005}, {0.0f, 120.0f, 1.0f, 2.0005},
                        {0.0f, 60.0f, 1.0f, 4.0005}, {31.0f, 90.0f, 0.0f, 2 * 0.0505}};
  for (const Case& c : cases) {
    SetPlain(PARAM_ENV_SYNC, c.sync);
    SetPlain(PARAM_ENV_MODE, c.mode);
    synth.SetHostTempo(c.tempo);
    SetModulatable(PARAM_ENV_ATTACK, 1.0f);
    auto v = StartVoice();
    unsigned int expected = static_cast<unsigned int>(c.seconds * kRate);
    auto out = Run(v.get(), expected + 200);
    size_t peakAt = FirstAtOrAbove(out, 1.0f);
    // The position accumulates in single precision: long stages drift by a
    // fraction of a per cent.
    EXPECT_NEAR(static_cast<double>(peakAt), c.seconds * kRate, std::max(3.0, 0.002 * c.seconds * kRate))
        << "sync " << c.sync << " tempo " << c.tempo;
    EXPECT_NEAR(out[expected / 2], 0.5f, 0.002f);
  }
}

TEST_F(EnvelopeTest, VarReleaseCurveBendsWithSlope) {
  // Instant attack and decay to sustain 1, then a 1.0005 s release: the
  // output at release position 0.2 is the fall curve there.
  SetModulatable(PARAM_ENV_ATTACK, 0.0f);
  SetModulatable(PARAM_ENV_DECAY, 0.0f);
  SetModulatable(PARAM_ENV_SUSTAIN, 1.0f);
  SetModulatable(PARAM_ENV_RELEASE, 1.0f);
  const struct {
    float slope;
    float expected;
  } cases[] = {{0.5f, 0.512f}, {0.51f, 0.433f}, {0.49f, 0.417f}, {1.0f, 0.976f}, {0.0f, 0.134f}};
  for (const auto& c : cases) {
    SetModulatable(PARAM_ENV_SLOPE, c.slope);
    auto v = StartVoice();
    auto held = Run(v.get(), 2000);
    EXPECT_FLOAT_EQ(held.back(), 1.0f);
    v->Release();
    auto rel = Run(v.get(), 45000);
    // Position after sample i is (i + 1) / (1.0005 x rate).
    size_t at = static_cast<size_t>(0.2 * 1.0005 * kRate) - 1;
    EXPECT_NEAR(rel[at], c.expected, 0.002f) << "slope " << c.slope;
    EXPECT_EQ(rel.back(), 0.0f);
    EXPECT_TRUE(v->GetEnvState(0)->finished);
  }
}

TEST_F(EnvelopeTest, ExpReleaseFollowsDecayTable) {
  SetPlain(PARAM_ENV_MODE, 0.0f);
  SetModulatable(PARAM_ENV_ATTACK, 0.0f);
  SetModulatable(PARAM_ENV_SUSTAIN, 1.0f);
  SetModulatable(PARAM_ENV_RELEASE, 1.0f);
  auto v = StartVoice();
  Run(v.get(), 2000);
  v->Release();
  auto rel = Run(v.get(), 100000);
  // Exp release lasts 2 x 1.0005 s; half way the table reads 0.0039063.
  size_t half = static_cast<size_t>(1.0005 * kRate) - 1;
  EXPECT_NEAR(rel[half], 0.0039063f, 0.0039063f * 0.01f);
  size_t tenth = static_cast<size_t>(0.2 * 1.0005 * kRate) - 1;
  EXPECT_NEAR(rel[tenth], 0.37604f, 0.001f);
}

TEST_F(EnvelopeTest, GateRuleAndEdgeStates) {
  SetModulatable(PARAM_ENV_ATTACK, 1.0f);
  SetModulatable(PARAM_ENV_RELEASE, 0.5f);
  // Gate 0 already in the first attack sample: that sample is position x
  // peak, and the release falls from it.
  {
    auto v = StartVoice();
    v->Release();
    auto out = Run(v.get(), 64);
    float first = 1.0f / (1.0005f * kRate);
    EXPECT_NEAR(out[0], first, 1e-7f);
    EXPECT_EQ(v->GetEnvState(0)->stage, ENV_STAGE_RELEASE);
    EXPECT_LT(out[1], out[0]);
  }
  // Velocity scale 1 and velocity 0: peak 0, every stage outputs 0.
  {
    SetPlain(PARAM_ENV_VELSCALE, 1.0f);
    auto v = StartVoice(60, 0.0f);
    auto out = Run(v.get(), 5000);
    for (float x : out) ASSERT_EQ(x, 0.0f);
    SetPlain(PARAM_ENV_VELSCALE, 0.0f);
  }
  // Sustain 0: the decay falls to 0 and stays there while held.
  {
    SetModulatable(PARAM_ENV_ATTACK, 0.0f);
    SetModulatable(PARAM_ENV_DECAY, 0.1f);
    SetModulatable(PARAM_ENV_SUSTAIN, 0.0f);
    auto v = StartVoice();
    auto out = Run(v.get(), 3000);
    EXPECT_EQ(v->GetEnvState(0)->stage, ENV_STAGE_SUSTAIN);
    EXPECT_NEAR(out.back(), 0.0f, 1e-6f);  // the store's ramp ends within float error of 0
  }
  // Switched off: zeros, state untouched.
  {
    auto v = StartVoice();
    v->GetEnvState(0)->stage = ENV_STAGE_DECAY;
    v->GetEnvState(0)->position = 0.25f;
    SetPlain(PARAM_ENV_ON, 0.0f);
    auto out = Run(v.get(), 100);
    for (float x : out) ASSERT_EQ(x, 0.0f);
    EXPECT_EQ(v->GetEnvState(0)->stage, ENV_STAGE_DECAY);
    EXPECT_EQ(v->GetEnvState(0)->position, 0.25f);
    SetPlain(PARAM_ENV_ON, 1.0f);
  }
  // n = 0 in stage 4 sets the finished flag.
  {
    auto v = StartVoice();
    v->GetEnvState(0)->stage = ENV_STAGE_DONE;
    float dummy = 0.0f;
    matrix.GetEnvelope(0)->Generate(v.get(), &dummy, 0);
    EXPECT_TRUE(v->GetEnvState(0)->finished);
  }
}

TEST_F(EnvelopeTest, KeyScaleMultipliesStageTimes) {
  SetModulatable(PARAM_ENV_ATTACK, 1.0f);
  SetPlain(PARAM_ENV_KEYSCALE, 1.0f);
  SetPlain(PARAM_TRANSPOSE, 0.0f);
  // Note 126 with full key scale: times / 16.
  auto v = StartVoice(126);
  auto out = Run(v.get(), 4000);
  EXPECT_NEAR(static_cast<double>(FirstAtOrAbove(out, 1.0f)), 1.0005 * kRate / 16.0, 3.0);
}

TEST_F(EnvelopeTest, DecayLastsItsTimeWithSettledAndMovingControls) {
  // Var mode, time scale 1 s: the decay from the peak to the sustain level
  // lasts D^2 x 1 s + 4 ms, whether the controls hold still (one step per
  // block) or one of them moves (a step per sample). The release setting
  // moves in the second run; a held note never reads it. A 0.1 ms longer
  // floor (4.1 ms) would show as 4.4 samples in the short decays.
  SetModulatable(PARAM_ENV_ATTACK, 0.0f);
  SetModulatable(PARAM_ENV_SUSTAIN, 0.5f);
  SetModulatable(PARAM_ENV_RELEASE, 0.5f);
  const struct {
    float decay;
    double seconds;
  } cases[] = {{0.0f, 0.004}, {0.1f, 0.014}, {0.3f, 0.094}};
  for (const auto& c : cases) {
    for (bool moving : {false, true}) {
      SetModulatable(PARAM_ENV_DECAY, c.decay);
      SetModulatable(PARAM_ENV_RELEASE, 0.5f);
      auto v = StartVoice();
      const unsigned int n = static_cast<unsigned int>(c.seconds * kRate) + 500;
      auto out = moving ? RunMoving(v.get(), n, PARAM_ENV_RELEASE, 0.2f, 0.8f) : Run(v.get(), n);
      const size_t peakAt = FirstAtOrAbove(out, 1.0f);
      size_t sustainAt = peakAt;
      while (sustainAt < out.size() && out[sustainAt] != 0.25f) ++sustainAt;
      ASSERT_LT(sustainAt, out.size()) << c.decay << (moving ? " moving" : " settled");
      // The position accumulates in single precision: long stages end a
      // fraction of a per cent early.
      EXPECT_NEAR(static_cast<double>(sustainAt - peakAt), c.seconds * kRate, std::max(2.0, 0.003 * c.seconds * kRate))
          << "decay " << c.decay << (moving ? " moving" : " settled");
    }
  }
}

TEST_F(EnvelopeTest, SettledAndMovingControlsRenderAlike) {
  // Exp mode leaves the slope unused: with the slope moving, every stage
  // runs through the per-sample path and must give the settled path's
  // samples exactly, from attack to the end of the release.
  SetPlain(PARAM_ENV_MODE, 0.0f);
  SetModulatable(PARAM_ENV_ATTACK, 0.1f);
  SetModulatable(PARAM_ENV_DECAY, 0.2f);
  SetModulatable(PARAM_ENV_SUSTAIN, 0.5f);
  SetModulatable(PARAM_ENV_RELEASE, 0.2f);
  auto play = [&](bool moving) {
    SetModulatable(PARAM_ENV_SLOPE, 0.5f);
    auto v = StartVoice();
    auto held = moving ? RunMoving(v.get(), 4000, PARAM_ENV_SLOPE, 0.1f, 0.9f) : Run(v.get(), 4000);
    v->Release();
    auto rel = moving ? RunMoving(v.get(), 4000, PARAM_ENV_SLOPE, 0.1f, 0.9f) : Run(v.get(), 4000);
    held.insert(held.end(), rel.begin(), rel.end());
    EXPECT_EQ(v->GetEnvState(0)->stage, ENV_STAGE_DONE);
    return held;
  };
  const auto settled = play(false);
  const auto moving = play(true);
  ASSERT_EQ(settled.size(), moving.size());
  for (size_t i = 0; i < settled.size(); ++i) ASSERT_EQ(settled[i], moving[i]) << "sample " << i;

  // In var mode the same moving slope bends the decay: the second run did
  // take the moving controls.
  SetPlain(PARAM_ENV_MODE, 1.0f);
  EXPECT_NE(play(false), play(true));
}

TEST_F(EnvelopeTest, DamagedSettingsStayFinite) {
  SetModulatable(PARAM_ENV_ATTACK, 0.2f);
  const float bad[] = {-1.0f, 34.0f, 1e9f, -1e9f, NAN, INFINITY};
  for (float b : bad) {
    SetPlain(PARAM_ENV_SYNC, b);
    SetPlain(PARAM_ENV_MODE, b);
    SetPlain(PARAM_ENV_KEYSCALE, b);
    SetPlain(PARAM_ENV_VELSCALE, b);
    auto v = StartVoice();
    auto out = Run(v.get(), 500);
    v->Release();
    auto rel = Run(v.get(), 500);
    EXPECT_TRUE(AllFinite(out) && AllFinite(rel)) << b;
  }
}

TEST_F(EnvelopeTest, AmpStageScalesByEnvelopeAndSwitch) {
  SetPlain(PARAM_ENV_ON + 3, 1.0f);
  CAmpEnv amp(&synth);
  auto v = StartVoice();
  float* env = matrix.GetAmpEnv();
  float* sw = matrix.GetVoiceSwitch();
  const unsigned int os = synth.GetOversampling();
  const unsigned int n = 8 * os;
  for (unsigned int i = 0; i < 8; ++i) {
    env[i] = 0.5f;
    sw[i] = 0.25f * static_cast<float>(i);
  }
  std::vector<float> l(n, 1.0f), r(n, 2.0f);
  amp.Process(v.get(), l.data(), r.data(), n);
  EXPECT_FLOAT_EQ(l[3 * os], 0.5f * 0.75f);
  EXPECT_FLOAT_EQ(r[3 * os + 1], 2.0f * 0.5f * 0.75f);

  // Legato release fade: the frozen release level replaces the shared
  // envelope.
  SetPlain(PARAM_VOICE_MODE, 2.0f);
  SetPlain(PARAM_ARP_ON, 0.0f);
  v->GetVoiceSwitchState()->state = VOICE_SWITCH_RELEASE;
  v->SetVoiceSwitchReleaseLevel(0.8f);
  std::fill(l.begin(), l.end(), 1.0f);
  amp.Process(v.get(), l.data(), r.data(), n);
  EXPECT_FLOAT_EQ(l[2 * os], 0.8f * 0.5f);
}

}  // namespace
