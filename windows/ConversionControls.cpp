#include "ConversionControls.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <QWidget>

#include "EnemyModel.h"
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

    auto* column = new QVBoxLayout;
    layout_ = column;
    column->addWidget(ConvertMode);
    column->addWidget(ThresholdLbl);
    column->addWidget(ThresholdSlider);

    connect(ConvertMode, &QComboBox::currentIndexChanged, this, &ConversionControls::changeMode);
    connect(ThresholdSlider, &QSlider::valueChanged, this, &ConversionControls::moveThreshold);
    connect(ThresholdSlider, &QSlider::sliderReleased, this, &ConversionControls::endDrag);
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
