#pragma once
// The one colour the windows give a warning in (an over-limit sprite, a
// name that cannot be used, an item that is not on the list), as a style
// sheet for a label's or a button's text. widgets::setWarning applies it.

inline constexpr char kWarningStyle[] = "color: #b00000";
