#include "SheetQuestion.h"

#include "Platform.h"

std::optional<PosePictures> heldPoses(const TakenPicture& taken,
                                      const std::function<std::optional<PosePictures>()>& frames)
{
    std::optional<PosePictures> poses = frames ? frames() : std::nullopt;
    return poses ? poses : sheetPoses(taken);
}

std::optional<std::array<palvorn::PoseState, palvorn::kPoses>> askSheet(QWidget* parent, const QString& title,
                                                                         std::optional<PosePictures> poses)
{
    if (!poses ||
        !platform::ask(parent, {title, QString::fromLatin1(kSheetQuestion), QStringLiteral("Yes"), QStringLiteral("No")}))
        return std::nullopt;
    std::array<palvorn::PoseState, palvorn::kPoses> states;
    for (std::size_t i = 0; i < states.size(); ++i) {
        TakenPicture& pose = (*poses)[i];
        states[i] = palvorn::PoseState{std::move(pose.sprite), std::move(pose.marked), {std::move(pose.picture), pose.conversion}};
    }
    return states;
}
