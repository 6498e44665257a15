// create: an enemy from options and five pictures (or one sheet), written
// and optionally built, with the checks and messages of the windows' Create.
#include <QDateTime>
#include <QDir>
#include <filesystem>
#include <vector>

#include "BuildReport.h"
#include "Create.h"
#include "Folders.h"
#include "PictureSteps.h"
#include "Rules.h"
#include "Scale.h"
#include "ScriptRunner.h"
#include "Subcommand.h"
#include "TakePicture.h"
#include "TakeSheet.h"

namespace cli {

namespace {

using palvorn::Field;
using palvorn::ValueField;
using palvorn::valueField;

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

QString q(const std::string& text)
{
    return QString::fromStdString(text);
}

QCommandLineOption option(std::string_view name, const std::string& description, const QString& value = {})
{
    return QCommandLineOption(optionName(name), q(description), value);
}

// The option of each field the value table gives one, after --name; --max-hp
// follows --min-hp, since the table keeps Max HP only through the increment.
// The help and the parser are both made from this list.
QList<QCommandLineOption> options()
{
    QList<QCommandLineOption> list;
    const QString n = QStringLiteral("N");
    list.append(option("--name", "", QStringLiteral("NAME")));
    std::string items;
    for (std::size_t i = 0; i < palvorn::kItems.size(); ++i)
        items += (i == 0 ? "" : i == 2 ? ",\n" : ", ") + std::string(palvorn::kItems[i]);
    std::string otherRanges;
    for (const ValueField& row : palvorn::kValueFields)
        if (row.slider && (row.range.minimum != palvorn::kSliderRange.minimum ||
                           row.range.maximum != palvorn::kSliderRange.maximum))
            otherRanges += (otherRanges.empty() ? "" : ", ") + std::string(row.option) + " " + rangeText(row.range);
    // The number and item fields first, then the sliders, as the settings window shows them.
    bool firstSlider = true;
    for (const bool sliders : {false, true})
        for (const ValueField& row : palvorn::kValueFields) {
            if (row.option.empty() || bool(row.slider) != sliders)
                continue;
            std::string text;
            if (row.field == Field::Item)
                text = "an item as the list shows it (any case): " + items + "; or none";
            else if (row.field == Field::Money)
                text = rangeText(row.range) + "; 0 when left out";
            else if (row.slider && firstSlider)
                text = "sliders\t" + rangeText(palvorn::kSliderRange) +
                       (otherRanges.empty() ? "" : " (" + otherRanges + ")") + "; " +
                       std::to_string(palvorn::kSliderStart) + " when left out";
            firstSlider = firstSlider && !row.slider;
            list.append(option(row.option, text, row.field == Field::Item ? QStringLiteral("ITEM") : n));
            if (row.field == Field::MinHP)
                list.append(option("--max-hp", "", n));
        }
    list.append(option("--convert",
                            "how every picture becomes its sprite: exact (only opaque pure\n"
                            "black is set), threshold (darker than --threshold),\n"
                            "floyd-steinberg, atkinson or ordered (dithers around it); left\n"
                            "out, each picture keeps the conversion it starts with: exact\n"
                            "when it has pure black, else threshold at " +
                                std::to_string(palvorn::kDefaultThreshold) + " (and always for\n"
                            "JPEG and WebP)",
                            q(modeWords("|"))));
    list.append(option("--threshold",
                            "percent of full brightness, " + rangeText({palvorn::kMinThreshold, palvorn::kMaxThreshold}) +
                                "; " + std::to_string(palvorn::kDefaultThreshold) + " when left out",
                            n));
    list.append(option("--scale", "percent of each picture's size it is shrunk to (area averaged)\n"
                                  "before the steps below, " + rangeText({palvorn::kMinScale, palvorn::kMaxScale}) +
                                      "; " + std::to_string(palvorn::kMaxScale) + " when left out",
                       QStringLiteral("PERCENT")));
    list.append(option("--fit", "each picture at the largest scale whose sprite packs into " +
                                    std::to_string(palvorn::kSizeLimit) + "\n"
                                    "bytes; refused with --scale, and for a picture too large\n"
                                    "even at " + std::to_string(palvorn::kMinScale) + " %"));
    list.append(option("--invert", "swap set and clear pixels; --flip-h flips left to right,\n"
                                        "--flip-v top to bottom, --trim removes clear rows and columns at\n"
                                        "the edges; each picture is scaled first (--scale, --fit), then\n"
                                        "these steps are done in the order convert,\n"
                                        "invert, flip-h, flip-v, trim"));
    for (const char* flip : {"--flip-h", "--flip-v", "--trim"})
        list.append(option(flip, ""));
    list.append(option("--folder", "", QStringLiteral("DIR")));
    list.append(option("--force", "replace a NAME.asm in DIR that holds another enemy; without it\n"
                                       "such a file is named and kept, and the exit status is 1"));
    list.append(option("--build", "then runs the program's build script in DIR, waits, and\n"
                                       "reports NAME.8XP or the first lines of NAME.log"));
    QCommandLineOption sheet = option("--sheet",
                                      "takes the five sprites from one picture instead: five parts side\n"
                                      "by side, each separated by a fully clear (white or transparent)\n"
                                      "column, trimmed of clear rows; or a GIF of exactly five frames",
                                      QStringLiteral("FILE"));
    sheet.setFlags(QCommandLineOption::HiddenFromHelp);
    list.append(sheet);
    return list;
}

// What a refusal of the core's checks is about: the option, or the picture
// file of a sprite.
std::string refusedInput(const palvorn::Subject& subject, const QStringList& pictures)
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
        return pictures[subject.pose].toLocal8Bit().toStdString();
    }
    return "create";
}

// The notes the picture box would show under each pose: dark pixels that
// will be clear, a picture with no set pixel. Said once every check passed.
using Notes = std::vector<std::string>;

// How create scales and converts each picture: the options given, or what
// each picture starts with when --convert is left out.
struct PoseSteps {
    palvorn::PictureSteps steps;
    bool convertGiven = false;  // --convert given: every picture gets it
    bool fit = false;           // --fit: each picture's own largest scale that fits
};

// Takes a picture's steps into pose i of enemy; 0 when kept, else the refusal.
int keepPose(palvorn::Enemy& enemy, int i, const TakenPicture& taken, const QString& picture,
             const PoseSteps& asked, Notes& notes)
{
    palvorn::PictureSteps steps = asked.steps;
    if (!asked.convertGiven) {
        steps.conversion.mode = taken.conversion.mode;
        steps.conversion.threshold = taken.conversion.threshold;
    }
    if (asked.fit) {
        const std::optional<int> scale = palvorn::fitScale(taken.picture->width(), taken.picture->height());
        if (!scale)
            return refuse(picture, "does not fit into " + std::to_string(palvorn::kSizeLimit) +
                                       " bytes even at " + std::to_string(palvorn::kMinScale) + " %");
        steps.conversion.scale = *scale;
    }
    if (!taken.picture)
        return refuse(picture, "could not be read again for converting");
    const palvorn::MarkedSprite done = palvorn::applyPictureSteps(*taken.picture, steps);
    enemy.sprites[static_cast<std::size_t>(i)] = done.sprite;
    if (const QString note = pictureNote(done.sprite, done.marked); !note.isEmpty())
        notes.push_back(std::string(kProgram) + ": " + picture.toLocal8Bit().toStdString() + ": " +
                        std::string(palvorn::poseWord(i)) + " sprite: " + note.toStdString());
    return kDone;
}

// The five poses from five pictures or one sheet; 0 when taken, else the refusal.
int takePoses(const QCommandLineParser& parser, QStringList& pictures, palvorn::Enemy& enemy,
              const PoseSteps& steps, Notes& notes)
{
    if (!parser.isSet(QStringLiteral("sheet"))) {
        if (pictures.size() != palvorn::kPoses)
            return refuse("create", "needs five pictures (normal, high attack, low attack, special attack, hurt) "
                                    "or --sheet FILE; " + std::to_string(pictures.size()) + " given");
        for (int i = 0; i < palvorn::kPoses; ++i) {
            try {
                if (const int refused = keepPose(enemy, i, takePictureFile(pictures[i]), pictures[i], steps, notes))
                    return refused;
            } catch (const PictureError& e) {
                return refuse(pictures[i], e.message().toStdString());
            }
        }
        return kDone;
    }
    const QString sheet = parser.value(QStringLiteral("sheet"));
    if (!pictures.isEmpty())
        return refuse("--sheet", "replaces the five pictures; " + std::to_string(pictures.size()) + " given as well");
    TakenPicture taken;
    try {
        taken = takePictureFile(sheet);
    } catch (const PictureError& e) {
        return refuse(sheet, e.message().toStdString());
    }
    std::optional<PosePictures> poses = gifFramePosesFile(sheet);
    if (!poses)
        poses = sheetPoses(taken);
    if (!poses)
        return refuse(sheet, "is not a pose sheet: it must hold exactly five parts side by side, each separated "
                             "from the next by a fully clear (white or transparent) column, or be a GIF of "
                             "exactly five frames");
    for (int i = 0; i < palvorn::kPoses; ++i)
        if (const int refused = keepPose(enemy, i, (*poses)[static_cast<std::size_t>(i)], sheet, steps, notes))
            return refused;
    pictures = QStringList(palvorn::kPoses, sheet);
    return kDone;
}

// The values, the item and the picture steps from the options; 0 when all
// are taken, else the refusal.
int takeOptions(const QCommandLineParser& parser, palvorn::Enemy& enemy, PoseSteps& pose)
{
    palvorn::PictureSteps& steps = pose.steps;
    palvorn::EnemySettings& s = enemy.settings;
    const QString convert = QStringLiteral("convert");
    if (parser.isSet(convert)) {
        const std::string word = parser.value(convert).toStdString();
        const auto mode = palvorn::convertModeFromWord(word);
        if (!mode)
            return refuse("--convert", inQuotes(word) + " is not a conversion; the conversions are " + modeWords(", "));
        steps.conversion.mode = *mode;
        pose.convertGiven = true;
    }
    if (auto refused = numberOption(parser, QStringLiteral("threshold"), 2,
                                    {palvorn::kMinThreshold, palvorn::kMaxThreshold}, steps.conversion.threshold))
        return *refused;
    for (const ValueField& row : palvorn::kValueFields) {
        const QString name = optionName(row.option);
        if (row.slider)
            if (auto refused = numberOption(parser, name, row.digits, row.range, s.*row.slider))
                return *refused;
        if (row.text && parser.isSet(name))
            s.*row.text = parser.value(name).toStdString();
    }
    s.name = parser.value(QStringLiteral("name")).toStdString();
    s.maxHP = parser.value(QStringLiteral("max-hp")).toStdString();
    if (parser.isSet(QStringLiteral("threshold")) && steps.conversion.mode == palvorn::ConvertMode::ExactBlack)
        return refuse("--threshold", "counts only with a --convert other than exact");
    if (auto refused = numberOption(parser, QStringLiteral("scale"), 3, {palvorn::kMinScale, palvorn::kMaxScale},
                                    steps.conversion.scale))
        return *refused;
    pose.fit = parser.isSet(QStringLiteral("fit"));
    if (pose.fit && parser.isSet(QStringLiteral("scale")))
        return refuse("--fit", "picks each picture's scale itself; give --scale or --fit, not both");
    steps.invert = parser.isSet(QStringLiteral("invert"));
    steps.flipLeftRight = parser.isSet(QStringLiteral("flip-h"));
    steps.flipTopBottom = parser.isSet(QStringLiteral("flip-v"));
    steps.trim = parser.isSet(QStringLiteral("trim"));

    // The item as the item box takes typed text (palvorn::itemFromText); "none" for no item.
    const std::string item = parser.value(optionName(valueField(Field::Item).option)).toStdString();
    if (QString::fromStdString(item).compare(QLatin1String("none"), Qt::CaseInsensitive) == 0) {
        s.item = -1;
        s.itemText = item;
        return kDone;
    }
    s.item = palvorn::itemFromText(item);
    if (s.item < 0) {
        std::string items;
        for (std::string_view entry : palvorn::kItems)
            items += std::string(entry) + ", ";
        return refuse(std::string(valueField(Field::Item).option),
                      inQuotes(item) + " is not an item; the items are " + items + "or none");
    }
    s.itemText = std::string(palvorn::kItems[static_cast<std::size_t>(s.item)]);
    return kDone;
}

int run(const QStringList& args)
{
    const Subcommand command = createCommand();
    QCommandLineParser parser;
    if (const auto refused = parseArguments(parser, command, args))
        return *refused;
    for (const QString& name : command.required)
        if (!parser.isSet(name))
            return refuse(QStringLiteral("--") + name, "is missing (see --help)");
    palvorn::Enemy enemy;
    PoseSteps steps;
    if (const int refused = takeOptions(parser, enemy, steps))
        return refused;
    QStringList pictures = parser.positionalArguments();
    Notes notes;
    if (const int refused = takePoses(parser, pictures, enemy, steps, notes))
        return refused;

    // Absolute, so that what is reported says where the file went.
    const QString folder = QDir(parser.isSet(QStringLiteral("folder")) ? parser.value(QStringLiteral("folder"))
                                                                        : QStringLiteral("."))
                               .absolutePath();
    buildscript::ScriptRun script;
    QDateTime started;
    palvorn::ScriptStarter start;
    if (parser.isSet(QStringLiteral("build")))
        start = [&](const std::string& name, const std::filesystem::path&) {
            started = QDateTime::currentDateTime();
            script = buildscript::runScript(platform::buildScript(), QString::fromStdString(name), folder);
            return script.notStarted.toStdString();
        };
    // Every run makes a new enemy: it has no file of its own yet.
    const bool force = parser.isSet(QStringLiteral("force"));
    const palvorn::Replacing replacing{{}, [force](const std::filesystem::path&) { return force; }};
    const palvorn::CreateOutcome outcome =
        palvorn::create(enemy, std::filesystem::path(folder.toStdU16String()), start, replacing);

    using Status = palvorn::CreateOutcome::Status;
    if (outcome.status == Status::Refused)
        return refuse(refusedInput(outcome.subject, pictures), outcome.text);
    if (outcome.status == Status::NotReplaced)
        return refuse(outcome.source.string(), "holds another enemy; it was kept and nothing was written "
                                               "(--force replaces it)");
    for (const std::string& note : notes)
        say(stderr, note);
    if (outcome.status == Status::NotWritten) {
        say(stderr, std::string(kProgram) + ": " + outcome.text);
        return kNotWritten;
    }
    say(stdout, "Wrote " + outcome.source.string());
    if (outcome.status == Status::NotStarted)
        say(stderr, std::string(kProgram) + ": " + outcome.text);
    if (outcome.status != Status::Started)
        return outcome.status == Status::Written ? kDone : kBuildFailed;
    const BuildReport report =
        judgeBuild(folder, QString::fromStdString(enemy.settings.name), started, script.exitStatus);
    say(report.built ? stdout : stderr, report.text.toStdString());
    return report.built ? kDone : kBuildFailed;
}

}  // namespace

Subcommand createCommand()
{
    return {"create", options, "(NORMAL HIGH LOW SPECIAL HURT | --sheet FILE)", {"name", "min-hp", "max-hp", "item"},
            "create writes NAME.asm into DIR (default: the current folder) from five sprite\n"
            "pictures (BMP, PNG, GIF, JPEG or WebP), in the order normal, high attack,\n"
            "low attack, special attack, hurt.\n",
            run};
}

}  // namespace cli
