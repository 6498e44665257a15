// Fuzz target: the PNG path. Inputs that do not open with the PNG signature
// are not kept, and every mutation has its chunk checksums set right again,
// so that the decoder looks past the first checksum; an input kept or found
// is a PNG that takePictureData reads the same way.

#include <cstring>

#include "FuzzTake.h"

extern "C" std::size_t LLVMFuzzerMutate(std::uint8_t* data, std::size_t size, std::size_t maxSize);

namespace {

constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

std::uint32_t crc32(const std::uint8_t* bytes, std::size_t size)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= bytes[i];
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

std::uint32_t be32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 | std::uint32_t(p[2]) << 8 | p[3];
}

// Every whole chunk gets the checksum of its type and data.
void fixChecksums(std::uint8_t* data, std::size_t size)
{
    std::size_t at = sizeof kSignature;
    while (at + 12 <= size) {
        const std::size_t length = be32(data + at);
        if (length > size - at - 12)
            break;
        const std::uint32_t crc = crc32(data + at + 4, length + 4);
        std::uint8_t* out = data + at + 8 + length;
        out[0] = std::uint8_t(crc >> 24);
        out[1] = std::uint8_t(crc >> 16);
        out[2] = std::uint8_t(crc >> 8);
        out[3] = std::uint8_t(crc);
        at += 12 + length;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::initialize(argc, argv);
    return 0;
}

extern "C" std::size_t LLVMFuzzerCustomMutator(std::uint8_t* data, std::size_t size, std::size_t maxSize,
                                               unsigned /*seed*/)
{
    size = LLVMFuzzerMutate(data, size, maxSize);
    fixChecksums(data, size);
    return size;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < sizeof kSignature || std::memcmp(data, kSignature, sizeof kSignature) != 0)
        return -1;  // not the PNG path: not kept
    fuzz::takeBothWays(data, size);
    return 0;
}
