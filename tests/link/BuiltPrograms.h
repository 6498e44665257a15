#pragma once
// Program files built the way the program builds them: NAME.asm in a fresh
// folder with copies of the built asm.sh and palvorn-8xp, then asm.sh NAME.
// Slime is the golden enemy (57 bytes); Large a program of 5000 bytes, over
// the link protocol's 2048 below which the library reports only at the end
// and several USB raw packets long.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

struct BuiltPrograms {
    QTemporaryDir dir;
    static constexpr int kLargeSize = 5000;

    QString path(const QString& file) const { return dir.filePath(file); }

    // Builds NAME.8XP from `source`; an empty string when it was built, else why not.
    QString build(const QString& name, const QByteArray& source) const
    {
        QFile::copy(QStringLiteral(PALVORN_PROGRAM_DIR "/asm.sh"), path("asm.sh"));
        QFile::copy(QStringLiteral(PALVORN_PROGRAM_DIR "/palvorn-8xp"), path("palvorn-8xp"));
        QFile asmFile(path(name + ".asm"));
        if (!asmFile.open(QIODevice::WriteOnly) || asmFile.write(source) != source.size())
            return "cannot write " + asmFile.fileName();
        asmFile.close();
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start("/bin/sh", {"asm.sh", name});
        if (!p.waitForFinished(30000) || p.exitCode() != 0 || !QFileInfo(path(name + ".8XP")).isFile()) {
            QFile log(path(name + ".log"));
            return "asm.sh failed: " + QString::fromLocal8Bit(p.readAll()) +
                   (log.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(log.readAll()) : QString());
        }
        return {};
    }

    static QByteArray golden()
    {
        QFile f(QStringLiteral(PALVORN_SOURCE_DIR "/tests/core/data/Slime.asm"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // kLargeSize bytes counting up, 16 to a .db line.
    static QByteArray large()
    {
        QByteArray source;
        for (int i = 0; i < kLargeSize; i += 16) {
            source += " .db ";
            for (int j = i; j < std::min(i + 16, kLargeSize); ++j)
                source += (j > i ? "," : "") + QByteArray::number(j % 251);
            source += "\r\n";
        }
        return source + ".end\r\nEND\r\n";
    }

    QString buildBoth() const
    {
        const QString slime = build("Slime", golden());
        return slime.isEmpty() ? build("Large", large()) : slime;
    }
};
