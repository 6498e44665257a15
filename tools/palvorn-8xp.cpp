// palvorn-8xp NAME INPUT OUTPUT: wraps the raw binary INPUT, as assembled from
// NAME.asm, into the calculator program file OUTPUT (TI-83 Plus family, .8XP),
// whose program variable is named after NAME.
//
// Variable name: palvorn::calculatorName (core/Rules.h), the same rule the
// program applies to the name field; a name it refuses is refused here.

#include "Rules.h"
#include "TiFiles.h"

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

// A file's data section has a 16-bit length; it holds the 17 bytes of the one
// entry's header and lengths, and the variable itself begins with its own
// 2-byte length word.
constexpr std::size_t maxProgramSize = 0xFFFF - 17 - 2;

// Protected program: the content is machine data, not tokens, so the
// calculator's program editor must not open it.
constexpr std::uint8_t programType = 0x06;

// Reads the whole file, or gives the reason it cannot.
std::optional<std::vector<std::uint8_t>> readAll(const std::string& path, std::string& reason)
{
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

// Owns the library's objects so every exit path frees them.
struct Library {
    Library() { tifiles_library_init(); }
    ~Library() { tifiles_library_exit(); }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
};

struct Content {
    FileContent* p = tifiles_content_create_regular(CALC_TI83P);
    ~Content()
    {
        if (p)
            tifiles_content_delete_regular(p);
    }
    Content() = default;
    Content(const Content&) = delete;
    Content& operator=(const Content&) = delete;
};

}  // namespace

int main(int argc, char* argv[])
{
    if (argc != 4) {
        std::cerr << "usage: palvorn-8xp NAME INPUT.bin OUTPUT.8xp\n"
                     "Wraps the assembled program INPUT.bin into the calculator program file OUTPUT.8xp.\n";
        return 2;
    }
    const std::string name = argv[1];
    const std::string input = argv[2];
    const std::string output = argv[3];

    const auto varName = palvorn::calculatorName(name);
    if (!varName)
        return fail("\"" + name + "\" gives no valid calculator program name: after dropping all but letters and "
                    "digits it must start with a letter");

    std::string reason;
    const auto body = readAll(input, reason);
    if (!body)
        return fail("cannot read " + input + ": " + reason);
    if (body->size() > maxProgramSize)
        return fail(input + " holds " + std::to_string(body->size()) + " bytes; a calculator program holds at most " +
                    std::to_string(maxProgramSize));

    Library library;
    Content content;
    if (!content.p)
        return fail("out of memory");
    // All 42 bytes are written: clear the library's dated default so the
    // same source gives the same file.
    std::memset(content.p->comment, 0, sizeof content.p->comment);
    std::snprintf(content.p->comment, sizeof content.p->comment, "%s", "Palvorn battle enemy");

    const std::size_t size = body->size() + 2;
    VarEntry* entry = tifiles_ve_create_alloc_data(static_cast<std::uint32_t>(size));
    if (!entry)
        return fail("out of memory");
    std::snprintf(entry->name, sizeof entry->name, "%s", varName->c_str());
    entry->type = programType;
    entry->attr = ATTRB_NONE;
    entry->size = static_cast<std::uint32_t>(size);
    // The calculator keeps a program as its length word followed by its body;
    // the library writes the variable's data as given, so the word goes first.
    entry->data[0] = static_cast<std::uint8_t>(body->size() & 0xFF);
    entry->data[1] = static_cast<std::uint8_t>(body->size() >> 8);
    std::copy(body->begin(), body->end(), entry->data + 2);
    tifiles_content_add_entry(content.p, entry);  // the content owns the entry from here

    if (const int err = tifiles_file_write_regular(output.c_str(), content.p, nullptr); err != 0) {
        char* message = nullptr;
        tifiles_error_get(err, &message);
        reason = message ? message : "error " + std::to_string(err);
        if (message)
            tifiles_error_free(message);
        std::remove(output.c_str());
        return fail("cannot write " + output + ": " + reason);
    }
    return 0;
}
