#include "SettingsWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QValidator>

#include "SpritesWindow.h"
#include "Platform.h"
#include "SettingsRules.h"

namespace {

std::function<QImage(int)>& spriteSlots()
{
    static std::function<QImage(int)> pictures;
    return pictures;
}

// Refuses any edit, typed or pasted, that would put a character into the
// name that cannot stand in its file name or its field in the file.
class NameValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override { return nameAllowed(input) ? Acceptable : Invalid; }
};

QLineEdit* digitsField(QWidget* parent, const char* name, int digits)
{
    auto* field = new QLineEdit(parent);
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

}  // namespace

QPointer<SettingsWindow> SettingsWindow::current_;

SettingsWindow* SettingsWindow::showWindow()
{
    if (!current_)
        current_ = new SettingsWindow;
    current_->show();
    current_->raise();
    current_->activateWindow();
    return current_;
}

SettingsWindow* SettingsWindow::existing()
{
    return current_;
}

void SettingsWindow::closeIfOpen()
{
    if (current_)
        current_->close();
}

void SettingsWindow::setSpriteSlots(std::function<QImage(int)> pictures)
{
    spriteSlots() = std::move(pictures);
}

SettingsWindow::SettingsWindow(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Character Settings"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));

    grid_ = new QGridLayout(this);
    int row = 0;

    grid_->addWidget(label(this, "NameLbl", QStringLiteral("Robot Name:")), row, 0, 1, 2);
    CharName = new QLineEdit(QStringLiteral("Robot"), this);
    CharName->setObjectName(QStringLiteral("CharName"));
    CharName->setMaxLength(8);
    CharName->setValidator(new NameValidator(CharName));
    grid_->addWidget(CharName, row++, 2, 1, 2);

    grid_->addWidget(label(this, "lblItem", QStringLiteral("Earned Item:")), row, 0, 1, 2);
    cmbItem = new QComboBox(this);
    cmbItem->setObjectName(QStringLiteral("cmbItem"));
    cmbItem->setEditable(true);
    // Typed text stays what was typed: no entry is added or completed for it.
    cmbItem->setInsertPolicy(QComboBox::NoInsert);
    cmbItem->setCompleter(nullptr);
    const QString items[] = {QStringLiteral("Potion"),    QStringLiteral("Heal Leaf"), QStringLiteral("Full Heal"),
                             QStringLiteral("STR Apple"), QStringLiteral("DEF Apple"), QStringLiteral("BLK Apple")};
    for (int position = 0; position < 6; ++position)
        cmbItem->addItem(items[position], position);
    cmbItem->setCurrentIndex(-1);
    cmbItem->setEditText(QStringLiteral("Select Item"));
    grid_->addWidget(cmbItem, row++, 2, 1, 2);

    grid_->addWidget(label(this, "lblMinHP", QStringLiteral("Min HP:")), row, 0);
    txtMinHP = digitsField(this, "txtMinHP", 3);
    grid_->addWidget(txtMinHP, row, 1);
    grid_->addWidget(label(this, "lblMaxHP", QStringLiteral("Max HP:")), row, 2);
    txtMaxHP = digitsField(this, "txtMaxHP", 3);
    grid_->addWidget(txtMaxHP, row++, 3);

    grid_->addWidget(label(this, "lblRobotMoney", QStringLiteral("Base Money:")), row, 0, 1, 2);
    txtRobotMoney = digitsField(this, "txtRobotMoney", 2);
    grid_->addWidget(txtRobotMoney, row++, 2, 1, 2);

    UpDefSlider = addSlider("UpDefSlider", "lblUpDef", QStringLiteral("High Defense:"), 1, false);
    LowDefSlider = addSlider("LowDefSlider", "lblLowDef", QStringLiteral("Low Defense:"), 1, false);
    UpAtkSlider = addSlider("UpAtkSlider", "lblUpAtk", QStringLiteral("High Attack:"), 1, true);
    LowAtkSlider = addSlider("LowAtkSlider", "lblLowAtk", QStringLiteral("Low Attack:"), 1, true);
    SpecAtkSlider = addSlider("SpecAtkSlider", "lblSpecAtk", QStringLiteral("Special Attack:"), 1, true);
    AtksSlider = addSlider("AtksSlider", "lblAtks", QStringLiteral("Attacks:"), 1, false);
    BlksSlider = addSlider("BlksSlider", "lblBlks", QStringLiteral("Block Chance:"), 2, false);
    row = grid_->rowCount();

    Instruct = label(this, "Instruct", QStringLiteral("This program willl create the files Robot.8XP."));
    Instruct->setWordWrap(true);
    grid_->addWidget(Instruct, row++, 0, 1, 4);

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

    connect(CharName, &QLineEdit::textChanged, this, &SettingsWindow::CharName_Change);
    connect(txtMaxHP, &QLineEdit::textChanged, this, &SettingsWindow::txtMaxHP_Change);
    connect(txtRobotMoney, &QLineEdit::textChanged, this, &SettingsWindow::txtRobotMoney_Change);
    connect(cmbItem->lineEdit(), &QLineEdit::textEdited, this, &SettingsWindow::cmbItem_Edit);
    connect(CreateBut, &QPushButton::clicked, this, &SettingsWindow::CreateBut_Click);
    connect(CancelBut, &QPushButton::clicked, this, &SettingsWindow::CancelBut_Click);

    resize(265, 425);
}

QSlider* SettingsWindow::addSlider(const char* sliderName, const char* captionName, const QString& prefix, int minimum,
                                 bool followsValue)
{
    const int row = grid_->rowCount();
    auto* caption = label(this, captionName, sliderCaption(prefix, 5));
    grid_->addWidget(caption, row, 0, 1, 2);
    auto* slider = new QSlider(Qt::Horizontal, this);
    slider->setObjectName(QLatin1String(sliderName));
    slider->setRange(minimum, 9);
    slider->setValue(5);
    slider->setSingleStep(1);
    slider->setPageStep(2);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(1);
    grid_->addWidget(slider, row, 2, 1, 2);
    sliderRows_.append({slider, caption, prefix});
    if (followsValue)
        connect(slider, &QSlider::valueChanged, this, [this, slider] { refreshCaption(slider); });
    else
        slider->installEventFilter(this);
    return slider;
}

void SettingsWindow::refreshCaption(const QSlider* slider)
{
    for (const SliderRow& row : std::as_const(sliderRows_))
        if (row.slider == slider)
            row.caption->setText(sliderCaption(row.prefix, slider->value()));
}

bool SettingsWindow::eventFilter(QObject* watched, QEvent* event)
{
    // A click is a press and a release over the slider; the value has moved
    // by then, so the caption is rebuilt after the slider saw the release.
    if (event->type() == QEvent::MouseButtonRelease) {
        auto* slider = qobject_cast<QSlider*>(watched);
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (slider && slider->rect().contains(mouse->position().toPoint())) {
            slider->event(event);
            refreshCaption(slider);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void SettingsWindow::fillEnemyValues(palvorn::EnemyValues& values) const
{
    values.name = fileText(CharName->text());
    values.minHP = fileText(txtMinHP->text());
    values.highDefense = UpDefSlider->value();
    values.lowDefense = LowDefSlider->value();
    values.highAttack = UpAtkSlider->value();
    values.lowAttack = LowAtkSlider->value();
    values.specialAttack = SpecAtkSlider->value();
    values.blockChance = BlksSlider->value();
    values.attacks = AtksSlider->value();
    values.itemPosition = cmbItem->currentIndex();
}

void SettingsWindow::CharName_Change(const QString& text)
{
    Instruct->setText(instructionLine(text));
}

void SettingsWindow::txtMaxHP_Change(const QString& text)
{
    SpritesWindow::instance()->lblIncAmount = incrementText(text, txtMinHP->text());
}

void SettingsWindow::txtRobotMoney_Change(const QString& text)
{
    SpritesWindow::instance()->lblRobotMoney = text;
}

void SettingsWindow::cmbItem_Edit(const QString& text)
{
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

void SettingsWindow::CancelBut_Click()
{
    close();
    SpritesWindow::closeIfOpen();
}

void SettingsWindow::CreateBut_Click()
{
    const QPointer<SettingsWindow> self(this);
    const auto refuse = [this](const QString& title, const QString& text) {
        platform::warn(this, title, text, platform::Buttons::OkCancel);
    };
    switch (checkCreate(cmbItem->currentText(), txtMaxHP->text(), txtMinHP->text(), CharName->text())) {
    case CreateCheck::ItemMissing:
        refuse(QStringLiteral("Select Item"), QStringLiteral("You must select an item!"));
        return;
    case CreateCheck::HPOrderWrong:
        refuse(QStringLiteral("Figuring HP"), QStringLiteral("Max HP must be higher than Min HP!"));
        return;
    case CreateCheck::NameMissing:
        refuse(QStringLiteral("Robot Name"), QStringLiteral("You must enter a name!"));
        return;
    case CreateCheck::Proceed:
        break;
    }

    const QPointer<SpritesWindow> worker = SpritesWindow::instance();
    for (int i = 1; i <= 5; ++i)
        worker->setCopySprite(i, spriteSlots() ? spriteSlots()(i) : QImage());
    worker->okButton()->setEnabled(false);
    worker->show();
    worker->raise();
    worker->activateWindow();

    const QString name = CharName->text();
    QString written;
    try {
        written = QString::fromStdU16String(worker->WriteFile().u16string());
    } catch (const palvorn::InvalidName& e) {
        // Nothing was written. "Ok" stays disabled, since it would reset the
        // wizard and lose the sprites with no file to show for them; the
        // worker window goes out of the way with its values kept.
        worker->hide();
        platform::warn(this, QStringLiteral("Robot Name"),
                       QStringLiteral("The name \"%1\" cannot be used as a file name: %2")
                           .arg(name, QString::fromStdString(e.what())));
        return;
    } catch (const palvorn::WriteError& e) {
        worker->hide();
        platform::warn(this, QStringLiteral("Create"),
                       QStringLiteral("The file %1 could not be written: %2\n\nThe build script was not started.")
                           .arg(QString::fromStdU16String(e.path().u16string()), QString::fromStdString(e.reason())));
        return;
    } catch (const std::exception& e) {
        worker->hide();
        platform::warn(this, QStringLiteral("Create"),
                       QStringLiteral("The source file could not be written: %1\n\nThe build script was not started.")
                           .arg(QString::fromStdString(e.what())));
        return;
    }

    const QString folder = platform::programFolder();
    const QString script = folder + QLatin1Char('/') + platform::buildScriptName();
    const QString reason = platform::startScript(script, name, folder);
    if (!reason.isEmpty() && self)
        platform::warn(this, QStringLiteral("Build Script"),
                       QStringLiteral("The build script %1 could not be started: %2\n\nThe source file %3 was written.")
                           .arg(script, reason, written));
    if (worker)
        worker->okButton()->setEnabled(true);
}

void SettingsWindow::closeEvent(QCloseEvent* event)
{
    if (current_ == this)
        current_ = nullptr;
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
