#pragma once
// Every lookup table that the build computes ahead of time (tables/TableBuild.h
// is the code, tools/tablegen runs it) and the program carries as read-only
// data (tables/EmbeddedTables.cpp), as X(NAMESPACE, NAME, COUNT): the table
// NAMESPACE::NAME of COUNT floats, guard values included. The build reads
// this list too (CMakeLists.txt): one entry a line, in this form.

#include "tables/EffectCurves.h"
#include "tables/EnvTables.h"
#include "tables/GrainTables.h"
#include "tables/InstrumentTables.h"
#include "tables/KaiserTables.h"
#include "tables/LfoTables.h"
#include "tables/NoiseLoopTables.h"
#include "tables/NoiseTables.h"
#include "tables/Tables.h"
#include "tables/ToneTables.h"
#include "tables/WaveTables.h"

// clang-format off
#define MORLAVINE_GENERATED_TABLES(X) \
  X(Tables, TUNE_TABLE, Tables::TUNE_TABLE_SIZE + 1) \
  X(Tables, SINE_TABLE, Tables::SINE_TABLE_SIZE + 4) \
  X(Tables, EXP_TABLE, Tables::EXP_TABLE_SIZE + 1) \
  X(Tables, FASTFADEIN_TABLE, Tables::FASTFADEIN_TABLE_SIZE + 1) \
  X(Tables, BUZZ_TABLE, Tables::BUZZ_TABLE_SIZE + 1) \
  X(Tables, LOG_SCALE_TABLE, Tables::LOG_SCALE_TABLE_SIZE + 1) \
  X(Tables, ILOG_SCALE_TABLE, Tables::LOG_SCALE_TABLE_SIZE + 1) \
  X(Tables, WEAKSAW_TABLE, Tables::WEAKSAW_TABLE_SIZE + 1) \
  X(Tables, WEAKTRIANGLE_TABLE, Tables::WEAKTRIANGLE_TABLE_SIZE + 1) \
  X(Tables, RESONANT1_TABLE, Tables::RESONANT1_TABLE_SIZE + 1) \
  X(Tables, RESONANT2_TABLE, Tables::RESONANT2_TABLE_SIZE + 1) \
  X(Tables, RESONANT3_TABLE, Tables::RESONANT3_TABLE_SIZE + 1) \
  X(Tables, RESONANT4_TABLE, Tables::RESONANT4_TABLE_SIZE + 1) \
  X(Tables, RESONANT5_TABLE, Tables::RESONANT5_TABLE_SIZE + 1) \
  X(Tables, VOWEL1_TABLE, Tables::VOWEL1_TABLE_SIZE + 1) \
  X(Tables, VOWEL2_TABLE, Tables::VOWEL2_TABLE_SIZE + 1) \
  X(Tables, VOWEL3_TABLE, Tables::VOWEL3_TABLE_SIZE + 1) \
  X(Tables, SYN_FLUTE1_TABLE, Tables::SYN_FLUTE1_TABLE_SIZE + 1) \
  X(Tables, SYN_GUITAR2_TABLE, Tables::SYN_GUITAR2_TABLE_SIZE + 1) \
  X(Tables, BELL_TABLE, Tables::BELL_TABLE_SIZE + 1) \
  X(Tables, INHARM1_TABLE, Tables::INHARM1_TABLE_SIZE + 1) \
  X(Tables, INHARM2_TABLE, Tables::INHARM2_TABLE_SIZE + 1) \
  X(Tables, ORGAN_TABLE, Tables::ORGAN_TABLE_SIZE + 1) \
  X(Tables, ORGAN2_TABLE, Tables::ORGAN2_TABLE_SIZE + 1) \
  X(Tables, SYN_BRASS1_TABLE, Tables::SYN_BRASS1_TABLE_SIZE + 1) \
  X(Tables, SYN_BRASS2_TABLE, Tables::SYN_BRASS2_TABLE_SIZE + 1) \
  X(Tables, SYN_CELLO_TABLE, Tables::SYN_CELLO_TABLE_SIZE + 1) \
  X(Tables, SYN_FLUTE2_TABLE, Tables::SYN_FLUTE2_TABLE_SIZE + 1) \
  X(Tables, SYN_GUITAR1_TABLE, Tables::SYN_GUITAR1_TABLE_SIZE + 1) \
  X(Tables, SYN_OBOE_TABLE, Tables::SYN_OBOE_TABLE_SIZE + 1) \
  X(Tables, SYN_GUITARMOD1_TABLE, Tables::SYN_GUITARMOD1_TABLE_SIZE + 1) \
  X(Tables, SYN_GUITARMOD2_TABLE, Tables::SYN_GUITARMOD2_TABLE_SIZE + 1) \
  X(Tables, NOISE_BROWN_TABLE, Tables::NOISE_BROWN_TABLE_SIZE + 1) \
  X(Tables, NOISE_DRONE1_TABLE, Tables::NOISE_DRONE1_TABLE_SIZE + 1) \
  X(Tables, NOISE_DRONE2_TABLE, Tables::NOISE_DRONE2_TABLE_SIZE + 1) \
  X(Tables, NOISE_DRONE3_TABLE, Tables::NOISE_DRONE3_TABLE_SIZE + 1) \
  X(Tables, NOISE_DRONE4_TABLE, Tables::NOISE_DRONE4_TABLE_SIZE + 1) \
  X(Tables, NOISE_DRONE5_TABLE, Tables::NOISE_DRONE5_TABLE_SIZE + 1) \
  X(Tables, NOISE_CRACKLE1_TABLE, Tables::NOISE_CRACKLE1_TABLE_SIZE + 1) \
  X(Tables, NOISE_CRACKLE2_TABLE, Tables::NOISE_CRACKLE2_TABLE_SIZE + 1) \
  X(Tables, NOISE_CRACKLE3_TABLE, Tables::NOISE_CRACKLE3_TABLE_SIZE + 1) \
  X(Tables, NOISE_CLICK_TABLE, Tables::NOISE_CLICK_TABLE_SIZE + 1) \
  X(LfoTables, SINE_TABLE, LfoTables::SINE_TABLE_SIZE + 1) \
  X(LfoTables, TRIANGLE_TABLE, LfoTables::TRIANGLE_TABLE_SIZE + 1) \
  X(LfoTables, SAW_TABLE, LfoTables::SAW_TABLE_SIZE + 1) \
  X(LfoTables, LOG_TABLE, LfoTables::LOG_TABLE_SIZE + 1) \
  X(LfoTables, EXP_TABLE, LfoTables::EXP_TABLE_SIZE + 1) \
  X(LfoTables, SQUARE_TABLE, LfoTables::SQUARE_TABLE_SIZE + 1) \
  X(LfoTables, LOGSQUARE_TABLE, LfoTables::LOGSQUARE_TABLE_SIZE + 1) \
  X(LfoTables, EXPSQUARE_TABLE, LfoTables::EXPSQUARE_TABLE_SIZE + 1) \
  X(Tables, ENV_DECAY_TABLE, Tables::ENV_DECAY_TABLE_SIZE) \
  X(Tables, NOISE_WHITE_TABLE, Tables::NOISE_WHITE_TABLE_SIZE) \
  X(Tables, GRAINWND_TABLE, Tables::GRAINWND_TABLE_SIZE + 4) \
  X(Tables, TUBE_TABLE, Tables::TUBE_TABLE_SIZE) \
  X(Tables, TUBE2_TABLE, Tables::TUBE2_TABLE_SIZE) \
  X(Tables, BL_SAW_WINDOW_TABLE, Tables::BL_SAW_WINDOW_N + 1) \
  X(Tables, BL_STEP_WINDOW_TABLE, Tables::BL_STEP_WINDOW_N + 1) \
  X(Tables, GRAINWND2_TABLE, Tables::GRAINWND2_TABLE_SIZE + 1)
// clang-format on
