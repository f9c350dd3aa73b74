// Counts heap allocations while the effects, the trance gate and the
// exciter process. The global operator new is replaced for this
// whole executable; it counts only while armed.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>
#include <vector>

#include "engine/Buffers.h"
#include "engine/GlobalSynth.h"
#include "engine/ParamHandler.h"
#include "engine/ParamIds.h"
#include "fx/Chorus.h"
#include "fx/Delay.h"
#include "fx/Distortion.h"
#include "fx/Echoes.h"
#include "fx/Equalizer.h"
#include "fx/Exciter.h"
#include "fx/Flanger.h"
#include "fx/GrainShifter.h"
#include "fx/Phaser.h"
#include "fx/Reverb.h"
#include "fx/TranceGate.h"
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

TEST(EffectProcessAllocation, ProcessAndBlockUpdatesAllocateNothing) {
  CGlobalSynth synth;
  CParamHandler params(&synth);
  synth.SetParamHandler(&params);
  params.SetBlockSize(256);
  // Everything on, mid settings, reverse and LFOs running.
  for (unsigned int id = PARAM_FX_CHORUS; id <= 306; ++id) params.SetParam(id, 0.6f);
  params.SetParam(PARAM_TG_ON, 1.0f);
  params.SetParam(PARAM_TG_RATE, 1.0f);
  params.SetParam(PARAM_TG_MIX, 1.0f);
  params.SetParam(PARAM_TG_STEPS, 16.0f);
  params.SetParam(PARAM_TG_SYNC, 6.0f);
  params.SetParam(PARAM_EXCITER, 1.0f);
  params.Update();

  std::vector<std::unique_ptr<IEffectModule>> fx;
  fx.emplace_back(new CDelay(&synth, 0));
  fx.emplace_back(new CEchoes(&synth, 1));
  fx.emplace_back(new CChorus(&synth, 0));
  fx.emplace_back(new CFlanger(&synth, 1));
  for (auto& f : fx) {
    f->SetSampleRate(44100.0f);
    f->SetBlockSize(256);
    f->Reset();
  }
  CTranceGate gate(&synth);
  gate.SetSampleRate(44100.0f);
  gate.FirstKeyPress();
  CExciter exciter(&synth);
  exciter.SetSampleRate(44100.0f);
  CStereoBuffer mixes[2];
  mixes[0].SetSamplesCount(256);
  mixes[1].SetSamplesCount(256);
  std::vector<float> left(256, 0.1f), right(256, -0.1f);

  g_allocations = 0;
  g_armed = true;
  for (int block = 0; block < 200; ++block) {
    params.Update();
    gate.UpdateParams(256);
    gate.Generate(mixes, 256);
    exciter.Process(mixes[0].GetLeftBuffer(), mixes[0].GetRightBuffer(), 256);
    for (auto& f : fx) {
      if (block == 100) f->OnKeyPress();
      f->UpdateParams(256);
      f->Process(left.data(), right.data(), 256);
    }
  }
  g_armed = false;
  EXPECT_EQ(g_allocations.load(), 0u);
}

namespace {
class COversamplingSynth : public CFxSynthDouble {
 public:
  unsigned int GetOversampling() override { return 8; }
  unsigned int GetOversamplingShift() override { return 3; }
};
}  // namespace

// The reverb, equalizer, distortion (at 8x), grain shifter, phaser and
// tremolo, both instances, with blocks of the block size, a longer call, an
// empty one and the life-cycle calls of the render thread in between.
TEST(EffectProcessAllocation, ToneEffectsAllocateNothing) {
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
