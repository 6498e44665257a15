#pragma once
// The settings window's texts, as plain functions so they can be checked
// without any window.

#include <QString>

// "This program will create the files NAME.8XP."
QString instructionLine(const QString& name);

// "High Attack: 7": the prefix, one space, the value.
QString sliderCaption(const QString& prefix, int value);

// Whether the name field takes this text: the core's name rule, with the
// characters Windows file names refuse on Windows.
bool nameFieldTakes(const QString& name);
