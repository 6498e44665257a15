#include "SendProgress.h"

#include <QFileInfo>
#include <QThread>
#include <climits>

namespace {

calclink::CableFactory& cableFactory()
{
    static calclink::CableFactory factory = calclink::systemCable;
    return factory;
}

}  // namespace

void SendProgress::setCableFactory(calclink::CableFactory factory)
{
    cableFactory() = std::move(factory);
}

SendProgress::SendProgress(const QString& programFile, QWidget* parent) : QProgressDialog(parent)
{
    setObjectName(QStringLiteral("SendProgress"));
    setWindowTitle(QStringLiteral("Send to Calculator"));
    setLabelText(QStringLiteral("Sending %1\u2026").arg(QFileInfo(programFile).fileName()));
    setWindowModality(Qt::WindowModal);
    setAutoReset(false);
    setAutoClose(false);
    setMinimumDuration(0);
    setRange(0, 0);  // busy until the library counts
    connect(this, &QProgressDialog::canceled, this, [this] {
        cancel_->store(true);
        setLabelText(QStringLiteral("Cancelling\u2026"));
    });

    const std::filesystem::path file(programFile.toStdU16String());
    const calclink::CableFactory factory = cableFactory();
    worker_ = QThread::create([this, file, factory, cancel = cancel_] {
        const calclink::ProgressFn progress = [this, cancel](const calclink::Progress& p) {
            QMetaObject::invokeMethod(this, "showProgress", Qt::QueuedConnection, Q_ARG(quint32, p.done),
                                      Q_ARG(quint32, p.total));
            return !cancel->load();
        };
        outcome_ = calclink::sendProgram(file, {}, progress, factory);
    });
    connect(worker_, &QThread::finished, this, &SendProgress::finish);
    worker_->start();
    show();
}

SendProgress::~SendProgress()
{
    cancel_->store(true);
    worker_->wait();
    delete worker_;
}

void SendProgress::showProgress(quint32 done, quint32 total)
{
    if (total == 0 || cancel_->load())
        return;  // still uncounted (the busy bar stays), or being cancelled
    // The library counts in its own units; the bar takes ints.
    setMaximum(int(std::min<quint32>(total, INT_MAX)));
    setValue(int(std::min(done, total)));
}

void SendProgress::finish()
{
    hide();
    emit sent(outcome_.failure == calclink::Failure::None, QString::fromStdString(outcome_.message));
}
