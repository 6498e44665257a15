#pragma once
// The question the picture intake asks when a picture holds the five poses:
// a pose sheet, or a GIF of exactly five frames.

#include <QString>
#include <array>
#include <functional>
#include <optional>

#include "History.h"
#include "TakeSheet.h"

class QWidget;

inline constexpr char kSheetQuestion[] = "This picture holds five poses side by side. Take them as the five sprites?";

// The five poses of `taken`, when it holds them and the user answers Yes:
// a GIF's five frames (`frames`, which may be empty, gives them) first,
// otherwise a sheet's parts (sheetPoses). Each pose keeps its part as its
// kept picture when there is one, converted the default way. None when the
// picture holds no five poses (no question is asked) or the answer is No.
std::optional<std::array<palvorn::PoseState, palvorn::kPoses>> askSheet(
    QWidget* parent, const QString& title, const TakenPicture& taken,
    const std::function<std::optional<PosePictures>()>& frames);
