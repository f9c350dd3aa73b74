#include "tools/render/DemoScore.h"

#include <cmath>

namespace {

const uint8_t NOTE_ON = 0x90;
const uint8_t NOTE_OFF = 0x80;
const uint8_t CONTROLLER = 0xB0;
const uint8_t PITCH_BEND = 0xE0;
const uint8_t CC_MOD_WHEEL = 1;
const uint8_t CC_SUSTAIN = 64;
// Velocities keep the loudest chord of the factory sound below full scale.
const uint8_t SOLO_VELOCITY = 80;

const DEMO_SOLO_NOTE SOLO_NOTES[] = {
    {69, 0.0, 1.5},  // A4
    {76, 2.0, 3.5},  // E5
};

struct DEMO_NOTE {
  uint8_t note;
  uint8_t velocity;
  double startBeat;
  double endBeat;
};

// Bars 2 to 4: chords under the pedal and the melody over them.
const DEMO_NOTE PHRASE_NOTES[] = {
    // Bar 2: C major, held by the pedal, melody G4 A4 C5.
    {48, 23, 4.0, 5.0}, {52, 21, 4.0, 5.0}, {55, 21, 4.0, 5.0}, {60, 22, 4.0, 5.0},
    {67, 42, 4.0, 5.0}, {69, 40, 5.0, 6.0}, {72, 43, 6.0, 7.5},
    // Bar 3: F major; the melody's C5 is bent up a whole tone and back.
    {53, 22, 8.0, 11.75}, {57, 21, 8.0, 11.75}, {60, 21, 8.0, 11.75}, {65, 21, 8.0, 11.75},
    {69, 42, 8.0, 9.0}, {72, 43, 9.0, 11.75},
    // Bar 4: G major, then C major under the pedal to the end.
    {55, 22, 12.0, 14.0}, {59, 21, 12.0, 14.0}, {62, 21, 12.0, 14.0}, {67, 40, 12.0, 13.0},
    {71, 40, 13.0, 14.0},
    {48, 24, 14.0, 15.0}, {55, 22, 14.0, 15.0}, {60, 22, 14.0, 15.0}, {64, 22, 14.0, 15.0},
    {72, 42, 14.0, 15.0},
};

const double PEDAL_EVENTS[][2] = {
    // beat, pedal value
    {4.0, 127}, {7.875, 0}, {14.0, 127}, {16.0, 0},
};

}  // namespace

void CDemoScore::Build(double bpm, CMidiScore& score) {
  score.Clear(bpm);
  auto at = [&](double beat) { return score.SecondsOfBeat(beat); };

  for (const DEMO_SOLO_NOTE& n : SOLO_NOTES) {
    score.Add(at(n.startBeat), NOTE_ON, n.note, SOLO_VELOCITY);
    score.Add(at(n.endBeat), NOTE_OFF, n.note, 64);
  }
  for (const DEMO_NOTE& n : PHRASE_NOTES) {
    score.Add(at(n.startBeat), NOTE_ON, n.note, n.velocity);
    score.Add(at(n.endBeat), NOTE_OFF, n.note, 64);
  }
  for (const auto& p : PEDAL_EVENTS)
    score.Add(at(p[0]), CONTROLLER, CC_SUSTAIN, static_cast<uint8_t>(p[1]));

  // Pitch bend: up a whole tone (full range) over beats 9.5..10.5, back to
  // the centre over 10.5..11.5, in sixteenth-of-a-beat steps.
  const int BEND_STEPS = 16;
  for (int i = 0; i <= 2 * BEND_STEPS; ++i) {
    const double shape = i <= BEND_STEPS ? double(i) / BEND_STEPS
                                         : double(2 * BEND_STEPS - i) / BEND_STEPS;
    const int value = 8192 + static_cast<int>(std::lround(shape * 8191.0));
    score.Add(at(9.5 + i / double(BEND_STEPS)), PITCH_BEND, value & 0x7F, (value >> 7) & 0x7F);
  }

  // Modulation wheel: from 0 up to 127 across bars 3 and 4 in eighth-beat
  // steps, then back to 0 at the end.
  const int SWEEP_STEPS = 64;
  for (int i = 0; i <= SWEEP_STEPS; ++i)
    score.Add(at(8.0 + i * 0.125), CONTROLLER, CC_MOD_WHEEL,
              static_cast<uint8_t>(std::lround(127.0 * i / SWEEP_STEPS)));
  score.Add(at(16.0), CONTROLLER, CC_MOD_WHEEL, 0);

  score.Sort();
}

const DEMO_SOLO_NOTE* CDemoScore::SoloNotes(int& count) {
  count = static_cast<int>(sizeof(SOLO_NOTES) / sizeof(SOLO_NOTES[0]));
  return SOLO_NOTES;
}
