#include "EnemySource.h"

#include "Rules.h"
#include "OpenFile.h"
#include "ValueLine.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace palvorn {

namespace {

void appendLine(std::string& out, std::string_view line)
{
    out += line;
    out += kEol;
}

void checkByte(int value, std::string_view what)
{
    if (value < kByteMin || value > kByteMax)
        throw ValueOutOfRange(std::string(what) + " is " + std::to_string(value) + ", outside " +
                              std::to_string(kByteMin) + ".." + std::to_string(kByteMax));
}

bool syncFile(std::FILE* file)
{
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return ::fsync(::fileno(file)) == 0;
#endif
}

bool syncFolder(const std::filesystem::path& folder)
{
#ifdef _WIN32
    (void)folder;  // NTFS journals the rename itself; a folder cannot be opened for flushing
    return true;
#else
    const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool synced = ::fsync(fd) == 0 || errno == EINVAL;  // some file systems cannot sync a folder
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return synced;
#endif
}

std::string errnoText(int error)
{
    return std::generic_category().message(error);
}

}  // namespace

WriteError::WriteError(std::filesystem::path path, std::string reason)
    : std::runtime_error("cannot write " + path.string() + ": " + reason)
    , path_(std::move(path))
    , reason_(std::move(reason))
{
}

void checkName(const std::string& name)
{
    if (name == "." || name == "..")
        throw InvalidName("the name \"" + name + "\" is not a file name");
    // The one name rule the name field keeps too; the characters Windows
    // refuses besides are left to its file system to refuse.
    if (!nameAllowed(name, false))
        throw InvalidName("the name holds a character a name cannot have, or a space at an end: only printable ASCII "
                          "without / \\ or \", no space first or last");
}

std::string EnemySourceText(const EnemyValues& v)
{
    checkName(v.name);
    return sourceTextOfCheckedName(v);
}

std::string sourceTextOfCheckedName(const EnemyValues& v)
{
    for (const ValueField& row : kValueFields)
        checkByte(fileNumber(v, row), row.name);
    for (const Sprite& s : v.sprites) {
        checkByte(s.height(), "a sprite's height");
        checkByte(s.bytesPerRow(), "a sprite's bytes per row");
    }

    // Sized once for the sprite blocks, which are nearly all of the file.
    std::size_t spriteChars = 0;
    for (const Sprite& s : v.sprites)
        spriteChars += WriteImageSize(s);
    std::string out;
    out.reserve(1024 + v.name.size() + spriteChars);
    appendLine(out, kHeader);
    appendLine(out, kNotice);
    appendLine(out, kMagic);

    std::string field = v.name;
    if (field.size() < static_cast<std::size_t>(kNameLength))
        field.resize(kNameLength, ' ');
    appendLine(out, std::string(kNameStart) + field + std::string(kNameEnd));

    std::string values(kDb);
    for (const ValueField& row : kValueFields) {
        if (row.field != Field::MinHP)
            values += ',';
        values += std::to_string(fileNumber(v, row));
    }
    for (const Sprite& s : v.sprites)
        values += ',' + std::to_string(s.height()) + ',' + std::to_string(s.bytesPerRow());
    appendLine(out, values);

    for (const Sprite& s : v.sprites)
        WriteImage(out, s);
    appendLine(out, kEndDirective);
    appendLine(out, kEndLine);
    return out;
}

std::filesystem::path EnemySourcePath(const std::filesystem::path& folder, const std::string& name)
{
    checkName(name);
    return folder / (name + ".asm");
}

std::filesystem::path WriteEnemySource(const std::filesystem::path& folder, const EnemyValues& values)
{
    const std::filesystem::path target = EnemySourcePath(folder, values.name);
    writeWhole(target, sourceTextOfCheckedName(values));
    return target;
}

void writeWhole(const std::filesystem::path& target, std::string_view text)
{
    // A unique temporary name beside the target, so the rename stays on one
    // file system and never touches another file.
    std::random_device random;
    std::FILE* file = nullptr;
    std::filesystem::path temp;
    for (int attempt = 0; attempt < 16 && !file; ++attempt) {
        temp = target;
        temp += ".tmp" + std::to_string(random() % 1000000);
        errno = 0;
        file = createNewFile(temp);
        if (!file && errno != EEXIST)
            throw WriteError(target, errnoText(errno));
    }
    if (!file)
        throw WriteError(target, "no free temporary file name");

    const auto fail = [&](const std::string& reason) {
        std::error_code ignored;
        std::filesystem::remove(temp, ignored);
        throw WriteError(target, reason);
    };
    // errno only means something after a call that failed.
    int error = 0;
    // Unbuffered: the text is already whole, so it goes out in one write
    // instead of being copied through the stream's buffer first.
    std::setvbuf(file, nullptr, _IONBF, 0);
    if (std::fwrite(text.data(), 1, text.size(), file) != text.size())
        error = errno ? errno : EIO;
    if (std::fflush(file) != 0 && error == 0)
        error = errno ? errno : EIO;
    // On the disk before the rename: otherwise a power cut can leave the new
    // name pointing at an empty file.
    if (error == 0 && !syncFile(file))
        error = errno ? errno : EIO;
    if (std::fclose(file) != 0 && error == 0)
        error = errno ? errno : EIO;
    if (error != 0)
        fail(errnoText(error));

    std::error_code renamed;
    std::filesystem::rename(temp, target, renamed);
    if (renamed)
        fail(renamed.message());
    // The rename itself is durable only once the folder is flushed. The file
    // is in place by now, so a failure here is reported but keeps it.
    if (!syncFolder(target.parent_path()))
        throw WriteError(target, "the folder could not be flushed to the disk: " + errnoText(errno ? errno : EIO));
}

}  // namespace palvorn
