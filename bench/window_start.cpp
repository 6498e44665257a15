// window_start bare|wizard: starts Qt, shows one window, and quits as soon as
// it has been shown and the event loop is idle. bench_startup times it.
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <cstring>
#include <memory>

#include "WizardWindow.h"

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    const bool wizard = argc > 1 && std::strcmp(argv[1], "wizard") == 0;
    std::unique_ptr<QWidget> window = wizard ? std::make_unique<WizardWindow>() : std::make_unique<QWidget>();
    if (!wizard)
        window->resize(600, 320);
    window->show();
    QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
