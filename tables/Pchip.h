#pragma once
// Shape-preserving piecewise cubic Hermite interpolation through a set of
// knots, used to build lookup tables that must pass through given values
// without overshooting between them. Table construction only.

#include <vector>

class CPchip {
 public:
  // x strictly increasing; at least two knots.
  CPchip(const std::vector<double>& x, const std::vector<double>& y);
  double operator()(double t) const;

 private:
  std::vector<double> m_x;
  std::vector<double> m_y;
  std::vector<double> m_d;
};
