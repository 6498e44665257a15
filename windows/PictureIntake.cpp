#include "PictureIntake.h"

#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include "EnemyModel.h"
#include "Platform.h"
#include "Remembered.h"
#include "SheetQuestion.h"
#include "Widgets.h"

namespace {

const QString kPicturesFilter = QStringLiteral("Pictures (*.bmp *.png *.gif)");
const QString kBitmapsFilter = QStringLiteral("Bitmaps (.bmp) (*.bmp)");
const QString kAllFilter = QStringLiteral("All files (*)");

// Keys of what is remembered between runs.
const QString kPictureFolderKey = QStringLiteral("pictures/folder");
const QString kPictureFilterKey = QStringLiteral("pictures/filter");

}  // namespace

PictureIntake::PictureIntake(EnemyModel& model, QWidget* window, std::function<int()> pose)
    : QObject(window), model_(model), window_(window), pose_(std::move(pose))
{
}

void PictureIntake::takeIn(const TakenPicture& taken, const QString& what)
{
    const int pose = pose_();
    const bool marksFit = taken.marked.width() == taken.sprite.width() && taken.marked.height() == taken.sprite.height();
    const bool keep = taken.picture && taken.picture->width() == taken.sprite.width() &&
                      taken.picture->height() == taken.sprite.height();
    palvorn::PoseState after{taken.sprite, marksFit ? taken.marked : palvorn::Sprite{}, model_.pose(pose).source};
    after.source.picture = keep ? taken.picture : nullptr;
    // The picture's starting mode at its own size, with the pose's threshold.
    after.source.conversion.mode = taken.conversion.mode;
    after.source.conversion.scale = taken.conversion.scale;
    if (keep && after.source.conversion != taken.conversion) {
        palvorn::Converted converted = palvorn::convert(*taken.picture, after.source.conversion);
        after.sprite = std::move(converted.sprite);
        after.marked = std::move(converted.marked);
    }
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
    for (const char* format : {"image/png", "image/gif", "image/bmp", "image/x-bmp"}) {
        if (data->hasFormat(QLatin1String(format))) {
            take([&] { return takePictureData(data->data(QLatin1String(format)), QString()); }, what,
                 [&] { return gifFramePoses(data->data(QLatin1String(format))); });
            return true;
        }
    }
    if (data->hasImage()) {
        const QImage picture = qvariant_cast<QImage>(data->imageData());
        take([&] { return takeImage(picture); }, what);
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
    take([&] { return takePictureFile(path); }, QFileInfo(path).fileName(), [&] { return gifFramePosesFile(path); });
}

void PictureIntake::take(const std::function<TakenPicture()>& taker, const QString& what,
                         const std::function<std::optional<PosePictures>()>& frames)
{
    TakenPicture taken;
    try {
        taken = taker();
    } catch (const PictureError& e) {
        platform::warn(window_, widgets::caption(), e.message());
        return;
    }
    if (auto poses = askSheet(window_, widgets::caption(), taken, frames)) {
        model_.apply(std::make_unique<palvorn::PosesChange>(
            QStringLiteral("%1 into the five poses").arg(what).toStdString(), model_.document(), std::move(*poses),
            pose_()));
        return;
    }
    takeIn(taken, what);
}

bool PictureIntake::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::DragEnter) {
        auto* drag = static_cast<QDragEnterEvent*>(event);
        const QMimeData* data = drag->mimeData();
        bool welcome = data->hasImage();
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
