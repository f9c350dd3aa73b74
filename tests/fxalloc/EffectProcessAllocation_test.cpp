// Counts heap allocations while the delay, echoes, chorus, flanger, trance
// gate and exciter process. The global operator new is replaced for this
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
#include "fx/Echoes.h"
#include "fx/Exciter.h"
#include "fx/Flanger.h"
#include "fx/TranceGate.h"

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
