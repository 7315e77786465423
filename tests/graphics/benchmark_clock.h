// The graphics benchmarks' clock: milliseconds of the performance counter.
#ifndef VELMORA_TESTS_GRAPHICS_BENCHMARK_CLOCK_H
#define VELMORA_TESTS_GRAPHICS_BENCHMARK_CLOCK_H

#include <windows.h>

inline double BenchmarkNow() {
  static LARGE_INTEGER frequency = {};
  if (frequency.QuadPart == 0) QueryPerformanceFrequency(&frequency);
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

#endif
