#pragma once
// A calculator program file (.8XP) read by hand, byte by byte, without the
// calculator file library: what the tests compare the library's work with.

#include <QByteArray>
#include <QString>

inline quint16 le16(const QByteArray& b, qsizetype at)
{
    return quint16(quint8(b[at]) | quint8(b[at + 1]) << 8);
}

// One program variable as read from an .8XP file by hand, without the library.
struct Program {
    QString error;  // empty when the file is sound
    QByteArray name;
    quint8 type = 0;
    QByteArray data;  // the variable's data: length word and body
};

inline Program readProgram(const QByteArray& file)
{
    Program p;
    constexpr qsizetype headerSize = 8 + 3 + 42 + 2;
    if (file.size() < headerSize + 17 + 2)
        return p.error = "file too short", p;
    if (file.left(8) != "**TI83F*")
        return p.error = "bad signature", p;
    if (file.mid(8, 3) != QByteArray("\x1A\x0A\x00", 3))
        return p.error = "bad signature tail", p;
    const quint16 sectionSize = le16(file, 53);
    if (headerSize + sectionSize + 2 != file.size())
        return p.error = QString("data section of %1 bytes in a file of %2").arg(sectionSize).arg(file.size()), p;
    const QByteArray section = file.mid(headerSize, sectionSize);
    quint32 sum = 0;
    for (const char c : section)
        sum += quint8(c);
    if (quint16(sum) != le16(file, headerSize + sectionSize))
        return p.error = "bad checksum", p;
    // The one entry: header length 13, data length, type, name[8], version,
    // flag, data length again, data.
    if (le16(section, 0) != 13)
        return p.error = "unexpected entry header length", p;
    const quint16 size = le16(section, 2);
    if (le16(section, 15) != size || 17 + size != section.size())
        return p.error = "inconsistent data length", p;
    p.type = quint8(section[4]);
    p.name = section.mid(5, 8);
    while (p.name.endsWith('\0'))
        p.name.chop(1);
    p.data = section.mid(17, size);
    return p;
}

// The length word the calculator keeps before a program's body.
inline QByteArray withLengthWord(const QByteArray& body)
{
    return QByteArray(1, char(body.size() & 0xFF)) + char(body.size() >> 8) + body;
}
