#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstdlib>

#include "CommandLine.h"
#include "WizardWindow.h"

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {

// Qt aborts with a long diagnostic when no display is reachable; say plainly
// what is missing instead.
bool displayReachable()
{
#if defined(Q_OS_LINUX) || defined(Q_OS_FREEBSD)
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return true;
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

// The executable is a console program so that the command line prints where
// it was typed; started from Explorer, Windows gives it a console window of
// its own, which the windows have no use for.
void dropOwnConsole()
{
#ifdef Q_OS_WIN
    DWORD processes[2];
    if (GetConsoleProcessList(processes, 2) == 1)
        FreeConsole();
#endif
}

}  // namespace

int main(int argc, char* argv[])
{
    if (isCommandLine(argc, argv))
        return runCommandLine(argc, argv);
    if (!displayReachable()) {
        std::fputs("palvorn-enemy-creator needs a graphical display for its windows, but neither DISPLAY nor "
                   "WAYLAND_DISPLAY is set; start it from a desktop session or under a virtual one, for "
                   "example: xvfb-run -a ./scripts/run.sh\n"
                   "Enemies can also be made without a display: palvorn-enemy-creator create ... "
                   "(see palvorn-enemy-creator --help).\n",
                   stderr);
        return EXIT_FAILURE;
    }
    dropOwnConsole();
    const QString file = windowsFile(argc, argv);
    // Only the program's name reaches the toolkit: every argument is ours.
    int toolkitArgc = 1;
    QApplication app(toolkitArgc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("palvorn-enemy-creator"));
    QIcon icon;
    for (const int size : {32, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1.png").arg(size));
    QApplication::setWindowIcon(icon);
    WizardWindow wizard;
    wizard.show();
    if (!file.isEmpty())
        wizard.openEnemy(file);
    return app.exec();
}
