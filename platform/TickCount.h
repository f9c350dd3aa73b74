#pragma once
// Ticks (1/60 s) since an arbitrary start, as the seed source of srand.
#include <cstdint>
uint32_t TickCount();
