#include "SettingsRules.h"

#include "Create.h"
#include "Rules.h"

QString instructionLine(const QString& name)
{
    return QStringLiteral("This program will create the files ") + name + QStringLiteral(".8XP.");
}

QString sliderCaption(const QString& prefix, int value)
{
    return prefix + QLatin1Char(' ') + QString::number(value);
}

bool nameFieldTakes(const QString& name)
{
    for (const QChar c : name)
        if (c.unicode() > 0x7F || !palvorn::nameCharAllowed(char(c.unicode()), palvorn::kWindowsFileNames))
            return false;
    return true;
}
