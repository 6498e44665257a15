// Scaling a kept picture, each against its yardstick in the same run:
//  - Fit plus Threshold from a kept 2000 x 2000 photo-like picture to the
//    sprite, beside a plain copy of its levels; goal under 300 ms.
//  - Area averaging of a 4096 x 4096 picture down to 37 % (1516 x 1516),
//    against ImageMagick's `convert -filter box -resize` of the same picture
//    as a PGM, less ImageMagick reading and writing that file (`convert
//    in.pgm out.pgm`), so that only its resize is compared; goal at most
//    1.5 times that.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

#include "Convert.h"
#include "MeanReporter.h"
#include "Scale.h"

namespace {

constexpr double kFitGoalMs = 300;
constexpr double kScaleGoalRatio = 1.5;
constexpr int kBigSide = 4096;
constexpr int kScale = 37;

// A photo-like picture's grey bytes: a diagonal gradient, a soft round
// shape and a few percent of noise, the same in every run.
std::vector<std::uint8_t> photoGreys(int side)
{
    std::vector<std::uint8_t> greys;
    greys.reserve(std::size_t(side) * std::size_t(side));
    std::uint32_t seed = 1;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int dx = x - side / 2, dy = y - side / 3;
            const int shape = dx * dx + dy * dy < (side / 4) * (side / 4) ? -60 : 0;
            const int noise = int(seed >> 24) % 16 - 8;
            greys.push_back(std::uint8_t(std::clamp(1 + (x + y) * 254 / (2 * side) + shape + noise, 1, 255)));
        }
    return greys;
}

palvorn::GreyPicture photo(int side)
{
    const std::vector<std::uint8_t> greys = photoGreys(side);
    palvorn::GreyPicture::Levels levels(greys.size());
    for (std::size_t i = 0; i < greys.size(); ++i)
        levels[i] = palvorn::greyLevel8(greys[i], greys[i], greys[i], 255);
    return palvorn::GreyPicture(side, side, std::move(levels));
}

const palvorn::GreyPicture& kept2000()
{
    static const palvorn::GreyPicture picture = photo(2000);
    return picture;
}

const palvorn::GreyPicture& big()
{
    static const palvorn::GreyPicture picture = photo(kBigSide);
    return picture;
}

bool g_folderMade = false;

// The big picture as a PGM in a scratch folder, for ImageMagick.
const std::filesystem::path& folder()
{
    static const std::filesystem::path path = [] {
        g_folderMade = true;
        const auto p = std::filesystem::temp_directory_path() / ("palvorn-bench-scale-" + std::to_string(::getpid()));
        std::filesystem::create_directories(p);
        const std::vector<std::uint8_t> greys = photoGreys(kBigSide);
        std::ofstream out(p / "in.pgm", std::ios::binary);
        out << "P5\n" << kBigSide << ' ' << kBigSide << "\n255\n";
        out.write(reinterpret_cast<const char*>(greys.data()), std::streamsize(greys.size()));
        return p;
    }();
    return path;
}

void FitThreshold(benchmark::State& state)
{
    const palvorn::GreyPicture& picture = kept2000();
    for (auto _ : state) {
        const std::optional<int> scale = palvorn::fitScale(picture.width(), picture.height());
        const palvorn::Converted converted =
            palvorn::convert(picture, {palvorn::ConvertMode::Threshold, palvorn::kDefaultThreshold, scale.value_or(1)});
        benchmark::DoNotOptimize(converted.sprite.row(0));
    }
}

// The yardstick beside it: the same levels copied.
void PlainCopy(benchmark::State& state)
{
    const palvorn::GreyPicture& picture = kept2000();
    for (auto _ : state) {
        std::vector<std::uint16_t> copy(std::size_t(picture.width()) * std::size_t(picture.height()));
        for (int y = 0; y < picture.height(); ++y)
            std::copy_n(picture.row(y), picture.width(), copy.data() + std::size_t(y) * std::size_t(picture.width()));
        benchmark::DoNotOptimize(copy.data());
    }
}

void AreaScale(benchmark::State& state)
{
    const palvorn::GreyPicture& picture = big();
    for (auto _ : state) {
        const palvorn::GreyPicture scaled = palvorn::scaledPicture(picture, kScale);
        benchmark::DoNotOptimize(scaled.row(0));
    }
}

void runImageMagick(benchmark::State& state, const std::string& operation)
{
    const std::filesystem::path& dir = folder();
    const std::string command = "convert \"" + (dir / "in.pgm").string() + "\" " + operation + " \"" +
                                (dir / "out.pgm").string() + "\" 2>/dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("ImageMagick's convert failed (is it installed?)");
            break;
        }
}

void ImageMagickBox(benchmark::State& state)
{
    const palvorn::PictureSize size = palvorn::scaledSize(kBigSide, kBigSide, kScale);
    runImageMagick(state, "-filter box -resize " + std::to_string(size.width) + "x" + std::to_string(size.height) + "!");
}

void ImageMagickCopy(benchmark::State& state) { runImageMagick(state, ""); }

BENCHMARK(FitThreshold)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainCopy)->Unit(benchmark::kMillisecond);
BENCHMARK(AreaScale)->Unit(benchmark::kMillisecond);
// Their work is in a child, so only the real time tells.
BENCHMARK(ImageMagickBox)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(ImageMagickCopy)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    MeanReporter reporter;
    const bool ran = runBenchmarks(argc, argv, reporter);
    if (g_folderMade)
        std::filesystem::remove_all(folder());
    if (!ran)
        return 1;

    if (const double fit = reporter.mean("FitThreshold/"); fit > 0)
        std::cout << "Fit plus Threshold, 2000 x 2000 kept: " << fit << " ms, plain copy " << reporter.mean("PlainCopy/")
                  << " ms (goal under " << kFitGoalMs << " ms: " << (fit < kFitGoalMs ? "met" : "NOT MET") << ")\n";
    const double ours = reporter.mean("AreaScale/");
    const double box = reporter.mean("ImageMagickBox/");
    const double copy = reporter.mean("ImageMagickCopy/");
    if (ours > 0 && box > copy && copy > 0) {
        const double ratio = ours / (box - copy);
        std::cout << kBigSide << " x " << kBigSide << " to " << kScale << " %: " << ours << " ms, ImageMagick box "
                  << box << " ms less its reading and writing " << copy << " ms = " << box - copy << " ms, ratio "
                  << ratio << " (goal at most " << kScaleGoalRatio << ": "
                  << (ratio <= kScaleGoalRatio ? "met" : "NOT MET") << ")\n";
    }
    return 0;
}
