// Writing an enemy file, measured against the cheapest way to put the same
// bytes on disk: one write call of a prepared buffer. The ratio of the two is
// printed at the end of the run.

#include <algorithm>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>
#include <string>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

#include "MeanReporter.h"
#include "EnemySource.h"

namespace {

std::filesystem::path g_folder;

// Five sprites side × side of random pixels (side at most 255, the most a
// file holds); the same every run.
palvorn::EnemyValues enemy(int side)
{
    std::mt19937 random(20261210u + static_cast<unsigned>(side));
    palvorn::EnemyValues v;
    v.name = "Bench";
    v.minHP = 20;
    v.increment = 5;
    v.highDefense = 5;
    v.lowDefense = 4;
    v.highAttack = 6;
    v.lowAttack = 3;
    v.specialAttack = 7;
    v.blockChance = 3;
    v.attacks = 5;
    v.itemPosition = 1;
    v.money = 15;
    // The largest picture a file can hold is 255 rows of 255 bytes, so the
    // placement of such a sprite is no longer meaningful; it only has to fit.
    v.robotY = std::max(64 - side, -128);
    v.robotX = std::max(96 - side, -128);
    v.robotTo = std::max(96 - side - 16, -128);
    for (palvorn::Sprite& s : v.sprites) {
        s = palvorn::Sprite(side, side);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                s.setPixel(x, y, random() & 1u);
    }
    return v;
}

const palvorn::EnemyValues& cachedEnemy(int side)
{
    static std::map<int, palvorn::EnemyValues> cache;
    auto it = cache.find(side);
    if (it == cache.end())
        it = cache.emplace(side, enemy(side)).first;
    return it->second;
}

void WriteEnemySource(benchmark::State& state)
{
    const palvorn::EnemyValues& values = cachedEnemy(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(palvorn::WriteEnemySource(g_folder, values));
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(palvorn::EnemySourceText(values).size()));
}

// The text alone, without the disk: time per pixel shows the packing is linear.
void EnemySourceText(benchmark::State& state)
{
    const palvorn::EnemyValues& values = cachedEnemy(static_cast<int>(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(palvorn::EnemySourceText(values));
    state.SetItemsProcessed(state.iterations() * 5 * state.range(0) * state.range(0));
}

// One write call of the finished text. Fresh: into a new file each time.
// Overwrite: into the same file, emptied on opening; some file systems then
// flush at close, as they do when the writer renames over an older file.
void PlainWrite(benchmark::State& state, bool fresh)
{
    const std::string text = palvorn::EnemySourceText(cachedEnemy(static_cast<int>(state.range(0))));
    const std::string path = (g_folder / "Plain.asm").string();
    for (auto _ : state) {
        if (fresh)
            ::unlink(path.c_str());
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) {
            state.SkipWithError("plain write failed");
            if (fd >= 0)
                ::close(fd);
            break;
        }
        ::close(fd);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

BENCHMARK(WriteEnemySource)->Arg(40)->Arg(255)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PlainWrite, Fresh, true)->Arg(40)->Arg(255)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(PlainWrite, Overwrite, false)->Arg(40)->Arg(255)->Unit(benchmark::kMicrosecond);
BENCHMARK(EnemySourceText)->Arg(40)->Arg(255)->Unit(benchmark::kMicrosecond);


}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    std::string folder = (std::filesystem::temp_directory_path() / "palvorn-bench-XXXXXX").string();
    if (!::mkdtemp(folder.data())) {
        std::perror("cannot make a temporary folder");
        return 1;
    }
    g_folder = folder;

    MeanReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    for (const char* side : {"40", "255"}) {
        const double writer = reporter.mean(std::string("WriteEnemySource/") + side);
        for (const char* plain : {"Fresh", "Overwrite"}) {
            const double baseline = reporter.mean(std::string("PlainWrite/") + plain + "/" + side);
            if (writer > 0 && baseline > 0)
                std::cout << "five " << side << " x " << side << " sprites: writer " << writer << " us, plain write ("
                          << plain << ") " << baseline << " us, ratio " << writer / baseline << "\n";
        }
    }

    std::error_code ignored;
    std::filesystem::remove_all(g_folder, ignored);
    return 0;
}
