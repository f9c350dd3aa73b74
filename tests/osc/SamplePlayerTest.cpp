// The sample player (oscillator mode 56): pitch and speed, loop region,
// grains, gain and pan, and damaged settings.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "OscFixture.h"
#include "osc/SamplePlayer.h"
#include "tables/Tables.h"

namespace {

const float HOST_RATE = 44100.0f;

std::vector<float> Sine(unsigned int frames, double hz, double rate, float amplitude = 1.0f) {
  std::vector<float> x(frames);
  for (unsigned int i = 0; i < frames; ++i) x[i] = amplitude * static_cast<float>(std::sin(2.0 * M_PI * hz * i / rate));
  return x;
}

// Osc1 in sample mode, level 1, centre pan, loop and grains as given.
struct SAMPLE_RIG {
  COscFixture f{4, 64};
  CSamplePlayer* player;
  std::unique_ptr<CVoice> voice;

  SAMPLE_RIG(const std::vector<float>& left, const std::vector<float>& right, float rate = HOST_RATE) {
    f.Set(PARAM_OSC_MODE, 56.0f);
    f.Set(PARAM_OSC_LEVEL, 1.0f);
    f.Set(PARAM_OSC_PAN, 0.5f);
    player = f.osc[0]->GetSamplePlayer();
    EXPECT_TRUE(f.osc[0]->LoadSampleFromMemory(const_cast<float*>(left.data()), const_cast<float*>(right.data()),
                                               static_cast<unsigned int>(left.size()), rate, "test"));
  }
  explicit SAMPLE_RIG(const std::vector<float>& mono, float rate = HOST_RATE) : SAMPLE_RIG(mono, mono, rate) {}

  void Settings(bool loop, bool grains) {
    f.Set(PARAM_OSC_FREE_PHASE, loop ? 1.0f : 0.0f);
    f.Set(PARAM_OSC_INVERT, grains ? 1.0f : 0.0f);
  }
  void Start(int note, unsigned int unison = 0) {
    voice = f.NewVoice(note, unison);
    f.Start(voice.get());
  }
  OSC_STATE* State() { return voice->GetOscState(0); }
  // Renders at least n samples of both channels.
  void Render(size_t n, std::vector<float>& l, std::vector<float>& r) {
    l.clear();
    r.clear();
    while (l.size() < n) {
      f.Block(voice.get());
      l.insert(l.end(), f.outL[0].begin(), f.outL[0].end());
      r.insert(r.end(), f.outR[0].begin(), f.outR[0].end());
    }
  }
  std::vector<float> Left(size_t n) {
    std::vector<float> l, r;
    Render(n, l, r);
    return l;
  }
};

double Mean(const std::vector<float>& x, size_t from, size_t to) {
  double s = 0.0;
  for (size_t i = from; i < to; ++i) s += x[i];
  return s / static_cast<double>(to - from);
}

double Rms(const std::vector<float>& x, size_t from, size_t to) {
  double s = 0.0;
  for (size_t i = from; i < to; ++i) s += static_cast<double>(x[i]) * x[i];
  return std::sqrt(s / static_cast<double>(to - from));
}

float PeakOf(const std::vector<float>& x, size_t from = 0) {
  float p = 0.0f;
  for (size_t i = from; i < x.size(); ++i) p = std::max(p, std::fabs(x[i]));
  return p;
}

}  // namespace

TEST(SamplePlayer, StepFollowsNoteRootPitchAndFileRate) {
  const struct {
    int note;
    unsigned int root;
    float fileRate;
    double framesPerHostSample;
  } cases[] = {{60, 60, 44100.0f, 1.0}, {72, 60, 44100.0f, 2.0}, {60, 60, 22050.0f, 0.5},
               {67, 67, 44100.0f, 1.0}, {55, 67, 88200.0f, 1.0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    SAMPLE_RIG rig(std::vector<float>(200000, 0.5f), c.fileRate);
    rig.player->SetRootPitch(c.root);
    rig.Settings(false, false);
    rig.Start(c.note);
    const unsigned int blocks = 40;
    for (unsigned int b = 0; b < blocks; ++b) rig.f.Block(rig.voice.get());
    const double expected = c.framesPerHostSample * blocks * rig.f.hostBlock;
    EXPECT_NEAR(rig.State()->playPosition, expected, expected * 1e-3);
  }
}

TEST(SamplePlayer, PlaysAtItsOwnPitchAtTheRootAndAnOctaveUpTwelveAbove) {
  for (int offset : {0, 12}) {
    SCOPED_TRACE(offset);
    // 441 Hz recorded at 44.1 kHz in the left channel, silence in the right.
    SAMPLE_RIG rig(Sine(44100, 441.0, 44100.0), std::vector<float>(44100, 0.0f));
    rig.Settings(false, false);
    rig.Start(60 + offset);
    // 0.3 s: inside the sample also an octave up.
    std::vector<float> l, r;
    rig.Render(52920, l, r);
    const double expected = 441.0 * (offset ? 2.0 : 1.0);
    EXPECT_NEAR(ZeroCrossingFrequency(l, rig.f.OscRate(), 2000), expected, expected * 1e-3);
    // Level 1 at centre pan: 3 x 4 x 1 x 0.5 = 6. The right channel stays silent.
    EXPECT_NEAR(Amplitude(l, rig.f.OscRate(), expected, 2000), 6.0, 0.1);
    EXPECT_LT(PeakOf(r), 1e-6f);
  }
}

TEST(SamplePlayer, LoopRegionKeepsPlayingWhileHeldAndNothingOutsideItSounds) {
  // Markers of DC outside the loop; ten whole cycles of 441 Hz inside it.
  std::vector<float> x(2000, 1.0f);
  const std::vector<float> tone = Sine(1000, 441.0, 44100.0, 0.5f);
  std::copy(tone.begin(), tone.end(), x.begin() + 500);
  for (unsigned int i = 1500; i < 2000; ++i) x[i] = -1.0f;
  for (bool loop : {true, false}) {
    SCOPED_TRACE(loop);
    SAMPLE_RIG rig(x);
    rig.player->SetLoop(500, 1500);
    rig.Settings(loop, false);
    rig.Start(60);
    // 25 passes of the loop at 4x.
    const std::vector<float> y = rig.Left(25 * 1000 * 4);
    const size_t tail = y.size() - 4000;
    if (loop) {
      EXPECT_NEAR(Rms(y, tail, y.size()), 3.0 / std::sqrt(2.0), 0.05);
      EXPECT_NEAR(Mean(y, 400, y.size()), 0.0, 0.01);
      EXPECT_NEAR(ZeroCrossingFrequency(y, rig.f.OscRate(), 400), 441.0, 0.5);
    } else {
      // One pass, then the up-samplers' tail dies away into silence.
      EXPECT_NEAR(Rms(y, 400, 3600), 3.0 / std::sqrt(2.0), 0.1);
      EXPECT_LT(PeakOf(y, tail), 1e-5f);
      EXPECT_GE(rig.State()->playPosition, 1000.0);
    }
  }
}

TEST(SamplePlayer, LoopLimitsOnAHundredFrameSample) {
  SAMPLE_RIG rig(std::vector<float>(100, 0.5f));
  EXPECT_EQ(rig.player->GetLoopStart(), 0u);
  EXPECT_EQ(rig.player->GetLoopEnd(), 99u);
  const struct {
    unsigned int start, end, wantStart, wantEnd;
  } cases[] = {{10, 5, 10, 11}, {5, 500, 5, 99}, {200, 300, 0, 99}, {99, 50, 99, 100}, {0, 0, 0, 1}};
  for (const auto& c : cases) {
    rig.player->SetLoop(c.start, c.end);
    EXPECT_EQ(rig.player->GetLoopStart(), c.wantStart) << c.start << ".." << c.end;
    EXPECT_EQ(rig.player->GetLoopEnd(), c.wantEnd) << c.start << ".." << c.end;
  }
}

TEST(SamplePlayer, OneFrameLoopAtTheLastFramePlaysThatFrame) {
  std::vector<float> x(100, 0.25f);
  x[99] = -1.0f;
  SAMPLE_RIG rig(x);
  rig.player->SetLoop(99, 50);  // 99..100: one frame, past the last
  rig.Settings(true, false);
  rig.Start(60);
  std::vector<float> l, r;
  rig.Render(8192, l, r);
  EXPECT_NEAR(l.back(), -6.0f, 1e-3f);
  EXPECT_NEAR(r.back(), -6.0f, 1e-3f);
  // In grain mode too, every grain reads that one frame.
  rig.Settings(true, true);
  rig.Render(8192, l, r);
  for (float v : l) ASSERT_TRUE(std::isfinite(v));
}

TEST(SamplePlayer, LevelPanAndRingSetTheGain) {
  const struct {
    float level, pan, ring;
    float left, right;
  } cases[] = {{1.0f, 0.5f, 0.0f, 6.0f, 6.0f},  {0.5f, 0.5f, 0.0f, 1.5f, 1.5f}, {1.0f, 0.0f, 0.0f, 12.0f, 0.0f},
               {1.0f, 1.0f, 0.0f, 0.0f, 12.0f}, {1.0f, 0.5f, 1.0f, 0.0f, 0.0f}, {1.0f, 0.5f, 0.5f, 3.0f, 3.0f}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.level << " " << c.pan << " " << c.ring);
    SAMPLE_RIG rig(std::vector<float>(1000, 1.0f));
    rig.Settings(true, false);
    rig.f.Set(PARAM_OSC_LEVEL, c.level);
    rig.f.Set(PARAM_OSC_PAN, c.pan);
    rig.f.Set(PARAM_OSC_RM, c.ring);
    rig.Start(60);
    // A ring source of zeros: depth 1 silences, depth 0.5 halves.
    const unsigned int n = rig.f.OscBlock();
    std::vector<float> ring(n, 0.0f), l(n), r(n);
    for (unsigned int b = 0; b < 64; ++b) {
      rig.f.osc[0]->UpdateParams(rig.f.hostBlock);
      rig.f.osc[0]->GetPitchModule().Generate(rig.voice.get(), n);
      rig.player->Generate(rig.voice.get(), rig.f.synth.GetPitchModulation(0), l.data(), r.data(), ring.data(), n);
    }
    EXPECT_NEAR(l.back(), c.left, 1e-3f);
    EXPECT_NEAR(r.back(), c.right, 1e-3f);
  }
}

TEST(SamplePlayer, GrainCountFollowsDensity) {
  for (float density : {0.0f, 0.5f, 1.0f}) {
    SCOPED_TRACE(density);
    SAMPLE_RIG rig(Sine(20000, 441.0, 44100.0));
    rig.Settings(true, true);
    rig.f.Set(PARAM_OSC_FX_AMOUNT, density);
    rig.Start(60);
    const unsigned int active = static_cast<unsigned int>(density * 7.0f) + 1;
    float before[OSC_GRAIN_COUNT];
    for (unsigned int g = 0; g < OSC_GRAIN_COUNT; ++g) {
      before[g] = rig.State()->grains[g].windowPhase;
      EXPECT_FLOAT_EQ(before[g], static_cast<float>(g) / active);  // evenly staggered
    }
    rig.f.Block(rig.voice.get());
    for (unsigned int g = 0; g < OSC_GRAIN_COUNT; ++g) {
      if (g < active)
        EXPECT_NE(rig.State()->grains[g].windowPhase, before[g]) << g;
      else
        EXPECT_EQ(rig.State()->grains[g].windowPhase, before[g]) << g;
    }
  }
}

TEST(SamplePlayer, GrainSizeSpreadAndWidthShapeNewGrains) {
  const struct {
    float size, spread, width;
    float length, ratioLo, ratioHi, panLo, panHi;
  } cases[] = {{1.0f, 0.0f, 0.0f, 88.0f, 1.0f, 1.0f, 0.5f, 0.5f},
               {0.0f, 1.0f, 1.0f, 10143.0f, 0.5f, 5.0f, 0.0f, 1.0f}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    SAMPLE_RIG rig(Sine(20000, 441.0, 44100.0));
    rig.Settings(true, true);
    rig.f.Set(PARAM_OSC_FX_AMOUNT + 4, c.spread);
    rig.f.Set(PARAM_OSC_FX_AMOUNT + 8, c.size);
    rig.f.Set(PARAM_OSC_FX_AMOUNT + 12, c.width);
    float lo = 1e9f, hi = -1e9f, panLo = 1e9f, panHi = -1e9f;
    for (int note = 0; note < 40; ++note) {
      rig.Start(60);
      for (const OSC_GRAIN_STATE& g : rig.State()->grains) {
        EXPECT_EQ(g.length, c.length);
        lo = std::min(lo, g.pitchRatio);
        hi = std::max(hi, g.pitchRatio);
        panLo = std::min(panLo, g.pan);
        panHi = std::max(panHi, g.pan);
      }
    }
    EXPECT_GE(lo, c.ratioLo);
    EXPECT_LE(hi, c.ratioHi);
    EXPECT_GE(panLo, c.panLo);
    EXPECT_LE(panHi, c.panHi);
    if (c.spread > 0.0f) {
      // Both directions occur, the upward range four times the downward one.
      EXPECT_LT(lo, 0.8f);
      EXPECT_GT(hi, 2.0f);
      EXPECT_LT(panLo, 0.3f);
      EXPECT_GT(panHi, 0.7f);
      // Hundreds of draws reach close to both ends of each range.
      EXPECT_GT(hi, 4.6f);
      EXPECT_LT(panLo, 0.05f);
      EXPECT_GT(panHi, 0.95f);
    }
  }
}

TEST(SamplePlayer, OneLongGrainPlaysAtTheNotesPitchWhileThePlayheadKeepsRecordedSpeed) {
  for (int offset : {0, 12}) {
    SCOPED_TRACE(offset);
    SAMPLE_RIG rig(Sine(44100, 441.0, 44100.0));
    rig.Settings(true, true);
    rig.f.Set(PARAM_OSC_FX_AMOUNT + 8, 0.0f);  // 230 ms grains
    rig.Start(60 + offset);
    const std::vector<float> y = rig.Left(4 * 8000);
    const double f0 = 441.0 * (offset ? 2.0 : 1.0);
    // The middle of the first grain, where its window is flat.
    const std::vector<float> mid(y.begin() + 4 * 2500, y.begin() + 4 * 7500);
    EXPECT_NEAR(ZeroCrossingFrequency(mid, rig.f.OscRate()), f0, f0 * 2e-3);
    // Playhead at one frame per host sample whatever the note.
    EXPECT_NEAR(rig.State()->playPosition, 8000.0, 1.0);
    // Grain width 0 puts each grain at centre pan (0.5 per channel) before
    // the oscillator's own gain of 6 at centre: a peak of 3 x the window's 0.993.
    EXPECT_NEAR(Rms(mid, 0, mid.size()), 0.993 * 3.0 / std::sqrt(2.0), 0.03);
  }
}

TEST(SamplePlayer, GrainsFallSilentAtTheEndWithoutLoop) {
  SAMPLE_RIG rig(Sine(4410, 441.0, 44100.0));
  rig.Settings(false, true);
  rig.f.Set(PARAM_OSC_FX_AMOUNT, 1.0f);
  rig.Start(60);
  const std::vector<float> y = rig.Left(4 * 16000);
  EXPECT_GT(PeakOf(std::vector<float>(y.begin(), y.begin() + 4 * 4000)), 1.0f);
  EXPECT_LT(PeakOf(y, y.size() - 4 * 4000), 1e-5f);
}

TEST(SamplePlayer, UnisonSubVoicesStartUpToAHundredFramesApartInsideTheLoop) {
  for (unsigned int frames : {10000u, 11u}) {
    SAMPLE_RIG rig(std::vector<float>(frames, 0.5f));
    for (int k = 0; k < 50; ++k) {
      rig.Start(60, 1 + k % 7);
      const double p = rig.State()->playPosition;
      EXPECT_GE(p, 0.0);
      EXPECT_LE(p, std::min(100.0, frames - 2.0));
    }
    rig.Start(60, 0);
    EXPECT_EQ(rig.State()->playPosition, 0.0);
  }
}

TEST(SamplePlayer, EmptyPlayerAndFailedLoadsPlaySilenceAndKeepWhatWasLoaded) {
  COscFixture f(4, 64);
  f.Set(PARAM_OSC_MODE, 56.0f);
  f.Set(PARAM_OSC_LEVEL, 1.0f);
  auto voice = f.NewVoice(60);
  f.Start(voice.get());
  f.Block(voice.get());
  for (unsigned int i = 0; i < f.OscBlock(); ++i) {
    ASSERT_EQ(f.outL[0][i], 0.0f);
    ASSERT_EQ(f.outR[0][i], 0.0f);
  }
  // A one-frame sample has an empty region: silence, no read outside it.
  std::vector<float> one(1, 1.0f);
  ASSERT_TRUE(f.osc[0]->LoadSampleFromMemory(one.data(), one.data(), 1, 44100.0f, "one"));
  f.Start(voice.get());
  f.Block(voice.get());
  for (unsigned int i = 0; i < f.OscBlock(); ++i) ASSERT_EQ(f.outL[0][i], 0.0f);
  // Refused loads keep the sample, its loop and its name.
  std::vector<float> x(300, 0.5f);
  ASSERT_TRUE(f.osc[0]->LoadSampleFromMemory(x.data(), x.data(), 300, 44100.0f, "kept"));
  f.osc[0]->GetSamplePlayer()->SetLoop(10, 200);
  EXPECT_FALSE(f.osc[0]->LoadSampleFromMemory(nullptr, nullptr, 10, 44100.0f, "bad"));
  EXPECT_FALSE(f.osc[0]->LoadSampleFromMemory(x.data(), x.data(), 300, NAN, "bad"));
  EXPECT_FALSE(f.osc[0]->LoadSample("/no/such/file.wav"));
  unsigned int frames = 0;
  float* l = nullptr;
  f.osc[0]->GetSample(&l, nullptr, frames, nullptr);
  EXPECT_EQ(frames, 300u);
  EXPECT_STREQ(f.osc[0]->GetSamplePath(), "kept");
  EXPECT_EQ(f.osc[0]->GetSamplePlayer()->GetLoopStart(), 10u);
  EXPECT_EQ(f.osc[0]->GetSamplePlayer()->GetLoopEnd(), 200u);
}

TEST(SamplePlayer, DamagedSettingsAndPitchesStayFiniteAndInBounds) {
  std::vector<float> x = Sine(5000, 441.0, 44100.0);
  const float bad[] = {NAN, INFINITY, -INFINITY, -1.0f, 1e30f, 0.0f};
  for (bool grains : {false, true}) {
    for (float v : bad) {
      SCOPED_TRACE(testing::Message() << grains << " " << v);
      SAMPLE_RIG rig(x);
      rig.Settings(true, grains);
      rig.player->SetRootPitch(v == 0.0f ? 4000000000u : 1000u);
      rig.player->SetLoop(4000000000u, 4000000001u);
      rig.f.Poke(PARAM_OSC_FREE_PHASE, v);
      rig.f.Poke(PARAM_OSC_INVERT, grains ? v : 0.0f);
      for (unsigned int id : {PARAM_OSC_FX_AMOUNT, PARAM_OSC_FX_AMOUNT + 4u, PARAM_OSC_FX_AMOUNT + 8u,
                              PARAM_OSC_FX_AMOUNT + 12u})
        rig.f.Poke(id, v);
      rig.Start(60);
      // The pitch buffer itself damaged: the player is fed directly.
      const unsigned int n = rig.f.OscBlock();
      std::vector<float> pitch(rig.f.hostBlock, v), l(n), r(n);
      pitch[3] = 0.01f;
      for (unsigned int b = 0; b < 20; ++b) {
        rig.f.osc[0]->UpdateParams(rig.f.hostBlock);
        rig.player->Generate(rig.voice.get(), pitch.data(), l.data(), r.data(), nullptr, n);
        for (unsigned int i = 0; i < n; ++i) {
          ASSERT_TRUE(std::isfinite(l[i]) && std::fabs(l[i]) < 200.0f) << l[i];
          ASSERT_TRUE(std::isfinite(r[i]) && std::fabs(r[i]) < 200.0f) << r[i];
        }
      }
      // And through the oscillator with its own pitch.
      std::vector<float> y = rig.Left(4096);
      for (float s : y) ASSERT_TRUE(std::isfinite(s));
      // A NaN pitch does not lose the playhead: the sample plays on (loop on).
      if (!grains && std::isnan(v)) {
        EXPECT_GT(PeakOf(y), 0.1f);
      }
    }
  }
}
