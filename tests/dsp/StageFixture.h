#pragma once
// A global synth and parameter store with a modulation stand-in whose
// audio-rate sources and controllers the tests set per parameter, plus
// signal helpers, for tests of single oscillator-effect and bus stages.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <map>
#include <memory>
#include <vector>

#include "../engine/EngineFixture.h"
#include "engine/IModulation.h"
#include "engine/ParamIds.h"
#include "engine/Voice.h"

// Modulation routing set by hand: per parameter, constant source and depth
// buffers, and controller entries.
class CStubModulation : public IModulation {
 public:
  explicit CStubModulation(IGlobalSynth* synth) : m_synth(synth) {}

  // One audio-rate source of constant value; depth 0.5 is zero depth.
  void AddSource(unsigned int id, float value, float depth) {
    auto& bufs = m_buffers[id];
    bufs.emplace_back(new std::vector<float>(8192, value));
    bufs.emplace_back(new std::vector<float>(8192, depth));
    MOD_SOURCE_LIST& l = m_lists[id];
    l.source[l.count] = bufs[bufs.size() - 2]->data();
    l.amount[l.count] = bufs.back()->data();
    ++l.count;
  }
  void AddController(unsigned int id) {
    MOD_CONTROLLER_LIST& c = m_controllers[id];
    c.value[c.count] = &m_zero;
    c.slot[c.count] = 0;
    ++c.count;
  }
  // Empties the lists in place: like the matrix's, they keep their place.
  void Clear() {
    for (auto& l : m_lists) l.second.count = 0;
    for (auto& c : m_controllers) c.second.count = 0;
    m_buffers.clear();
  }

  MOD_SOURCE_LIST* GetModulation(unsigned int id) override { return &m_lists[id]; }
  MOD_CONTROLLER_LIST* GetController(unsigned int id) override { return &m_controllers[id]; }
  void SetController(unsigned int, float) override {}
  float GetControllerValue(unsigned int) override { return 0.0f; }
  float* GetPitchModulation(unsigned int osc) override { return m_synth->GetPitchModulation(osc); }
  float* GetVibratoModulation() override { return nullptr; }
  float* GetAmpEnv() override { return nullptr; }
  float* GetVoiceSwitch() override { return nullptr; }

 private:
  IGlobalSynth* m_synth;
  float m_zero = 0.0f;
  std::map<unsigned int, MOD_SOURCE_LIST> m_lists;
  std::map<unsigned int, MOD_CONTROLLER_LIST> m_controllers;
  std::map<unsigned int, std::vector<std::unique_ptr<std::vector<float>>>> m_buffers;
};

class StageFixture : public ::testing::Test {
 protected:
  static constexpr float HOST_RATE = 44100.0f;
  static constexpr unsigned int HOST_N = 64;

  StageFixture() : mod(&f.synth) {
    f.synth.SetIModulation(static_cast<IModulation*>(&mod));
    SetOversampling(4);
  }
  ~StageFixture() override { f.synth.SetIModulation(nullptr); }

  void SetOversampling(unsigned int k) {
    f.synth.SetOversampling(k);
    f.synth.SetSampleRate(HOST_RATE);
    f.params.SetSampleRate(HOST_RATE);
    f.params.SetBlockSize(HOST_N);
    pitch.assign(HOST_N, 0.0f);
    for (unsigned int o = 0; o < 4; ++o) f.synth.SetPitchModulation(o, pitch.data());
  }
  unsigned int K() { return f.synth.GetOversampling(); }
  float Rate() { return HOST_RATE * static_cast<float>(K()); }
  unsigned int N() { return HOST_N * K(); }

  // Sets a parameter as a block start applies it; modulatable ones finish
  // their smoothing ramp.
  void Set(unsigned int id, float value) {
    f.params.SetParam(id, value);
    f.params.Update();
    f.params.ClearStatus();
    if (id < MODULATABLE_PARAM_COUNT)
      for (unsigned int k = 0; k < 40; ++k) f.synth.UpdateParam(id, HOST_N);
  }
  // The oscillator's phase increment for every control step, from a
  // frequency in Hz at the oscillator rate.
  void SetPitchHz(float hz) { std::fill(pitch.begin(), pitch.end(), hz / Rate()); }

  std::unique_ptr<CVoice> NewVoice(int note = 60, unsigned int unisonIndex = 0) {
    return std::make_unique<CVoice>(&f.synth, note, 1.0f, HOST_RATE, unisonIndex);
  }

  EngineFixture f;
  CStubModulation mod;
  std::vector<float> pitch;
};

// Signal helpers.

inline std::vector<float> Sine(size_t n, double hz, double rate, double amp = 1.0) {
  std::vector<float> x(n);
  for (size_t i = 0; i < n; ++i) x[i] = static_cast<float>(amp * std::sin(2.0 * M_PI * hz * i / rate));
  return x;
}

// Amplitude of the component at frequency hz (Hann-windowed DFT).
inline double LevelAt(const std::vector<float>& x, double rate, double hz, size_t skip = 0) {
  size_t n = x.size() - skip;
  std::complex<double> acc = 0.0;
  double wsum = 0.0;
  for (size_t i = 0; i < n; ++i) {
    double w = 0.5 - 0.5 * std::cos(2.0 * M_PI * i / n);
    double ph = -2.0 * M_PI * hz * i / rate;
    acc += w * x[skip + i] * std::complex<double>(std::cos(ph), std::sin(ph));
    wsum += w;
  }
  return 2.0 * std::abs(acc) / wsum;
}

// Frequency from the upward zero crossings of x.
inline double CrossingHz(const std::vector<float>& x, double rate, size_t skip = 0) {
  double first = -1.0, last = -1.0;
  int count = 0;
  for (size_t i = skip + 1; i < x.size(); ++i)
    if (x[i - 1] < 0.0f && x[i] >= 0.0f) {
      double t = (i - 1) + x[i - 1] / static_cast<double>(x[i - 1] - x[i]);
      if (first < 0.0) first = t;
      last = t;
      ++count;
    }
  return count < 2 ? 0.0 : (count - 1) * rate / (last - first);
}

inline double Mean(const std::vector<float>& x, size_t skip = 0) {
  double s = 0.0;
  for (size_t i = skip; i < x.size(); ++i) s += x[i];
  return s / static_cast<double>(x.size() - skip);
}

inline bool AllFinite(const std::vector<float>& x) {
  return std::all_of(x.begin(), x.end(), [](float v) { return std::isfinite(v); });
}
