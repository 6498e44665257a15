// What every build offers, with or without the link library: the words of
// the choices and which go together.

#include "CalcLink.h"

#include <array>
#include <utility>

namespace calclink {

namespace {

constexpr std::array kCableWords{std::pair{"auto", CableChoice::Auto}, std::pair{"usb", CableChoice::Usb},
                                 std::pair{"silverlink", CableChoice::SilverLink}};
constexpr std::array kCalcWords{std::pair{"auto", CalcChoice::Auto}, std::pair{"83+", CalcChoice::TI83Plus},
                                std::pair{"84+", CalcChoice::TI84Plus}, std::pair{"84+ce", CalcChoice::TI84PlusCE}};

template <typename Table>
auto fromWord(const Table& table, const std::string& word) -> std::optional<decltype(table[0].second)>
{
    std::string lower = word;
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    for (const auto& [w, choice] : table)
        if (lower == w)
            return choice;
    return std::nullopt;
}

}  // namespace

std::optional<CableChoice> cableFromWord(const std::string& word)
{
    return fromWord(kCableWords, word);
}

std::optional<CalcChoice> calcFromWord(const std::string& word)
{
    return fromWord(kCalcWords, word);
}

std::optional<std::string> choiceConflict(const Options& options)
{
    if (options.calc == CalcChoice::TI83Plus && options.cable == CableChoice::Usb)
        return "the TI-83 Plus has no USB port: use a SilverLink cable (--cable silverlink or auto)";
    if (options.calc == CalcChoice::TI84PlusCE && options.cable == CableChoice::SilverLink)
        return "the TI-84 Plus CE has no port for a SilverLink cable: use its USB cable (--cable usb or auto)";
    return std::nullopt;
}

std::filesystem::path programFileFor(const std::filesystem::path& file)
{
    std::filesystem::path program = file;
    std::string extension = file.extension().string();
    for (char& c : extension)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    if (extension == ".ASM")
        program.replace_extension(".8XP");
    return program;
}

}  // namespace calclink
