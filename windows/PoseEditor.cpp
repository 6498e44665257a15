#include "PoseEditor.h"

#include <algorithm>

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include "BattlePlayer.h"
#include "ConversionControls.h"
#include "EnemyModel.h"
#include "Export.h"
#include "Platform.h"
#include "Remembered.h"
#include "Rules.h"
#include "SavePicture.h"
#include "ScreenPreview.h"
#include "Pen.h"
#include "PictureSteps.h"
#include "SpriteOps.h"
#include "SpriteView.h"
#include "TakePicture.h"
#include "Widgets.h"

using widgets::poseName;

namespace {

const QString kPictureFolderKey = QStringLiteral("pictures/folder");

// The marks moved with their sprite by op, or none when there were none.
template <class Op>
palvorn::PoseState transformed(palvorn::PoseState state, Op op)
{
    state.sprite = op(state.sprite);
    if (!state.marked.isEmpty())
        state.marked = op(state.marked);
    return state;
}

// The pose after a picture step (PictureSteps.h) on its sprite and marks.
palvorn::PoseState stepped(palvorn::PoseState state, palvorn::MarkedSprite (*step)(const palvorn::MarkedSprite&))
{
    palvorn::MarkedSprite done = step({std::move(state.sprite), std::move(state.marked)});
    state.sprite = std::move(done.sprite);
    state.marked = std::move(done.marked);
    return state;
}

// Whether picture has a pure black pixel: without one, a picture starts at
// Threshold (TakePicture.h), and the note says why for as long as it stays there.
bool anyPureBlack(const palvorn::GreyPicture& picture)
{
    for (int y = 0; y < picture.height(); ++y) {
        const std::uint16_t* row = picture.row(y);
        if (std::find(row, row + picture.width(), palvorn::GreyPicture::kBlack) != row + picture.width())
            return true;
    }
    return false;
}

}  // namespace

PoseEditor::PoseEditor(EnemyModel& model, QWidget* window) : QObject(window), model_(model), window_(window)
{
    setUpControls();
    setUpLayout();
    setUpConnections();
}

void PoseEditor::setUpControls()
{
    using widgets::button;
    using widgets::kSmallButtonWidth;
    PictureBox = new SpriteView(window_);
    PictureBox->setObjectName(QStringLiteral("Sprite"));
    SizeLbl = widgets::label(window_, "SizeLbl", QStringLiteral("Size:"));
    SizeLbl->setAlignment(Qt::AlignRight | Qt::AlignTop);
    SpriteNote = widgets::label(window_, "SpriteNote", QString());
    SpriteNote->setWordWrap(true);
    SpriteNote->setMinimumHeight(SpriteNote->fontMetrics().lineSpacing() * 2);
    SpriteNote->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Screen = new ScreenPreview(window_);
    ScreenNote = widgets::label(window_, "ScreenNote", QString());
    ScreenNote->setWordWrap(true);
    ScreenNote->setFixedWidth(Screen->width());
    // Room for the longest note kept whether or not one is shown, so that the
    // layout never has to find it while the window is at its smallest.
    ScreenNote->setMinimumHeight(ScreenNote->fontMetrics().lineSpacing() * 3);
    ScreenNote->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    // Up to the largest side a sprite has; the area is bounded as a picture's.
    // A step without a sprite shows no size; setting one makes a blank sprite.
    const auto makeSide = [this](const char* name, const QString& tip) {
        auto* side = new QSpinBox(window_);
        side->setObjectName(QLatin1String(name));
        side->setRange(0, palvorn::Sprite::kMaxSide);
        side->setSpecialValueText(QStringLiteral("-"));
        // One change per value typed and confirmed, not one per digit.
        side->setKeyboardTracking(false);
        side->setToolTip(tip);
        return side;
    };
    SpriteWidth = makeSide("SpriteWidth", QStringLiteral("Width in pixels: grows with clear pixels at the right, or crops there"));
    TimesLbl = widgets::label(window_, "TimesLbl", QStringLiteral("x"));
    SpriteHeight = makeSide("SpriteHeight", QStringLiteral("Height in pixels: grows with clear pixels at the bottom, or crops there"));
    TrimBut = button(window_, "TrimBut", QStringLiteral("Trim"), kSmallButtonWidth);
    FlipHBut = button(window_, "FlipHBut", QStringLiteral("Flip H"), kSmallButtonWidth);
    FlipHBut->setToolTip(QStringLiteral("Flip left to right"));
    FlipVBut = button(window_, "FlipVBut", QStringLiteral("Flip V"), kSmallButtonWidth);
    FlipVBut->setToolTip(QStringLiteral("Flip top to bottom"));
    InvertBut = button(window_, "InvertBut", QStringLiteral("Invert"), kSmallButtonWidth);
    InvertBut->setToolTip(QStringLiteral("Swap set and clear pixels"));
    CopyFrom = new QComboBox(window_);
    CopyFrom->setObjectName(QStringLiteral("CopyFrom"));
    CopyFrom->setToolTip(QStringLiteral("Copy another step's sprite into this one"));
    SavePoseBut = button(window_, "SavePoseBut", QStringLiteral("Save Picture..."), 2 * widgets::kButtonWidth);
    Conversion = new ConversionControls(model_, window_);
    Battle = new BattlePlayer(Screen, window_);
    Battle->setFixedWidth(Screen->width());
    pen_ = new Pen(model_, PictureBox, this);
}

void PoseEditor::setUpLayout()
{
    // At the left the picture box, under it its size and shape tools and its
    // note; at the right the size, the calculator screen, how the picture is
    // converted, then copying and saving the sprite.
    auto* tools = new QHBoxLayout;
    tools->addWidget(SpriteWidth);
    tools->addWidget(TimesLbl);
    tools->addWidget(SpriteHeight);
    tools->addSpacing(6);
    for (QWidget* tool : {TrimBut, FlipHBut, FlipVBut, InvertBut})
        tools->addWidget(tool);
    tools->addStretch(1);
    auto* pictureColumn = new QVBoxLayout;
    pictureColumn->addWidget(PictureBox, 1);
    pictureColumn->addLayout(tools);
    pictureColumn->addWidget(SpriteNote);
    auto* screenColumn = new QVBoxLayout;
    for (QWidget* item : std::initializer_list<QWidget*>{SizeLbl, Screen, Battle, ScreenNote})
        screenColumn->addWidget(item);
    screenColumn->addLayout(Conversion->layout());
    screenColumn->addStretch(1);
    screenColumn->addWidget(CopyFrom);
    screenColumn->addWidget(SavePoseBut, 0, Qt::AlignRight);
    auto* top = new QHBoxLayout;
    layout_ = top;
    top->addLayout(pictureColumn, 1);
    top->addLayout(screenColumn);
}

void PoseEditor::setUpConnections()
{
    connect(&model_, &EnemyModel::poseChanged, this, &PoseEditor::followModel);
    connect(PictureBox, &SpriteView::scaleTextChanged, this, &PoseEditor::showSpriteNote);
    connect(PictureBox, &SpriteView::noteChanged, this, &PoseEditor::showSpriteNote);
    connect(Screen, &ScreenPreview::noteChanged, ScreenNote, &QLabel::setText);
    connect(SpriteWidth, &QSpinBox::valueChanged, this, &PoseEditor::changeSize);
    connect(SpriteHeight, &QSpinBox::valueChanged, this, &PoseEditor::changeSize);
    connect(TrimBut, &QPushButton::clicked, this, &PoseEditor::trim);
    connect(FlipHBut, &QPushButton::clicked, this, &PoseEditor::flipLeftRight);
    connect(FlipVBut, &QPushButton::clicked, this, &PoseEditor::flipTopBottom);
    connect(InvertBut, &QPushButton::clicked, this, &PoseEditor::invert);
    connect(CopyFrom, &QComboBox::currentIndexChanged, this, &PoseEditor::copyFrom);
    connect(SavePoseBut, &QPushButton::clicked, this, &PoseEditor::savePicture);
    connect(PictureBox, &SpriteView::shiftRequested, this, &PoseEditor::shift);
}

void PoseEditor::showPose(int pose)
{
    // A stroke being ended left the views showing the pose as it stays.
    const bool shown = pose == pose_ && pen_->isEnding();
    pose_ = pose;
    pen_->setPose(pose);
    SizeLbl->setText(QStringLiteral("Size: ") + QString::number(model_.spriteSize(pose_)));
    if (shown)
        showSpriteNote();
    else
        showSprite();
    showEditControls();
}

void PoseEditor::followModel(int pose)
{
    // A live edit repaints only what it changes; the window shows a done
    // change's pose itself.
    if (!model_.isLive() || pose != pose_)
        return;
    if (pen_->isDrawing())
        showStroke();
    else
        showSprite();
}

void PoseEditor::showSprite()
{
    const palvorn::Enemy& enemy = model_.enemy();
    const auto index = static_cast<std::size_t>(pose_);
    PictureBox->setSprite(enemy.sprites.at(index), model_.document().marked.at(index));
    Screen->setScene(enemy.sprites.at(index), enemy.sprites[0]);
    Battle->setEnemy(enemy);
    showSpriteNote();
}

void PoseEditor::showStroke()
{
    PictureBox->pixelsChanged(pen_->lastChanged());
    Screen->sceneChanged();
    Battle->setEnemy(model_.enemy());
    showSpriteNote();
}

void PoseEditor::showSpriteNote()
{
    const int size = model_.spriteSize(pose_);
    const bool tooLarge = size > palvorn::kSizeLimit;
    const QString start = startNote();
    if (tooLarge) {
        // Why the picture is at Threshold still counts once it is fitted.
        SpriteNote->setText(QStringLiteral("Too large: this sprite packs into %1 bytes, over the limit of %2. "
                                           "Take a smaller picture to go on.%3")
                                .arg(size)
                                .arg(palvorn::kSizeLimit)
                                .arg(start.isEmpty() ? QString() : QLatin1Char(' ') + start));
    } else {
        QStringList lines;
        if (!PictureBox->scaleText().isEmpty())
            lines << QStringLiteral("As it will be packed, %1.").arg(PictureBox->scaleText());
        if (!start.isEmpty())
            lines << start;
        if (!PictureBox->note().isEmpty())
            lines << PictureBox->note();
        SpriteNote->setText(lines.join(QLatin1Char(' ')));
    }
    widgets::setWarning(SpriteNote, tooLarge);
}

QString PoseEditor::startNote()
{
    const palvorn::PoseSource source = current().source;
    if (!source.picture || source.conversion.mode != palvorn::ConvertMode::Threshold)
        return {};
    if (blackChecked_.lock() != source.picture) {
        blackChecked_ = source.picture;
        blackFound_ = anyPureBlack(*source.picture);
    }
    return blackFound_ ? QString() : QString::fromLatin1(kThresholdNote).arg(source.conversion.threshold);
}

void PoseEditor::showEditControls()
{
    Conversion->showPose(pose_);
    const palvorn::PoseState pose = current();
    const bool hasSprite = !pose.sprite.isEmpty();
    for (QSpinBox* side : {SpriteWidth, SpriteHeight}) {
        const QSignalBlocker block(side);
        side->setMinimum(hasSprite ? 1 : 0);
        // "-" stands for no sprite (0) only: a side of 1 shows as 1.
        side->setSpecialValueText(hasSprite ? QString() : QStringLiteral("-"));
        side->setValue(side == SpriteWidth ? pose.sprite.width() : pose.sprite.height());
    }
    const bool trims = palvorn::trimChanges(pose.sprite);
    TrimBut->setEnabled(trims);
    TrimBut->setToolTip(!hasSprite || trims ? QStringLiteral("Remove clear rows and columns at the edges")
                        : palvorn::setBounds(pose.sprite).isEmpty()
                            ? QStringLiteral("Nothing to trim: no pixel is set")
                            : QStringLiteral("Nothing to trim: no clear row or column at the edges"));
    for (QPushButton* button : {FlipHBut, FlipVBut, InvertBut, SavePoseBut})
        button->setEnabled(hasSprite);
    SavePoseBut->setToolTip(hasSprite ? QStringLiteral("Save this sprite as a black and white PNG picture")
                                      : QStringLiteral("No sprite to save in this step"));
    showCopyChoices();
}

void PoseEditor::showCopyChoices()
{
    const QSignalBlocker block(CopyFrom);
    CopyFrom->clear();
    CopyFrom->addItem(QStringLiteral("Copy from\u2026"));
    auto* items = qobject_cast<QStandardItemModel*>(CopyFrom->model());
    bool any = false;
    for (int pose = 0; pose < palvorn::kPoses; ++pose) {
        if (pose == pose_)
            continue;
        CopyFrom->addItem(poseName(pose), pose);
        const bool has = model_.spriteSize(pose) > 0;
        items->item(CopyFrom->count() - 1)->setEnabled(has);
        any = any || has;
    }
    CopyFrom->setEnabled(any);
}

palvorn::PoseState PoseEditor::current() const
{
    return model_.pose(pose_);
}

void PoseEditor::change(const QString& name, palvorn::PoseState after)
{
    model_.changePose(pose_, name, std::move(after));
}

void PoseEditor::changeSize()
{
    palvorn::PoseState pose = current();
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
        platform::warn(window_, widgets::caption(),
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
    change(QStringLiteral("Size %1 x %2 for %3").arg(width).arg(height).arg(poseName(pose_)), std::move(pose));
}

void PoseEditor::trim()
{
    if (palvorn::trimChanges(current().sprite))
        change(QStringLiteral("Trim %1").arg(poseName(pose_)), stepped(current(), palvorn::trimStep));
}

void PoseEditor::flipLeftRight()
{
    if (!current().sprite.isEmpty())
        change(QStringLiteral("Flip %1 left to right").arg(poseName(pose_)),
               stepped(current(), palvorn::flipLeftRightStep));
}

void PoseEditor::flipTopBottom()
{
    if (!current().sprite.isEmpty())
        change(QStringLiteral("Flip %1 top to bottom").arg(poseName(pose_)),
               stepped(current(), palvorn::flipTopBottomStep));
}

void PoseEditor::invert()
{
    if (!current().sprite.isEmpty())
        change(QStringLiteral("Invert %1").arg(poseName(pose_)), stepped(current(), palvorn::invertStep));
}

void PoseEditor::shift(int dx, int dy)
{
    if (current().sprite.isEmpty())
        return;
    const char* way = dx < 0 ? "left" : dx > 0 ? "right" : dy < 0 ? "up" : "down";
    change(QStringLiteral("Shift %1 %2").arg(poseName(pose_), QLatin1String(way)),
           transformed(current(), [dx, dy](const palvorn::Sprite& s) { return palvorn::shifted(s, dx, dy); }));
}

void PoseEditor::copyFrom(int index)
{
    const QVariant data = CopyFrom->itemData(index);
    {
        const QSignalBlocker block(CopyFrom);
        CopyFrom->setCurrentIndex(0);  // a command, not a choice that stays
    }
    const int from = data.isValid() ? data.toInt() : -1;
    if (from < 0 || from >= palvorn::kPoses || from == pose_ || model_.spriteSize(from) == 0)
        return;
    change(QStringLiteral("Copy %1 into %2").arg(poseName(from), poseName(pose_)), model_.pose(from));
}

void PoseEditor::savePicture()
{
    const palvorn::Sprite& sprite = model_.enemy().sprites.at(static_cast<std::size_t>(pose_));
    if (sprite.isEmpty())
        return;
    QString name = poseName(pose_);
    name.replace(QLatin1Char(' '), QLatin1Char('-'));
    const QString folder = remembered::value(kPictureFolderKey).toString();
    platform::SaveFileRequest request{QStringLiteral("Save the %1 sprite as a picture").arg(poseName(pose_)),
                                      folder.isEmpty() ? name + QStringLiteral(".png")
                                                       : QDir(folder).filePath(name + QStringLiteral(".png")),
                                      QStringLiteral("PNG pictures (*.png)"), QStringLiteral("png"), QString()};
    const QString file = platform::saveFile(window_, request);
    if (file.isEmpty())
        return;  // cancelled
    if (const QString error = exporting::saveWhole(file, spritePng(sprite)); !error.isEmpty()) {
        platform::warn(window_, widgets::caption(),
                       QStringLiteral("The picture could not be saved to \"%1\": %2")
                           .arg(QDir::toNativeSeparators(file), error));
        return;
    }
    remembered::setValue(kPictureFolderKey, QFileInfo(file).absolutePath());
}
