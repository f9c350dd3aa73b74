#pragma once
// A piece of music as the command-line host plays it: channel messages at
// times in seconds, sorted, with the tempo map that gives the host's beat
// position and tempo at any time.

#include <cstddef>
#include <cstdint>
#include <vector>

// One channel message (status 0x80..0xEF with its one or two data bytes).
struct TIMED_MIDI_EVENT {
  double seconds;   // from the start of the piece
  uint8_t status;   // status byte including the channel
  uint8_t data1;
  uint8_t data2;    // 0 for two-byte messages
};

// One tempo segment: from `seconds` (= `beat` quarter notes in) on, the tempo
// is `bpm` quarter notes per minute until the next point.
struct TEMPO_POINT {
  double seconds;
  double beat;
  double bpm;
};

class CMidiScore {
 public:
  CMidiScore();

  // Forgets all events and sets one tempo from the start.
  void Clear(double bpm);

  // Appends a tempo change at `beat` (beats must come in rising order; an
  // earlier or equal beat replaces the last point). Non-positive or
  // non-finite tempos are ignored and false returned.
  bool AddTempo(double beat, double bpm);

  // Seconds of a beat position and back, through the tempo map (a binary
  // search of it).
  double SecondsOfBeat(double beat) const;
  double BeatAtSeconds(double seconds) const;
  double TempoAtSeconds(double seconds) const;

  // Room for `count` messages.
  void Reserve(size_t count) { m_events.reserve(count); }
  // Appends a channel message; call Sort once all are in.
  void Add(double seconds, uint8_t status, uint8_t data1, uint8_t data2);
  // Sorts by time, keeping the order of messages at the same time.
  void Sort();

  const std::vector<TIMED_MIDI_EVENT>& Events() const { return m_events; }
  const std::vector<TEMPO_POINT>& Tempos() const { return m_tempos; }

  // Time of the last message (0 when there is none).
  double EndSeconds() const;
  // Whether any note-on with a velocity above 0 is in the piece.
  bool HasNotes() const;

  // First frame of a message at `seconds` for a sample rate.
  static uint64_t FrameOf(double seconds, double sampleRate);

 private:
  std::vector<TIMED_MIDI_EVENT> m_events;
  std::vector<TEMPO_POINT> m_tempos;
};
