#include "tools/render/MidiScore.h"

#include <algorithm>
#include <cmath>

namespace {
const double DEFAULT_BPM = 120.0;
}

CMidiScore::CMidiScore() { Clear(DEFAULT_BPM); }

void CMidiScore::Clear(double bpm) {
  m_events.clear();
  m_tempos.clear();
  if (!(bpm > 0.0) || !std::isfinite(bpm)) bpm = DEFAULT_BPM;
  m_tempos.push_back({0.0, 0.0, bpm});
}

bool CMidiScore::AddTempo(double beat, double bpm) {
  if (!(bpm > 0.0) || !std::isfinite(bpm) || !std::isfinite(beat)) return false;
  if (beat < 0.0) beat = 0.0;
  // A change at (or before) the last point's beat replaces that point.
  while (!m_tempos.empty() && beat <= m_tempos.back().beat) {
    if (m_tempos.size() == 1) {
      m_tempos[0].bpm = bpm;
      return true;
    }
    m_tempos.pop_back();
  }
  const TEMPO_POINT& last = m_tempos.back();
  const double seconds = last.seconds + (beat - last.beat) * 60.0 / last.bpm;
  m_tempos.push_back({seconds, beat, bpm});
  return true;
}

namespace {

// The last tempo point at or before `value` (the first point when none is).
template <typename KEY>
size_t SegmentOf(const std::vector<TEMPO_POINT>& tempos, double value, KEY key) {
  const auto after = std::upper_bound(tempos.begin() + 1, tempos.end(), value,
                                      [&](double v, const TEMPO_POINT& p) { return v < key(p); });
  return static_cast<size_t>(after - tempos.begin()) - 1;
}

double BeatOf(const TEMPO_POINT& p) { return p.beat; }
double SecondsOf(const TEMPO_POINT& p) { return p.seconds; }

}  // namespace

double CMidiScore::SecondsOfBeat(double beat) const {
  const TEMPO_POINT& p = m_tempos[SegmentOf(m_tempos, beat, BeatOf)];
  return p.seconds + (beat - p.beat) * 60.0 / p.bpm;
}

double CMidiScore::BeatAtSeconds(double seconds) const {
  const TEMPO_POINT& p = m_tempos[SegmentOf(m_tempos, seconds, SecondsOf)];
  return p.beat + (seconds - p.seconds) * p.bpm / 60.0;
}

double CMidiScore::TempoAtSeconds(double seconds) const {
  return m_tempos[SegmentOf(m_tempos, seconds, SecondsOf)].bpm;
}

void CMidiScore::Add(double seconds, uint8_t status, uint8_t data1, uint8_t data2) {
  if (!std::isfinite(seconds) || seconds < 0.0) seconds = 0.0;
  m_events.push_back({seconds, status, data1, data2});
}

void CMidiScore::Sort() {
  std::stable_sort(m_events.begin(), m_events.end(),
                   [](const TIMED_MIDI_EVENT& a, const TIMED_MIDI_EVENT& b) {
                     return a.seconds < b.seconds;
                   });
}

double CMidiScore::EndSeconds() const {
  double end = 0.0;
  for (const TIMED_MIDI_EVENT& e : m_events) end = std::max(end, e.seconds);
  return end;
}

bool CMidiScore::HasNotes() const {
  for (const TIMED_MIDI_EVENT& e : m_events)
    if ((e.status & 0xF0) == 0x90 && e.data2 > 0) return true;
  return false;
}

uint64_t CMidiScore::FrameOf(double seconds, double sampleRate) {
  const double frame = std::floor(seconds * sampleRate + 0.5);
  if (!(frame > 0.0)) return 0;
  return static_cast<uint64_t>(frame);
}
