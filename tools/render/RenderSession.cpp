#include "tools/render/RenderSession.h"

#include <algorithm>
#include <cmath>

CRenderSession::CRenderSession(double sampleRate, uint32_t blockFrames)
    : m_sampleRate(sampleRate > 0.0 ? sampleRate : 44100.0),
      m_blockFrames(blockFrames > 0 ? blockFrames : 1) {}

uint64_t CRenderSession::TotalFrames(const CMidiScore& score, double tailSeconds) const {
  if (!(tailSeconds >= 0.0)) tailSeconds = 0.0;
  const uint64_t frames = CMidiScore::FrameOf(score.EndSeconds() + tailSeconds, m_sampleRate);
  // The block holding the last message is always rendered.
  return std::max<uint64_t>(frames, CMidiScore::FrameOf(score.EndSeconds(), m_sampleRate) + 1);
}

bool CRenderSession::Run(const CMidiScore& score, double tailSeconds, IRenderUnit& unit,
                         RENDER_RESULT& result, std::string& error,
                         const std::function<void(uint64_t, uint64_t)>& progress) {
  const uint64_t total = TotalFrames(score, tailSeconds);
  result.left.assign(total, 0.0f);
  result.right.assign(total, 0.0f);
  result.frames = total;

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
    if (!unit.Render(frames, &result.left[position], &result.right[position], error))
      return false;
    position += frames;
    if (progress) progress(position, total);
  }
  return true;
}

RENDER_LEVELS MeasureLevels(const RENDER_RESULT& result) {
  RENDER_LEVELS levels;
  double peak = 0.0, sum = 0.0;
  uint64_t count = 0;
  for (const std::vector<float>* channel : {&result.left, &result.right}) {
    for (float s : *channel) {
      if (!std::isfinite(s)) {
        levels.finite = false;
        continue;
      }
      peak = std::max(peak, static_cast<double>(std::fabs(s)));
      sum += static_cast<double>(s) * s;
      ++count;
    }
  }
  const double rms = count ? std::sqrt(sum / count) : 0.0;
  if (peak > 0.0) levels.peakDb = 20.0 * std::log10(peak);
  if (rms > 0.0) levels.rmsDb = 20.0 * std::log10(rms);
  return levels;
}
