#include "Export.h"

#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QSaveFile>
#include <stdexcept>
#include <string>
#include <vector>

#include "Battle.h"
#include "Render.h"
#include "SaveAnimation.h"
#include "SavePicture.h"
#include "Sheet.h"

namespace exporting {

QString filterText(Kind kind)
{
    switch (kind) {
    case Kind::Sheet:
        return QStringLiteral("Pose sheet (*.png)");
    case Kind::Battle:
        return QStringLiteral("Battle animation (*.gif)");
    case Kind::Screen:
        return QStringLiteral("Calculator screen (*.png)");
    }
    return {};
}

QString word(Kind kind)
{
    switch (kind) {
    case Kind::Sheet:
        return QStringLiteral("sheet");
    case Kind::Battle:
        return QStringLiteral("battle");
    case Kind::Screen:
        return QStringLiteral("screen");
    }
    return {};
}

QByteArray exportBytes(Kind kind, const palvorn::Enemy& enemy, int scale)
{
    if (scale < kMinScale || scale > kMaxScale)
        throw std::invalid_argument("The scale " + std::to_string(scale) + " is outside " +
                                    std::to_string(kMinScale) + " to " + std::to_string(kMaxScale) + ".");
    switch (kind) {
    case Kind::Sheet:
        return spritePng(palvorn::sheetOf(enemy.sprites));
    case Kind::Battle: {
        std::vector<palvorn::Sprite> frames;
        frames.reserve(std::size_t(palvorn::battleLoopFrames()));
        for (int frame = 0; frame < palvorn::battleLoopFrames(); ++frame)
            frames.push_back(palvorn::battleFrame(enemy, frame));
        return animatedGif(frames, scale, palvorn::kBattleFrameMs / 10, render::kScreenColour, render::kScreenInk);
    }
    case Kind::Screen: {
        const QImage screen = render::renderScreen(enemy.sprites[0], enemy.sprites[0], scale);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!screen.save(&buffer, "PNG"))
            throw std::runtime_error("the PNG writer refused the screen");
        return bytes;
    }
    }
    return {};
}

QString writeExport(Kind kind, const palvorn::Enemy& enemy, int scale, const QString& path)
{
    const QString subject = QStringLiteral("The file \"%1\"").arg(QDir::toNativeSeparators(path));
    QByteArray bytes;
    try {
        bytes = exportBytes(kind, enemy, scale);
    } catch (const std::invalid_argument& e) {
        return subject + QStringLiteral(" was not written: ") + QString::fromUtf8(e.what());
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return subject + QStringLiteral(" could not be written: %1.").arg(file.errorString());
    return {};
}

}  // namespace exporting
