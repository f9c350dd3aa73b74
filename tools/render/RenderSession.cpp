#include "tools/render/RenderSession.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/Simd.h"
#if defined(MORLAVINE_SSE2)
#include <emmintrin.h>
#endif

CRenderSession::CRenderSession(double sampleRate, uint32_t blockFrames)
    : m_sampleRate(sampleRate > 0.0 ? sampleRate : 44100.0),
      m_blockFrames(blockFrames > 0 ? blockFrames : 1) {}

uint64_t CRenderSession::TotalFrames(const CMidiScore& score, double tailSeconds) const {
  if (!(tailSeconds >= 0.0)) tailSeconds = 0.0;
  const uint64_t frames = CMidiScore::FrameOf(score.EndSeconds() + tailSeconds, m_sampleRate);
  // The block holding the last message is always rendered.
  return std::max<uint64_t>(frames, CMidiScore::FrameOf(score.EndSeconds(), m_sampleRate) + 1);
}

bool CRenderSession::Settle(IRenderUnit& unit, double seconds, std::string& error) {
  const uint64_t total = CMidiScore::FrameOf(seconds, m_sampleRate);
  m_left.resize(m_blockFrames);
  m_right.resize(m_blockFrames);
  m_transport = HOST_TRANSPORT();
  m_transport.tempo = 120.0;
  for (uint64_t done = 0; done < total;) {
    const uint32_t frames = static_cast<uint32_t>(std::min<uint64_t>(m_blockFrames, total - done));
    if (!unit.Render(frames, m_left.data(), m_right.data(), error)) return false;
    done += frames;
  }
  return true;
}

bool CRenderSession::Run(const CMidiScore& score, double tailSeconds, IRenderUnit& unit,
                         IAudioSink& sink, std::string& error,
                         const std::function<void(uint64_t, uint64_t)>& progress) {
  const uint64_t total = TotalFrames(score, tailSeconds);
  m_left.resize(m_blockFrames);
  m_right.resize(m_blockFrames);

  const std::vector<TIMED_MIDI_EVENT>& events = score.Events();
  size_t next = 0;
  uint64_t position = 0;
  m_transport = HOST_TRANSPORT();
  while (position < total) {
    const uint32_t frames = static_cast<uint32_t>(std::min<uint64_t>(m_blockFrames, total - position));
    const double seconds = position / m_sampleRate;
    m_transport.changed = position == 0;
    m_transport.playing = true;
    m_transport.samplePosition = static_cast<double>(position);
    m_transport.beat = score.BeatAtSeconds(seconds);
    m_transport.tempo = score.TempoAtSeconds(seconds);

    // Every message due before the end of this block goes in with its offset
    // from the block's first frame.
    for (; next < events.size(); ++next) {
      const uint64_t frame = CMidiScore::FrameOf(events[next].seconds, m_sampleRate);
      if (frame >= position + frames) break;
      const uint32_t offset = frame > position ? static_cast<uint32_t>(frame - position) : 0;
      const TIMED_MIDI_EVENT& e = events[next];
      if (!unit.SendMidi(e.status, e.data1, e.data2, offset, error)) return false;
    }
    if (!unit.Render(frames, m_left.data(), m_right.data(), error)) return false;
    if (!sink.Write(m_left.data(), m_right.data(), frames, error)) return false;
    position += frames;
    if (progress) progress(position, total);
  }
  return true;
}

namespace {

class CMemorySink : public IAudioSink {
 public:
  explicit CMemorySink(RENDER_RESULT& result) : m_result(result) {}
  bool Write(const float* left, const float* right, uint32_t frames, std::string&) override {
    m_result.left.insert(m_result.left.end(), left, left + frames);
    m_result.right.insert(m_result.right.end(), right, right + frames);
    m_result.frames += frames;
    return true;
  }

 private:
  RENDER_RESULT& m_result;
};

}  // namespace

bool CRenderSession::Run(const CMidiScore& score, double tailSeconds, IRenderUnit& unit,
                         RENDER_RESULT& result, std::string& error,
                         const std::function<void(uint64_t, uint64_t)>& progress) {
  result = RENDER_RESULT();
  const uint64_t total = TotalFrames(score, tailSeconds);
  result.left.reserve(total);
  result.right.reserve(total);
  CMemorySink sink(result);
  return Run(score, tailSeconds, unit, sink, error, progress);
}

void CLevelMeter::Add(const float* left, const float* right, uint32_t frames) {
  // Locals stay in registers (the stores to the members could alias the
  // channels as far as the compiler knows).
  double peak = m_peak, sum = m_sum;
  uint64_t count = m_count;
  bool finite = m_finite;
  for (const float* channel : {left, right}) {
    uint32_t i = 0;
#if defined(MORLAVINE_SSE2)
    // Four samples at a time while all four are finite: the peak is kept in
    // float (|s| converts to double exactly) and the squares are summed in
    // four double lanes; the first group holding a NaN or an infinity and
    // everything after it go through the sample-by-sample loop below.
    const __m128 magnitudeMask = _mm_castsi128_ps(_mm_set1_epi32(0x7fffffff));
    const __m128 largest = _mm_set1_ps(std::numeric_limits<float>::max());
    __m128 peaks = _mm_setzero_ps();
    __m128d sumsLo = _mm_setzero_pd(), sumsHi = _mm_setzero_pd();
    for (; i + 4 <= frames; i += 4) {
      const __m128 v = _mm_loadu_ps(channel + i);
      const __m128 magnitude = _mm_and_ps(v, magnitudeMask);
      if (_mm_movemask_ps(_mm_cmple_ps(magnitude, largest)) != 15) break;
      peaks = _mm_max_ps(peaks, magnitude);
      const __m128d lo = _mm_cvtps_pd(v), hi = _mm_cvtps_pd(_mm_movehl_ps(v, v));
      sumsLo = _mm_add_pd(sumsLo, _mm_mul_pd(lo, lo));
      sumsHi = _mm_add_pd(sumsHi, _mm_mul_pd(hi, hi));
    }
    count += i;
    float lanePeaks[4];
    double laneSums[4];
    _mm_storeu_ps(lanePeaks, peaks);
    _mm_storeu_pd(laneSums, sumsLo);
    _mm_storeu_pd(laneSums + 2, sumsHi);
    for (int k = 0; k < 4; ++k) peak = std::max(peak, static_cast<double>(lanePeaks[k]));
    sum += (laneSums[0] + laneSums[1]) + (laneSums[2] + laneSums[3]);
#endif
    for (; i < frames; ++i) {
      const float s = channel[i];
      if (!std::isfinite(s)) {
        finite = false;
        continue;
      }
      peak = std::max(peak, static_cast<double>(std::fabs(s)));
      sum += static_cast<double>(s) * s;
      ++count;
    }
  }
  m_peak = peak;
  m_sum = sum;
  m_count = count;
  m_finite = finite;
}

RENDER_LEVELS CLevelMeter::Levels() const {
  RENDER_LEVELS levels;
  levels.finite = m_finite;
  const double rms = m_count ? std::sqrt(m_sum / m_count) : 0.0;
  if (m_peak > 0.0) levels.peakDb = 20.0 * std::log10(m_peak);
  if (rms > 0.0) levels.rmsDb = 20.0 * std::log10(rms);
  return levels;
}

RENDER_LEVELS MeasureLevels(const RENDER_RESULT& result) {
  CLevelMeter meter;
  const uint64_t frames =
      std::min<uint64_t>(result.frames, std::min(result.left.size(), result.right.size()));
  meter.Add(result.left.data(), result.right.data(), static_cast<uint32_t>(frames));
  return meter.Levels();
}
