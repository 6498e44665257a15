// The settings window: its controls, what each edit writes into the enemy,
// the slider captions, the item box, and closing it.
#include <QtTest>

#include <QAbstractItemView>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTemporaryDir>
#include <QWheelEvent>
#include <memory>
#include <optional>

#include "CreateRoad.h"
#include "SettingsFixture.h"
#include "WizardHarness.h"

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

// One notch of a mouse wheel over the widget; up is away from the user.
void turnWheel(QWidget* widget, bool up)
{
    const QPointF centre = QRectF(widget->rect()).center();
    QWheelEvent event(centre, widget->mapToGlobal(centre), QPoint(), QPoint(0, up ? 120 : -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

// The slider's value as the enemy holds it.
int enemySlider(const palvorn::EnemySettings& s, const QString& slider)
{
    if (slider == "UpDefSlider")
        return s.highDefense;
    if (slider == "LowDefSlider")
        return s.lowDefense;
    if (slider == "UpAtkSlider")
        return s.highAttack;
    if (slider == "LowAtkSlider")
        return s.lowAttack;
    if (slider == "SpecAtkSlider")
        return s.specialAttack;
    if (slider == "AtksSlider")
        return s.attacks;
    if (slider == "BlksSlider")
        return s.blockChance;
    qFatal("no slider %s", qPrintable(slider));
}

// A text field's content as the enemy holds it.
QString enemyField(const palvorn::EnemySettings& s, const QString& field)
{
    if (field == "CharName")
        return QString::fromStdString(s.name);
    if (field == "txtMinHP")
        return QString::fromStdString(s.minHP);
    if (field == "txtMaxHP")
        return QString::fromStdString(s.maxHP);
    if (field == "txtRobotMoney")
        return QString::fromStdString(s.money);
    qFatal("no field %s", qPrintable(field));
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
    void nameLines_data();
    void nameLines();
    void editsGoIntoTheEnemy_data();
    void editsGoIntoTheEnemy();
    void fieldsRefuse_data();
    void fieldsRefuse();
    void sliderCaptions_data();
    void sliderCaptions();
    void typedItem_data();
    void typedItem();
    void listChoiceSelects_data();
    void listChoiceSelects();
    void enterPressesCreate();
    void closingDropsEdits_data();
    void closingDropsEdits();
    void finishAgainKeepsEntries();
    void destroyedWithTypedItemFocused();
    void layoutHolds();

private:
    // The working copy the window edits.
    const palvorn::EnemySettings& enemy() const { return settings_->settings(); }

    std::unique_ptr<WizardWindow> wizard_;
    SettingsWindow* settings_ = nullptr;
    // Enter may press "Create": whatever it writes or starts stays here.
    std::optional<QTemporaryDir> folder_;
    std::optional<road::FakeLauncher> launcher_;
    std::optional<WarningRecorder> warnings_;
};

void TestCharSettings::init()
{
    folder_.emplace();
    QVERIFY(folder_->isValid());
    platform::setProgramFolder(folder_->path());
    launcher_.emplace();
    warnings_.emplace();
    wizard_ = harness::showWizard();
    QVERIFY(wizard_);
    road::takeInAll(wizard_.get());
    settings_ = road::finish(wizard_.get());
    QVERIFY(settings_);
    QVERIFY(QTest::qWaitForWindowActive(settings_));
}

void TestCharSettings::cleanup()
{
    wizard_.reset();
    QVERIFY(harness::otherWindowsGone());
    warnings_.reset();
    launcher_.reset();
    platform::setProgramFolder({});
    folder_.reset();
}

void TestCharSettings::window()
{
    QCOMPARE(settings_->objectName(), QStringLiteral("CharSettings"));
    QCOMPARE(settings_->windowTitle(), QStringLiteral("Character Settings"));
    QVERIFY(!settings_->parentWidget());
    QVERIFY(!settings_->isModal());
    QCOMPARE(harness::openWindow<SettingsWindow>(), settings_);
    QVERIFY(control<QPushButton>(settings_, "CreateBut")->isDefault());
    QCOMPARE(settings_->focusWidget(), control<QLineEdit>(settings_, "CharName"));
    // Opening it builds nothing: no Sprites window before the first Create.
    QVERIFY(!settings_->spritesWindow());
    QVERIFY(!harness::openWindow<SpritesWindow>());
    QCOMPARE(warnings_->warnings.size(), 0);

    // Rows from top to bottom.
    const char* rows[] = {"CharName",     "ProgramName",  "cmbItem",     "txtMinHP",      "txtRobotMoney",
                          "UpDefSlider",  "LowDefSlider", "UpAtkSlider", "LowAtkSlider",  "SpecAtkSlider",
                          "AtksSlider",   "BlksSlider",   "Instruct",    "CreateBut"};
    for (std::size_t i = 1; i < std::size(rows); ++i) {
        const QWidget* above = control<QWidget>(settings_, rows[i - 1]);
        const QWidget* below = control<QWidget>(settings_, rows[i]);
        QVERIFY2(below->y() >= above->geometry().bottom(), rows[i]);
    }
    // The program name stands under the name field, ending where it ends.
    QCOMPARE(control<QWidget>(settings_, "ProgramName")->geometry().right(),
             control<QWidget>(settings_, "CharName")->geometry().right());
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
    QTest::addColumn<int>("maxLength");  // 0: a label or button

    QTest::newRow("NameLbl") << "NameLbl" << "Robot Name:" << 0;
    QTest::newRow("CharName") << "CharName" << "Robot" << 8;
    QTest::newRow("ProgramName") << "ProgramName" << "Calculator program: ROBOT" << 0;
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
    QCOMPARE(enemy().item, -1);
    QCOMPARE(enemy().itemText, std::string("Select Item"));
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
    QCOMPARE(enemySlider(enemy(), slider), minimum);
    for (int i = 0; i < 12; ++i)
        QTest::keyClick(s, Qt::Key_Up);
    QCOMPARE(s->value(), 9);
    QCOMPARE(enemySlider(enemy(), slider), 9);
}

void TestCharSettings::focusOrder()
{
    // Reading order, top to bottom, and round to the start.
    const QStringList order = {"CharName",     "cmbItem",     "txtMinHP",    "txtMaxHP",     "txtRobotMoney",
                               "UpDefSlider",  "LowDefSlider", "UpAtkSlider", "LowAtkSlider", "SpecAtkSlider",
                               "AtksSlider",   "BlksSlider",  "CreateBut",   "CancelBut",    "CharName"};
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

void TestCharSettings::nameLines_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("instruct");
    QTest::addColumn<QString>("program");

    const QString none = QStringLiteral("No calculator program name: start with a letter");
    QTest::newRow("Slime") << "Slime" << "This program will create the files Slime.8XP." << "Calculator program: SLIME";
    QTest::newRow("space dropped") << "Big Bat" << "This program will create the files Big Bat.8XP."
                                   << "Calculator program: BIGBAT";
    QTest::newRow("letters and digits") << "a1b2c3d4" << "This program will create the files a1b2c3d4.8XP."
                                        << "Calculator program: A1B2C3D4";
    QTest::newRow("starts with a digit") << "9Lives" << "This program will create the files 9Lives.8XP." << none;
    QTest::newRow("no letter or digit") << "___" << "This program will create the files ___.8XP." << none;
    QTest::newRow("emptied") << "" << "This program will create the files .8XP." << none;
}

void TestCharSettings::nameLines()
{
    QFETCH(QString, name);
    QFETCH(QString, instruct);
    QFETCH(QString, program);
    replaceText(control<QLineEdit>(settings_, "CharName"), name);
    QCOMPARE(control<QLabel>(settings_, "Instruct")->text(), instruct);
    QCOMPARE(control<QLabel>(settings_, "ProgramName")->text(), program);
}

void TestCharSettings::editsGoIntoTheEnemy_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");

    QTest::newRow("name") << "CharName" << "Slime";
    QTest::newRow("name emptied") << "CharName" << "";
    QTest::newRow("min HP") << "txtMinHP" << "20";
    QTest::newRow("max HP") << "txtMaxHP" << "999";
    QTest::newRow("money") << "txtRobotMoney" << "15";
    QTest::newRow("money emptied") << "txtRobotMoney" << "";
}

void TestCharSettings::editsGoIntoTheEnemy()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    auto* edit = control<QLineEdit>(settings_, qPrintable(field));
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_Delete);
    QCOMPARE(enemyField(enemy(), field), QString());
    // Every key reaches the enemy, not only the last one.
    for (const QChar c : typed) {
        QTest::keyClick(edit, char(c.unicode()));
        QCOMPARE(enemyField(enemy(), field), edit->text());
    }
    QCOMPARE(enemyField(enemy(), field), typed);
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
    QCOMPARE(enemyField(enemy(), field), expected);
}

void TestCharSettings::sliderCaptions_data()
{
    QTest::addColumn<QString>("slider");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("prefix");
    QTest::addColumn<QString>("move");

    const struct {
        const char* slider;
        const char* caption;
        const char* prefix;
    } sliders[] = {{"UpDefSlider", "lblUpDef", "High Defense:"},    {"LowDefSlider", "lblLowDef", "Low Defense:"},
                   {"UpAtkSlider", "lblUpAtk", "High Attack:"},      {"LowAtkSlider", "lblLowAtk", "Low Attack:"},
                   {"SpecAtkSlider", "lblSpecAtk", "Special Attack:"}, {"AtksSlider", "lblAtks", "Attacks:"},
                   {"BlksSlider", "lblBlks", "Block Chance:"}};
    // High Defense, Low Defense, Attacks and Block Chance once kept their old
    // caption when the keyboard or the wheel moved them.
    for (const auto& s : sliders)
        for (const char* move : {"arrow key", "page key", "end key", "wheel up", "wheel down", "click in channel",
                                 "released away"})
            QTest::addRow("%s %s", s.slider, move) << s.slider << s.caption << s.prefix << move;
}

void TestCharSettings::sliderCaptions()
{
    QFETCH(QString, slider);
    QFETCH(QString, caption);
    QFETCH(QString, prefix);
    QFETCH(QString, move);
    auto* s = control<QSlider>(settings_, qPrintable(slider));
    auto* label = control<QLabel>(settings_, qPrintable(caption));
    s->setFocus();
    const int before = s->value();
    if (move == "arrow key") {
        QTest::keyClick(s, Qt::Key_Right);
    } else if (move == "page key") {
        QTest::keyClick(s, Qt::Key_PageDown);
    } else if (move == "end key") {
        QTest::keyClick(s, Qt::Key_End);
    } else if (move == "wheel up") {
        turnWheel(s, true);
    } else if (move == "wheel down") {
        turnWheel(s, false);
    } else if (move == "click in channel") {
        QTest::mouseClick(s, Qt::LeftButton, {}, channelPoint(s, true));
    } else {
        // Pressed in the channel, released away from the slider: no click.
        QTest::mousePress(s, Qt::LeftButton, {}, channelPoint(s, false));
        QTest::mouseRelease(s, Qt::LeftButton, {}, channelPoint(s, false) + QPoint(0, s->height() + 40));
    }
    QVERIFY2(s->value() != before, "the move did not move the slider");
    QCOMPARE(label->text(), prefix + ' ' + QString::number(s->value()));
    QCOMPARE(enemySlider(enemy(), slider), s->value());
}

void TestCharSettings::typedItem_data()
{
    QTest::addColumn<bool>("chosenFirst");  // "Heal Leaf" chosen from the list before typing
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("item");          // the entry written; -1 for none

    QTest::newRow("exact entry") << false << "Potion" << 0;
    QTest::newRow("entry in other case") << false << "potion" << 0;
    QTest::newRow("entry with spaces around") << false << "  full HEAL " << 2;
    QTest::newRow("entry over a chosen entry") << true << "blk apple" << 5;
    QTest::newRow("other word") << false << "Bone" << -1;
    QTest::newRow("other word over a chosen entry") << true << "Bone" << -1;
    QTest::newRow("part of an entry") << false << "Potio" << -1;
    QTest::newRow("entry with a space inside changed") << false << "FullHeal" << -1;
}

// The item written is the item shown: typed text is the entry it names, or
// no item with a note saying so, however the typing ends.
void TestCharSettings::typedItem()
{
    QFETCH(bool, chosenFirst);
    QFETCH(QString, typed);
    QFETCH(int, item);
    road::enterSlime(settings_);
    auto* box = control<QComboBox>(settings_, "cmbItem");
    for (const QString ending : {"nothing", "Enter", "Tab", "click elsewhere"}) {
        box->setCurrentIndex(-1);
        if (chosenFirst) {
            road::chooseItem(settings_, 2);
            QCOMPARE(enemy().item, 1);
        }
        QLineEdit* edit = box->lineEdit();
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        typeInto(edit, typed);
        if (ending == "Enter")
            QTest::keyClick(edit, Qt::Key_Return);
        else if (ending == "Tab")
            QTest::keyClick(edit, Qt::Key_Tab);
        else if (ending == "click elsewhere")
            QTest::mouseClick(control<QLineEdit>(settings_, "txtMinHP"), Qt::LeftButton);

        QVERIFY2(enemy().item == item, qPrintable(ending));
        QCOMPARE(box->count(), 6);
        auto* note = control<QLabel>(settings_, "ItemNote");
        QVERIFY2(note->isVisible() == (item < 0), qPrintable(ending));
        if (item < 0) {
            QCOMPARE(box->currentText(), typed);
            QCOMPARE(note->text(), QStringLiteral("The enemy leaves no item: \"%1\" is not in the list.").arg(typed));
        }
        // What Create writes is what the box and the note say.
        road::clickCreate(settings_);
        QVERIFY(warnings_->warnings.isEmpty());
        QCOMPARE(road::valueFields(QDir(folder_->path()).filePath("Slime.asm")).value(9),
                 QByteArray::number(item + 1));
    }
}

void TestCharSettings::listChoiceSelects_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("position");

    QTest::newRow("down key twice") << "down key" << 1;
    QTest::newRow("wheel down") << "wheel" << 0;
    QTest::newRow("list opened, entry clicked") << "list click" << 2;
    QTest::newRow("list opened, entry taken with Enter") << "list enter" << 0;
}

void TestCharSettings::listChoiceSelects()
{
    QFETCH(QString, how);
    QFETCH(int, position);
    auto* item = control<QComboBox>(settings_, "cmbItem");
    // Typed text first, so the choice has to replace it.
    QLineEdit* edit = item->lineEdit();
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    typeInto(edit, QStringLiteral("Bone"));
    QCOMPARE(enemy().item, -1);

    if (how == "down key") {
        QTest::keyClick(item, Qt::Key_Down);
        QTest::keyClick(item, Qt::Key_Down);
    } else if (how == "wheel") {
        turnWheel(item, false);
    } else {
        item->showPopup();
        QAbstractItemView* list = item->view();
        QVERIFY(QTest::qWaitForWindowExposed(list->window()));
        if (how == "list click") {
            const QRect entry = list->visualRect(list->model()->index(position, 0));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, entry.center());
        } else {
            list->setCurrentIndex(list->model()->index(position, 0));
            QTest::keyClick(list, Qt::Key_Return);
        }
        QTRY_VERIFY(!list->window()->isVisible());
    }
    const QString entry = QString::fromLatin1(palvorn::kItems[std::size_t(position)].data());
    QCOMPARE(item->currentIndex(), position);
    QCOMPARE(item->currentText(), entry);
    QCOMPARE(enemy().item, position);
    QCOMPARE(QString::fromStdString(enemy().itemText), entry);

    // Leaving the box keeps the choice.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(item->currentIndex(), position);
    QCOMPARE(enemy().item, position);
}

void TestCharSettings::enterPressesCreate()
{
    QTest::keyClick(control<QLineEdit>(settings_, "CharName"), Qt::Key_Return);
    QCOMPARE(warnings_->warnings.size(), 1);
    QCOMPARE(warnings_->warnings.first().title, QStringLiteral("Select Item"));
}

void TestCharSettings::closingDropsEdits_data()
{
    QTest::addColumn<bool>("titleBar");  // otherwise the Cancel button
    QTest::addColumn<bool>("afterCreate");

    QTest::newRow("Cancel") << false << false;
    QTest::newRow("title bar") << true << false;
    QTest::newRow("Cancel after Create") << false << true;
    QTest::newRow("title bar after Create") << true << true;
}

// The window edits a copy: closing it drops the edits made since it opened,
// and only those; what Create wrote stays in the wizard's enemy.
void TestCharSettings::closingDropsEdits()
{
    QFETCH(bool, titleBar);
    QFETCH(bool, afterCreate);
    const palvorn::Enemy given = wizard_->enemy();
    road::enterSlime(settings_);
    QCOMPARE(wizard_->enemy(), given);  // nothing reaches the wizard by itself
    QPointer<SpritesWindow> sprites;
    palvorn::Enemy kept = given;
    if (afterCreate) {
        road::clickCreate(settings_);
        QCOMPARE(warnings_->warnings.size(), 0);
        sprites = settings_->spritesWindow();
        QVERIFY(sprites && sprites->isVisible());
        kept = settings_->enemy();
        QCOMPARE(wizard_->enemy(), kept);
        replaceText(control<QLineEdit>(settings_, "txtMinHP"), QStringLiteral("30"));
    }

    const QPointer<SettingsWindow> old(settings_);
    if (titleBar)
        settings_->close();
    else
        road::click(settings_, "CancelBut");
    QVERIFY(!old || !old->isVisible());
    QVERIFY(!harness::openWindow<SpritesWindow>());
    QCOMPARE(wizard_->enemy(), kept);
    road::returnToEventLoop();
    QVERIFY(old.isNull());
    QVERIFY(sprites.isNull());

    settings_ = road::finish(wizard_.get());
    QVERIFY(settings_);
    QVERIFY(settings_ != old.data());
    QCOMPARE(settings_->enemy(), kept);
    QCOMPARE(control<QLineEdit>(settings_, "CharName")->text(), QString::fromStdString(kept.settings.name));
    QCOMPARE(control<QLineEdit>(settings_, "txtMinHP")->text(), QString::fromStdString(kept.settings.minHP));
    QCOMPARE(control<QComboBox>(settings_, "cmbItem")->currentText(), QString::fromStdString(kept.settings.itemText));
    QCOMPARE(control<QSlider>(settings_, "LowDefSlider")->value(), kept.settings.lowDefense);
    QVERIFY(!settings_->spritesWindow());
    if (!afterCreate)
        QCOMPARE(control<QLabel>(settings_, "Instruct")->text(),
                 QStringLiteral("This program willl create the files Robot.8XP."));
}

void TestCharSettings::finishAgainKeepsEntries()
{
    replaceText(control<QLineEdit>(settings_, "CharName"), QStringLiteral("Slime"));
    settings_->hide();
    QCOMPARE(road::finish(wizard_.get()), settings_);
    QCOMPARE(control<QLineEdit>(settings_, "CharName")->text(), QStringLiteral("Slime"));
    QCOMPARE(settings_->enemy().settings.name, std::string("Slime"));
}

void TestCharSettings::destroyedWithTypedItemFocused()
{
    // Destroying the window hides the item box, and the focus leaving it
    // makes it answer to the typed entry name; the sanitizer build shows a
    // slot of the half-destroyed window running then.
    auto* item = control<QComboBox>(settings_, "cmbItem");
    item->lineEdit()->setFocus();
    QTest::keyClick(item->lineEdit(), Qt::Key_A, Qt::ControlModifier);
    typeInto(item->lineEdit(), QStringLiteral("Potion"));
    QVERIFY(item->hasFocus());
    const QPointer<SettingsWindow> alive(settings_);
    wizard_.reset();
    QVERIFY(alive.isNull());
}

// The instruction line stays one line whatever the name, and the warning
// about the name wraps under the field instead of widening the window.
void TestCharSettings::layoutHolds()
{
    QCoreApplication::processEvents();
    const int width = settings_->width();
    auto* instruct = control<QLabel>(settings_, "Instruct");
    auto* program = control<QLabel>(settings_, "ProgramName");
    for (const QString name : {"Robot", "WWWWWWWW", "9Lives", "MMMMMMMM"}) {
        replaceText(control<QLineEdit>(settings_, "CharName"), name);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::processEvents();
        QCOMPARE(settings_->width(), width);
        QVERIFY(!instruct->wordWrap());
        QVERIFY2(instruct->width() >= instruct->fontMetrics().horizontalAdvance(instruct->text()), qPrintable(name));
        QVERIFY2(program->height() >= program->heightForWidth(program->width()), qPrintable(name));
    }
    QCOMPARE(program->text(), QStringLiteral("Calculator program: MMMMMMMM"));
    replaceText(control<QLineEdit>(settings_, "CharName"), QStringLiteral("Big "));
    QCOMPARE(program->text(), QStringLiteral("A name cannot start or end with a space"));
    QCOMPARE(settings_->width(), width);
}

QTEST_MAIN(TestCharSettings)
#include "tst_settingswindow.moc"
