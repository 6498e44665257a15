#include "PictureIntake.h"

#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include "EnemyModel.h"
#include "Platform.h"
#include "Remembered.h"
#include "SheetQuestion.h"
#include "Widgets.h"

namespace {

const QString kPicturesFilter = QStringLiteral("Pictures (*.bmp *.png *.gif *.jpg *.jpeg *.webp)");
const QString kBitmapsFilter = QStringLiteral("Bitmaps (.bmp) (*.bmp)");
const QString kAllFilter = QStringLiteral("All files (*)");

// Keys of what is remembered between runs.
const QString kPictureFolderKey = QStringLiteral("pictures/folder");
const QString kPictureFilterKey = QStringLiteral("pictures/filter");

// The picture formats a drop or the clipboard may carry as bytes, read by
// the same bounded decoders as a file.
constexpr const char* kPictureFormats[] = {"image/png", "image/gif", "image/bmp", "image/x-bmp", "image/jpeg",
                                           "image/webp"};

bool g_waitForEachIntake = false;

// The state a taken picture gives a pose that was `before`: its sprite, its
// marks when they fit, and its picture when its conversion is the sprite,
// at its starting mode and own size with the pose's threshold. Touches no
// widget and no model: it runs on the worker.
palvorn::PoseState poseAfter(const TakenPicture& taken, const palvorn::PoseSource& before)
{
    const bool marksFit = taken.marked.width() == taken.sprite.width() && taken.marked.height() == taken.sprite.height();
    const bool keep = taken.picture && taken.picture->width() == taken.sprite.width() &&
                      taken.picture->height() == taken.sprite.height();
    palvorn::PoseState after{taken.sprite, marksFit ? taken.marked : palvorn::Sprite{}, before};
    after.source.picture = keep ? taken.picture : nullptr;
    after.source.conversion.mode = taken.conversion.mode;
    after.source.conversion.scale = taken.conversion.scale;
    if (keep && after.source.conversion != taken.conversion) {
        palvorn::Converted converted = palvorn::convert(*taken.picture, after.source.conversion);
        after.sprite = std::move(converted.sprite);
        after.marked = std::move(converted.marked);
    }
    return after;
}

}  // namespace

// What a worker gives back: the refusal, or the pose's new state and the
// five poses the picture holds, if any.
struct PictureIntake::Result {
    QString refusal;
    palvorn::PoseState after;
    std::optional<PosePictures> poses;
};

PictureIntake::PictureIntake(EnemyModel& model, QWidget* window, std::function<int()> pose)
    : QObject(window), model_(model), window_(window), pose_(std::move(pose))
{
}

PictureIntake::~PictureIntake()
{
    // A worker touches nothing of the window's; its queued result goes with this object.
    for (auto& [id, running] : running_)
        if (running.worker.joinable())
            running.worker.join();
}

void PictureIntake::setWaitForEachIntake(bool wait)
{
    g_waitForEachIntake = wait;
}

void PictureIntake::waitForIdle()
{
    for (auto& [id, running] : running_)
        if (running.worker.joinable())
            running.worker.join();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}

void PictureIntake::takeIn(const TakenPicture& taken, const QString& what)
{
    const int pose = pose_();
    palvorn::PoseState after = poseAfter(taken, model_.pose(pose).source);
    const QString name = QStringLiteral("%1 into %2").arg(what, widgets::poseName(pose));
    model_.commitLive();
    model_.apply(std::make_unique<palvorn::SpriteChange>(name.toStdString(), model_.document(), pose, std::move(after)));
}

void PictureIntake::browse()
{
    const QString filters = QStringList{kPicturesFilter, kBitmapsFilter, kAllFilter}.join(QStringLiteral(";;"));
    QString filter = remembered::value(kPictureFilterKey, kPicturesFilter).toString();
    if (!filters.split(QStringLiteral(";;")).contains(filter))
        filter = kPicturesFilter;
    platform::OpenFileRequest request{QStringLiteral("Select the %1 sprite").arg(widgets::poseName(pose_())),
                                      remembered::value(kPictureFolderKey).toString(), filters, filter};
    const QString file = platform::openFile(window_, request);
    if (file.isEmpty())
        return;  // cancelled
    remembered::setValue(kPictureFolderKey, QFileInfo(file).absolutePath());
    if (!request.selectedFilter.isEmpty())
        remembered::setValue(kPictureFilterKey, request.selectedFilter);
    takeFile(file);
}

void PictureIntake::takeClipboard()
{
    if (!takeMimeData(QGuiApplication::clipboard()->mimeData(), QStringLiteral("clipboard picture")))
        platform::warn(window_, widgets::caption(), QStringLiteral("The clipboard holds no picture."));
}

bool PictureIntake::takeMimeData(const QMimeData* data, const QString& what)
{
    if (!data)
        return false;
    // A picture's own bytes first, read by the same bounded decoders as a
    // file; a copied picture often carries its file's name as text as well.
    // The bytes are copied now: a drop's data lives only as long as its event.
    for (const char* format : kPictureFormats) {
        if (data->hasFormat(QLatin1String(format))) {
            const QByteArray bytes = data->data(QLatin1String(format));
            take([bytes] { return takePictureData(bytes, QString()); }, what, what,
                 [bytes] { return gifFramePoses(bytes); });
            return true;
        }
    }
    if (data->hasImage()) {
        const QImage picture = qvariant_cast<QImage>(data->imageData());
        take([picture] { return takeImage(picture); }, what, what);
        return true;
    }
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            takeFile(url.toLocalFile());
            return true;
        }
    }
    // A path copied as text in a file manager or a terminal.
    if (data->hasText()) {
        const QString text = data->text().trimmed();
        const QUrl url(text);
        const QString path = url.isLocalFile() ? url.toLocalFile() : text;
        if (!path.isEmpty() && !path.contains(QLatin1Char('\n')) && QFileInfo(path).isFile()) {
            takeFile(path);
            return true;
        }
    }
    return false;
}

void PictureIntake::takeFile(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    take([path] { return takePictureFile(path); }, name, name, [path] { return gifFramePosesFile(path); });
}

void PictureIntake::take(std::function<TakenPicture()> taker, const QString& what, const QString& name,
                         std::function<std::optional<PosePictures>()> frames)
{
    const int pose = pose_();
    const quint64 id = ++lastId_;
    newest_[pose] = id;
    Running& running = running_[id];
    running.pose = pose;
    running.what = what;
    running.before = model_.pose(pose);
    showBusy(name);
    running.worker = std::thread([this, id, taker = std::move(taker), frames = std::move(frames),
                                  before = running.before.source] {
        auto result = std::make_shared<Result>();
        try {
            const TakenPicture taken = taker();
            result->poses = heldPoses(taken, frames);
            result->after = poseAfter(taken, before);
        } catch (const PictureError& e) {
            result->refusal = e.message();
        } catch (const std::exception& e) {  // out of memory, mostly: refused as any picture is
            result->refusal = QString::fromUtf8(e.what());
        }
        QMetaObject::invokeMethod(this, [this, id, result] { finish(id, *result); }, Qt::QueuedConnection);
    });
    if (g_waitForEachIntake)
        waitForIdle();
}

void PictureIntake::finish(quint64 id, Result& result)
{
    const auto found = running_.find(id);
    if (found == running_.end())
        return;
    Running running = std::move(found->second);
    running_.erase(found);
    if (running.worker.joinable())
        running.worker.join();  // it has posted its result: its last act
    bool changed = false;
    // Only the newest intake into a pose counts, and only while the pose is
    // as it was when the intake began; a refusal is always reported.
    if (const auto newest = newest_.find(running.pose); newest != newest_.end() && newest->second == id) {
        newest_.erase(newest);
        if (!result.refusal.isEmpty()) {
            window_->unsetCursor();
            platform::warn(window_, widgets::caption(), result.refusal);
        } else if (model_.pose(running.pose) == running.before) {
            if (auto poses = askSheet(window_, widgets::caption(), std::move(result.poses))) {
                model_.apply(std::make_unique<palvorn::PosesChange>(
                    QStringLiteral("%1 into the five poses").arg(running.what).toStdString(), model_.document(),
                    std::move(*poses), running.pose));
            } else {
                const QString name = QStringLiteral("%1 into %2").arg(running.what, widgets::poseName(running.pose));
                model_.commitLive();
                model_.apply(std::make_unique<palvorn::SpriteChange>(name.toStdString(), model_.document(),
                                                                     running.pose, std::move(result.after)));
            }
            changed = true;
        }
    }
    if (running_.empty()) {
        window_->unsetCursor();
        if (!changed)
            emit endedUnchanged();
    }
}

void PictureIntake::showBusy(const QString& name)
{
    window_->setCursor(Qt::BusyCursor);
    if (auto* note = window_->findChild<QLabel*>(QStringLiteral("SpriteNote")))
        note->setText(QStringLiteral("Reading %1…").arg(name));
}

bool PictureIntake::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::DragEnter) {
        auto* drag = static_cast<QDragEnterEvent*>(event);
        const QMimeData* data = drag->mimeData();
        bool welcome = data->hasImage();
        for (const char* format : kPictureFormats)
            welcome = welcome || data->hasFormat(QLatin1String(format));
        for (const QUrl& url : data->urls())
            welcome = welcome || url.isLocalFile();
        if (welcome)
            drag->acceptProposedAction();
        return true;
    }
    if (event->type() == QEvent::Drop) {
        auto* drop = static_cast<QDropEvent*>(event);
        if (takeMimeData(drop->mimeData(), QStringLiteral("dropped picture")))
            drop->acceptProposedAction();
        return true;
    }
    return QObject::eventFilter(watched, event);
}
