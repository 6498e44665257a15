// export: the sheet, the battle sketch or the screen of an enemy source file.
#include <QFileInfo>

#include "Export.h"
#include "Subcommand.h"

namespace cli {

namespace {

const QString kScale = QStringLiteral("scale");

QList<QCommandLineOption> options()
{
    return {QCommandLineOption(
        kScale,
        QStringLiteral("%1 to %2 screen pixels a pixel, battle and screen; %3 when left out")
            .arg(exporting::kMinScale)
            .arg(exporting::kMaxScale)
            .arg(exporting::kDefaultScale),
        QStringLiteral("N"))};
}

int run(const QStringList& args)
{
    QCommandLineParser parser;
    if (const auto refused = parseArguments(parser, exportCommand(), args))
        return *refused;
    int scale = exporting::kDefaultScale;
    if (const auto refused =
            numberOption(parser, kScale, 1, {exporting::kMinScale, exporting::kMaxScale}, scale))
        return *refused;
    const QStringList words = parser.positionalArguments();
    if (words.size() != 3)
        return refuse("export", "takes what to write (sheet, battle or screen), an enemy source file and the "
                                "file to write; " + std::to_string(words.size()) + " given");
    const std::optional<exporting::Kind> kind = exporting::kindOfWord(words[0]);
    if (!kind)
        return refuse("export", inQuotes(words[0].toStdString()) + " is not sheet, battle or screen");
    palvorn::Enemy enemy;
    if (const int refused = readEnemyArgument(words[1], enemy))
        return refused;
    // A name without an extension gets the kind's, as the save dialog gives it.
    QString out = words[2];
    if (QFileInfo(out).suffix().isEmpty())
        out += QLatin1Char('.') + exporting::suffix(*kind);
    const QString message = exporting::writeExport(*kind, enemy, scale, out);
    if (!message.isEmpty()) {
        say(stderr, std::string(kProgram) + ": " + message.toStdString());
        return kNotWritten;
    }
    say(stdout, "Wrote " + out.toLocal8Bit().toStdString());
    return kDone;
}

}  // namespace

Subcommand exportCommand()
{
    return {"export", options, "sheet|battle|screen FILE.asm OUT", {},
            "export writes, from an enemy source file, the five poses as one sheet (PNG,\n"
            "8 clear columns apart), the battle sketch as an animated GIF, or the\n"
            "calculator screen with the normal sprite (PNG).\n",
            run};
}

}  // namespace cli
