#include "SettingsRules.h"

#include <cmath>

QString instructionLine(const QString& name)
{
    return QStringLiteral("This program will create the files ") + name + QStringLiteral(".8XP.");
}

int hpValue(const QString& text)
{
    bool ok = false;
    const short value = text.toShort(&ok);
    return ok ? value : 0;
}

QString incrementText(const QString& maxHP, const QString& minHP)
{
    const int max = hpValue(maxHP);
    const int min = hpValue(minHP);
    long increment = 0;
    if (max >= 1 && min >= 1)
        increment = std::lround((max - min) / 9.0);
    return QString::number(increment);
}

QString sliderCaption(const QString& prefix, int value)
{
    return prefix + QLatin1Char(' ') + QString::number(value);
}

CreateCheck checkCreate(const QString& itemText, const QString& maxHP, const QString& minHP, const QString& name)
{
    if (itemText == QLatin1String("Select Item"))
        return CreateCheck::ItemMissing;
    if (hpValue(maxHP) <= hpValue(minHP))
        return CreateCheck::HPOrderWrong;
    if (name.isEmpty())
        return CreateCheck::NameMissing;
    return CreateCheck::Proceed;
}

bool nameCharAllowed(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x20 || u > 0x7E)
        return false;
    if (u == '/' || u == '\\' || u == '"')
        return false;
#ifdef Q_OS_WIN
    if (u == ':' || u == '*' || u == '?' || u == '<' || u == '>' || u == '|' || u == '%')
        return false;
#endif
    return true;
}

bool nameAllowed(const QString& name)
{
    for (const QChar c : name)
        if (!nameCharAllowed(c))
            return false;
    return true;
}
