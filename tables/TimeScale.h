#pragma once
// Tempo-sync time scales shared by the envelopes, LFOs, MSEGs, arpeggiator,
// trance gate and the delay, echoes and tremolo effects. Indices 0 to 30 are
// note lengths in whole notes (seconds = ratio x 240 / tempo); 31 to 33 are
// 0.05, 1 and 10 seconds.

const unsigned int TIME_SCALE_COUNT = 34;
const unsigned int TIME_SCALE_LAST_NOTE_INDEX = 30;

extern const float TIME_SCALE_TO_RATIO[TIME_SCALE_COUNT];

namespace TimeScale {

// Truncates a stored sync setting toward zero and clamps anything outside
// the table (negative, NaN, above 33) to the last entry.
unsigned int ClampIndex(float value);

// Seconds of one time-scale entry at a tempo in quarter notes per minute.
// The index is clamped as ClampIndex does; a tempo that is not positive
// counts as 120.
float ToSeconds(unsigned int index, float tempo);

}  // namespace TimeScale
