#include "tables/Pchip.h"

#include <cstddef>

CPchip::CPchip(const std::vector<double>& x, const std::vector<double>& y) : m_x(x), m_y(y), m_d(x.size(), 0.0) {
  std::size_t n = x.size();
  if (n < 2) return;
  std::vector<double> delta(n - 1);
  for (std::size_t i = 0; i + 1 < n; ++i) delta[i] = (y[i + 1] - y[i]) / (x[i + 1] - x[i]);
  m_d[0] = delta[0];
  m_d[n - 1] = delta[n - 2];
  for (std::size_t i = 1; i + 1 < n; ++i) {
    if (delta[i - 1] * delta[i] <= 0.0) {
      m_d[i] = 0.0;
    } else {
      double h0 = x[i] - x[i - 1];
      double h1 = x[i + 1] - x[i];
      double w1 = 2.0 * h1 + h0;
      double w2 = h1 + 2.0 * h0;
      m_d[i] = (w1 + w2) / (w1 / delta[i - 1] + w2 / delta[i]);
    }
  }
}

double CPchip::operator()(double t) const {
  std::size_t n = m_x.size();
  if (n == 0) return 0.0;
  if (n == 1 || t <= m_x[0]) return m_y[0];
  if (t >= m_x[n - 1]) return m_y[n - 1];
  std::size_t lo = 0, hi = n - 1;
  while (hi - lo > 1) {
    std::size_t mid = (lo + hi) / 2;
    if (m_x[mid] <= t) lo = mid;
    else hi = mid;
  }
  double h = m_x[hi] - m_x[lo];
  double s = (t - m_x[lo]) / h;
  double s2 = s * s, s3 = s2 * s;
  double h00 = 2 * s3 - 3 * s2 + 1, h10 = s3 - 2 * s2 + s, h01 = -2 * s3 + 3 * s2, h11 = s3 - s2;
  return h00 * m_y[lo] + h10 * h * m_d[lo] + h01 * m_y[hi] + h11 * h * m_d[hi];
}
