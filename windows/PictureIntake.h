#pragma once
// The one place a taken picture becomes a change on the model: a picture
// file from Browse, whatever the clipboard or a drop holds, and a sheet of
// five poses when the user says it is one. A refused picture is reported
// and changes nothing.

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

#include "TakePicture.h"
#include "TakeSheet.h"

class QMimeData;
class QWidget;
class EnemyModel;

class PictureIntake : public QObject {
    Q_OBJECT

public:
    // Takes pictures into model's pose pose() (0..4); window parents the
    // dialogs and names their title. Both must outlive it.
    PictureIntake(EnemyModel& model, QWidget* window, std::function<int()> pose);

    // Puts a taken picture into the pose as one change named "WHAT into
    // POSE": its sprite, its marks when they fit, and its picture, kept
    // only when its Exact black conversion is the sprite, for the
    // conversion controls. A new picture starts at Exact black; the pose's
    // threshold stays as it was.
    void takeIn(const TakenPicture& taken, const QString& what = QStringLiteral("picture"));
    // Whatever data holds, named what; false when nothing in it is usable.
    bool takeMimeData(const QMimeData* data, const QString& what);
    // On the window: welcomes a drag that carries a picture or a file, and
    // takes a drop in.
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    // A picture file the user picks; cancelling changes nothing.
    void browse();
    // What the clipboard holds, or a message that it holds no picture.
    void takeClipboard();

private:
    void takeFile(const QString& path);
    // frames gives a GIF's five frames as poses, for the sheet question.
    void take(const std::function<TakenPicture()>& taker, const QString& what,
              const std::function<std::optional<PosePictures>()>& frames = {});

    EnemyModel& model_;
    QWidget* window_;
    std::function<int()> pose_;
};
