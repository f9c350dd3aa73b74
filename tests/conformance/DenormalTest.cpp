// Release tails decaying into silence are where subnormal numbers appear
// (and where they cost most on the processor). The instrument renders with
// flush-to-zero and denormals-are-zero on, whatever the caller's mode, so no
// subnormal sample may ever leave it; timing is left to the benchmarks.

#include <gtest/gtest.h>

#include <string>

#include "tests/conformance/HostHarness.h"

namespace {

// Host index of the amplitude envelope's release (synth id 151).
const UInt32 HOST_AMP_RELEASE = 133;

TEST(Denormals, LongReleaseTailIntoSilenceStaysNormal) {
  CHostHarness host;
  ASSERT_EQ(host.Start(44100.0, 256), noErr);
  ASSERT_EQ(host.SetParam(HOST_AMP_RELEASE, 0.6f), noErr);
  // The caller runs without flush-to-zero, as most hosts' threads do.
  CFloatControlWordScope callerMode(0x1F80);

  for (UInt8 note : {33, 45, 57, 69, 81}) host.NoteOn(0, note, 127, 0);
  SAMPLE_CHECK sounding;
  ASSERT_EQ(host.RenderFor(22050, 256, nullptr, nullptr, &sounding), noErr);
  EXPECT_GT(sounding.peak, 1e-3f);
  for (UInt8 note : {33, 45, 57, 69, 81}) host.NoteOff(0, note, 0);

  // The whole tail, block by block, down to silence and one second beyond.
  const UInt32 maxFrames = 40 * 44100;
  const UInt32 silentFramesWanted = 44100;
  UInt32 silentFrames = 0;
  UInt32 done = 0;
  SAMPLE_CHECK tail;
  for (; done < maxFrames && silentFrames < silentFramesWanted; done += 256) {
    ASSERT_EQ(host.Render(256), noErr);
    SAMPLE_CHECK block;
    block.Add(host.Left(), 256);
    block.Add(host.Right(), 256);
    ASSERT_TRUE(block.Clean()) << "at frame " << done << ": " << block.subnormals
                               << " subnormal, " << block.nans << " NaN";
    silentFrames = block.peak < 1e-5f ? silentFrames + 256 : 0;
    tail.Add(host.Left(), 256);
    tail.Add(host.Right(), 256);
  }
  EXPECT_GE(silentFrames, silentFramesWanted) << "the tail did not decay in " << done << " frames";
  RecordProperty("tail_frames", std::to_string(done));
  EXPECT_TRUE(tail.Clean());
  // Inside the render the mode was flush-to-zero and denormals-are-zero; the
  // caller's mode is back.
  if (HaveFloatControlWord()) {
    EXPECT_EQ(host.MxcsrInsideRender() & (MXCSR_FLUSH_TO_ZERO | MXCSR_DENORMALS_ARE_ZERO),
              MXCSR_FLUSH_TO_ZERO | MXCSR_DENORMALS_ARE_ZERO);
    EXPECT_EQ(ReadFloatControlWord(), 0x1F80u);
  }
}

}  // namespace
