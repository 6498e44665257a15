#pragma once
// std::fopen for paths with any letters. On Windows a narrow file name goes
// through the ANSI code page, which cannot spell every folder name, so the
// wide name is used there.

#include <cstdio>
#include <filesystem>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#endif

namespace palvorn {

// Opens path for reading in binary mode; null with errno set on failure.
inline std::FILE* openForReading(const std::filesystem::path& path)
{
#ifdef _WIN32
    return _wfopen(path.c_str(), L"rb");
#else
    return std::fopen(path.c_str(), "rb");
#endif
}

// Creates path for writing in binary mode, failing with errno EEXIST when it
// exists; null with errno set on failure.
inline std::FILE* createNewFile(const std::filesystem::path& path)
{
#ifdef _WIN32
    // The C runtime's fopen has no "x"; the exclusive create is _wopen's.
    const int fd = _wopen(path.c_str(), _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
    if (fd < 0)
        return nullptr;
    std::FILE* file = _fdopen(fd, "wb");
    if (!file)
        _close(fd);
    return file;
#else
    return std::fopen(path.c_str(), "wbx");
#endif
}

}  // namespace palvorn
