// Fuzz target: any bytes as an enemy source file. Either the reader refuses
// them with ReadError naming a line, or it gives an enemy that Create takes
// and whose file is the input again (CR LF line ends, the tool's line 2, a
// final line end, nothing after "END"). Any other exception escapes and counts as a crash.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "Create.h"
#include "EnemyReader.h"
#include "EnemySource.h"
#include "EnemyText.h"

namespace {

void fail(const char* what)
{
    std::fprintf(stderr, "fuzz_reader: %s\n", what);
    std::abort();
}

// The input as the writer would have written it, given the writer's line 2:
// without the blank lines after "END" and the spaces or tabs ending it.
std::string asWritten(std::string_view input, std::string_view notice)
{
    std::vector<std::string_view> lines;
    while (!input.empty()) {
        const std::size_t lf = input.find('\n');
        std::string_view line = input.substr(0, lf);
        input.remove_prefix(lf == std::string_view::npos ? input.size() : lf + 1);
        if (lf != std::string_view::npos && !line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
    }
    const auto blank = [](std::string_view line) { return line.find_first_not_of(" \t") == std::string_view::npos; };
    while (!lines.empty() && blank(lines.back()))
        lines.pop_back();
    if (!lines.empty())
        lines.back() = lines.back().substr(0, lines.back().find_last_not_of(" \t") + 1);
    std::string out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        out += i == 1 ? notice : lines[i];
        out += "\r\n";
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    palvorn::Enemy enemy;
    try {
        enemy = palvorn::readEnemySource(input);
    } catch (const palvorn::ReadError& e) {
        const std::string prefix = "Line " + std::to_string(e.line()) + ": ";
        if (e.line() < 1 || std::string_view(e.what()).substr(0, prefix.size()) != prefix)
            fail("a refusal does not name its line");
        return 0;
    }
    if (palvorn::checkEnemy(enemy, false))
        fail("Create refuses an enemy that was read");
    const std::string text = palvorn::EnemySourceText(palvorn::fileValues(enemy));
    const std::size_t noticeStart = text.find("\r\n") + 2;
    const std::size_t noticeEnd = text.find("\r\n", noticeStart);
    const std::string_view notice = std::string_view(text).substr(noticeStart, noticeEnd - noticeStart);
    if (text != asWritten(input, notice))
        fail("the enemy read writes another file");
    if (palvorn::readEnemySource(text) != enemy)
        fail("the file written reads as another enemy");
    if (palvorn::describeEnemy(enemy).rfind("Name: " + enemy.settings.name + "\n", 0) != 0)
        fail("the description does not start with the name");
    return 0;
}
