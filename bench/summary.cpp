#include "summary.h"

#include <algorithm>
#include <cstdio>

namespace bench {

namespace {

std::vector<Ratio>& Ratios() {
    static std::vector<Ratio> ratios;
    return ratios;
}

double Quantile(std::vector<double> values, double q) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const double at = q * static_cast<double>(values.size() - 1);
    const auto below = static_cast<std::size_t>(at);
    const std::size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (values[above] - values[below]) * (at - static_cast<double>(below));
}

double Min(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}

double Max(const std::vector<double>& v) {
    return *std::max_element(v.begin(), v.end());
}

double ToMilliseconds(double value, benchmark::TimeUnit unit) {
    switch (unit) {
        case benchmark::kNanosecond:
            return value / 1e6;
        case benchmark::kMicrosecond:
            return value / 1e3;
        case benchmark::kMillisecond:
            return value;
        case benchmark::kSecond:
            return value * 1e3;
    }
    return value;
}

}  // namespace

void AddRatio(Ratio ratio) {
    Ratios().push_back(std::move(ratio));
}

benchmark::internal::Benchmark* Configure(benchmark::internal::Benchmark* b, int repetitions,
                                          Timing timing) {
    if (timing == Timing::Manual) {
        b->UseManualTime();
    } else if (timing == Timing::Clock) {
        b->UseRealTime();
    }
    return b->Unit(benchmark::kMillisecond)
        ->Repetitions(repetitions)
        ->ComputeStatistics("min", Min)
        ->ComputeStatistics("max", Max);
}

void SummaryReporter::ReportRuns(const std::vector<Run>& runs) {
    std::vector<Run> aggregates;
    for (const Run& run : runs) {
        if (run.run_type == Run::RT_Aggregate) {
            aggregates.push_back(run);
        } else if (!run.error_occurred) {
            const std::string& name = run.run_name.function_name;
            if (!times_.count(name)) {
                order_.push_back(name);
            }
            const bool clock = !run.run_name.time_type.empty();
            times_[name].push_back(ToMilliseconds(
                clock ? run.GetAdjustedRealTime() : run.GetAdjustedCPUTime(), run.time_unit));
        }
    }
    // The single repetitions would drown the aggregates; the summary has them.
    if (!aggregates.empty()) {
        ConsoleReporter::ReportRuns(aggregates);
    }
}

void SummaryReporter::Finalize() {
    ConsoleReporter::Finalize();
    std::FILE* out = stdout;
    std::fprintf(out, "\n%-34s %5s %10s %10s %10s %8s\n", "benchmark (ms per operation)", "reps",
                 "median", "min", "max", "IQR");
    for (const std::string& name : order_) {
        const std::vector<double>& t = times_[name];
        const double median = Quantile(t, 0.5);
        const double iqr = Quantile(t, 0.75) - Quantile(t, 0.25);
        std::fprintf(out, "%-34s %5zu %10.4g %10.4g %10.4g %7.1f%%\n", name.c_str(), t.size(),
                     median, Min(t), Max(t), median > 0 ? 100 * iqr / median : 0.0);
    }
    std::fprintf(out, "\n%-70s %8s %15s %9s\n", "ratio (medians; range from the quartiles)",
                 "ratio", "range", "target");
    for (const Ratio& ratio : Ratios()) {
        const auto measured = times_.find(ratio.measured);
        const auto baseline = times_.find(ratio.baseline);
        if (measured == times_.end() || baseline == times_.end()) {
            continue;  // filtered out or failed
        }
        const std::vector<double>& m = measured->second;
        const std::vector<double>& b = baseline->second;
        const auto added = times_.find(ratio.added);
        const auto base = [&](double q) {
            return Quantile(b, q) + (added == times_.end() ? 0.0 : Quantile(added->second, q));
        };
        const double value = Quantile(m, 0.5) / base(0.5);
        const double low = Quantile(m, 0.25) / base(0.75);
        const double high = Quantile(m, 0.75) / base(0.25);
        const bool met = ratio.atMost ? value <= ratio.limit : value >= ratio.limit;
        char range[32];
        std::snprintf(range, sizeof range, "%.2f-%.2f", low, high);
        char target[32] = "-";
        if (ratio.limit > 0) {
            std::snprintf(target, sizeof target, "%s%.1fx",
                          ratio.atMost ? "<=" : ">=", ratio.limit);
        }
        std::fprintf(out, "%-70s %7.2fx %15s %9s %s\n", ratio.label.c_str(), value, range, target,
                     ratio.limit > 0 ? (met ? "met" : "MISSED") : "");
    }
    std::fflush(out);
}

}  // namespace bench
