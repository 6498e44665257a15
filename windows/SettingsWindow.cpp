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
#include "EnemyModel.h"
#include "EnemyReader.h"
#include "Platform.h"
#include "Remembered.h"
#include "Rules.h"
#include "SettingsRules.h"
#include "SpritesWindow.h"
#include "Widgets.h"

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

// The fighting values' sliders in the window's order, with the names the
// tests and users' scripts find them by; the rest comes from the value table.
struct SliderName {
    palvorn::Field field;
    const char* slider;
    const char* caption;
};
constexpr SliderName kSliderNames[] = {
    {palvorn::Field::HighDefense, "UpDefSlider", "lblUpDef"},
    {palvorn::Field::LowDefense, "LowDefSlider", "lblLowDef"},
    {palvorn::Field::HighAttack, "UpAtkSlider", "lblUpAtk"},
    {palvorn::Field::LowAttack, "LowAtkSlider", "lblLowAtk"},
    {palvorn::Field::SpecialAttack, "SpecAtkSlider", "lblSpecAtk"},
    {palvorn::Field::Attacks, "AtksSlider", "lblAtks"},
    {palvorn::Field::BlockChance, "BlksSlider", "lblBlks"},
};

QString captionOf(const palvorn::ValueField& row)
{
    return QString::fromLatin1(row.caption.data(), qsizetype(row.caption.size())) + u':';
}

}  // namespace

SettingsWindow::SettingsWindow(EnemyModel& model, QWidget* parent)
    : QWidget(parent), model_(model), settings_(model.enemy().settings)
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
    bindFields();
    CharName->setFocus();
    showItemNote();
    showMaxHPNote();

    resize(265, 425);
    remembered::restoreGeometry(this);
}

void SettingsWindow::setUpNameRows()
{
    const int row = grid_->rowCount();
    grid_->addWidget(widgets::label(this, "NameLbl", QStringLiteral("Robot Name:")), row, 0, 1, 2);
    CharName = new QLineEdit(QString::fromStdString(settings_.name), this);
    CharName->setObjectName(QStringLiteral("CharName"));
    CharName->setMaxLength(palvorn::kNameLength);
    CharName->setValidator(new NameValidator(CharName));
    grid_->addWidget(CharName, row, 2, 1, 2);
    // The calculator program the build will make from the name, across the
    // whole row so that its changing width never moves the fields; a warning
    // too long for the row wraps instead of widening the window.
    ProgramName = widgets::label(this, "ProgramName", QString());
    ProgramName->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    ProgramName->setWordWrap(true);
    ProgramName->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    ProgramName->setMinimumHeight(ProgramName->fontMetrics().lineSpacing() * 2);
    grid_->addWidget(ProgramName, row + 1, 0, 1, 4);
}

void SettingsWindow::setUpItemAndNumbers()
{
    using palvorn::Field;
    int row = grid_->rowCount();
    grid_->addWidget(widgets::label(this, "lblItem", QStringLiteral("Earned Item:")), row, 0, 1, 2);
    cmbItem = new QComboBox(this);
    cmbItem->setObjectName(QStringLiteral("cmbItem"));
    cmbItem->setEditable(true);
    // Typed text stays what was typed: no entry is added or completed for it.
    cmbItem->setInsertPolicy(QComboBox::NoInsert);
    cmbItem->setCompleter(nullptr);
    for (std::size_t position = 0; position < palvorn::kItems.size(); ++position)
        cmbItem->addItem(QString::fromLatin1(palvorn::kItems[position].data()), int(position));
    cmbItem->setCurrentIndex(settings_.item);
    cmbItem->setEditText(QString::fromStdString(settings_.itemText));
    grid_->addWidget(cmbItem, row++, 2, 1, 2);
    // Says when the typed text gives no item; wraps rather than widening.
    ItemNote = widgets::label(this, "ItemNote", QString());
    ItemNote->setWordWrap(true);
    ItemNote->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    widgets::setWarning(ItemNote, true);
    grid_->addWidget(ItemNote, row++, 0, 1, 4);

    const palvorn::ValueField& minHP = palvorn::valueField(Field::MinHP);
    grid_->addWidget(widgets::label(this, "lblMinHP", QStringLiteral("Min HP:")), row, 0);
    txtMinHP = digitsField(this, "txtMinHP", minHP.digits, settings_.*minHP.text);
    grid_->addWidget(txtMinHP, row, 1);
    grid_->addWidget(widgets::label(this, "lblMaxHP", QStringLiteral("Max HP:")), row, 2);
    txtMaxHP = digitsField(this, "txtMaxHP", palvorn::kHPDigits, settings_.maxHP);
    grid_->addWidget(txtMaxHP, row++, 3);
    // What the file will keep of Max HP, when it is not what was typed.
    MaxHPNote = widgets::label(this, "MaxHPNote", QString());
    MaxHPNote->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    MaxHPNote->setWordWrap(true);
    MaxHPNote->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    grid_->addWidget(MaxHPNote, row++, 0, 1, 4);

    const palvorn::ValueField& money = palvorn::valueField(Field::Money);
    grid_->addWidget(widgets::label(this, "lblRobotMoney", QStringLiteral("Base Money:")), row, 0, 1, 2);
    txtRobotMoney = digitsField(this, "txtRobotMoney", money.digits, settings_.*money.text);
    grid_->addWidget(txtRobotMoney, row++, 2, 1, 2);
}

void SettingsWindow::setUpSliders()
{
    for (const SliderName& names : kSliderNames) {
        const palvorn::ValueField& row = palvorn::valueField(names.field);
        const int at = grid_->rowCount();
        const int start = settings_.*row.slider;
        grid_->addWidget(widgets::label(this, names.caption, sliderCaption(captionOf(row), start)), at, 0, 1, 2);
        auto* slider = new QSlider(Qt::Horizontal, this);
        slider->setObjectName(QLatin1String(names.slider));
        slider->setRange(row.range.minimum, row.range.maximum);
        slider->setValue(start);
        slider->setSingleStep(1);
        slider->setPageStep(2);
        slider->setTickPosition(QSlider::TicksBelow);
        slider->setTickInterval(1);
        grid_->addWidget(slider, at, 2, 1, 2);
        sliders_ << slider;
    }
}

void SettingsWindow::setUpInstructionAndButtons()
{
    int row = grid_->rowCount();
    Instruct = widgets::label(this, "Instruct", QString());
    // One line, never broken inside the file name: the window is wide
    // enough for the widest name the field takes.
    Instruct->setWordWrap(false);
    Instruct->setMinimumWidth(
        Instruct->fontMetrics().horizontalAdvance(instructionLine(QString(palvorn::kNameLength, QLatin1Char('W')))));
    grid_->addWidget(Instruct, row++, 0, 1, 4);
    // Where Create writes: the opened enemy's folder, beside the program,
    // or the per-user folder.
    EnemyFolder = widgets::label(this, "EnemyFolder", QString());
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
    QList<QWidget*> order{CharName, cmbItem, txtMinHP, txtMaxHP, txtRobotMoney};
    order << sliders_ << CreateBut << CancelBut;
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
}

void SettingsWindow::bindFields()
{
    // Each text field writes its text into its setting, then what shows it
    // follows; the validators keep typed and pasted text to ASCII, and text
    // set by code is kept whole in UTF-8, so that the core's rules refuse
    // what does not belong rather than a "?" standing in for it.
    using palvorn::Field;
    struct TextField {
        QLineEdit* edit;
        std::string palvorn::EnemySettings::*text;
        void (SettingsWindow::*follow)();
    };
    const TextField texts[] = {
        {CharName, &palvorn::EnemySettings::name, &SettingsWindow::showName},
        {txtMinHP, palvorn::valueField(Field::MinHP).text, &SettingsWindow::showMaxHPNote},
        {txtMaxHP, &palvorn::EnemySettings::maxHP, &SettingsWindow::showMaxHPNote},
        {txtRobotMoney, palvorn::valueField(Field::Money).text, nullptr},
    };
    for (const TextField& field : texts) {
        connect(field.edit, &QLineEdit::textChanged, &bindings_, [this, field](const QString& text) {
            settings_.*field.text = text.toStdString();
            if (field.follow)
                (this->*field.follow)();
        });
    }
    // Every slider's value and caption follow it, however it moved.
    for (std::size_t i = 0; i < std::size(kSliderNames); ++i) {
        auto* slider = static_cast<QSlider*>(sliders_[qsizetype(i)]);
        const palvorn::ValueField& row = palvorn::valueField(kSliderNames[i].field);
        auto* caption = findChild<QLabel*>(QLatin1String(kSliderNames[i].caption));
        connect(slider, &QSlider::valueChanged, &bindings_, [this, &row, caption](int value) {
            settings_.*row.slider = value;
            caption->setText(sliderCaption(captionOf(row), value));
        });
    }
    connect(cmbItem->lineEdit(), &QLineEdit::textEdited, &bindings_, [this](const QString& text) { takeItemText(text); });
    connect(cmbItem, &QComboBox::activated, &bindings_, [this](int position) { chooseItem(position); });
    connect(CreateBut, &QPushButton::clicked, this, &SettingsWindow::create);
    connect(CancelBut, &QPushButton::clicked, this, &QWidget::close);
    showName();
    // "willl" is the window's own first text, kept as it always read until
    // the name is first edited; an enemy opened under another name shows
    // the line the name gives.
    if (settings_.name == palvorn::EnemySettings{}.name)
        Instruct->setText(QStringLiteral("This program willl create the files Robot.8XP."));
}

palvorn::Enemy SettingsWindow::enemy() const
{
    palvorn::Enemy enemy = model_.enemy();
    enemy.settings = settings_;
    return enemy;
}

QString SettingsWindow::createFolder() const
{
    const std::filesystem::path& file = model_.document().file;
    return file.empty() ? platform::enemyFolder() : QString::fromStdU16String(file.parent_path().u16string());
}

void SettingsWindow::showName()
{
    const std::string& name = settings_.name;
    Instruct->setText(instructionLine(QString::fromStdString(name)));
    const std::optional<std::string> program = palvorn::calculatorName(name);
    const bool spaced = !name.empty() && (name.front() == ' ' || name.back() == ' ');
    // Typed on the way to a longer name; Create refuses it as it stands.
    ProgramName->setText(spaced    ? QStringLiteral("A name cannot start or end with a space")
                         : program ? QStringLiteral("Calculator program: %1").arg(QString::fromStdString(*program))
                                   : QStringLiteral("No calculator program name: start with a letter"));
    widgets::setWarning(ProgramName, spaced || !program);
}

void SettingsWindow::showMaxHPNote()
{
    // The file keeps the increment, not Max HP: it reopens as Min HP plus
    // nine increments, which may not be what was typed.
    const int minHP = palvorn::fieldValue(settings_.minHP);
    const int maxHP = palvorn::fieldValue(settings_.maxHP);
    const int increment = palvorn::hpIncrement(maxHP, minHP);
    const std::optional<int> kept = maxHP > minHP ? palvorn::maxHPFor(minHP, increment) : std::nullopt;
    const bool differs = kept && *kept != maxHP;
    MaxHPNote->setText(differs ? QStringLiteral("Kept as %1 (Min HP + 9 \u00d7 %2)").arg(*kept).arg(increment)
                               : QString());
    MaxHPNote->setVisible(differs);
}

void SettingsWindow::takeItemText(const QString& text)
{
    // Typed text is the entry it names, ignoring case and spaces around it;
    // any other text gives no item.
    settings_.itemText = text.toStdString();
    settings_.item = palvorn::itemFromText(settings_.itemText);
    showItemNote();
}

void SettingsWindow::chooseItem(int position)
{
    // From the list, or Enter and leaving the box picking the entry the
    // typed text names: either way that entry, as it reads in the list.
    settings_.item = position;
    settings_.itemText = cmbItem->itemText(position).toStdString();
    showItemNote();
}

void SettingsWindow::showItemNote()
{
    if (settings_.item >= 0 || settings_.itemText == palvorn::kNoItemChosen) {
        ItemNote->clear();
        ItemNote->hide();
        return;
    }
    const QString text = QString::fromStdString(settings_.itemText).trimmed();
    ItemNote->setText(text.isEmpty() || text == QLatin1String(palvorn::kNoItemText.data())
                          ? QStringLiteral("The enemy leaves no item.")
                          : QStringLiteral("The enemy leaves no item: \"%1\" is not in the list.").arg(text));
    ItemNote->show();
}

void SettingsWindow::showEnemyFolder()
{
    EnemyFolder->setText(QStringLiteral("Enemies go to: %1").arg(QDir::toNativeSeparators(createFolder())));
}

bool SettingsWindow::mayReplace(const std::filesystem::path& target)
{
    const QString file = QString::fromStdU16String(target.filename().u16string());
    const QString folder = QDir::toNativeSeparators(QString::fromStdU16String(target.parent_path().u16string()));
    return platform::ask(this, {QStringLiteral("Create"),
                                QStringLiteral("%1 holds another enemy. Replace it?\n\nFolder: %2").arg(file, folder),
                                QStringLiteral("Replace"), QStringLiteral("Cancel")});
}

void SettingsWindow::create()
{
    const QString folder = createFolder();
    const bool toEnemyFolder = model_.document().file.empty();
    showEnemyFolder();
    const palvorn::Enemy enemy = this->enemy();
    // Made before Create runs, so that the build it starts reports to it;
    // a window made for a Create that wrote nothing goes again.
    const bool fresh = !sprites_;
    if (fresh) {
        sprites_ = new SpritesWindow;
        connect(sprites_.get(), &SpritesWindow::okClicked, this, &SettingsWindow::okClicked);
    }
    // The per-user folder is made by the first Create that writes into it;
    // a refused enemy leaves no trace.
    palvorn::FolderMaker makeFolder;
    if (toEnemyFolder)
        makeFolder = [] { return platform::makeEnemyFolder().toStdString(); };
    QString notStarted;
    QDateTime started;
    const palvorn::ScriptStarter start = [&](const std::string& name, const std::filesystem::path&) {
        const QString statusFile = sprites_->newStatusFile();
        started = QDateTime::currentDateTime();
        notStarted = platform::startScript(platform::buildScript(), QString::fromStdString(name), folder, statusFile);
        return notStarted.toStdString();
    };
    const palvorn::Replacing replacing{model_.document().file, [this](const std::filesystem::path& target) {
                                           return mayReplace(target);
                                       }};
    const palvorn::CreateOutcome outcome =
        palvorn::create(enemy, std::filesystem::path(folder.toStdU16String()), start, replacing,
                        palvorn::kWindowsFileNames, makeFolder);

    using Status = palvorn::CreateOutcome::Status;
    const QString title = QString::fromStdString(outcome.title);
    const QString text = QString::fromStdString(outcome.text);
    const bool written = outcome.status == Status::Written || outcome.status == Status::NotStarted ||
                         outcome.status == Status::Started;
    if (!written) {
        if (fresh)
            sprites_.reset();
        else if (outcome.status != Status::NotReplaced)
            sprites_->showNotWritten(text);
        // NotReplaced: the user kept the other enemy's file, nothing was written.
        if (outcome.status != Status::NotReplaced)
            platform::warn(this, title, text,
                           outcome.status == Status::Refused ? platform::Buttons::OkCancel : platform::Buttons::Ok);
        return;
    }
    sprites_->showWritten(enemy, outcome);
    if (outcome.status == Status::NotStarted)
        sprites_->showNotStarted(notStarted);
    else if (outcome.status == Status::Started)
        sprites_->watchBuild(folder, QString::fromStdString(enemy.settings.name), started);
    model_.keepWritten(enemy, outcome.source);
    showEnemyFolder();
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
    remembered::saveGeometry(this);
    if (sprites_)
        sprites_->close();
    QWidget::closeEvent(event);
    emit closed();
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
