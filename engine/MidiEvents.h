#pragma once
// Records exchanged between the MIDI processor, the arpeggiator and the block
// driver, and the fixed-capacity double-ended queue that holds them. The
// queues never allocate, so they are safe to use on the render thread.

#include <cstddef>

// Kinds of MIDI_EVENT.
enum : unsigned int {
  MIDI_EVENT_NOTE_ON = 1,          // CVoiceManager::StartVoice(note, velocity, legato)
  MIDI_EVENT_NOTE_OFF = 2,         // CVoiceManager::StopVoice(note)
  MIDI_EVENT_RESET = 3,            // CVoiceManager::Reset()
  MIDI_EVENT_MUTE = 4,             // CVoiceManager::MuteVoice(note)
  MIDI_EVENT_UNMUTE = 5,           // CVoiceManager::UnMuteVoice(note)
  MIDI_EVENT_DELETE_VOICE = 6,     // CVoiceManager::DeleteVoice(note)
  MIDI_EVENT_DELETE_ALL = 7,       // CVoiceManager::DeleteAllVoices()
  MIDI_EVENT_CONTROLLER = 8,       // MIDI learn, CC map, MidiControlChange
  MIDI_EVENT_FIRST_KEY_PRESS = 9,  // CVoiceManager::FirstKeyPress()
};

// Controller numbers carried by MIDI_EVENT_CONTROLLER besides CC 0-119.
const unsigned int MIDI_CONTROLLER_SUSTAIN = 64;
const unsigned int MIDI_CONTROLLER_BEND = 121;
const unsigned int MIDI_CONTROLLER_PRESSURE = 122;

// One engine event. Fields a kind does not use are left unset.
struct MIDI_EVENT {
  unsigned int kind;
  unsigned int frameOffset;  // sample position within the current block
  unsigned int controller;
  float controllerValue;
  int note;
  float velocity;
  unsigned char legato;
};

// One held key.
struct MIDI_NOTE {
  int note;
  unsigned char muted;     // mono mode: a later key took over this key's voice
  unsigned char released;  // the key went up while the sustain pedal was down
  bool operator<(const MIDI_NOTE& other) const { return note < other.note; }
};

// Ring buffer of at most N elements, oldest first. Pushing onto a full queue
// fails and leaves it unchanged.
template <typename T, size_t N>
class CFixedDeque {
 public:
  static constexpr size_t CAPACITY = N;

  size_t Size() const { return m_count; }
  bool Empty() const { return m_count == 0; }
  bool Full() const { return m_count == N; }
  size_t Room() const { return N - m_count; }
  void Clear() {
    m_head = 0;
    m_count = 0;
  }

  // Element i counted from the oldest; i must be below Size().
  T& operator[](size_t i) { return m_items[(m_head + i) % N]; }
  const T& operator[](size_t i) const { return m_items[(m_head + i) % N]; }
  T& Front() { return (*this)[0]; }
  T& Back() { return (*this)[m_count - 1]; }

  bool PushBack(const T& item) {
    if (m_count == N) return false;
    m_items[(m_head + m_count) % N] = item;
    ++m_count;
    return true;
  }

  bool PopFront(T& item) {
    if (m_count == 0) return false;
    item = m_items[m_head];
    m_head = (m_head + 1) % N;
    --m_count;
    return true;
  }

  void PopFront() {
    if (m_count == 0) return;
    m_head = (m_head + 1) % N;
    --m_count;
  }

  void PopBack() {
    if (m_count > 0) --m_count;
  }

  // Removes element i, keeping the order of the others.
  void Erase(size_t i) {
    if (i >= m_count) return;
    for (size_t k = i; k + 1 < m_count; ++k) (*this)[k] = (*this)[k + 1];
    --m_count;
  }

  // Removes every element for which pred(element) is true, keeping order.
  template <typename Pred>
  void EraseIf(Pred pred) {
    size_t kept = 0;
    for (size_t k = 0; k < m_count; ++k) {
      if (!pred((*this)[k])) {
        if (kept != k) (*this)[kept] = (*this)[k];
        ++kept;
      }
    }
    m_count = kept;
  }

 private:
  T m_items[N];
  size_t m_head = 0;
  size_t m_count = 0;
};

// Capacities: the held-key lists hold the keys down plus those kept by the
// sustain pedal; the event queues hold one block's events.
const size_t MIDI_HELD_NOTE_CAPACITY = 256;
const size_t MIDI_EVENT_CAPACITY = 4096;

using CMidiNoteList = CFixedDeque<MIDI_NOTE, MIDI_HELD_NOTE_CAPACITY>;
using CMidiEventQueue = CFixedDeque<MIDI_EVENT, MIDI_EVENT_CAPACITY>;
