#include <gtest/gtest.h>

#include <cmath>

#include "../engine/EngineFixture.h"
#include "dsp/BusProcessor.h"
#include "dsp/BusRouter.h"
#include "engine/Buffers.h"
#include "engine/ParamIds.h"
#include "engine/Voice.h"

namespace {

const unsigned int HOST_N = 64;

struct BusFixture : ::testing::Test {
  EngineFixture f;
  CStereoBuffer osc[4];
  CStereoBuffer bus[2];
  unsigned int n = 0;  // oversampled frames

  void SetUp() override {
    f.params.SetSampleRate(44100.0f);
    f.params.SetBlockSize(HOST_N);
    n = HOST_N * f.synth.GetOversampling();
    for (auto& b : osc) b.SetSamplesCount(n);
    for (auto& b : bus) b.SetSamplesCount(n);
    // Each oscillator gets its own recognisable constant signal.
    for (unsigned int o = 0; o < 4; ++o)
      for (unsigned int i = 0; i < n; ++i) {
        osc[o].GetLeftBuffer()[i] = float(o + 1);
        osc[o].GetRightBuffer()[i] = -float(o + 1);
      }
  }
  // Applies settings as a block start does.
  void Set(unsigned int id, float v) {
    f.params.SetParam(id, v);
    f.params.Update();
    f.params.ClearStatus();
  }
  // Runs enough blocks for every 30 ms parameter ramp to reach its value.
  template <class Stage>
  void Settle(Stage& stage) {
    for (int k = 0; k < 25; ++k) stage.UpdateParams(HOST_N);
  }
  void FillBuses(float v) {
    for (auto& b : bus)
      for (unsigned int i = 0; i < n; ++i) b.GetLeftBuffer()[i] = b.GetRightBuffer()[i] = v;
  }
};

}  // namespace

TEST_F(BusFixture, RouterWithAllOscillatorsOffGivesSilence) {
  for (unsigned int o = 0; o < 4; ++o) Set(PARAM_OSC_ON + o, 0.0f);
  CBusRouter router(&f.synth);
  Settle(router);
  FillBuses(9.0f);
  router.Route(osc, bus, n);
  for (auto& b : bus)
    for (unsigned int i = 0; i < n; ++i) {
      ASSERT_EQ(b.GetLeftBuffer()[i], 0.0f);
      ASSERT_EQ(b.GetRightBuffer()[i], 0.0f);
    }
}

TEST_F(BusFixture, RouterSplitsOneOscillatorWhateverTheBusesHeld) {
  for (unsigned int o = 0; o < 4; ++o) Set(PARAM_OSC_ON + o, o == 3 ? 1.0f : 0.0f);
  Set(PARAM_OSC_BUS + 3, 0.25f);
  CBusRouter router(&f.synth);
  Settle(router);
  FillBuses(9.0f);
  router.Route(osc, bus, n);
  for (unsigned int i = 0; i < n; ++i) {
    ASSERT_NEAR(bus[0].GetLeftBuffer()[i], 0.75f * 4.0f, 1e-4);
    ASSERT_NEAR(bus[0].GetRightBuffer()[i], -0.75f * 4.0f, 1e-4);
    ASSERT_NEAR(bus[1].GetLeftBuffer()[i], 0.25f * 4.0f, 1e-4);
    ASSERT_NEAR(bus[1].GetRightBuffer()[i], -0.25f * 4.0f, 1e-4);
  }
}

TEST_F(BusFixture, SilentOscillatorThatIsOnStillWritesFirst) {
  for (unsigned int o = 0; o < 4; ++o) Set(PARAM_OSC_ON + o, (o == 0 || o == 2) ? 1.0f : 0.0f);
  Set(PARAM_OSC_BUS + 0, 0.0f);
  Set(PARAM_OSC_BUS + 2, 1.0f);
  for (unsigned int i = 0; i < n; ++i) osc[0].GetLeftBuffer()[i] = osc[0].GetRightBuffer()[i] = 0.0f;
  CBusRouter router(&f.synth);
  Settle(router);
  FillBuses(9.0f);
  router.Route(osc, bus, n);
  for (unsigned int i = 0; i < n; ++i) {
    ASSERT_NEAR(bus[0].GetLeftBuffer()[i], 0.0f, 1e-4);  // stale 9.0 overwritten
    ASSERT_NEAR(bus[1].GetLeftBuffer()[i], 3.0f, 1e-4);
  }
}

TEST_F(BusFixture, SendEntersBusTwoAtTheSquareAndRunsWithBusTwoOff) {
  Set(PARAM_BUS_ON + 1, 0.0f);
  Set(PARAM_BUS_SEND, 0.5f);
  CBusProcessor b2(&f.synth);
  b2.SetInstance(1);
  Settle(b2);
  for (unsigned int i = 0; i < n; ++i) {
    bus[0].GetLeftBuffer()[i] = 1.0f;
    bus[0].GetRightBuffer()[i] = -2.0f;
    bus[1].GetLeftBuffer()[i] = 0.5f;
    bus[1].GetRightBuffer()[i] = 0.0f;
  }
  b2.Process(nullptr, bus, n);
  for (unsigned int i = 0; i < n; ++i) {
    ASSERT_NEAR(bus[1].GetLeftBuffer()[i], 0.5f + 0.25f, 1e-4);
    ASSERT_NEAR(bus[1].GetRightBuffer()[i], -0.5f, 1e-4);
    ASSERT_EQ(bus[0].GetLeftBuffer()[i], 1.0f);  // bus 1 untouched
  }
}

TEST_F(BusFixture, OutputLevelAndPan) {
  struct Case { float level, pan, gl, gr; } cases[] = {
      {0.5f, 0.5f, 0.5f, 0.5f}, {1.0f, 0.5f, 2.0f, 2.0f}, {1.0f, 0.0f, 4.0f, 0.0f}, {0.0f, 0.3f, 0.0f, 0.0f}};
  for (auto& c : cases) {
    Set(PARAM_BUS_LEVEL + 0, c.level);
    Set(PARAM_BUS_PAN + 0, c.pan);
    // Let the 30 ms ramps settle.
    CBusProcessor b1(&f.synth);
    b1.SetInstance(0);
    Settle(b1);
    FillBuses(1.0f);
    b1.ProcessOutput(nullptr, bus, n);
    EXPECT_NEAR(bus[0].GetLeftBuffer()[n - 1], c.gl, 1e-5) << c.level << "/" << c.pan;
    EXPECT_NEAR(bus[0].GetRightBuffer()[n - 1], c.gr, 1e-5) << c.level << "/" << c.pan;
  }
}

TEST_F(BusFixture, PerVoiceAndSharedModesAgreeForOneVoice) {
  // With pass-through stages, both modes give the routed signal times the
  // output gains; the shared mode must also work from the mono voice alone.
  Set(PARAM_BUS_SEND, 0.7f);
  Set(PARAM_OSC_ON + 1, 1.0f);
  Set(PARAM_OSC_BUS + 1, 0.4f);
  CVoice mono(&f.synth, 44100.0f);
  CVoice voice(&f.synth, 60, 1.0f, 44100.0f, 0);
  float out[2][2] = {};
  for (int mode = 0; mode < 2; ++mode) {
    Set(PARAM_BUS_MODE, float(mode));
    CBusRouter router(&f.synth);
    CBusProcessor b[2] = {CBusProcessor(&f.synth), CBusProcessor(&f.synth)};
    for (unsigned int k = 0; k < 2; ++k) {
      b[k].SetInstance(k);
      b[k].SetMonoVoice(&mono);
      b[k].SetSampleRate(44100.0f * f.synth.GetOversampling());
      b[k].Reset(&voice);
      b[k].StartVoice(&voice);
    }
    Settle(b[0]);
    Settle(b[1]);
    Settle(router);
    for (int blk = 0; blk < 3; ++blk) {
      b[0].UpdateParams(HOST_N);
      b[1].UpdateParams(HOST_N);
      router.UpdateParams(HOST_N);
      router.Route(osc, bus, n);
      for (unsigned int k = 0; k < 2; ++k) b[k].Process(&voice, bus, n);
      for (unsigned int k = 0; k < 2; ++k) b[k].ProcessOutput(&voice, bus, n);
    }
    out[mode][0] = bus[0].GetLeftBuffer()[n - 1];
    out[mode][1] = bus[1].GetLeftBuffer()[n - 1];
    EXPECT_EQ(*mono.GetPitch(), 60);
  }
  EXPECT_FLOAT_EQ(out[0][0], out[1][0]);
  EXPECT_FLOAT_EQ(out[0][1], out[1][1]);
  EXPECT_GT(std::fabs(out[0][1]), 0.0f);
}
