// Takes one picture file the way Browse does, in a process of its own, and
// reports what came of it and the process's peak resident memory, so that
// the memory of one taking is measured alone.
//
//   take_picture FILE  ->  "W H SET MARKED PEAK_KB", or the refusal on stderr

#include <sys/resource.h>

#include <QCoreApplication>

#include <cstdio>

#include "TakePicture.h"

namespace {

long count(const palvorn::Sprite& sprite)
{
    long n = 0;
    for (int y = 0; y < sprite.height(); ++y)
        for (int i = 0; i < sprite.bytesPerRow(); ++i)
            n += __builtin_popcount(sprite.row(y)[i]);
    return n;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: take_picture FILE\n");
        return 2;
    }
    try {
        const TakenPicture taken = takePictureFile(QString::fromLocal8Bit(argv[1]));
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::printf("%d %d %ld %ld %ld\n", taken.sprite.width(), taken.sprite.height(), count(taken.sprite),
                    count(taken.marked), usage.ru_maxrss);
        return 0;
    } catch (const PictureError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
