// The basic waves through the whole engine (factory preset: oscillator, bus
// router, buses, amplitude envelope, downsampler, effects and master): the
// spectrum has the wave's harmonic pattern, and the level does not depend
// on the oversampling factor.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "OscFixture.h"
#include "engine/GlobalSynth.h"
#include "engine/ParamIds.h"
#include "engine/VoiceManager.h"

namespace {

const float RATE = 44100.0f;

// Parameter 1581 for an oversampling factor.
float OversamplingParam(unsigned int factor) { return factor == 4 ? 0.0f : (factor == 8 ? 1.0f : 2.0f); }

std::vector<float> RenderEngineNote(float mode, int note, unsigned int oversampling, float seconds) {
  CGlobalSynth synth;
  CVoiceManager vm(&synth);
  synth.SetSampleRate(RATE);
  vm.SetSampleRate(RATE);
  const unsigned int block = 256;
  vm.SetBlockSize(block);
  std::vector<float> left(static_cast<size_t>(seconds * RATE)), right(left.size());
  vm.Generate(left.data(), right.data(), 0);  // applies the factory preset
  vm.SetFloatParam(PARAM_OSC_MODE, mode);
  vm.SetFloatParam(PARAM_OVERSAMPLING, OversamplingParam(oversampling));
  // The factory preset's exciter ("bright") colours the spectrum; off here so
  // the harmonics are the wave's own.
  vm.SetFloatParam(PARAM_EXCITER, 0.0f);
  vm.Generate(left.data(), right.data(), 0);
  EXPECT_EQ(synth.GetOversampling(), oversampling);
  vm.StartVoice(note, 0.8f, false);
  for (size_t done = 0; done < left.size(); done += block)
    vm.Generate(left.data() + done, right.data() + done,
                static_cast<unsigned int>(std::min<size_t>(block, left.size() - done)));
  return left;
}

double Rms(const std::vector<float>& x, size_t from) {
  double s = 0.0;
  for (size_t i = from; i < x.size(); ++i) s += static_cast<double>(x[i]) * x[i];
  return std::sqrt(s / static_cast<double>(x.size() - from));
}

}  // namespace

TEST(OscEngine, BasicWavesHaveTheirHarmonicsAndOneLevelAtEveryOversampling) {
  struct {
    const char* name;
    float mode;
    int note;
    bool oddOnly;
    double power;  // harmonic n at 1 / n^power of the fundamental
  } waves[] = {{"saw", 1.0f, 57, false, 1.0},
               {"saw", 1.0f, 81, false, 1.0},
               {"square", 2.0f, 69, true, 1.0},
               {"triangle", 3.0f, 64, true, 2.0}};
  const float seconds = 0.16f;
  const size_t from = static_cast<size_t>(0.06 * RATE);  // past the attack
  for (const auto& w : waves) {
    const double f0 = PitchHz(w.note);
    double rms4 = 0.0;
    for (unsigned int os : {4u, 2u, 8u}) {
      SCOPED_TRACE(std::string(w.name) + " note " + std::to_string(w.note) + " at " + std::to_string(os) + "x");
      std::vector<float> y = RenderEngineNote(w.mode, w.note, os, seconds);
      const double h1 = Amplitude(y, RATE, f0, from);
      ASSERT_GT(h1, 0.05);
      for (int n = 2; n <= 8; ++n) {
        const double ratio = Amplitude(y, RATE, n * f0, from) / h1;
        if (w.oddOnly && n % 2 == 0) {
          EXPECT_LT(ratio, 0.01) << "harmonic " << n;
        } else {
          const double expected = std::pow(static_cast<double>(n), -w.power);
          EXPECT_NEAR(ratio / expected, 1.0, 0.08) << "harmonic " << n;
        }
      }
      const double rms = Rms(y, from);
      if (os == 4)
        rms4 = rms;
      else
        EXPECT_LT(std::fabs(20.0 * std::log10(rms / rms4)), 0.5) << "level against 4x";
    }
  }
}

TEST(OscEngine, ExtremeTuningMorphAndDamagedSettingsStayInsideTheTables) {
  // Largest block at 8x, the four basic waves on the four oscillators with FM
  // and ring modulation, tuned to both ends of the range or with damaged
  // plain settings in the live image: the output stays finite (and, under
  // the sanitizers, every table read stays inside its table).
  enum { TOP, BOTTOM, DAMAGED };
  for (int variant : {TOP, BOTTOM, DAMAGED}) {
    SCOPED_TRACE(variant);
    CGlobalSynth synth;
    CVoiceManager vm(&synth);
    synth.SetSampleRate(RATE);
    vm.SetSampleRate(RATE);
    const unsigned int block = 4096;
    vm.SetBlockSize(block);
    std::vector<float> left(2 * block), right(left.size());
    vm.Generate(left.data(), right.data(), 0);
    vm.SetFloatParam(PARAM_OVERSAMPLING, OversamplingParam(8));
    const float octave = variant == TOP ? 4.0f : -5.0f, semitone = variant == TOP ? 7.0f : -7.0f;
    for (unsigned int k = 0; k < 4; ++k) {
      vm.SetFloatParam(PARAM_OSC_ON + k, 1.0f);
      vm.SetFloatParam(PARAM_OSC_MODE + k, static_cast<float>(k));
      vm.SetFloatParam(PARAM_OSC_MORPH_X + k, variant == BOTTOM ? 0.0f : 1.0f);
      vm.SetFloatParam(PARAM_OSC_MORPH_Y + k, variant == BOTTOM ? 0.0f : 1.0f);
      vm.SetFloatParam(PARAM_OSC_FM + k, 1.0f);
      vm.SetFloatParam(PARAM_OSC_RM + k, 1.0f);
      vm.SetFloatParam(PARAM_OSC_OCTAVE + k, octave);
      vm.SetFloatParam(PARAM_OSC_SEMITONE + k, semitone);
    }
    vm.SetFloatParam(PARAM_TRANSPOSE, variant == TOP ? 24.0f : -24.0f);
    vm.SetFloatParam(PARAM_DECLICK, 1.0f);
    vm.Generate(left.data(), right.data(), 0);
    ASSERT_EQ(synth.GetOversampling(), 8u);
    if (variant == DAMAGED) {
      SYNTH_PRESET* live = vm.GetParamHandler()->GetPreset();
      for (unsigned int k = 0; k < 4; ++k)
        for (unsigned int id : {PARAM_OSC_OCTAVE, PARAM_OSC_SEMITONE, PARAM_OSC_FREE_PHASE, PARAM_OSC_MODE})
          (*live)[id + k] = NAN;
      for (unsigned int id : {PARAM_TRANSPOSE, PARAM_BEND_RANGE, PARAM_MASTER_GLIDE, PARAM_GLIDE_MODE})
        (*live)[id] = NAN;
      (*live)[PARAM_OSC_MODE] = 1.0f;  // one oscillator still sounds
    }
    const int note = variant == BOTTOM ? 0 : 127;
    vm.StartVoice(note, 1.0f, false);
    vm.StartVoice(note, 1.0f, false);
    vm.MidiControlChange(121, variant == BOTTOM ? 0.0f : 1.0f);  // bend
    vm.Generate(left.data(), right.data(), block);
    vm.Generate(left.data() + block, right.data() + block, block);
    for (size_t i = 0; i < left.size(); ++i)
      ASSERT_TRUE(std::isfinite(left[i]) && std::isfinite(right[i])) << "sample " << i;
    for (unsigned int k = 0; k < 4; ++k) {
      const float* out = vm.GetOscOutputs()[k].GetLeftBuffer();
      for (unsigned int i = 0; i < block * 8; ++i) ASSERT_TRUE(std::isfinite(out[i])) << "osc " << k << " sample " << i;
    }
  }
}
