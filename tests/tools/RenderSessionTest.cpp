#include "tools/render/RenderSession.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "ToolsTestUtil.h"
#include "WavTestUtil.h"
#include "tools/render/WavOut.h"

namespace {

// Records what the render loop hands the unit, with absolute frames, and
// writes each block's first absolute frame number into the audio.
class CRecordingUnit : public IRenderUnit {
 public:
  explicit CRecordingUnit(const CRenderSession& session) : m_session(session) {}

  struct RECEIVED {
    uint64_t frame;
    uint8_t status, data1;
    uint32_t offset;
  };

  bool SendMidi(uint8_t status, uint8_t data1, uint8_t data2, uint32_t offset,
                std::string& error) override {
    m_pending.push_back({0, status, data1, offset});
    return true;
  }

  bool Render(uint32_t frames, float* left, float* right, std::string& error) override {
    const HOST_TRANSPORT& t = m_session.Transport();
    EXPECT_EQ(static_cast<uint64_t>(t.samplePosition), m_position);
    for (RECEIVED& r : m_pending) {
      EXPECT_LT(r.offset, frames);
      r.frame = m_position + r.offset;
      m_received.push_back(r);
    }
    m_pending.clear();
    beats.push_back({m_position, t.beat, t.tempo});
    for (uint32_t i = 0; i < frames; ++i) {
      left[i] = static_cast<float>(m_position + i);
      right[i] = -left[i];
    }
    m_position += frames;
    ++m_blocks;
    return !failAfter || m_blocks < failAfter;
  }

  struct BEAT {
    uint64_t frame;
    double beat, tempo;
  };
  std::vector<BEAT> beats;
  uint32_t failAfter = 0;
  const std::vector<RECEIVED>& Received() const { return m_received; }

 private:
  const CRenderSession& m_session;
  std::vector<RECEIVED> m_pending, m_received;
  uint64_t m_position = 0;
  uint32_t m_blocks = 0;
};

CMidiScore TestScore() {
  CMidiScore score;
  score.Clear(120.0);
  score.AddTempo(2.0, 60.0);  // from 1 s on, one beat per second
  score.Add(0.0, 0x90, 60, 100);
  score.Add(0.001, 0xB0, 1, 10);
  score.Add(0.5, 0x80, 60, 0);
  score.Add(0.5, 0x90, 62, 100);
  score.Add(1.2345, 0xE0, 0, 64);
  score.Add(1.5, 0x80, 62, 0);
  score.Sort();
  return score;
}

}  // namespace

TEST(RenderSession, MessagesLandOnTheirFramesForAnyBlockSize) {
  const CMidiScore score = TestScore();
  for (double rate : {44100.0, 48000.0, 96000.0}) {
    for (uint32_t block : {1u, 137u, 512u, 4096u}) {
      SCOPED_TRACE(testing::Message() << rate << " Hz, block " << block);
      CRenderSession session(rate, block);
      CRecordingUnit unit(session);
      RENDER_RESULT result;
      std::string error;
      ASSERT_TRUE(session.Run(score, 0.25, unit, result, error)) << error;

      // Every message arrives once, in order, at the frame of its time.
      ASSERT_EQ(unit.Received().size(), score.Events().size());
      for (size_t i = 0; i < score.Events().size(); ++i) {
        EXPECT_EQ(unit.Received()[i].frame, CMidiScore::FrameOf(score.Events()[i].seconds, rate));
        EXPECT_EQ(unit.Received()[i].status, score.Events()[i].status);
      }
      // The audio is the blocks in order with nothing missing: 1.75 s.
      EXPECT_EQ(result.frames, CMidiScore::FrameOf(1.75, rate));
      ASSERT_EQ(result.left.size(), result.frames);
      const uint64_t checks[] = {0, 1, result.frames / 3, result.frames - 1};
      for (uint64_t f : checks) {
        EXPECT_EQ(result.left[f], static_cast<float>(f));
        EXPECT_EQ(result.right[f], -static_cast<float>(f));
      }
      // The transport follows the tempo map at each block's first frame.
      for (const auto& b : unit.beats) {
        const double seconds = b.frame / rate;
        EXPECT_NEAR(b.beat, seconds < 1.0 ? seconds * 2.0 : 2.0 + (seconds - 1.0), 1e-9);
        EXPECT_DOUBLE_EQ(b.tempo, seconds < 1.0 ? 120.0 : 60.0);
      }
    }
  }
}

TEST(RenderSession, UnitFailureStopsTheRun) {
  const CMidiScore score = TestScore();
  CRenderSession session(44100.0, 512);
  CRecordingUnit unit(session);
  unit.failAfter = 3;
  RENDER_RESULT result;
  std::string error;
  EXPECT_FALSE(session.Run(score, 0.0, unit, result, error));
  EXPECT_EQ(unit.beats.size(), 3u);
}

TEST(RenderSession, LevelsAreMeasuredInDecibelsAndNonFiniteIsFlagged) {
  RENDER_RESULT r;
  r.frames = 4;
  r.left = {0.5f, -0.5f, 0.5f, -0.5f};
  r.right = {0.5f, -0.5f, 0.5f, -0.5f};
  RENDER_LEVELS levels = MeasureLevels(r);
  EXPECT_NEAR(levels.peakDb, -6.0206, 1e-3);
  EXPECT_NEAR(levels.rmsDb, -6.0206, 1e-3);
  EXPECT_TRUE(levels.finite);

  r.right[2] = std::numeric_limits<float>::quiet_NaN();
  EXPECT_FALSE(MeasureLevels(r).finite);

  r.left.assign(4, 0.0f);
  r.right.assign(4, 0.0f);
  levels = MeasureLevels(r);
  EXPECT_LT(levels.peakDb, -200.0);
  EXPECT_LT(levels.rmsDb, -200.0);
}

// The meter works four samples at a time while they are finite and sample by
// sample from the first group that is not; the figures must not depend on
// where a block starts, how long it is, or where a NaN or infinity sits.
TEST(RenderSession, LevelsMatchADirectMeasureForEveryLengthAndNonFinitePlace) {
  const float bad[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                       -std::numeric_limits<float>::infinity()};
  for (uint32_t frames : {0u, 1u, 3u, 4u, 5u, 8u, 13u, 256u, 1001u}) {
    for (int badAt = -1; badAt < 6; ++badAt) {
      SCOPED_TRACE(testing::Message() << frames << " frames, non-finite at " << badAt);
      RENDER_RESULT r;
      r.frames = frames;
      for (uint32_t i = 0; i < frames; ++i) {
        r.left.push_back(std::sin(0.37f * static_cast<float>(i)) * (1.0f + 0.001f * static_cast<float>(i)));
        r.right.push_back(-0.25f * std::cos(0.11f * static_cast<float>(i)));
      }
      const uint32_t at = badAt < 0 ? frames : static_cast<uint32_t>(badAt) * (frames / 5);
      if (at < frames) r.right[at] = bad[badAt % 3];
      double peak = 0.0, sum = 0.0;
      uint64_t count = 0;
      for (const std::vector<float>* channel : {&r.left, &r.right})
        for (float s : *channel)
          if (std::isfinite(s)) {
            peak = std::max(peak, static_cast<double>(std::fabs(s)));
            sum += static_cast<double>(s) * s;
            ++count;
          }
      // The same figures when the render arrives in uneven blocks.
      CLevelMeter blocks;
      for (uint32_t i = 0; i < frames;) {
        const uint32_t n = std::min<uint32_t>(frames - i, 1 + i % 7);
        blocks.Add(r.left.data() + i, r.right.data() + i, n);
        i += n;
      }
      for (const RENDER_LEVELS& levels : {MeasureLevels(r), blocks.Levels()}) {
        EXPECT_EQ(levels.finite, at >= frames);
        if (peak > 0.0) {
          EXPECT_DOUBLE_EQ(levels.peakDb, 20.0 * std::log10(peak));
          EXPECT_NEAR(levels.rmsDb, 20.0 * std::log10(std::sqrt(sum / count)), 1e-9);
        }
      }
    }
  }
}

// Blocks of any length are interleaved left, right in the file.
TEST(RenderSession, WavBlocksInterleaveTheChannelsInOrder) {
  CScratchDir dir;
  const std::string path = dir.File("out.wav");
  std::vector<float> left, right;
  for (int i = 0; i < 23; ++i) {
    left.push_back(static_cast<float>(i) + 0.5f);
    right.push_back(-static_cast<float>(i) - 0.25f);
  }
  {
    COutputFile file;
    std::string error;
    ASSERT_TRUE(file.Open(path, nullptr, error)) << error;
    CWavSink sink(file);
    ASSERT_TRUE(sink.Begin(left.size(), 44100, error)) << error;
    for (size_t i = 0, n = 1; i < left.size(); i += n, n += 2) {
      n = std::min(n, left.size() - i);
      ASSERT_TRUE(sink.Write(left.data() + i, right.data() + i, static_cast<uint32_t>(n), error)) << error;
    }
    ASSERT_TRUE(file.Finish(error)) << error;
    ASSERT_TRUE(file.Commit(error)) << error;
  }
  const STEREO_WAV wav = ReadStereoWav(path);
  ASSERT_TRUE(wav.ok);
  EXPECT_EQ(wav.left, left);
  EXPECT_EQ(wav.right, right);
}
