// palvorn-8xp NAME INPUT OUTPUT: wraps the raw binary INPUT, as assembled from
// NAME.asm, into the calculator program file OUTPUT (TI-83 Plus family, .8XP),
// whose program variable is named after NAME.
// palvorn-8xp --pasmo SOURCE COPY: writes the copy of the enemy source SOURCE
// that pasmo reads (see pasmoCopy); the build scripts assemble that copy.
//
// Arguments are UTF-8 (on Windows they are taken from the wide command line),
// so paths with any letters work.
//
// Variable name: palvorn::calculatorName (core/Rules.h), the same rule the
// program applies to the name field; a name it refuses is refused here. The
// file itself is written by programfile::write (ProgramWriter.h).

#include "Rules.h"
#include "ProgramWriter.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

std::filesystem::path fsPath(const std::string& utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// Reads the whole file, or gives the reason it cannot.
std::optional<std::vector<std::uint8_t>> readAll(const std::string& utf8Path, std::string& reason)
{
    const std::filesystem::path path = fsPath(utf8Path);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        reason = ec ? ec.message() : std::filesystem::exists(path, ec) ? "not a regular file" : "no such file";
        return std::nullopt;
    }
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        reason = errno ? std::strerror(errno) : "cannot open";
        return std::nullopt;
    }
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        reason = "read error";
        return std::nullopt;
    }
    return bytes;
}

int fail(const std::string& message)
{
    std::cerr << "palvorn-8xp: " << message << '\n';
    return 1;
}

// pasmo's dialect of the enemy source: "db" instead of ".db", no ".end" (its
// END line ends the source). The ".end" line becomes empty rather than
// vanishing, so that line numbers in pasmo's messages are those of the
// source. Line ends lose their carriage returns.
std::string pasmoCopy(const std::vector<std::uint8_t>& source)
{
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r'; };
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    std::string out;
    const std::string text(source.begin(), source.end());
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const bool newline = end != std::string::npos;
        if (!newline)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::size_t i = 0;
        while (i < line.size() && space(line[i]))
            ++i;
        const auto word = [&](std::size_t at, const char* w) {
            for (std::size_t k = 0; w[k]; ++k)
                if (at + k >= line.size() || lower(line[at + k]) != w[k])
                    return false;
            return true;
        };
        if (word(i, ".db") && i + 3 < line.size() && space(line[i + 3])) {
            line.replace(i, 3, "db");
        } else if (word(i, ".end")) {
            std::size_t j = i + 4;
            while (j < line.size() && space(line[j]))
                ++j;
            if (j == line.size())
                line.clear();
        }
        out += line;
        if (newline)
            out += '\n';
        start = end + 1;
    }
    return out;
}

int writePasmoCopy(const std::string& source, const std::string& copy)
{
    std::string reason;
    const auto text = readAll(source, reason);
    if (!text)
        return fail("cannot read " + source + ": " + reason);
    const std::string adapted = pasmoCopy(*text);
    std::ofstream out(fsPath(copy), std::ios::binary | std::ios::trunc);
    out << adapted;
    out.close();
    if (!out)
        return fail("cannot write " + copy);
    return 0;
}

int run(const std::vector<std::string>& args)
{
    if (args.size() == 3 && args[0] == "--pasmo")
        return writePasmoCopy(args[1], args[2]);
    if (args.size() != 3) {
        std::cerr << "usage: palvorn-8xp NAME INPUT.bin OUTPUT.8xp\n"
                     "Wraps the assembled program INPUT.bin into the calculator program file OUTPUT.8xp.\n"
                     "       palvorn-8xp --pasmo SOURCE.asm COPY.asm\n"
                     "Writes the copy of the enemy source SOURCE.asm that pasmo assembles.\n";
        return 2;
    }
    const std::string& name = args[0];
    const std::string& input = args[1];
    const std::string& output = args[2];

    const auto varName = palvorn::calculatorName(name);
    if (!varName)
        return fail("\"" + name + "\" gives no valid calculator program name: after dropping all but letters and "
                    "digits it must start with a letter");

    std::string reason;
    const auto body = readAll(input, reason);
    if (!body)
        return fail("cannot read " + input + ": " + reason);
    if (body->size() > programfile::kMaxBody)
        return fail(input + " holds " + std::to_string(body->size()) + " bytes; a calculator program holds at most " +
                    std::to_string(programfile::kMaxBody));

    if (reason = programfile::write(output, *varName, *body); !reason.empty())
        return fail("cannot write " + output + ": " + reason);
    return 0;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t* argv[])
{
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        const std::u8string utf8 = std::filesystem::path(argv[i]).u8string();
        args.emplace_back(utf8.begin(), utf8.end());
    }
    return run(args);
}
#else
int main(int argc, char* argv[])
{
    return run(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
