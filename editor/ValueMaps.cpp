#include "editor/ValueMaps.h"

#include <climits>

namespace EditorMaps {

namespace {

const unsigned int MOD_SOURCE_POSITIONS = 23;
const unsigned int MOD_SOURCE_COUNT = 30;
const unsigned int MOD_TARGET_POSITIONS = 284;
const unsigned int MOD_TARGET_COUNT = 285;

// Source number of each menu position: LFOs, envelopes and MSEGs in order,
// then the MIDI controllers, note, velocity, random and the two morph axes.
const unsigned int MOD_SOURCE_OF_POSITION[MOD_SOURCE_POSITIONS] = {
    0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 18, 19, 20, 21, 22, 23, 24, 26, 28, 29};

// Runs of target menu positions and the target numbers they stand for: the
// menu groups the oscillator filters after the levels, swaps some bus pairs
// and puts the master section after the trance gate.
struct TARGET_RUN {
  unsigned int firstPosition;
  unsigned int lastPosition;
  unsigned int firstTarget;
};
const TARGET_RUN TARGET_RUNS[] = {
    {0, 0, 0},       {1, 24, 2},      {25, 52, 42},    {53, 68, 26},  {69, 81, 70},
    {82, 83, 85},    {84, 85, 83},    {86, 89, 89},    {90, 91, 87},  {92, 93, 95},
    {94, 95, 93},    {96, 99, 97},    {100, 134, 104}, {135, 137, 101}, {138, 283, 139},
};

struct TARGET_TABLES {
  unsigned int targetOfPosition[MOD_TARGET_POSITIONS];
  unsigned int positionOfTarget[MOD_TARGET_COUNT];
  TARGET_TABLES() {
    for (unsigned int& t : targetOfPosition) t = 0;
    for (unsigned int& p : positionOfTarget) p = 0;
    for (const TARGET_RUN& run : TARGET_RUNS) {
      for (unsigned int p = run.firstPosition; p <= run.lastPosition; ++p) {
        unsigned int target = run.firstTarget + (p - run.firstPosition);
        targetOfPosition[p] = target;
        positionOfTarget[target] = p;
      }
    }
  }
};

const TARGET_TABLES& TargetTables() {
  static const TARGET_TABLES tables;
  return tables;
}

const unsigned int MAX_VOICES[] = {1, 2, 3, 4, 5, 6, 7, 8, 12, 16, 32, 64};
const unsigned int MAX_VOICES_COUNT = sizeof(MAX_VOICES) / sizeof(MAX_VOICES[0]);

}  // namespace

unsigned int ControlIndex(float value) {
  if (!(value > -1.0f && value < 4294967296.0f)) return UINT_MAX;
  return static_cast<unsigned int>(value);
}

int StoredInt(float value) {
  if (value > -2147483648.0f && value < 2147483648.0f) return static_cast<int>(value);
  return INT_MIN;
}

unsigned int ValueToModSource(float position) {
  unsigned int p = ControlIndex(position);
  return p < MOD_SOURCE_POSITIONS ? MOD_SOURCE_OF_POSITION[p] : 0;
}

float ModSourceToValue(float source) {
  unsigned int s = ControlIndex(source);
  if (s >= MOD_SOURCE_COUNT) return 0.0f;
  for (unsigned int p = 0; p < MOD_SOURCE_POSITIONS; ++p) {
    if (MOD_SOURCE_OF_POSITION[p] == s) return static_cast<float>(p);
  }
  return 0.0f;
}

unsigned int ValueToModTarget(float position) {
  unsigned int p = ControlIndex(position);
  return p < MOD_TARGET_POSITIONS ? TargetTables().targetOfPosition[p] : 0;
}

float ModTargetToValue(float target) {
  unsigned int t = ControlIndex(target);
  return t < MOD_TARGET_COUNT ? static_cast<float>(TargetTables().positionOfTarget[t]) : 0.0f;
}

unsigned int MaxVoicesToStored(float index) {
  unsigned int i = ControlIndex(index);
  return i < MAX_VOICES_COUNT ? MAX_VOICES[i] : 8;
}

float MaxVoicesToIndex(int stored) {
  for (unsigned int i = 0; i < MAX_VOICES_COUNT; ++i) {
    if (static_cast<int>(MAX_VOICES[i]) == stored) return static_cast<float>(i);
  }
  return 7.0f;
}

int OctaveToStored(float index) {
  unsigned int i = ControlIndex(index);
  return i < 10 ? 4 - static_cast<int>(i) : 0;
}

float OctaveToIndex(int stored) { return (stored >= -5 && stored <= 4) ? static_cast<float>(4 - stored) : 4.0f; }

int SemitoneToStored(float index) {
  unsigned int i = ControlIndex(index);
  return i < 15 ? 7 - static_cast<int>(i) : 0;
}

float SemitoneToIndex(int stored) { return (stored >= -7 && stored <= 7) ? static_cast<float>(7 - stored) : 7.0f; }

int MasterTuneToStored(float index) {
  unsigned int i = ControlIndex(index);
  return i < 49 ? 24 - static_cast<int>(i) : 0;
}

float MasterTuneToIndex(int stored) {
  return (stored >= -24 && stored <= 24) ? static_cast<float>(24 - stored) : 24.0f;
}

// The list has eight entries, "1" to "8". An index past them stores the
// largest count and one below them the smallest: always the count nearest
// the one picked, never one the engine does not have.
int UnisonCountToStored(float index) {
  if (!(index > 0.0f)) return 1;  // also NaN
  unsigned int i = ControlIndex(index);
  return i < 8 ? static_cast<int>(i) + 1 : 8;
}

float UnisonCountToIndex(int stored) { return (stored >= 1 && stored <= 8) ? static_cast<float>(stored - 1) : 0.0f; }

int StageOrderToStored(float value) { return value == 0.0f ? 1 : 0; }

float StageOrderToIndex(int stored) { return stored == 0 ? 1.0f : 0.0f; }

int OversamplingToStored(float segment) {
  static const int STORED[3] = {2, 0, 1};
  unsigned int s = ControlIndex(segment);
  return s < 3 ? STORED[s] : 2;
}

float OversamplingToIndex(int stored) {
  static const float INDEX[3] = {1.0f, 2.0f, 0.0f};
  return (stored >= 0 && stored < 3) ? INDEX[stored] : 0.0f;
}

}  // namespace EditorMaps
