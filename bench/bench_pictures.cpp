// Taking pictures in through the file path, each measured in one run against
// its yardstick on the same file; the ratios and the goals are printed at the
// end.
// - A 24-bit bitmap (a drawing, and all black) against one plain read of its
//   bytes: at most 3 times.
// - A PNG against libspng's own decode of it to RGBA, and a GIF against
//   giflib's: at most 1.5 times.

#include <benchmark/benchmark.h>

#include <QString>

#include <gif_lib.h>
#include <spng.h>

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "BenchPictures.h"
#include "MeanReporter.h"
#include "TakePicture.h"

namespace {

const benchpictures::ScratchFolder* g_folder = nullptr;

std::string bitmap(benchmark::State& state, bool allBlack)
{
    return benchpictures::makeBitmap(g_folder->path(), int(state.range(0)), allBlack);
}

// The drawing as PNG or GIF; empty (and the benchmark skipped) without ImageMagick.
std::string converted(benchmark::State& state, const char* extension)
{
    const std::string path = benchpictures::convertedBitmap(g_folder->path(), int(state.range(0)), extension);
    if (path.empty())
        state.SkipWithError("cannot convert the drawing (is ImageMagick installed?)");
    return path;
}

void take(benchmark::State& state, const std::string& path)
{
    const QString file = QString::fromStdString(path);
    for (auto _ : state) {
        const TakenPicture taken = takePictureFile(file);
        benchmark::DoNotOptimize(taken.sprite.row(0));
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(std::filesystem::file_size(path)));
}

void TakeBitmap(benchmark::State& state, bool allBlack)
{
    take(state, bitmap(state, allBlack));
}

void TakeConverted(benchmark::State& state, const char* extension)
{
    const std::string path = converted(state, extension);
    if (!path.empty())
        take(state, path);
}

// One open, one read of the whole file into a buffer made beforehand, close.
void PlainRead(benchmark::State& state)
{
    const std::string path = bitmap(state, false);
    const auto size = std::filesystem::file_size(path);
    std::vector<char> buffer(size);
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY);
        if (fd < 0 || ::read(fd, buffer.data(), size) != static_cast<ssize_t>(size)) {
            state.SkipWithError("plain read failed");
            if (fd >= 0)
                ::close(fd);
            break;
        }
        ::close(fd);
        benchmark::DoNotOptimize(buffer.data());
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(size));
}

// libspng reading the file and decoding the whole picture to 8-bit RGBA.
void SpngDecode(benchmark::State& state)
{
    const std::string path = converted(state, "png");
    for (auto _ : state) {
        if (path.empty())
            break;
        std::FILE* file = std::fopen(path.c_str(), "rb");
        spng_ctx* ctx = spng_ctx_new(0);
        std::size_t size = 0;
        std::vector<unsigned char> rgba;
        bool ok = file && ctx && spng_set_png_file(ctx, file) == 0 &&
                  spng_decoded_image_size(ctx, SPNG_FMT_RGBA8, &size) == 0;
        if (ok) {
            rgba.resize(size);
            ok = spng_decode_image(ctx, rgba.data(), size, SPNG_FMT_RGBA8, 0) == 0;
        }
        spng_ctx_free(ctx);
        if (file)
            std::fclose(file);
        if (!ok) {
            state.SkipWithError("libspng could not decode the picture");
            break;
        }
        benchmark::DoNotOptimize(rgba.data());
    }
}

// giflib reading the file, then its first frame turned into 8-bit RGBA
// through its colour table.
void GiflibDecode(benchmark::State& state)
{
    const std::string path = converted(state, "gif");
    for (auto _ : state) {
        if (path.empty())
            break;
        int error = 0;
        GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
        if (!gif || DGifSlurp(gif) != GIF_OK || gif->ImageCount < 1) {
            state.SkipWithError("giflib could not decode the picture");
            if (gif)
                DGifCloseFile(gif, &error);
            break;
        }
        const SavedImage& frame = gif->SavedImages[0];
        const ColorMapObject* colours = frame.ImageDesc.ColorMap ? frame.ImageDesc.ColorMap : gif->SColorMap;
        const std::size_t pixels = std::size_t(frame.ImageDesc.Width) * std::size_t(frame.ImageDesc.Height);
        std::vector<unsigned char> rgba(pixels * 4);
        for (std::size_t i = 0; i < pixels; ++i) {
            const int index = frame.RasterBits[i];
            const GifColorType c = colours && index < colours->ColorCount ? colours->Colors[index] : GifColorType{};
            rgba[4 * i] = c.Red;
            rgba[4 * i + 1] = c.Green;
            rgba[4 * i + 2] = c.Blue;
            rgba[4 * i + 3] = 255;
        }
        DGifCloseFile(gif, &error);
        benchmark::DoNotOptimize(rgba.data());
    }
}

BENCHMARK_CAPTURE(TakeBitmap, Drawing, false)->Arg(256)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TakeBitmap, AllBlack, true)->Arg(256)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainRead)->Arg(256)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TakeConverted, Png, "png")->Arg(256)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK(SpngDecode)->Arg(256)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TakeConverted, Gif, "gif")->Arg(256)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK(GiflibDecode)->Arg(256)->Arg(4096)->Unit(benchmark::kMillisecond);

// One line: what was taken, its time, the yardstick's, their ratio and the goal.
void verdict(const MeanReporter& reporter, const std::string& what, const std::string& taken,
             const std::string& yardstickName, const std::string& yardstick, double goal)
{
    const double time = reporter.mean(taken);
    const double base = reporter.mean(yardstick);
    if (time <= 0 || base <= 0)
        return;
    const double ratio = time / base;
    std::cout << "4096 x 4096 " << what << ": take " << time << " ms, " << yardstickName << " " << base
              << " ms, ratio " << ratio << " (goal at most " << goal << ": " << (ratio <= goal ? "met" : "NOT MET") << ")\n";
}

}  // namespace

int main(int argc, char** argv)
{
    const benchpictures::ScratchFolder folder;
    g_folder = &folder;
    MeanReporter reporter;
    if (!runBenchmarks(argc, argv, reporter))
        return 1;

    // The goals are for a 4096 x 4096 picture; the small one keeps the smoke test quick.
    verdict(reporter, "24-bit BMP drawing", "TakeBitmap/Drawing/4096", "plain read", "PlainRead/4096", 3);
    verdict(reporter, "24-bit BMP all black", "TakeBitmap/AllBlack/4096", "plain read", "PlainRead/4096", 3);
    verdict(reporter, "PNG drawing", "TakeConverted/Png/4096", "libspng to RGBA", "SpngDecode/4096", 1.5);
    verdict(reporter, "GIF drawing", "TakeConverted/Gif/4096", "giflib to RGBA", "GiflibDecode/4096", 1.5);
    return 0;
}
