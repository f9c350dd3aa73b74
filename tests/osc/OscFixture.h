#pragma once
// A small engine around the four oscillators: global synth, parameter store
// and modulation matrix, with neutral oscillator settings, and helpers that
// render blocks the way the voice manager does (Osc2, Osc1, Osc4, Osc3 with
// one shared scratch buffer) and measure the rendered signals.

#include <cmath>
#include <complex>
#include <memory>
#include <vector>

#include "engine/GlobalSynth.h"
#include "engine/ModulationMatrix.h"
#include "engine/ParamHandler.h"
#include "engine/ParamIds.h"
#include "engine/Voice.h"
#include "osc/OscState.h"
#include "osc/Oscillator.h"

class COscFixture {
 public:
  explicit COscFixture(unsigned int oversampling = 4, unsigned int hostBlock = 64, float hostRate = 44100.0f)
      : params(&synth), mod(&synth), hostBlock(hostBlock), hostRate(hostRate), oversampling(oversampling) {
    synth.SetParamHandler(&params);
    synth.SetIModulation(&mod);
    synth.SetOversampling(oversampling);
    synth.SetSampleRate(hostRate);
    params.SetSampleRate(hostRate);
    params.SetBlockSize(hostBlock);
    mod.SetSampleRate(hostRate);
    mod.SetBlockSize(hostBlock);
    for (unsigned int k = 0; k < 4; ++k) {
      osc[k] = std::make_unique<COscillator>(&synth);
      osc[k]->SetInstance(k);
      osc[k]->SetSampleRate(OscRate());
      osc[k]->SetBlockSize(OscBlock());
    }
    left.assign(OscBlock(), 0.0f);
    right.assign(OscBlock(), 0.0f);
    scratch.assign(OscBlock(), 0.0f);
    for (auto& b : outL) b.assign(OscBlock(), 0.0f);
    for (auto& b : outR) b.assign(OscBlock(), 0.0f);
    Neutral();
  }

  float OscRate() const { return hostRate * static_cast<float>(oversampling); }
  unsigned int OscBlock() const { return hostBlock * oversampling; }

  // Sets a parameter and lets it settle: plain settings reach the live image,
  // modulatable ones finish their smoothing ramp.
  void Set(unsigned int id, float value) {
    params.SetParam(id, value);
    params.Update();
    if (id < MODULATABLE_PARAM_COUNT) {
      unsigned int ramp = params.GetRampLength() + 1;
      for (unsigned int done = 0; done <= ramp; done += hostBlock) synth.UpdateParam(id, hostBlock);
    }
    params.ClearStatus();
  }

  // Writes a plain setting straight into the live image, past the store's
  // checks: how a damaged image reaches the oscillators. A later Set of a
  // plain setting copies the store's deferred values over it.
  void Poke(unsigned int id, float value) { params.GetPreset()->data[id] = value; }

  // Neutral tuning and wave settings for all four oscillators; only Osc1 on.
  void Neutral() {
    for (unsigned int k = 0; k < 4; ++k) {
      Set(PARAM_OSC_ON + k, k == 0 ? 1.0f : 0.0f);
      Set(PARAM_OSC_MODE + k, 0.0f);
      Set(PARAM_OSC_INVERT + k, 0.0f);
      Set(PARAM_OSC_OCTAVE + k, 0.0f);
      Set(PARAM_OSC_SEMITONE + k, 0.0f);
      Set(PARAM_OSC_FREE_PHASE + k, 0.0f);
      Set(PARAM_OSC_MORPH_X + k, 0.0f);
      Set(PARAM_OSC_MORPH_Y + k, 0.0f);
      Set(PARAM_OSC_FM + k, 0.0f);
      Set(PARAM_OSC_RM + k, 0.0f);
      Set(PARAM_OSC_PHASE + k, 0.0f);
      Set(PARAM_OSC_DETUNE + k, 0.5f);
      Set(PARAM_OSC_VIBRATO + k, 0.0f);
      Set(PARAM_OSC_PITCH_KEYSCALE + k, 1.0f);
      // Level 0.5 and pan 0: the left output is the oscillator's wave at
      // unity gain.
      Set(PARAM_OSC_LEVEL + k, 0.5f);
      Set(PARAM_OSC_PAN + k, 0.0f);
    }
    Set(PARAM_MASTER_DETUNE, 0.5f);
    Set(PARAM_MASTER_GLIDE, 0.0f);
    Set(PARAM_TRANSPOSE, 0.0f);
    Set(PARAM_DECLICK, 0.0f);
    Set(PARAM_GLIDE_MODE, 0.0f);
    Set(PARAM_BEND_RANGE, 2.0f);
    mod.SetController(CONTROLLER_BEND, 0.0f);
  }

  std::unique_ptr<CVoice> NewVoice(int note, unsigned int unisonIndex = 0) {
    return std::make_unique<CVoice>(&synth, note, 1.0f, hostRate, unisonIndex);
  }

  // Note start: Reset then StartVoice on the four oscillators, then the last pitch.
  void Start(CVoice* voice) {
    for (auto& o : osc) o->Reset(voice);
    for (auto& o : osc) o->StartVoice(voice);
    synth.SetLastPitch(static_cast<float>(*voice->GetPitch()));
  }

  // One block of one voice, as the voice manager renders it.
  void Block(CVoice* voice) {
    for (auto& o : osc) o->UpdateParams(hostBlock);
    std::fill(scratch.begin(), scratch.end(), 0.0f);
    static const unsigned int ORDER[4] = {1, 0, 3, 2};
    for (unsigned int k : ORDER)
      osc[k]->Generate(voice, outL[k].data(), outR[k].data(), scratch.data(), OscBlock());
    std::fill(scratch.begin(), scratch.end(), 0.0f);
  }

  // Renders at least n samples of oscillator k's left output.
  std::vector<float> Render(CVoice* voice, unsigned int k, size_t n) {
    std::vector<float> out;
    out.reserve(n + OscBlock());
    while (out.size() < n) {
      Block(voice);
      out.insert(out.end(), outL[k].begin(), outL[k].end());
    }
    out.resize(n);
    return out;
  }

  CGlobalSynth synth;
  CParamHandler params;
  CModulationMatrix mod;
  std::unique_ptr<COscillator> osc[4];
  unsigned int hostBlock;
  float hostRate;
  unsigned int oversampling;
  std::vector<float> left, right, scratch;
  std::vector<float> outL[4], outR[4];
};

// Frequency from the upward zero crossings (linearly interpolated) of x,
// skipping the first `skip` samples.
inline double ZeroCrossingFrequency(const std::vector<float>& x, double rate, size_t skip = 0) {
  double first = -1.0, last = -1.0;
  int count = 0;
  for (size_t i = skip + 1; i < x.size(); ++i) {
    if (x[i - 1] < 0.0f && x[i] >= 0.0f) {
      double t = static_cast<double>(i - 1) + x[i - 1] / static_cast<double>(x[i - 1] - x[i]);
      if (first < 0.0) first = t;
      last = t;
      ++count;
    }
  }
  if (count < 2) return 0.0;
  return (count - 1) * rate / (last - first);
}

// Amplitude of the component at frequency f (Hann-windowed DFT at f).
inline double Amplitude(const std::vector<float>& x, double rate, double f, size_t skip = 0) {
  size_t n = x.size() - skip;
  std::complex<double> acc = 0.0;
  double wsum = 0.0;
  for (size_t i = 0; i < n; ++i) {
    double w = 0.5 - 0.5 * std::cos(2.0 * M_PI * static_cast<double>(i) / static_cast<double>(n));
    double ph = -2.0 * M_PI * f * static_cast<double>(i) / rate;
    acc += w * static_cast<double>(x[skip + i]) * std::complex<double>(std::cos(ph), std::sin(ph));
    wsum += w;
  }
  return 2.0 * std::abs(acc) / wsum;
}

// The tuning of a pitch, from A4 = 440.09 Hz (the tuning table's pitch 69).
inline double PitchHz(double pitch) { return 8.177735 * std::exp2((pitch * 1500.0) / 18000.0); }
