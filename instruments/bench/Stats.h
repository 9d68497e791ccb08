// Summaries of repeated measurements: median and spread.
#pragma once

#include <vector>

struct Summary {
  int count = 0;
  double median = 0;
  double p25 = 0;  // interquartile range: the spread reported beside each median
  double p75 = 0;
  double min = 0;
  double max = 0;
};

Summary Summarize(std::vector<double> values);
