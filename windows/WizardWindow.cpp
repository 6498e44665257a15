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
#include <cmath>
#include <stdexcept>

#include "Create.h"
#include "EnemyReader.h"
#include "Platform.h"
#include "Rules.h"
#include "SettingsWindow.h"
#include "TakePicture.h"
#include "ScreenPreview.h"
#include "SpriteView.h"

namespace {

constexpr int kDesignWidth = 424;   // the window's width before it grew the screen preview
constexpr int kStartWidth = 600;
constexpr int kStartHeight = 320;
constexpr int kButtonHeight = 25;
constexpr int kButtonWidth = 75;
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

}  // namespace

WizardWindow::WizardWindow(QWidget* parent) : QWidget(parent)
{
    // The icon lives in a static library, whose resources are not registered on their own.
    Q_INIT_RESOURCE(windows);

    setObjectName(QStringLiteral("Main"));
    setWindowTitle(QStringLiteral("Palvorn - Battle External Enemy Creator"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));

    // Created in tab order, so the focus chain needs no reordering.
    NextBut = makeButton(this, "NextBut", QStringLiteral("Next >"));
    FinishBut = makeButton(this, "FinishBut", QStringLiteral("Finish"));
    instruct = makeLabel(this, "instruct", QStringLiteral("Label1"));
    instruct->setAlignment(Qt::AlignCenter);
    BackBut = makeButton(this, "BackBut", QStringLiteral("< Back"));
    Browse = makeButton(this, "Browse", QStringLiteral("Browse..."));
    Sprite = new SpriteView(this);
    Sprite->setObjectName(QStringLiteral("Sprite"));
    SizeLbl = makeLabel(this, "SizeLbl", QStringLiteral("Size:"));
    SizeLbl->setAlignment(Qt::AlignRight | Qt::AlignTop);
    ClipboardBut = makeButton(this, "ClipboardBut", QString(), kButtonHeight);
    ClipboardBut->setIcon(QIcon(QStringLiteral(":/windows/clipboard.png")));
    ClipboardBut->setIconSize(QSize(16, 16));
    ClipboardBut->setToolTip(QStringLiteral("Take the sprite from the clipboard (Ctrl+V)"));
    NewBut = makeButton(this, "NewBut", QStringLiteral("New"));
    OpenBut = makeButton(this, "OpenBut", QStringLiteral("Open..."));
    OpenBut->setToolTip(QStringLiteral("Open an enemy source file (Ctrl+O)"));
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
    Line1 = makeLine(this, "Line1", QPalette::Dark);
    Line2 = makeLine(this, "Line2", QPalette::Light);

    // Top: the picture box with its note, and at the right the size and the
    // calculator screen. Below: the instruction, the separator, the buttons.
    auto* pictureColumn = new QVBoxLayout;
    pictureColumn->addWidget(Sprite, 1);
    pictureColumn->addWidget(SpriteNote);
    auto* screenColumn = new QVBoxLayout;
    screenColumn->addWidget(SizeLbl);
    screenColumn->addWidget(Screen);
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
    buttons->addStretch(1);
    buttons->addWidget(BackBut);
    buttons->addLayout(nextOrFinish);
    buttons->addStretch(1);
    buttons->addWidget(ClipboardBut);
    buttons->addWidget(Browse);

    auto* window = new QVBoxLayout(this);
    window->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    window->setSpacing(kSpacing);
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

    connect(Sprite, &SpriteView::scaleTextChanged, this, &WizardWindow::showSpriteNote);
    connect(Sprite, &SpriteView::noteChanged, this, &WizardWindow::showSpriteNote);
    connect(Screen, &ScreenPreview::noteChanged, ScreenNote, &QLabel::setText);

    connect(NextBut, &QPushButton::clicked, this, &WizardWindow::NextBut_Click);
    connect(BackBut, &QPushButton::clicked, this, &WizardWindow::BackBut_Click);
    connect(FinishBut, &QPushButton::clicked, this, &WizardWindow::FinishBut_Click);
    connect(NewBut, &QPushButton::clicked, this, &WizardWindow::NewBut_Click);
    connect(OpenBut, &QPushButton::clicked, this, &WizardWindow::OpenBut_Click);
    auto* open = new QShortcut(QKeySequence::Open, this);
    connect(open, &QShortcut::activated, this, &WizardWindow::OpenBut_Click);
    connect(Browse, &QPushButton::clicked, this, &WizardWindow::Browse_Click);
    connect(ClipboardBut, &QPushButton::clicked, this, &WizardWindow::ClipboardBut_Click);
    // Ctrl+V anywhere in the window does what the clipboard button does.
    auto* paste = new QShortcut(QKeySequence::Paste, this);
    connect(paste, &QShortcut::activated, this, &WizardWindow::ClipboardBut_Click);
    setAcceptDrops(true);

    FinishBut->hide();
    NextBut->setFocus();

    CurStep = 1;
    ShowStep(CurStep);
}

WizardWindow::~WizardWindow()
{
    // The settings window edits this window's enemy; it must not outlive it.
    delete settings_.data();
}


SettingsWindow* WizardWindow::settingsWindow() const
{
    // A closed window waits for the event loop to be deleted; it is gone already.
    return settings_ && !settings_->isClosed() ? settings_.data() : nullptr;
}

int WizardWindow::spriteSize(int step) const
{
    return enemy_.sprites.at(static_cast<std::size_t>(step - 1)).packedSize();
}

void WizardWindow::ShowStep(int stepnum)
{
    // Steps move by one, so each step only changes what its neighbour set.
    switch (stepnum) {
    case 1:
        BackBut->hide();
        break;
    case 2:
        BackBut->show();
        break;
    case 4:
        FinishBut->hide();
        NextBut->show();
        break;
    case 5:
        FinishBut->show();
        NextBut->hide();
        break;
    default:
        break;
    }
    // "bitmap" is the tool's own wording from when it read bitmaps only;
    // users and their notes know the line, so it stays.
    instruct->setText(QStringLiteral("Select the bitmap for the ") + poseOfStep(stepnum) + QStringLiteral(" sprite."));
    showSprite();
    showSizeOf(CurStep);
}

void WizardWindow::takeIn(const palvorn::Sprite& sprite, const palvorn::Sprite& marked)
{
    // Straight into the enemy: what the step shows is what Create writes.
    const auto index = static_cast<std::size_t>(CurStep - 1);
    enemy_.sprites.at(index) = sprite;
    marked_.at(index) = marked.width() == sprite.width() && marked.height() == sprite.height() ? marked
                                                                                              : palvorn::Sprite{};
    showSprite();
    InitPic();
}

void WizardWindow::showSprite()
{
    const auto index = static_cast<std::size_t>(CurStep - 1);
    Sprite->setSprite(enemy_.sprites.at(index), marked_.at(index));
    Screen->setScene(enemy_.sprites.at(index), enemy_.sprites[0]);
    showSpriteNote();
}

void WizardWindow::showSpriteNote()
{
    QStringList lines;
    if (!Sprite->scaleText().isEmpty())
        lines << QStringLiteral("As it will be packed, %1.").arg(Sprite->scaleText());
    if (!Sprite->note().isEmpty())
        lines << Sprite->note();
    SpriteNote->setText(lines.join(QLatin1Char(' ')));
}

void WizardWindow::InitPic()
{
    const bool withinLimit = spriteSize(CurStep) <= palvorn::kSizeLimit;
    NextBut->setEnabled(withinLimit);
    BackBut->setEnabled(withinLimit);
    showSizeOf(CurStep);
}

void WizardWindow::NewBut_Click()
{
    startOver(palvorn::Enemy{});
    NextBut->setEnabled(true);
}

void WizardWindow::startOver(palvorn::Enemy enemy)
{
    // The open settings window would put its own settings back as it closes.
    closeOtherWindows();
    BackBut->hide();
    FinishBut->hide();
    NextBut->show();
    CurStep = 1;
    enemy_ = std::move(enemy);
    marked_ = {};
    ShowStep(CurStep);
}

void WizardWindow::OpenBut_Click()
{
    const QString file = platform::openFile(this, {QStringLiteral("Open an enemy"), lastFolder_,
                                                   QStringLiteral("Enemy sources (*.asm)")});
    if (!file.isEmpty())
        openEnemy(file);
}

void WizardWindow::openEnemy(const QString& path)
{
    palvorn::Enemy opened;
    try {
        opened = palvorn::readEnemyFile(std::filesystem::path(path.toStdU16String()));
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
    lastFolder_ = QFileInfo(path).absolutePath();
    startOver(std::move(opened));
    InitPic();
    FinishBut_Click();
}

void WizardWindow::NextBut_Click()
{
    if (CurStep >= kSteps)
        return;
    ++CurStep;
    ShowStep(CurStep);
}

void WizardWindow::BackBut_Click()
{
    if (CurStep <= 1)
        return;
    --CurStep;
    ShowStep(CurStep);
}

void WizardWindow::FinishBut_Click()
{
    // Steps without a sprite hold Finish back without a word, as they always did.
    for (int k = 1; k <= kSteps; ++k) {
        if (spriteSize(k) == 0)
            return;
    }
    if (const auto refusal = palvorn::checkSprites(enemy_)) {
        platform::warn(this, QString::fromStdString(refusal->title), QString::fromStdString(refusal->text));
        return;
    }
    if (!settingsWindow()) {
        settings_ = new SettingsWindow(enemy_);
        connect(settings_, &SettingsWindow::okClicked, this, &WizardWindow::NewBut_Click);
    }
    settings_->show();
    settings_->raise();
    settings_->activateWindow();
}

void WizardWindow::Browse_Click()
{
    // The first entry keeps the filter the tool always offered.
    const QString filter = QStringLiteral("Bitmaps (.bmp) (*.bmp);;Pictures (*.bmp *.png *.gif);;All files (*)");
    const QString title = QStringLiteral("Select the %1 sprite").arg(poseOfStep(CurStep));
    const QString file = platform::openFile(this, {title, lastFolder_, filter});
    if (file.isEmpty())
        return;  // cancelled
    lastFolder_ = QFileInfo(file).absolutePath();
    takeFile(file);
}

void WizardWindow::ClipboardBut_Click()
{
    if (!takeMimeData(QGuiApplication::clipboard()->mimeData()))
        platform::warn(this, windowTitle(), QStringLiteral("The clipboard holds no picture."));
}

bool WizardWindow::takeMimeData(const QMimeData* data)
{
    if (!data)
        return false;
    // A picture's own bytes first, read by the same bounded decoders as a
    // file; a copied picture often carries its file's name as text as well.
    for (const char* format : {"image/png", "image/gif", "image/bmp", "image/x-bmp"}) {
        if (data->hasFormat(QLatin1String(format))) {
            takePicture([&] { return takePictureData(data->data(QLatin1String(format)), QString()); });
            return true;
        }
    }
    if (data->hasImage()) {
        const QImage picture = qvariant_cast<QImage>(data->imageData());
        takePicture([&] { return takeImage(picture); });
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
    takePicture([&] { return takePictureFile(path); });
}

void WizardWindow::takePicture(const std::function<TakenPicture()>& take)
{
    TakenPicture taken;
    try {
        taken = take();
    } catch (const PictureError& e) {
        platform::warn(this, windowTitle(), e.message());
        return;
    }
    takeIn(taken.sprite, taken.marked);
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
    if (takeMimeData(event->mimeData()))
        event->acceptProposedAction();
}

void WizardWindow::closeEvent(QCloseEvent* event)
{
    closeOtherWindows();
    event->accept();
}

void WizardWindow::closeOtherWindows()
{
    // The settings window closes the Sprites window with itself.
    if (settings_)
        settings_->close();
}

void WizardWindow::showSizeOf(int step)
{
    SizeLbl->setText(QStringLiteral("Size: ") + QString::number(spriteSize(step)));
}
