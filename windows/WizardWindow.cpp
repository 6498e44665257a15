#include "WizardWindow.h"

#include <QClipboard>
#include <QComboBox>
#include <QSaveFile>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QStandardItemModel>
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
#include "SavePicture.h"
#include "SpriteOps.h"
#include "Remembered.h"
#include "SettingsWindow.h"
#include "TakePicture.h"
#include "ScreenPreview.h"
#include "SheetQuestion.h"
#include "SpriteView.h"

namespace {

constexpr int kDesignWidth = 424;   // the window's width before it grew the screen preview
constexpr int kStartWidth = 640;
constexpr int kStartHeight = 400;
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

const QString kNoPictureTip = QStringLiteral(
    "No picture to convert: this sprite was opened, drawn here, or taken from a picture too large to keep.");
const QString kNoSpriteTip = QStringLiteral("No picture to convert: take a picture into this step first.");

// Writes one pose's state into the document, as an undo step would.
void putPose(palvorn::EnemyDocument& document, int pose, const palvorn::PoseState& state)
{
    const auto i = static_cast<std::size_t>(pose);
    document.enemy.sprites.at(i) = state.sprite;
    document.marked.at(i) = state.marked;
    document.sources.at(i) = state.source;
}

bool samePose(const palvorn::PoseState& a, const palvorn::PoseState& b)
{
    return a.sprite == b.sprite && a.marked == b.marked && a.source == b.source;
}

// The marks moved with their sprite by op, or none when there were none.
template <class Op>
palvorn::PoseState transformed(palvorn::PoseState state, Op op)
{
    state.sprite = op(state.sprite);
    if (!state.marked.isEmpty())
        state.marked = op(state.marked);
    return state;
}

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
    setUpEditControls();
    Battle = new BattlePlayer(Screen, this);
    Battle->setFixedWidth(Screen->width());
    Line1 = makeLine(this, "Line1", QPalette::Dark);
    Line2 = makeLine(this, "Line2", QPalette::Light);
}

void WizardWindow::setUpEditControls()
{
    ConvertMode = new QComboBox(this);
    ConvertMode->setObjectName(QStringLiteral("ConvertMode"));
    for (int mode = 0; mode < palvorn::kConvertModes; ++mode)
        ConvertMode->addItem(QString::fromLatin1(palvorn::convertModeName(palvorn::ConvertMode(mode)).data()));
    ThresholdLbl = makeLabel(this, "ThresholdLbl", QString());
    ThresholdSlider = new QSlider(Qt::Horizontal, this);
    ThresholdSlider->setObjectName(QStringLiteral("ThresholdSlider"));
    ThresholdSlider->setRange(palvorn::kMinThreshold, palvorn::kMaxThreshold);
    ThresholdSlider->setValue(palvorn::kDefaultThreshold);
    ThresholdSlider->setPageStep(10);

    // Up to the largest side a sprite has; the area is bounded as a picture's.
    // A step without a sprite shows no size; setting one makes a blank sprite.
    const auto makeSide = [this](const char* name, const QString& tip) {
        auto* side = new QSpinBox(this);
        side->setObjectName(QLatin1String(name));
        side->setRange(0, palvorn::Sprite::kMaxSide);
        side->setSpecialValueText(QStringLiteral("-"));
        // One change per value typed and confirmed, not one per digit.
        side->setKeyboardTracking(false);
        side->setToolTip(tip);
        return side;
    };
    SpriteWidth = makeSide("SpriteWidth", QStringLiteral("Width in pixels: grows with clear pixels at the right, or crops there"));
    TimesLbl = makeLabel(this, "TimesLbl", QStringLiteral("x"));
    SpriteHeight = makeSide("SpriteHeight", QStringLiteral("Height in pixels: grows with clear pixels at the bottom, or crops there"));
    TrimBut = makeButton(this, "TrimBut", QStringLiteral("Trim"), kSmallButtonWidth);
    FlipHBut = makeButton(this, "FlipHBut", QStringLiteral("Flip H"), kSmallButtonWidth);
    FlipHBut->setToolTip(QStringLiteral("Flip left to right"));
    FlipVBut = makeButton(this, "FlipVBut", QStringLiteral("Flip V"), kSmallButtonWidth);
    FlipVBut->setToolTip(QStringLiteral("Flip top to bottom"));
    InvertBut = makeButton(this, "InvertBut", QStringLiteral("Invert"), kSmallButtonWidth);
    InvertBut->setToolTip(QStringLiteral("Swap set and clear pixels"));
    CopyFrom = new QComboBox(this);
    CopyFrom->setObjectName(QStringLiteral("CopyFrom"));
    CopyFrom->setToolTip(QStringLiteral("Copy another step's sprite into this one"));
    SavePoseBut = makeButton(this, "SavePoseBut", QStringLiteral("Save Picture..."), 2 * kButtonWidth);
}

void WizardWindow::setUpLayout()
{
    // Top: the step, then the picture box with its note, and at the right the
    // size and the calculator screen. Below: the instruction, the separator,
    // the buttons.
    // Under the picture box its size and shape tools; under the screen how
    // the picture is converted, then copying and saving the sprite.
    auto* tools = new QHBoxLayout;
    tools->addWidget(SpriteWidth);
    tools->addWidget(TimesLbl);
    tools->addWidget(SpriteHeight);
    tools->addSpacing(kSpacing);
    tools->addWidget(TrimBut);
    tools->addWidget(FlipHBut);
    tools->addWidget(FlipVBut);
    tools->addWidget(InvertBut);
    tools->addStretch(1);
    auto* pictureColumn = new QVBoxLayout;
    pictureColumn->addWidget(PictureBox, 1);
    pictureColumn->addLayout(tools);
    pictureColumn->addWidget(SpriteNote);
    auto* screenColumn = new QVBoxLayout;
    screenColumn->addWidget(SizeLbl);
    screenColumn->addWidget(Screen);
    screenColumn->addWidget(Battle);
    screenColumn->addWidget(ScreenNote);
    screenColumn->addWidget(ConvertMode);
    screenColumn->addWidget(ThresholdLbl);
    screenColumn->addWidget(ThresholdSlider);
    screenColumn->addStretch(1);
    screenColumn->addWidget(CopyFrom);
    screenColumn->addWidget(SavePoseBut, 0, Qt::AlignRight);
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

    connect(ConvertMode, &QComboBox::currentIndexChanged, this, &WizardWindow::ConvertMode_Change);
    connect(ThresholdSlider, &QSlider::valueChanged, this, &WizardWindow::ThresholdSlider_Change);
    connect(ThresholdSlider, &QSlider::sliderReleased, this, &WizardWindow::ThresholdSlider_Release);
    connect(SpriteWidth, &QSpinBox::valueChanged, this, &WizardWindow::SpriteSize_Change);
    connect(SpriteHeight, &QSpinBox::valueChanged, this, &WizardWindow::SpriteSize_Change);
    connect(TrimBut, &QPushButton::clicked, this, &WizardWindow::TrimBut_Click);
    connect(FlipHBut, &QPushButton::clicked, this, &WizardWindow::FlipHBut_Click);
    connect(FlipVBut, &QPushButton::clicked, this, &WizardWindow::FlipVBut_Click);
    connect(InvertBut, &QPushButton::clicked, this, &WizardWindow::InvertBut_Click);
    connect(CopyFrom, &QComboBox::currentIndexChanged, this, &WizardWindow::CopyFrom_Change);
    connect(SavePoseBut, &QPushButton::clicked, this, &WizardWindow::SavePoseBut_Click);
    connect(PictureBox, &SpriteView::strokeStarted, this, &WizardWindow::startStroke);
    connect(PictureBox, &SpriteView::strokeMoved, this, &WizardWindow::continueStroke);
    connect(PictureBox, &SpriteView::strokeEnded, this, &WizardWindow::endStroke);
    connect(PictureBox, &SpriteView::shiftRequested, this, &WizardWindow::shiftSprite);
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
    finishLive();
    curStep_ = std::clamp(step, 1, kSteps);
    StepLbl->setText(QStringLiteral("Step %1 of %2: %3").arg(curStep_).arg(kSteps).arg(poseOfStep(curStep_)));
    // "bitmap" is the tool's own wording from when it read bitmaps only;
    // users and their notes know the line, so it stays.
    instruct->setText(QStringLiteral("Select the bitmap for the ") + poseOfStep(curStep_) + QStringLiteral(" sprite."));
    SizeLbl->setText(QStringLiteral("Size: ") + QString::number(spriteSize(curStep_)));
    showSprite();
    showEditControls();
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
    takeIn(TakenPicture{sprite, marked, nullptr}, what);
}

void WizardWindow::takeIn(const TakenPicture& taken, const QString& what)
{
    finishLive();
    const bool marksFit = taken.marked.width() == taken.sprite.width() && taken.marked.height() == taken.sprite.height();
    // A picture kept only when its Exact black conversion is what was taken,
    // so that converting it again starts from the sprite shown.
    const bool keep = taken.picture && taken.picture->width() == taken.sprite.width() &&
                      taken.picture->height() == taken.sprite.height();
    palvorn::PoseState after{taken.sprite, marksFit ? taken.marked : palvorn::Sprite{}, currentPose().source};
    after.source.picture = keep ? taken.picture : nullptr;
    // The picture's starting mode at its own size, with the pose's threshold.
    after.source.conversion.mode = taken.conversion.mode;
    after.source.conversion.scale = taken.conversion.scale;
    if (keep && after.source.conversion != taken.conversion) {
        palvorn::Converted converted = palvorn::convert(*taken.picture, after.source.conversion);
        after.sprite = std::move(converted.sprite);
        after.marked = std::move(converted.marked);
    }
    const QString name = QStringLiteral("%1 into %2").arg(what, poseOfStep(curStep_));
    apply(std::make_unique<palvorn::SpriteChange>(name.toStdString(), document_, curStep_ - 1, std::move(after)));
}

palvorn::PoseState WizardWindow::currentPose() const
{
    return palvorn::poseState(document_, curStep_ - 1);
}

void WizardWindow::changePose(const QString& name, palvorn::PoseState after)
{
    finishLive();
    if (samePose(after, currentPose())) {
        showStep(curStep_);  // the controls show the pose as it stays
        return;
    }
    apply(std::make_unique<palvorn::SpriteChange>(name.toStdString(), document_, curStep_ - 1, std::move(after)));
}

palvorn::PoseState WizardWindow::converted(const palvorn::Conversion& conversion) const
{
    palvorn::PoseState state = currentPose();
    palvorn::Converted result = palvorn::convert(*state.source.picture, conversion);
    state.sprite = std::move(result.sprite);
    state.marked = std::move(result.marked);
    state.source.conversion = conversion;
    return state;
}

void WizardWindow::beginLive(LiveKind kind, const QString& name)
{
    finishLive();
    live_ = LiveEdit{kind, curStep_ - 1, currentPose(), name};
}

void WizardWindow::showLive(const palvorn::PoseState& state)
{
    putPose(document_, live_->pose, state);
    showSprite();
}

void WizardWindow::finishLive()
{
    if (!live_)
        return;
    const LiveEdit live = std::move(*live_);
    live_.reset();
    palvorn::PoseState after = palvorn::poseState(document_, live.pose);
    putPose(document_, live.pose, live.before);
    if (samePose(after, live.before))
        return;  // a click on a pixel already so, a drag back to where it began
    auto change = std::make_unique<palvorn::SpriteChange>(live.name.toStdString(), document_, live.pose,
                                                          std::move(after));
    const palvorn::Change& done = *change;
    history_.apply(std::move(change), document_);
    changed(done);
}

void WizardWindow::apply(std::unique_ptr<palvorn::Change> change)
{
    finishLive();
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
    finishLive();
    if (const palvorn::Change* change = history_.undo(document_))
        changed(*change);
}

void WizardWindow::RedoBut_Click()
{
    finishLive();
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
        // Set only when it changes: a style sheet is parsed and applied anew each time.
        if (SpriteNote->styleSheet() != QLatin1String(kWarningStyle))
            SpriteNote->setStyleSheet(QLatin1String(kWarningStyle));
        return;
    }
    QStringList lines;
    if (!PictureBox->scaleText().isEmpty())
        lines << QStringLiteral("As it will be packed, %1.").arg(PictureBox->scaleText());
    if (!PictureBox->note().isEmpty())
        lines << PictureBox->note();
    SpriteNote->setText(lines.join(QLatin1Char(' ')));
    if (!SpriteNote->styleSheet().isEmpty())
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
    takeIn(taken, what);
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

void WizardWindow::showEditControls()
{
    const palvorn::PoseState pose = currentPose();
    const bool hasSprite = !pose.sprite.isEmpty();
    const bool hasPicture = pose.source.picture != nullptr;
    const palvorn::Conversion& conversion = pose.source.conversion;
    {
        const QSignalBlocker blockMode(ConvertMode);
        const QSignalBlocker blockThreshold(ThresholdSlider);
        ConvertMode->setCurrentIndex(static_cast<int>(conversion.mode));
        ThresholdSlider->setValue(conversion.threshold);
    }
    ThresholdLbl->setText(QStringLiteral("Threshold: %1%").arg(conversion.threshold));
    const bool thresholdCounts = hasPicture && conversion.mode != palvorn::ConvertMode::ExactBlack;
    ConvertMode->setEnabled(hasPicture);
    ThresholdLbl->setEnabled(thresholdCounts);
    ThresholdSlider->setEnabled(thresholdCounts);
    const QString noPicture = hasPicture ? QString() : hasSprite ? kNoPictureTip : kNoSpriteTip;
    ConvertMode->setToolTip(hasPicture ? QStringLiteral("How the picture becomes the sprite") : noPicture);
    const QString thresholdTip = !hasPicture ? noPicture
                                 : thresholdCounts
                                     ? QStringLiteral("How dark a pixel must be to be set, in percent of full brightness")
                                     : QStringLiteral("Exact black sets fully opaque pure black only: it has no threshold");
    ThresholdLbl->setToolTip(thresholdTip);
    ThresholdSlider->setToolTip(thresholdTip);

    for (QSpinBox* side : {SpriteWidth, SpriteHeight}) {
        const QSignalBlocker block(side);
        side->setMinimum(hasSprite ? 1 : 0);
        side->setValue(side == SpriteWidth ? pose.sprite.width() : pose.sprite.height());
    }
    const palvorn::PixelRect bounds = palvorn::setBounds(pose.sprite);
    const bool trimmed = bounds == palvorn::PixelRect{0, 0, pose.sprite.width(), pose.sprite.height()};
    TrimBut->setEnabled(hasSprite && !bounds.isEmpty() && !trimmed);
    TrimBut->setToolTip(!hasSprite         ? QStringLiteral("Remove clear rows and columns at the edges")
                        : bounds.isEmpty() ? QStringLiteral("Nothing to trim: no pixel is set")
                        : trimmed          ? QStringLiteral("Nothing to trim: no clear row or column at the edges")
                                           : QStringLiteral("Remove clear rows and columns at the edges"));
    for (QPushButton* button : {FlipHBut, FlipVBut, InvertBut, SavePoseBut})
        button->setEnabled(hasSprite);
    SavePoseBut->setToolTip(hasSprite ? QStringLiteral("Save this sprite as a black and white PNG picture")
                                      : QStringLiteral("No sprite to save in this step"));
    showCopyChoices();
}

void WizardWindow::showCopyChoices()
{
    const QSignalBlocker block(CopyFrom);
    CopyFrom->clear();
    CopyFrom->addItem(QStringLiteral("Copy from\u2026"));
    auto* items = qobject_cast<QStandardItemModel*>(CopyFrom->model());
    bool any = false;
    for (int step = 1; step <= kSteps; ++step) {
        if (step == curStep_)
            continue;
        CopyFrom->addItem(poseOfStep(step), step);
        const bool has = spriteSize(step) > 0;
        items->item(CopyFrom->count() - 1)->setEnabled(has);
        any = any || has;
    }
    CopyFrom->setEnabled(any);
}

void WizardWindow::ConvertMode_Change(int index)
{
    if (!currentPose().source.picture)
        return;  // disabled: nothing to convert
    palvorn::Conversion conversion = currentPose().source.conversion;
    conversion.mode = static_cast<palvorn::ConvertMode>(index);
    changePose(QStringLiteral("%1 for %2")
                   .arg(QString::fromLatin1(palvorn::convertModeName(conversion.mode).data()), poseOfStep(curStep_)),
               converted(conversion));
}

void WizardWindow::ThresholdSlider_Change(int value)
{
    ThresholdLbl->setText(QStringLiteral("Threshold: %1%").arg(value));
    if (!currentPose().source.picture)
        return;
    palvorn::Conversion conversion = currentPose().source.conversion;
    conversion.threshold = value;
    const QString name = QStringLiteral("Threshold %1% for %2").arg(value).arg(poseOfStep(curStep_));
    if (!ThresholdSlider->isSliderDown()) {
        changePose(name, converted(conversion));  // a key, a click beside the handle: one step each
        return;
    }
    // A drag: the sprite follows it, and it is one step when it ends.
    if (!live_ || live_->kind != LiveKind::Threshold)
        beginLive(LiveKind::Threshold, name);
    live_->name = name;
    showLive(converted(conversion));
}

void WizardWindow::ThresholdSlider_Release()
{
    if (live_ && live_->kind == LiveKind::Threshold)
        finishLive();
}

void WizardWindow::SpriteSize_Change()
{
    palvorn::PoseState pose = currentPose();
    int width = SpriteWidth->value();
    int height = SpriteHeight->value();
    if (pose.sprite.isEmpty()) {
        // A blank sprite to draw on: square until the other side is set.
        width = width ? width : height;
        height = height ? height : width;
    }
    if (width == 0 || height == 0 || (width == pose.sprite.width() && height == pose.sprite.height())) {
        showEditControls();
        return;
    }
    if (qint64(width) * height > kMaxPicturePixels) {
        platform::warn(this, windowTitle(),
                       QStringLiteral("A sprite of %1 x %2 pixels is too large: Width times Height may be at most %3 "
                                      "pixels (%4 x %4).")
                           .arg(width)
                           .arg(height)
                           .arg(kMaxPicturePixels)
                           .arg(kMaxPictureSide));
        showEditControls();
        return;
    }
    pose = transformed(std::move(pose),
                       [width, height](const palvorn::Sprite& s) { return palvorn::resized(s, width, height); });
    changePose(QStringLiteral("Size %1 x %2 for %3").arg(width).arg(height).arg(poseOfStep(curStep_)), std::move(pose));
}

void WizardWindow::TrimBut_Click()
{
    const palvorn::PoseState pose = currentPose();
    const palvorn::PixelRect bounds = palvorn::setBounds(pose.sprite);
    if (bounds.isEmpty())
        return;  // a blank sprite keeps its size: trimming would leave nothing to draw on
    changePose(QStringLiteral("Trim %1").arg(poseOfStep(curStep_)),
               transformed(pose, [&bounds](const palvorn::Sprite& s) { return palvorn::cropped(s, bounds); }));
}

void WizardWindow::FlipHBut_Click()
{
    if (!currentPose().sprite.isEmpty())
        changePose(QStringLiteral("Flip %1 left to right").arg(poseOfStep(curStep_)),
                   transformed(currentPose(), palvorn::flippedLeftRight));
}

void WizardWindow::FlipVBut_Click()
{
    if (!currentPose().sprite.isEmpty())
        changePose(QStringLiteral("Flip %1 top to bottom").arg(poseOfStep(curStep_)),
                   transformed(currentPose(), palvorn::flippedTopBottom));
}

void WizardWindow::InvertBut_Click()
{
    palvorn::PoseState pose = currentPose();
    if (pose.sprite.isEmpty())
        return;
    pose.sprite = palvorn::inverted(pose.sprite);
    // The marks flag dark pixels left clear; inverted, those are set, and
    // the clear ones were never dark: no mark means anything any more.
    pose.marked = {};
    changePose(QStringLiteral("Invert %1").arg(poseOfStep(curStep_)), std::move(pose));
}

void WizardWindow::shiftSprite(int dx, int dy)
{
    if (currentPose().sprite.isEmpty())
        return;
    const char* way = dx < 0 ? "left" : dx > 0 ? "right" : dy < 0 ? "up" : "down";
    changePose(QStringLiteral("Shift %1 %2").arg(poseOfStep(curStep_), QLatin1String(way)),
               transformed(currentPose(), [dx, dy](const palvorn::Sprite& s) { return palvorn::shifted(s, dx, dy); }));
}

void WizardWindow::CopyFrom_Change(int index)
{
    const int from = CopyFrom->itemData(index).toInt();
    {
        const QSignalBlocker block(CopyFrom);
        CopyFrom->setCurrentIndex(0);  // a command, not a choice that stays
    }
    if (from < 1 || from > kSteps || from == curStep_ || spriteSize(from) == 0)
        return;
    changePose(QStringLiteral("Copy %1 into %2").arg(poseOfStep(from), poseOfStep(curStep_)),
               palvorn::poseState(document_, from - 1));
}

void WizardWindow::startStroke(QPoint pixel, bool set)
{
    if (currentPose().sprite.isEmpty())
        return;  // the size boxes make a sprite to draw on
    beginLive(LiveKind::Stroke, QStringLiteral("%1 on %2").arg(set ? QStringLiteral("Draw") : QStringLiteral("Erase"),
                                                               poseOfStep(curStep_)));
    strokeSets_ = set;
    strokeFrom_ = strokeLast_ = pixel;
    palvorn::PoseState pose = currentPose();
    palvorn::drawLine(pose.sprite, pixel.x(), pixel.y(), pixel.x(), pixel.y(), set);
    showLive(pose);
}

void WizardWindow::continueStroke(QPoint pixel, bool straight)
{
    if (!live_ || live_->kind != LiveKind::Stroke)
        return;  // the stroke was ended by another change
    if (pixel == strokeLast_ && !straight)
        return;
    palvorn::PoseState pose = currentPose();
    if (straight) {
        // One straight line from where the stroke began, in place of what it drew.
        pose.sprite = live_->before.sprite;
        palvorn::drawLine(pose.sprite, strokeFrom_.x(), strokeFrom_.y(), pixel.x(), pixel.y(), strokeSets_);
        live_->name = QStringLiteral("%1 on %2").arg(strokeSets_ ? QStringLiteral("Line") : QStringLiteral("Erase line"),
                                                     poseOfStep(curStep_));
    } else {
        // From the last point reported, so that a fast move leaves no gap.
        palvorn::drawLine(pose.sprite, strokeLast_.x(), strokeLast_.y(), pixel.x(), pixel.y(), strokeSets_);
    }
    strokeLast_ = pixel;
    showLive(pose);
}

void WizardWindow::endStroke()
{
    if (live_ && live_->kind == LiveKind::Stroke)
        finishLive();
}

void WizardWindow::SavePoseBut_Click()
{
    const palvorn::Sprite sprite = currentPose().sprite;
    if (sprite.isEmpty())
        return;
    QString name = poseOfStep(curStep_);
    name.replace(QLatin1Char(' '), QLatin1Char('-'));
    const QString folder = remembered::value(kPictureFolderKey).toString();
    platform::SaveFileRequest request{QStringLiteral("Save the %1 sprite as a picture").arg(poseOfStep(curStep_)),
                                            folder.isEmpty() ? name + QStringLiteral(".png")
                                                             : QDir(folder).filePath(name + QStringLiteral(".png")),
                                            QStringLiteral("PNG pictures (*.png)"), QStringLiteral("png"), QString()};
    const QString file = platform::saveFile(this, request);
    if (file.isEmpty())
        return;  // cancelled
    const QByteArray png = spritePng(sprite);
    // Written whole or not at all: a failed save leaves the file as it was.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(png) != png.size() || !out.commit()) {
        platform::warn(this, windowTitle(),
                       QStringLiteral("The picture could not be saved to \"%1\": %2")
                           .arg(QDir::toNativeSeparators(file), out.errorString()));
        return;
    }
    remembered::setValue(kPictureFolderKey, QFileInfo(file).absolutePath());
}
