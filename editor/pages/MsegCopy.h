#pragma once
// Placeholder: the modulation page's MSEG clipboard record, owned by the
// editor so that a copy survives closing the window. The MSEG editor page
// replaces this with its full record.

#include <vector>

struct MSEG_COPY_POINT {
  float time;
  float level;
  float curve;
};

struct MSEG_COPY {
  // Owned by the record's holder (the editor deletes it).
  std::vector<MSEG_COPY_POINT>* points = nullptr;
};
