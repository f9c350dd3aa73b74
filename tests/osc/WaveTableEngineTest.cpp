// A wavetable and a sample through the whole engine: loaded from files the
// way the editor loads them, rebuilt at the next block, played by a note.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "OscFixture.h"
#include "engine/PresetFile.h"
#include "engine/VoiceManager.h"
#include "osc/WaveLib.h"

namespace {

struct ENGINE_RIG {
  CGlobalSynth synth;
  CVoiceManager vm{&synth};
  std::filesystem::path dir;

  ENGINE_RIG() {
    vm.SetSampleRate(44100.0f);
    vm.SetBlockSize(256);
    dir = std::filesystem::temp_directory_path() / ("morlavine_wtengine_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    for (unsigned int k = 0; k < 4; ++k) vm.SetIntParam(PARAM_OSC_ON + k, k == 0 ? 1 : 0);
  }
  ~ENGINE_RIG() { std::filesystem::remove_all(dir); }

  std::string WriteWav(const std::string& name, const std::vector<float>& x, float rate) {
    const std::string path = (dir / name).string();
    float* channels[1] = {const_cast<float*>(x.data())};
    EXPECT_TRUE(WaveLib::saveToFile(path.c_str(), channels, 1, rate, static_cast<uint32_t>(x.size())));
    return path;
  }

  // Pending changes (a new oversampling factor deletes the voices) apply
  // before the note starts.
  std::vector<float> Play(int note, size_t n) {
    std::vector<float> out, l(256), r(256);
    vm.Generate(l.data(), r.data(), 0);
    vm.StartVoice(note, 1.0f, false);
    while (out.size() < n) {
      vm.Generate(l.data(), r.data(), 256);
      out.insert(out.end(), l.begin(), l.end());
    }
    return out;
  }
};

std::vector<float> Cycle(unsigned int frames, int harmonic) {
  std::vector<float> x(frames);
  for (unsigned int i = 0; i < frames; ++i) x[i] = static_cast<float>(std::sin(2.0 * M_PI * harmonic * i / frames));
  return x;
}

}  // namespace

TEST(WaveTableEngine, WavetableFileLoadedIntoAnOscillatorPlaysItsHarmonicAtTheNotesPitch) {
  ENGINE_RIG rig;
  const std::string path = rig.WriteWav("Second.wav", Cycle(600, 2), 44100.0f);
  CPresetFile file(&rig.synth);
  ASSERT_TRUE(file.LoadFromFile(&rig.vm, path.c_str(), nullptr, nullptr));
  rig.vm.LoadPreset(file.GetBuffer(), file.GetVersion(), file.GetKind(), 0);
  const std::vector<float> y = rig.Play(57, 44100);
  EXPECT_EQ(rig.vm.GetIntParam(PARAM_OSC_MODE), 55u);
  float* table = nullptr;
  char name[16];
  rig.vm.GetOscWaveTable(&table, name, 0);
  EXPECT_STREQ(name, "Second");
  const double f0 = PitchHz(57);
  const double second = Amplitude(y, 44100.0, 2 * f0, 8192);
  EXPECT_GT(second, 0.01);
  EXPECT_LT(Amplitude(y, 44100.0, f0, 8192), second * 0.01);
  EXPECT_LT(Amplitude(y, 44100.0, 3 * f0, 8192), second * 0.01);
}

TEST(WaveTableEngine, SampleFileLoadedIntoAnOscillatorPlaysAtItsOwnPitchAtTheRoot) {
  ENGINE_RIG rig;
  // 441 Hz recorded at 22.05 kHz: at the root note it still sounds at 441 Hz.
  std::vector<float> x(22050);
  for (unsigned int i = 0; i < x.size(); ++i) x[i] = static_cast<float>(std::sin(2.0 * M_PI * 441.0 * i / 22050.0));
  ASSERT_TRUE(rig.vm.LoadSample(rig.WriteWav("Tone.wav", x, 22050.0f).c_str(), 0));
  rig.vm.SetSampleRootPitch(0, 64);
  rig.vm.SetIntParam(PARAM_OSC_FREE_PHASE, 1);  // loop on
  EXPECT_EQ(rig.vm.GetIntParam(PARAM_OSC_MODE), 56u);
  const std::vector<float> y = rig.Play(64, 44100);
  // The factory preset's effects add their own colour: the tone is the
  // strongest line, well above its neighbours half a semitone away.
  const double tone = Amplitude(y, 44100.0, 441.0, 8192);
  EXPECT_GT(tone, 0.05);
  EXPECT_LT(Amplitude(y, 44100.0, 441.0 * 1.03, 8192), tone * 0.05);
  EXPECT_LT(Amplitude(y, 44100.0, 441.0 / 1.03, 8192), tone * 0.05);
  const std::vector<float> up = rig.Play(76, 44100);  // a second voice an octave up joins
  EXPECT_GT(Amplitude(up, 44100.0, 882.0, 8192), 0.05);
}
