#pragma once
// The one colour the windows give a warning in (an over-limit sprite, a
// name that cannot be used, an item that is not on the list), for a label's
// or a button's text. widgets::setWarning applies it.

#include <QRgb>

inline constexpr QRgb kWarningColour = qRgb(0xb0, 0x00, 0x00);
