#include "Remembered.h"

#include <QSettings>
#include <QWidget>

namespace remembered {

namespace {

QSettings store()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Palvorn"),
                     QStringLiteral("palvorn-enemy-creator"));
}

QString geometryKey(const QWidget* window)
{
    return QStringLiteral("windows/%1/geometry").arg(window->objectName());
}

}  // namespace

QVariant value(const QString& key, const QVariant& fallback)
{
    return store().value(key, fallback);
}

void setValue(const QString& key, const QVariant& value)
{
    store().setValue(key, value);
}

bool restoreGeometry(QWidget* window)
{
    const QByteArray geometry = store().value(geometryKey(window)).toByteArray();
    return !geometry.isEmpty() && window->restoreGeometry(geometry);
}

void saveGeometry(const QWidget* window)
{
    store().setValue(geometryKey(window), window->saveGeometry());
}

}  // namespace remembered
