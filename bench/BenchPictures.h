#pragma once
// The pictures the intake benchmarks take, written into a scratch folder,
// and the netpbm pipeline they are measured against.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>
#include <vector>

#include <unistd.h>

namespace benchpictures {

inline void put32(std::vector<char>& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + std::size_t(i)] = char(v >> (8 * i) & 0xFF);
}

// A side × side bottom-up 24-bit bitmap in folder, written a row at a time
// (once; later calls find it): either a drawing (black shapes, near-black,
// greys and colours; about a fifth of it black) or all black, the most
// pixels there are to set.
inline std::string makeBitmap(const std::filesystem::path& folder, int side, bool allBlack)
{
    const std::string path = (folder / ((allBlack ? "black-" : "drawing-") + std::to_string(side) + ".bmp")).string();
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
                case 0: break;                                                          // black
                case 1: r = g = b = 10; break;                                          // near-black
                case 2: r = g = b = static_cast<unsigned char>(x * 255 / side); break;  // grey ramp
                case 3: r = 200; g = static_cast<unsigned char>(y); b = 40; break;      // colour
                default: r = g = b = 255; break;                                        // white
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

// The same picture converted by ImageMagick to `extension` (png, gif);
// empty when that failed.
inline std::string convertedBitmap(const std::filesystem::path& folder, int side, const std::string& extension)
{
    const std::string bitmap = makeBitmap(folder, side, false);
    const std::string path = (folder / ("drawing-" + std::to_string(side) + "." + extension)).string();
    if (std::filesystem::exists(path))
        return path;
    const std::string command = "convert \"" + bitmap + "\" \"" + path + "\" 2>/dev/null";
    return std::system(command.c_str()) == 0 ? path : std::string();
}

// The netpbm pipeline that turns the file into one bit a pixel.
inline std::string netpbmCommand(const std::string& path)
{
    return "bash -c 'set -o pipefail; bmptopnm \"" + path +
           "\" 2>/dev/null | ppmtopgm | pgmtopbm -threshold >/dev/null'";
}

// A fresh scratch folder, removed by the destructor.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string folder = (std::filesystem::temp_directory_path() / "palvorn-bench-XXXXXX").string();
        if (!::mkdtemp(folder.data())) {
            std::perror("cannot make a temporary folder");
            std::exit(1);
        }
        path_ = folder;
    }
    ~ScratchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace benchpictures
