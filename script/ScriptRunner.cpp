#include "ScriptRunner.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace buildscript {

namespace {

// Why the script cannot be started, or an empty string. The interpreter
// would start and then fail on its own, unseen; a script that is not there
// must be reported before.
QString scriptMissing(const QString& script)
{
    const QFileInfo info(script);
    const QString shown = QDir::toNativeSeparators(script);
    if (!info.exists())
        return shown + QStringLiteral(" does not exist");
    if (!info.isFile())
        return shown + QStringLiteral(" is not a file");
    if (!info.isReadable())
        return shown + QStringLiteral(" cannot be read");
    return {};
}

// The process that runs the script in folder with the name as its one
// argument, hidden and without input; with a status file, the process also
// writes the script's exit status there when it ends.
void prepareScript(QProcess& process, const QString& script, const QString& argument, const QString& folder,
                   const QString& statusFile)
{
#ifdef Q_OS_WIN
    // cmd.exe runs the batch file, then records its exit status; "call" makes
    // the status the batch file's, and the caret delays the expansion until then.
    process.setProgram(QStringLiteral("cmd.exe"));
    QString command = QStringLiteral("call \"%1\" %2").arg(QDir::toNativeSeparators(script), batchArgument(argument));
    if (!statusFile.isEmpty())
        command += QStringLiteral(" & call echo %^errorlevel%> \"%1\"").arg(QDir::toNativeSeparators(statusFile));
    process.setNativeArguments(QStringLiteral("/d /c \"%1\"").arg(command));
    process.setCreateProcessArgumentsModifier([](QProcess::CreateProcessArguments* args) {
        args->flags |= CREATE_NO_WINDOW;
    });
#else
    // No shell parses the name: it reaches the script as one argument. The
    // outer shell only waits for the script and records how it ended.
    process.setProgram(QStringLiteral("/bin/sh"));
    if (statusFile.isEmpty())
        process.setArguments({script, argument});
    else
        process.setArguments({QStringLiteral("-c"), QStringLiteral("/bin/sh \"$1\" \"$2\"; echo $? > \"$3\""),
                              QStringLiteral("palvorn-build"), script, argument, statusFile});
#endif
    process.setWorkingDirectory(folder);
    process.setStandardInputFile(QProcess::nullDevice());
}

}  // namespace

QString launchDetached(const QString& script, const QString& argument, const QString& folder,
                       const QString& statusFile)
{
    if (const QString missing = scriptMissing(script); !missing.isEmpty())
        return missing;
    QProcess process;
    prepareScript(process, script, argument, folder, statusFile);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    if (!process.startDetached())
        return QDir::toNativeSeparators(script) + QStringLiteral(": ") + process.errorString();
    return {};
}

ScriptRun runScript(const QString& script, const QString& argument, const QString& folder)
{
    ScriptRun run;
    run.notStarted = scriptMissing(script);
    if (!run.notStarted.isEmpty())
        return run;
    QProcess process;
    prepareScript(process, script, argument, folder, QString());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start();
    if (!process.waitForStarted(-1)) {
        run.notStarted = QDir::toNativeSeparators(script) + QStringLiteral(": ") + process.errorString();
        return run;
    }
    process.waitForFinished(-1);
    run.exitStatus = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return run;
}

QString batchArgument(const QString& name)
{
    // cmd.exe splits words at these and gives the rest their own meaning.
    static const QString special = QStringLiteral(" \t,;=&|<>()^!'`+[]{}~");
    for (const QChar c : name)
        if (special.contains(c))
            return QLatin1Char('"') + name + QLatin1Char('"');
    return name.isEmpty() ? QStringLiteral("\"\"") : name;
}

}  // namespace buildscript
