#include "tools/editor/LiveHost.h"

#include <time.h>

#include <algorithm>
#include <cstring>
#include <string>

bool CMidiQueue::Push(const LIVE_MIDI& message) {
  const uint32_t tail = m_tail.load(std::memory_order_relaxed);
  if (tail - m_head.load(std::memory_order_acquire) >= CAPACITY) return false;
  m_items[tail & (CAPACITY - 1)] = message;
  m_tail.store(tail + 1, std::memory_order_release);
  return true;
}

bool CMidiQueue::Peek(LIVE_MIDI& message) const {
  const uint32_t head = m_head.load(std::memory_order_relaxed);
  if (head == m_tail.load(std::memory_order_acquire)) return false;
  message = m_items[head & (CAPACITY - 1)];
  return true;
}

void CMidiQueue::Pop() { m_head.store(m_head.load(std::memory_order_relaxed) + 1, std::memory_order_release); }

CAudioRing::CAudioRing(uint32_t frames) {
  uint32_t size = 1;
  while (size < frames && size < (1u << 30)) size <<= 1;
  m_left.assign(size, 0.0f);
  m_right.assign(size, 0.0f);
  m_mask = size - 1;
}

uint32_t CAudioRing::Write(const float* left, const float* right, uint32_t frames) {
  const uint64_t written = m_written.load(std::memory_order_relaxed);
  const uint64_t room = m_left.size() - (written - m_read.load(std::memory_order_acquire));
  const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(frames, room));
  for (uint32_t done = 0; done < n;) {
    const uint32_t at = static_cast<uint32_t>((written + done) & m_mask);
    const uint32_t part = std::min<uint32_t>(n - done, m_mask + 1 - at);
    std::memcpy(&m_left[at], left + done, part * sizeof(float));
    std::memcpy(&m_right[at], right + done, part * sizeof(float));
    done += part;
  }
  m_written.store(written + n, std::memory_order_release);
  return n;
}

uint32_t CAudioRing::Read(float* left, float* right, uint32_t frames) {
  const uint64_t read = m_read.load(std::memory_order_relaxed);
  const uint64_t ready = m_written.load(std::memory_order_acquire) - read;
  const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(frames, ready));
  for (uint32_t done = 0; done < n;) {
    const uint32_t at = static_cast<uint32_t>((read + done) & m_mask);
    const uint32_t part = std::min<uint32_t>(n - done, m_mask + 1 - at);
    std::memcpy(left + done, &m_left[at], part * sizeof(float));
    std::memcpy(right + done, &m_right[at], part * sizeof(float));
    done += part;
  }
  m_read.store(read + n, std::memory_order_release);
  return n;
}

CLiveHost::CLiveHost(IRenderUnit& unit, HOST_TRANSPORT& transport, double sampleRate, uint32_t maxFrames)
    : m_unit(unit),
      m_transport(transport),
      m_sampleRate(sampleRate > 0.0 ? sampleRate : 44100.0),
      m_maxFrames(maxFrames > 0 ? maxFrames : 1) {
  m_transport = HOST_TRANSPORT();
  m_transport.tempo = m_bpm;
}

void CLiveHost::SetTempo(double bpm) {
  if (bpm > 0.0) m_bpm = bpm;
  m_transport.tempo = m_bpm;
}

void CLiveHost::SetScore(const CMidiScore* score, bool loop) {
  m_score = score && !score->Events().empty() ? score : nullptr;
  m_loop = loop;
  m_nextEvent = 0;
  m_position = 0;
  m_scoreFrames = m_score ? CMidiScore::FrameOf(m_score->EndSeconds(), m_sampleRate) + 1 : 0;
  m_scorePlaying.store(m_score != nullptr);
}

void CLiveHost::EnableCapture(uint32_t frames) { m_capture.reset(new CAudioRing(frames)); }

int64_t CLiveHost::Now() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

bool CLiveHost::PostMidi(int source, uint8_t status, uint8_t data1, uint8_t data2, int64_t when) {
  if (source < 0 || source >= MIDI_SOURCES || status < 0x80 || status >= 0xF0) return false;
  if (!m_queues[source].Push(LIVE_MIDI{when, status, static_cast<uint8_t>(data1 & 0x7F),
                                       static_cast<uint8_t>(data2 & 0x7F)})) {
    m_droppedMidi.fetch_add(1, std::memory_order_relaxed);
    return false;
  }
  return true;
}

uint32_t CLiveHost::ReadCapture(float* left, float* right, uint32_t frames) {
  return m_capture ? m_capture->Read(left, right, frames) : 0;
}

void CLiveHost::_Add(uint32_t offset, uint8_t status, uint8_t data1, uint8_t data2) {
  if (m_blockCount >= MAX_BLOCK_MESSAGES) return;
  // Kept in offset order (a stable insertion: messages at one offset stay
  // in the order they came).
  uint32_t i = m_blockCount++;
  while (i > 0 && m_block[i - 1].offset > offset) {
    m_block[i] = m_block[i - 1];
    --i;
  }
  m_block[i] = BLOCK_MESSAGE{offset, status, data1, data2};
}

void CLiveHost::_GatherScore(uint32_t frames) {
  const std::vector<TIMED_MIDI_EVENT>& events = m_score->Events();
  uint64_t position = m_position;
  uint32_t done = 0;
  while (done < frames && m_scorePlaying.load(std::memory_order_relaxed)) {
    uint64_t end = position + (frames - done);
    if (end > m_scoreFrames) end = m_scoreFrames;
    for (; m_nextEvent < events.size(); ++m_nextEvent) {
      const TIMED_MIDI_EVENT& e = events[m_nextEvent];
      const uint64_t frame = CMidiScore::FrameOf(e.seconds, m_sampleRate);
      if (frame >= end) break;
      if (m_blockCount >= MAX_BLOCK_MESSAGES) return;  // the rest go in the next block
      _Add(done + static_cast<uint32_t>(frame > position ? frame - position : 0), e.status, e.data1, e.data2);
    }
    done += static_cast<uint32_t>(end - position);
    position = end;
    if (position >= m_scoreFrames) {
      if (m_loop) {
        position = 0;
        m_nextEvent = 0;
        m_transport.changed = true;
      } else {
        m_scorePlaying.store(false, std::memory_order_relaxed);
      }
    }
  }
}

void CLiveHost::_Gather(uint32_t frames, int64_t now) {
  m_blockCount = 0;
  if (m_score && m_scorePlaying.load(std::memory_order_relaxed)) _GatherScore(frames);
  // Messages that arrived over the last block's span [m_lastBlock, now) go
  // in at the same place of this block; every source is drained, oldest
  // first across the sources.
  const int64_t span = now - m_lastBlock;
  for (;;) {
    int source = -1;
    LIVE_MIDI oldest{0, 0, 0, 0};
    for (int s = 0; s < MIDI_SOURCES; ++s) {
      LIVE_MIDI m;
      if (m_queues[s].Peek(m) && (source < 0 || m.when < oldest.when)) {
        source = s;
        oldest = m;
      }
    }
    if (source < 0 || m_blockCount >= MAX_BLOCK_MESSAGES) break;
    m_queues[source].Pop();
    uint32_t offset = 0;
    if (span > 0 && oldest.when > m_lastBlock) {
      const double at = static_cast<double>(oldest.when - m_lastBlock) / static_cast<double>(span) * frames + 0.5;
      offset = at >= frames ? frames - 1 : static_cast<uint32_t>(at);
    }
    _Add(offset, oldest.status, oldest.data1, oldest.data2);
  }
  m_lastBlock = now;
}

void CLiveHost::_SetTransport() {
  const double seconds = static_cast<double>(m_position) / m_sampleRate;
  m_transport.playing = m_score && m_scorePlaying.load(std::memory_order_relaxed);
  m_transport.samplePosition = static_cast<double>(m_position);
  if (m_score) {
    m_transport.beat = m_score->BeatAtSeconds(seconds);
    m_transport.tempo = m_transport.playing ? m_score->TempoAtSeconds(seconds) : m_bpm;
  } else {
    m_transport.beat = seconds * m_bpm / 60.0;
    m_transport.tempo = m_bpm;
  }
}

void CLiveHost::Process(float* left, float* right, uint32_t frames, int64_t now) {
  const int64_t began = Now();
  if (!m_started) {
    m_started = true;
    m_lastBlock = now - static_cast<int64_t>(frames / m_sampleRate * 1e9);
    m_transport.changed = m_score != nullptr;
  }
  if (m_failed.load(std::memory_order_relaxed)) {
    std::memset(left, 0, frames * sizeof(float));
    std::memset(right, 0, frames * sizeof(float));
    return;
  }
  std::string error;  // stays empty (and so unallocated) unless the unit fails
  for (uint32_t done = 0; done < frames;) {
    const uint32_t n = std::min(frames - done, m_maxFrames);
    const bool wasPlaying = m_transport.playing;
    _SetTransport();
    // The first block, a start over and a stop are changes of the transport.
    const bool changed = m_transport.changed || wasPlaying != m_transport.playing;
    m_transport.changed = false;
    _Gather(n, now);  // marks a loop that starts over inside this block
    const bool restarted = m_transport.changed;
    bool ok = true;
    for (uint32_t i = 0; i < m_blockCount && ok; ++i)
      ok = m_unit.SendMidi(m_block[i].status, m_block[i].data1, m_block[i].data2, m_block[i].offset, error);
    m_transport.changed = changed;
    ok = ok && m_unit.Render(n, left + done, right + done, error);
    m_transport.changed = restarted;
    if (!ok) {
      m_failed.store(true, std::memory_order_relaxed);
      std::memset(left + done, 0, (frames - done) * sizeof(float));
      std::memset(right + done, 0, (frames - done) * sizeof(float));
      return;
    }
    if (m_capture && m_capture->Write(left + done, right + done, n) < n)
      m_droppedCapture.fetch_add(n, std::memory_order_relaxed);
    m_position += n;
    if (m_score && m_loop && m_position >= m_scoreFrames && m_scoreFrames > 0) m_position %= m_scoreFrames;
    m_played.fetch_add(n, std::memory_order_relaxed);
    done += n;
  }
  const int64_t took = Now() - began;
  if (took > m_worstNs.load(std::memory_order_relaxed)) m_worstNs.store(took, std::memory_order_relaxed);
}
