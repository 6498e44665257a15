#include "WizardWindow.h"

#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QShortcut>
#include <QUrl>
#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "BattlePlayer.h"
#include "Create.h"
#include "EnemyReader.h"
#include "Platform.h"
#include "Rules.h"
#include "Remembered.h"
#include "SettingsWindow.h"
#include "TakePicture.h"
#include "ScreenPreview.h"
#include "SheetQuestion.h"
#include "SpriteView.h"

namespace {

constexpr int kDesignWidth = 424;   // the window's width before it grew the screen preview
constexpr int kStartWidth = 600;
constexpr int kStartHeight = 320;
constexpr int kButtonHeight = 25;
constexpr int kButtonWidth = 75;
constexpr int kSmallButtonWidth = 50;
constexpr int kMargin = 8;
constexpr int kSpacing = 6;

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, int width = kButtonWidth)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setFixedSize(width, kButtonHeight);
    return button;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& caption)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}

// One pixel line of a palette colour; two of them make the etched separator.
QFrame* makeLine(QWidget* parent, const char* name, QPalette::ColorRole colour)
{
    auto* line = new QFrame(parent);
    line->setObjectName(QLatin1String(name));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setLineWidth(1);
    line->setFixedHeight(1);
    QPalette palette = line->palette();
    palette.setColor(QPalette::WindowText, palette.color(colour));
    line->setPalette(palette);
    return line;
}

// The pose a wizard step 1..5 takes the sprite of, as its texts name it.
QString poseOfStep(int step)
{
    return QString::fromLatin1(palvorn::poseWord(step - 1).data());
}

const QString kPicturesFilter = QStringLiteral("Pictures (*.bmp *.png *.gif)");
const QString kBitmapsFilter = QStringLiteral("Bitmaps (.bmp) (*.bmp)");
const QString kAllFilter = QStringLiteral("All files (*)");

// Keys of what is remembered between runs.
const QString kPictureFolderKey = QStringLiteral("pictures/folder");
const QString kPictureFilterKey = QStringLiteral("pictures/filter");
const QString kOpenFolderKey = QStringLiteral("open/folder");

const char* const kWarningStyle = "color: #b00000";

}  // namespace

WizardWindow::WizardWindow(QWidget* parent) : QWidget(parent)
{
    // The icon lives in a static library, whose resources are not registered on their own.
    Q_INIT_RESOURCE(windows);

    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("Palvorn - Battle External Enemy Creator"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));

    setUpControls();
    setUpLayout();
    setUpConnections();
    setUpShortcuts();
    setAcceptDrops(true);
    remembered::restoreGeometry(this);

    NextBut->setFocus();
    showStep(1);
}

void WizardWindow::setUpControls()
{
    // Created in tab order, so the focus chain needs no reordering.
    NextBut = makeButton(this, "NextBut", QStringLiteral("Next >"));
    NextBut->setToolTip(QStringLiteral("Next step (Page Down, Alt+N)"));
    FinishBut = makeButton(this, "FinishBut", QStringLiteral("Finish"));
    instruct = makeLabel(this, "instruct", QStringLiteral("Label1"));
    instruct->setAlignment(Qt::AlignCenter);
    BackBut = makeButton(this, "BackBut", QStringLiteral("< Back"));
    BackBut->setToolTip(QStringLiteral("Step before (Page Up, Alt+B)"));
    Browse = makeButton(this, "Browse", QStringLiteral("Browse..."));
    PictureBox = new SpriteView(this);
    PictureBox->setObjectName(QStringLiteral("Sprite"));
    SizeLbl = makeLabel(this, "SizeLbl", QStringLiteral("Size:"));
    SizeLbl->setAlignment(Qt::AlignRight | Qt::AlignTop);
    ClipboardBut = makeButton(this, "ClipboardBut", QString(), kButtonHeight);
    ClipboardBut->setIcon(QIcon(QStringLiteral(":/windows/clipboard.png")));
    ClipboardBut->setIconSize(QSize(16, 16));
    ClipboardBut->setToolTip(QStringLiteral("Take the sprite from the clipboard (Ctrl+V)"));
    NewBut = makeButton(this, "NewBut", QStringLiteral("New"));
    OpenBut = makeButton(this, "OpenBut", QStringLiteral("Open..."));
    OpenBut->setToolTip(QStringLiteral("Open an enemy source file (Ctrl+O)"));
    UndoBut = makeButton(this, "UndoBut", QStringLiteral("Undo"), kSmallButtonWidth);
    RedoBut = makeButton(this, "RedoBut", QStringLiteral("Redo"), kSmallButtonWidth);
    StepLbl = makeLabel(this, "StepLbl", QString());
    QFont bold = StepLbl->font();
    bold.setBold(true);
    StepLbl->setFont(bold);
    SpriteNote = makeLabel(this, "SpriteNote", QString());
    SpriteNote->setWordWrap(true);
    SpriteNote->setMinimumHeight(SpriteNote->fontMetrics().lineSpacing() * 2);
    SpriteNote->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Screen = new ScreenPreview(this);
    ScreenNote = makeLabel(this, "ScreenNote", QString());
    ScreenNote->setWordWrap(true);
    ScreenNote->setFixedWidth(Screen->width());
    // Room for the longest note kept whether or not one is shown, so that the
    // layout never has to find it while the window is at its smallest.
    ScreenNote->setMinimumHeight(ScreenNote->fontMetrics().lineSpacing() * 3);
    ScreenNote->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Battle = new BattlePlayer(Screen, this);
    Battle->setFixedWidth(Screen->width());
    Line1 = makeLine(this, "Line1", QPalette::Dark);
    Line2 = makeLine(this, "Line2", QPalette::Light);
}

void WizardWindow::setUpLayout()
{
    // Top: the step, then the picture box with its note, and at the right the
    // size and the calculator screen. Below: the instruction, the separator,
    // the buttons.
    auto* pictureColumn = new QVBoxLayout;
    pictureColumn->addWidget(PictureBox, 1);
    pictureColumn->addWidget(SpriteNote);
    auto* screenColumn = new QVBoxLayout;
    screenColumn->addWidget(SizeLbl);
    screenColumn->addWidget(Screen);
    screenColumn->addWidget(Battle);
    screenColumn->addWidget(ScreenNote);
    screenColumn->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addLayout(pictureColumn, 1);
    top->addLayout(screenColumn);

    auto* separator = new QVBoxLayout;
    separator->setSpacing(0);
    separator->addWidget(Line1);
    separator->addWidget(Line2);

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
    buttons->addWidget(NewBut);
    buttons->addWidget(OpenBut);
    buttons->addWidget(UndoBut);
    buttons->addWidget(RedoBut);
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
    window->addLayout(top, 1);
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

void WizardWindow::setUpConnections()
{
    connect(PictureBox, &SpriteView::scaleTextChanged, this, &WizardWindow::showSpriteNote);
    connect(PictureBox, &SpriteView::noteChanged, this, &WizardWindow::showSpriteNote);
    connect(Screen, &ScreenPreview::noteChanged, ScreenNote, &QLabel::setText);

    connect(NextBut, &QPushButton::clicked, this, &WizardWindow::NextBut_Click);
    connect(BackBut, &QPushButton::clicked, this, &WizardWindow::BackBut_Click);
    connect(FinishBut, &QPushButton::clicked, this, &WizardWindow::FinishBut_Click);
    connect(NewBut, &QPushButton::clicked, this, &WizardWindow::NewBut_Click);
    connect(OpenBut, &QPushButton::clicked, this, &WizardWindow::OpenBut_Click);
    connect(UndoBut, &QPushButton::clicked, this, &WizardWindow::UndoBut_Click);
    connect(RedoBut, &QPushButton::clicked, this, &WizardWindow::RedoBut_Click);
    connect(Browse, &QPushButton::clicked, this, &WizardWindow::Browse_Click);
    connect(ClipboardBut, &QPushButton::clicked, this, &WizardWindow::ClipboardBut_Click);
}

void WizardWindow::setUpShortcuts()
{
    const auto shortcut = [this](const QKeySequence& keys, void (WizardWindow::*slot)()) {
        auto* key = new QShortcut(keys, this);
        connect(key, &QShortcut::activated, this, slot);
    };
    shortcut(QKeySequence::Open, &WizardWindow::OpenBut_Click);
    // Ctrl+V anywhere in the window does what the clipboard button does.
    shortcut(QKeySequence::Paste, &WizardWindow::ClipboardBut_Click);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Z), &WizardWindow::UndoBut_Click);
    shortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), &WizardWindow::RedoBut_Click);
    shortcut(QKeySequence(Qt::CTRL | Qt::Key_Y), &WizardWindow::RedoBut_Click);
    // The step keys work as the buttons do, held by the same rule; the
    // captions stay as they always read.
    shortcut(QKeySequence(Qt::Key_PageDown), &WizardWindow::NextBut_Click);
    shortcut(QKeySequence(Qt::ALT | Qt::Key_N), &WizardWindow::NextBut_Click);
    shortcut(QKeySequence(Qt::Key_PageUp), &WizardWindow::BackBut_Click);
    shortcut(QKeySequence(Qt::ALT | Qt::Key_B), &WizardWindow::BackBut_Click);
}

WizardWindow::~WizardWindow()
{
    delete settings_.data();
}

SettingsWindow* WizardWindow::settingsWindow() const
{
    // A closed window waits for the event loop to be deleted; it is gone already.
    return settings_ && !settings_->isClosed() ? settings_.data() : nullptr;
}

int WizardWindow::spriteSize(int step) const
{
    return document_.enemy.sprites.at(static_cast<std::size_t>(step - 1)).packedSize();
}

void WizardWindow::showStep(int step)
{
    curStep_ = std::clamp(step, 1, kSteps);
    StepLbl->setText(QStringLiteral("Step %1 of %2: %3").arg(curStep_).arg(kSteps).arg(poseOfStep(curStep_)));
    // "bitmap" is the tool's own wording from when it read bitmaps only;
    // users and their notes know the line, so it stays.
    instruct->setText(QStringLiteral("Select the bitmap for the ") + poseOfStep(curStep_) + QStringLiteral(" sprite."));
    SizeLbl->setText(QStringLiteral("Size: ") + QString::number(spriteSize(curStep_)));
    showSprite();
    updateButtons();
}

void WizardWindow::updateButtons()
{
    const int size = spriteSize(curStep_);
    const bool held = size > palvorn::kSizeLimit;
    const QString why = held ? QStringLiteral("Held: the %1 sprite packs into %2 bytes; the limit is %3. Take a "
                                              "smaller picture to go on.")
                                   .arg(poseOfStep(curStep_))
                                   .arg(size)
                                   .arg(palvorn::kSizeLimit)
                             : QString();
    BackBut->setVisible(curStep_ > 1);
    NextBut->setVisible(curStep_ < kSteps);
    FinishBut->setVisible(curStep_ == kSteps);
    for (QPushButton* button : {BackBut, NextBut, FinishBut}) {
        button->setEnabled(!held);
        button->setToolTip(held ? why
                                : button == NextBut   ? QStringLiteral("Next step (Page Down, Alt+N)")
                                  : button == BackBut ? QStringLiteral("Step before (Page Up, Alt+B)")
                                                      : QString());
    }

    const palvorn::Change* undo = history_.nextUndo();
    const palvorn::Change* redo = history_.nextRedo();
    UndoBut->setEnabled(undo);
    RedoBut->setEnabled(redo);
    UndoBut->setToolTip(undo ? QStringLiteral("Undo: %1").arg(QString::fromStdString(undo->name()))
                             : QStringLiteral("Nothing to undo"));
    RedoBut->setToolTip(redo ? QStringLiteral("Redo: %1").arg(QString::fromStdString(redo->name()))
                             : QStringLiteral("Nothing to redo"));
}

void WizardWindow::takeIn(const palvorn::Sprite& sprite, const palvorn::Sprite& marked, const QString& what)
{
    const int pose = curStep_ - 1;
    const bool marksFit = marked.width() == sprite.width() && marked.height() == sprite.height();
    const QString name = QStringLiteral("%1 into %2").arg(what, poseOfStep(curStep_));
    apply(std::make_unique<palvorn::SpriteChange>(name.toStdString(), document_, pose, sprite,
                                                  marksFit ? marked : palvorn::Sprite{}));
}

void WizardWindow::apply(std::unique_ptr<palvorn::Change> change)
{
    const palvorn::Change& done = *change;
    history_.apply(std::move(change), document_);
    changed(done);
}

void WizardWindow::changed(const palvorn::Change& change)
{
    if (SettingsWindow* settings = settingsWindow()) {
        // A window showing another enemy closes; otherwise it writes the
        // sprites as they are now.
        if (dynamic_cast<const palvorn::DocumentChange*>(&change))
            settings->close();
        else
            settings->setSprites(document_.enemy.sprites);
    }
    showStep(change.pose() + 1);
}

void WizardWindow::replaceDocument(const std::string& name, palvorn::EnemyDocument document)
{
    // The open settings window shows the enemy being replaced.
    closeOtherWindows();
    apply(std::make_unique<palvorn::DocumentChange>(name, document_, std::move(document)));
}

void WizardWindow::UndoBut_Click()
{
    if (const palvorn::Change* change = history_.undo(document_))
        changed(*change);
}

void WizardWindow::RedoBut_Click()
{
    if (const palvorn::Change* change = history_.redo(document_))
        changed(*change);
}

void WizardWindow::showSprite()
{
    const auto index = static_cast<std::size_t>(curStep_ - 1);
    PictureBox->setSprite(document_.enemy.sprites.at(index), document_.marked.at(index));
    Screen->setScene(document_.enemy.sprites.at(index), document_.enemy.sprites[0]);
    Battle->setEnemy(document_.enemy);
    showSpriteNote();
}

void WizardWindow::showSpriteNote()
{
    const int size = spriteSize(curStep_);
    if (size > palvorn::kSizeLimit) {
        SpriteNote->setText(QStringLiteral("Too large: this sprite packs into %1 bytes, over the limit of %2. "
                                           "Take a smaller picture to go on.")
                                .arg(size)
                                .arg(palvorn::kSizeLimit));
        SpriteNote->setStyleSheet(QLatin1String(kWarningStyle));
        return;
    }
    QStringList lines;
    if (!PictureBox->scaleText().isEmpty())
        lines << QStringLiteral("As it will be packed, %1.").arg(PictureBox->scaleText());
    if (!PictureBox->note().isEmpty())
        lines << PictureBox->note();
    SpriteNote->setText(lines.join(QLatin1Char(' ')));
    SpriteNote->setStyleSheet(QString());
}

void WizardWindow::NewBut_Click()
{
    if (document_ == palvorn::EnemyDocument{}) {
        closeOtherWindows();
        showStep(1);
        return;  // nothing to start over from
    }
    replaceDocument("New", palvorn::EnemyDocument{});
}

void WizardWindow::OpenBut_Click()
{
    platform::OpenFileRequest request{QStringLiteral("Open an enemy"), remembered::value(kOpenFolderKey).toString(),
                                      QStringLiteral("Enemy sources (*.asm)"), QString()};
    const QString file = platform::openFile(this, request);
    if (!file.isEmpty())
        openEnemy(file);
}

void WizardWindow::openEnemy(const QString& path)
{
    palvorn::EnemyDocument opened;
    try {
        opened.enemy = palvorn::readEnemyFile(std::filesystem::path(path.toStdU16String()));
    } catch (const palvorn::ReadError& e) {
        platform::warn(this, windowTitle(),
                       QStringLiteral("The file \"%1\" is not an enemy source file as this tool writes it.\n\n%2")
                           .arg(QDir::toNativeSeparators(path), QString::fromStdString(e.what())));
        return;
    } catch (const palvorn::EnemyFileError& e) {
        platform::warn(this, windowTitle(),
                       QStringLiteral("The file \"%1\" could not be read: %2")
                           .arg(QDir::toNativeSeparators(path), QString::fromStdString(e.reason())));
        return;
    }
    const QFileInfo info(path);
    remembered::setValue(kOpenFolderKey, info.absolutePath());
    opened.file = std::filesystem::path(info.absoluteFilePath().toStdU16String());
    opened.saved = opened.enemy;
    replaceDocument("Open " + info.fileName().toStdString(), std::move(opened));
    FinishBut_Click();
}

void WizardWindow::NextBut_Click()
{
    if (curStep_ < kSteps && NextBut->isEnabled())
        showStep(curStep_ + 1);
}

void WizardWindow::BackBut_Click()
{
    if (curStep_ > 1 && BackBut->isEnabled())
        showStep(curStep_ - 1);
}

void WizardWindow::FinishBut_Click()
{
    // The first step that cannot be written is named and shown.
    for (int step = 1; step <= kSteps; ++step) {
        if (spriteSize(step) == 0) {
            showStep(step);
            platform::warn(this, QStringLiteral("Sprites"),
                           QStringLiteral("The %1 sprite is missing.").arg(poseOfStep(step)));
            return;
        }
        if (spriteSize(step) > palvorn::kSizeLimit) {
            showStep(step);
            break;  // checkSprites words it
        }
    }
    if (const auto refusal = palvorn::checkSprites(document_.enemy)) {
        platform::warn(this, QString::fromStdString(refusal->title), QString::fromStdString(refusal->text));
        return;
    }
    if (!settingsWindow()) {
        settings_ = new SettingsWindow(document_.enemy, document_.file);
        connect(settings_, &SettingsWindow::okClicked, this, &WizardWindow::NewBut_Click);
        connect(settings_, &SettingsWindow::created, this, &WizardWindow::keepCreated);
    }
    settings_->show();
    settings_->raise();
    settings_->activateWindow();
}

void WizardWindow::keepCreated(const palvorn::Enemy& written, const QString& file)
{
    // The settings as written are the enemy's now, and the file its own.
    document_.enemy.settings = written.settings;
    document_.file = std::filesystem::path(file.toStdU16String());
    document_.saved = written;
}

void WizardWindow::Browse_Click()
{
    const QString filters = QStringList{kPicturesFilter, kBitmapsFilter, kAllFilter}.join(QStringLiteral(";;"));
    QString filter = remembered::value(kPictureFilterKey, kPicturesFilter).toString();
    if (!filters.split(QStringLiteral(";;")).contains(filter))
        filter = kPicturesFilter;
    platform::OpenFileRequest request{QStringLiteral("Select the %1 sprite").arg(poseOfStep(curStep_)),
                                      remembered::value(kPictureFolderKey).toString(), filters, filter};
    const QString file = platform::openFile(this, request);
    if (file.isEmpty())
        return;  // cancelled
    remembered::setValue(kPictureFolderKey, QFileInfo(file).absolutePath());
    if (!request.selectedFilter.isEmpty())
        remembered::setValue(kPictureFilterKey, request.selectedFilter);
    takeFile(file);
}

void WizardWindow::ClipboardBut_Click()
{
    if (!takeMimeData(QGuiApplication::clipboard()->mimeData(), QStringLiteral("clipboard picture")))
        platform::warn(this, windowTitle(), QStringLiteral("The clipboard holds no picture."));
}

bool WizardWindow::takeMimeData(const QMimeData* data, const QString& what)
{
    if (!data)
        return false;
    // A picture's own bytes first, read by the same bounded decoders as a
    // file; a copied picture often carries its file's name as text as well.
    for (const char* format : {"image/png", "image/gif", "image/bmp", "image/x-bmp"}) {
        if (data->hasFormat(QLatin1String(format))) {
            takePicture([&] { return takePictureData(data->data(QLatin1String(format)), QString()); }, what,
                        [&] { return gifFramePoses(data->data(QLatin1String(format))); });
            return true;
        }
    }
    if (data->hasImage()) {
        const QImage picture = qvariant_cast<QImage>(data->imageData());
        takePicture([&] { return takeImage(picture); }, what);
        return true;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            takeFile(url.toLocalFile());
            return true;
        }
    }
    // A path copied as text in a file manager or a terminal.
    if (data->hasText()) {
        const QString text = data->text().trimmed();
        const QUrl url(text);
        const QString path = url.isLocalFile() ? url.toLocalFile() : text;
        if (!path.isEmpty() && !path.contains(QLatin1Char('\n')) && QFileInfo(path).isFile()) {
            takeFile(path);
            return true;
        }
    }
    return false;
}

void WizardWindow::takeFile(const QString& path)
{
    takePicture([&] { return takePictureFile(path); }, QFileInfo(path).fileName(),
                [&] { return gifFramePosesFile(path); });
}

void WizardWindow::takePicture(const std::function<TakenPicture()>& take, const QString& what,
                               const std::function<std::optional<PosePictures>()>& frames)
{
    TakenPicture taken;
    try {
        taken = take();
    } catch (const PictureError& e) {
        platform::warn(this, windowTitle(), e.message());
        return;
    }
    if (auto poses = askSheet(this, windowTitle(), taken, frames)) {
        apply(std::make_unique<palvorn::PosesChange>(QStringLiteral("%1 into the five poses").arg(what).toStdString(),
                                                     document_, std::move(*poses), curStep_ - 1));
        return;
    }
    takeIn(taken.sprite, taken.marked, what);
}

void WizardWindow::dragEnterEvent(QDragEnterEvent* event)
{
    const QMimeData* data = event->mimeData();
    bool welcome = data->hasImage();
    for (const QUrl& url : data->urls())
        welcome = welcome || url.isLocalFile();
    if (welcome)
        event->acceptProposedAction();
}

void WizardWindow::dropEvent(QDropEvent* event)
{
    if (takeMimeData(event->mimeData(), QStringLiteral("dropped picture")))
        event->acceptProposedAction();
}

void WizardWindow::closeEvent(QCloseEvent* event)
{
    // Undo cannot bring back what closing loses: work never written, now or
    // in a change the history still holds.
    if ((document_.unsaved() || history_.holdsUnsaved()) &&
        !platform::ask(this, {windowTitle(), QStringLiteral("Close without creating?"), QStringLiteral("Close"),
                              QStringLiteral("Cancel")})) {
        event->ignore();
        return;
    }
    remembered::saveGeometry(this);
    closeOtherWindows();
    event->accept();
}

void WizardWindow::closeOtherWindows()
{
    // The settings window closes the Sprites window with itself.
    if (settings_)
        settings_->close();
}
