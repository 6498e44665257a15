#include "CharSettings.h"

// Placeholder until the settings window is built.
QPointer<CharSettings> CharSettings::current_;

CharSettings* CharSettings::showWindow()
{
    if (!current_)
        current_ = new CharSettings;
    current_->show();
    return current_;
}
CharSettings* CharSettings::existing() { return current_; }
void CharSettings::closeIfOpen()
{
    if (current_)
        current_->close();
}
void CharSettings::setSpriteSlots(std::function<QImage(int)>) {}
void CharSettings::fillEnemyValues(palvorn::EnemyValues&) const {}
void CharSettings::CreateBut_Click() {}
void CharSettings::CharName_Change(const QString&) {}
void CharSettings::txtMaxHP_Change(const QString&) {}
void CharSettings::txtRobotMoney_Change(const QString&) {}
void CharSettings::CancelBut_Click() {}
CharSettings::CharSettings(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_DeleteOnClose); }
bool CharSettings::eventFilter(QObject* watched, QEvent* event) { return QWidget::eventFilter(watched, event); }
