#pragma once
// The built-in phrase that `--demo` plays: four bars of 4/4 on MIDI channel 1
// with a solo melody, chords under the sustain pedal, a pitch bend up a whole
// tone and back, and a modulation-wheel sweep (which moves the first macro:
// heard only with a sound whose modulation matrix reads it, not with the
// factory sound).

#include <cstdint>

#include "tools/render/MidiScore.h"

// A note of the opening bar that sounds alone (nothing else is held), where
// its pitch can be measured.
struct DEMO_SOLO_NOTE {
  uint8_t note;
  double startBeat;
  double endBeat;
};

class CDemoScore {
 public:
  // Fills `score` with the phrase at a constant tempo.
  static void Build(double bpm, CMidiScore& score);

  // The solo notes of the opening bar, in time order.
  static const DEMO_SOLO_NOTE* SoloNotes(int& count);
};
