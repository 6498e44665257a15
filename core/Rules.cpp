#include "Rules.h"

#include <algorithm>
#include <cmath>

#include "Enemy.h"

namespace palvorn {

Placement placementOf(const Sprite& normal)
{
    Placement p;
    p.robotY = kScreenHeight - normal.height();
    p.robotX = kScreenWidth - normal.width();
    p.robotTo = p.robotX - kRobotToOffset;
    return p;
}

Placement placementFor(const Sprite& shown, const Sprite& normal)
{
    return placementOf(normal.isEmpty() ? shown : normal);
}

bool placementFits(const Placement& p)
{
    for (const int value : {p.robotY, p.robotX, p.robotTo})
        if (value < kByteMin || value > kByteMax)
            return false;
    return true;
}

int fieldValue(std::string_view text)
{
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return 0;
        value = value * 10 + (c - '0');
        if (value > 32767)
            return 0;
    }
    return value;
}

std::string byteCount(int bytes)
{
    return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

int hpIncrement(int maxHP, int minHP)
{
    if (maxHP < 1 || minHP < 1)
        return 0;
    return static_cast<int>(std::lround((maxHP - minHP) / 9.0));
}

std::optional<std::string> calculatorName(std::string_view name)
{
    std::string result;
    for (const char c : name) {
        if (result.size() == static_cast<std::size_t>(kNameLength))
            break;
        if (c >= 'a' && c <= 'z')
            result += static_cast<char>(c - 'a' + 'A');
        else if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
            result += c;
    }
    if (result.empty() || !(result[0] >= 'A' && result[0] <= 'Z'))
        return std::nullopt;
    return result;
}

bool nameCharAllowed(char c, bool windowsFileNames)
{
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u > 0x7E || c == '/' || c == '\\' || c == '"')
        return false;
    if (windowsFileNames) {
        for (const char refused : std::string_view(":*?<>|%"))
            if (c == refused)
                return false;
    }
    return true;
}

bool nameAllowed(std::string_view name, bool windowsFileNames)
{
    if (!name.empty() && (name.front() == ' ' || name.back() == ' '))
        return false;
    for (const char c : name)
        if (!nameCharAllowed(c, windowsFileNames))
            return false;
    return true;
}

int itemFromText(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    text = first == std::string_view::npos ? std::string_view() : text.substr(first, text.find_last_not_of(' ') - first + 1);
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    for (std::size_t position = 0; position < kItems.size(); ++position) {
        const std::string_view item = kItems[position];
        if (item.size() == text.size() &&
            std::equal(item.begin(), item.end(), text.begin(), [&](char a, char b) { return lower(a) == lower(b); }))
            return static_cast<int>(position);
    }
    return -1;
}

}  // namespace palvorn
