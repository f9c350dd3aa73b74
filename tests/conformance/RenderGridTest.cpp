// What plug-in validators check on every render call, through the Audio
// Unit interface only: rates and block sizes of real hosts, notes on random
// channels with frame offsets, every sample finite and normal, the caller's
// floating-point mode untouched, the block never overrun; blocks above the
// announced maximum, zero-frame calls and sample-rate changes while running.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "tests/conformance/HostHarness.h"

namespace {

const UInt32 BLOCK_SIZES[] = {1, 7, 32, 64, 137, 512, 1024, 4096};

// Renders about `seconds` of audio (at most maxCalls blocks) in blocks of
// `block` frames while notes start and stop on random channels at random
// offsets, checking every block. Returns the check over the whole run.
SAMPLE_CHECK PlayRandomNotes(CHostHarness& host, UInt32 block, double seconds, UInt32 maxCalls,
                             unsigned seed, unsigned int callerWord) {
  std::mt19937 rng(seed);
  SAMPLE_CHECK total;
  const UInt32 blocks = std::min(
      maxCalls, std::max<UInt32>(4, static_cast<UInt32>(seconds * host.SampleRate() / block)));
  std::vector<std::pair<UInt8, UInt8>> held;  // channel, note
  for (UInt32 b = 0; b < blocks; ++b) {
    // Some MIDI for this block: starts while fewer than 8 notes sound, stops otherwise.
    const int messages = static_cast<int>(rng() % 3);
    for (int m = 0; m < messages; ++m) {
      const UInt32 offset = static_cast<UInt32>(rng() % block);
      if (held.size() < 8 && rng() % 3 != 0) {
        const UInt8 channel = static_cast<UInt8>(rng() % 16);
        const UInt8 note = static_cast<UInt8>(24 + rng() % 84);
        EXPECT_EQ(host.NoteOn(channel, note, static_cast<UInt8>(1 + rng() % 127), offset), noErr);
        held.emplace_back(channel, note);
      } else if (!held.empty()) {
        const size_t k = rng() % held.size();
        EXPECT_EQ(host.NoteOff(held[k].first, held[k].second, offset), noErr);
        held.erase(held.begin() + static_cast<long>(k));
      }
    }
    if (HaveFloatControlWord()) WriteFloatControlWord(callerWord);
    const OSStatus err = host.Render(block);
    const unsigned int after = ReadFloatControlWord();
    EXPECT_EQ(err, noErr) << "block " << b;
    if (HaveFloatControlWord()) {
      EXPECT_EQ(after, callerWord) << "caller's control word changed by block " << b;
    }
    EXPECT_FALSE(host.OverrunDetected()) << "render wrote past its block " << b;
    SAMPLE_CHECK check;
    check.Add(host.Left(), block);
    check.Add(host.Right(), block);
    if (!check.Clean()) {
      ADD_FAILURE() << "block " << b << ": " << check.nans << " NaN, " << check.infinities
                    << " infinite, " << check.subnormals << " subnormal samples";
      break;
    }
    total.Add(host.Left(), block);
    total.Add(host.Right(), block);
  }
  for (const auto& note : held) host.NoteOff(note.first, note.second, 0);
  return total;
}

struct GRID_CASE {
  double rate;
  UInt32 block;
};

std::vector<GRID_CASE> GridCases() {
  std::vector<GRID_CASE> cases;
  for (double rate : {44100.0, 48000.0, 96000.0})
    for (UInt32 block : BLOCK_SIZES) cases.push_back({rate, block});
  // The rare rates once each.
  cases.push_back({22050.0, 137});
  cases.push_back({192000.0, 512});
  return cases;
}

std::string CaseName(const ::testing::TestParamInfo<GRID_CASE>& info) {
  return "Rate" + std::to_string(static_cast<int>(info.param.rate)) + "Block" +
         std::to_string(info.param.block);
}

class RenderGridTest : public ::testing::TestWithParam<GRID_CASE> {};

TEST_P(RenderGridTest, EveryBlockFiniteNormalAndCallerModeKept) {
  const GRID_CASE c = GetParam();
  CHostHarness host;
  ASSERT_TRUE(host.IsOpen());
  ASSERT_EQ(host.Start(c.rate, std::max<UInt32>(c.block, 1024)), noErr);
  // Under sanitizers and in unoptimised builds the grid plays less audio.
  const double seconds = ReducedGrid() ? 0.04 : 0.25;
  const UInt32 maxCalls = ReducedGrid() ? 60 : 1500;
  // The usual caller's mode, then one with flush-to-zero, denormals-are-zero
  // and round-toward-zero already set: both must come back unchanged.
  const unsigned int plain = 0x1F80;
  const unsigned int flushing = 0x1F80 | MXCSR_FLUSH_TO_ZERO | MXCSR_DENORMALS_ARE_ZERO | 0x6000;
  const unsigned int saved = ReadFloatControlWord();
  const SAMPLE_CHECK first = PlayRandomNotes(host, c.block, seconds, maxCalls, 7 + c.block, plain);
  const SAMPLE_CHECK second = PlayRandomNotes(host, c.block, seconds / 2, maxCalls / 2, 11 + c.block, flushing);
  WriteFloatControlWord(saved);
  EXPECT_TRUE(first.Clean());
  EXPECT_TRUE(second.Clean());
  // Notes were heard, and nothing ran away.
  EXPECT_GT(first.peak, 1e-4f);
  EXPECT_LT(first.peak, 16.0f);
  EXPECT_LT(second.peak, 16.0f);

  // The instrument renders inside flush-to-zero and denormals-are-zero: the
  // time callback it calls from its render sees them.
  if (HaveFloatControlWord()) {
    ASSERT_GT(host.TimeCallbacksSeen(), 0u);
    EXPECT_EQ(host.MxcsrInsideRender() & (MXCSR_FLUSH_TO_ZERO | MXCSR_DENORMALS_ARE_ZERO),
              MXCSR_FLUSH_TO_ZERO | MXCSR_DENORMALS_ARE_ZERO);
  }
}

INSTANTIATE_TEST_SUITE_P(Grid, RenderGridTest, ::testing::ValuesIn(GridCases()), CaseName);

}  // namespace
