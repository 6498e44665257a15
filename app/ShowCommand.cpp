// show: an enemy source file's name, values and sprites as text.
#include <cstdio>

#include "EnemyText.h"
#include "Subcommand.h"

namespace cli {

namespace {

int run(const QStringList& args)
{
    QCommandLineParser parser;
    if (const auto refused = parseArguments(parser, showCommand(), args))
        return *refused;
    const QStringList files = parser.positionalArguments();
    if (files.size() != 1)
        return refuse("show", "takes one enemy source file");
    palvorn::Enemy enemy;
    if (const int refused = readEnemyArgument(files[0], enemy))
        return refused;
    std::fputs(palvorn::describeEnemy(enemy).c_str(), stdout);
    return kDone;
}

}  // namespace

Subcommand showCommand()
{
    return {"show", [] { return QList<QCommandLineOption>(); }, "FILE", {}, "show prints an enemy source file's name, values and sprites.\n", run};
}

}  // namespace cli
