#pragma once
// Small pieces every window builds with: named controls, the warning colour,
// a button that shows an action, the names of an action's keys.

#include <QPalette>
#include <QString>
#include <optional>

#include "Enemy.h"

class QAction;
class QFrame;
class QLabel;
class QPushButton;
class QWidget;

namespace widgets {

inline constexpr int kButtonHeight = 25;
inline constexpr int kButtonWidth = 75;
inline constexpr int kSmallButtonWidth = 50;

// The program's caption: the wizard's title before the enemy has a name,
// and the title of its messages.
QString caption();
// A button of a fixed size with this objectName and caption.
QPushButton* button(QWidget* parent, const char* name, const QString& caption, int width = kButtonWidth);
// A caption label with this objectName.
QLabel* label(QWidget* parent, const char* name, const QString& caption);
// One pixel line of a palette colour; two of them make the etched separator.
QFrame* line(QWidget* parent, const char* name, QPalette::ColorRole colour);
// Shows the text of a label or a button in the warning colour, or in the
// colours it inherits; its font stays the window's.
void setWarning(QWidget* widget, bool warning);
// Whether widget's text is in the warning colour.
bool showsWarning(const QWidget* widget);
// The button runs action when clicked and follows its enabled state and tooltip.
void showAction(QPushButton* button, QAction* action);
// The keys of action as the user reads them: "Page Down, Alt+N".
QString keyNames(const QAction* action);
// The enemy in the source file at path; none, with the message that says
// why in refusal, when the file cannot be read or is not one this tool writes.
std::optional<palvorn::Enemy> readEnemy(const QString& path, QString& refusal);
// Pose 0..4 as the texts name it: "normal", "high attack" ...
QString poseName(int pose);

}  // namespace widgets
