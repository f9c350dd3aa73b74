// Several instances in one process: each draws from its own random
// generator, so with free phase on (every note starts its oscillators at a
// random phase) an instance renders the same whatever other instances do,
// on other threads or opened in the middle of its render.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "engine/GlobalSynth.h"
#include "engine/ParamIds.h"
#include "host/au/AUSynthProperties.h"
#include "host/vst/VstSynth.h"
#include "tests/conformance/HostHarness.h"

namespace {

const UInt32 BLOCK = 256;
const UInt32 PHRASE_BLOCKS = 48;
const unsigned int INSTANCES = 8;

struct RENDER {
  std::vector<float> left, right;
  bool operator==(const RENDER& o) const { return left == o.left && right == o.right; }
};

// Opens and starts an instance with free phase on for every oscillator and
// its generator seeded.
bool StartSeeded(CHostHarness& host, UInt32 seed) {
  if (host.Start(44100.0, 1024) != noErr || !host.Vst()) return false;
  for (unsigned int osc = 0; osc < 4; ++osc)
    host.Vst()->GetGlobalSynth()->SetParam(PARAM_OSC_FREE_PHASE + osc, 1.0f);
  return AudioUnitSetProperty(host.Unit(), kAUSynthProperty_RandomSeed, kAudioUnitScope_Global, 0,
                              &seed, sizeof(seed)) == noErr;
}

// Blocks [from, to) of a phrase of notes that differs between instances:
// every fourth block starts a note (each start draws a new random phase).
void PlayBlocks(CHostHarness& host, unsigned int instance, UInt32 from, UInt32 to, RENDER& out) {
  for (UInt32 b = from; b < to; ++b) {
    if (b % 4 == 0) host.NoteOn(0, static_cast<UInt8>(48 + (instance * 5 + b) % 24), 100, (b * 37) % BLOCK);
    if (b % 4 == 2) host.NoteOff(0, static_cast<UInt8>(48 + (instance * 5 + b - 2) % 24), 11);
    ASSERT_EQ(host.Render(BLOCK), noErr);
    out.left.insert(out.left.end(), host.Left(), host.Left() + BLOCK);
    out.right.insert(out.right.end(), host.Right(), host.Right() + BLOCK);
  }
}

RENDER Solo(unsigned int instance, UInt32 seed) {
  CHostHarness host;
  RENDER r;
  EXPECT_TRUE(StartSeeded(host, seed));
  PlayBlocks(host, instance, 0, PHRASE_BLOCKS, r);
  return r;
}

UInt32 SeedOf(unsigned int instance) { return 1000 + 17 * instance; }

TEST(MultiInstance, EightInstancesOnEightThreadsRenderAsTheyDoAlone) {
  std::vector<RENDER> solo(INSTANCES);
  for (unsigned int i = 0; i < INSTANCES; ++i) solo[i] = Solo(i, SeedOf(i));
  ASSERT_GT(Rms(solo[0].left.data(), 0, solo[0].left.size()), 1e-3) << "the phrase is heard";
  // The seed matters: another seed gives other phases, so a generator shared
  // with another instance would show.
  EXPECT_FALSE(Solo(0, SeedOf(0) + 1) == solo[0]);
  EXPECT_TRUE(Solo(0, SeedOf(0)) == solo[0]) << "the same seed repeats the render";

  std::vector<RENDER> together(INSTANCES);
  {
    std::vector<std::thread> threads;
    for (unsigned int i = 0; i < INSTANCES; ++i)
      threads.emplace_back([i, &together] {
        CHostHarness host;
        if (!StartSeeded(host, SeedOf(i))) return;
        PlayBlocks(host, i, 0, PHRASE_BLOCKS, together[i]);
      });
    for (std::thread& t : threads) t.join();
  }
  for (unsigned int i = 0; i < INSTANCES; ++i) EXPECT_TRUE(together[i] == solo[i]) << "instance " << i;
}

TEST(MultiInstance, OpeningAnotherInstanceLeavesARenderAlone) {
  const RENDER solo = Solo(0, SeedOf(0));
  CHostHarness a;
  ASSERT_TRUE(StartSeeded(a, SeedOf(0)));
  RENDER r;
  PlayBlocks(a, 0, 0, PHRASE_BLOCKS / 2, r);
  {
    // Another instance opens (unseeded: seeded from its own creation),
    // plays and closes half-way through a's phrase.
    CHostHarness b;
    ASSERT_EQ(b.Start(44100.0, 1024), noErr);
    RENDER other;
    PlayBlocks(b, 3, 0, 8, other);
  }
  PlayBlocks(a, 0, PHRASE_BLOCKS / 2, PHRASE_BLOCKS, r);
  EXPECT_TRUE(r == solo);
}

TEST(MultiInstance, RandomSeedPropertyIsWriteOnlyAndChecked) {
  CHostHarness host;
  ASSERT_EQ(host.Start(), noErr);
  UInt32 size = 0;
  Boolean writable = false;
  ASSERT_EQ(AudioUnitGetPropertyInfo(host.Unit(), kAUSynthProperty_RandomSeed, kAudioUnitScope_Global,
                                     0, &size, &writable),
            noErr);
  EXPECT_EQ(size, sizeof(UInt32));
  EXPECT_TRUE(writable);
  const UInt32 seed = 3;
  const uint16_t shortSeed = 3;
  EXPECT_NE(AudioUnitSetProperty(host.Unit(), kAUSynthProperty_RandomSeed, kAudioUnitScope_Global, 0,
                                 &shortSeed, sizeof(shortSeed)),
            noErr);
  EXPECT_NE(AudioUnitSetProperty(host.Unit(), kAUSynthProperty_RandomSeed, kAudioUnitScope_Global, 0,
                                 nullptr, sizeof(seed)),
            noErr);
  EXPECT_NE(AudioUnitSetProperty(host.Unit(), kAUSynthProperty_RandomSeed, kAudioUnitScope_Global, 1,
                                 &seed, sizeof(seed)),
            noErr);
}

}  // namespace
