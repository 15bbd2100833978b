// Benchmark entry: runs every benchmark of the binary, then prints the ratio of each
// "<name>/ours" to its peers ("<name>/<peer>") measured in the same run.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

// Keeps the median (or, without repetitions, the plain) time of every benchmark.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            // Keyed by the benchmark's own name, without iteration or repetition suffixes.
            std::string name = run.run_name.function_name;
            if (!run.run_name.args.empty()) {
                name += "/" + run.run_name.args;
            }
            if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name == "median") {
                    medians_[name] = run.GetAdjustedRealTime();
                }
            } else {
                plain_[name] = run.GetAdjustedRealTime();
            }
        }
    }

    void printRatios() const {
        std::map<std::string, double> times = plain_;
        for (const auto& [name, time] : medians_) {
            times[name] = time;
        }
        std::printf("\nRatios (time of ours / time of peer; below 1.0 means ours is faster):\n");
        for (const auto& [name, ours] : times) {
            const auto slash = name.rfind("/ours");
            if (slash == std::string::npos || slash + 5 != name.size()) {
                continue;
            }
            const std::string base = name.substr(0, slash + 1);
            for (const auto& [peerName, peer] : times) {
                if (peerName.rfind(base, 0) == 0 && peerName != name && peer > 0) {
                    std::printf("  %-40s %.3f  (throughput ours/peer %.3f)\n",
                                (name + " vs " + peerName.substr(base.size())).c_str(), ours / peer,
                                peer / ours);
                }
            }
        }
    }

private:
    std::map<std::string, double> medians_;
    std::map<std::string, double> plain_;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    return 0;
}
