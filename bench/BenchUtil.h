// Measuring helpers shared by the benchmarks: medians, this process's CPU time, and the verdict
// line each figure prints.
#pragma once

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace kovra::bench {

inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

inline double NowMs() {
  return std::chrono::duration<double, std::milli>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// User plus kernel time of this process in milliseconds, measured from inside: under Wine the
// times of another process read as zero. Wine counts them in whole scheduler ticks (10 ms), so
// callers measure blocks of many operations rather than one.
inline double ProcessCpuMs() {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return 0;
  auto ms = [](const FILETIME& t) {
    return static_cast<double>(ULARGE_INTEGER{{t.dwLowDateTime, t.dwHighDateTime}}.QuadPart) /
           10000.0;
  };
  return ms(kernel) + ms(user);
}

// Prints one figure as a ratio against its reference and whether it meets its limit.
class Verdicts {
 public:
  void Ratio(const char* name, double measured, double reference, double limit, bool atMost,
             const char* unit = "ms") {
    const double ratio = reference > 0 ? measured / reference : 0;
    const bool met = reference > 0 && (atMost ? ratio <= limit : ratio >= limit);
    std::printf("%-52s %10.3f %s / %10.3f %s = %8.4f  (%s %.3f)  %s\n", name, measured, unit,
                reference, unit, ratio, atMost ? "<=" : ">=", limit, met ? "met" : "NOT MET");
    std::fflush(stdout);
    failed_ |= !met;
  }
  void Check(const char* name, bool met, const char* detail) {
    std::printf("%-52s %s  %s\n", name, detail, met ? "met" : "NOT MET");
    std::fflush(stdout);
    failed_ |= !met;
  }
  int ExitCode() const { return failed_ ? 1 : 0; }

 private:
  bool failed_ = false;
};

}  // namespace kovra::bench
