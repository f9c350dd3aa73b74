#pragma once
// Stand-ins for the single-cycle source waves that the instrument waves share
// with the phase-modulation, resonant and formant waves (weak saw, weak
// triangle, resonant 1 to 4, flute 1, guitar 2). Same names, sizes and
// harmonic outline as the shared tables; the instrument waves read them
// through one namespace alias (osc/InstrumentWaves.cpp), so switching to
// the shared tables is a one-line change that drops these files.

namespace WaveStandIns {

const unsigned int STAND_IN_TABLE_SIZE = 16384;

const unsigned int WEAKSAW_TABLE_SIZEM1 = STAND_IN_TABLE_SIZE - 1;
extern float WEAKSAW_TABLE[STAND_IN_TABLE_SIZE + 1];
const unsigned int WEAKTRIANGLE_TABLE_SIZEM1 = STAND_IN_TABLE_SIZE - 1;
extern float WEAKTRIANGLE_TABLE[STAND_IN_TABLE_SIZE + 1];
const unsigned int RESONANT1_TABLE_SIZEM1 = STAND_IN_TABLE_SIZE - 1;
extern float RESONANT1_TABLE[STAND_IN_TABLE_SIZE + 1];
const unsigned int RESONANT2_TABLE_SIZEM1 = STAND_IN_TABLE_SIZE - 1;
extern float RESONANT2_TABLE[STAND_IN_TABLE_SIZE + 1];
const unsigned int RESONANT3_TABLE_SIZEM1 = STAND_IN_TABLE_SIZE - 1;
extern float RESONANT3_TABLE[STAND_IN_TABLE_SIZE + 1];
const unsigned int RESONANT4_TABLE_SIZEM1 = STAND_IN_TABLE_SIZE - 1;
extern float RESONANT4_TABLE[STAND_IN_TABLE_SIZE + 1];
const unsigned int SYN_FLUTE1_TABLE_SIZEM1 = STAND_IN_TABLE_SIZE - 1;
extern float SYN_FLUTE1_TABLE[STAND_IN_TABLE_SIZE + 1];
const unsigned int SYN_GUITAR2_TABLE_SIZEM1 = STAND_IN_TABLE_SIZE - 1;
extern float SYN_GUITAR2_TABLE[STAND_IN_TABLE_SIZE + 1];

void InitWaveStandIns();

}  // namespace WaveStandIns
