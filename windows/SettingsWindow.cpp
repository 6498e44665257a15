#include "SettingsWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QValidator>
#include <filesystem>

#include "Create.h"
#include "Folders.h"
#include "Platform.h"
#include "Rules.h"
#include "SettingsRules.h"
#include "SpritesWindow.h"

namespace {

// Refuses any edit, typed or pasted, that would put a character into the
// name that cannot stand in its file name or its field in the file.
class NameValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override { return nameFieldTakes(input) ? Acceptable : Invalid; }
};

// An editable item box whose entries are chosen from its list only: the list
// opened, or the arrow keys or the wheel walking it. Enter, Tab or leaving
// the box make the combo box select an entry whose text was typed; that
// selection is undone, since typed text must name no item.
class ItemBox : public QComboBox {
public:
    using QComboBox::QComboBox;

    bool choosingFromList = false;

    void showPopup() override
    {
        choosingFromList = true;
        QComboBox::showPopup();
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            choosingFromList = true;
            QComboBox::keyPressEvent(event);
            choosingFromList = false;
            return;
        default:
            QComboBox::keyPressEvent(event);
        }
    }

    void wheelEvent(QWheelEvent* event) override
    {
        choosingFromList = true;
        QComboBox::wheelEvent(event);
        choosingFromList = false;
    }
};

QLineEdit* digitsField(QWidget* parent, const char* name, int digits, const std::string& text)
{
    auto* field = new QLineEdit(QString::fromStdString(text), parent);
    field->setObjectName(QLatin1String(name));
    field->setMaxLength(digits);
    field->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(digits)), field));
    return field;
}

QLabel* label(QWidget* parent, const char* name, const QString& text)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

std::string fieldText(const QString& text)
{
    // The validators keep typed and pasted text to ASCII, but text set by
    // code passes them: UTF-8 keeps every character, so the core's rules
    // refuse it instead of a "?" standing in for it.
    return text.toStdString();
}

}  // namespace

SettingsWindow::SettingsWindow(palvorn::Enemy& enemy, QWidget* parent) : QWidget(parent), enemy_(enemy)
{
    setObjectName(QStringLiteral("CharSettings"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Character Settings"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    const palvorn::EnemySettings& s = enemy_.settings;

    grid_ = new QGridLayout(this);
    int row = 0;

    grid_->addWidget(label(this, "NameLbl", QStringLiteral("Robot Name:")), row, 0, 1, 2);
    CharName = new QLineEdit(QString::fromStdString(s.name), this);
    CharName->setObjectName(QStringLiteral("CharName"));
    CharName->setMaxLength(palvorn::kNameLength);
    CharName->setValidator(new NameValidator(CharName));
    grid_->addWidget(CharName, row++, 2, 1, 2);
    // The calculator program the build will make from the name.
    // Across the whole row, so that its changing width never moves the fields.
    ProgramName = label(this, "ProgramName", QString());
    ProgramName->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid_->addWidget(ProgramName, row++, 0, 1, 4);

    grid_->addWidget(label(this, "lblItem", QStringLiteral("Earned Item:")), row, 0, 1, 2);
    auto* itemBox = new ItemBox(this);
    cmbItem = itemBox;
    cmbItem->setObjectName(QStringLiteral("cmbItem"));
    cmbItem->setEditable(true);
    // Typed text stays what was typed: no entry is added or completed for it.
    cmbItem->setInsertPolicy(QComboBox::NoInsert);
    cmbItem->setCompleter(nullptr);
    for (std::size_t position = 0; position < palvorn::kItems.size(); ++position)
        cmbItem->addItem(QString::fromLatin1(palvorn::kItems[position].data()), int(position));
    cmbItem->setCurrentIndex(s.item);
    cmbItem->setEditText(QString::fromStdString(s.itemText));
    grid_->addWidget(cmbItem, row++, 2, 1, 2);

    grid_->addWidget(label(this, "lblMinHP", QStringLiteral("Min HP:")), row, 0);
    txtMinHP = digitsField(this, "txtMinHP", palvorn::valueField(palvorn::Field::MinHP).digits, s.minHP);
    grid_->addWidget(txtMinHP, row, 1);
    grid_->addWidget(label(this, "lblMaxHP", QStringLiteral("Max HP:")), row, 2);
    txtMaxHP = digitsField(this, "txtMaxHP", palvorn::kHPDigits, s.maxHP);
    grid_->addWidget(txtMaxHP, row++, 3);

    grid_->addWidget(label(this, "lblRobotMoney", QStringLiteral("Base Money:")), row, 0, 1, 2);
    txtRobotMoney = digitsField(this, "txtRobotMoney", palvorn::valueField(palvorn::Field::Money).digits, s.money);
    grid_->addWidget(txtRobotMoney, row++, 2, 1, 2);

    using palvorn::Field;
    UpDefSlider = addSlider("UpDefSlider", "lblUpDef", Field::HighDefense);
    LowDefSlider = addSlider("LowDefSlider", "lblLowDef", Field::LowDefense);
    UpAtkSlider = addSlider("UpAtkSlider", "lblUpAtk", Field::HighAttack);
    LowAtkSlider = addSlider("LowAtkSlider", "lblLowAtk", Field::LowAttack);
    SpecAtkSlider = addSlider("SpecAtkSlider", "lblSpecAtk", Field::SpecialAttack);
    AtksSlider = addSlider("AtksSlider", "lblAtks", Field::Attacks);
    BlksSlider = addSlider("BlksSlider", "lblBlks", Field::BlockChance);
    row = grid_->rowCount();

    // "willl" is the window's own first text, kept as it always read until
    // the name is first edited; an enemy opened under another name shows
    // the line the name gives.
    Instruct = label(this, "Instruct",
                     s.name == palvorn::EnemySettings{}.name
                         ? QStringLiteral("This program willl create the files Robot.8XP.")
                         : instructionLine(CharName->text()));
    Instruct->setWordWrap(true);
    grid_->addWidget(Instruct, row++, 0, 1, 4);
    // Where Create writes: beside the program, or the per-user folder.
    EnemyFolder = label(this, "EnemyFolder", QString());
    EnemyFolder->setWordWrap(true);
    EnemyFolder->setTextInteractionFlags(Qt::TextSelectableByMouse);
    showEnemyFolder();
    grid_->addWidget(EnemyFolder, row++, 0, 1, 4);

    auto* buttons = new QHBoxLayout;
    CreateBut = new QPushButton(QStringLiteral("Create"), this);
    CreateBut->setObjectName(QStringLiteral("CreateBut"));
    CancelBut = new QPushButton(QStringLiteral("Cancel"), this);
    CancelBut->setObjectName(QStringLiteral("CancelBut"));
    // Enter presses the focused button, and "Create" anywhere else (keyPressEvent).
    CreateBut->setAutoDefault(true);
    CreateBut->setDefault(true);
    CancelBut->setAutoDefault(true);
    buttons->addWidget(CreateBut);
    buttons->addWidget(CancelBut);
    grid_->addLayout(buttons, row++, 0, 1, 4);

    // The window's focus order has always jumped about like this, and users
    // of it know it by heart: kept on purpose.
    setTabOrder(CharName, UpAtkSlider);
    setTabOrder(UpAtkSlider, CancelBut);
    setTabOrder(CancelBut, LowAtkSlider);
    setTabOrder(LowAtkSlider, SpecAtkSlider);
    setTabOrder(SpecAtkSlider, CreateBut);
    setTabOrder(CreateBut, UpDefSlider);
    setTabOrder(UpDefSlider, LowDefSlider);
    setTabOrder(LowDefSlider, AtksSlider);
    setTabOrder(AtksSlider, BlksSlider);
    setTabOrder(BlksSlider, cmbItem);
    setTabOrder(cmbItem, txtMinHP);
    setTabOrder(txtMinHP, txtMaxHP);
    setTabOrder(txtMaxHP, txtRobotMoney);
    CharName->setFocus();
    showProgramName();

    connect(CharName, &QLineEdit::textChanged, this, &SettingsWindow::CharName_Change);
    connect(txtMinHP, &QLineEdit::textChanged, this, &SettingsWindow::txtMinHP_Change);
    connect(txtMaxHP, &QLineEdit::textChanged, this, &SettingsWindow::txtMaxHP_Change);
    connect(txtRobotMoney, &QLineEdit::textChanged, this, &SettingsWindow::txtRobotMoney_Change);
    connect(cmbItem->lineEdit(), &QLineEdit::textEdited, this, &SettingsWindow::cmbItem_Edit);
    connect(cmbItem, &QComboBox::activated, this, &SettingsWindow::cmbItem_Choose);
    connect(CreateBut, &QPushButton::clicked, this, &SettingsWindow::CreateBut_Click);
    connect(CancelBut, &QPushButton::clicked, this, &SettingsWindow::CancelBut_Click);

    resize(265, 425);
}

SpritesWindow* SettingsWindow::spritesWindow() const
{
    return sprites_;
}

SettingsWindow::~SettingsWindow()
{
    // The base destructor hides the controls, and the focus leaving the item
    // box makes it emit "activated": no slot of this window, half destroyed
    // by then, may run.
    for (QObject* child : findChildren<QObject*>())
        disconnect(child, nullptr, this, nullptr);
    delete sprites_.data();
}

QSlider* SettingsWindow::addSlider(const char* sliderName, const char* captionName, palvorn::Field field)
{
    const palvorn::ValueField& fighting = palvorn::valueField(field);
    const QString prefix = QString::fromLatin1(fighting.caption.data(), qsizetype(fighting.caption.size())) + u':';
    const palvorn::SliderRange range = fighting.range;
    const auto value = fighting.slider;
    const int row = grid_->rowCount();
    const int start = enemy_.settings.*value;
    auto* caption = label(this, captionName, sliderCaption(prefix, start));
    grid_->addWidget(caption, row, 0, 1, 2);
    auto* slider = new QSlider(Qt::Horizontal, this);
    slider->setObjectName(QLatin1String(sliderName));
    slider->setRange(range.minimum, range.maximum);
    slider->setValue(start);
    slider->setSingleStep(1);
    slider->setPageStep(2);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(1);
    grid_->addWidget(slider, row, 2, 1, 2);
    const SliderRow sliderRow{slider, caption, prefix, value};
    sliderRows_.append(sliderRow);
    // Every slider's caption follows its value, however it moved.
    connect(slider, &QSlider::valueChanged, this, [this, sliderRow] { sliderMoved(sliderRow); });
    return slider;
}

void SettingsWindow::sliderMoved(const SliderRow& row)
{
    enemy_.settings.*row.value = row.slider->value();
    row.caption->setText(sliderCaption(row.prefix, row.slider->value()));
}

void SettingsWindow::showProgramName()
{
    const std::optional<std::string> program = palvorn::calculatorName(enemy_.settings.name);
    if (program) {
        ProgramName->setText(QStringLiteral("Calculator program: %1").arg(QString::fromStdString(*program)));
        ProgramName->setStyleSheet(QString());
    } else {
        ProgramName->setText(QStringLiteral("No calculator program name: start with a letter"));
        ProgramName->setStyleSheet(QStringLiteral("color: #b00000"));
    }
}

void SettingsWindow::CharName_Change(const QString& text)
{
    enemy_.settings.name = fieldText(text);
    Instruct->setText(instructionLine(text));
    showProgramName();
}

void SettingsWindow::txtMinHP_Change(const QString& text)
{
    enemy_.settings.minHP = fieldText(text);
}

void SettingsWindow::txtMaxHP_Change(const QString& text)
{
    enemy_.settings.maxHP = fieldText(text);
}

void SettingsWindow::txtRobotMoney_Change(const QString& text)
{
    enemy_.settings.money = fieldText(text);
}

void SettingsWindow::cmbItem_Edit(const QString& text)
{
    static_cast<ItemBox*>(cmbItem)->choosingFromList = false;
    enemy_.settings.item = -1;
    enemy_.settings.itemText = text.toStdString();
    // The combo box keeps the entry chosen earlier while its text is edited;
    // typed text names no entry, so the selection goes and the text stays.
    if (cmbItem->currentIndex() == -1)
        return;
    QLineEdit* edit = cmbItem->lineEdit();
    const int cursor = edit->cursorPosition();
    cmbItem->setCurrentIndex(-1);
    edit->setText(text);
    edit->setCursorPosition(cursor);
}

void SettingsWindow::cmbItem_Choose(int position)
{
    auto* box = static_cast<ItemBox*>(cmbItem);
    if (box->choosingFromList) {
        box->choosingFromList = false;
        enemy_.settings.item = position;
        enemy_.settings.itemText = cmbItem->itemText(position).toStdString();
        return;
    }
    // Enter, Tab or focus leaving made the box pick the entry its typed text
    // matches: give the text back, with no entry.
    const QString typed = QString::fromStdString(enemy_.settings.itemText);
    cmbItem->setCurrentIndex(-1);
    cmbItem->setEditText(typed);
}

void SettingsWindow::CancelBut_Click()
{
    close();
}

void SettingsWindow::showEnemyFolder()
{
    EnemyFolder->setText(QStringLiteral("Enemies go to: %1").arg(QDir::toNativeSeparators(platform::enemyFolder())));
}

void SettingsWindow::CreateBut_Click()
{
    showEnemyFolder();
    const QString folder = platform::enemyFolder();
    // The per-user folder is made by the first Create that writes into it;
    // a refused enemy leaves no trace.
    if (!palvorn::checkEnemy(enemy_, palvorn::kWindowsFileNames)) {
        if (const QString reason = platform::makeEnemyFolder(); !reason.isEmpty()) {
            platform::warn(this, QStringLiteral("Create"), reason + QStringLiteral("\n\nThe build script was not started."));
            return;
        }
    }
    QString statusFile;
    QString notStarted;
    QDateTime started;
    const palvorn::ScriptStarter start = [&](const std::string& name, const std::filesystem::path&) {
        if (!sprites_) {
            sprites_ = new SpritesWindow;
            connect(sprites_, &SpritesWindow::okClicked, this, &SettingsWindow::okClicked);
        }
        statusFile = sprites_->newStatusFile();
        started = QDateTime::currentDateTime();
        notStarted = platform::startScript(platform::buildScript(), QString::fromStdString(name), folder, statusFile);
        return notStarted.toStdString();
    };
    const palvorn::CreateOutcome outcome =
        palvorn::create(enemy_, std::filesystem::path(folder.toStdU16String()), start);

    using Status = palvorn::CreateOutcome::Status;
    const QString title = QString::fromStdString(outcome.title);
    const QString text = QString::fromStdString(outcome.text);
    switch (outcome.status) {
    case Status::Refused:
        platform::warn(this, title, text, platform::Buttons::OkCancel);
        return;
    case Status::NotWritten:
        platform::warn(this, title, text);
        return;
    case Status::Written:
    case Status::NotStarted:
    case Status::Started:
        break;
    }

    // The script was asked for, so the window exists by now.
    sprites_->showWritten(enemy_, outcome);
    if (outcome.status == Status::Started)
        sprites_->watchBuild(folder, QString::fromStdString(enemy_.settings.name), started);
    else
        sprites_->showNotStarted(notStarted);
    sprites_->show();
    sprites_->raise();
    sprites_->activateWindow();
    if (outcome.status == Status::NotStarted)
        platform::warn(this, title, text);
}

void SettingsWindow::closeEvent(QCloseEvent* event)
{
    // A closed settings window discards its entries, and the Sprites window
    // of its enemy goes with it.
    closed_ = true;
    enemy_.settings = palvorn::EnemySettings{};
    if (sprites_)
        sprites_->close();
    QWidget::closeEvent(event);
}

void SettingsWindow::keyPressEvent(QKeyEvent* event)
{
    // The window's default button: Enter that no control took presses "Create".
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        CreateBut->click();
        return;
    }
    QWidget::keyPressEvent(event);
}
