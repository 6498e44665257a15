#include "SettingsRules.h"

// Placeholder until the settings window is built.
QString instructionLine(const QString&) { return {}; }
int hpValue(const QString&) { return 0; }
QString incrementText(const QString&, const QString&) { return {}; }
QString sliderCaption(const QString&, int) { return {}; }
CreateCheck checkCreate(const QString&, const QString&, const QString&, const QString&) { return CreateCheck::Proceed; }
