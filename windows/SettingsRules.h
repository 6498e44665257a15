#pragma once
// The settings window's texts, as plain functions so they can be checked
// without any window.

#include <QString>

// "This program will create the files NAME.8XP."
QString instructionLine(const QString& name);

// "High Attack: 7": the prefix, one space, the value.
QString sliderCaption(const QString& prefix, int value);

// Whether the name field takes this text: every character one the core's
// name rule allows, with the characters Windows file names refuse on
// Windows. A space at an end is taken while typing; Create refuses it.
bool nameFieldTakes(const QString& name);
