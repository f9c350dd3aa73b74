// Parameter automation as hosts send it: many parameters moved between small
// render slices while notes play, every host parameter swept through its
// ends and random values, and values outside 0..1 that careless hosts send.
// The output must stay finite, normal and bounded throughout.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "tests/conformance/HostHarness.h"

namespace {

const UInt32 SLICE = 32;
// Far above anything the instrument plays (its output is around 1), far
// below what an unstable filter or feedback loop reaches.
const float PEAK_BOUND = 64.0f;
// Many extreme settings at once stack gains the instrument really has
// (oscillator and bus levels up to 4 on one side, the brilliance shelf up to
// 64 at the top of the band, the drives): loud, yet far below a runaway.
const float COMBINED_PEAK_BOUND = 1024.0f;

std::string Describe(const SAMPLE_CHECK& c) {
  return std::to_string(c.nans) + " NaN, " + std::to_string(c.infinities) + " infinite, " +
         std::to_string(c.subnormals) + " subnormal, peak " + std::to_string(c.peak);
}

// Starts or stops a note now and then so that voices start under every
// parameter set, not only the first.
void NudgeNotes(CHostHarness& host, std::mt19937& rng, std::vector<UInt8>& held) {
  if (rng() % 8 != 0) return;
  if (held.size() < 6 && rng() % 2) {
    const UInt8 note = static_cast<UInt8>(36 + rng() % 48);
    host.NoteOn(static_cast<UInt8>(rng() % 16), note, static_cast<UInt8>(1 + rng() % 127),
                static_cast<UInt32>(rng() % SLICE));
    held.push_back(note);
  } else if (!held.empty()) {
    // Notes were started on random channels; a note off on any channel
    // stops them the same way as on their own (or leaves them for the
    // next round), which is all this test needs.
    host.NoteOff(0, held.back(), static_cast<UInt32>(rng() % SLICE));
    held.pop_back();
  }
}

TEST(Automation, RandomParametersBeforeEverySliceWithNotes) {
  CHostHarness host;
  ASSERT_EQ(host.Start(44100.0, 512), noErr);
  std::mt19937 rng(20240601);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  std::vector<UInt8> held;
  for (UInt8 note : {48, 52, 55, 60}) {
    host.NoteOn(0, note, 100, 0);
    held.push_back(note);
  }
  const int slices = ReducedGrid() ? 800 : 6000;
  SAMPLE_CHECK total;
  for (int s = 0; s < slices; ++s) {
    const int changes = static_cast<int>(rng() % 11);
    for (int k = 0; k < changes; ++k) {
      const UInt32 index = static_cast<UInt32>(rng() % CHostHarness::PARAM_COUNT);
      ASSERT_EQ(host.SetParam(index, unit(rng), static_cast<UInt32>(rng() % SLICE)), noErr);
    }
    NudgeNotes(host, rng, held);
    // Now and then an odd tempo, for the tempo-synced parts.
    if (s % 500 == 250) host.Transport().tempo = 20.0 + 600.0 * unit(rng);
    ASSERT_EQ(host.Render(SLICE), noErr) << "slice " << s;
    ASSERT_FALSE(host.OverrunDetected()) << "slice " << s;
    SAMPLE_CHECK check;
    check.Add(host.Left(), SLICE);
    check.Add(host.Right(), SLICE);
    ASSERT_TRUE(check.Clean()) << "slice " << s << ": " << Describe(check);
    ASSERT_LT(check.peak, PEAK_BOUND) << "slice " << s;
    total.Add(host.Left(), SLICE);
    total.Add(host.Right(), SLICE);
  }
  RecordProperty("peak", std::to_string(total.peak));
}

// Every host parameter through 0, 1 and a random value, each followed by a
// few slices with notes held; the value read back is the value set.
TEST(Automation, EveryParameterThroughItsEndsAndRandomValues) {
  CHostHarness host;
  ASSERT_EQ(host.Start(48000.0, 256), noErr);
  std::mt19937 rng(77);
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  const std::vector<float> initial = host.GetAllParams();
  for (UInt8 note : {45, 57, 64}) host.NoteOn(0, note, 110, 0);
  const UInt32 slicesPerValue = ReducedGrid() ? 1 : 3;

  for (UInt32 index = 0; index < CHostHarness::PARAM_COUNT; ++index) {
    for (float value : {0.0f, 1.0f, unit(rng)}) {
      ASSERT_EQ(host.SetParam(index, value), noErr) << index;
      SAMPLE_CHECK check;
      ASSERT_EQ(host.RenderFor(slicesPerValue * SLICE, SLICE, nullptr, nullptr, &check), noErr)
          << "parameter " << index << " = " << value;
      EXPECT_TRUE(check.Clean()) << "parameter " << index << " = " << value << ": "
                                 << Describe(check);
      EXPECT_LT(check.peak, PEAK_BOUND) << "parameter " << index << " = " << value;
      EXPECT_EQ(host.GetParam(index), value) << "parameter " << index;
    }
    // Back to where it was, so each parameter is swept against the factory sound.
    host.SetParam(index, initial[index]);
    // Keep the notes sounding (a swept parameter may have ended them).
    if (index % 16 == 15) {
      host.Controller(0, 123, 0, 0);
      for (UInt8 note : {45, 57, 64}) host.NoteOn(0, note, 110, 1);
    }
  }
}

// Values a careless host sends: outside 0..1, non-finite, huge. They must
// not reach the audio as NaN or runaway levels, nor be read out of bounds
// (the sanitizer builds check that).
TEST(Automation, ValuesOutsideTheRangeStayHarmless) {
  CHostHarness host;
  ASSERT_EQ(host.Start(44100.0, 256), noErr);
  for (UInt8 note : {40, 52, 59, 67}) host.NoteOn(0, note, 100, 0);
  const float odd[] = {-1.0f, 2.0f, 1.0e30f, -1.0e30f, NAN, INFINITY, -INFINITY, 1.0e-40f};
  const std::vector<float> initial = host.GetAllParams();
  SAMPLE_CHECK total;
  for (UInt32 index = 0; index < CHostHarness::PARAM_COUNT; ++index) {
    for (float value : odd) host.SetParam(index, value);
    SAMPLE_CHECK check;
    ASSERT_EQ(host.RenderFor(SLICE, SLICE, nullptr, nullptr, &check), noErr) << index;
    EXPECT_TRUE(check.Clean()) << "parameter " << index << ": " << Describe(check);
    EXPECT_LT(check.peak, PEAK_BOUND) << "parameter " << index;
    const float readBack = host.GetParam(index);
    EXPECT_TRUE(std::isfinite(readBack)) << "parameter " << index << " reads " << readBack;
    host.SetParam(index, initial[index]);
  }
  // Several at once, then a while of rendering.
  std::mt19937 rng(5);
  for (int round = 0; round < 40; ++round) {
    for (int k = 0; k < 10; ++k)
      host.SetParam(static_cast<UInt32>(rng() % CHostHarness::PARAM_COUNT),
                    odd[rng() % (sizeof(odd) / sizeof(odd[0]))]);
    ASSERT_EQ(host.RenderFor(4 * SLICE, SLICE, nullptr, nullptr, &total), noErr) << round;
  }
  EXPECT_TRUE(total.Clean()) << Describe(total);
  EXPECT_LT(total.peak, COMBINED_PEAK_BOUND);
}

}  // namespace
