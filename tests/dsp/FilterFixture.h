#pragma once
// A small engine for the filter and drive stages: global synth, parameter
// store and a modulation stand-in whose audio-rate sources and controllers
// the tests set directly; a filter pool sized for the oversampled rate;
// helpers to run a stage block by block and to measure what comes out.

#include <cmath>
#include <complex>
#include <memory>
#include <vector>

#include "../engine/EngineFixture.h"
#include "dsp/FilterBank.h"
#include "engine/IModulation.h"
#include "engine/MemoryPool.h"
#include "engine/ParamIds.h"
#include "engine/SynthTypes.h"
#include "engine/Voice.h"

// Audio-rate sources set per parameter; controllers by number.
class CFakeModulation : public IModulation {
 public:
  CFakeModulation() {
    for (auto& l : m_lists) l.count = 0;
    m_noControllers.count = 0;
    for (auto& c : m_controllers) c = 0.0f;
  }
  // Adds a source of constant value with constant depth d to parameter id.
  void AddSource(unsigned int id, float value, float depth) {
    MOD_SOURCE_LIST& l = m_lists[id];
    m_buffers.emplace_back(4096, value);
    l.source[l.count] = m_buffers.back().data();
    m_buffers.emplace_back(4096, depth);
    l.amount[l.count] = m_buffers.back().data();
    ++l.count;
  }
  void ClearSources() {
    for (auto& l : m_lists) l.count = 0;
  }

  MOD_SOURCE_LIST* GetModulation(unsigned int id) override { return id < MODULATABLE_PARAM_COUNT ? &m_lists[id] : nullptr; }
  MOD_CONTROLLER_LIST* GetController(unsigned int) override { return &m_noControllers; }
  void SetController(unsigned int id, float value) override {
    if (id < 128) m_controllers[id] = value;
  }
  float GetControllerValue(unsigned int id) override { return id < 128 ? m_controllers[id] : 0.0f; }
  float* GetPitchModulation(unsigned int) override { return nullptr; }
  float* GetVibratoModulation() override { return nullptr; }
  float* GetAmpEnv() override { return nullptr; }
  float* GetVoiceSwitch() override { return nullptr; }

 private:
  MOD_SOURCE_LIST m_lists[MODULATABLE_PARAM_COUNT];
  MOD_CONTROLLER_LIST m_noControllers;
  float m_controllers[128];
  std::vector<std::vector<float>> m_buffers;  // element buffers never move: std::vector<float> keeps its data
};

class CFilterFixture {
 public:
  static const unsigned int HOST_BLOCK = 64;

  explicit CFilterFixture(unsigned int oversampling = 4, float hostRate = 44100.0f)
      : hostRate(hostRate), oversampling(oversampling) {
    synth.SetParamHandler(&params);
    synth.SetIModulation(&mod);
    synth.SetOversampling(oversampling);
    params.SetSampleRate(hostRate);
    params.SetBlockSize(HOST_BLOCK);
    const unsigned int len = FilterBank::LineLength(FilterBank::ComputeTuning().maxTime, Rate());
    synth.GetFilterMemoryPool()->SetCapacity((3 * len + FilterBank::EXTRA_WORDS) * 4 + 8, 16);
    Neutral();
  }
  ~CFilterFixture() {
    synth.SetIModulation(nullptr);
    synth.SetParamHandler(nullptr);
  }

  float Rate() const { return hostRate * static_cast<float>(oversampling); }
  unsigned int Block() const { return HOST_BLOCK * oversampling; }

  // Sets a parameter and lets its smoothing ramp finish.
  void Set(unsigned int id, float value) {
    params.SetParam(id, value);
    params.Update();
    if (id < MODULATABLE_PARAM_COUNT) {
      const unsigned int ramp = params.GetRampLength() + 1;
      for (unsigned int done = 0; done <= ramp; done += HOST_BLOCK) synth.UpdateParam(id, HOST_BLOCK);
    }
    params.ClearStatus();
  }
  // Writes a stored value past the store's checks, as a damaged image would.
  void Poke(unsigned int id, float value) { params.GetPreset()->data[id] = value; }

  // Tuning and scaling that leave the cutoff at cutoff x 136.
  void Neutral() {
    for (unsigned int k = 0; k < 4; ++k) {
      Set(PARAM_OSC_FILTER_MODE + k, 0.0f);
      Set(PARAM_OSC_CUTOFF + k, 0.5f);
      Set(PARAM_OSC_RES + k, 0.0f);
      Set(PARAM_OSC_CONTROL + k, 0.0f);
      Set(PARAM_OSC_FILTER_KEYSCALE + k, 0.0f);
      Set(PARAM_OSC_FILTER_VELSCALE + k, 0.0f);
      Set(PARAM_OSC_OCTAVE + k, 0.0f);
      Set(PARAM_OSC_SEMITONE + k, 0.0f);
      Set(PARAM_OSC_DETUNE + k, 0.5f);
      Set(PARAM_OSC_DRIVE + k, 0.0f);
      Set(PARAM_OSC_DRIVE_TYPE + k, 0.0f);
    }
    for (unsigned int b = 0; b < 2; ++b) {
      Set(PARAM_BUS_FILTER_MODE + b, 0.0f);
      Set(PARAM_BUS_CUTOFF + b, 0.5f);
      Set(PARAM_BUS_RES + b, 0.0f);
      Set(PARAM_BUS_CONTROL + b, 0.0f);
      Set(PARAM_BUS_KEYSCALE + b, 0.0f);
      Set(PARAM_BUS_VELSCALE + b, 0.0f);
      Set(PARAM_BUS_STEREO + b, 0.5f);
      Set(PARAM_BUS_DRIVE + b, 0.0f);
      Set(PARAM_BUS_DRIVE_TYPE + b, 0.0f);
    }
    Set(PARAM_MASTER_DETUNE, 0.5f);
    Set(PARAM_MASTER_GLIDE, 0.0f);
    Set(PARAM_TRANSPOSE, 0.0f);
    Set(PARAM_GLIDE_MODE, 0.0f);
    Set(PARAM_FILTER_GLIDE, 0.0f);
    Set(PARAM_BEND_RANGE, 2.0f);
    Set(PARAM_BUS_MODE, 1.0f);
    Set(PARAM_UNISON_COUNT, 1.0f);
    mod.SetController(121, 0.0f);
  }

  std::unique_ptr<CVoice> NewVoice(int note = 60, float velocity = 0.5f) {
    return std::make_unique<CVoice>(&synth, note, velocity, hostRate, 0);
  }

  // Runs a mono stage (Process(voice, x, n)) over in, block by block, with
  // UpdateParams before each block.
  template <class STAGE>
  std::vector<float> RunMono(STAGE& stage, CVoice* voice, std::vector<float> in) {
    const unsigned int B = Block();
    for (size_t i = 0; i < in.size(); i += B) {
      stage.UpdateParams(HOST_BLOCK);
      const unsigned int n = static_cast<unsigned int>(in.size() - i < B ? in.size() - i : B);
      stage.Process(voice, in.data() + i, n);
    }
    return in;
  }
  // The same for a stereo stage (Process(voice, left, right, n)).
  template <class STAGE>
  void RunStereo(STAGE& stage, CVoice* voice, std::vector<float>& left, std::vector<float>& right) {
    const unsigned int B = Block();
    for (size_t i = 0; i < left.size(); i += B) {
      stage.UpdateParams(HOST_BLOCK);
      const unsigned int n = static_cast<unsigned int>(left.size() - i < B ? left.size() - i : B);
      stage.Process(voice, left.data() + i, right.data() + i, n);
    }
  }

  CGlobalSynth& Synth() { return synth; }

  TestDataDir dataDir;
  CGlobalSynth synth;
  CParamHandler params{&synth};
  CFakeModulation mod;
  float hostRate;
  unsigned int oversampling;
};

// Signals and measurements.
namespace FilterMeasure {

inline std::vector<float> Impulse(size_t n, float amplitude = 1.0f) {
  std::vector<float> x(n, 0.0f);
  x[0] = amplitude;
  return x;
}

inline std::vector<float> Sine(size_t n, double hz, double rate, float amplitude) {
  std::vector<float> x(n);
  for (size_t i = 0; i < n; ++i) x[i] = amplitude * static_cast<float>(std::sin(2.0 * M_PI * hz * i / rate));
  return x;
}

// Magnitude spectrum of x (zero-padded to a power of two), bins 0..N/2.
inline std::vector<double> Spectrum(const std::vector<float>& x) {
  size_t N = 1;
  while (N < x.size()) N <<= 1;
  std::vector<std::complex<double>> a(N);
  for (size_t i = 0; i < x.size(); ++i) a[i] = x[i];
  for (size_t i = 1, j = 0; i < N; ++i) {
    size_t bit = N >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (size_t len = 2; len <= N; len <<= 1) {
    const double ang = -2.0 * M_PI / static_cast<double>(len);
    const std::complex<double> wl(std::cos(ang), std::sin(ang));
    for (size_t i = 0; i < N; i += len) {
      std::complex<double> w(1.0);
      for (size_t k = 0; k < len / 2; ++k) {
        const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * w;
        a[i + k] = u + v;
        a[i + k + len / 2] = u - v;
        w *= wl;
      }
    }
  }
  std::vector<double> m(N / 2 + 1);
  for (size_t k = 0; k <= N / 2; ++k) m[k] = std::abs(a[k]);
  return m;
}

inline double Db(double v) { return 20.0 * std::log10(v > 1e-30 ? v : 1e-30); }

// Magnitude of the spectrum at hz (linear interpolation between bins).
inline double At(const std::vector<double>& mag, double hz, double rate) {
  const double N = 2.0 * static_cast<double>(mag.size() - 1);
  const double b = hz * N / rate;
  size_t i = static_cast<size_t>(b);
  if (i + 1 >= mag.size()) return mag.back();
  const double t = b - static_cast<double>(i);
  return mag[i] * (1.0 - t) + mag[i + 1] * t;
}

// Frequency of the largest (or smallest) magnitude between lo and hi Hz.
inline double ExtremeHz(const std::vector<double>& mag, double lo, double hi, double rate, bool largest) {
  const double N = 2.0 * static_cast<double>(mag.size() - 1);
  size_t a = static_cast<size_t>(lo * N / rate), b = static_cast<size_t>(hi * N / rate);
  if (b >= mag.size()) b = mag.size() - 1;
  size_t best = a;
  for (size_t k = a; k <= b; ++k)
    if (largest ? mag[k] > mag[best] : mag[k] < mag[best]) best = k;
  return static_cast<double>(best) * rate / N;
}

inline double Rms(const std::vector<float>& x, size_t from, size_t to) {
  double s = 0.0;
  for (size_t i = from; i < to; ++i) s += static_cast<double>(x[i]) * x[i];
  return std::sqrt(s / static_cast<double>(to - from));
}

inline double Semitones(double hz, double refHz) { return 12.0 * std::log2(hz / refHz); }

inline bool AllFinite(const std::vector<float>& x, float bound) {
  for (float v : x)
    if (!std::isfinite(v) || std::fabs(v) > bound) return false;
  return true;
}

}  // namespace FilterMeasure
