// The settings window: its controls, what each edit changes, and "Cancel".
#include <QtTest>

#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>

#include "SettingsWindow.h"
#include "SpritesWindow.h"
#include "SettingsFixture.h"

namespace {

// A point in the slider's channel near its left or right end, clear of the thumb.
QPoint channelPoint(const QSlider* slider, bool left)
{
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->sliderPosition();
    option.sliderValue = slider->value();
    option.singleStep = slider->singleStep();
    option.pageStep = slider->pageStep();
    option.tickPosition = slider->tickPosition();
    option.tickInterval = slider->tickInterval();
    option.subControls = QStyle::SC_All;
    const QRect groove =
        slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, slider);
    return {left ? groove.left() + 2 : groove.right() - 2, groove.center().y()};
}

}  // namespace

class TestCharSettings : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void window();
    void texts_data();
    void texts();
    void itemBox();
    void sliders_data();
    void sliders();
    void focusOrder();
    void instructionFollowsName();
    void incrementWhileTyping();
    void incrementOnlyOnMaxEdit();
    void moneyFollowsField();
    void fieldsRefuse_data();
    void fieldsRefuse();
    void sliderCaptions_data();
    void sliderCaptions();
    void typedItemSelectsNothing_data();
    void typedItemSelectsNothing();
    void enterPressesCreate();
    void cancelClosesBoth();
    void showWindowKeepsEntries();

private:
    SettingsWindow* settings_ = nullptr;
};

void TestCharSettings::init()
{
    settings_ = SettingsWindow::showWindow();
    QVERIFY(QTest::qWaitForWindowActive(settings_));
}

void TestCharSettings::cleanup()
{
    SettingsWindow::closeIfOpen();
    SpritesWindow::closeIfOpen();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!SettingsWindow::existing());
}

void TestCharSettings::window()
{
    QCOMPARE(settings_->windowTitle(), QStringLiteral("Character Settings"));
    QVERIFY(!settings_->parentWidget());
    QVERIFY(!settings_->isModal());
    QCOMPARE(SettingsWindow::showWindow(), settings_);
    QVERIFY(control<QPushButton>(settings_, "CreateBut")->isDefault());
    QCOMPARE(settings_->focusWidget(), control<QLineEdit>(settings_, "CharName"));
    // Opening it stores nothing in the worker window.
    QVERIFY(!SpritesWindow::existing());

    // Rows from top to bottom.
    const char* rows[] = {"CharName", "cmbItem", "txtMinHP", "txtRobotMoney", "UpDefSlider", "LowDefSlider",
                          "UpAtkSlider", "LowAtkSlider", "SpecAtkSlider", "AtksSlider", "BlksSlider", "Instruct",
                          "CreateBut"};
    for (std::size_t i = 1; i < std::size(rows); ++i) {
        const QWidget* above = control<QWidget>(settings_, rows[i - 1]);
        const QWidget* below = control<QWidget>(settings_, rows[i]);
        QVERIFY2(below->y() >= above->geometry().bottom(), rows[i]);
    }
    const QWidget* minHP = control<QWidget>(settings_, "txtMinHP");
    const QWidget* maxHP = control<QWidget>(settings_, "txtMaxHP");
    QVERIFY(maxHP->x() > minHP->geometry().right());
    QCOMPARE(maxHP->y(), minHP->y());
    const QWidget* create = control<QWidget>(settings_, "CreateBut");
    const QWidget* cancel = control<QWidget>(settings_, "CancelBut");
    QVERIFY(cancel->x() > create->geometry().right());
    QCOMPARE(cancel->y(), create->y());
    for (const char* slider : {"UpDefSlider", "BlksSlider"}) {
        const QWidget* caption = control<QWidget>(settings_, slider[0] == 'U' ? "lblUpDef" : "lblBlks");
        QVERIFY(caption->geometry().right() < control<QWidget>(settings_, slider)->x());
    }
}

void TestCharSettings::texts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("maxLength");  // 0: a label

    QTest::newRow("NameLbl") << "NameLbl" << "Robot Name:" << 0;
    QTest::newRow("CharName") << "CharName" << "Robot" << 8;
    QTest::newRow("lblItem") << "lblItem" << "Earned Item:" << 0;
    QTest::newRow("lblMinHP") << "lblMinHP" << "Min HP:" << 0;
    QTest::newRow("txtMinHP") << "txtMinHP" << "" << 3;
    QTest::newRow("lblMaxHP") << "lblMaxHP" << "Max HP:" << 0;
    QTest::newRow("txtMaxHP") << "txtMaxHP" << "" << 3;
    QTest::newRow("lblRobotMoney") << "lblRobotMoney" << "Base Money:" << 0;
    QTest::newRow("txtRobotMoney") << "txtRobotMoney" << "" << 2;
    QTest::newRow("Instruct") << "Instruct" << "This program willl create the files Robot.8XP." << 0;
    QTest::newRow("CreateBut") << "CreateBut" << "Create" << 0;
    QTest::newRow("CancelBut") << "CancelBut" << "Cancel" << 0;
}

void TestCharSettings::texts()
{
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(int, maxLength);
    QWidget* widget = settings_->findChild<QWidget*>(name);
    QVERIFY(widget);
    if (auto* field = qobject_cast<QLineEdit*>(widget)) {
        QCOMPARE(field->text(), text);
        QCOMPARE(field->maxLength(), maxLength);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        QCOMPARE(label->text(), text);
    } else {
        auto* button = qobject_cast<QPushButton*>(widget);
        QVERIFY(button);
        QCOMPARE(button->text(), text);
    }
}

void TestCharSettings::itemBox()
{
    auto* item = control<QComboBox>(settings_, "cmbItem");
    QVERIFY(item->isEditable());
    QCOMPARE(item->currentText(), QStringLiteral("Select Item"));
    QCOMPARE(item->currentIndex(), -1);
    const QStringList entries = {"Potion", "Heal Leaf", "Full Heal", "STR Apple", "DEF Apple", "BLK Apple"};
    QCOMPARE(item->count(), entries.size());
    for (int i = 0; i < entries.size(); ++i) {
        QCOMPARE(item->itemText(i), entries[i]);
        QCOMPARE(item->itemData(i).toInt(), i);
    }
    QCOMPARE(item->findText(QStringLiteral("Select Item")), -1);
}

void TestCharSettings::sliders_data()
{
    QTest::addColumn<QString>("slider");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("minimum");

    QTest::newRow("UpAtkSlider") << "UpAtkSlider" << "lblUpAtk" << "High Attack: 5" << 1;
    QTest::newRow("LowAtkSlider") << "LowAtkSlider" << "lblLowAtk" << "Low Attack: 5" << 1;
    QTest::newRow("SpecAtkSlider") << "SpecAtkSlider" << "lblSpecAtk" << "Special Attack: 5" << 1;
    QTest::newRow("UpDefSlider") << "UpDefSlider" << "lblUpDef" << "High Defense: 5" << 1;
    QTest::newRow("LowDefSlider") << "LowDefSlider" << "lblLowDef" << "Low Defense: 5" << 1;
    QTest::newRow("AtksSlider") << "AtksSlider" << "lblAtks" << "Attacks: 5" << 1;
    QTest::newRow("BlksSlider") << "BlksSlider" << "lblBlks" << "Block Chance: 5" << 2;
}

void TestCharSettings::sliders()
{
    QFETCH(QString, slider);
    QFETCH(QString, caption);
    QFETCH(QString, text);
    QFETCH(int, minimum);
    auto* s = settings_->findChild<QSlider*>(slider);
    QVERIFY(s);
    QCOMPARE(settings_->findChild<QLabel*>(caption)->text(), text);
    QCOMPARE(s->orientation(), Qt::Horizontal);
    QCOMPARE(s->minimum(), minimum);
    QCOMPARE(s->maximum(), 9);
    QCOMPARE(s->value(), 5);
    QCOMPARE(s->singleStep(), 1);
    QCOMPARE(s->pageStep(), 2);
    QCOMPARE(s->tickPosition(), QSlider::TicksBelow);
    QCOMPARE(s->tickInterval(), 1);

    // The keyboard cannot take it past either end.
    s->setFocus();
    for (int i = 0; i < 12; ++i)
        QTest::keyClick(s, Qt::Key_PageDown);
    QCOMPARE(s->value(), minimum);
    for (int i = 0; i < 12; ++i)
        QTest::keyClick(s, Qt::Key_Up);
    QCOMPARE(s->value(), 9);
}

void TestCharSettings::focusOrder()
{
    const QStringList order = {"CharName",     "UpAtkSlider",  "CancelBut",  "LowAtkSlider", "SpecAtkSlider",
                               "CreateBut",    "UpDefSlider",  "LowDefSlider", "AtksSlider", "BlksSlider",
                               "cmbItem",      "txtMinHP",     "txtMaxHP",   "txtRobotMoney"};
    QWidget* widget = control<QWidget>(settings_, "CharName");
    QCOMPARE(QApplication::focusWidget(), widget);
    QStringList seen = {widget->objectName()};
    for (int i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QWidget* focused = QApplication::focusWidget();
        // The item box's text part holds the focus for the box.
        if (focused && !focused->objectName().size() && focused->parentWidget())
            focused = focused->parentWidget();
        seen.append(focused ? focused->objectName() : QStringLiteral("(none)"));
    }
    QCOMPARE(seen, order);
}

void TestCharSettings::instructionFollowsName()
{
    auto* name = control<QLineEdit>(settings_, "CharName");
    auto* instruct = control<QLabel>(settings_, "Instruct");
    replaceText(name, QStringLiteral("Slime"));
    QCOMPARE(instruct->text(), QStringLiteral("This program will create the files Slime.8XP."));
    QTest::keyClick(name, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(name, Qt::Key_Backspace);
    QCOMPARE(instruct->text(), QStringLiteral("This program will create the files .8XP."));
}

void TestCharSettings::incrementWhileTyping()
{
    replaceText(control<QLineEdit>(settings_, "txtMinHP"), QStringLiteral("10"));
    auto* maxHP = control<QLineEdit>(settings_, "txtMaxHP");
    maxHP->setFocus();
    QStringList seen;
    for (const char key : {'1', '5', '0'}) {
        QTest::keyClick(maxHP, key);
        seen.append(SpritesWindow::instance()->lblIncAmount);
    }
    QCOMPARE(seen, (QStringList{"-1", "1", "16"}));
}

void TestCharSettings::incrementOnlyOnMaxEdit()
{
    replaceText(control<QLineEdit>(settings_, "txtMinHP"), QStringLiteral("10"));
    replaceText(control<QLineEdit>(settings_, "txtMaxHP"), QStringLiteral("100"));
    QCOMPARE(SpritesWindow::instance()->lblIncAmount, QStringLiteral("10"));
    replaceText(control<QLineEdit>(settings_, "txtMinHP"), QStringLiteral("90"));
    QCOMPARE(SpritesWindow::instance()->lblIncAmount, QStringLiteral("10"));
}

void TestCharSettings::moneyFollowsField()
{
    auto* money = control<QLineEdit>(settings_, "txtRobotMoney");
    replaceText(money, QStringLiteral("15"));
    QCOMPARE(SpritesWindow::instance()->lblRobotMoney, QStringLiteral("15"));
    QTest::keyClick(money, Qt::Key_Backspace);
    QTest::keyClick(money, Qt::Key_Backspace);
    QCOMPARE(SpritesWindow::instance()->lblRobotMoney, QString());
    QVERIFY(!SpritesWindow::existing()->isVisible());
}

void TestCharSettings::fieldsRefuse_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("input");
    QTest::addColumn<bool>("paste");
    QTest::addColumn<QString>("expected");

    QTest::newRow("max HP typed letters and signs") << "txtMaxHP" << "1a-2.e3" << false << "123";
    QTest::newRow("max HP typed four digits") << "txtMaxHP" << "1234" << false << "123";
    QTest::newRow("min HP pasted minus") << "txtMinHP" << "-5" << true << "";
    QTest::newRow("min HP pasted digits") << "txtMinHP" << "42" << true << "42";
    QTest::newRow("money typed three digits") << "txtRobotMoney" << "150" << false << "15";
    QTest::newRow("money pasted with space") << "txtRobotMoney" << "1 5" << true << "";
    QTest::newRow("name typed separators and quote") << "CharName" << "a/b\\c\"d" << false << "abcd";
    QTest::newRow("name typed non-ASCII") << "CharName" << QStringLiteral("\u00E9t\u03A9e") << false << "te";
    QTest::newRow("name typed shell characters") << "CharName" << "a'b;$(x)" << false << "a'b;$(x)";
    QTest::newRow("name typed nine characters") << "CharName" << "abcdefghi" << false << "abcdefgh";
    QTest::newRow("name pasted path") << "CharName" << "../../x" << true << "";
    QTest::newRow("name pasted line feed") << "CharName" << "ab\ncd" << true << "";
    QTest::newRow("name pasted too long") << "CharName" << "Big Bat Cave" << true << "Big Bat ";
}

void TestCharSettings::fieldsRefuse()
{
    QFETCH(QString, field);
    QFETCH(QString, input);
    QFETCH(bool, paste);
    QFETCH(QString, expected);
    auto* edit = settings_->findChild<QLineEdit*>(field);
    QVERIFY(edit);
    replaceText(edit, QString());
    if (paste) {
        QGuiApplication::clipboard()->setText(input);
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    } else {
        typeInto(edit, input);
    }
    QCOMPARE(edit->text(), expected);
}

void TestCharSettings::sliderCaptions_data()
{
    QTest::addColumn<QString>("slider");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<bool>("followsKeys");

    QTest::newRow("UpAtkSlider follows") << "UpAtkSlider" << "lblUpAtk" << "High Attack:" << true;
    QTest::newRow("LowAtkSlider follows") << "LowAtkSlider" << "lblLowAtk" << "Low Attack:" << true;
    QTest::newRow("SpecAtkSlider follows") << "SpecAtkSlider" << "lblSpecAtk" << "Special Attack:" << true;
    QTest::newRow("UpDefSlider waits for a click") << "UpDefSlider" << "lblUpDef" << "High Defense:" << false;
    QTest::newRow("LowDefSlider waits for a click") << "LowDefSlider" << "lblLowDef" << "Low Defense:" << false;
    QTest::newRow("AtksSlider waits for a click") << "AtksSlider" << "lblAtks" << "Attacks:" << false;
    QTest::newRow("BlksSlider waits for a click") << "BlksSlider" << "lblBlks" << "Block Chance:" << false;
}

void TestCharSettings::sliderCaptions()
{
    QFETCH(QString, slider);
    QFETCH(QString, caption);
    QFETCH(QString, prefix);
    QFETCH(bool, followsKeys);
    auto* s = settings_->findChild<QSlider*>(slider);
    auto* label = settings_->findChild<QLabel*>(caption);
    s->setFocus();
    QTest::keyClick(s, Qt::Key_Right);
    QCOMPARE(s->value(), 6);
    QCOMPARE(label->text(), prefix + (followsKeys ? " 6" : " 5"));

    // A click in the channel left of the thumb moves a page down; the caption
    // shows the value the slider holds afterwards.
    QTest::mouseClick(s, Qt::LeftButton, {}, channelPoint(s, true));
    QVERIFY(s->value() < 6);
    QCOMPARE(label->text(), prefix + ' ' + QString::number(s->value()));

    // Released away from the slider: no click, no refresh for the waiting four.
    const int before = s->value();
    QTest::mousePress(s, Qt::LeftButton, {}, channelPoint(s, false));
    QTest::mouseRelease(s, Qt::LeftButton, {}, channelPoint(s, false) + QPoint(0, s->height() + 40));
    QVERIFY(s->value() > before);
    QCOMPARE(label->text(), prefix + ' ' + QString::number(followsKeys ? s->value() : before));
}

void TestCharSettings::typedItemSelectsNothing_data()
{
    QTest::addColumn<bool>("replaceWhole");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");

    QTest::newRow("other word over Heal Leaf") << true << "Bone" << "Bone";
    QTest::newRow("one letter added to Heal Leaf") << false << "s" << "Heal Leafs";
    QTest::newRow("an entry's text typed by hand") << true << "Potion" << "Potion";
}

void TestCharSettings::typedItemSelectsNothing()
{
    QFETCH(bool, replaceWhole);
    QFETCH(QString, typed);
    QFETCH(QString, text);
    auto* item = control<QComboBox>(settings_, "cmbItem");
    item->setFocus();
    QTest::keyClick(item, Qt::Key_Down);  // "Potion"
    QTest::keyClick(item, Qt::Key_Down);  // "Heal Leaf"
    QCOMPARE(item->currentIndex(), 1);
    QCOMPARE(item->currentText(), QStringLiteral("Heal Leaf"));
    QLineEdit* edit = item->lineEdit();
    if (replaceWhole)
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    else
        QTest::keyClick(edit, Qt::Key_End);
    typeInto(edit, typed);
    QCOMPARE(item->currentText(), text);
    QCOMPARE(item->currentIndex(), -1);
    QCOMPARE(item->count(), 6);
    palvorn::EnemyValues values;
    settings_->fillEnemyValues(values);
    QCOMPARE(values.itemPosition, -1);
}

void TestCharSettings::enterPressesCreate()
{
    WarningRecorder recorder;
    QTest::keyClick(control<QLineEdit>(settings_, "CharName"), Qt::Key_Return);
    QCOMPARE(recorder.warnings.size(), 1);
    QCOMPARE(recorder.warnings.first().title, QStringLiteral("Select Item"));
}

void TestCharSettings::cancelClosesBoth()
{
    replaceText(control<QLineEdit>(settings_, "txtRobotMoney"), QStringLiteral("15"));
    SpritesWindow::instance()->lblRobotY = QStringLiteral("61");
    QTest::mouseClick(control<QPushButton>(settings_, "CancelBut"), Qt::LeftButton);
    QVERIFY(!SettingsWindow::existing());
    QVERIFY(!SpritesWindow::existing());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    settings_ = SettingsWindow::showWindow();
    QCOMPARE(control<QLineEdit>(settings_, "txtRobotMoney")->text(), QString());
    QCOMPARE(control<QLineEdit>(settings_, "CharName")->text(), QStringLiteral("Robot"));
    QCOMPARE(SpritesWindow::instance()->lblRobotY, QString());
    QCOMPARE(SpritesWindow::instance()->lblRobotMoney, QString());
}

void TestCharSettings::showWindowKeepsEntries()
{
    replaceText(control<QLineEdit>(settings_, "CharName"), QStringLiteral("Slime"));
    settings_->hide();
    QCOMPARE(SettingsWindow::showWindow(), settings_);
    QCOMPARE(control<QLineEdit>(settings_, "CharName")->text(), QStringLiteral("Slime"));
}

QTEST_MAIN(TestCharSettings)
#include "tst_settingswindow.moc"
