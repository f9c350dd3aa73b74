#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "OscFixture.h"
#include "engine/Params.h"
#include "tables/Tables.h"

namespace {

// Pitch (in note numbers) of a phase increment at the oscillator rate.
double IncrementToPitch(float inc, double oscRate) {
  return 12.0 * std::log2(static_cast<double>(inc) * oscRate / 8.177735);
}

// Control-step pitches of oscillator k for `steps` control steps of voice.
std::vector<double> PitchTrack(COscFixture& f, CVoice* voice, unsigned int k, size_t steps) {
  std::vector<double> track;
  CPitchModule& pm = f.osc[k]->GetPitchModule();
  while (track.size() < steps) {
    pm.UpdateParams(f.hostBlock);
    pm.Generate(voice, f.OscBlock());
    const float* inc = f.synth.GetPitchModulation(k);
    for (unsigned int j = 0; j < f.hostBlock; ++j) track.push_back(IncrementToPitch(inc[j], f.OscRate()));
  }
  track.resize(steps);
  return track;
}

}  // namespace

struct TUNING_CASE {
  const char* name;
  int note;
  std::function<void(COscFixture&)> setup;
  double pitch;
};

TEST(PitchModule, RenderedFrequencyFollowsTheTuningSettings) {
  const TUNING_CASE cases[] = {
      {"neutral A4", 69, [](COscFixture&) {}, 69.0},
      {"octave +1", 69, [](COscFixture& f) { f.Set(PARAM_OSC_OCTAVE, 1.0f); }, 81.0},
      {"octave -2", 69, [](COscFixture& f) { f.Set(PARAM_OSC_OCTAVE, -2.0f); }, 45.0},
      {"semitone +7", 69, [](COscFixture& f) { f.Set(PARAM_OSC_SEMITONE, 7.0f); }, 76.0},
      {"semitone -5", 69, [](COscFixture& f) { f.Set(PARAM_OSC_SEMITONE, -5.0f); }, 64.0},
      {"transpose +12", 69, [](COscFixture& f) { f.Set(PARAM_TRANSPOSE, 12.0f); }, 81.0},
      {"transpose -24", 69, [](COscFixture& f) { f.Set(PARAM_TRANSPOSE, -24.0f); }, 45.0},
      {"detune 1", 69, [](COscFixture& f) { f.Set(PARAM_OSC_DETUNE, 1.0f); }, 69.5},
      {"detune 0", 69, [](COscFixture& f) { f.Set(PARAM_OSC_DETUNE, 0.0f); }, 68.5},
      {"master detune 1", 69, [](COscFixture& f) { f.Set(PARAM_MASTER_DETUNE, 1.0f); }, 69.5},
      {"both detunes full", 69,
       [](COscFixture& f) {
         f.Set(PARAM_OSC_DETUNE, 1.0f);
         f.Set(PARAM_MASTER_DETUNE, 1.0f);
       },
       70.0},
      {"key scale 0 plays pitch 64", 81, [](COscFixture& f) { f.Set(PARAM_OSC_PITCH_KEYSCALE, 0.0f); }, 64.0},
      {"key scale 0.5 halves the spread", 72, [](COscFixture& f) { f.Set(PARAM_OSC_PITCH_KEYSCALE, 0.5f); }, 68.0},
      {"octave, semitone and transpose add", 60,
       [](COscFixture& f) {
         f.Set(PARAM_OSC_OCTAVE, -1.0f);
         f.Set(PARAM_OSC_SEMITONE, 3.0f);
         f.Set(PARAM_TRANSPOSE, 2.0f);
       },
       53.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    COscFixture f(4, 64);
    c.setup(f);
    auto voice = f.NewVoice(c.note);
    f.Start(voice.get());
    std::vector<float> y = f.Render(voice.get(), 0, 44100);
    EXPECT_NEAR(ZeroCrossingFrequency(y, f.OscRate()) / PitchHz(c.pitch), 1.0, 2e-4);
  }
}

TEST(PitchModule, NoteA4SoundsAtTheTuningTableFrequencyAtEveryOversampling) {
  for (unsigned int os : {2u, 4u, 8u}) {
    SCOPED_TRACE(os);
    COscFixture f(os, 64);
    auto voice = f.NewVoice(69);
    f.Start(voice.get());
    std::vector<float> y = f.Render(voice.get(), 0, 44100 * os / 4);
    double hz = ZeroCrossingFrequency(y, f.OscRate());
    EXPECT_NEAR(hz, Tables::TUNE_TABLE[103499], 0.02);
    EXPECT_NEAR(hz, 440.09, 0.02);
  }
}

TEST(PitchModule, UnisonShiftMovesTheSubVoice) {
  COscFixture f(4, 64);
  f.synth.SetUnisonPitchShift(2, 0.3f);
  auto voice = f.NewVoice(69, 2);
  f.Start(voice.get());
  std::vector<float> y = f.Render(voice.get(), 0, 44100);
  EXPECT_NEAR(ZeroCrossingFrequency(y, f.OscRate()) / PitchHz(69.3), 1.0, 2e-4);
}

TEST(PitchModule, PitchClampsToTheMidiRangeAndNeverLeavesTheTable) {
  struct {
    int note;
    float octave, semitone, transpose;
    double pitch;
  } cases[] = {
      {0, -5.0f, 0.0f, 0.0f, 0.0},   {127, 4.0f, 0.0f, 0.0f, 127.0},
      {127, 1000.0f, 0.0f, 0.0f, 127.0}, {0, 0.0f, 0.0f, -1e30f, 0.0},
      {60, NAN, 0.0f, 0.0f, 60.0},   {60, 0.0f, INFINITY, 0.0f, 60.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.note);
    COscFixture f(4, 64);
    f.Poke(PARAM_OSC_OCTAVE, c.octave);
    f.Poke(PARAM_OSC_SEMITONE, c.semitone);
    f.Poke(PARAM_TRANSPOSE, c.transpose);
    auto voice = f.NewVoice(c.note);
    f.Start(voice.get());
    std::vector<double> track = PitchTrack(f, voice.get(), 0, 64);
    EXPECT_NEAR(track.back(), c.pitch, 0.002);
    std::vector<float> y = f.Render(voice.get(), 0, 1024);
    for (float v : y) ASSERT_TRUE(std::isfinite(v));
  }
}

TEST(PitchModule, PitchBendFollowsItsRangeWithATwentyMillisecondRamp) {
  struct {
    float range, bend;
    double pitch;
  } cases[] = {{2.0f, 1.0f, 71.0}, {12.0f, -1.0f, 57.0}, {-24.0f, 0.5f, 57.0}, {7.0f, 0.0f, 69.0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.range);
    COscFixture f(4, 64);
    f.Set(PARAM_BEND_RANGE, c.range);
    auto voice = f.NewVoice(69);
    f.Start(voice.get());
    PitchTrack(f, voice.get(), 0, 64);  // the smoother starts at its target
    f.mod.SetController(CONTROLLER_BEND, c.bend);
    // 0.02 x 44100 = 882 control steps per ramp; each block restarts the
    // ramp from where it stands, so the bend is approached block by block.
    std::vector<double> track = PitchTrack(f, voice.get(), 0, 64 * 400);
    EXPECT_NEAR(track[0], 69.0 + (c.pitch - 69.0) / 882.0, 0.002);
    EXPECT_NEAR(track[1] - track[0], (c.pitch - 69.0) / 882.0, 0.002);
    EXPECT_NEAR(track.back(), c.pitch, 0.002);
    std::vector<float> y = f.Render(voice.get(), 0, 44100);
    EXPECT_NEAR(ZeroCrossingFrequency(y, f.OscRate()) / PitchHz(c.pitch), 1.0, 2e-4);
  }
}

TEST(PitchModule, SlideGlideReachesTheTargetLinearlyInGlideCubedSeconds) {
  struct {
    float glide;
    size_t steps;
  } cases[] = {{1.0f, 44100}, {0.5f, 5512}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.glide);
    COscFixture f(4, 64);
    f.Set(PARAM_GLIDE_MODE, 1.0f);
    f.Set(PARAM_MASTER_GLIDE, c.glide);
    auto first = f.NewVoice(57);
    f.Start(first.get());
    // The first note after construction never glides.
    EXPECT_NEAR(PitchTrack(f, first.get(), 0, 1)[0], 57.0, 0.002);

    auto second = f.NewVoice(69);
    f.Start(second.get());
    std::vector<double> track = PitchTrack(f, second.get(), 0, c.steps + 200);
    for (size_t k : {size_t(0), c.steps / 4, c.steps / 2, c.steps - 2}) {
      double expected = 57.0 + 12.0 * static_cast<double>(k + 1) / static_cast<double>(c.steps);
      EXPECT_NEAR(track[k], expected, 0.003) << "step " << k;
    }
    EXPECT_NEAR(track[c.steps - 1], 69.0, 0.003);
    for (size_t k = c.steps; k < track.size(); ++k) ASSERT_NEAR(track[k], 69.0, 0.002) << "step " << k;
    EXPECT_EQ(f.synth.GetPitchModulation(0)[f.hostBlock - 1], Tables::TunePitchToHz(69.0f) / f.OscRate());
  }
}

TEST(PitchModule, LegatoGlideOnlyForNotesStruckWhileHeld) {
  COscFixture f(4, 64);
  f.Set(PARAM_GLIDE_MODE, 0.0f);
  f.Set(PARAM_MASTER_GLIDE, 0.5f);
  auto a = f.NewVoice(60);
  f.Start(a.get());
  auto b = f.NewVoice(72);  // struck with no key held
  f.Start(b.get());
  EXPECT_NEAR(PitchTrack(f, b.get(), 0, 1)[0], 72.0, 0.002);
  auto c = f.NewVoice(48);  // legato: glides from 72
  c->SetLegato(true);
  f.Start(c.get());
  std::vector<double> track = PitchTrack(f, c.get(), 0, 5600);
  EXPECT_NEAR(track[0], 72.0 - 24.0 / 5512.0, 0.003);
  EXPECT_NEAR(track[2755], 60.0, 0.01);
  EXPECT_NEAR(track.back(), 48.0, 0.002);
}

TEST(PitchModule, GlideZeroAndResetGlideStartTheNoteAtOnce) {
  COscFixture f(4, 64);
  f.Set(PARAM_GLIDE_MODE, 1.0f);
  auto a = f.NewVoice(60);
  f.Start(a.get());
  auto b = f.NewVoice(67);  // armed, but Master Glide 0
  f.Start(b.get());
  EXPECT_NEAR(PitchTrack(f, b.get(), 0, 1)[0], 67.0, 0.002);

  f.Set(PARAM_MASTER_GLIDE, 1.0f);
  f.osc[0]->ResetGlide();
  auto c = f.NewVoice(48);
  f.Start(c.get());
  EXPECT_NEAR(PitchTrack(f, c.get(), 0, 1)[0], 48.0, 0.002);
}

TEST(PitchModule, UnisonSubVoicesOfANoteGlideAlike) {
  COscFixture f(4, 64);
  f.Set(PARAM_GLIDE_MODE, 1.0f);
  f.Set(PARAM_MASTER_GLIDE, 0.5f);
  f.Set(PARAM_UNISON_DETUNE, 0.0f);
  f.Set(PARAM_UNISON_COUNT, 3.0f);
  f.synth.SetLastPitch(48.0f);  // a note played before the glide was reset
  // Note start as the voice manager runs it: Reset on every sub-voice, then
  // StartVoice on every sub-voice, then the last pitch.
  auto start = [&f](CVoice* voice) {
    for (unsigned int i = 0; i < voice->GetUnisonCount(); ++i)
      for (auto& o : f.osc) o->Reset(voice->GetVoice(i));
    for (unsigned int i = 0; i < voice->GetUnisonCount(); ++i)
      for (auto& o : f.osc) o->StartVoice(voice->GetVoice(i));
    f.synth.SetLastPitch(static_cast<float>(*voice->GetPitch()));
  };
  auto first = f.NewVoice(60);
  ASSERT_EQ(first->GetUnisonCount(), 3u);
  start(first.get());
  // The first note after construction sounds at once on every sub-voice.
  for (unsigned int i = 0; i < 3; ++i)
    EXPECT_NEAR(PitchTrack(f, first->GetVoice(i), 0, 1)[0], 60.0, 0.002) << "sub-voice " << i;

  auto second = f.NewVoice(72);
  start(second.get());
  // Every sub-voice of the next note glides from the last one.
  for (unsigned int i = 0; i < 3; ++i)
    EXPECT_NEAR(PitchTrack(f, second->GetVoice(i), 0, 1)[0], 60.0 + 12.0 / 5512.0, 0.003) << "sub-voice " << i;
}

TEST(PitchModule, VibratoAndMatrixPitchModulationLaws) {
  // The vibrato LFO's buffer is written by hand: it is also the audio-rate
  // source of the matrix routes below.
  struct {
    const char* name;
    float vibratoParam, vibrato;  // Vibrato parameter, LFO value
    float source, depth;          // matrix slot 0 on Osc1 pitch (source 0: none)
    float wheel;
    double pitch;
  } cases[] = {
      {"vibrato full, +0.5", 1.0f, 0.5f, 0, 0.5f, 0, 60.5},
      {"vibrato half, -1", 0.5f, -1.0f, 0, 0.5f, 0, 59.5},
      // Audio-rate source: 8 octaves per unit at full depth, squared depth law.
      {"audio-rate, depth 0.75", 0.0f, 0.25f, MOD_SOURCE_VIBRATO, 0.75f, 0, 66.0},
      {"audio-rate, depth 1", 0.0f, 0.25f, MOD_SOURCE_VIBRATO, 1.0f, 0, 84.0},
      {"audio-rate, depth 0", 0.0f, 0.25f, MOD_SOURCE_VIBRATO, 0.0f, 0, 36.0},
      // Controller: 6 octaves per unit at full depth, linear depth law.
      {"wheel, depth 0.75", 0.0f, 0.0f, MOD_SOURCE_CONTROLLER, 0.75f, 0.5f, 78.0},
      {"wheel, depth 0.25", 0.0f, 0.0f, MOD_SOURCE_CONTROLLER, 0.25f, 0.5f, 42.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    COscFixture f(4, 64);
    f.Set(PARAM_OSC_VIBRATO, c.vibratoParam);
    f.Set(PARAM_MOD_DEPTH, c.depth);
    f.Set(PARAM_MOD_SOURCE, c.source);
    f.Set(PARAM_MOD_TARGET, static_cast<float>(Params::ParamIdToModTarget(PARAM_OSC_PITCH)));
    f.mod.RebuildMatrix();
    f.mod.SetController(CONTROLLER_WHEEL, c.wheel);
    float* vib = f.mod.GetVibratoModulation();
    ASSERT_NE(vib, nullptr);
    auto voice = f.NewVoice(60);
    f.Start(voice.get());
    std::fill(vib, vib + f.hostBlock, c.vibrato);
    // Long enough for the coarse smoother to reach a controller's target.
    std::vector<double> track = PitchTrack(f, voice.get(), 0, 64 * 20);
    EXPECT_NEAR(track.back(), c.pitch, 0.002);
  }
}
