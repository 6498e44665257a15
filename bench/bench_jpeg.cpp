// Taking a 4096 x 4096 photo-like JPEG in from its bytes (decode, kept
// picture, sprite and marks, the Threshold it starts at), against
// libjpeg-turbo's own decode of the same bytes to RGB into a buffer made
// beforehand, the yardstick, in the same run. Goal: at most 1.2 times it.

#include <benchmark/benchmark.h>

#include <turbojpeg.h>

#include <QByteArray>

#include <algorithm>
#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "MeanReporter.h"
#include "TakePicture.h"

namespace {

constexpr double kGoalRatio = 1.2;

// A side x side colour photo: gradients, a soft round shape, some noise,
// as a quality 90 JPEG with chroma halved both ways (a camera's usual).
const QByteArray& photoJpeg(int side)
{
    static std::vector<std::pair<int, QByteArray>> made;
    for (const auto& [s, bytes] : made)
        if (s == side)
            return bytes;
    std::vector<unsigned char> rgb(std::size_t(side) * std::size_t(side) * 3);
    std::uint32_t seed = 1;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int dx = x - side / 2, dy = y - side / 3;
            const int shape = dx * dx + dy * dy < (side / 4) * (side / 4) ? -80 : 0;
            const int noise = int(seed >> 24) % 16 - 8;
            unsigned char* p = &rgb[(std::size_t(y) * std::size_t(side) + std::size_t(x)) * 3];
            p[0] = std::uint8_t(std::clamp(x * 255 / side + shape + noise, 0, 255));
            p[1] = std::uint8_t(std::clamp((x + y) * 255 / (2 * side) + shape + noise, 0, 255));
            p[2] = std::uint8_t(std::clamp(y * 255 / side + shape + noise, 0, 255));
        }
    tjhandle handle = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    QByteArray bytes;
    if (handle && tjCompress2(handle, rgb.data(), side, 0, side, TJPF_RGB, &jpeg, &size, TJSAMP_420, 90, 0) == 0)
        bytes = QByteArray(reinterpret_cast<const char*>(jpeg), qsizetype(size));
    tjFree(jpeg);
    tjDestroy(handle);
    made.emplace_back(side, bytes);
    return made.back().second;
}

void TakeJpeg(benchmark::State& state)
{
    const QByteArray& bytes = photoJpeg(int(state.range(0)));
    for (auto _ : state) {
        const TakenPicture taken = takePictureData(bytes, QStringLiteral("photo.jpg"));
        benchmark::DoNotOptimize(taken.sprite.row(0));
    }
}

void TurboJpegRgb(benchmark::State& state)
{
    const int side = int(state.range(0));
    const QByteArray& bytes = photoJpeg(side);
    std::vector<unsigned char> rgb(std::size_t(side) * std::size_t(side) * 3);
    tjhandle handle = tjInitDecompress();
    for (auto _ : state) {
        if (tjDecompress2(handle, reinterpret_cast<const unsigned char*>(bytes.constData()),
                          static_cast<unsigned long>(bytes.size()), rgb.data(), side, 0, side, TJPF_RGB, 0) != 0) {
            state.SkipWithError("libjpeg-turbo could not decode the picture");
            break;
        }
        benchmark::DoNotOptimize(rgb.data());
    }
    tjDestroy(handle);
}

BENCHMARK(TakeJpeg)->Arg(256)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(TurboJpegRgb)->Arg(256)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    MeanReporter reporter;
    if (!runBenchmarks(argc, argv, reporter))
        return 1;
    // The goal is for 4096 x 4096; the small one keeps the smoke test quick.
    const double take = reporter.mean("TakeJpeg/4096");
    const double turbo = reporter.mean("TurboJpegRgb/4096");
    if (take > 0 && turbo > 0) {
        const double ratio = take / turbo;
        std::cout << "4096 x 4096 JPEG taken: " << take << " ms, libjpeg-turbo to RGB " << turbo << " ms, ratio "
                  << ratio << " (goal at most " << kGoalRatio << ": " << (ratio <= kGoalRatio ? "met" : "NOT MET")
                  << ")\n";
    }
    return 0;
}
