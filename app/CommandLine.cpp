#include "CommandLine.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "BuildReport.h"
#include "Create.h"
#include "Enemy.h"
#include "EnemyReader.h"
#include "EnemyText.h"
#include "Folders.h"
#include "ScriptRunner.h"
#include "ValueLine.h"
#include "Rules.h"
#include "SpriteOps.h"
#include "TakePicture.h"
#include "TakeSheet.h"
#include "Export.h"
#include "SendCommand.h"

namespace {

constexpr int kDone = 0;
constexpr int kRefused = 1;
constexpr int kNotWritten = 2;
constexpr int kBuildFailed = 3;

constexpr const char* kProgram = "palvorn-enemy-creator";
constexpr const char* kLicence =
    "License GPL-3.0-or-later: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.";

using palvorn::Field;
using palvorn::ValueField;
using palvorn::valueField;

// "--money     0 to 99": an option and what it takes, in the help's columns.
std::string helpLine(std::string_view option, const std::string& text)
{
    std::string line = "  " + std::string(option);
    line.resize(std::max<std::size_t>(line.size() + 1, 14), ' ');
    return line + text + "\n";
}

std::string rangeText(palvorn::SliderRange range)
{
    return std::to_string(range.minimum) + " to " + std::to_string(range.maximum);
}

// The conversions' words as the help and the refusals list them.
std::string modeWords(std::string_view between)
{
    std::string words;
    for (int m = 0; m < palvorn::kConvertModes; ++m)
        words += (m ? std::string(between) : std::string()) +
                 std::string(palvorn::convertModeWord(static_cast<palvorn::ConvertMode>(m)));
    return words;
}

// The help, with the options and ranges the value line's fields give.
std::string usage()
{
    const std::string minHP(valueField(Field::MinHP).option);
    const std::string money(valueField(Field::Money).option);
    const std::string item(valueField(Field::Item).option);
    std::string text = "usage:\n"
                       "  palvorn-enemy-creator create --name NAME " +
                       minHP + " N --max-hp N [" + money + " N] " + item + " ITEM\n";
    // The fighting values, four to a line; those of another range named.
    int onLine = 0;
    std::string otherRanges;
    for (const ValueField& row : palvorn::kValueFields) {
        if (!row.slider)
            continue;
        text += (onLine == 0 ? "      " : " ") + ("[" + std::string(row.option) + " N]");
        if (++onLine == 4) {
            text += "\n";
            onLine = 0;
        }
        if (row.range.minimum != palvorn::kSliderRange.minimum || row.range.maximum != palvorn::kSliderRange.maximum)
            otherRanges += (otherRanges.empty() ? "" : ", ") + std::string(row.option) + " " + rangeText(row.range);
    }
    if (onLine != 0)
        text += "\n";
    text += "      [--convert " + modeWords("|") + "] [--threshold N]\n"
            "      [--invert] [--flip-h] [--flip-v] [--trim]\n"
            "      [--folder DIR] [--force] [--build] (NORMAL HIGH LOW SPECIAL HURT | --sheet FILE)\n"
            "  palvorn-enemy-creator show FILE\n"
            "  palvorn-enemy-creator export sheet|battle|screen FILE.asm OUT [--scale N]\n" +
            std::string(sendUsage()) +
            "  palvorn-enemy-creator --help | --version\n"
            "  palvorn-enemy-creator [FILE.asm]\n"
            "\n"
            "Without arguments the program opens its windows; with one existing file it\n"
            "opens the windows with that enemy, as Open does.\n"
            "\n"
            "create writes NAME.asm into DIR (default: the current folder) from five sprite\n"
            "pictures (BMP, PNG or GIF; pure opaque black pixels are set unless --convert\n"
            "says otherwise), in the order normal, high attack, low attack, special\n"
            "attack, hurt.\n";
    text += helpLine(item, "an item as the list shows it (any case): Potion, Heal Leaf,");
    text += "              Full Heal, STR Apple, DEF Apple, BLK Apple; or none\n";
    text += helpLine(money, rangeText(valueField(Field::Money).range) + "; 0 when left out");
    text += helpLine("sliders", rangeText(palvorn::kSliderRange) +
                                    (otherRanges.empty() ? std::string() : " (" + otherRanges + ")") + "; " +
                                    std::to_string(palvorn::kSliderStart) + " when left out");
    text += helpLine("--convert", "how each picture becomes its sprite: exact (the default: only");
    text += "              opaque pure black is set), threshold (darker than --threshold),\n"
            "              floyd-steinberg, atkinson or ordered (dithers around it); all\n"
            "              but exact need a picture of at most " +
            std::to_string(kMaxKeptPixels) + " pixels\n";
    text += helpLine("--threshold", "percent of full brightness, " + std::to_string(palvorn::kMinThreshold) + " to " +
                                        std::to_string(palvorn::kMaxThreshold) + "; " +
                                        std::to_string(palvorn::kDefaultThreshold) + " when left out");
    text += helpLine("--invert", "swap set and clear pixels; --flip-h flips left to right,");
    text += "              --flip-v top to bottom, --trim removes clear rows and columns at\n"
            "              the edges; applied to all five pictures in the order convert,\n"
            "              invert, flip-h, flip-v, trim\n";
    text += helpLine("--force", "replace a NAME.asm in DIR that holds another enemy; without it");
    text += "              such a file is named and kept, and the exit status is 1\n";
    text += helpLine("--build", "then runs the program's build script in DIR, waits, and");
    text += "              reports NAME.8XP or the first lines of NAME.log\n";
    text += helpLine("--sheet", "takes the five sprites from one picture instead: five parts side");
    text += "              by side, each separated by a fully clear (white or transparent)\n"
            "              column, trimmed of clear rows; or a GIF of exactly five frames\n"
            "show prints an enemy source file's name, values and sprites.\n"
            "export writes, from an enemy source file, the five poses as one sheet (PNG,\n"
            "8 clear columns apart), the battle sketch as an animated GIF, or the\n"
            "calculator screen with the normal sprite (PNG).\n"
            "send sends NAME.8XP (or the NAME.8XP beside NAME.asm) to a calculator over\n"
            "its USB cable or a SilverLink; --cable and --calc choose when more than one\n"
            "is connected (default auto: the first calculator found).\n";
    text += helpLine("--scale", std::to_string(exporting::kMinScale) + " to " + std::to_string(exporting::kMaxScale) +
                                    " screen pixels a pixel, battle and screen; " +
                                    std::to_string(exporting::kDefaultScale) + " when left out");
    text += "\n"
            "Exit status: 0 done, 1 refused input, 2 the file could not be written,\n"
            "3 the build failed, 4 the cable or the calculator failed (send).\n";
    return text;
}

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

// What a refusal of the core's checks is about: the option, or the picture
// file of a sprite.
std::string refusedInput(const palvorn::Subject& subject, const std::vector<std::string>& pictures)
{
    using Kind = palvorn::Subject::Kind;
    switch (subject.kind) {
    case Kind::Name:
        return "--name";
    case Kind::HPOrder:
    case Kind::MaxHP:
        return "--max-hp";
    case Kind::Field:
        return std::string(valueField(subject.field).option);
    case Kind::Sprite:
        return pictures[static_cast<std::size_t>(subject.pose)];
    }
    return "create";
}

// The row a command-line option sets, or nullptr.
const ValueField* fieldOfOption(const std::string& option)
{
    for (const ValueField& row : palvorn::kValueFields)
        if (!row.option.empty() && option == row.option)
            return &row;
    return nullptr;
}

// What create does to each picture after taking it, in this order:
// convert, invert, flip left to right, flip top to bottom, trim.
struct PictureSteps {
    palvorn::Conversion conversion;
    bool invert = false;
    bool flipH = false;
    bool flipV = false;
    bool trim = false;
};

// The steps done to a taken picture, its marks following its pixels so that
// the notes count what the final sprite leaves clear. A refusal's text when
// the picture was not kept and so cannot be converted.
std::optional<std::string> applySteps(TakenPicture& taken, const PictureSteps& steps)
{
    using palvorn::Sprite;
    if (steps.conversion.mode != palvorn::ConvertMode::ExactBlack) {
        if (!taken.picture) {
            const std::string size =
                std::to_string(taken.sprite.width()) + " x " + std::to_string(taken.sprite.height());
            if (qint64(taken.sprite.width()) * taken.sprite.height() > kMaxKeptPixels)
                return "is " + size + " pixels, over the " + std::to_string(kMaxKeptPixels) +
                       " a picture may have to be converted; only --convert exact takes it";
            return "could not be read again for converting; only --convert exact takes it";
        }
        palvorn::Converted converted = palvorn::convert(*taken.picture, steps.conversion);
        taken.sprite = std::move(converted.sprite);
        taken.marked = std::move(converted.marked);
    }
    const auto both = [&taken](Sprite (*op)(const Sprite&)) {
        taken.sprite = op(taken.sprite);
        taken.marked = op(taken.marked);
    };
    if (steps.invert)
        taken.sprite = palvorn::inverted(taken.sprite);
    if (steps.flipH)
        both(palvorn::flippedLeftRight);
    if (steps.flipV)
        both(palvorn::flippedTopBottom);
    // A sprite with no set pixel has nothing to trim to and stays whole.
    if (const palvorn::PixelRect bounds = palvorn::setBounds(taken.sprite); steps.trim && !bounds.isEmpty()) {
        taken.sprite = palvorn::cropped(taken.sprite, bounds);
        taken.marked = palvorn::cropped(taken.marked, bounds);
    }
    return std::nullopt;
}

// The value of --threshold: 1 to 99 in at most two digits; none otherwise.
std::optional<int> thresholdValue(const std::string& value)
{
    if (value.empty() || value.size() > 2 ||
        !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int number = std::stoi(value);
    if (number < palvorn::kMinThreshold || number > palvorn::kMaxThreshold)
        return std::nullopt;
    return number;
}

// Puts a taken picture into pose i, saying what the picture box would note
// under it: dark pixels that will be clear, a picture with no set pixel.
void keepPose(palvorn::Enemy& enemy, int i, const TakenPicture& taken, const std::string& picture)
{
    enemy.sprites[static_cast<std::size_t>(i)] = taken.sprite;
    const QString note = pictureNote(taken.sprite, taken.marked);
    if (!note.isEmpty())
        say(stderr, std::string(kProgram) + ": " + picture + ": " + std::string(palvorn::poseWord(i)) +
                        " sprite: " + note.toStdString());
}

// The five poses from one picture into enemy; 0 when taken, else the refusal.
int takeSheet(const std::string& path, palvorn::Enemy& enemy, const PictureSteps& steps)
{
    const QString file = QString::fromLocal8Bit(path.c_str());
    TakenPicture taken;
    try {
        taken = takePictureFile(file);
    } catch (const PictureError& e) {
        return refuse(path, e.message().toStdString());
    }
    std::optional<PosePictures> poses = gifFramePosesFile(file);
    if (!poses)
        poses = sheetPoses(taken);
    if (!poses)
        return refuse(path, "is not a pose sheet: it must hold exactly five parts side by side, each separated "
                            "from the next by a fully clear (white or transparent) column, or be a GIF of "
                            "exactly five frames");
    for (int i = 0; i < palvorn::kPoses; ++i) {
        TakenPicture& pose = (*poses)[static_cast<std::size_t>(i)];
        if (const auto refusal = applySteps(pose, steps))
            return refuse(path, *refusal);
        keepPose(enemy, i, pose, path);
    }
    return kDone;
}

int create(const std::vector<std::string>& args)
{
    palvorn::Enemy enemy;
    palvorn::EnemySettings& s = enemy.settings;
    s.itemText.clear();
    std::optional<std::string> name, minHP, maxHP, item;
    std::string folder = ".";
    bool build = false;
    bool force = false;
    std::vector<std::string> pictures;
    PictureSteps steps;
    bool thresholdGiven = false;
    std::optional<std::string> sheet;

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        bool* const flag = arg == "--build"    ? &build
                           : arg == "--force"  ? &force
                           : arg == "--invert" ? &steps.invert
                           : arg == "--flip-h" ? &steps.flipH
                           : arg == "--flip-v" ? &steps.flipV
                           : arg == "--trim"   ? &steps.trim
                                               : nullptr;
        if (flag) {
            *flag = true;
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
        const ValueField* row = fieldOfOption(option);
        if (option == "--name") {
            name = value;
        } else if (option == "--max-hp") {
            maxHP = value;
        } else if (option == "--folder") {
            folder = value;
        } else if (option == "--convert") {
            const auto mode = palvorn::convertModeFromWord(value);
            if (!mode)
                return refuse(option, "\"" + value + "\" is not a conversion; the conversions are " + modeWords(", "));
            steps.conversion.mode = *mode;
        } else if (option == "--threshold") {
            const auto threshold = thresholdValue(value);
            if (!threshold)
                return refuse(option, "takes a whole number from " + std::to_string(palvorn::kMinThreshold) + " to " +
                                          std::to_string(palvorn::kMaxThreshold) + "; \"" + value + "\" is not one");
            steps.conversion.threshold = *threshold;
            thresholdGiven = true;
        } else if (option == "--sheet") {
            sheet = value;
        } else if (row && row->field == Field::Item) {
            item = value;
        } else if (row && row->text) {
            s.*row->text = value;
            if (row->field == Field::MinHP)
                minHP = value;
        } else if (row && row->slider) {
            const int number = palvorn::fieldValue(value);
            if (value.empty() || value.size() > static_cast<std::size_t>(row->digits) ||
                number < row->range.minimum || number > row->range.maximum)
                return refuse(option, "takes a whole number from " + rangeText(row->range) + "; \"" + value +
                                          "\" is not one");
            s.*row->slider = number;
        } else {
            return refuse(option, "is not an option of create (see --help)");
        }
    }
    for (const auto& [given, option] :
         {std::pair{&name, std::string_view("--name")}, std::pair{&minHP, valueField(Field::MinHP).option},
          std::pair{&maxHP, std::string_view("--max-hp")}, std::pair{&item, valueField(Field::Item).option}})
        if (!*given)
            return refuse(std::string(option), "is missing (see --help)");
    if (thresholdGiven && steps.conversion.mode == palvorn::ConvertMode::ExactBlack)
        return refuse("--threshold", "counts only with a --convert other than exact");
    s.name = *name;
    s.maxHP = *maxHP;

    // The item as the item box takes typed text (palvorn::itemFromText); "none" for no item.
    if (lower(*item) == "none") {
        s.item = -1;
        s.itemText = *item;
    } else {
        s.item = palvorn::itemFromText(*item);
        if (s.item < 0) {
            std::string items;
            for (std::string_view entry : palvorn::kItems)
                items += std::string(entry) + ", ";
            return refuse(std::string(valueField(Field::Item).option),
                          "\"" + *item + "\" is not an item; the items are " + items + "or none");
        }
        s.itemText = std::string(palvorn::kItems[static_cast<std::size_t>(s.item)]);
    }

    if (sheet) {
        if (!pictures.empty())
            return refuse("--sheet", "replaces the five pictures; " + std::to_string(pictures.size()) +
                                         " given as well");
        if (const int refused = takeSheet(*sheet, enemy, steps))
            return refused;
        pictures.assign(palvorn::kPoses, *sheet);
    } else {
        if (pictures.size() != palvorn::kPoses)
            return refuse("create", "needs five pictures (normal, high attack, low attack, special attack, hurt) "
                                    "or --sheet FILE; " +
                                        std::to_string(pictures.size()) + " given");
        for (int i = 0; i < palvorn::kPoses; ++i) {
            const std::string& picture = pictures[static_cast<std::size_t>(i)];
            TakenPicture taken;
            try {
                taken = takePictureFile(QString::fromLocal8Bit(picture.c_str()));
            } catch (const PictureError& e) {
                return refuse(picture, e.message().toStdString());
            }
            if (const auto refusal = applySteps(taken, steps))
                return refuse(picture, *refusal);
            keepPose(enemy, i, taken, picture);
        }
    }

    // Absolute, so that what is reported says where the file went.
    const QString folderPath = QDir(QString::fromLocal8Bit(folder.c_str())).absolutePath();
    const QString script = platform::buildScript();
    buildscript::ScriptRun run;
    QDateTime started;
    palvorn::ScriptStarter start;
    if (build)
        start = [&](const std::string& enemyName, const std::filesystem::path&) {
            started = QDateTime::currentDateTime();
            run = buildscript::runScript(script, QString::fromStdString(enemyName), folderPath);
            return run.notStarted.toStdString();
        };
    // Every run makes a new enemy: it has no file of its own yet.
    const palvorn::Replacing replacing{{}, [force](const std::filesystem::path&) { return force; }};
    const palvorn::CreateOutcome outcome =
        palvorn::create(enemy, std::filesystem::path(folderPath.toStdU16String()), start, replacing);

    using Status = palvorn::CreateOutcome::Status;
    switch (outcome.status) {
    case Status::Refused:
        return refuse(refusedInput(outcome.subject, pictures), outcome.text);
    case Status::NotReplaced:
        return refuse(outcome.source.string(), "holds another enemy; it was kept and nothing was written "
                                               "(--force replaces it)");
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

int exportCommand(const std::vector<std::string>& args)
{
    std::vector<std::string> words;
    int scale = exporting::kDefaultScale;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--scale" || arg.rfind("--scale=", 0) == 0) {
            std::string value;
            if (arg != "--scale")
                value = arg.substr(8);
            else if (i + 1 < args.size())
                value = args[++i];
            else
                return refuse("--scale", "needs a value");
            scale = palvorn::fieldValue(value);
            if (value.empty() || value.size() > 1 || scale < exporting::kMinScale || scale > exporting::kMaxScale)
                return refuse("--scale", "takes a whole number from " + std::to_string(exporting::kMinScale) +
                                             " to " + std::to_string(exporting::kMaxScale) + "; \"" + value +
                                             "\" is not one");
        } else if (arg.rfind("--", 0) == 0) {
            return refuse(arg, "is not an option of export (see --help)");
        } else {
            words.push_back(arg);
        }
    }
    if (words.size() != 3)
        return refuse("export", "takes what to write (sheet, battle or screen), an enemy source file and the "
                                "file to write; " +
                                    std::to_string(words.size()) + " given");
    const std::optional<exporting::Kind> kind = exporting::kindOfWord(QString::fromStdString(words[0]));
    if (!kind)
        return refuse("export", "\"" + words[0] + "\" is not sheet, battle or screen");
    palvorn::Enemy enemy;
    try {
        enemy = palvorn::readEnemyFile(std::filesystem::path(QString::fromLocal8Bit(words[1].c_str()).toStdU16String()));
    } catch (const palvorn::ReadError& e) {
        return refuse(words[1], e.what());
    } catch (const palvorn::EnemyFileError& e) {
        return refuse(words[1], e.reason());
    }
    const QString message = exporting::writeExport(*kind, enemy, scale, QString::fromLocal8Bit(words[2].c_str()));
    if (!message.isEmpty()) {
        say(stderr, std::string(kProgram) + ": " + message.toStdString());
        return kNotWritten;
    }
    say(stdout, "Wrote " + words[2]);
    return kDone;
}

}  // namespace

bool isCommandLine(int argc, char* argv[])
{
    return argc >= 2 && windowsFile(argc, argv).isEmpty();
}

QString windowsFile(int argc, char* argv[])
{
    if (argc != 2)
        return {};
    const std::string first = argv[1];
    if (first == "create" || first == "show" || first == "export" || first == "send" || first.rfind('-', 0) == 0)
        return {};
    const QString path = QString::fromLocal8Bit(argv[1]);
    return QFileInfo(path).isFile() ? path : QString();
}

int runCommandLine(int argc, char* argv[])
{
    // No display is needed: only the non-graphical part of Qt is started.
    QCoreApplication app(argc, argv);
    const std::string command = argv[1];
    const std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "--help" || command == "-h") {
        std::fputs(usage().c_str(), stdout);
        return kDone;
    }
    if (command == "--version") {
        say(stdout, std::string(kProgram) + " " + PALVORN_VERSION + "\n" + kLicence);
        return kDone;
    }
    if (command == "create")
        return create(args);
    if (command == "show")
        return show(args);
    if (command == "export")
        return exportCommand(args);
    if (command == "send")
        return runSend(QCoreApplication::arguments().mid(2));
    say(stderr, std::string(kProgram) + ": \"" + command + "\" is " +
                    (command.rfind('-', 0) == 0 ? "not an option" : "neither a command nor an existing file") +
                    " (see --help)");
    std::fputs(usage().c_str(), stderr);
    return kRefused;
}
