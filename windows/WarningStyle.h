#pragma once
// The one colour the windows give a warning in: an over-limit sprite, a
// name that cannot be used, an item that is not on the list.

#include <QtGui/qrgb.h>

inline constexpr QRgb kWarningColour = qRgb(0xb0, 0x00, 0x00);
// kWarningColour as a style sheet for a label or button text.
inline constexpr char kWarningStyle[] = "color: #b00000";
