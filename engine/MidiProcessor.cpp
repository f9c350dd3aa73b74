#include "engine/MidiProcessor.h"

#include <algorithm>

#include "engine/IGlobalSynth.h"
#include "engine/IModulation.h"
#include "engine/ParamIds.h"
#include "platform/VstEvents.h"

namespace {

// Modulation-matrix controllers reset by "reset all controllers".
const unsigned int MOD_CONTROLLER_WHEEL = 120;
const unsigned int MOD_CONTROLLER_BREATH = 123;
const unsigned int MOD_CONTROLLER_EXPRESSION = 124;

// Most events one note message can push: a voice-limit or full-list
// removal, delete-all or mute, first key press, and the note itself.
const size_t NOTE_EVENTS_MAX = 4;

const float PITCH_BEND_SCALE = 0.0001220703125f;  // 1 / 8192

}  // namespace

static bool _IsNoteOffWasPassed(MIDI_NOTE& note) { return note.released != 0; }

CMidiProcessor::CMidiProcessor(IGlobalSynth* synth, CAccessLock* engineLock)
    : m_synth(synth), m_lock(engineLock), m_arp(synth) {}

void CMidiProcessor::SetSampleRate(float rate) {
  CScopeLock lock(m_lock);
  m_arp.SetSampleRate(rate);
}

void CMidiProcessor::_PushNote(const MIDI_EVENT* cause, unsigned int kind, int note) {
  MIDI_EVENT e{};
  e.kind = kind;
  e.frameOffset = cause->frameOffset;
  e.note = note;
  _Push(e);
}

int CMidiProcessor::_FindHeld(int note) {
  for (size_t i = 0; i < m_held.Size(); ++i) {
    MIDI_NOTE& n = m_held[i];
    if (n.note != note) continue;
    if (m_pedalDown && _IsNoteOffWasPassed(n)) continue;
    return static_cast<int>(i);
  }
  return -1;
}

bool CMidiProcessor::_IsPolyMode() {
  // The setting is an integer stored as a float: anything that truncates to
  // 0 is poly.
  float mode = m_synth->GetParam(PARAM_VOICE_MODE);
  return mode > -1.0f && mode < 1.0f;
}

void CMidiProcessor::PushEvent(VstMidiEvent* midi) {
  if (!midi) return;
  CScopeLock lock(m_lock);
  unsigned char status = static_cast<unsigned char>(midi->midiData[0]) & 0xF0;
  unsigned char data1 = static_cast<unsigned char>(midi->midiData[1]);
  unsigned char data2 = static_cast<unsigned char>(midi->midiData[2]);

  MIDI_EVENT e{};
  e.frameOffset = static_cast<unsigned int>(midi->deltaFrames);

  switch (status) {
    case 0x80:
    case 0x90: {
      if (m_events.Room() < NOTE_EVENTS_MAX) return;  // block full: drop the message whole
      e.kind = (status == 0x90 && (data2 & 0x7F) != 0) ? MIDI_EVENT_NOTE_ON : MIDI_EVENT_NOTE_OFF;
      e.note = data1 & 0x7F;
      e.velocity = static_cast<float>(data2 & 0x7F) / 127.0f;
      e.legato = m_held.Empty() ? 0 : 1;
      if (status == 0x80) {
        // A note-off right behind its note-on would cut the voice before
        // it starts: give the start a few samples.
        for (size_t i = 0; i < m_events.Size(); ++i) {
          const MIDI_EVENT& q = m_events[i];
          if (q.kind == MIDI_EVENT_NOTE_ON && q.note == e.note && q.frameOffset + 4 > e.frameOffset) {
            e.frameOffset += 4;
            break;
          }
        }
      }
      if (m_arpActive)
        _Push(e);
      else if (_IsPolyMode())
        PolyEventHandler(&e);
      else
        MonoEventHandler(&e);
      break;
    }
    case 0xB0:
      MidiCCHandler(&e, data1, data2);
      break;
    case 0xD0:
      if (m_events.Full()) return;
      e.kind = MIDI_EVENT_CONTROLLER;
      e.controller = MIDI_CONTROLLER_PRESSURE;
      e.controllerValue = static_cast<float>(data1 & 0x7F) / 127.0f;
      _Push(e);
      break;
    case 0xE0: {
      if (m_events.Full()) return;
      int bend = ((data2 & 0x7F) << 7 | (data1 & 0x7F)) - 8192;
      e.kind = MIDI_EVENT_CONTROLLER;
      e.controller = MIDI_CONTROLLER_BEND;
      e.controllerValue = static_cast<float>(bend) * PITCH_BEND_SCALE;
      _Push(e);
      break;
    }
    default:
      break;
  }
}

void CMidiProcessor::MidiCCHandler(MIDI_EVENT* e, unsigned char controller, unsigned char value) {
  if (controller & 0x80) return;
  value &= 0x7F;
  e->kind = MIDI_EVENT_CONTROLLER;
  switch (controller) {
    case MIDI_CONTROLLER_SUSTAIN: {
      bool pressed = value >= 63;
      if (pressed == m_pedalDown) return;
      // The release pushes a stop for every key the pedal kept.
      if (m_events.Room() < 1 + (pressed ? 0 : m_held.Size())) return;
      e->controller = MIDI_CONTROLLER_SUSTAIN;
      e->controllerValue = pressed ? 1.0f : 0.0f;
      _Push(*e);
      ToggleSustainPedal(e, pressed);
      return;
    }
    case 120:  // all sound off: every voice stops at once
    case 123:  // all notes off
    case 124:  // omni off
    case 125:  // omni on
    case 126:  // mono on
    case 127:  // poly on
      if (m_events.Full()) return;
      // The notes end with the short fade of voice stealing, not a cut.
      e->kind = controller == 120 ? MIDI_EVENT_RESET : MIDI_EVENT_DELETE_ALL;
      _Push(*e);
      m_held.Clear();
      return;
    case 121: {  // reset all controllers
      if (m_events.Full()) return;
      e->controller = MIDI_CONTROLLER_SUSTAIN;
      e->controllerValue = 0.0f;
      _Push(*e);
      if (IModulation* mod = m_synth->GetIModulation()) {
        mod->SetController(MOD_CONTROLLER_WHEEL, 0.0f);
        mod->SetController(MIDI_CONTROLLER_BEND, 0.0f);
        mod->SetController(MIDI_CONTROLLER_PRESSURE, 0.0f);
        mod->SetController(MOD_CONTROLLER_EXPRESSION, 1.0f);
        mod->SetController(MOD_CONTROLLER_BREATH, 0.0f);
      }
      return;
    }
    case 122:  // local control
      return;
    default:
      if (m_events.Full()) return;
      e->controller = controller;
      e->controllerValue = static_cast<float>(value) / 127.0f;
      _Push(*e);
      return;
  }
}

void CMidiProcessor::ToggleSustainPedal(MIDI_EVENT* e, bool pressed) {
  if (pressed) {
    m_pedalDown = true;
    return;
  }
  for (size_t i = 0; i < m_held.Size(); ++i)
    if (_IsNoteOffWasPassed(m_held[i])) _PushNote(e, MIDI_EVENT_NOTE_OFF, m_held[i].note);
  m_held.EraseIf(_IsNoteOffWasPassed);
  m_pedalDown = false;
}

void CMidiProcessor::PolyEventHandler(MIDI_EVENT* e) {
  if (e->kind == MIDI_EVENT_NOTE_ON) {
    float limitParam = m_synth->GetParam(PARAM_MAX_VOICES);
    size_t limit = MIDI_HELD_NOTE_CAPACITY;
    if (!(limitParam > 0.0f))
      limit = 0;
    else if (limitParam < static_cast<float>(MIDI_HELD_NOTE_CAPACITY))
      limit = static_cast<size_t>(limitParam);
    if (m_held.Size() >= limit && !m_held.Empty()) {
      _PushNote(e, MIDI_EVENT_DELETE_VOICE, m_held.Front().note);
      m_held.PopFront();
    }
    if (m_held.Empty()) _PushNote(e, MIDI_EVENT_FIRST_KEY_PRESS, 0);
    m_held.PushBack(MIDI_NOTE{e->note, 0, 0});
    _Push(*e);
    return;
  }

  int i = _FindHeld(e->note);
  if (i < 0) return;
  if (m_pedalDown) {
    m_held[i].released = 1;
  } else {
    m_held.Erase(i);
    _Push(*e);
  }
}

void CMidiProcessor::MonoEventHandler(MIDI_EVENT* e) {
  if (e->kind == MIDI_EVENT_NOTE_ON) {
    if (m_held.Empty()) {
      _PushNote(e, MIDI_EVENT_DELETE_ALL, 0);
      _PushNote(e, MIDI_EVENT_FIRST_KEY_PRESS, 0);
    } else {
      if (m_held.Full()) {
        // Stuck keys filled the list: give up the oldest (muted) one.
        _PushNote(e, MIDI_EVENT_DELETE_VOICE, m_held.Front().note);
        m_held.PopFront();
      }
      MIDI_NOTE& newest = m_held.Back();
      if (_IsNoteOffWasPassed(newest) && m_pedalDown) {
        _PushNote(e, MIDI_EVENT_DELETE_VOICE, newest.note);
        m_held.PopBack();
      } else {
        _PushNote(e, MIDI_EVENT_MUTE, newest.note);
        newest.muted = 1;
      }
    }
    m_held.PushBack(MIDI_NOTE{e->note, 0, 0});
    _Push(*e);
    return;
  }

  int i = _FindHeld(e->note);
  if (i < 0) return;
  MIDI_NOTE& n = m_held[i];
  n.released = 1;
  if (n.muted) {
    _PushNote(e, MIDI_EVENT_DELETE_VOICE, n.note);
    m_held.Erase(i);
  } else if (m_held.Size() == 1) {
    if (m_pedalDown) return;
    m_held.Erase(i);
    _Push(*e);
  } else {
    _PushNote(e, MIDI_EVENT_DELETE_VOICE, n.note);
    m_held.Erase(i);
    MIDI_NOTE& newest = m_held.Back();
    _PushNote(e, MIDI_EVENT_UNMUTE, newest.note);
    newest.muted = 0;
  }
}

void CMidiProcessor::Process(unsigned int frames) {
  CScopeLock lock(m_lock);
  bool on = m_synth->GetParam(PARAM_ARP_ON) != 0.0f;
  if (on != m_arpActive) {
    m_arpActive = on;
    m_events.Clear();
    if (on) {
      m_arp.TurnOn();
    } else {
      m_arp.TurnOff();
      MIDI_EVENT e{};
      e.kind = MIDI_EVENT_RESET;
      _Push(e);
    }
  }
  if (m_arpActive) {
    m_arp.Process(&m_events, frames);
    m_events.Clear();
  }
}

bool CMidiProcessor::PopEvent(MIDI_EVENT& event) {
  CScopeLock lock(m_lock);
  CMidiEventQueue* source = m_arpActive ? m_arp.GetOutputEvents() : &m_events;
  return source->PopFront(event);
}

void CMidiProcessor::Reset() {
  CScopeLock lock(m_lock);
  m_held.Clear();
  m_events.Clear();
  m_arp.TurnOff();
}
