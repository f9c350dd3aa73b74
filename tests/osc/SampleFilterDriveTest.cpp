// The sample player's own stereo filter and drive (oscillator mode 56),
// measured on the player's output: the filter matches the wave path's filter
// on the same signal, the drive shapes both channels, the channels keep
// apart, a note start clears the filter, and damaged settings stay finite.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "OscFixture.h"
#include "dsp/FilterBank.h"
#include "dsp/OscDrive.h"
#include "dsp/OscFilter.h"
#include "engine/MemoryPool.h"
#include "osc/SamplePlayer.h"

namespace {

const double HOST_RATE = 44100.0;
// The player's gain at level 1 and centre pan: 3 x 4 x 1 x 0.5.
const float CENTRE_GAIN = 6.0f;

std::vector<float> Tone(unsigned int frames, std::initializer_list<std::pair<double, float>> partials) {
  std::vector<float> x(frames, 0.0f);
  for (unsigned int i = 0; i < frames; ++i) {
    double v = 0.0;
    for (const auto& p : partials) v += p.second * std::sin(2.0 * M_PI * p.first * i / HOST_RATE);
    x[i] = static_cast<float>(v);
  }
  return x;
}

// Osc1 in sample mode (plain playback, loop on), level 1, centre pan, filter
// and drive off, key and velocity tracking off; the filter pool sized as the
// voice manager sizes it, so that every voice gets its state blocks.
struct SAMPLE_FX_RIG {
  COscFixture f{4, 64};
  CSamplePlayer* player;

  SAMPLE_FX_RIG(const std::vector<float>& left, const std::vector<float>& right) {
    const FilterBank::TUNING tuning = FilterBank::ComputeTuning();
    const unsigned int len = FilterBank::LineLength(tuning.maxTime, f.OscRate());
    f.synth.GetFilterMemoryPool()->SetCapacity((3 * len + FilterBank::EXTRA_WORDS) * 4 + 8, 16);
    f.Set(PARAM_OSC_MODE, 56.0f);
    f.Set(PARAM_OSC_LEVEL, 1.0f);
    f.Set(PARAM_OSC_PAN, 0.5f);
    f.Set(PARAM_OSC_FREE_PHASE, 1.0f);
    Filter(0, 0.5f, 0.0f);
    f.Set(PARAM_OSC_CONTROL, 0.0f);
    f.Set(PARAM_OSC_FILTER_KEYSCALE, 0.0f);
    f.Set(PARAM_OSC_FILTER_VELSCALE, 0.0f);
    f.Set(PARAM_FILTER_GLIDE, 0.0f);
    Drive(0, 0.0f);
    player = f.osc[0]->GetSamplePlayer();
    EXPECT_TRUE(f.osc[0]->LoadSampleFromMemory(const_cast<float*>(left.data()), const_cast<float*>(right.data()),
                                               static_cast<unsigned int>(left.size()), 44100.0f, "fx"));
  }

  void Filter(int mode, float cutoff, float res) {
    f.Set(PARAM_OSC_FILTER_MODE, static_cast<float>(mode));
    f.Set(PARAM_OSC_CUTOFF, cutoff);
    f.Set(PARAM_OSC_RES, res);
  }
  void Drive(int type, float amount) {
    f.Set(PARAM_OSC_DRIVE_TYPE, static_cast<float>(type));
    f.Set(PARAM_OSC_DRIVE, amount);
  }
  std::unique_ptr<CVoice> Start(int note = 60) {
    std::unique_ptr<CVoice> voice = f.NewVoice(note);
    f.Start(voice.get());
    return voice;
  }
  // Renders at least n samples of both channels, appended to l and r.
  void Render(CVoice* voice, size_t n, std::vector<float>& l, std::vector<float>& r) {
    for (size_t done = 0; done < n; done += f.OscBlock()) {
      f.Block(voice);
      l.insert(l.end(), f.outL[0].begin(), f.outL[0].end());
      r.insert(r.end(), f.outR[0].begin(), f.outR[0].end());
    }
  }
  // The sample's two channels at the oscillator rate, filter and drive off.
  void Dry(size_t n, std::vector<float>& l, std::vector<float>& r) {
    const float mode = f.synth.GetParam(PARAM_OSC_FILTER_MODE);
    const float drive = f.synth.GetParam(PARAM_OSC_DRIVE);
    f.Set(PARAM_OSC_FILTER_MODE, 0.0f);
    f.Set(PARAM_OSC_DRIVE, 0.0f);
    std::unique_ptr<CVoice> voice = Start();
    Render(voice.get(), n, l, r);
    f.Set(PARAM_OSC_FILTER_MODE, mode);
    f.Set(PARAM_OSC_DRIVE, drive);
  }
};

// The wave path's mono filter over x, block by block, on a voice of its own.
std::vector<float> WavePathFilter(SAMPLE_FX_RIG& rig, std::vector<float> x) {
  COscFilter filter(&rig.f.synth);
  filter.SetInstance(0);
  filter.SetSampleRate(rig.f.OscRate());
  std::unique_ptr<CVoice> voice = rig.f.NewVoice(60);
  filter.Reset(voice.get());
  filter.StartVoice(voice.get());
  const unsigned int B = rig.f.OscBlock();
  for (size_t i = 0; i + B <= x.size(); i += B) {
    filter.UpdateParams(rig.f.hostBlock);
    filter.Process(voice.get(), x.data() + i, B);
  }
  return x;
}

float MaxDifference(const std::vector<float>& a, const std::vector<float>& b) {
  float d = 0.0f;
  for (size_t i = 0; i < std::min(a.size(), b.size()); ++i) d = std::max(d, std::fabs(a[i] - b[i]));
  return d;
}

float Peak(const std::vector<float>& x) {
  float p = 0.0f;
  for (float v : x) p = std::max(p, std::fabs(v));
  return p;
}

double Db(double v) { return 20.0 * std::log10(v > 1e-30 ? v : 1e-30); }

}  // namespace

TEST(SampleFilterDrive, LowPassTakesTheHighPartialsAsTheWavePathFilterDoes) {
  // 220.5 Hz with partials at 2205 and 4410 Hz (1.1 and 2.1 octaves above a
  // 1046.5 Hz cutoff); the right channel carries them in other proportions.
  const std::vector<float> left = Tone(44100, {{220.5, 0.5f}, {2205.0, 0.25f}, {4410.0, 0.25f}});
  const std::vector<float> right = Tone(44100, {{220.5, 0.2f}, {2205.0, 0.4f}, {4410.0, 0.4f}});
  const size_t n = 4 * 16384;
  for (int mode : {FilterBank::MODE_LP24, FilterBank::MODE_LP12, FilterBank::MODE_LP6}) {
    SCOPED_TRACE(mode);
    SAMPLE_FX_RIG rig(left, right);
    rig.Filter(mode, 84.0f / 136.0f, 0.0f);
    std::vector<float> dryL, dryR, wetL, wetR;
    rig.Dry(n, dryL, dryR);
    std::unique_ptr<CVoice> voice = rig.Start();
    rig.Render(voice.get(), n, wetL, wetR);

    // The same filter in the wave path on the same signal, channel by channel.
    const std::vector<float> refL = WavePathFilter(rig, dryL);
    const std::vector<float> refR = WavePathFilter(rig, dryR);
    EXPECT_LT(MaxDifference(wetL, refL), 1e-4f * Peak(refL));
    EXPECT_LT(MaxDifference(wetR, refR), 1e-4f * Peak(refR));

    // And what the filter gives: the fundamental kept, the partials above the
    // cutoff down by the mode's slope (6, 12 or 24 dB per octave).
    const double rate = rig.f.OscRate();
    const size_t skip = 4 * 4096;
    const double slope = mode == FilterBank::MODE_LP24 ? 24.0 : (mode == FilterBank::MODE_LP12 ? 12.0 : 6.0);
    for (int ch = 0; ch < 2; ++ch) {
      const std::vector<float>& dry = ch ? dryR : dryL;
      const std::vector<float>& wet = ch ? wetR : wetL;
      const double low = Db(Amplitude(wet, rate, 220.5, skip)) - Db(Amplitude(dry, rate, 220.5, skip));
      const double mid = Db(Amplitude(wet, rate, 2205.0, skip)) - Db(Amplitude(dry, rate, 2205.0, skip));
      const double high = Db(Amplitude(wet, rate, 4410.0, skip)) - Db(Amplitude(dry, rate, 4410.0, skip));
      EXPECT_NEAR(low, 0.0, 1.0) << "channel " << ch;
      EXPECT_LT(mid, -0.7 * slope) << "channel " << ch;
      EXPECT_LT(high, mid - 0.7 * slope) << "channel " << ch;
    }
  }
}

TEST(SampleFilterDrive, DriveShapesBothChannelsWithTheOscillatorsCurve) {
  // Different levels on the two channels: each is shaped on its own.
  const std::vector<float> left = Tone(44100, {{441.0, 0.8f}});
  const std::vector<float> right = Tone(44100, {{441.0, 0.3f}});
  const size_t n = 4 * 8192;
  const double rate = 4.0 * HOST_RATE;
  for (int type : {0, 2, 4, 6}) {
    SCOPED_TRACE(type);
    SAMPLE_FX_RIG rig(left, right);
    rig.Drive(type, 0.8f);
    std::vector<float> dryL, dryR, wetL, wetR;
    rig.Dry(n, dryL, dryR);
    std::unique_ptr<CVoice> voice = rig.Start();
    rig.Render(voice.get(), n, wetL, wetR);

    // The oscillator drive's curve on the sample before the gain.
    COscDrive drive(&rig.f.synth);
    drive.SetInstance(0);
    const unsigned int B = rig.f.OscBlock();
    for (std::vector<float>* dry : {&dryL, &dryR}) {
      for (float& v : *dry) v /= CENTRE_GAIN;
      for (size_t i = 0; i + B <= dry->size(); i += B) {
        drive.UpdateParams(rig.f.hostBlock);
        drive.Process(nullptr, dry->data() + i, B);
      }
      for (float& v : *dry) v *= CENTRE_GAIN;
    }
    EXPECT_LT(MaxDifference(wetL, dryL), 1e-4f * Peak(dryL));
    EXPECT_LT(MaxDifference(wetR, dryR), 1e-4f * Peak(dryR));

    // Both channels gain harmonics of the 441 Hz tone (odd ones for the
    // symmetric curves, even ones for the asymmetric one).
    const size_t skip = 4 * 2048;
    const double harmonic = type == 4 ? 882.0 : 1323.0;
    for (const std::vector<float>* wet : {&wetL, &wetR}) {
      const double ratio = Amplitude(*wet, rate, harmonic, skip) / Amplitude(*wet, rate, 441.0, skip);
      EXPECT_GT(ratio, 1e-3) << (wet == &wetL ? "left" : "right");
    }
  }
}

TEST(SampleFilterDrive, ChannelsKeepTheirOwnFilterState) {
  // One channel silent, the other a tone: a shared state would leak the tone.
  const std::vector<float> tone = Tone(20000, {{441.0, 0.7f}, {3307.5, 0.3f}});
  const std::vector<float> silence(20000, 0.0f);
  const struct {
    int mode;
    float cutoff, res;
  } modes[] = {{FilterBank::MODE_LP24, 100.0f / 136.0f, 0.9f},
               {FilterBank::MODE_BP12, 90.0f / 136.0f, 0.7f},
               {FilterBank::MODE_COMB_POS, 60.0f / 136.0f, 0.8f}};
  for (const auto& m : modes) {
    for (bool toneLeft : {true, false}) {
      SCOPED_TRACE(testing::Message() << "mode " << m.mode << (toneLeft ? " left" : " right"));
      SAMPLE_FX_RIG rig(toneLeft ? tone : silence, toneLeft ? silence : tone);
      rig.Filter(m.mode, m.cutoff, m.res);
      rig.Drive(2, 0.5f);  // hard clip keeps silence silent
      std::unique_ptr<CVoice> voice = rig.Start();
      std::vector<float> l, r;
      rig.Render(voice.get(), 4 * 8192, l, r);
      const std::vector<float>& sounding = toneLeft ? l : r;
      const std::vector<float>& quiet = toneLeft ? r : l;
      EXPECT_GT(Peak(sounding), 0.5f);
      EXPECT_EQ(Peak(quiet), 0.0f);
    }
  }
  // Both channels sounding, each keeps only its own content.
  SAMPLE_FX_RIG rig(Tone(20000, {{441.0, 0.7f}}), Tone(20000, {{2756.25, 0.7f}}));
  rig.Filter(FilterBank::MODE_LP12, 120.0f / 136.0f, 0.6f);
  std::unique_ptr<CVoice> voice = rig.Start();
  std::vector<float> l, r;
  rig.Render(voice.get(), 4 * 8192, l, r);
  const double rate = rig.f.OscRate();
  EXPECT_LT(Amplitude(l, rate, 2756.25, 4096) / Amplitude(l, rate, 441.0, 4096), 1e-4);
  EXPECT_LT(Amplitude(r, rate, 441.0, 4096) / Amplitude(r, rate, 2756.25, 4096), 1e-4);
}

TEST(SampleFilterDrive, NoteStartClearsTheFilterAndRetracksTheKey) {
  // A voice that has played a while, restarted at another note through the
  // player alone (the wave path's filter, which shares the voice's record,
  // is left out), plays exactly as a fresh voice at that note.
  const std::vector<float> tone = Tone(30000, {{441.0, 0.6f}, {1764.0, 0.3f}});
  for (int mode : {FilterBank::MODE_LP24, FilterBank::MODE_ACID_LP, FilterBank::MODE_COMB_POS,
                   FilterBank::MODE_BELL_COMB}) {
    SCOPED_TRACE(mode);
    SAMPLE_FX_RIG rig(tone, Tone(30000, {{661.5, 0.5f}}));
    rig.Filter(mode, 40.0f / 136.0f, 0.85f);
    rig.f.Set(PARAM_OSC_FILTER_KEYSCALE, 1.0f);
    std::unique_ptr<CVoice> used = rig.Start(48);
    std::vector<float> l, r;
    rig.Render(used.get(), 4 * 4096, l, r);
    ASSERT_GT(Peak(l), 0.1f);

    used->SetPitch(60);
    rig.f.osc[0]->GetPitchModule().StartVoice(used.get());
    rig.player->Reset(used.get());
    rig.player->StartVoice(used.get());
    std::vector<float> againL, againR;
    rig.Render(used.get(), 4 * 4096, againL, againR);

    std::unique_ptr<CVoice> fresh = rig.Start(60);
    std::vector<float> freshL, freshR;
    rig.Render(fresh.get(), 4 * 4096, freshL, freshR);
    EXPECT_EQ(againL, freshL);
    EXPECT_EQ(againR, freshR);
  }
}

TEST(SampleFilterDrive, PlayerAloneFollowsCutoffAndDriveChanges) {
  // Driven without its oscillator, the player refreshes its filter's and
  // drive's parameters itself: a cutoff lowered and a drive raised during
  // the note reach the sound.
  SAMPLE_FX_RIG rig(Tone(30000, {{441.0, 0.3f}, {6615.0, 0.3f}}), Tone(30000, {{441.0, 0.3f}}));
  rig.Filter(FilterBank::MODE_LP24, 1.0f, 0.0f);
  rig.Drive(2, 0.0f);
  std::unique_ptr<CVoice> voice = rig.Start();
  const unsigned int n = rig.f.OscBlock();
  std::vector<float> l(n), r(n), outL, outR;
  auto run = [&](unsigned int blocks) {
    outL.clear();
    outR.clear();
    for (unsigned int b = 0; b < blocks; ++b) {
      rig.f.osc[0]->GetPitchModule().UpdateParams(rig.f.hostBlock);
      rig.player->UpdateParams(rig.f.hostBlock);
      rig.f.osc[0]->GetPitchModule().Generate(voice.get(), n);
      rig.player->Generate(voice.get(), rig.f.synth.GetPitchModulation(0), l.data(), r.data(), nullptr, n);
      outL.insert(outL.end(), l.begin(), l.end());
      outR.insert(outR.end(), r.begin(), r.end());
    }
  };
  const double rate = rig.f.OscRate();
  run(64);
  const double open = Amplitude(outL, rate, 6615.0, 4096);
  ASSERT_GT(open, 1.0);
  // Changed in the store only: their values reach the per-sample buffers
  // through the stages' own refresh.
  rig.f.params.SetParam(PARAM_OSC_CUTOFF, 84.0f / 136.0f);
  rig.f.params.Update();
  run(64);
  EXPECT_LT(Amplitude(outL, rate, 6615.0, 4096), 0.01 * open);
  EXPECT_LT(Amplitude(outR, rate, 1323.0, 4096), 1e-4 * Amplitude(outR, rate, 441.0, 4096));
  rig.f.params.SetParam(PARAM_OSC_DRIVE, 1.0f);
  rig.f.params.Update();
  run(64);
  // Hard clip at full amount squares the 441 Hz tone: a strong third harmonic.
  EXPECT_GT(Amplitude(outR, rate, 1323.0, 4096), 0.1 * Amplitude(outR, rate, 441.0, 4096));
}

TEST(SampleFilterDrive, EmptyPlayerRunsNeitherFilterNorDrive) {
  // The hyperbolic drive shifts even silence; an empty player stays at zero.
  SAMPLE_FX_RIG rig(std::vector<float>(100, 0.5f), std::vector<float>(100, 0.5f));
  std::vector<float> none;
  rig.f.osc[0]->LoadSampleFromMemory(none.data(), none.data(), 0, 44100.0f, "none");
  unsigned int frames = 1;
  rig.f.osc[0]->GetSample(nullptr, nullptr, frames, nullptr);
  ASSERT_EQ(frames, 0u);
  rig.Filter(FilterBank::MODE_COMB_POS, 0.3f, 0.9f);
  rig.Drive(0, 1.0f);
  std::unique_ptr<CVoice> voice = rig.Start();
  std::vector<float> l, r;
  rig.Render(voice.get(), 4 * 1024, l, r);
  EXPECT_EQ(Peak(l), 0.0f);
  EXPECT_EQ(Peak(r), 0.0f);
}

TEST(SampleFilterDrive, DamagedFilterAndDriveSettingsStayFinite) {
  const std::vector<float> tone = Tone(5000, {{441.0, 1.0f}, {5512.5, 0.5f}});
  const float bad[] = {NAN, INFINITY, -INFINITY, -1.0f, 1e30f, 1.0f};
  for (bool grains : {false, true}) {
    for (float v : bad) {
      SCOPED_TRACE(testing::Message() << grains << " " << v);
      SAMPLE_FX_RIG rig(tone, tone);
      rig.f.Set(PARAM_OSC_INVERT, grains ? 1.0f : 0.0f);
      rig.f.Set(PARAM_OSC_FX_AMOUNT, 1.0f);  // eight grains
      for (unsigned int id : {PARAM_OSC_CUTOFF, PARAM_OSC_RES, PARAM_OSC_CONTROL, PARAM_OSC_FILTER_KEYSCALE,
                              PARAM_OSC_FILTER_VELSCALE, PARAM_OSC_DRIVE, PARAM_MASTER_GLIDE})
        rig.f.Poke(id, v);
      rig.f.Poke(PARAM_OSC_DRIVE_TYPE, std::isfinite(v) ? 6.0f : v);
      rig.f.Poke(PARAM_OSC_OCTAVE, v);
      rig.f.Poke(PARAM_FILTER_GLIDE, 1.0f);
      // Each filter mode for a few blocks on one note, also the comb modes.
      for (int mode = 1; mode <= 26; ++mode) {
        rig.f.Poke(PARAM_OSC_FILTER_MODE, mode == 26 ? v : static_cast<float>(mode));
        std::unique_ptr<CVoice> voice = rig.Start(mode % 2 ? 127 : 0);
        std::vector<float> l, r;
        rig.Render(voice.get(), 4 * 256, l, r);
        for (size_t i = 0; i < l.size(); ++i) {
          ASSERT_TRUE(std::isfinite(l[i]) && std::fabs(l[i]) < 1e4f) << "mode " << mode << ": " << l[i];
          ASSERT_TRUE(std::isfinite(r[i]) && std::fabs(r[i]) < 1e4f) << "mode " << mode << ": " << r[i];
        }
      }
    }
  }
}
