// Fuzz target: the GIF path. Inputs that do not open as a GIF are not kept,
// so an input kept or found is a GIF that takePictureData reads the same way.
// Its frames are read as five poses too, within the same bound.

#include <cstring>

#include "FuzzTake.h"
#include "TakeSheet.h"

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
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const auto poses = gifFramePoses(bytes)) {
        qint64 pixels = 0;
        for (const TakenPicture& pose : *poses) {
            pixels += qint64(pose.sprite.width()) * pose.sprite.height();
            if (pose.marked.width() != pose.sprite.width() || pose.marked.height() != pose.sprite.height())
                fuzz::fail("a frame's marks do not measure as its sprite");
        }
        if (pixels > kMaxPicturePixels)
            fuzz::fail("five frames over the bound were taken");
    }
    return 0;
}
