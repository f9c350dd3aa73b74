#include <gtest/gtest.h>

#include <vector>

#include "engine/AccessLock.h"
#include "engine/SampleRecorder.h"

namespace {

class SampleRecorderTest : public ::testing::Test {
 protected:
  SampleRecorderTest() : rec(&lock) {}

  // Records frames as they are (left) and negated (right) in one slice.
  void Record(const std::vector<float>& frames) {
    rec.Arm(100.0f);  // room for 6000 frames
    rec.Start(100.0f);
    std::vector<float> l(frames), r(frames);
    for (float& v : r) v = -v;
    rec.Process(l.data(), r.data(), static_cast<unsigned int>(l.size()));
    rec.Stop();
  }
  std::vector<float> Left() {
    float *l, *r;
    unsigned int n;
    rec.GetRecording(&l, &r, n);
    return n ? std::vector<float>(l, l + n) : std::vector<float>();
  }
  bool RightIsNegatedLeft() {
    float *l, *r;
    unsigned int n;
    rec.GetRecording(&l, &r, n);
    for (unsigned int i = 0; i < n; ++i)
      if (r[i] != -l[i]) return false;
    return true;
  }
  // One playback slice of n frames over an output holding `fill`.
  std::vector<float> Play(unsigned int n, float fill = 9.0f) {
    std::vector<float> l(n, fill), r(n, fill);
    rec.Process(l.data(), r.data(), n);
    return l;
  }
  static std::vector<float> Ramp(unsigned int n) {
    std::vector<float> v(n);
    for (unsigned int i = 0; i < n; ++i) v[i] = static_cast<float>(i + 1);
    return v;
  }

  CAccessLock lock;
  CSampleRecorder rec;
};

TEST_F(SampleRecorderTest, CapacityIsSixtySecondsOfTheHostRate) {
  rec.Arm(44100.0f);
  EXPECT_EQ(2646000u, rec.GetCapacity());
  rec.Arm(0.0f);  // no rate: the buffer stays as it is
  EXPECT_EQ(2646000u, rec.GetCapacity());
}

TEST_F(SampleRecorderTest, CapturesUntilFullThenStopsInTheNextSlice) {
  rec.Arm(10.0f);  // 600 frames
  rec.Start(10.0f);
  std::vector<float> l(256), r(256);
  unsigned int written = 0;
  for (int slice = 0; slice < 3; ++slice) {
    for (unsigned int i = 0; i < 256; ++i) l[i] = r[i] = static_cast<float>(written + i);
    rec.Process(l.data(), r.data(), 256);
    written += 256;
    EXPECT_TRUE(rec.IsRecording()) << slice;
  }
  EXPECT_EQ(600u, rec.GetLength());
  rec.Process(l.data(), r.data(), 256);
  EXPECT_FALSE(rec.IsRecording());
  EXPECT_EQ(600u, rec.GetLength());
  const std::vector<float> got = Left();
  for (unsigned int i = 0; i < 600; ++i) ASSERT_EQ(static_cast<float>(i), got[i]);
}

TEST_F(SampleRecorderTest, NothingIsRecordedWhilePlaybackRuns) {
  Record(Ramp(4));
  rec.StartInPlace();
  rec.StartPlayback();
  Play(2);
  EXPECT_EQ(0u, rec.GetLength());
  EXPECT_TRUE(rec.IsRecording());
}

TEST_F(SampleRecorderTest, NoRecordingReportsNullBuffers) {
  rec.Arm(100.0f);
  rec.Start(100.0f);
  float* l = reinterpret_cast<float*>(1);
  float* r = l;
  unsigned int n = 7;
  rec.GetRecording(&l, &r, n);
  EXPECT_EQ(nullptr, l);
  EXPECT_EQ(nullptr, r);
  EXPECT_EQ(0u, n);
}

TEST_F(SampleRecorderTest, StartingFromTheRenderThreadReusesTheArmedBuffer) {
  EXPECT_FALSE(rec.StartInPlace());  // never armed: no buffer, nothing starts
  EXPECT_FALSE(rec.IsRecording());
  Record(Ramp(3));
  float *before, *r;
  unsigned int n;
  rec.GetRecording(&before, &r, n);
  ASSERT_TRUE(rec.StartInPlace());
  std::vector<float> a(2, 5.0f), b(2, 5.0f);
  rec.Process(a.data(), b.data(), 2);
  float* after;
  rec.GetRecording(&after, &r, n);
  EXPECT_EQ(before, after);
  EXPECT_EQ((std::vector<float>{5, 5}), Left());
}

TEST_F(SampleRecorderTest, DeleteKeepsTheBufferOnlyWhileArmed) {
  Record(Ramp(3));
  rec.Delete();
  EXPECT_EQ(0u, rec.GetLength());
  EXPECT_EQ(6000u, rec.GetCapacity());
  EXPECT_TRUE(rec.StartInPlace());
  rec.Disarm();
  rec.Delete();
  EXPECT_EQ(0u, rec.GetCapacity());
  EXPECT_FALSE(rec.StartInPlace());
}

TEST_F(SampleRecorderTest, CropRemovesLeadingAndTrailingSilence) {
  struct Case {
    std::vector<float> in, out;
  } cases[] = {
      {{0, 0, 0.5f, 0, -0.3f, 0, 0}, {0.5f, 0, -0.3f}},
      {{0, 0, 0, 0}, {0, 0, 0, 0}},        // all silent: unchanged
      {{0, 0, 0.7f, 0}, {0, 0, 0.7f, 0}},  // a single sounding frame: unchanged
      {{1e-9f, 0.2f, 0.3f}, {0.2f, 0.3f}},
  };
  for (const Case& c : cases) {
    Record(c.in);
    rec.Crop();
    EXPECT_EQ(c.out, Left());
    EXPECT_TRUE(RightIsNegatedLeft());
  }
}

TEST_F(SampleRecorderTest, TrimKeepsTheRegionAndEveryFrameOfTheWhole) {
  struct Case {
    unsigned int n;
    float start, end;
    unsigned int first, count;
  } cases[] = {
      // Fractions of the last frame index; both ends belong to the region.
      {101, 0.25f, 0.75f, 25, 51},
      {10, 2.f / 9.f, 5.f / 9.f, 2, 4},
      {5, 0.0f, 1.0f, 0, 5},  // the whole: nothing dropped
      {2, 0.0f, 1.0f, 0, 2},
      {10, 0.5f, 0.5f, 0, 10},  // a region of one frame: unchanged
      {10, 0.9f, 0.2f, 0, 10},  // end before start: one frame, unchanged
  };
  for (const Case& c : cases) {
    Record(Ramp(c.n));
    rec.SetLoop(c.start, c.end);
    rec.Trim();
    const std::vector<float> all = Ramp(c.n);
    EXPECT_EQ(std::vector<float>(all.begin() + c.first, all.begin() + c.first + c.count), Left())
        << c.n << " " << c.start << " " << c.end;
    EXPECT_TRUE(RightIsNegatedLeft());
  }
}

TEST_F(SampleRecorderTest, ReverseSwapsFrameOrder) {
  Record({1, 2, 3, 4, 5});
  rec.Reverse();
  EXPECT_EQ((std::vector<float>{5, 4, 3, 2, 1}), Left());
  EXPECT_TRUE(RightIsNegatedLeft());
  Record({1});
  rec.Reverse();
  EXPECT_EQ((std::vector<float>{1}), Left());
}

TEST_F(SampleRecorderTest, EditsWaitForTheRecordingToStop) {
  Record({0, 1, 2, 0});
  rec.StartInPlace();
  std::vector<float> a{0, 3, 0}, b{0, 3, 0};
  rec.Process(a.data(), b.data(), 3);
  rec.Crop();
  rec.Reverse();
  EXPECT_EQ((std::vector<float>{0, 3, 0}), Left());
}

TEST_F(SampleRecorderTest, WholeRecordingPlaysOnceArmedOrNot) {
  for (bool armed : {true, false}) {
    Record(Ramp(5));
    if (!armed) rec.Disarm();
    rec.StartPlayback();
    EXPECT_EQ((std::vector<float>{1, 2, 3}), Play(3));
    EXPECT_TRUE(rec.IsPlaying());
    // The pass ends inside the slice; the rest keeps the synth's output.
    EXPECT_EQ((std::vector<float>{4, 5, 9, 9}), Play(4));
    EXPECT_FALSE(rec.IsPlaying());
    EXPECT_EQ((std::vector<float>{9, 9}), Play(2));
  }
}

TEST_F(SampleRecorderTest, RegionLoopsWhileArmedAndPlaysOnceOtherwise) {
  Record(Ramp(10));
  rec.SetLoop(CSampleRecorder::FractionOf(2, 10), CSampleRecorder::FractionOf(4, 10));  // frames 2-4
  rec.StartPlayback();
  EXPECT_EQ((std::vector<float>{3, 4, 5, 9}), Play(4));
  EXPECT_EQ((std::vector<float>{3, 4, 5, 9}), Play(4));
  EXPECT_TRUE(rec.IsPlaying());
  rec.Disarm();
  EXPECT_EQ((std::vector<float>{3, 4, 5, 9}), Play(4));
  EXPECT_FALSE(rec.IsPlaying());
}

TEST_F(SampleRecorderTest, RegionShrinkingDuringPlaybackEndsOnItsLastFrame) {
  Record(Ramp(10));
  rec.Disarm();
  rec.StartPlayback();
  Play(6);
  rec.SetLoop(0.0f, CSampleRecorder::FractionOf(2, 10));  // frames 0-2, position 6 is past it
  EXPECT_EQ((std::vector<float>{3, 9}), Play(2));
  EXPECT_FALSE(rec.IsPlaying());
}

TEST_F(SampleRecorderTest, EmptyOrMissingRecordingPlaysSilenceAndEnds) {
  rec.StartPlayback();  // no buffer at all: ends at once, output kept
  EXPECT_EQ((std::vector<float>{9, 9}), Play(2));
  EXPECT_FALSE(rec.IsPlaying());

  rec.Arm(100.0f);
  rec.Start(100.0f);  // buffer, but nothing recorded
  rec.StartPlayback();
  EXPECT_EQ((std::vector<float>{0, 0, 0}), Play(3));
  EXPECT_FALSE(rec.IsPlaying());
}

// The editor hands marker positions (frame indices) to the recorder as
// fractions; the region must come back as exactly those frames, also for the
// longest takes (60 s at 192 kHz and beyond).
TEST_F(SampleRecorderTest, MarkerFractionsComeBackAsTheSameFrames) {
  const unsigned int lengths[] = {2, 3, 10, 101, 2646000, 11520000, 16777216};
  for (unsigned int n : lengths) {
    const unsigned int picks[] = {0, 1, n / 3, n / 2, n - 2, n - 1};
    for (unsigned int a : picks) {
      for (unsigned int b : picks) {
        if (b < a) continue;
        unsigned int first = 0, length = 0;
        CSampleRecorder::GetRegion(n, CSampleRecorder::FractionOf(a, n), CSampleRecorder::FractionOf(b, n), first,
                                   length);
        EXPECT_EQ(a, first) << n << " " << a << " " << b;
        EXPECT_EQ(b - a + 1, length) << n << " " << a << " " << b;
      }
    }
  }
  EXPECT_EQ(0.f, CSampleRecorder::FractionOf(0, 1));
  EXPECT_EQ(1.f, CSampleRecorder::FractionOf(7, 5));  // past the end: the last frame
}

TEST_F(SampleRecorderTest, CopyFollowsAppendsAndReportsOtherChangesByGeneration) {
  Record(Ramp(6));
  std::vector<float> l(10, -1.f), r(10, -1.f);
  unsigned int frames = 0, generation = 0;
  EXPECT_EQ(0u, rec.Copy(0, 0, nullptr, nullptr, frames, generation));  // only reports
  EXPECT_EQ(6u, frames);
  const unsigned int first = generation;
  EXPECT_EQ(4u, rec.Copy(2, 10, l.data(), r.data(), frames, generation));
  EXPECT_EQ((std::vector<float>{3, 4, 5, 6}), std::vector<float>(l.begin(), l.begin() + 4));
  EXPECT_EQ(-3.f, r[0]);

  // Appending keeps the generation; an edit, a restart or a deletion changes it.
  rec.StartInPlace();
  unsigned int afterRestart = 0;
  rec.Copy(0, 0, nullptr, nullptr, frames, afterRestart);
  EXPECT_NE(first, afterRestart);
  std::vector<float> a{7, 8}, b{7, 8};
  rec.Process(a.data(), b.data(), 2);
  rec.Copy(0, 0, nullptr, nullptr, frames, generation);
  EXPECT_EQ(afterRestart, generation);
  EXPECT_EQ(2u, frames);
  rec.Stop();
  rec.Reverse();
  rec.Copy(0, 0, nullptr, nullptr, frames, generation);
  EXPECT_NE(afterRestart, generation);
  const unsigned int afterReverse = generation;
  rec.Delete();
  EXPECT_EQ(0u, rec.Copy(0, 10, l.data(), r.data(), frames, generation));
  EXPECT_EQ(0u, frames);
  EXPECT_NE(afterReverse, generation);
}

}  // namespace
