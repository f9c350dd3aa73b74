#pragma once
// Conversions between what the editor's controls show and what the engine
// stores: the positions of the modulation source and target menus against the
// engine's source and target numbers, and the integer settings whose list
// index differs from the stored value. Every conversion is total: an index or
// value out of its range gives the neutral value instead of indexing out of
// bounds.

namespace EditorMaps {

// A control value truncated toward zero as an unsigned index; negative,
// non-finite and huge values give a number beyond every table.
unsigned int ControlIndex(float value);
// A stored integer setting, truncated toward zero; non-finite and huge values
// give a number no remap accepts.
int StoredInt(float value);

// Source menu position 0-22 -> source number; beyond 22 -> 0.
unsigned int ValueToModSource(float position);
// Source number 0-29 -> menu position; sources without an entry and numbers
// beyond 29 -> 0.
float ModSourceToValue(float source);
// Target menu position 0-283 -> target number; beyond 283 -> 0.
unsigned int ValueToModTarget(float position);
// Target number 0-284 -> menu position; target 1 and numbers beyond 284 -> 0.
float ModTargetToValue(float target);

// Maximum voices (490): list index <-> voice count.
unsigned int MaxVoicesToStored(float index);
float MaxVoicesToIndex(int stored);
// Oscillator octave (434-437): list "+4" .. "-5".
int OctaveToStored(float index);
float OctaveToIndex(int stored);
// Oscillator semitone (438-441): list "+7" .. "-7".
int SemitoneToStored(float index);
float SemitoneToIndex(int stored);
// Transpose (483) and bend range (1583): list "+24" .. "-24".
int MasterTuneToStored(float index);
float MasterTuneToIndex(int stored);
// Unison count (488): list "1" .. "8".
int UnisonCountToStored(float index);
float UnisonCountToIndex(int stored);
// Bus stage order (479): the button shows the inverse of the stored flag.
int StageOrderToStored(float value);
float StageOrderToIndex(int stored);
// Oversampling (1581): selector segment 2x, 4x, 8x <-> stored 2, 0, 1.
int OversamplingToStored(float segment);
float OversamplingToIndex(int stored);

}  // namespace EditorMaps
