#pragma once

// The figures that matter are ratios of two benchmarks measured in the same
// run. Each benchmark file names its pairs here; the reporter prints them
// after the last benchmark.

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace bench {

struct Ratio {
    std::string label;
    std::string measured;  // benchmark names
    std::string baseline;
    double limit;            // the target for measured / baseline; 0 for none
    bool atMost;             // true: at most `limit`; false: at least `limit`
    std::string added = {};  // a benchmark whose time is added to the baseline's
};

void AddRatio(Ratio ratio);

// How a benchmark is timed: processor time for work on the processor alone
// (other programs on the machine disturb it less), the clock for writes that
// wait for the disk, or the time the benchmark measures itself.
enum class Timing { Processor, Clock, Manual };

// Repetitions, milliseconds, the timing and the statistics the summary reads;
// every benchmark of this program goes through it.
benchmark::internal::Benchmark* Configure(benchmark::internal::Benchmark* b, int repetitions,
                                          Timing timing);

// Prints the aggregates of every benchmark as the console reporter does and,
// at the end, each benchmark's median and spread and the ratios.
class SummaryReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

  private:
    std::map<std::string, std::vector<double>> times_;  // ms per repetition
    std::vector<std::string> order_;
};

}  // namespace bench
