// How long the wizard takes to start, from process start to the first idle
// event loop with the window shown, against a bare Qt window started the same
// way in the same run. Goal: within 10 % of the bare window.
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>

extern char** environ;

namespace {

std::map<std::string, double> g_meanMs;

void startOnce(benchmark::State& state, const char* mode)
{
    char program[] = PALVORN_WINDOW_START;
    std::string modeArg = mode;
    char* argv[] = {program, modeArg.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, program, nullptr, nullptr, argv, environ) != 0) {
        state.SkipWithError("cannot start window_start");
        return;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        state.SkipWithError("window_start failed");
}

void Start(benchmark::State& state, const char* mode)
{
    double totalMs = 0;
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        startOnce(state, mode);
        totalMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
    }
    g_meanMs[mode] = totalMs / static_cast<double>(state.iterations());
}

BENCHMARK_CAPTURE(Start, BareWindow, "bare")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Start, Wizard, "wizard")->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_meanMs.count("bare") && g_meanMs.count("wizard") && g_meanMs["bare"] > 0) {
        const double ratio = g_meanMs["wizard"] / g_meanMs["bare"];
        std::printf("start to shown window: wizard %.2f ms, bare window %.2f ms, ratio %.3f (goal <= 1.10)\n",
                    g_meanMs["wizard"], g_meanMs["bare"], ratio);
    }
    return 0;
}
