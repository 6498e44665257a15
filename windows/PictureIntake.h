#pragma once
// The one place a taken picture becomes a change on the model: a picture
// file from Browse, whatever the clipboard or a drop holds, and a sheet of
// five poses when the user says it is one. A refused picture is reported
// and changes nothing.
//
// Decoding and converting run on a worker thread, so that a large picture
// leaves the window repainting; meanwhile the window shows a busy cursor
// and "Reading NAME…" in the sprite note. A newer intake into a pose
// replaces an older one still running, whose result is dropped, and so is
// a result for a pose that changed (or was undone) while it was read.

#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <optional>
#include <thread>

#include "History.h"
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
    // Waits for the intakes still being read, which are dropped.
    ~PictureIntake() override;

    // Whether every intake is waited for before the call that started it
    // returns (waitForIdle), as the tests need; off by default.
    static void setWaitForEachIntake(bool wait);
    // Waits for every intake still being read and applies (or drops) its
    // result, as if the event loop had run until then.
    void waitForIdle();
    // Whether an intake is being read.
    bool busy() const { return !running_.empty(); }

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

signals:
    // The last intake being read ended without changing the model (refused,
    // replaced, dropped, or the sheet question answered No): the sprite
    // note shows "Reading NAME…" until the window shows the pose again.
    void endedUnchanged();

public slots:
    // A picture file the user picks; cancelling changes nothing.
    void browse();
    // What the clipboard holds, or a message that it holds no picture.
    void takeClipboard();

private:
    struct Result;
    struct Running {
        int pose;
        QString what;
        palvorn::PoseState before;  // the pose when the intake began
        std::thread worker;
    };

    void takeFile(const QString& path);
    // Reads on a worker what taker gives (named what, shown as name while
    // read); frames gives a GIF's five frames as poses, for the sheet question.
    void take(std::function<TakenPicture()> taker, const QString& what, const QString& name,
              std::function<std::optional<PosePictures>()> frames = {});
    // A worker's result, on the GUI thread.
    void finish(quint64 id, Result& result);
    void showBusy(const QString& name);

    EnemyModel& model_;
    QWidget* window_;
    std::function<int()> pose_;
    quint64 lastId_ = 0;
    std::map<quint64, Running> running_;  // by id: the order they began
    std::map<int, quint64> newest_;       // by pose: the intake that counts
};
