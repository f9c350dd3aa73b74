#pragma once
// Turns the host's MIDI input into the engine's own event stream: keeps the
// held keys, implements the sustain pedal, poly and mono (retrigger, legato)
// key handling, converts controllers, bend and pressure, and routes notes
// through the arpeggiator while it is switched on.
//
// Threads: PushEvent and Reset arrive from the host and editor side, Process
// and PopEvent from the render thread. Every public operation takes the
// engine lock (recursive, so callers that already hold it may call in), so
// a panic can never race a block's pops.

#include "engine/AccessLock.h"
#include "engine/Arpeggiator.h"
#include "engine/MidiEvents.h"

class IGlobalSynth;
struct VstMidiEvent;

class CMidiProcessor {
 public:
  explicit CMidiProcessor(IGlobalSynth* synth, CAccessLock* engineLock = nullptr);
  ~CMidiProcessor() = default;
  CMidiProcessor(const CMidiProcessor&) = delete;
  CMidiProcessor& operator=(const CMidiProcessor&) = delete;

  // The engine lock lives in the parameter store, which may be built after
  // this object; the owner hands it over as soon as it exists.
  void SetEngineLock(CAccessLock* lock) { m_lock = lock; }

  void SetSampleRate(float rate);
  void PushEvent(VstMidiEvent* event);
  // Once per block, before the first PopEvent of the block.
  void Process(unsigned int frames);
  bool PopEvent(MIDI_EVENT& event);
  // Panic: queued events and held keys dropped, arpeggiator stopped.
  void Reset();

  // Read-only views for the owner and for tests.
  size_t GetHeldNoteCount() const { return m_held.Size(); }
  const MIDI_NOTE& GetHeldNote(size_t i) const { return m_held[i]; }
  bool IsSustainPedalDown() const { return m_pedalDown; }
  bool IsArpeggiatorActive() const { return m_arpActive; }

 private:
  // Locks the engine lock for a scope when one is set.
  class CScopeLock {
   public:
    explicit CScopeLock(CAccessLock* lock) : m_lock(lock) {
      if (m_lock) m_lock->Lock();
    }
    ~CScopeLock() {
      if (m_lock) m_lock->Unlock();
    }
    CScopeLock(const CScopeLock&) = delete;
    CScopeLock& operator=(const CScopeLock&) = delete;

   private:
    CAccessLock* m_lock;
  };

  void MidiCCHandler(MIDI_EVENT* event, unsigned char controller, unsigned char value);
  void PolyEventHandler(MIDI_EVENT* event);
  void MonoEventHandler(MIDI_EVENT* event);
  void ToggleSustainPedal(MIDI_EVENT* event, bool pressed);

  void _Push(const MIDI_EVENT& event) { m_events.PushBack(event); }
  void _PushNote(const MIDI_EVENT* cause, unsigned int kind, int note);
  int _FindHeld(int note);
  bool _IsPolyMode();

  IGlobalSynth* m_synth;
  CAccessLock* m_lock;
  CMidiNoteList m_held;
  CMidiEventQueue m_events;
  CArpeggiator m_arp;
  bool m_pedalDown = false;
  bool m_arpActive = false;
};
