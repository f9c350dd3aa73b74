// The render thread's work through the Audio Unit allocates nothing once the
// voices of the held notes exist: renders of every size, MIDI that starts no
// note (note offs, controllers, pitch bend, pressure), host automation of
// the 0..1 parameters and zero-frame calls. Note starts, rebuilds after
// setting changes and preset loads are outside the measurement.

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "engine/ICommandHandler.h"
#include "engine/ParamIds.h"
#include "tests/conformance/AllocationCounter.h"
#include "tests/conformance/HostHarness.h"

namespace {

struct ALLOC_SETUP {
  float oversampling;  // parameter 1581: 2 gives 2x, 0 gives 4x, 1 gives 8x
  unsigned int unison;
  float busMode;
  const char* name;
};

class RenderAllocationTest : public ::testing::TestWithParam<ALLOC_SETUP> {};

TEST_P(RenderAllocationTest, HeldNotesAutomationAndMidiAllocateNothing) {
  const ALLOC_SETUP setup = GetParam();
  CHostHarness host;
  ASSERT_EQ(host.Start(48000.0, 1024), noErr);
  ICommandHandler* commands = host.Commands();
  ASSERT_NE(commands, nullptr);
  commands->SetFloatParam(PARAM_OVERSAMPLING, setup.oversampling);
  commands->SetIntParam(PARAM_UNISON_COUNT, setup.unison);
  commands->SetFloatParam(PARAM_BUS_MODE, setup.busMode);
  ASSERT_EQ(host.Render(64), noErr);  // the rebuilds happen here

  for (UInt8 note : {36, 48, 55, 60, 64, 67, 71, 72}) host.NoteOn(0, note, 100, 0);
  ASSERT_EQ(host.Render(1024), noErr);  // the voices start here
  // Parameter values to automate with, picked before the measurement.
  std::mt19937 rng(42);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  UInt32 indices[64];
  float values[64];
  for (int k = 0; k < 64; ++k) {
    indices[k] = static_cast<UInt32>(rng() % CHostHarness::PARAM_COUNT);
    values[k] = unit(rng);
  }
  // Automation that changes settings needing a rebuild stays out: only the
  // smoothed 0..1 parameters are moved, as hosts do while playing.

  unsigned long counted = 0;
  OSStatus worst = noErr;
  {
    CAllocationScope scope;
    const UInt32 sizes[] = {1024, 1, 7, 512, 0, 137, 1024, 1024, 64, 333};
    int k = 0;
    for (int round = 0; round < 3; ++round) {
      for (UInt32 frames : sizes) {
        host.SetParam(indices[k % 64], values[k % 64], frames / 2);
        ++k;
        host.Controller(0, 1, static_cast<UInt8>(k % 128), 0);
        host.Midi(0xE0, 0, static_cast<UInt8>(k % 128), 3);
        host.Midi(0xD0, static_cast<UInt8>(k % 128), 0, 5);
        const OSStatus err = host.Render(frames);
        if (err != noErr) worst = err;
      }
      // Releases and sustain pedal: voices end and are deleted in the block.
      host.NoteOff(0, static_cast<UInt8>(36 + 12 * round), 0);
      host.Controller(0, 64, 127, 10);
      host.Controller(0, 64, 0, 100);
    }
    counted = scope.Count();
  }
  EXPECT_EQ(worst, noErr);
  EXPECT_EQ(counted, 0u) << setup.name;
}

INSTANTIATE_TEST_SUITE_P(Setups, RenderAllocationTest,
                         ::testing::Values(ALLOC_SETUP{2.0f, 1, 1.0f, "2x"},
                                           ALLOC_SETUP{0.0f, 8, 1.0f, "4x unison 8"},
                                           ALLOC_SETUP{1.0f, 3, 0.0f, "8x shared buses"}),
                         [](const ::testing::TestParamInfo<ALLOC_SETUP>& info) {
                           std::string name = info.param.name;
                           for (char& c : name)
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

// Kept in a volatile place, so the compiler cannot leave the allocations out.
int* volatile g_sink = nullptr;

TEST(RenderAllocationCounter, CountsOnlyWhileArmed) {
  g_sink = new int(1);
  int* before = g_sink;
  unsigned long counted = 0;
  {
    CAllocationScope scope;
    g_sink = new int(2);
    delete g_sink;
    counted = scope.Count();
  }
  delete before;
  EXPECT_EQ(counted, 1u);
}

}  // namespace
