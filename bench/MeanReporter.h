#pragma once
// The console table of a benchmark run, plus the mean real time of each
// benchmark ("Name/args"), so that a run can end with its ratios to the
// yardstick it measured beside them.

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

class MeanReporter : public benchmark::ConsoleReporter {
public:
    MeanReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || (run.run_type == Run::RT_Aggregate && run.aggregate_name != "mean"))
                continue;
            auto& [sum, count] = times_[run.run_name.function_name + "/" + run.run_name.args];
            sum += run.GetAdjustedRealTime();
            ++count;
        }
    }

    // In the benchmarks' own unit; 0 when the benchmark did not run.
    double mean(const std::string& name) const
    {
        const auto it = times_.find(name);
        return it == times_.end() || it->second.second == 0 ? 0 : it->second.first / it->second.second;
    }

private:
    std::map<std::string, std::pair<double, int>> times_;
};

// Runs the benchmarks the command line selects into reporter. False, after
// saying which, when an argument is not one of the benchmark library's.
inline bool runBenchmarks(int& argc, char** argv, MeanReporter& reporter)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return false;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return true;
}
