#include "Export.h"

#include <QDir>
#include <QImage>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "Battle.h"
#include "EnemySource.h"
#include "Render.h"
#include "SaveAnimation.h"
#include "SavePicture.h"
#include "Sheet.h"

namespace exporting {

namespace {

// Each kind's names, in the order of kKinds.
struct Names {
    const char* filter;
    const char* word;
    const char* suffix;
};
constexpr std::array<Names, kKinds.size()> kNames{{
    {"Pose sheet (*.png)", "sheet", "png"},
    {"Battle animation (*.gif)", "battle", "gif"},
    {"Calculator screen (*.png)", "screen", "png"},
}};

const Names& namesOf(Kind kind)
{
    return kNames[std::size_t(kind)];
}

}  // namespace

QString filterText(Kind kind)
{
    return QString::fromLatin1(namesOf(kind).filter);
}

QString word(Kind kind)
{
    return QString::fromLatin1(namesOf(kind).word);
}

std::optional<Kind> kindOfWord(const QString& word)
{
    for (const Kind kind : kKinds)
        if (word == QLatin1String(namesOf(kind).word))
            return kind;
    return std::nullopt;
}

QString suffix(Kind kind)
{
    return QString::fromLatin1(namesOf(kind).suffix);
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
        return pngBytes(render::renderScreen(enemy.sprites[0], enemy.sprites[0], scale), "the screen");
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
    if (const QString error = saveWhole(path, bytes); !error.isEmpty())
        return subject + QStringLiteral(" could not be written: %1.").arg(error);
    return {};
}

QString saveWhole(const QString& path, const QByteArray& bytes)
{
    try {
        palvorn::writeWhole(std::filesystem::path(path.toStdU16String()),
                            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    } catch (const palvorn::WriteError& e) {
        return QString::fromStdString(e.reason());
    }
    return {};
}

}  // namespace exporting
