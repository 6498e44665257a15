#include "EnemySource.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <system_error>

namespace palvorn {

namespace {

constexpr const char* kEol = "\r\n";

void appendLine(std::string& out, std::string_view line)
{
    out += line;
    out += kEol;
}

void checkText(const std::string& text, const char* what)
{
    for (unsigned char c : text)
        if (c == '\r' || c == '\n')
            throw std::invalid_argument(std::string(what) + " must not hold a line break");
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
    for (unsigned char c : name) {
        if (c == '/' || c == '\\')
            throw InvalidName("the name \"" + name + "\" holds a path separator");
        if (c < 0x20 || c == 0x7F)
            throw InvalidName("the name holds a control character");
        if (c >= 0x80)
            throw InvalidName("the name \"" + name + "\" holds a character that does not fit in one byte");
    }
}

std::string EnemySourceText(const EnemyValues& v)
{
    checkName(v.name);
    checkText(v.minHP, "the minimum hit points");
    checkText(v.increment, "the increment");
    checkText(v.money, "the money");
    checkText(v.robotY, "RobotY");
    checkText(v.robotX, "RobotX");
    checkText(v.robotTo, "RobotTo");

    // Sized once for the sprite blocks, which are nearly all of the file.
    std::size_t spriteChars = 0;
    for (const Sprite& s : v.sprites)
        spriteChars += WriteImageSize(s);
    std::string out;
    out.reserve(1024 + v.name.size() + v.minHP.size() + v.increment.size() + v.money.size() + v.robotY.size() +
                v.robotX.size() + v.robotTo.size() + spriteChars);
    appendLine(out, ";Created with the Palvorn - External Enemy Maker");
    appendLine(out, ";Enemy data and sprites for the Palvorn battle engine; build with asm NAME");
    appendLine(out, " .db \"PalvTRbt\"");

    std::string field = v.name;
    if (field.size() < 8)
        field.resize(8, ' ');
    appendLine(out, " .db \"" + field + "\",0");

    const std::string numbers[] = {
        std::to_string(v.highDefense), std::to_string(v.lowDefense), std::to_string(v.highAttack),
        std::to_string(v.lowAttack), std::to_string(v.specialAttack), std::to_string(v.blockChance),
        std::to_string(v.attacks), std::to_string(v.itemPosition + 1)};
    std::string values = " .db " + v.minHP + ',' + v.increment;
    for (const std::string& n : numbers)
        values += ',' + n;
    for (const std::string* text : {&v.money, &v.robotY, &v.robotX, &v.robotTo})
        values += ',' + *text;
    for (const Sprite& s : v.sprites)
        values += ',' + std::to_string(s.height()) + ',' + std::to_string(s.bytesPerRow());
    appendLine(out, values);

    for (const Sprite& s : v.sprites)
        WriteImage(out, s);
    appendLine(out, ".end");
    appendLine(out, "END");
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
    const std::string text = EnemySourceText(values);

    // A unique temporary name beside the target, so the rename stays on one
    // file system and never touches another file.
    std::random_device random;
    std::FILE* file = nullptr;
    std::filesystem::path temp;
    for (int attempt = 0; attempt < 16 && !file; ++attempt) {
        temp = target;
        temp += ".tmp" + std::to_string(random() % 1000000);
        errno = 0;
        file = std::fopen(temp.string().c_str(), "wbx");
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
    if (std::fclose(file) != 0 && error == 0)
        error = errno ? errno : EIO;
    if (error != 0)
        fail(errnoText(error));

    std::error_code renamed;
    std::filesystem::rename(temp, target, renamed);
    if (renamed)
        fail(renamed.message());
    return target;
}

}  // namespace palvorn
