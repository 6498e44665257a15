// One frame of the battle sketch, measured against the cheapest way to make
// a screen of the same size: a new 96 × 64 sprite, all clear. The sketch
// draws a frame on every tick while it plays, so a frame must stay well
// under a millisecond; the verdict is printed at the end.

#include <benchmark/benchmark.h>

#include <iostream>
#include <random>

#include "Battle.h"
#include "MeanReporter.h"
#include "Rules.h"

namespace {

constexpr double kLimitMicroseconds = 1000;

// Random pixels in every pose at the most a pose may pack (200 bytes), the
// normal one 40 × 40: the most a frame ever draws. The same every run.
palvorn::Enemy largestEnemy()
{
    std::mt19937 random(20261210u);
    const auto noise = [&random](int width, int height) {
        palvorn::Sprite s(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                s.setPixel(x, y, random() & 1u);
        return s;
    };
    palvorn::Enemy e;
    e.sprites = {noise(40, 40), noise(40, 40), noise(64, 25), noise(40, 40), noise(40, 40)};
    return e;
}

// Every frame of the loop in turn.
void BattleFrame(benchmark::State& state)
{
    const palvorn::Enemy enemy = largestEnemy();
    int frame = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(palvorn::battleFrame(enemy, frame));
        frame = (frame + 1) % palvorn::battleLoopFrames();
    }
}

// The yardstick: a fresh screen-sized sprite, filled clear.
void PlainFill(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(palvorn::Sprite(palvorn::kScreenWidth, palvorn::kScreenHeight));
}

BENCHMARK(BattleFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainFill)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    MeanReporter reporter;
    if (!runBenchmarks(argc, argv, reporter))
        return 1;
    const double frame = reporter.mean("BattleFrame/");
    const double fill = reporter.mean("PlainFill/");
    if (frame > 0 && fill > 0)
        std::cout << "Battle frame, largest poses: " << frame << " us ("
                  << (frame < kLimitMicroseconds ? "under" : "OVER") << " the " << kLimitMicroseconds
                  << " us limit), plain fill " << fill << " us, ratio " << frame / fill << "\n";
    return 0;
}
