#include "CommandLine.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "BuildReport.h"
#include "Create.h"
#include "Enemy.h"
#include "EnemyReader.h"
#include "EnemyText.h"
#include "ScriptRunner.h"
#include "Rules.h"
#include "TakePicture.h"

namespace {

constexpr int kDone = 0;
constexpr int kRefused = 1;
constexpr int kNotWritten = 2;
constexpr int kBuildFailed = 3;

constexpr const char* kProgram = "palvorn-enemy-creator";

const char* const kUsage =
    "usage:\n"
    "  palvorn-enemy-creator create --name NAME --min-hp N --max-hp N [--money N] --item ITEM\n"
    "      [--high-defense N] [--low-defense N] [--high-attack N] [--low-attack N]\n"
    "      [--special-attack N] [--block-chance N] [--attacks N]\n"
    "      [--folder DIR] [--build] NORMAL HIGH LOW SPECIAL HURT\n"
    "  palvorn-enemy-creator show FILE\n"
    "  palvorn-enemy-creator --help | --version\n"
    "\n"
    "Without arguments the program opens its windows.\n"
    "\n"
    "create writes NAME.asm into DIR (default: the current folder) from five sprite\n"
    "pictures (BMP, PNG or GIF; pure opaque black pixels are set), in the order\n"
    "normal, high attack, low attack, special attack, hurt.\n"
    "  --item      an item as the list shows it (any case): Potion, Heal Leaf,\n"
    "              Full Heal, STR Apple, DEF Apple, BLK Apple; or none\n"
    "  --money     0 to 99; 0 when left out\n"
    "  sliders     1 to 9 (--block-chance 2 to 9); 5 when left out\n"
    "  --build     then runs the program folder's build script in DIR, waits, and\n"
    "              reports NAME.8XP or the first lines of NAME.log\n"
    "show prints an enemy source file's name, values and sprites.\n"
    "\n"
    "Exit status: 0 done, 1 refused input, 2 the file could not be written,\n"
    "3 the build failed.\n";

void say(std::FILE* stream, const std::string& text)
{
    std::fputs(text.c_str(), stream);
    std::fputc('\n', stream);
}

int refuse(const std::string& what, const std::string& message)
{
    say(stderr, std::string(kProgram) + ": " + what + ": " + message);
    return kRefused;
}

std::string lower(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The option a refusal of the core's checks is about.
std::string optionOf(const std::string& subject)
{
    if (subject == "hp")
        return "--max-hp";
    return "--" + subject;
}

struct SliderOption {
    const char* name;
    int palvorn::EnemySettings::*value;
    palvorn::SliderRange range;
};

const SliderOption kSliders[] = {
    {"--high-defense", &palvorn::EnemySettings::highDefense, palvorn::kSliderRange},
    {"--low-defense", &palvorn::EnemySettings::lowDefense, palvorn::kSliderRange},
    {"--high-attack", &palvorn::EnemySettings::highAttack, palvorn::kSliderRange},
    {"--low-attack", &palvorn::EnemySettings::lowAttack, palvorn::kSliderRange},
    {"--special-attack", &palvorn::EnemySettings::specialAttack, palvorn::kSliderRange},
    {"--block-chance", &palvorn::EnemySettings::blockChance, palvorn::kBlockChanceRange},
    {"--attacks", &palvorn::EnemySettings::attacks, palvorn::kSliderRange},
};


int create(const std::vector<std::string>& args)
{
    palvorn::Enemy enemy;
    palvorn::EnemySettings& s = enemy.settings;
    s.itemText.clear();
    std::optional<std::string> name, minHP, maxHP, item;
    std::string folder = ".";
    bool build = false;
    std::vector<std::string> pictures;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--build") {
            build = true;
            continue;
        }
        if (arg.rfind("--", 0) != 0 || arg == "--") {
            if (arg == "--")
                pictures.insert(pictures.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
            else
                pictures.push_back(arg);
            if (arg == "--")
                break;
            continue;
        }
        std::string option = arg;
        std::string value;
        if (const auto eq = arg.find('='); eq != std::string::npos) {
            option = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return refuse(option, "needs a value");
        }
        if (option == "--name") {
            name = value;
        } else if (option == "--min-hp") {
            minHP = value;
        } else if (option == "--max-hp") {
            maxHP = value;
        } else if (option == "--money") {
            s.money = value;
        } else if (option == "--item") {
            item = value;
        } else if (option == "--folder") {
            folder = value;
        } else {
            const SliderOption* slider = nullptr;
            for (const SliderOption& candidate : kSliders)
                if (option == candidate.name)
                    slider = &candidate;
            if (!slider)
                return refuse(option, "is not an option of create (see --help)");
            const int number = palvorn::fieldValue(value);
            if (value.empty() || value.size() > 1 || number < slider->range.minimum ||
                number > slider->range.maximum)
                return refuse(option, "takes a whole number from " + std::to_string(slider->range.minimum) + " to " +
                                          std::to_string(slider->range.maximum) + "; \"" + value + "\" is not one");
            s.*slider->value = number;
        }
    }
    for (const auto& [given, option] : {std::pair{&name, "--name"}, std::pair{&minHP, "--min-hp"},
                                        std::pair{&maxHP, "--max-hp"}, std::pair{&item, "--item"}})
        if (!*given)
            return refuse(option, "is missing (see --help)");
    s.name = *name;
    s.minHP = *minHP;
    s.maxHP = *maxHP;

    // The item as the list shows it, in any case; "none" for no item.
    if (lower(*item) == "none") {
        s.item = -1;
        s.itemText = *item;
    } else {
        s.item = -2;
        for (std::size_t position = 0; position < palvorn::kItems.size(); ++position)
            if (lower(*item) == lower(std::string(palvorn::kItems[position])))
                s.item = static_cast<int>(position);
        if (s.item < 0)
            return refuse("--item", "\"" + *item +
                                        "\" is not an item; the items are Potion, Heal Leaf, Full Heal, STR Apple, "
                                        "DEF Apple, BLK Apple, or none");
        s.itemText = std::string(palvorn::kItems[static_cast<std::size_t>(s.item)]);
    }

    if (pictures.size() != palvorn::kPoses)
        return refuse("create", "needs five pictures (normal, high attack, low attack, special attack, hurt); " +
                                    std::to_string(pictures.size()) + " given");
    for (int i = 0; i < palvorn::kPoses; ++i) {
        const QString file = QString::fromLocal8Bit(pictures[static_cast<std::size_t>(i)].c_str());
        try {
            enemy.sprites[static_cast<std::size_t>(i)] = takePictureFile(file).sprite;
        } catch (const PictureError& e) {
            return refuse(pictures[static_cast<std::size_t>(i)], e.message().toStdString());
        }
    }

    // Absolute, so that what is reported says where the file went.
    const QString folderPath = QDir(QString::fromLocal8Bit(folder.c_str())).absolutePath();
    const QString script = QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(palvorn::kBuildScript));
    buildscript::ScriptRun run;
    QDateTime started;
    palvorn::ScriptStarter start;
    if (build)
        start = [&](const std::string& enemyName, const std::filesystem::path&) {
            started = QDateTime::currentDateTime();
            run = buildscript::runScript(script, QString::fromStdString(enemyName), folderPath);
            return run.notStarted.toStdString();
        };
    const palvorn::CreateOutcome outcome =
        palvorn::create(enemy, std::filesystem::path(folderPath.toStdU16String()), start);

    using Status = palvorn::CreateOutcome::Status;
    switch (outcome.status) {
    case Status::Refused: {
        std::string what = optionOf(outcome.subject);
        if (outcome.subject.rfind("sprite", 0) == 0)
            what = pictures[static_cast<std::size_t>(outcome.subject.back() - '1')];
        return refuse(what, outcome.text);
    }
    case Status::NotWritten:
        say(stderr, std::string(kProgram) + ": " + outcome.text);
        return kNotWritten;
    case Status::NotStarted:
        say(stdout, "Wrote " + outcome.source.string());
        say(stderr, std::string(kProgram) + ": " + outcome.text);
        return kBuildFailed;
    case Status::Written:
        say(stdout, "Wrote " + outcome.source.string());
        return kDone;
    case Status::Started:
        break;
    }
    say(stdout, "Wrote " + outcome.source.string());

    const BuildReport report = judgeBuild(folderPath, QString::fromStdString(s.name), started, run.exitStatus);
    say(report.built ? stdout : stderr, report.text.toStdString());
    return report.built ? kDone : kBuildFailed;
}

int show(const std::vector<std::string>& args)
{
    if (args.size() != 1)
        return refuse("show", "takes one enemy source file");
    try {
        const palvorn::Enemy enemy =
            palvorn::readEnemyFile(std::filesystem::path(QString::fromLocal8Bit(args[0].c_str()).toStdU16String()));
        std::fputs(palvorn::describeEnemy(enemy).c_str(), stdout);
        return kDone;
    } catch (const palvorn::ReadError& e) {
        return refuse(args[0], e.what());
    } catch (const palvorn::EnemyFileError& e) {
        return refuse(args[0], e.reason());
    }
}

}  // namespace

bool isCommandLine(int argc, char* argv[])
{
    if (argc < 2)
        return false;
    const std::string first = argv[1];
    // Anything else that starts with "-" is left to the windows' toolkit
    // (-platform, -style ...).
    return first == "--help" || first == "-h" || first == "--version" || first[0] != '-';
}

int runCommandLine(int argc, char* argv[])
{
    // No display is needed: only the non-graphical part of Qt is started.
    QCoreApplication app(argc, argv);
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "--help" || command == "-h") {
        std::fputs(kUsage, stdout);
        return kDone;
    }
    if (command == "--version") {
        say(stdout, std::string(kProgram) + " " + PALVORN_VERSION);
        return kDone;
    }
    if (command == "create")
        return create(args);
    if (command == "show")
        return show(args);
    say(stderr, std::string(kProgram) + ": unknown command \"" + command + "\"");
    std::fputs(kUsage, stderr);
    return kRefused;
}
