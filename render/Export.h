#pragma once
// What the Sprites window and the command line give out besides NAME.asm:
// the five poses as one sheet, the battle sketch as an animated GIF, and the
// calculator screen, each as the bytes of a file.

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

#include "Enemy.h"

namespace exporting {

// What is written, in the order the save dialog lists it.
enum class Kind { Sheet, Battle, Screen };
inline constexpr std::array<Kind, 3> kKinds{Kind::Sheet, Kind::Battle, Kind::Screen};

// The enlargements the battle and the screen take.
inline constexpr int kMinScale = 1;
inline constexpr int kMaxScale = 4;
inline constexpr int kDefaultScale = 2;

// The save dialog's filter for each kind: "Pose sheet (*.png)",
// "Battle animation (*.gif)", "Calculator screen (*.png)".
QString filterText(Kind kind);
// The command line's word for each kind: "sheet", "battle", "screen".
QString word(Kind kind);
// The kind the command line's word names, if any.
std::optional<Kind> kindOfWord(const QString& word);
// The file name's extension for each kind, without the dot: "png", "gif", "png".
QString suffix(Kind kind);

// The bytes of the file: the sheet (palvorn::sheetOf) as a 1-bit PNG; the
// whole battle loop (palvorn::battleFrame) as a GIF in the screen's colours
// at `scale`; the screen as the wizard's preview shows the normal pose at
// `scale` (render::renderScreen), as a PNG. The sheet ignores the scale.
// Throws std::invalid_argument with the user's message when the enemy
// cannot be given out so (a sheet with a pose missing), or for a scale
// outside kMinScale..kMaxScale.
QByteArray exportBytes(Kind kind, const palvorn::Enemy& enemy, int scale);

// Writes what exportBytes gives to path, whole or not at all. Returns an
// empty string when written, otherwise the message for the user, naming
// the file.
QString writeExport(Kind kind, const palvorn::Enemy& enemy, int scale, const QString& path);

// Writes bytes to path whole or not at all, as palvorn::writeWhole does (a
// failed write leaves the file as it was). Returns the reason it failed,
// empty on success.
QString saveWhole(const QString& path, const QByteArray& bytes);

}  // namespace exporting
