#pragma once
// The fixed text of NAME.asm, stated once for the writer, the sprite blocks
// and the reader. Plain C++.

#include <string_view>

namespace palvorn {

// Every line of the file ends so; the reader takes a plain LF as well.
inline constexpr std::string_view kEol = "\r\n";
// The fixed lines, in file order; line 2 (kNotice) may be any comment when read.
inline constexpr std::string_view kHeader = ";Created with the Palvorn - External Enemy Maker";
inline constexpr std::string_view kNotice =
    ";Enemy data and sprites for the Palvorn battle engine; build with asm NAME";
inline constexpr std::string_view kMagic = " .db \"PalvTRbt\"";
// The name line is kNameStart, the name padded to kNameLength, kNameEnd.
inline constexpr std::string_view kNameStart = " .db \"";
inline constexpr std::string_view kNameEnd = "\",0";
// Starts the value line, the sprites' size lines and their rows.
inline constexpr std::string_view kDb = " .db ";
inline constexpr std::string_view kEndDirective = ".end";
inline constexpr std::string_view kEndLine = "END";

}  // namespace palvorn
