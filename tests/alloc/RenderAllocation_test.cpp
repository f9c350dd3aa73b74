// Counts heap allocations made while the engine renders. The global
// operator new is replaced for this whole executable; it counts only while
// armed, around the measured calls.
#include <fftw.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>
#include <vector>

#include "engine/GlobalSynth.h"
#include "engine/MemoryPool.h"
#include "engine/ParamIds.h"
#include "engine/Voice.h"
#include "engine/VoiceManager.h"

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
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return CountedAlloc(size);
  } catch (...) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return CountedAlloc(size);
  } catch (...) {
    return nullptr;
  }
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

class Armed {
 public:
  Armed() {
    g_allocations = 0;
    g_armed = true;
  }
  ~Armed() { g_armed = false; }
};

struct SETUP {
  float oversampling;  // parameter 1581
  float unison;
  float busMode;
};

class RenderAllocationTest : public ::testing::TestWithParam<SETUP> {};

TEST_P(RenderAllocationTest, GenerateWithHeldNotesAllocatesNothing) {
  const SETUP setup = GetParam();
  CGlobalSynth synth;
  CVoiceManager vm(&synth);
  vm.SetSampleRate(44100.0f);
  vm.SetBlockSize(256);
  synth.SetParam(PARAM_OVERSAMPLING, setup.oversampling);
  synth.SetParam(PARAM_UNISON_COUNT, setup.unison);
  synth.SetParam(PARAM_BUS_MODE, setup.busMode);
  synth.SetParam(PARAM_MAX_VOICES, 16.0f);
  synth.SetParam(PARAM_FXMTX_SPLIT, 3.0f);
  for (unsigned int c = 0; c < 16; ++c) {
    synth.SetParam(PARAM_FXMTX_CELL_FX + c, static_cast<float>(1 + c));
    synth.SetParam(PARAM_FXMTX_CELL_ON + c, 1.0f);
  }
  std::vector<float> left(2000, 0.0f), right(2000, 0.0f);
  vm.Generate(left.data(), right.data(), 0);  // applies and rebuilds outside the measurement

  for (int note = 48; note < 60; ++note) vm.StartVoice(note, 0.7f, false);
  vm.Generate(left.data(), right.data(), 256);
  vm.StopVoice(50);
  vm.GetVoiceAt(2)->GetEnvState(AMP_ENV_INDEX)->finished = 1;

  unsigned long counted = 0;
  {
    Armed armed;
    for (int block = 0; block < 20; ++block) vm.Generate(left.data(), right.data(), 256);
    vm.Generate(left.data(), right.data(), 17);     // a short slice
    vm.Generate(left.data(), right.data(), 0);      // parameters only
    vm.Generate(left.data(), right.data(), 1000);   // longer than the block size
    vm.MidiControlChange(1, 0.5f);
    vm.StopVoice(52);
    vm.DeleteVoice(53);
    vm.MuteVoice(54);
    vm.Generate(left.data(), right.data(), 256);
    counted = g_allocations;
  }
  EXPECT_EQ(counted, 0u);
  EXPECT_EQ(vm.GetVoiceCount(), 11u);  // the finished voice was deleted in the block
}

INSTANTIATE_TEST_SUITE_P(Setups, RenderAllocationTest,
                         ::testing::Values(SETUP{2.0f, 1.0f, 1.0f}, SETUP{1.0f, 3.0f, 1.0f}, SETUP{0.0f, 2.0f, 0.0f}));

// FFTW takes all its memory through fftw_malloc, which calls this hook.
void* CountedFftwAlloc(size_t size) {
  if (g_armed.load(std::memory_order_relaxed)) g_allocations.fetch_add(1, std::memory_order_relaxed);
  return std::malloc(size ? size : 1);
}

TEST(RenderAllocation, WavetableRebuildAndSamplePlaybackAllocateNothing) {
  fftw_malloc_hook = CountedFftwAlloc;
  CGlobalSynth synth;
  CVoiceManager vm(&synth);
  vm.SetSampleRate(44100.0f);
  vm.SetBlockSize(256);
  std::vector<float> sample(5000);
  for (size_t i = 0; i < sample.size(); ++i) sample[i] = static_cast<float>(i % 100) / 100.0f - 0.5f;
  char sampleName[] = "ramp";
  ASSERT_TRUE(vm.LoadSampleFromMemory(1, sample.data(), sample.data(), 5000, 44100.0f, sampleName));
  ASSERT_TRUE(vm.LoadSampleFromMemory(3, sample.data(), sample.data(), 5000, 22050.0f, sampleName));
  for (unsigned int k = 0; k < 4; ++k) {
    synth.SetParam(PARAM_OSC_ON + k, 1.0f);
    synth.SetParam(PARAM_OSC_MODE + k, k % 2 ? 56.0f : 55.0f);
    synth.SetParam(PARAM_OSC_FREE_PHASE + k, 1.0f);
  }
  synth.SetParam(PARAM_OSC_INVERT + 3, 1.0f);  // grains on Osc4
  synth.SetParam(PARAM_OSC_FX_AMOUNT + 3, 1.0f);
  synth.SetParam(PARAM_UNISON_COUNT, 2.0f);
  std::vector<float> left(2000, 0.0f), right(2000, 0.0f);
  vm.Generate(left.data(), right.data(), 0);
  for (int note = 48; note < 52; ++note) vm.StartVoice(note, 0.7f, false);
  vm.Generate(left.data(), right.data(), 256);

  // New wavetables arrive from the editor; the next block rebuilds them.
  std::vector<float> table(WAVETABLE_LENGTH);
  for (size_t i = 0; i < table.size(); ++i) table[i] = i < table.size() / 3 ? 1.0f : -0.5f;
  char name[16] = "Pulse";
  vm.SetOscWaveTable(table.data(), name, 0);
  vm.SetOscWaveTable(table.data(), name, 2);

  unsigned long counted = 0;
  {
    Armed armed;
    for (int block = 0; block < 10; ++block) vm.Generate(left.data(), right.data(), 256);
    counted = g_allocations;
  }
  fftw_malloc_hook = nullptr;
  EXPECT_EQ(counted, 0u);
  float* own = nullptr;
  char got[16];
  vm.GetOscWaveTable(&own, got, 2);
  EXPECT_STREQ(got, "Pulse");
  float peak = 0.0f;
  for (float v : left) peak = std::max(peak, std::fabs(v));
  EXPECT_GT(peak, 0.0f);
}

TEST(RenderAllocation, EffectSlotsShaperAndLoFiAllocateNothingEvenAcrossASlotRebuild) {
  CGlobalSynth synth;
  CVoiceManager vm(&synth);
  vm.SetSampleRate(44100.0f);
  vm.SetBlockSize(256);
  synth.SetParam(PARAM_BUS_MODE, 1.0f);
  for (unsigned int osc = 0; osc < 4; ++osc) {
    synth.SetParam(PARAM_OSC_ON + osc, 1.0f);
    for (unsigned int slot = 0; slot < 4; ++slot) {
      synth.SetParam(PARAM_OSC_FX_TYPE + 4 * slot + osc, static_cast<float>((slot + osc) % 7));
      synth.SetParam(PARAM_OSC_FX_AMOUNT + 4 * slot + osc, 0.6f);
    }
  }
  for (unsigned int bus = 0; bus < 2; ++bus) {
    synth.SetParam(PARAM_BUS_ON + bus, 1.0f);
    synth.SetParam(PARAM_BUS_DS_DRIVE + bus, 0.7f);
    synth.SetParam(PARAM_BUS_DS_TREBLE + bus, 0.5f);
    synth.SetParam(PARAM_BUS_LF_RATE + bus, 0.4f);
    synth.SetParam(PARAM_BUS_LF_BIT + bus, 0.5f);
    synth.SetParam(PARAM_BUS_LF_NOISE + bus, 0.3f);
  }
  std::vector<float> left(256, 0.0f), right(256, 0.0f);
  vm.Generate(left.data(), right.data(), 0);
  for (int note = 48; note < 54; ++note) vm.StartVoice(note, 0.7f, false);
  vm.Generate(left.data(), right.data(), 256);

  unsigned long counted = 0;
  {
    Armed armed;
    for (int block = 0; block < 10; ++block) vm.Generate(left.data(), right.data(), 256);
    // Every slot changes type: the chains are rebuilt inside the next block.
    for (unsigned int osc = 0; osc < 4; ++osc)
      for (unsigned int slot = 0; slot < 4; ++slot)
        synth.SetParam(PARAM_OSC_FX_TYPE + 4 * slot + osc, static_cast<float>((slot + osc + 3) % 7));
    for (int block = 0; block < 10; ++block) vm.Generate(left.data(), right.data(), 256);
    counted = g_allocations;
  }
  EXPECT_EQ(counted, 0u);
  float peak = 0.0f;
  for (float x : left) peak = std::max(peak, std::fabs(x));
  EXPECT_GT(peak, 0.0f);
  EXPECT_TRUE(std::isfinite(peak));
}

// Voices are deleted inside a block: handing their filter blocks back must
// not allocate, however often the pool has grown at note starts.
TEST(RenderAllocationPool, ReleaseAfterManyGrowthsAllocatesNothing) {
  CMemoryPool pool;
  pool.SetCapacity(16, 2);
  std::vector<void*> blocks;
  for (int i = 0; i < 62; ++i) blocks.push_back(pool.Allocate());  // grows by 2, 4, 8, 16, 32
  ASSERT_EQ(pool.GetUsedCount(), 62u);
  unsigned long counted = 0;
  {
    Armed armed;
    for (void* b : blocks) pool.Release(b);
    counted = g_allocations;
  }
  EXPECT_EQ(counted, 0u);
  EXPECT_EQ(pool.GetFreeCount(), 64u);
}

TEST(RenderAllocationCounter, CountsWhenArmed) {
  unsigned long counted = 0;
  {
    Armed armed;
    std::vector<int>* v = new std::vector<int>(10);
    delete v;
    counted = g_allocations;
  }
  EXPECT_EQ(counted, 2u);
}

}  // namespace

TEST(RenderAllocation, FiltersAndDrivesOfEveryModeAllocateNothing) {
  CGlobalSynth synth;
  CVoiceManager vm(&synth);
  vm.SetSampleRate(44100.0f);
  vm.SetBlockSize(256);
  synth.SetParam(PARAM_UNISON_COUNT, 2.0f);
  synth.SetParam(PARAM_BUS_MODE, 1.0f);
  for (unsigned int k = 0; k < 4; ++k) {
    synth.SetParam(PARAM_OSC_ON + k, 1.0f);
    synth.SetParam(PARAM_OSC_MODE + k, 1.0f);
    synth.SetParam(PARAM_OSC_DRIVE + k, 0.5f);
    synth.SetParam(PARAM_OSC_DRIVE_TYPE + k, static_cast<float>(k));
    synth.SetParam(PARAM_OSC_RES + k, 0.8f);
  }
  for (unsigned int b = 0; b < 2; ++b) {
    synth.SetParam(PARAM_BUS_ON + b, 1.0f);
    synth.SetParam(PARAM_BUS_DRIVE + b, 0.5f);
    synth.SetParam(PARAM_BUS_DRIVE_TYPE + b, static_cast<float>(4 + b));
  }
  std::vector<float> left(256, 0.0f), right(256, 0.0f);
  vm.Generate(left.data(), right.data(), 0);
  for (int note = 48; note < 52; ++note) vm.StartVoice(note, 0.7f, false);
  vm.Generate(left.data(), right.data(), 256);

  unsigned long counted = 0;
  {
    Armed armed;
    for (int mode = 1; mode <= 24; ++mode) {
      for (unsigned int k = 0; k < 4; ++k) synth.SetParam(PARAM_OSC_FILTER_MODE + k, static_cast<float>(mode));
      for (unsigned int b = 0; b < 2; ++b) synth.SetParam(PARAM_BUS_FILTER_MODE + b, static_cast<float>(mode));
      vm.Generate(left.data(), right.data(), 256);
      vm.Generate(left.data(), right.data(), 256);
    }
    counted = g_allocations;
  }
  EXPECT_EQ(counted, 0u);
  for (float v : left) EXPECT_TRUE(std::isfinite(v));
}

// Samples played (plain on Osc2, grains on Osc4) through the sample player's
// own filter and drive, in every filter mode and drive type.
TEST(RenderAllocation, SamplePlaybackThroughFilterAndDriveAllocatesNothing) {
  CGlobalSynth synth;
  CVoiceManager vm(&synth);
  vm.SetSampleRate(44100.0f);
  vm.SetBlockSize(256);
  std::vector<float> sample(5000);
  for (size_t i = 0; i < sample.size(); ++i) sample[i] = std::sin(0.0628f * static_cast<float>(i));
  char sampleName[] = "sine";
  ASSERT_TRUE(vm.LoadSampleFromMemory(1, sample.data(), sample.data(), 5000, 44100.0f, sampleName));
  ASSERT_TRUE(vm.LoadSampleFromMemory(3, sample.data(), sample.data(), 5000, 22050.0f, sampleName));
  synth.SetParam(PARAM_UNISON_COUNT, 2.0f);
  for (unsigned int k = 1; k < 4; k += 2) {
    synth.SetParam(PARAM_OSC_ON + k, 1.0f);
    synth.SetParam(PARAM_OSC_MODE + k, 56.0f);
    synth.SetParam(PARAM_OSC_FREE_PHASE + k, 1.0f);
    synth.SetParam(PARAM_OSC_RES + k, 0.8f);
    synth.SetParam(PARAM_OSC_DRIVE + k, 0.5f);
  }
  synth.SetParam(PARAM_OSC_ON + 0, 0.0f);
  synth.SetParam(PARAM_OSC_INVERT + 3, 1.0f);  // grains on Osc4
  synth.SetParam(PARAM_OSC_FX_AMOUNT + 3, 1.0f);
  std::vector<float> left(256, 0.0f), right(256, 0.0f);
  vm.Generate(left.data(), right.data(), 0);
  for (int note = 48; note < 52; ++note) vm.StartVoice(note, 0.7f, false);
  vm.Generate(left.data(), right.data(), 256);

  unsigned long counted = 0;
  float peak = 0.0f;
  {
    Armed armed;
    for (int mode = 1; mode <= 24; ++mode) {
      for (unsigned int k = 1; k < 4; k += 2) {
        synth.SetParam(PARAM_OSC_FILTER_MODE + k, static_cast<float>(mode));
        synth.SetParam(PARAM_OSC_DRIVE_TYPE + k, static_cast<float>(mode % 7));
      }
      vm.Generate(left.data(), right.data(), 256);
      vm.Generate(left.data(), right.data(), 256);
      for (float v : left) peak = std::max(peak, std::fabs(v));
    }
    counted = g_allocations;
  }
  EXPECT_EQ(counted, 0u);
  EXPECT_GT(peak, 0.0f);
  for (float v : left) EXPECT_TRUE(std::isfinite(v));
}

// Voices are deleted inside a block: handing their filter blocks back must
// not allocate, however often the pool has grown at note starts.
