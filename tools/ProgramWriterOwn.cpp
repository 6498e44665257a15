// The .8XP writer of our own: the file laid out byte by byte.
//   "**TI83F*" 1A 0A 00, 42 comment bytes, data section length (16 bits),
//   data section: entry header length 13, variable length, type, name (8
//   bytes, zero-padded), version 0, flag 0 (not archived), variable length
//   again, the variable (length word, body);
//   checksum: the low 16 bits of the sum of the data section's bytes.
// Every number is little-endian.

#include "ProgramWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace programfile {

namespace {

void put16(std::vector<std::uint8_t>& out, std::size_t value)
{
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

// Appends text as exactly size bytes, cut or padded with zeros.
void putPadded(std::vector<std::uint8_t>& out, const std::string& text, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i)
        out.push_back(i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0);
}

std::vector<std::uint8_t> fileBytes(const std::string& variable, const std::vector<std::uint8_t>& body)
{
    const std::size_t size = body.size() + 2;
    std::vector<std::uint8_t> section;
    put16(section, 13);
    put16(section, size);
    section.push_back(kProgramType);
    putPadded(section, variable, 8);
    section.push_back(0);  // version
    section.push_back(0);  // flag: in RAM, not archived
    put16(section, size);
    put16(section, body.size());
    section.insert(section.end(), body.begin(), body.end());

    std::vector<std::uint8_t> file;
    putPadded(file, "**TI83F*", 8);
    file.insert(file.end(), {0x1A, 0x0A, 0x00});
    putPadded(file, kComment, 42);
    put16(file, section.size());
    file.insert(file.end(), section.begin(), section.end());
    unsigned sum = 0;
    for (const std::uint8_t b : section)
        sum += b;
    put16(file, sum & 0xFFFF);
    return file;
}

}  // namespace

std::string write(const std::string& path, const std::string& variable, const std::vector<std::uint8_t>& body)
{
    const std::vector<std::uint8_t> bytes = fileBytes(variable, body);
    const std::filesystem::path file(std::u8string(path.begin(), path.end()));
    errno = 0;
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (!out)
        return errno ? std::strerror(errno) : "cannot open";
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
        return "write error";
    }
    return {};
}

}  // namespace programfile
