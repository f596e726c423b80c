// The console report of Google Benchmark that also keeps each benchmark's wall-clock time per
// iteration (the median of its repetitions, when repeated), so that a program can print ratios
// of benchmarks measured in the same run.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred || run.iterations <= 0) {
                continue;
            }
            // Of repeated runs, the median stands for the benchmark.
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") {
                continue;
            }
            const std::string name = run.run_name.str();
            if (run.run_type == Run::RT_Aggregate || !medians.count(name)) {
                nanoseconds[name] =
                    run.real_accumulated_time / static_cast<double>(run.iterations) * 1e9;
            }
            if (run.run_type == Run::RT_Aggregate) {
                medians.insert(name);
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // The ratio of two benchmarks' times, or 0 when either did not run.
    double ratio(const std::string& numerator, const std::string& denominator) const {
        const auto a = nanoseconds.find(numerator), b = nanoseconds.find(denominator);
        return a == nanoseconds.end() || b == nanoseconds.end() ? 0.0 : a->second / b->second;
    }
    std::map<std::string, double> nanoseconds;

private:
    std::set<std::string> medians; // the benchmarks whose median has been reported
};
