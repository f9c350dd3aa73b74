#pragma once
// The fixed reference score of the host benchmarks: eight notes held at all
// times, one of them replaced by a new note every 0.1 s (the oldest stops,
// a new one starts, at the exact frame inside its block), rendered through
// the Audio Unit in blocks of a fixed size.

#include <cstdint>

#include "tests/conformance/HostHarness.h"

class CReferenceScore {
 public:
  static constexpr unsigned int HELD_NOTES = 8;
  static constexpr double NOTE_INTERVAL_SECONDS = 0.1;

  explicit CReferenceScore(CHostHarness& host, UInt32 block = 512) : m_host(host), m_block(block) {}

  // Starts the eight notes at the current position.
  void Begin() {
    m_interval = static_cast<uint64_t>(NOTE_INTERVAL_SECONDS * m_host.SampleRate());
    for (unsigned int k = 0; k < HELD_NOTES; ++k) {
      m_held[k] = _NextNote();
      m_host.NoteOn(0, m_held[k], 100, 0);
    }
    m_oldest = 0;
    m_position = 0;
    m_nextChange = m_interval;
  }

  // Renders frames of the score; false when a render fails.
  bool Play(uint64_t frames) {
    while (frames > 0) {
      const UInt32 n = frames < m_block ? static_cast<UInt32>(frames) : m_block;
      // Note changes that fall inside this block, at their frame.
      while (m_nextChange < m_position + n) {
        const UInt32 offset = static_cast<UInt32>(m_nextChange - m_position);
        m_host.NoteOff(0, m_held[m_oldest], offset);
        m_held[m_oldest] = _NextNote();
        m_host.NoteOn(0, m_held[m_oldest], 100, offset);
        m_oldest = (m_oldest + 1) % HELD_NOTES;
        m_nextChange += m_interval;
      }
      if (m_host.Render(n) != noErr) return false;
      m_position += n;
      frames -= n;
    }
    return true;
  }

 private:
  UInt8 _NextNote() {
    // A walk over three octaves that never repeats a held pitch.
    static const UInt8 PITCHES[] = {48, 55, 60, 64, 67, 71, 72, 76, 79, 52, 59, 62,
                                    65, 69, 74, 77, 50, 57, 84, 81, 53, 58, 63, 70};
    const UInt8 note = PITCHES[m_pitch % (sizeof(PITCHES) / sizeof(PITCHES[0]))];
    ++m_pitch;
    return note;
  }

  CHostHarness& m_host;
  UInt32 m_block;
  UInt8 m_held[HELD_NOTES] = {};
  unsigned int m_oldest = 0;
  unsigned int m_pitch = 0;
  uint64_t m_interval = 4410;
  uint64_t m_position = 0;
  uint64_t m_nextChange = 0;
};
