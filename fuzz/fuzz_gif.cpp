// Fuzz target: the GIF path. Inputs that do not open as a GIF are not kept,
// so an input kept or found is a GIF that takePictureData reads the same way.

#include <cstring>

#include "FuzzTake.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4 || std::memcmp(data, "GIF8", 4) != 0)
        return -1;  // not the GIF path: not kept
    fuzz::takeBothWays(data, size);
    return 0;
}
