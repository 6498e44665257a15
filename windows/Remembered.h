#pragma once
// What the windows remember between runs (folders, the picture filter,
// window sizes and places), in the user's settings of this program. Tests
// point the settings elsewhere (XDG_CONFIG_HOME), never at the user's own.

#include <QString>
#include <QVariant>

class QWidget;

namespace remembered {

// The value stored under key, or fallback when there is none.
QVariant value(const QString& key, const QVariant& fallback = {});
void setValue(const QString& key, const QVariant& value);

// The window's size and place as stored under its objectName; false (and
// nothing changed) when none was stored or it cannot be used.
bool restoreGeometry(QWidget* window);
void saveGeometry(const QWidget* window);

}  // namespace remembered
