// Taking a 24-bit bitmap in through the file path, measured in one run
// against two yardsticks on the same file: one plain read of its bytes, and
// the netpbm pipeline `bmptopnm | ppmtopgm | pgmtopbm -threshold`, which also
// turns it into one bit a pixel. The ratios are printed at the end.
//
// Pictures: side x side, either a drawing (black shapes, near-black, greys
// and colours; about a fifth of it black) or all black, the most pixels
// there are to set.

#include <benchmark/benchmark.h>

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "MeanReporter.h"
#include "TakePicture.h"

namespace {

std::filesystem::path g_folder;

void put32(std::vector<char>& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + std::size_t(i)] = char(v >> (8 * i) & 0xFF);
}

// Writes the picture as a bottom-up 24-bit bitmap, a row at a time.
std::string makeBitmap(int side, bool allBlack)
{
    const std::string path =
        (g_folder / ((allBlack ? "black-" : "drawing-") + std::to_string(side) + ".bmp")).string();
    if (std::filesystem::exists(path))
        return path;
    const std::size_t rowBytes = std::size_t(side) * 3;  // a multiple of 4 for these sides
    std::vector<char> header(54, '\0');
    header[0] = 'B';
    header[1] = 'M';
    put32(header, 2, std::uint32_t(54 + rowBytes * std::size_t(side)));
    put32(header, 10, 54);
    put32(header, 14, 40);
    put32(header, 18, std::uint32_t(side));
    put32(header, 22, std::uint32_t(side));
    header[26] = 1;
    header[28] = 24;
    std::ofstream out(path, std::ios::binary);
    out.write(header.data(), std::streamsize(header.size()));
    std::vector<char> row(rowBytes);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            unsigned char r = 0, g = 0, b = 0;
            if (!allBlack) {
                const int cx = x * 16 / side, cy = y * 16 / side;  // a 16 x 16 grid of tiles
                switch ((cx * 7 + cy * 3) % 5) {
                case 0: break;                                                     // black
                case 1: r = g = b = 10; break;                                     // near-black
                case 2: r = g = b = static_cast<unsigned char>(x * 255 / side); break;  // grey ramp
                case 3: r = 200; g = static_cast<unsigned char>(y); b = 40; break;       // colour
                default: r = g = b = 255; break;                                   // white
                }
            }
            row[std::size_t(x) * 3] = char(b);
            row[std::size_t(x) * 3 + 1] = char(g);
            row[std::size_t(x) * 3 + 2] = char(r);
        }
        out.write(row.data(), std::streamsize(row.size()));
    }
    if (!out)
        std::abort();
    return path;
}

void TakePictureFile(benchmark::State& state, bool allBlack)
{
    const QString path = QString::fromStdString(makeBitmap(int(state.range(0)), allBlack));
    for (auto _ : state) {
        const TakenPicture taken = takePictureFile(path);
        benchmark::DoNotOptimize(taken.sprite.row(0));
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(std::filesystem::file_size(path.toStdString())));
}

// One open, one read of the whole file into a buffer made beforehand, close.
void PlainRead(benchmark::State& state)
{
    const std::string path = makeBitmap(int(state.range(0)), false);
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

void NetpbmPipeline(benchmark::State& state)
{
    const std::string path = makeBitmap(int(state.range(0)), false);
    const std::string command =
        "bash -c 'set -o pipefail; bmptopnm \"" + path + "\" 2>/dev/null | ppmtopgm | pgmtopbm -threshold >/dev/null'";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("the netpbm pipeline failed (is netpbm installed?)");
            break;
        }
    }
    state.SetBytesProcessed(state.iterations() * std::int64_t(std::filesystem::file_size(path)));
}

BENCHMARK_CAPTURE(TakePictureFile, Drawing, false)->Arg(256)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(TakePictureFile, AllBlack, true)->Arg(256)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainRead)->Arg(256)->Arg(4096)->Unit(benchmark::kMillisecond);
BENCHMARK(NetpbmPipeline)->Arg(256)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime();  // its work is in children


}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;

    std::string folder = (std::filesystem::temp_directory_path() / "palvorn-bench-pictures-XXXXXX").string();
    if (!::mkdtemp(folder.data())) {
        std::perror("cannot make a temporary folder");
        return 1;
    }
    g_folder = folder;

    MeanReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    for (const char* side : {"256", "4096"}) {
        const double plain = reporter.mean(std::string("PlainRead/") + side);
        const double netpbm = reporter.mean(std::string("NetpbmPipeline/") + side);
        for (const char* picture : {"Drawing", "AllBlack"}) {
            const double take = reporter.mean(std::string("TakePictureFile/") + picture + "/" + side);
            if (take <= 0)
                continue;
            std::cout << side << " x " << side << " 24-bit " << picture << ": take " << take << " ms";
            if (plain > 0)
                std::cout << ", plain read " << plain << " ms (ratio " << take / plain << ")";
            if (netpbm > 0)
                std::cout << ", netpbm " << netpbm << " ms (ratio " << take / netpbm << ")";
            std::cout << "\n";
        }
    }

    std::error_code ignored;
    std::filesystem::remove_all(g_folder, ignored);
    return 0;
}
