// Fuzz target: the JPEG path. Inputs that do not start as a JPEG are not
// kept, so an input kept or found is one that libjpeg-turbo's decoder, the
// size bound and the EXIF reading take the same way from a file and bytes.

#include <cstring>

#include "FuzzTake.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3 || std::memcmp(data, "\xFF\xD8\xFF", 3) != 0)
        return -1;  // not the JPEG path: not kept
    fuzz::takeBothWays(data, size);
    return 0;
}
