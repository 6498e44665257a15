#pragma once
// Sending NAME.8XP from the windows: the transfer runs on a worker thread
// (the link libraries block for seconds), this dialog shows how far it is
// (a busy bar until the library counts, which for a small program is only
// at the end) and its Cancel asks the transfer to stop.

#include <QProgressDialog>
#include <QString>
#include <atomic>
#include <memory>

#include "CableFactory.h"

class QThread;

class SendProgress : public QProgressDialog {
    Q_OBJECT

public:
    // Starts sending `programFile` and shows the dialog; sent() comes once,
    // when the transfer has ended however it ended.
    SendProgress(const QString& programFile, QWidget* parent);
    // Cancels a transfer still running and waits for it.
    ~SendProgress() override;

    // Where transfers take their cable from: the system's by default; tests
    // put a fake calculator there.
    static void setCableFactory(calclink::CableFactory factory);

signals:
    // ok when sent; message is what to show either way.
    void sent(bool ok, const QString& message);

private slots:
    void showProgress(quint32 done, quint32 total);
    void finish();

private:
    QThread* worker_ = nullptr;
    std::shared_ptr<std::atomic<bool>> cancel_ = std::make_shared<std::atomic<bool>>(false);
    calclink::Outcome outcome_;  // written by the worker, read once it has finished
};
