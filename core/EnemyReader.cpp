#include "EnemyReader.h"
#include "OpenFile.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <optional>
#include <system_error>
#include <utility>
#include <vector>

#include "Rules.h"
#include "ValueLine.h"

namespace palvorn {

namespace {

// A number of more digits is out of every range; parsing stops there.
constexpr std::size_t kMaxDigits = 6;

using enum Field;
constexpr int FirstSprite = kSettingFields;

// Text as a message shows it, in double quotes: printable ASCII as is (" and
// \ after a \), any other byte as \xHH, cut short so that a message stays
// readable whatever the file holds.
std::string shown(std::string_view line)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    constexpr std::size_t kShown = 60;
    std::string out = "\"";
    for (std::size_t i = 0; i < line.size() && i < kShown; ++i) {
        const auto c = static_cast<unsigned char>(line[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        }
    }
    if (line.size() > kShown)
        out += "...";
    return out + "\"";
}

std::string plural(int count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The text line by line; a line ends at LF, and a CR just before it goes
// with the line end.
class Lines {
public:
    explicit Lines(std::string_view text) : text_(text) {}

    // The next line without its line end; at the end of the text a
    // ReadError saying what was expected instead.
    std::string_view next(const std::string& expected)
    {
        ++number_;
        if (pos_ >= text_.size())
            throw ReadError(number_, "expected " + expected + ", found the end of the file");
        const std::size_t lf = text_.find('\n', pos_);
        std::string_view line = text_.substr(pos_, lf == std::string_view::npos ? std::string_view::npos : lf - pos_);
        pos_ = lf == std::string_view::npos ? text_.size() : lf + 1;
        if (lf != std::string_view::npos && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        return line;
    }

    // The number of the line next() returned last.
    int number() const { return number_; }
    bool atEnd() const { return pos_ >= text_.size(); }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
    int number_ = 0;
};

[[noreturn]] void expected(const Lines& lines, const std::string& what, std::string_view found)
{
    throw ReadError(lines.number(), "expected " + what + ", found " + shown(found));
}

// A number written as std::to_string writes it: an optional "-", then "0" or
// digits without a leading zero; "-0" is not one. Longer numbers are cut at
// kMaxDigits, which puts them out of every range.
std::optional<int> decimal(std::string_view text)
{
    const bool negative = !text.empty() && text[0] == '-';
    const std::string_view digits = negative ? text.substr(1) : text;
    if (digits.empty() || (digits[0] == '0' && (digits.size() > 1 || negative)))
        return std::nullopt;
    int value = 0;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (digits[i] < '0' || digits[i] > '9')
            return std::nullopt;
        if (i < kMaxDigits)
            value = value * 10 + (digits[i] - '0');
    }
    return negative ? -value : value;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

struct ValueLine {
    std::array<int, kValueLineFields> fields{};
    int height(int pose) const { return fields[static_cast<std::size_t>(FirstSprite + 2 * pose)]; }
    int bytesPerRow(int pose) const { return fields[static_cast<std::size_t>(FirstSprite + 2 * pose + 1)]; }
    int operator[](Field f) const { return fields[static_cast<std::size_t>(f)]; }
};

// A number of the value line as written, cut short if very long.
std::string numberShown(std::string_view text)
{
    constexpr std::size_t kShown = 12;
    return text.size() <= kShown ? std::string(text) : std::string(text.substr(0, kShown)) + "...";
}

std::string fieldName(int field)
{
    return "field " + std::to_string(field + 1) + " (" + valueName(field) + ")";
}

ValueLine parseValueLine(Lines& lines)
{
    const std::string example = "\" .db 20,5,5,4,6,3,7,3,5,2,15,61,88,72,3,1,2,1,2,1,2,1,2,1\"";
    const std::string_view line = lines.next("the value line " + example);
    if (line.substr(0, kDb.size()) != kDb)
        expected(lines, "the value line of " + std::to_string(kValueLineFields) + " numbers like " + example, line);
    const int n = lines.number();

    ValueLine v;
    std::array<std::string_view, kValueLineFields> texts;  // as written, for messages
    std::string_view rest = line.substr(kDb.size());
    int count = 0;
    for (;;) {
        const std::size_t comma = rest.find(',');
        const std::string_view text = rest.substr(0, comma);
        if (count < kValueLineFields) {
            const std::optional<int> value = decimal(text);
            if (!value)
                throw ReadError(n, "expected a whole number as " + fieldName(count) +
                                       ", written like 5 or -8, found " + shown(text));
            v.fields[static_cast<std::size_t>(count)] = *value;
            texts[static_cast<std::size_t>(count)] = text;
        }
        ++count;
        if (comma == std::string_view::npos)
            break;
        rest.remove_prefix(comma + 1);
    }
    if (count != kValueLineFields)
        throw ReadError(n, "expected " + std::to_string(kValueLineFields) + " numbers separated by commas, found " +
                               std::to_string(count));

    // Each field on its own first; the increment and the placement are then
    // checked against the others.
    for (int f = 0; f < kValueLineFields; ++f) {
        const SliderRange range = valueRange(f);
        const int value = v.fields[static_cast<std::size_t>(f)];
        if (value < range.minimum || value > range.maximum)
            throw ReadError(n, fieldName(f) + " is " + numberShown(texts[static_cast<std::size_t>(f)]) +
                                   "; the tool writes " + std::to_string(range.minimum) + " to " +
                                   std::to_string(range.maximum));
    }

    if (v[MinHP] == 0 && v[Increment] != 0)
        throw ReadError(n, "an HP increment of " + std::to_string(v[Increment]) +
                               " with a Min HP of 0: the tool writes increment 0 when Min HP is 0");
    if (!maxHPFor(v[MinHP], v[Increment]))
        throw ReadError(n, "an HP increment of " + std::to_string(v[Increment]) + " with a Min HP of " +
                               std::to_string(v[MinHP]) + ": no Max HP above Min HP and at most " +
                               std::to_string(largestOf(kHPDigits)) + " gives it");

    for (int pose = 0; pose < kPoses; ++pose) {
        const int size = v.height(pose) * v.bytesPerRow(pose);
        if (size > kSizeLimit)
            throw ReadError(n, "the " + std::string(poseWord(pose)) + " sprite is " +
                                   plural(v.height(pose), "row", "rows") + " of " +
                                   plural(v.bytesPerRow(pose), "byte", "bytes") + ", " + std::to_string(size) +
                                   " bytes; a sprite holds at most " + std::to_string(kSizeLimit));
    }

    // The placement is the normal sprite's: its bottom right corner on the
    // screen's, RobotTo kRobotToOffset left of RobotX.
    if (v[RobotTo] != v[RobotX] - kRobotToOffset)
        throw ReadError(n, "RobotTo is " + std::to_string(v[RobotTo]) + "; the tool writes RobotX - " +
                               std::to_string(kRobotToOffset) + " = " + std::to_string(v[RobotX] - kRobotToOffset));
    const int width = kScreenWidth - v[RobotX];
    if (width < 1)
        throw ReadError(n, "RobotX is " + std::to_string(v[RobotX]) + "; the normal sprite's width " +
                               std::to_string(kScreenWidth) + " - RobotX must be at least 1");
    if (bytesPerRow(width) != v.bytesPerRow(0))
        throw ReadError(n, "RobotX " + std::to_string(v[RobotX]) + " makes the normal sprite " +
                               std::to_string(width) + " pixels wide, which is " +
                               plural(bytesPerRow(width), "byte", "bytes") + " per row, but " +
                               fieldName(FirstSprite + 1) + " is " + std::to_string(v.bytesPerRow(0)));
    if (kScreenHeight - v[RobotY] != v.height(0))
        throw ReadError(n, "RobotY " + std::to_string(v[RobotY]) + " makes the normal sprite " +
                               std::to_string(kScreenHeight - v[RobotY]) + " rows high, but " +
                               fieldName(FirstSprite) + " is " + std::to_string(v.height(0)));
    return v;
}

std::string parseName(Lines& lines)
{
    const std::string example = "\" .db \\\"Slime   \\\",0\"";
    const std::string_view line = lines.next("the name line like " + example);
    const std::size_t length = kNameStart.size() + kNameLength + kNameEnd.size();
    if (line.size() != length || line.substr(0, kNameStart.size()) != kNameStart ||
        line.substr(line.size() - kNameEnd.size()) != kNameEnd)
        expected(lines,
                 "the name padded with spaces to " + std::to_string(kNameLength) + " characters, like " + example,
                 line);
    std::string name(line.substr(kNameStart.size(), kNameLength));
    for (const char c : name)
        if (!nameCharAllowed(c, false))
            throw ReadError(lines.number(), "the name holds " + shown(std::string_view(&c, 1)) +
                                                ", which the name field refuses (printable ASCII without / \\ or \")");
    name.erase(name.find_last_not_of(' ') + 1);
    if (name.empty())
        throw ReadError(lines.number(), "the name is empty");
    if (name.front() == ' ')
        throw ReadError(lines.number(), "the name " + shown(name) + " starts with a space, which a name cannot");
    if (!calculatorName(name))
        throw ReadError(lines.number(), "the name " + shown(name) +
                                            " gives no calculator program name: it needs a letter before any digit "
                                            "and only letters and digits count");
    return name;
}

// One sprite block: the size line, then its rows. width: the pixels kept of
// each row; bits right of it must be clear, since the writer pads with them.
Sprite parseSprite(Lines& lines, int pose, int height, int perRow, int width)
{
    const std::string poseName(poseWord(pose));
    const std::string sizeLine = std::string(kDb) + std::to_string(height * perRow);
    const std::string shape = plural(height, "row", "rows") + " of " + plural(perRow, "byte", "bytes");
    const std::string_view size = lines.next("the " + poseName + " sprite's size line " + shown(sizeLine));
    if (size != sizeLine) {
        const std::string what = "the " + poseName + " sprite's size line " + shown(sizeLine) + " (" + shape +
                                 " on line 5)";
        if (pose > 0 && size.substr(0, kDb.size() + 1) == std::string(kDb) + "$")
            throw ReadError(lines.number(), "expected " + what + ", found a row: the sprite before has more rows "
                                                                 "than its height on line 5");
        expected(lines, what, size);
    }

    PackedRows rows;
    rows.reserve(static_cast<std::size_t>(height) * static_cast<std::size_t>(perRow));
    const auto padding = static_cast<unsigned>(static_cast<std::uint8_t>(~pixelsBefore(width)));
    for (int y = 0; y < height; ++y) {
        const std::string row = "row " + std::to_string(y + 1) + " of " + std::to_string(height) + " of the " +
                                poseName + " sprite";
        const std::string_view line = lines.next(row);
        if (line.substr(0, kDb.size()) != kDb)
            expected(lines, row + " (" + plural(perRow, "byte", "bytes") + " like \" .db $3C\")", line);
        std::string_view rest = line.substr(kDb.size());
        for (int i = 0; i < perRow; ++i) {
            if (i > 0) {
                if (rest.empty())
                    throw ReadError(lines.number(), row + " has " + plural(i, "byte", "bytes") + "; expected " +
                                                        std::to_string(perRow) + ", its bytes per row on line 5");
                if (rest[0] != ',')
                    throw ReadError(lines.number(), "expected a comma before byte " + std::to_string(i + 1) +
                                                        " of " + row + ", found " + shown(rest));
                rest.remove_prefix(1);
            }
            if (rest.size() < 3 || rest[0] != '$' || hexDigit(rest[1]) < 0 || hexDigit(rest[2]) < 0) {
                if (i == 0 && decimal(rest))
                    throw ReadError(lines.number(), "expected " + row + ", found a size line: the sprite has fewer "
                                                                        "rows than its height on line 5");
                throw ReadError(lines.number(), "expected a byte like $3C (two upper-case hex digits) as byte " +
                                                    std::to_string(i + 1) + " of " + row + ", found " + shown(rest));
            }
            const auto byte = static_cast<unsigned>(hexDigit(rest[1]) * 16 + hexDigit(rest[2]));
            rest.remove_prefix(3);
            if (i == perRow - 1 && (byte & padding) != 0)
                throw ReadError(lines.number(), "the " + poseName + " sprite is " + std::to_string(width) +
                                                    " pixels wide (96 - RobotX), but " + row +
                                                    " sets pixels right of that");
            rows.push_back(static_cast<std::uint8_t>(byte));
        }
        if (!rest.empty()) {
            if (rest[0] == ',')
                throw ReadError(lines.number(), row + " has more than " + plural(perRow, "byte", "bytes") +
                                                    ", its bytes per row on line 5");
            throw ReadError(lines.number(), "expected the end of " + row + ", found " + shown(rest));
        }
    }
    return Sprite(width, height, std::move(rows));
}

void fixedLine(Lines& lines, std::string_view wanted)
{
    const std::string_view line = lines.next(shown(wanted));
    if (line != wanted)
        expected(lines, shown(wanted), line);
}

// Spaces and tabs only (a CR before LF went with the line end).
bool blank(std::string_view text)
{
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

std::string errnoText(int error)
{
    return std::generic_category().message(error);
}

}  // namespace

std::optional<int> maxHPFor(int minHP, int increment)
{
    // hpIncrement gives 0 for every Max HP when Min HP is below 1.
    if (minHP < 1 && increment != 0)
        return std::nullopt;
    // lround((max - min) / 9) is the increment for max - min within 4 of 9 x increment.
    const int nominal = minHP + 9 * increment;
    const int lowest = std::max(minHP + 1, nominal - 4);
    const int highest = std::min(largestOf(kHPDigits), nominal + 4);
    if (lowest > highest)
        return std::nullopt;
    return std::clamp(nominal, lowest, highest);
}

ReadError::ReadError(int line, const std::string& message)
    : std::runtime_error("Line " + std::to_string(line) + ": " + message)
    , line_(line)
{
}

EnemyFileError::EnemyFileError(std::filesystem::path path, std::string reason)
    : std::runtime_error("cannot read " + path.string() + ": " + reason)
    , path_(std::move(path))
    , reason_(std::move(reason))
{
}

Enemy readEnemySource(std::string_view text)
{
    Lines lines(text);
    fixedLine(lines, kHeader);
    const std::string_view notice = lines.next("a comment line starting with \";\"");
    if (notice.empty() || notice[0] != ';')
        expected(lines, "a comment line starting with \";\"", notice);
    fixedLine(lines, kMagic);
    Enemy enemy;
    EnemySettings& s = enemy.settings;
    s.name = parseName(lines);
    const ValueLine v = parseValueLine(lines);

    for (int pose = 0; pose < kPoses; ++pose) {
        const int width = pose == 0 ? kScreenWidth - v[RobotX] : 8 * v.bytesPerRow(pose);
        enemy.sprites[static_cast<std::size_t>(pose)] =
            parseSprite(lines, pose, v.height(pose), v.bytesPerRow(pose), width);
    }
    fixedLine(lines, kEndDirective);
    // Editors add blank lines and spaces at the end of a file; they say nothing.
    const std::string_view end = lines.next(shown(kEndLine));
    if (end.substr(0, kEndLine.size()) != kEndLine || !blank(end.substr(kEndLine.size())))
        expected(lines, shown(kEndLine), end);
    while (!lines.atEnd()) {
        const std::string_view extra = lines.next("");
        if (!blank(extra))
            expected(lines, "only blank lines after \"END\"", extra);
    }

    for (const ValueField& row : kValueFields) {
        if (row.slider)
            s.*row.slider = v[row.field];
        if (row.text)
            s.*row.text = std::to_string(v[row.field]);
    }
    s.maxHP = std::to_string(*maxHPFor(v[MinHP], v[Increment]));
    s.item = v[Item] - valueField(Item).offset;
    s.itemText = s.item < 0 ? std::string(kNoItemText) : std::string(kItems[static_cast<std::size_t>(s.item)]);
    return enemy;
}

Enemy readEnemyFile(const std::filesystem::path& path)
{
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(openForReading(path), &std::fclose);
    if (!file)
        throw EnemyFileError(path, errnoText(errno));
    // Read in pieces up to one byte past the bound: memory follows the file's
    // real length, never a length it claims, and stays within the bound.
    std::string text;
    constexpr std::size_t kPiece = 64 * 1024;
    while (text.size() <= kMaxEnemyFileSize) {
        const std::size_t start = text.size();
        const std::size_t want = std::min(kPiece, kMaxEnemyFileSize + 1 - start);
        text.resize(start + want);
        errno = 0;
        const std::size_t got = std::fread(text.data() + start, 1, want, file.get());
        text.resize(start + got);
        if (got < want) {
            if (std::ferror(file.get()))
                throw EnemyFileError(path, errnoText(errno ? errno : EIO));
            break;
        }
    }
    if (text.size() > kMaxEnemyFileSize)
        throw EnemyFileError(path, "the file is larger than " + std::to_string(kMaxEnemyFileSize / 1024) +
                                       " KiB; an enemy file is far smaller");
    return readEnemySource(text);
}

}  // namespace palvorn
