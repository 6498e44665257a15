#pragma once
// The settings window's computations, as plain functions so they can be
// checked without any window.

#include <QString>

// "This program will create the files NAME.8XP."
QString instructionLine(const QString& name);

// Hit-point text as a number: empty is 0, digits are read as a signed 16-bit
// number; anything else (the fields only take digits) also counts as 0.
int hpValue(const QString& text);

// (Max - Min) / 9 rounded to the nearest whole number when both are at least
// 1, otherwise 0; as decimal text.
QString incrementText(const QString& maxHP, const QString& minHP);

// "High Attack: 7": the prefix, one space, the value.
QString sliderCaption(const QString& prefix, int value);

enum class CreateCheck { Proceed, ItemMissing, HPOrderWrong, NameMissing };
// The checks of "Create", in order: item, hit points, name.
CreateCheck checkCreate(const QString& itemText, const QString& maxHP, const QString& minHP, const QString& name);

// Whether c may stand in an enemy name. The name becomes a file name in the
// program folder and one byte per character in the file, so only printable
// ASCII is taken, without path separators or the double quote that ends the
// name's field; on Windows also without the characters its file names refuse
// and the "%" that cmd.exe expands inside quotes.
bool nameCharAllowed(QChar c);
// Every character allowed (the empty name too: Create refuses it separately).
bool nameAllowed(const QString& name);
