#pragma once
// One-pole DC blocker: y = R * y1 + (x - x1). Callers keep non-finite values
// out of it (a NaN or infinity would stay in x1/y1 for good).

struct DC_BLOCKER {
  float r;
  float x1;
  float y1;
};

inline float DcBlock(DC_BLOCKER& dc, float x) {
  const float y = dc.r * dc.y1 + (x - dc.x1);
  dc.x1 = x;
  dc.y1 = y;
  return y;
}

inline void DcClear(DC_BLOCKER& dc) {
  dc.x1 = 0.0f;
  dc.y1 = 0.0f;
}
