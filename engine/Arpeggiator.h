#pragma once
// Step sequencer between the MIDI processor and the voices: keeps its own
// list of held keys and plays them as a pattern of up to 32 tempo-synced
// steps, writing note starts and stops into an output list that the block
// driver reads instead of the MIDI processor's queue.

#include "engine/MidiEvents.h"

class IGlobalSynth;

class CArpeggiator {
 public:
  static constexpr unsigned int MAX_STEPS = 32;
  static constexpr unsigned int MAX_SOUNDING = 16;
  // Highest pitch a step may produce: the end of the tuning table.
  static constexpr int MAX_NOTE = 170;

  explicit CArpeggiator(IGlobalSynth* synth);
  ~CArpeggiator() = default;
  CArpeggiator(const CArpeggiator&) = delete;
  CArpeggiator& operator=(const CArpeggiator&) = delete;

  void SetSampleRate(float rate) { m_sampleRate = rate; }
  // Sequencer reset, held keys and output cleared, delete-all-voices queued.
  void TurnOn();
  // Forgets the held keys; the notes already sounding are left alone.
  void TurnOff();
  // Runs one block over the MIDI processor's events: note events are
  // consumed, everything else is passed on to the output list in frame
  // order between the generated notes.
  void Process(CMidiEventQueue* events, unsigned int frames);
  CMidiEventQueue* GetOutputEvents() { return &m_output; }
  void ResetSequencer();

  void NoteOn(MIDI_EVENT* event);
  void NoteOff(MIDI_EVENT* event);
  void Reset(MIDI_EVENT* event);
  void ToggleSustainPedal(bool down);
  void Generate(unsigned int frames);

 private:
  struct STEP_VALUES {
    float velocity;       // 0 makes the step a rest
    unsigned int length;  // samples the step lasts, minus one
    unsigned int shift;   // shuffle delay of the note start
    unsigned int end;     // note length from the start
  };

  void _TakeStepValues(STEP_VALUES& v, unsigned int steps, float base, float gate, float shuffle);
  void _GenerateStepNoteOn();
  int _GetStepPitch();
  void _AdvanceOctave(unsigned int octaves);
  void _StopSoundingNotes();
  bool _Append(const MIDI_EVENT& event);
  unsigned int _HeldLimit();

  IGlobalSynth* m_synth;
  CMidiEventQueue m_output;
  CMidiNoteList m_held;
  unsigned int m_mode = 0;
  float m_sampleRate = 0.0f;
  bool m_pedalDown = false;
  bool m_restartPending = true;
  unsigned int m_blockPosition = 0;
  unsigned int m_step = 0;
  unsigned int m_stepCounter = 0;
  unsigned int m_noteIndex = 0;
  unsigned int m_octaveIndex = 0;
  int m_sounding[MAX_SOUNDING];
  float m_keyVelocity = 1.0f;
};
