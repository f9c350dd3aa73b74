#pragma once
// Lookup tables of the effects, generated in code when the program is
// loaded (same form as the tables in Tables.h). Readers that run from
// other static initialisers call Tables::InitEffectTables() first.

namespace Tables {

// Dry/wet crossfade law: entry i = 0.5 + 0.5 * atan(6 * (i / 1024 - 0.5)) / atan(3)
// for i = 0..1022 and entry 1023 = 1, so 0 at entry 0 and 0.5 at entry 512,
// ten times steeper in the middle than at the ends. One guard entry (1).
const unsigned int DRYWET_TABLE_SIZE = 1024;
const unsigned int DRYWET_TABLE_SIZEM1 = DRYWET_TABLE_SIZE - 1;
extern float DRYWET_TABLE[DRYWET_TABLE_SIZE + 1];

// Fills the effect tables once; safe to call any number of times.
void InitEffectTables();

}  // namespace Tables
