#pragma once
// Writing the calculator program file (TI-83 Plus family, .8XP) of one
// assembled program. Two writers fill this role: the calculator file library
// where it exists (Linux), and a writer of our own where it does not (Windows,
// where the library's glib is missing); a test holds them byte for byte equal.

#include <cstdint>
#include <string>
#include <vector>

namespace programfile {

// A file's data section has a 16-bit length; it holds the 17 bytes of the one
// entry's header and lengths, and the variable itself begins with its own
// 2-byte length word.
inline constexpr std::size_t kMaxBody = 0xFFFF - 17 - 2;

// Protected program: the content is machine data, not tokens, so the
// calculator's program editor must not open it.
inline constexpr std::uint8_t kProgramType = 0x06;

// The file's comment. All 42 comment bytes are written, the rest zero, so the
// same source always gives the same file.
inline constexpr const char* kComment = "Palvorn battle enemy";

// Writes the file at path holding the one protected program variable
// variable (at most 8 characters, as calculatorName gives it) whose body is
// body (at most kMaxBody bytes). Returns an empty string on success,
// otherwise the reason; on failure no file is left at path.
std::string write(const std::string& path, const std::string& variable, const std::vector<std::uint8_t>& body);

}  // namespace programfile
