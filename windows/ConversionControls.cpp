#include "ConversionControls.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <QWidget>

#include "EnemyModel.h"
#include "Platform.h"
#include "Rules.h"
#include "Scale.h"
#include "Widgets.h"

namespace {

const QString kNoPictureTip = QStringLiteral(
    "No picture to convert: this sprite was opened, drawn here, or taken from a picture too large to keep.");
const QString kNoSpriteTip = QStringLiteral("No picture to convert: take a picture into this step first.");

QString thresholdText(int value)
{
    return QStringLiteral("Threshold: %1%").arg(value);
}

// state converted again from its kept picture (which it must have).
palvorn::PoseState converted(palvorn::PoseState state, const palvorn::Conversion& conversion)
{
    palvorn::Converted result = palvorn::convert(*state.source.picture, conversion);
    state.sprite = std::move(result.sprite);
    state.marked = std::move(result.marked);
    state.source.conversion = conversion;
    return state;
}

// The largest scale that fits the pose's picture into the size limit.
std::optional<int> fitOf(const palvorn::PoseState& state)
{
    return palvorn::fitScale(state.source.picture->width(), state.source.picture->height());
}

bool isSteppingKey(int key)
{
    return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown;
}

}  // namespace

ConversionControls::ConversionControls(EnemyModel& model, QWidget* window) : QObject(window), model_(model)
{
    ConvertMode = new QComboBox(window);
    ConvertMode->setObjectName(QStringLiteral("ConvertMode"));
    for (int mode = 0; mode < palvorn::kConvertModes; ++mode)
        ConvertMode->addItem(QString::fromLatin1(palvorn::convertModeName(palvorn::ConvertMode(mode)).data()));
    ThresholdLbl = widgets::label(window, "ThresholdLbl", QString());
    ThresholdSlider = new QSlider(Qt::Horizontal, window);
    ThresholdSlider->setObjectName(QStringLiteral("ThresholdSlider"));
    ThresholdSlider->setRange(palvorn::kMinThreshold, palvorn::kMaxThreshold);
    ThresholdSlider->setValue(palvorn::kDefaultThreshold);
    ThresholdSlider->setPageStep(10);

    ScaleBox = new QSpinBox(window);
    ScaleBox->setObjectName(QStringLiteral("ScaleBox"));
    ScaleBox->setRange(palvorn::kMinScale, palvorn::kMaxScale);
    ScaleBox->setValue(palvorn::kMaxScale);
    ScaleBox->setPrefix(QStringLiteral("Scale: "));
    ScaleBox->setSuffix(QStringLiteral(" %"));
    // One change per value typed and confirmed, not one per digit.
    ScaleBox->setKeyboardTracking(false);
    ScaleBox->installEventFilter(this);
    // The window's controls outlive the model, its member, while the window is
    // torn down: the focus leaving the box then must not reach the model.
    connect(&model_, &QObject::destroyed, ScaleBox, [this] { ScaleBox->removeEventFilter(this); });
    FitBut = widgets::button(window, "FitBut", QStringLiteral("Fit"), widgets::kSmallButtonWidth);
    ApplyAllBut = widgets::button(window, "ApplyAllBut", QStringLiteral("Use for All Poses"), 2 * widgets::kButtonWidth);
    wheelEnd_ = new QTimer(this);
    wheelEnd_->setSingleShot(true);
    wheelEnd_->setInterval(400);

    auto* scaleRow = new QHBoxLayout;
    scaleRow->addWidget(ScaleBox, 1);
    scaleRow->addWidget(FitBut);
    auto* column = new QVBoxLayout;
    layout_ = column;
    column->addWidget(ConvertMode);
    column->addWidget(ThresholdLbl);
    column->addWidget(ThresholdSlider);
    column->addLayout(scaleRow);
    column->addWidget(ApplyAllBut, 0, Qt::AlignRight);

    connect(ConvertMode, &QComboBox::currentIndexChanged, this, &ConversionControls::changeMode);
    connect(ThresholdSlider, &QSlider::valueChanged, this, &ConversionControls::moveThreshold);
    connect(ThresholdSlider, &QSlider::sliderReleased, this, &ConversionControls::endDrag);
    connect(ScaleBox, &QSpinBox::valueChanged, this, &ConversionControls::changeScale);
    connect(wheelEnd_, &QTimer::timeout, this, &ConversionControls::endHold);
    connect(FitBut, &QPushButton::clicked, this, &ConversionControls::fit);
    connect(ApplyAllBut, &QPushButton::clicked, this, &ConversionControls::applyToAll);
}

void ConversionControls::showPose(int pose)
{
    pose_ = pose;
    const palvorn::PoseState state = model_.pose(pose);
    const bool hasSprite = !state.sprite.isEmpty();
    const bool hasPicture = state.source.picture != nullptr;
    const palvorn::Conversion& conversion = state.source.conversion;
    {
        const QSignalBlocker blockMode(ConvertMode);
        const QSignalBlocker blockThreshold(ThresholdSlider);
        ConvertMode->setCurrentIndex(static_cast<int>(conversion.mode));
        ThresholdSlider->setValue(conversion.threshold);
    }
    ThresholdLbl->setText(thresholdText(conversion.threshold));
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
    showScaleControls(state);
}

void ConversionControls::showScaleControls(const palvorn::PoseState& state)
{
    const palvorn::Conversion& conversion = state.source.conversion;
    const bool hasPicture = state.source.picture != nullptr;
    {
        const QSignalBlocker block(ScaleBox);
        ScaleBox->setValue(conversion.scale);
    }
    const QString noPicture = hasPicture              ? QString()
                              : state.sprite.isEmpty() ? kNoSpriteTip
                                                       : kNoPictureTip;
    ScaleBox->setEnabled(hasPicture);
    ScaleBox->setToolTip(hasPicture ? QStringLiteral("The picture's size before it is converted, in percent of its own")
                                    : noPicture);
    const std::optional<int> fits = hasPicture ? fitOf(state) : std::nullopt;
    FitBut->setEnabled(hasPicture && fits != conversion.scale);
    FitBut->setToolTip(!hasPicture ? noPicture
                       : !fits     ? QStringLiteral("Even at %1 % this picture's sprite is over the limit of %2 bytes")
                                     .arg(palvorn::kMinScale)
                                     .arg(palvorn::kSizeLimit)
                       : fits == conversion.scale
                           ? QStringLiteral("The picture is at its fit already: %1 %").arg(*fits)
                           : QStringLiteral("The largest scale at which the sprite fits into %1 bytes: %2 %")
                                 .arg(palvorn::kSizeLimit)
                                 .arg(*fits));
    bool anyOther = false;
    for (int pose = 0; pose < palvorn::kPoses; ++pose) {
        const palvorn::PoseSource& other = model_.document().sources.at(std::size_t(pose));
        anyOther = anyOther || (pose != pose_ && other.picture && other.conversion != conversion);
    }
    ApplyAllBut->setEnabled(hasPicture && anyOther);
    ApplyAllBut->setToolTip(!hasPicture ? noPicture
                            : anyOther  ? QStringLiteral("Give every pose that has a picture this conversion, "
                                                         "threshold and scale")
                                        : QStringLiteral("Every other pose with a picture has this conversion "
                                                         "already, or none has a picture"));
}

void ConversionControls::changeMode(int index)
{
    const palvorn::PoseState state = model_.pose(pose_);
    if (!state.source.picture)
        return;  // disabled: nothing to convert
    palvorn::Conversion conversion = state.source.conversion;
    conversion.mode = static_cast<palvorn::ConvertMode>(index);
    const QString name = QStringLiteral("%1 for %2")
                             .arg(QString::fromLatin1(palvorn::convertModeName(conversion.mode).data()),
                                  widgets::poseName(pose_));
    model_.changePose(pose_, name, converted(state, conversion));
}

void ConversionControls::moveThreshold(int value)
{
    ThresholdLbl->setText(thresholdText(value));
    palvorn::PoseState state = model_.pose(pose_);
    if (!state.source.picture)
        return;
    palvorn::Conversion conversion = state.source.conversion;
    conversion.threshold = value;
    const QString name = QStringLiteral("Threshold %1% for %2").arg(value).arg(widgets::poseName(pose_));
    if (!ThresholdSlider->isSliderDown()) {
        // A key, a click beside the handle: one step each.
        model_.changePose(pose_, name, converted(std::move(state), conversion));
        return;
    }
    // A drag: the sprite follows it, and it is one step when it ends.
    if (!model_.isLive() || model_.liveTag() != this)
        model_.beginLive(pose_, name, this);
    model_.updateLive(converted(std::move(state), conversion), name);
}

void ConversionControls::endDrag()
{
    if (model_.isLive() && model_.liveTag() == this)
        model_.commitLive();
}

bool ConversionControls::liveIsMine() const
{
    return model_.isLive() && model_.liveTag() == this;
}

bool ConversionControls::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ScaleBox) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            scaleHeld_ = true;
            break;
        case QEvent::MouseButtonRelease:
            scaleHeld_ = false;
            QTimer::singleShot(0, this, &ConversionControls::endHold);  // after the box's own release
            break;
        case QEvent::KeyPress:
            if (isSteppingKey(static_cast<QKeyEvent*>(event)->key()))
                scaleHeld_ = true;
            break;
        case QEvent::KeyRelease: {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (isSteppingKey(key->key()) && !key->isAutoRepeat()) {
                scaleHeld_ = false;
                endHold();
            }
            break;
        }
        case QEvent::Wheel:
            wheelEnd_->start();
            break;
        case QEvent::FocusOut:
            scaleHeld_ = false;
            endHold();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void ConversionControls::changeScale(int value)
{
    palvorn::PoseState state = model_.pose(pose_);
    if (!state.source.picture)
        return;
    palvorn::Conversion conversion = state.source.conversion;
    conversion.scale = value;
    const QString name = QStringLiteral("Scale %1 % for %2").arg(value).arg(widgets::poseName(pose_));
    if (!scaleHeld_ && !wheelEnd_->isActive()) {
        // A value typed, or set at once: one step.
        model_.changePose(pose_, name, converted(std::move(state), conversion));
        return;
    }
    // A hold: the sprite follows it, and it is one step when it ends.
    if (!liveIsMine())
        model_.beginLive(pose_, name, this);
    model_.updateLive(converted(std::move(state), conversion), name);
}

void ConversionControls::endHold()
{
    if (!scaleHeld_ && !wheelEnd_->isActive() && liveIsMine())
        model_.commitLive();
}

void ConversionControls::fit()
{
    const palvorn::PoseState state = model_.pose(pose_);
    if (!state.source.picture)
        return;
    const std::optional<int> fits = fitOf(state);
    if (!fits) {
        platform::warn(FitBut->window(), widgets::caption(),
                       QStringLiteral("This picture of %1 x %2 pixels is too large to fit: even at %3 % its sprite "
                                      "packs into more than %4 bytes. Crop it, or take a smaller picture.")
                           .arg(state.source.picture->width())
                           .arg(state.source.picture->height())
                           .arg(palvorn::kMinScale)
                           .arg(palvorn::kSizeLimit));
        return;
    }
    palvorn::Conversion conversion = state.source.conversion;
    conversion.scale = *fits;
    model_.changePose(pose_, QStringLiteral("Fit %1 at %2 %").arg(widgets::poseName(pose_)).arg(*fits),
                      converted(state, conversion));
}

void ConversionControls::applyToAll()
{
    model_.commitLive();  // a hold going on is a step of its own, before this one
    const palvorn::Conversion conversion = model_.pose(pose_).source.conversion;
    std::array<palvorn::PoseState, palvorn::kPoses> after;
    bool any = false;
    for (int pose = 0; pose < palvorn::kPoses; ++pose) {
        after[std::size_t(pose)] = model_.pose(pose);
        palvorn::PoseState& state = after[std::size_t(pose)];
        if (state.source.picture && state.source.conversion != conversion) {
            state = converted(std::move(state), conversion);
            any = true;
        }
    }
    if (!any)
        return;
    const QString name = QStringLiteral("%1 for all poses")
                             .arg(QString::fromLatin1(palvorn::convertModeName(conversion.mode).data()));
    model_.apply(std::make_unique<palvorn::PosesChange>(name.toStdString(), model_.document(), std::move(after), pose_));
}
