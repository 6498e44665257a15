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
#include "EnemyReader.h"
#include "Folders.h"
#include "Platform.h"
#include "Remembered.h"
#include "Rules.h"
#include "SettingsRules.h"
#include "SpritesWindow.h"
#include "WarningStyle.h"

namespace {

// Refuses any edit, typed or pasted, that would put a character into the
// name that cannot stand in its file name or its field in the file.
class NameValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        if (!nameFieldTakes(input))
            return Invalid;
        // "Big " on the way to "Big Rat": typed, but not a name yet.
        return palvorn::nameAllowed(input.toStdString(), palvorn::kWindowsFileNames) ? Acceptable : Intermediate;
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

SettingsWindow::SettingsWindow(const palvorn::Enemy& enemy, const std::filesystem::path& ownFile, QWidget* parent)
    : QWidget(parent), enemy_(enemy), ownFile_(ownFile)
{
    setObjectName(QStringLiteral("CharSettings"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Character Settings"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));

    grid_ = new QGridLayout(this);
    setUpNameRows();
    setUpItemAndNumbers();
    setUpSliders();
    setUpInstructionAndButtons();
    setUpTabOrder();
    connectControls();
    CharName->setFocus();
    showProgramName();
    showItemNote();

    resize(265, 425);
    remembered::restoreGeometry(this);
}

void SettingsWindow::setUpNameRows()
{
    const int row = grid_->rowCount();
    grid_->addWidget(label(this, "NameLbl", QStringLiteral("Robot Name:")), row, 0, 1, 2);
    CharName = new QLineEdit(QString::fromStdString(enemy_.settings.name), this);
    CharName->setObjectName(QStringLiteral("CharName"));
    CharName->setMaxLength(palvorn::kNameLength);
    CharName->setValidator(new NameValidator(CharName));
    grid_->addWidget(CharName, row, 2, 1, 2);
    // The calculator program the build will make from the name, across the
    // whole row so that its changing width never moves the fields; a warning
    // too long for the row wraps instead of widening the window.
    ProgramName = label(this, "ProgramName", QString());
    ProgramName->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ProgramName->setWordWrap(true);
    ProgramName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    ProgramName->setMinimumHeight(ProgramName->fontMetrics().lineSpacing() * 2);
    grid_->addWidget(ProgramName, row + 1, 0, 1, 4);
}

void SettingsWindow::setUpItemAndNumbers()
{
    const palvorn::EnemySettings& s = enemy_.settings;
    int row = grid_->rowCount();
    grid_->addWidget(label(this, "lblItem", QStringLiteral("Earned Item:")), row, 0, 1, 2);
    cmbItem = new QComboBox(this);
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
    // Says when the typed text gives no item; wraps rather than widening.
    ItemNote = label(this, "ItemNote", QString());
    ItemNote->setWordWrap(true);
    ItemNote->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    ItemNote->setStyleSheet(QString::fromLatin1(kWarningStyle));
    grid_->addWidget(ItemNote, row++, 0, 1, 4);

    grid_->addWidget(label(this, "lblMinHP", QStringLiteral("Min HP:")), row, 0);
    txtMinHP = digitsField(this, "txtMinHP", palvorn::valueField(palvorn::Field::MinHP).digits, s.minHP);
    grid_->addWidget(txtMinHP, row, 1);
    grid_->addWidget(label(this, "lblMaxHP", QStringLiteral("Max HP:")), row, 2);
    txtMaxHP = digitsField(this, "txtMaxHP", palvorn::kHPDigits, s.maxHP);
    grid_->addWidget(txtMaxHP, row++, 3);

    grid_->addWidget(label(this, "lblRobotMoney", QStringLiteral("Base Money:")), row, 0, 1, 2);
    txtRobotMoney = digitsField(this, "txtRobotMoney", palvorn::valueField(palvorn::Field::Money).digits, s.money);
    grid_->addWidget(txtRobotMoney, row++, 2, 1, 2);
}

void SettingsWindow::setUpSliders()
{
    using palvorn::Field;
    UpDefSlider = addSlider("UpDefSlider", "lblUpDef", Field::HighDefense);
    LowDefSlider = addSlider("LowDefSlider", "lblLowDef", Field::LowDefense);
    UpAtkSlider = addSlider("UpAtkSlider", "lblUpAtk", Field::HighAttack);
    LowAtkSlider = addSlider("LowAtkSlider", "lblLowAtk", Field::LowAttack);
    SpecAtkSlider = addSlider("SpecAtkSlider", "lblSpecAtk", Field::SpecialAttack);
    AtksSlider = addSlider("AtksSlider", "lblAtks", Field::Attacks);
    BlksSlider = addSlider("BlksSlider", "lblBlks", Field::BlockChance);
}

void SettingsWindow::setUpInstructionAndButtons()
{
    int row = grid_->rowCount();
    // "willl" is the window's own first text, kept as it always read until
    // the name is first edited; an enemy opened under another name shows
    // the line the name gives.
    Instruct = label(this, "Instruct",
                     enemy_.settings.name == palvorn::EnemySettings{}.name
                         ? QStringLiteral("This program willl create the files Robot.8XP.")
                         : instructionLine(CharName->text()));
    // One line, never broken inside the file name: the window is wide
    // enough for the widest name the field takes.
    Instruct->setWordWrap(false);
    Instruct->setMinimumWidth(
        Instruct->fontMetrics().horizontalAdvance(instructionLine(QString(palvorn::kNameLength, QLatin1Char('W')))));
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
    grid_->addLayout(buttons, row, 0, 1, 4);
}

void SettingsWindow::setUpTabOrder()
{
    // Reading order, top to bottom.
    const QList<QWidget*> order{CharName,    cmbItem,      txtMinHP,      txtMaxHP,   txtRobotMoney,
                                UpDefSlider, LowDefSlider, UpAtkSlider,   LowAtkSlider, SpecAtkSlider,
                                AtksSlider,  BlksSlider,   CreateBut,     CancelBut};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void SettingsWindow::connectControls()
{
    connect(CharName, &QLineEdit::textChanged, this, &SettingsWindow::CharName_Change);
    connect(txtMinHP, &QLineEdit::textChanged, this, &SettingsWindow::txtMinHP_Change);
    connect(txtMaxHP, &QLineEdit::textChanged, this, &SettingsWindow::txtMaxHP_Change);
    connect(txtRobotMoney, &QLineEdit::textChanged, this, &SettingsWindow::txtRobotMoney_Change);
    connect(cmbItem->lineEdit(), &QLineEdit::textEdited, this, &SettingsWindow::cmbItem_Edit);
    connect(cmbItem, &QComboBox::activated, this, &SettingsWindow::cmbItem_Choose);
    connect(CreateBut, &QPushButton::clicked, this, &SettingsWindow::CreateBut_Click);
    connect(CancelBut, &QPushButton::clicked, this, &SettingsWindow::CancelBut_Click);
}

void SettingsWindow::setSprites(const std::array<palvorn::Sprite, palvorn::kPoses>& sprites)
{
    enemy_.sprites = sprites;
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
    const std::string& name = enemy_.settings.name;
    const std::optional<std::string> program = palvorn::calculatorName(name);
    if (!name.empty() && (name.front() == ' ' || name.back() == ' ')) {
        // Typed on the way to a longer name; Create refuses it as it stands.
        ProgramName->setText(QStringLiteral("A name cannot start or end with a space"));
        ProgramName->setStyleSheet(QString::fromLatin1(kWarningStyle));
    } else if (program) {
        ProgramName->setText(QStringLiteral("Calculator program: %1").arg(QString::fromStdString(*program)));
        ProgramName->setStyleSheet(QString());
    } else {
        ProgramName->setText(QStringLiteral("No calculator program name: start with a letter"));
        ProgramName->setStyleSheet(QString::fromLatin1(kWarningStyle));
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
    // Typed text is the entry it names, ignoring case and spaces around it;
    // any other text gives no item.
    enemy_.settings.itemText = text.toStdString();
    enemy_.settings.item = palvorn::itemFromText(enemy_.settings.itemText);
    showItemNote();
}

void SettingsWindow::cmbItem_Choose(int position)
{
    // From the list, or Enter and leaving the box picking the entry the
    // typed text names: either way that entry, as it reads in the list.
    enemy_.settings.item = position;
    enemy_.settings.itemText = cmbItem->itemText(position).toStdString();
    showItemNote();
}

void SettingsWindow::showItemNote()
{
    const palvorn::EnemySettings& s = enemy_.settings;
    if (s.item >= 0 || s.itemText == palvorn::kNoItemChosen) {
        ItemNote->clear();
        ItemNote->hide();
        return;
    }
    const QString text = QString::fromStdString(s.itemText).trimmed();
    ItemNote->setText(text.isEmpty() || text == QLatin1String(palvorn::kNoItemText.data())
                          ? QStringLiteral("The enemy leaves no item.")
                          : QStringLiteral("The enemy leaves no item: \"%1\" is not in the list.").arg(text));
    ItemNote->show();
}

void SettingsWindow::CancelBut_Click()
{
    close();
}

void SettingsWindow::showEnemyFolder()
{
    EnemyFolder->setText(QStringLiteral("Enemies go to: %1").arg(QDir::toNativeSeparators(platform::enemyFolder())));
}

bool SettingsWindow::mayReplace(const std::filesystem::path& target)
{
    const QString file = QString::fromStdU16String(target.filename().u16string());
    const QString folder = QDir::toNativeSeparators(QString::fromStdU16String(target.parent_path().u16string()));
    return platform::ask(this, {QStringLiteral("Create"),
                                QStringLiteral("%1 holds another enemy. Replace it?\n\nFolder: %2").arg(file, folder),
                                QStringLiteral("Replace"), QStringLiteral("Cancel")});
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
    // Made before Create runs, so that the build it starts reports to it;
    // a window made for a Create that wrote nothing goes again.
    const bool fresh = !sprites_;
    if (fresh) {
        sprites_ = new SpritesWindow;
        connect(sprites_, &SpritesWindow::okClicked, this, &SettingsWindow::okClicked);
    }
    QString notStarted;
    QDateTime started;
    const palvorn::ScriptStarter start = [&](const std::string& name, const std::filesystem::path&) {
        const QString statusFile = sprites_->newStatusFile();
        started = QDateTime::currentDateTime();
        notStarted = platform::startScript(platform::buildScript(), QString::fromStdString(name), folder, statusFile);
        return notStarted.toStdString();
    };
    const palvorn::Replacing replacing{ownFile_, [this](const std::filesystem::path& target) {
                                           return mayReplace(target);
                                       }};
    const palvorn::CreateOutcome outcome =
        palvorn::create(enemy_, std::filesystem::path(folder.toStdU16String()), start, replacing);

    using Status = palvorn::CreateOutcome::Status;
    const QString title = QString::fromStdString(outcome.title);
    const QString text = QString::fromStdString(outcome.text);
    const auto dropFresh = [&] {
        if (fresh)
            delete sprites_.data();
        else if (outcome.status != Status::NotReplaced)
            sprites_->showNotWritten(text);
    };
    switch (outcome.status) {
    case Status::Refused:
        dropFresh();
        platform::warn(this, title, text, platform::Buttons::OkCancel);
        return;
    case Status::NotReplaced:
        dropFresh();
        return;  // the user kept the other enemy's file: nothing was written
    case Status::NotWritten:
        dropFresh();
        platform::warn(this, title, text);
        return;
    case Status::Written:
        // No script was asked for; the window only shows what was written.
        sprites_->showWritten(enemy_, outcome);
        break;
    case Status::NotStarted:
        sprites_->showWritten(enemy_, outcome);
        sprites_->showNotStarted(notStarted);
        break;
    case Status::Started:
        sprites_->showWritten(enemy_, outcome);
        sprites_->watchBuild(folder, QString::fromStdString(enemy_.settings.name), started);
        break;
    }
    ownFile_ = outcome.source;
    emit created(enemy_, QString::fromStdU16String(outcome.source.u16string()));
    sprites_->show();
    sprites_->raise();
    sprites_->activateWindow();
    if (outcome.status == Status::NotStarted)
        platform::warn(this, title, text);
}

void SettingsWindow::closeEvent(QCloseEvent* event)
{
    // The working copy goes with the window; the Sprites window of its
    // enemy goes too.
    closed_ = true;
    remembered::saveGeometry(this);
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
