#include "StepStrip.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QPixmap>
#include <QToolButton>

#include "Render.h"
#include "Rules.h"
#include "Widgets.h"

StepStrip::StepStrip(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("StepStrip"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < palvorn::kPoses; ++i) {
        auto* thumb = new QToolButton(this);
        thumb->setObjectName(QStringLiteral("StepThumb%1").arg(i));
        thumb->setCheckable(true);
        thumb->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        thumb->setIconSize(kThumbnailBox);
        thumb->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        // The check follows showPoses(), not the click: the owner decides the step.
        connect(thumb, &QToolButton::clicked, this, [this, i, thumb] {
            thumb->setChecked(!thumb->isChecked());
            emit poseClicked(i);
        });
        row->addWidget(thumb);
        StepThumb[static_cast<std::size_t>(i)] = thumb;
    }
}

void StepStrip::showPoses(const std::array<palvorn::Sprite, palvorn::kPoses>& sprites, int current)
{
    for (int i = 0; i < palvorn::kPoses; ++i) {
        const auto index = static_cast<std::size_t>(i);
        const palvorn::Sprite& sprite = sprites[index];
        QToolButton* thumb = StepThumb[index];
        const QString word = QString::fromLatin1(palvorn::poseWord(i).data(), qsizetype(palvorn::poseWord(i).size()));
        thumb->setIcon(QPixmap::fromImage(render::renderBox(sprite, {}, kThumbnailBox)));
        // Always two lines, so the strip and the editor below keep their
        // places as poses are filled.
        const int bytes = sprite.packedSize();
        thumb->setText(word + QLatin1Char('\n') +
                       (sprite.isEmpty() ? QStringLiteral("missing") : QString::fromStdString(palvorn::byteCount(bytes))));
        widgets::setWarning(thumb, bytes > palvorn::kSizeLimit);
        thumb->setChecked(i == current);
    }
}
