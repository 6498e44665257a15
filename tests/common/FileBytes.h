#pragma once
// A file's bytes, read or written whole, for tests that compare files.

#include <QByteArray>
#include <QFile>
#include <QString>

// The file's bytes; a text naming the file when it cannot be read, so that a
// comparison with it fails and says why.
inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "(cannot read " + path.toUtf8() + ")";
    return file.readAll();
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}
