// Release tails decaying into silence are where subnormal numbers appear
// (and where they cost most on the processor). The instrument renders with
// flush-to-zero and denormals-are-zero on, whatever the caller's mode, so no
// subnormal sample may ever leave it; timing is left to the benchmarks.

#include <gtest/gtest.h>

#include "tests/conformance/HostHarness.h"

namespace {

// Host index of the amplitude envelope's release (synth id 151).
const UInt32 HOST_AMP_RELEASE = 133;

TEST(Denormals, LongReleaseTailIntoSilenceStaysNormal) {
  CHostHarness host;
  ASSERT_EQ(host.Start(44100.0, 256), noErr);
  ASSERT_EQ(host.SetParam(HOST_AMP_RELEASE, 0.7f), noErr);
  // The caller runs without flush-to-zero, as most hosts' threads do.
  CFloatControlWordScope callerMode(0x1F80);

  for (UInt8 note : {33, 45, 57, 69, 81}) host.NoteOn(0, note, 127, 0);
  SAMPLE_CHECK sounding;
  ASSERT_EQ(host.RenderFor(22050, 256, nullptr, nullptr, &sounding), noErr);
  EXPECT_GT(sounding.peak, 1e-3f);
  for (UInt8 note : {33, 45, 57, 69, 81}) host.NoteOff(0, note, 0);

  // The whole tail, block by block, down to silence and beyond.
  const UInt32 seconds = ReducedGrid() ? 4 : 20;
  SAMPLE_CHECK tail;
  float lastPeak = 1.0f;
  for (UInt32 done = 0; done < seconds * 44100; done += 256) {
    ASSERT_EQ(host.Render(256), noErr);
    SAMPLE_CHECK block;
    block.Add(host.Left(), 256);
    block.Add(host.Right(), 256);
    ASSERT_TRUE(block.Clean()) << "at frame " << done << ": " << block.subnormals
                               << " subnormal, " << block.nans << " NaN";
    lastPeak = block.peak;
    tail.Add(host.Left(), 256);
    tail.Add(host.Right(), 256);
  }
  EXPECT_TRUE(tail.Clean());
  EXPECT_LT(lastPeak, 1e-4f) << "the tail did not decay";
  // Inside the render the mode was flush-to-zero and denormals-are-zero; the
  // caller's mode is back.
  if (HaveFloatControlWord()) {
    EXPECT_EQ(host.MxcsrInsideRender() & (MXCSR_FLUSH_TO_ZERO | MXCSR_DENORMALS_ARE_ZERO),
              MXCSR_FLUSH_TO_ZERO | MXCSR_DENORMALS_ARE_ZERO);
    EXPECT_EQ(ReadFloatControlWord(), 0x1F80u);
  }
}

}  // namespace
