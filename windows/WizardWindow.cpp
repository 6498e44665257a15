#include "WizardWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "Create.h"
#include "PictureIntake.h"
#include "Platform.h"
#include "PoseEditor.h"
#include "Remembered.h"
#include "SettingsWindow.h"
#include "StepStrip.h"
#include "Widgets.h"

using widgets::poseName;

namespace {

constexpr int kDesignWidth = 424;  // the window's width before it grew the screen preview
constexpr int kStartWidth = 640;
constexpr int kStartHeight = 400;
constexpr int kMargin = 8;
constexpr int kSpacing = 6;

const QString kOpenFolderKey = QStringLiteral("open/folder");

}  // namespace

WizardWindow::WizardWindow(QWidget* parent) : QWidget(parent)
{
    // The icon lives in a static library, whose resources are not registered on their own.
    Q_INIT_RESOURCE(windows);

    setObjectName(QStringLiteral("Main"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));
    intake_ = new PictureIntake(model_, this, [this] { return pose_; });

    setUpControls();
    setUpLayout();
    setUpActions();
    // Drops are taken in where every other picture is.
    setAcceptDrops(true);
    installEventFilter(intake_);
    remembered::restoreGeometry(this);

    // A live edit is the editor's to show; a done or undone change shows its step.
    connect(&model_, &EnemyModel::poseChanged, this, [this](int pose) {
        if (!model_.isLive())
            showStep(pose);
    });
    connect(&model_, &EnemyModel::documentReplaced, this, &WizardWindow::showDocument);
    // The sprite note said "Reading NAME…"; nothing changed, so the editor says it again.
    connect(intake_, &PictureIntake::endedUnchanged, this, [this] { Editor->showPose(pose_); });
    connect(&model_, &EnemyModel::settingsChanged, this, &WizardWindow::showTitle);
    connect(&model_, &EnemyModel::cleanChanged, this, &WizardWindow::showTitle);
    showTitle();
    NextBut->setFocus();
    showStep(0);
}

void WizardWindow::setUpControls()
{
    using widgets::button;
    // Created in tab order, so the focus chain needs no reordering.
    NextBut = button(this, "NextBut", QStringLiteral("Next >"));
    FinishBut = button(this, "FinishBut", QStringLiteral("Finish"));
    instruct = widgets::label(this, "instruct", QStringLiteral("Label1"));
    instruct->setAlignment(Qt::AlignCenter);
    BackBut = button(this, "BackBut", QStringLiteral("< Back"));
    Browse = button(this, "Browse", QStringLiteral("Browse..."));
    Editor = new PoseEditor(model_, this);
    ClipboardBut = button(this, "ClipboardBut", QString(), widgets::kButtonHeight);
    ClipboardBut->setIcon(QIcon(QStringLiteral(":/windows/clipboard.png")));
    ClipboardBut->setIconSize(QSize(16, 16));
    NewBut = button(this, "NewBut", QStringLiteral("New"));
    OpenBut = button(this, "OpenBut", QStringLiteral("Open..."));
    UndoBut = button(this, "UndoBut", QStringLiteral("Undo"), widgets::kSmallButtonWidth);
    RedoBut = button(this, "RedoBut", QStringLiteral("Redo"), widgets::kSmallButtonWidth);
    StepLbl = widgets::label(this, "StepLbl", QString());
    QFont bold = StepLbl->font();
    bold.setBold(true);
    StepLbl->setFont(bold);
    Strip = new StepStrip(this);
}

void WizardWindow::setUpLayout()
{
    // Top: the step, then the pose editor. Below: the instruction, the
    // separator, the buttons.
    auto* separator = new QVBoxLayout;
    separator->setSpacing(0);
    separator->addWidget(widgets::line(this, "Line1", QPalette::Dark));
    separator->addWidget(widgets::line(this, "Line2", QPalette::Light));

    // "Finish" stands in the place of "Next >".
    auto* nextOrFinish = new QGridLayout;
    nextOrFinish->setContentsMargins(0, 0, 0, 0);
    nextOrFinish->addWidget(NextBut, 0, 0);
    nextOrFinish->addWidget(FinishBut, 0, 0);
    // A hidden "< Back" keeps its room, so that no button moves between steps.
    QSizePolicy keepRoom = BackBut->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    BackBut->setSizePolicy(keepRoom);
    auto* buttons = new QHBoxLayout;
    for (QWidget* button : {NewBut, OpenBut, UndoBut, RedoBut})
        buttons->addWidget(button);
    buttons->addStretch(1);
    buttons->addWidget(BackBut);
    buttons->addLayout(nextOrFinish);
    buttons->addStretch(1);
    buttons->addWidget(ClipboardBut);
    buttons->addWidget(Browse);

    auto* window = new QVBoxLayout(this);
    window->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    window->setSpacing(kSpacing);
    window->addWidget(StepLbl);
    window->addWidget(Strip);
    window->addLayout(Editor->layout(), 1);
    window->addWidget(instruct);
    window->addLayout(separator);
    window->addLayout(buttons);

    // Never narrower than the window always was, and never so small that a
    // note, as it changes, would have no room; the room it starts with goes
    // to the picture box.
    window->addStrut(kDesignWidth);
    window->setSizeConstraint(QLayout::SetMinimumSize);
    resize(sizeHint().expandedTo(QSize(kStartWidth, kStartHeight)));
}

void WizardWindow::setUpActions()
{
    // Every command with a key is an action of the window; a button shows
    // it, and its tooltip names the keys the action has.
    const auto command = [this](const QList<QKeySequence>& keys, auto slot, auto* target) {
        auto* action = new QAction(this);
        action->setShortcuts(keys);
        addAction(action);
        connect(action, &QAction::triggered, target, slot);
        return action;
    };
    QAction* open = command(QKeySequence::keyBindings(QKeySequence::Open), &WizardWindow::open, this);
    QAction* paste = command(QKeySequence::keyBindings(QKeySequence::Paste), &PictureIntake::takeClipboard, intake_);
    // The step keys work as the buttons do, held by the same rule.
    nextAction_ = command({QKeySequence(QKeySequence::MoveToNextPage), QKeySequence(Qt::ALT | Qt::Key_N)},
                          [this] { showStep(pose_ + 1); }, this);
    backAction_ = command({QKeySequence(QKeySequence::MoveToPreviousPage), QKeySequence(Qt::ALT | Qt::Key_B)},
                          [this] { showStep(pose_ - 1); }, this);
    addAction(model_.undoAction());
    addAction(model_.redoAction());
    widgets::showAction(UndoBut, model_.undoAction());
    widgets::showAction(RedoBut, model_.redoAction());

    OpenBut->setToolTip(QStringLiteral("Open an enemy source file (%1)").arg(widgets::keyNames(open)));
    ClipboardBut->setToolTip(
        QStringLiteral("Take the sprite from the clipboard (%1)").arg(widgets::keyNames(paste).section(u',', 0, 0)));
    connect(OpenBut, &QPushButton::clicked, open, &QAction::trigger);
    connect(ClipboardBut, &QPushButton::clicked, paste, &QAction::trigger);
    connect(NextBut, &QPushButton::clicked, nextAction_, &QAction::trigger);
    connect(BackBut, &QPushButton::clicked, backAction_, &QAction::trigger);
    connect(FinishBut, &QPushButton::clicked, this, &WizardWindow::finish);
    connect(Strip, &StepStrip::poseClicked, this, &WizardWindow::showStep);
    connect(NewBut, &QPushButton::clicked, this, &WizardWindow::startNew);
    connect(Browse, &QPushButton::clicked, intake_, &PictureIntake::browse);
}

void WizardWindow::showTitle()
{
    const QString name = model_.name();
    setWindowTitle(name.isEmpty() ? widgets::caption() : name + QStringLiteral("[*] - ") + widgets::caption());
    setWindowModified(model_.document().unsaved());
}

void WizardWindow::showStep(int pose)
{
    model_.commitLive();
    pose_ = std::clamp(pose, 0, kSteps - 1);
    StepLbl->setText(QStringLiteral("Step %1 of %2: %3").arg(pose_ + 1).arg(kSteps).arg(poseName(pose_)));
    // "bitmap" is the tool's own wording from when it read bitmaps only;
    // users and their notes know the line, so it stays.
    instruct->setText(QStringLiteral("Select the bitmap for the ") + poseName(pose_) + QStringLiteral(" sprite."));
    Editor->showPose(pose_);
    Strip->showPoses(model_.enemy().sprites, pose_);
    updateButtons();
}

void WizardWindow::showDocument()
{
    // A settings window showing the enemy replaced closes.
    settings_.close();  // and the Sprites window with it
    showTitle();
    showStep(0);
}

void WizardWindow::updateButtons()
{
    const int size = model_.spriteSize(pose_);
    const bool held = size > palvorn::kSizeLimit;
    const QString why = held ? QStringLiteral("Held: the %1 sprite packs into %2 bytes; the limit is %3. Take a smaller "
                                              "picture to go on.").arg(poseName(pose_)).arg(size).arg(palvorn::kSizeLimit)
                             : QString();
    BackBut->setVisible(pose_ > 0);
    NextBut->setVisible(pose_ < kSteps - 1);
    FinishBut->setVisible(pose_ == kSteps - 1);
    nextAction_->setEnabled(!held && pose_ < kSteps - 1);
    backAction_->setEnabled(!held && pose_ > 0);
    for (QPushButton* button : {BackBut, NextBut, FinishBut})
        button->setEnabled(!held);
    FinishBut->setToolTip(why);
    NextBut->setToolTip(held ? why : QStringLiteral("Next step (%1)").arg(widgets::keyNames(nextAction_)));
    BackBut->setToolTip(held ? why : QStringLiteral("Step before (%1)").arg(widgets::keyNames(backAction_)));
}

void WizardWindow::takeIn(const palvorn::Sprite& sprite, const palvorn::Sprite& marked, const QString& what)
{
    intake_->takeIn(TakenPicture{sprite, marked, nullptr}, what);
}

void WizardWindow::takeIn(const TakenPicture& taken, const QString& what)
{
    intake_->takeIn(taken, what);
}

void WizardWindow::startNew()
{
    if (model_.document() == palvorn::EnemyDocument{}) {
        settings_.close();
        showStep(0);
        return;  // nothing to start over from
    }
    model_.replaceDocument("New", palvorn::EnemyDocument{});
}

void WizardWindow::open()
{
    platform::OpenFileRequest request{QStringLiteral("Open an enemy"), remembered::value(kOpenFolderKey).toString(),
                                      QStringLiteral("Enemy sources (*.asm)"), QString()};
    const QString file = platform::openFile(this, request);
    if (!file.isEmpty())
        openEnemy(file);
}

void WizardWindow::openEnemy(const QString& path)
{
    QString refusal;
    std::optional<palvorn::Enemy> enemy = widgets::readEnemy(path, refusal);
    if (!enemy) {
        platform::warn(this, widgets::caption(), refusal);
        return;
    }
    const QFileInfo info(path);
    remembered::setValue(kOpenFolderKey, info.absolutePath());
    model_.open(std::move(*enemy), std::filesystem::path(info.absoluteFilePath().toStdU16String()));
    finish();
}

void WizardWindow::finish()
{
    // Every missing step is named and the first shown; else the first too
    // large is shown, and checkSprites words it.
    const std::string missing = palvorn::missingSpritesText(model_.enemy().sprites);
    for (int pose = 0; pose < kSteps; ++pose) {
        if (missing.empty() ? model_.spriteSize(pose) > palvorn::kSizeLimit : model_.spriteSize(pose) == 0) {
            showStep(pose);
            break;
        }
    }
    if (!missing.empty()) {
        platform::warn(this, QStringLiteral("Sprites"), QString::fromStdString(missing));
        return;
    }
    if (const auto refusal = palvorn::checkSprites(model_.enemy())) {
        platform::warn(this, QString::fromStdString(refusal->title), QString::fromStdString(refusal->text));
        return;
    }
    if (!settings_) {
        settings_ = new SettingsWindow(model_);
        connect(settings_.get(), &SettingsWindow::okClicked, this, &WizardWindow::startNew);
        // Closed, it deletes itself.
        connect(settings_.get(), &SettingsWindow::closed, this, [this] { settings_ = nullptr; });
    }
    settings_->show();
    settings_->raise();
    settings_->activateWindow();
}

void WizardWindow::closeEvent(QCloseEvent* event)
{
    // Undo cannot bring back what closing loses: work never written, now or
    // in a change the history still holds.
    if (model_.losesWork() && !platform::ask(this, {widgets::caption(), QStringLiteral("Close without creating?"),
                                                    QStringLiteral("Close"), QStringLiteral("Cancel")})) {
        event->ignore();
        return;
    }
    remembered::saveGeometry(this);
    settings_.close();
    event->accept();
}
