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

// The five poses a taken picture holds: a GIF's five frames (`frames`,
// which may be empty, gives them) first, otherwise a sheet's parts
// (sheetPoses); none when it holds no five. Touches no widget: it runs
// where the picture is decoded.
std::optional<PosePictures> heldPoses(const TakenPicture& taken,
                                      const std::function<std::optional<PosePictures>()>& frames);

// The five poses (heldPoses) when the user answers Yes, each keeping its
// part as its kept picture when there is one, converted the default way.
// None when there are no poses (no question is asked) or the answer is No.
std::optional<std::array<palvorn::PoseState, palvorn::kPoses>> askSheet(QWidget* parent, const QString& title,
                                                                         std::optional<PosePictures> poses);
