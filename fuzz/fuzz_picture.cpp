// Fuzz target: any bytes through picture taking, as a chosen file and as
// dropped bytes: the format is told by the content, so this reaches every
// decoder; its seeds are bitmaps of every encoding.

#include "FuzzTake.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    fuzz::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::takeBothWays(data, size);
    return 0;
}
