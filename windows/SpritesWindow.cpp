#include "SpritesWindow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTimer>

#include "BuildReport.h"
#include "Export.h"
#include "Platform.h"
#include "Remembered.h"
#include "Render.h"
#include "Rules.h"
#include "SendProgress.h"

namespace {

const QSize kCopyBox(96, 72);        // each copy is scaled as the picture box scales it
constexpr int kBuildPollMs = 200;    // how often a running build is looked at

}  // namespace

SpritesWindow::SpritesWindow(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("PicMatrix"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Sprites"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));

    auto* grid = new QGridLayout(this);
    for (int i = 0; i < palvorn::kPoses; ++i) {
        CopySprite[i] = new QLabel(this);
        CopySprite[i]->setObjectName(QStringLiteral("CopySprite%1").arg(i + 1));
        CopySprite[i]->setFixedSize(kCopyBox);
        CopySprite[i]->setAlignment(Qt::AlignCenter);
        CopyCaption[i] = new QLabel(this);
        CopyCaption[i]->setObjectName(QStringLiteral("CopyCaption%1").arg(i + 1));
        CopyCaption[i]->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    }
    // Copies 1 to 4 side by side, copy 5 below copy 1, each with its pose
    // and packed size under it; "Ok" at the bottom right, below them all,
    // with "Open Folder" beside it.
    for (int column = 0; column < 4; ++column) {
        grid->addWidget(CopySprite[column], 0, column);
        grid->addWidget(CopyCaption[column], 1, column);
    }
    grid->addWidget(CopySprite[4], 2, 0);
    grid->addWidget(CopyCaption[4], 3, 0);

    SourcePath = new QLabel(this);
    SourcePath->setObjectName(QStringLiteral("SourcePath"));
    SourcePath->setTextInteractionFlags(Qt::TextSelectableByMouse);
    SourcePath->setWordWrap(true);
    grid->addWidget(SourcePath, 4, 0, 1, 4);
    BuildStatus = new QLabel(this);
    BuildStatus->setObjectName(QStringLiteral("BuildStatus"));
    BuildStatus->setTextInteractionFlags(Qt::TextSelectableByMouse);
    BuildStatus->setWordWrap(true);
    BuildStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(BuildStatus, 5, 0, 1, 4);
    grid->setRowStretch(5, 1);
    // The bottom row: "Export..." with its scale at the left, "Open Folder"
    // beside "Ok" at the right.
    auto* buttons = new QHBoxLayout;
    ExportBut = new QPushButton(QStringLiteral("Export..."), this);
    ExportBut->setObjectName(QStringLiteral("ExportBut"));
    ExportBut->setToolTip(QStringLiteral("Save the poses as one sheet, the battle sketch or the calculator screen"));
    buttons->addWidget(ExportBut);
    ExportScale = new QSpinBox(this);
    ExportScale->setObjectName(QStringLiteral("ExportScale"));
    ExportScale->setRange(exporting::kMinScale, exporting::kMaxScale);
    ExportScale->setValue(exporting::kDefaultScale);
    ExportScale->setPrefix(QStringLiteral("Scale "));
    ExportScale->setSuffix(QStringLiteral("\u00d7"));
    ExportScale->setToolTip(QStringLiteral("Screen pixels a pixel, for the battle animation and the calculator screen"));
    buttons->addWidget(ExportScale);
    SendBut = new QPushButton(QStringLiteral("Send to Calculator"), this);
    SendBut->setObjectName(QStringLiteral("SendBut"));
    SendBut->setToolTip(calclink::available()
                            ? QStringLiteral("Send the built program to a calculator connected by its USB cable or a SilverLink")
                            : QString::fromStdString(calclink::unavailableReason()));
    SendBut->setEnabled(false);
    buttons->addWidget(SendBut);
    buttons->addStretch(1);
    OpenFolderBut = new QPushButton(QStringLiteral("Open Folder"), this);
    OpenFolderBut->setObjectName(QStringLiteral("OpenFolderBut"));
    buttons->addWidget(OpenFolderBut);
    OkBut = new QPushButton(QStringLiteral("Ok"), this);
    OkBut->setObjectName(QStringLiteral("OkBut"));
    buttons->addWidget(OkBut);
    grid->addLayout(buttons, 6, 0, 1, 4, Qt::AlignBottom);

    buildTimer_ = new QTimer(this);
    buildTimer_->setInterval(kBuildPollMs);
    connect(buildTimer_, &QTimer::timeout, this, &SpritesWindow::checkBuild);
    connect(OkBut, &QPushButton::clicked, this, &SpritesWindow::finishEnemy);
    connect(OpenFolderBut, &QPushButton::clicked, this, &SpritesWindow::openFolder);
    connect(ExportBut, &QPushButton::clicked, this, &SpritesWindow::exportWritten);
    connect(SendBut, &QPushButton::clicked, this, &SpritesWindow::sendProgram);

    resize(sizeHint().expandedTo(QSize(369, 207)));
    remembered::restoreGeometry(this);
}

void SpritesWindow::closeEvent(QCloseEvent* event)
{
    remembered::saveGeometry(this);
    QWidget::closeEvent(event);
}

SpritesWindow::~SpritesWindow() = default;

void SpritesWindow::showWritten(const palvorn::Enemy& enemy, const palvorn::CreateOutcome& outcome)
{
    written_ = enemy;
    const auto pictures = render::renderPoses(enemy.sprites, kCopyBox);
    for (int i = 0; i < palvorn::kPoses; ++i) {
        const auto index = static_cast<std::size_t>(i);
        CopySprite[i]->setPixmap(pictures[index].isNull() ? QPixmap() : QPixmap::fromImage(pictures[index]));
        CopyCaption[i]->setText(QStringLiteral("%1 (%2)")
                                    .arg(QString::fromLatin1(palvorn::poseWord(i).data()),
                                         QString::fromStdString(palvorn::byteCount(enemy.sprites[index].packedSize()))));
    }
    const QFileInfo source(QString::fromStdU16String(outcome.source.u16string()));
    writtenFolder_ = source.absolutePath();
    SourcePath->setText(QStringLiteral("Wrote %1").arg(QDir::toNativeSeparators(source.filePath())));
    OpenFolderBut->setToolTip(QDir::toNativeSeparators(writtenFolder_));
    showBuildLines({});
    programFile_.clear();
    updateSendBut();
}

QString SpritesWindow::newStatusFile()
{
    buildTimer_->stop();
    statusDir_ = std::make_unique<QTemporaryDir>();
    return statusDir_->isValid() ? statusDir_->filePath(QStringLiteral("status")) : QString();
}

void SpritesWindow::watchBuild(const QString& folder, const QString& name, const QDateTime& started)
{
    folder_ = folder;
    name_ = name;
    started_ = started;
    showBuildLines(QStringLiteral("Building %1.8XP\u2026").arg(name));
    programFile_.clear();  // held until this build is judged
    updateSendBut();
    buildTimer_->start();
}

void SpritesWindow::showNotStarted(const QString& reason)
{
    buildTimer_->stop();
    showBuildLines(QStringLiteral("Build failed:\nthe build script could not be started: %1").arg(reason));
}

QString SpritesWindow::buildStatus() const
{
    return BuildStatus->text();
}

void SpritesWindow::checkBuild()
{
    if (!statusDir_)
        return;
    QFile statusFile(statusDir_->filePath(QStringLiteral("status")));
    if (!statusFile.open(QIODevice::ReadOnly))
        return;  // still running
    const QByteArray status = statusFile.readAll().trimmed();
    if (status.isEmpty())
        return;  // being written
    buildTimer_->stop();

    bool isNumber = false;
    const int exitStatus = status.toInt(&isNumber);
    const BuildReport report = judgeBuild(folder_, name_, started_, isNumber ? exitStatus : -1);
    showBuildLines(report.text);
    if (report.built)
        programFile_ = QDir(folder_).filePath(name_ + QStringLiteral(".8XP"));
    updateSendBut();
}

void SpritesWindow::showNotWritten(const QString& reason)
{
    buildTimer_->stop();  // an earlier build's outcome no longer belongs here
    SourcePath->setText(QStringLiteral("Nothing was written."));
    showBuildLines(reason);
    programFile_.clear();
    updateSendBut();
}

void SpritesWindow::showBuildLines(const QString& lines)
{
    buildReport_ = lines;
    BuildStatus->setText(lines);
}

void SpritesWindow::updateSendBut()
{
    SendBut->setEnabled(calclink::available() && !programFile_.isEmpty() && !sending_);
}

void SpritesWindow::sendProgram()
{
    if (sending_ || programFile_.isEmpty())
        return;
    sending_ = new SendProgress(programFile_, this);
    connect(sending_, &SendProgress::sent, this, &SpritesWindow::showSent);
    updateSendBut();
}

void SpritesWindow::showSent(bool, const QString& message)
{
    sending_->deleteLater();
    sending_ = nullptr;
    BuildStatus->setText(buildReport_ + QLatin1Char('\n') + message);
    updateSendBut();
}

void SpritesWindow::openFolder()
{
    if (!platform::openFolder(writtenFolder_))
        platform::warn(this, QStringLiteral("Open Folder"),
                       QStringLiteral("The folder %1 could not be opened: no file manager took it.")
                           .arg(QDir::toNativeSeparators(writtenFolder_)));
}

void SpritesWindow::exportWritten()
{
    using exporting::Kind;
    QStringList filters;
    for (const Kind kind : exporting::kKinds)
        filters << exporting::filterText(kind);
    const QString name = QString::fromStdString(written_.settings.name);
    platform::SaveFileRequest request{QStringLiteral("Export"), QDir(writtenFolder_).filePath(name),
                                      filters.join(QStringLiteral(";;")), QString(), filters[0]};
    QString path = platform::saveFile(this, request);
    if (path.isEmpty())
        return;  // cancelled
    const auto chosen = std::max<qsizetype>(0, filters.indexOf(request.selectedFilter));
    const Kind kind = exporting::kKinds[std::size_t(chosen)];
    // The filter's extension when the name has none, so the file opens as what it is.
    if (QFileInfo(path).suffix().isEmpty())
        path += QLatin1Char('.') + exporting::suffix(kind);
    const QString message = exporting::writeExport(kind, written_, ExportScale->value(), path);
    if (!message.isEmpty())
        platform::warn(this, QStringLiteral("Export"), message);
}

void SpritesWindow::finishEnemy()
{
    close();
    emit okClicked();
}
