// Fuzz target: the WebP path. Inputs that do not start as a WebP are not
// kept, so an input kept or found is one that libwebp's decoder and the size
// bound take the same way from a file and bytes.

#include <cstring>

#include "FuzzTake.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WEBP", 4) != 0)
        return -1;  // not the WebP path: not kept
    fuzz::takeBothWays(data, size);
    return 0;
}
