// An oscillator's wavetable levels (ten inverse transforms) are built on the
// thread that sets a wave or the mode that plays it, under the engine lock:
// the blocks that follow find them ready and build nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/GlobalSynth.h"
#include "engine/ParamIds.h"
#include "engine/PresetKinds.h"
#include "engine/VoiceManager.h"

namespace {

const unsigned int OSC_MODE_WAVETABLE = 55;

class WaveTablePreparation : public ::testing::Test {
 protected:
  WaveTablePreparation() : vm(&synth) {
    vm.SetSampleRate(44100.0f);
    vm.SetBlockSize(256);
    Blocks(1);
  }

  // Renders count blocks of 256 frames; the peak of the last one.
  float Blocks(unsigned int count) {
    const unsigned int n = 256;
    std::vector<float> out(2 * n);
    float peak = 0.0f;
    for (unsigned int b = 0; b < count; ++b) {
      vm.Generate(out.data(), out.data() + n, n);
      peak = 0.0f;
      for (float x : out) peak = std::max(peak, std::fabs(x));
    }
    return peak;
  }

  unsigned int Builds(unsigned int osc) { return vm.GetOscillator(osc)->GetWaveTable()->GetLevelBuildCount(); }

  // Only oscillator osc sounds.
  void SoloOscillator(unsigned int osc) {
    for (unsigned int k = 0; k < OSC_COUNT; ++k) vm.GetParamHandler()->SetParam(PARAM_OSC_ON + k, k == osc ? 1.0f : 0.0f);
  }

  // The current settings as a whole preset in which only oscillator osc
  // sounds.
  std::unique_ptr<SYNTH_PRESET> Image(unsigned int osc) {
    std::unique_ptr<SYNTH_PRESET> image(new SYNTH_PRESET());
    EXPECT_GT(vm.SavePreset(image.get(), PRESET_KIND_SYNTH, 0), 0u);
    for (unsigned int k = 0; k < OSC_COUNT; ++k) (*image)[PARAM_OSC_ON + k] = k == osc ? 1.0f : 0.0f;
    return image;
  }

  CGlobalSynth synth;
  CVoiceManager vm;
};

// One cycle with the given odd harmonics' weights 1/h.
std::vector<float> Wave(unsigned int harmonics) {
  std::vector<float> w(WAVETABLE_LENGTH);
  for (unsigned int k = 0; k < WAVETABLE_LENGTH; ++k) {
    double x = 0.0;
    for (unsigned int h = 1; h <= harmonics; h += 2)
      x += std::sin(2.0 * M_PI * h * k / WAVETABLE_LENGTH) / static_cast<double>(h);
    w[k] = static_cast<float>(x);
  }
  return w;
}

TEST_F(WaveTablePreparation, EveryWayOfSettingAPlayedWaveBuildsItsLevelsAtOnce) {
  CParamHandler* params = vm.GetParamHandler();

  // A wave handed to an oscillator (which switches it to its wavetable):
  // built before any block runs, and played without another build.
  {
    SoloOscillator(0);
    const std::vector<float> square = Wave(31);
    char name[] = "Square";
    const unsigned int before = Builds(0);
    params->SetOscWaveTable(const_cast<float*>(square.data()), name, 0);
    EXPECT_EQ(Builds(0), before + 1);
    vm.StartVoice(57, 0.8f, false);
    EXPECT_GT(Blocks(40), 0.01f);
    EXPECT_EQ(Builds(0), before + 1);
    vm.Reset();
  }

  // A wave loaded (with a whole preset) while the oscillator plays
  // something else builds nothing; choosing the wavetable mode builds it
  // then, not in the next block.
  {
    std::unique_ptr<SYNTH_PRESET> image = Image(1);
    const std::vector<float> wave = Wave(7);
    std::memcpy(&image->data[PARAM_WAVETABLE + WAVETABLE_LENGTH], wave.data(), WAVETABLE_LENGTH * sizeof(float));
    (*image)[PARAM_OSC_MODE + 1] = 0.0f;
    const unsigned int before = Builds(1);
    ASSERT_TRUE(vm.LoadPreset(image.get(), PRESET_VERSION_V3, PRESET_KIND_SYNTH, 0));
    Blocks(4);
    EXPECT_EQ(Builds(1), before);
    params->SetParam(PARAM_OSC_MODE + 1, static_cast<float>(OSC_MODE_WAVETABLE));
    EXPECT_EQ(Builds(1), before + 1);
    vm.StartVoice(57, 0.8f, false);
    EXPECT_GT(Blocks(40), 0.01f);
    EXPECT_EQ(Builds(1), before + 1);
    vm.Reset();
  }

  // A wavetable module preset (which switches its oscillator to the
  // wavetable): built by the load.
  {
    SoloOscillator(2);
    std::unique_ptr<SYNTH_PRESET> block(new SYNTH_PRESET());
    const std::vector<float> wave = Wave(15);
    std::memcpy(block->data, wave.data(), WAVETABLE_LENGTH * sizeof(float));
    std::memcpy(&block->data[WAVETABLE_LENGTH], "Fifteen\0\0\0\0\0\0\0\0", 16);
    const unsigned int before = Builds(2);
    ASSERT_TRUE(vm.LoadPreset(block.get(), PRESET_VERSION_V3, PRESET_KIND_WAVETABLE, 2));
    EXPECT_EQ(Builds(2), before + 1);
    Blocks(1);  // the load resets the voices with the next block
    vm.StartVoice(57, 0.8f, false);
    EXPECT_GT(Blocks(40), 0.01f);
    EXPECT_EQ(Builds(2), before + 1);
    EXPECT_STREQ(vm.GetOscillator(2)->GetWaveTable()->GetName(), "Fifteen");
    vm.Reset();
  }

  // A whole preset whose oscillator plays a new wave: built by the load.
  {
    std::unique_ptr<SYNTH_PRESET> image = Image(3);
    const std::vector<float> wave = Wave(21);
    std::memcpy(&image->data[PARAM_WAVETABLE + 3 * WAVETABLE_LENGTH], wave.data(), WAVETABLE_LENGTH * sizeof(float));
    (*image)[PARAM_OSC_MODE + 3] = static_cast<float>(OSC_MODE_WAVETABLE);
    const unsigned int before = Builds(3);
    ASSERT_TRUE(vm.LoadPreset(image.get(), PRESET_VERSION_V3, PRESET_KIND_SYNTH, 0));
    EXPECT_EQ(Builds(3), before + 1);
    Blocks(1);
    vm.StartVoice(57, 0.8f, false);
    EXPECT_GT(Blocks(40), 0.01f);
    EXPECT_EQ(Builds(3), before + 1);
  }
}

}  // namespace
