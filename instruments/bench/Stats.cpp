#include "Stats.h"

#include <algorithm>

namespace {
// Linear interpolation between the closest ranks of a sorted, non-empty list.
double Quantile(const std::vector<double>& sorted, double q) {
  const double position = q * static_cast<double>(sorted.size() - 1);
  const size_t below = static_cast<size_t>(position);
  const size_t above = std::min(below + 1, sorted.size() - 1);
  const double fraction = position - static_cast<double>(below);
  return sorted[below] + (sorted[above] - sorted[below]) * fraction;
}
}  // namespace

Summary Summarize(std::vector<double> values) {
  Summary summary;
  if (values.empty()) return summary;
  std::sort(values.begin(), values.end());
  summary.count = static_cast<int>(values.size());
  summary.median = Quantile(values, 0.5);
  summary.p25 = Quantile(values, 0.25);
  summary.p75 = Quantile(values, 0.75);
  summary.min = values.front();
  summary.max = values.back();
  return summary;
}
