#pragma once
// The modulation page's MSEG clipboard record, owned by the editor so that
// a copy survives closing the window and switching the shown MSEG. It holds
// no instance: a copy pastes into any of the four MSEGs.

#include <vector>

// A breakpoint of a multi-segment envelope.
struct MSEG_POINT {
  float time;   // steps, 0 to 16
  float level;  // 0 to 1
  float curve;  // -1 to 1, bend of the segment that ends here
};

typedef MSEG_POINT MSEG_COPY_POINT;

struct MSEG_COPY {
  // Owned by the record's holder (the editor deletes it); null = empty.
  std::vector<MSEG_POINT>* points = nullptr;
  unsigned int timeSnapping = 0;
  unsigned int levelSnapping = 0;
  unsigned char loopEnabled = 1;
  int loopStart = 0;
  int loopEnd = 1;
  float rate = 0.f;
  unsigned int curveMode = 0;
  unsigned int triggerMode = 0;
  unsigned int sync = 0;
};
