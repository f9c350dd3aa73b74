#include "engine/Arpeggiator.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "engine/IGlobalSynth.h"
#include "engine/Random.h"
#include "engine/ParamIds.h"

namespace {

enum : unsigned int {
  ARP_MODE_UP = 0,
  ARP_MODE_DOWN = 1,
  ARP_MODE_UP_DOWN = 2,
  ARP_MODE_DOWN_UP = 3,
  ARP_MODE_RANDOM = 4,
  ARP_MODE_POLY = 5,
  ARP_MODE_MONO = 6,
  ARP_MODE_NONE = 7,  // any value above 6
};

// Note lengths in whole notes: straight, triplet, dotted, long multiples,
// then three fixed times used as plain ratios.
const unsigned int TIME_SCALE_COUNT = 34;
const float TIME_SCALE_TO_RATIO[TIME_SCALE_COUNT] = {
    1.0f,         1.0f / 2,     1.0f / 4,     1.0f / 8,      1.0f / 16,    1.0f / 32,    1.0f / 64,
    2.0f / 3,     1.0f / 3,     1.0f / 6,     1.0f / 12,     1.0f / 24,    1.0f / 48,    1.0f / 96,
    3.0f / 2,     3.0f / 4,     3.0f / 8,     3.0f / 16,     3.0f / 32,    3.0f / 64,    3.0f / 128,
    2.0f,         3.0f,         4.0f,         5.0f,          6.0f,         7.0f,         8.0f,
    16.0f,        64.0f,        256.0f,       0.05f,         1.0f,         10.0f,
};

// Octaves above the played keys a file may ask for; more would only pile
// notes up at the top of the pitch range.
const int MAX_OCTAVES = 10;
// Step lengths are kept below this many samples so they fit the counters.
const float MAX_STEP_SAMPLES = 1073741824.0f;
// Output slots kept free for stopping the sounding notes, so a crowded
// output list can never leave a note hanging.
const size_t STOP_RESERVE = CArpeggiator::MAX_SOUNDING;

// Integer setting truncated toward zero and clamped to lo..hi; NaN gives lo.
int ParamIndex(IGlobalSynth* synth, unsigned int id, int lo, int hi) {
  float v = synth->GetParam(id);
  if (!(v > static_cast<float>(lo) - 1.0f)) return lo;
  if (v >= static_cast<float>(hi) + 1.0f) return hi;
  return std::max(lo, std::min(hi, static_cast<int>(v)));
}

float Clamp01(float v) {
  if (!(v > 0.0f)) return 0.0f;
  return v < 1.0f ? v : 1.0f;
}

float ParamUnit(IGlobalSynth* synth, unsigned int id) { return Clamp01(synth->GetParam(id)); }

int ClampNote(int note) { return std::max(0, std::min(CArpeggiator::MAX_NOTE, note)); }

MIDI_EVENT MakeEvent(unsigned int kind, unsigned int frame, int note) {
  MIDI_EVENT e{};
  e.kind = kind;
  e.frameOffset = frame;
  e.note = note;
  return e;
}

}  // namespace

static bool __IsNoteOffWasPassed(MIDI_NOTE& note) { return note.released != 0; }

CArpeggiator::CArpeggiator(IGlobalSynth* synth) : m_synth(synth) {
  for (int& n : m_sounding) n = -1;
}

void CArpeggiator::ResetSequencer() {
  m_restartPending = true;
  m_step = 0;
  m_stepCounter = 0;
  m_noteIndex = 0;
  m_octaveIndex = 0;
}

void CArpeggiator::TurnOn() {
  ResetSequencer();
  m_held.Clear();
  m_output.Clear();
  m_output.PushBack(MakeEvent(MIDI_EVENT_DELETE_ALL, 0, 0));
}

void CArpeggiator::TurnOff() { m_held.Clear(); }

bool CArpeggiator::_Append(const MIDI_EVENT& event) {
  if (m_output.Room() <= STOP_RESERVE) return false;
  return m_output.PushBack(event);
}

unsigned int CArpeggiator::_HeldLimit() {
  return static_cast<unsigned int>(ParamIndex(m_synth, PARAM_MAX_VOICES, 0, MIDI_HELD_NOTE_CAPACITY));
}

void CArpeggiator::Process(CMidiEventQueue* events, unsigned int frames) {
  m_blockPosition = 0;
  unsigned int mode = static_cast<unsigned int>(ParamIndex(m_synth, PARAM_ARP_MODE, 0, ARP_MODE_NONE));
  if (mode != m_mode) {
    m_mode = mode;
    ResetSequencer();
  }

  unsigned int done = 0;
  if (events) {
    for (size_t i = 0; i < events->Size(); ++i) {
      MIDI_EVENT& e = (*events)[i];
      if (e.frameOffset >= frames) e.frameOffset = frames > 0 ? frames - 1 : 0;
      unsigned int gap = e.frameOffset > done ? e.frameOffset - done : 0;
      Generate(gap);
      done += gap;
      switch (e.kind) {
        case MIDI_EVENT_NOTE_ON:
          NoteOn(&e);
          break;
        case MIDI_EVENT_NOTE_OFF:
          NoteOff(&e);
          break;
        case MIDI_EVENT_RESET:
        case MIDI_EVENT_DELETE_ALL:  // all notes off
          Reset(&e);
          break;
        case MIDI_EVENT_CONTROLLER:
          if (e.controller == MIDI_CONTROLLER_SUSTAIN) ToggleSustainPedal(e.controllerValue != 0.0f);
          _Append(e);
          break;
        default:
          _Append(e);
          break;
      }
    }
  }
  if (frames > done) Generate(frames - done);
}

void CArpeggiator::NoteOn(MIDI_EVENT* event) {
  if (m_held.Empty()) ResetSequencer();
  bool overLimit = m_held.Size() >= _HeldLimit() && m_mode != ARP_MODE_MONO;
  if ((overLimit || m_held.Full()) && !m_held.Empty()) m_held.PopFront();
  m_keyVelocity = Clamp01(event->velocity);
  m_held.PushBack(MIDI_NOTE{event->note, 0, 0});
}

void CArpeggiator::NoteOff(MIDI_EVENT* event) {
  for (size_t i = 0; i < m_held.Size(); ++i) {
    MIDI_NOTE& n = m_held[i];
    if (n.note != event->note) continue;
    if (m_pedalDown) {
      if (__IsNoteOffWasPassed(n)) continue;
      n.released = 1;
    } else {
      m_held.Erase(i);
    }
    break;
  }
  if (m_held.Empty()) _StopSoundingNotes();
}

void CArpeggiator::ToggleSustainPedal(bool down) {
  if (down == m_pedalDown) return;
  if (!down) {
    m_held.EraseIf(__IsNoteOffWasPassed);
    if (m_held.Empty()) _StopSoundingNotes();
  }
  m_pedalDown = down;
}

void CArpeggiator::Reset(MIDI_EVENT* event) {
  _Append(*event);
  m_held.Clear();
}

void CArpeggiator::_StopSoundingNotes() {
  for (unsigned int i = 0; i < MAX_SOUNDING && m_sounding[i] >= 0; ++i) {
    m_output.PushBack(MakeEvent(MIDI_EVENT_NOTE_OFF, m_blockPosition, m_sounding[i]));
    m_sounding[i] = -1;
  }
}

void CArpeggiator::_TakeStepValues(STEP_VALUES& v, unsigned int steps, float base, float gate, float shuffle) {
  unsigned int s = m_step % MAX_STEPS;
  v.velocity = ParamUnit(m_synth, PARAM_ARP_STEP_VELOCITY + s);
  bool tieNext = m_synth->GetParam(PARAM_ARP_STEP_TIE + (s + 1) % steps) != 0.0f;
  float len = TIME_SCALE_TO_RATIO[ParamIndex(m_synth, PARAM_ARP_STEP_LENGTH + s, 0, TIME_SCALE_COUNT - 1)] * base;
  if (len > MAX_STEP_SAMPLES) len = MAX_STEP_SAMPLES;
  v.length = static_cast<unsigned int>(len);
  v.shift = (s & 1) ? static_cast<unsigned int>(shuffle * len * 0.5f) : 0;
  if (v.shift > v.length) v.shift = v.length;
  unsigned int noteLength =
      tieNext ? v.length : static_cast<unsigned int>(ParamUnit(m_synth, PARAM_ARP_STEP_GATE + s) * gate * len);
  v.end = v.shift + noteLength <= v.length ? noteLength : v.length - v.shift;
}

void CArpeggiator::Generate(unsigned int frames) {
  if (frames == 0 || m_held.Empty()) {
    m_blockPosition += frames;
    return;
  }
  unsigned int steps = static_cast<unsigned int>(ParamIndex(m_synth, PARAM_ARP_STEPS, 1, MAX_STEPS));
  float tempo = m_synth->GetHostTempo();
  if (!(tempo > 0.0f) || !std::isfinite(tempo)) tempo = 120.0f;
  float ratio = TIME_SCALE_TO_RATIO[ParamIndex(m_synth, PARAM_ARP_RATE, 0, TIME_SCALE_COUNT - 1)];
  float base = m_sampleRate * ratio / (tempo / 240.0f);
  if (!(base >= 4.0f)) base = 4.0f;
  if (base > MAX_STEP_SAMPLES) base = MAX_STEP_SAMPLES;
  float gate = ParamUnit(m_synth, PARAM_ARP_GATE);
  float shuffle = ParamUnit(m_synth, PARAM_ARP_SHUFFLE);

  STEP_VALUES v;
  _TakeStepValues(v, steps, base, gate, shuffle);
  for (unsigned int i = 0; i < frames; ++i) {
    if (m_stepCounter == v.shift) {
      if (v.velocity != 0.0f && m_sounding[0] < 0) _GenerateStepNoteOn();
    } else if (m_stepCounter >= v.shift + v.end && v.velocity != 0.0f && m_sounding[0] >= 0) {
      _StopSoundingNotes();
    }
    if (m_stepCounter < v.length) {
      ++m_stepCounter;
    } else {
      m_step = (m_step + 1) % steps;
      m_stepCounter = 0;
      _TakeStepValues(v, steps, base, gate, shuffle);
    }
    ++m_blockPosition;
  }
}

void CArpeggiator::_GenerateStepNoteOn() {
  unsigned int s = m_step % MAX_STEPS;
  size_t count = m_mode == ARP_MODE_POLY ? std::min<size_t>(m_held.Size(), MAX_SOUNDING) : 1;
  // Without room for the whole chord the step stays silent.
  if (m_output.Room() < count + 1 + STOP_RESERVE) return;

  float transpose = m_synth->GetParam(PARAM_ARP_STEP_PITCH + s);
  if (std::isnan(transpose)) transpose = 0.0f;
  transpose = std::max(-128.0f, std::min(128.0f, transpose));
  int p = static_cast<int>(static_cast<float>(_GetStepPitch()) + transpose);

  if (m_mode == ARP_MODE_POLY) {
    for (size_t i = 0; i < count; ++i) m_sounding[i] = ClampNote(m_held[i].note + p);
    if (count < MAX_SOUNDING) m_sounding[count] = -1;
  } else {
    m_sounding[0] = ClampNote(p);
    m_sounding[1] = -1;
  }

  if (m_restartPending) m_output.PushBack(MakeEvent(MIDI_EVENT_FIRST_KEY_PRESS, m_blockPosition, 0));
  float velocity = m_keyVelocity * ParamUnit(m_synth, PARAM_ARP_STEP_VELOCITY + s);
  bool tied = !m_restartPending && m_synth->GetParam(PARAM_ARP_STEP_TIE + s) != 0.0f;
  for (size_t i = 0; i < count; ++i) {
    MIDI_EVENT e = MakeEvent(MIDI_EVENT_NOTE_ON, m_blockPosition, m_sounding[i]);
    e.velocity = velocity;
    e.legato = tied ? 1 : 0;
    m_output.PushBack(e);
  }
  m_restartPending = false;
}

void CArpeggiator::_AdvanceOctave(unsigned int octaves) {
  ++m_octaveIndex;
  if (m_octaveIndex >= octaves) m_octaveIndex = 0;
}

int CArpeggiator::_GetStepPitch() {
  unsigned int c = static_cast<unsigned int>(m_held.Size());
  if (c == 0) return -1;
  int top = ParamIndex(m_synth, PARAM_ARP_OCTAVES, 0, MAX_OCTAVES);
  unsigned int octaves = static_cast<unsigned int>(top) + 1;
  // The octave range may have shrunk since the last step.
  if (m_octaveIndex >= octaves) m_octaveIndex = 0;
  unsigned int next = m_restartPending ? 0 : m_noteIndex + 1;

  MIDI_NOTE sorted[MIDI_HELD_NOTE_CAPACITY];
  if (m_mode <= ARP_MODE_DOWN_UP) {
    for (unsigned int k = 0; k < c; ++k) sorted[k] = m_held[k];
    std::sort(sorted, sorted + c);
  }
  auto advanceNote = [&]() {
    m_noteIndex = next;
    if (m_noteIndex >= c) {
      m_noteIndex = 0;
      _AdvanceOctave(octaves);
    }
  };
  // Position k of the run through every octave, lowest first.
  auto runNote = [&](unsigned int k) { return sorted[k % c].note + 12 * static_cast<int>(k / c); };

  switch (m_mode) {
    case ARP_MODE_UP:
      advanceNote();
      return sorted[m_noteIndex].note + 12 * static_cast<int>(m_octaveIndex);
    case ARP_MODE_DOWN:
      advanceNote();
      return sorted[c - 1 - m_noteIndex].note + 12 * (top - static_cast<int>(m_octaveIndex));
    case ARP_MODE_UP_DOWN:
    case ARP_MODE_DOWN_UP: {
      unsigned int n = c * octaves;
      unsigned int period = 2 * n - 2;
      m_noteIndex = next < period ? next : 0;
      unsigned int i = m_noteIndex;
      if (m_mode == ARP_MODE_UP_DOWN) return i < n ? runNote(i) : runNote(2 * n - 2 - i);
      return i < n ? runNote(n - 1 - i) : runNote(i - n + 1);
    }
    case ARP_MODE_RANDOM: {
      unsigned int r = static_cast<unsigned int>(m_synth->GetRandom().Next()) % c;
      advanceNote();
      return m_held[r].note + 12 * static_cast<int>(m_octaveIndex);
    }
    case ARP_MODE_POLY:
    case ARP_MODE_MONO: {
      m_noteIndex = 0;
      if (!m_restartPending) _AdvanceOctave(octaves);
      int shift = 12 * static_cast<int>(m_octaveIndex);
      return m_mode == ARP_MODE_POLY ? shift : m_held.Back().note + shift;
    }
    default:
      return -1;
  }
}
