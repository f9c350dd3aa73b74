// Counts heap allocations while the reverb, equalizer, distortion, grain
// shifter, phaser and tremolo process. The global operator new is replaced
// for this executable; it counts only while armed.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "engine/ParamIds.h"
#include "fx/Distortion.h"
#include "fx/Equalizer.h"
#include "fx/GrainShifter.h"
#include "fx/Phaser.h"
#include "fx/Reverb.h"
#include "fx/Tremolo.h"
#include "tests/fx/FxSynthDouble.h"

namespace {
std::atomic<bool> g_armed{false};
std::atomic<unsigned long> g_allocations{0};

void* CountedAlloc(std::size_t size) {
  if (g_armed.load(std::memory_order_relaxed)) g_allocations.fetch_add(1, std::memory_order_relaxed);
  void* p = std::malloc(size ? size : 1);
  if (!p) throw std::bad_alloc();
  return p;
}
}  // namespace

void* operator new(std::size_t size) { return CountedAlloc(size); }
void* operator new[](std::size_t size) { return CountedAlloc(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

class COversamplingSynth : public CFxSynthDouble {
 public:
  unsigned int factor = 8;
  unsigned int GetOversampling() override { return factor; }
  unsigned int GetOversamplingShift() override { return factor == 2 ? 1 : (factor == 4 ? 2 : 3); }
};

TEST(EffectAllocation, ProcessingAllocatesNothing) {
  COversamplingSynth synth;
  for (unsigned int id = PARAM_FX_REVERB; id <= PARAM_FX_GRAINSHIFTER + 11; ++id) synth.Set(id, 0.6f);
  synth.Set(PARAM_TREMOLO_SYNC, 3.0f);
  synth.Set(PARAM_DIST_CURVE, 2.0f);
  std::vector<std::unique_ptr<IEffectModule>> effects;
  for (unsigned int inst = 0; inst < 2; ++inst) {
    effects.emplace_back(new CReverb(&synth, inst));
    effects.emplace_back(new CEqualizer(&synth, inst));
    effects.emplace_back(new CDistortion(&synth, inst));
    effects.emplace_back(new CGrainShifter(&synth, inst));
    effects.emplace_back(new CPhaser(&synth, inst));
    effects.emplace_back(new CTremolo(&synth, inst));
  }
  for (auto& fx : effects) {
    fx->SetSampleRate(48000.0f);
    fx->SetBlockSize(256);
    fx->Reset();
  }
  std::vector<float> left(1024, 0.25f), right(1024, -0.25f);

  g_allocations = 0;
  g_armed = true;
  for (int block = 0; block < 8; ++block)
    for (auto& fx : effects) {
      fx->UpdateParams(256);
      fx->Process(left.data(), right.data(), 256);
    }
  for (auto& fx : effects) {
    fx->OnKeyPress();
    fx->ResetFreePhase();
    fx->Reset();
    fx->UpdateParams(1000);  // longer than the block size
    fx->Process(left.data(), right.data(), 1000);
    fx->UpdateParams(0);
    fx->Process(left.data(), right.data(), 0);
  }
  g_armed = false;
  EXPECT_EQ(g_allocations.load(), 0u);
}

TEST(EffectAllocation, CounterCountsWhenArmed) {
  g_allocations = 0;
  g_armed = true;
  std::vector<int>* v = new std::vector<int>(10);
  delete v;
  g_armed = false;
  EXPECT_EQ(g_allocations.load(), 2u);
}

}  // namespace
