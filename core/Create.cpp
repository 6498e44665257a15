#include "Create.h"

#include <exception>
#include <fstream>

#include "Rules.h"

namespace palvorn {

namespace {

const std::string kSpritesTitle = "Sprites";

Subject about(Field field)
{
    return {Subject::Kind::Field, field, 0};
}

Subject aboutSprite(int pose)
{
    return {Subject::Kind::Sprite, Field::MinHP, pose};
}

std::optional<Refusal> checkDigits(const std::string& text, int digits, std::string_view title,
                                   std::string_view field, Subject subject)
{
    bool onlyDigits = true;
    for (const char c : text)
        onlyDigits = onlyDigits && c >= '0' && c <= '9';
    if (onlyDigits && text.size() <= static_cast<std::size_t>(digits))
        return std::nullopt;
    return Refusal{std::string(title),
                   std::string(field) + " takes a whole number of at most " + std::to_string(digits) +
                       " digits; \"" + text + "\" is not one.",
                   subject};
}

// A number field of the value line, as its row says.
std::optional<Refusal> checkDigits(const EnemySettings& settings, const ValueField& row)
{
    return checkDigits(settings.*row.text, row.digits, row.title, row.caption, about(row.field));
}

std::optional<Refusal> checkSlider(const EnemySettings& settings, const ValueField& row)
{
    const int value = settings.*row.slider;
    if (value >= row.range.minimum && value <= row.range.maximum)
        return std::nullopt;
    return Refusal{std::string(row.title),
                   std::string(row.caption) + " must be from " + std::to_string(row.range.minimum) + " to " +
                       std::to_string(row.range.maximum) + "; it is " + std::to_string(value) + ".",
                   about(row.field)};
}

}  // namespace

std::optional<Refusal> checkSprites(const Enemy& enemy)
{
    for (int i = 0; i < kPoses; ++i) {
        const Sprite& sprite = enemy.sprites[static_cast<std::size_t>(i)];
        const std::string pose(poseWord(i));
        const Subject subject = aboutSprite(i);
        if (sprite.isEmpty())
            return Refusal{kSpritesTitle, "The " + pose + " sprite is missing.", subject};
        if (sprite.packedSize() > kSizeLimit)
            return Refusal{kSpritesTitle,
                           "The " + pose + " sprite packs into " + std::to_string(sprite.packedSize()) +
                               " bytes; the limit is " + std::to_string(kSizeLimit) + ".",
                           subject};
    }
    const Sprite& normal = enemy.sprites[0];
    if (!placementFits(placementOf(normal)))
        return Refusal{kSpritesTitle,
                       "The normal sprite is " + std::to_string(normal.width()) + " x " +
                           std::to_string(normal.height()) + " pixels; its place on the screen fits the file only up to " +
                           std::to_string(kMaxNormalWidth) + " pixels wide and " + std::to_string(kMaxNormalHeight) +
                           " high.",
                       aboutSprite(0)};
    return std::nullopt;
}

namespace {

// checkEnemy's checks; program receives the calculator name the enemy's name
// gives once that passes, so that Create checks the name only here.
std::optional<Refusal> checkGivingProgram(const Enemy& enemy, bool windowsFileNames, std::string& program)
{
    const EnemySettings& s = enemy.settings;
    const ValueField& item = valueField(Field::Item);
    const ValueField& minHP = valueField(Field::MinHP);
    const ValueField& money = valueField(Field::Money);
    if (s.itemText == kNoItemChosen)
        return Refusal{std::string(item.title), "You must select an item!", about(Field::Item)};
    if (fieldValue(s.maxHP) <= fieldValue(s.minHP))
        return Refusal{std::string(minHP.title), "Max HP must be higher than Min HP!", {Subject::Kind::HPOrder}};
    if (auto r = checkDigits(s, minHP))
        return r;
    if (auto r = checkDigits(s.maxHP, kHPDigits, minHP.title, "Max HP", {Subject::Kind::MaxHP}))
        return r;
    if (fieldValue(s.minHP) > minHP.range.maximum)
        return Refusal{std::string(minHP.title),
                       "Min HP can be at most " + std::to_string(minHP.range.maximum) +
                           ", since the calculator keeps it in one byte; it is " + s.minHP + ".",
                       about(Field::MinHP)};
    if (auto r = checkDigits(s, money))
        return r;
    if (s.item < -1 || s.item >= static_cast<int>(kItems.size()))
        return Refusal{std::string(item.title), "The item number " + std::to_string(s.item) + " names no item.",
                       about(Field::Item)};
    for (const ValueField& row : kValueFields)
        if (row.slider)
            if (auto r = checkSlider(s, row))
                return r;

    if (s.name.empty())
        return Refusal{"Robot Name", "You must enter a name!", {Subject::Kind::Name}};
    if (s.name.size() > static_cast<std::size_t>(kNameLength) || !nameAllowed(s.name, windowsFileNames) ||
        s.name == "." || s.name == "..")
        return Refusal{"Robot Name",
                       "The name \"" + s.name + "\" cannot be used: a name is at most " + std::to_string(kNameLength) +
                           " printable ASCII characters without / \\ or \"" +
                           (windowsFileNames ? std::string(" (nor : * ? < > | %)") : std::string()) +
                           ", with no space at either end.",
                       {Subject::Kind::Name}};
    const std::optional<std::string> calculator = calculatorName(s.name);
    if (!calculator)
        return Refusal{"Robot Name", "The name \"" + s.name +
                                         "\" gives no calculator program name: the calculator needs a name that "
                                         "starts with a letter, and only letters and digits count.",
                       {Subject::Kind::Name}};
    program = *calculator;
    return checkSprites(enemy);
}

}  // namespace

std::optional<Refusal> checkEnemy(const Enemy& enemy, bool windowsFileNames)
{
    std::string program;
    return checkGivingProgram(enemy, windowsFileNames, program);
}

EnemyValues fileValues(const Enemy& enemy)
{
    const EnemySettings& s = enemy.settings;
    EnemyValues v;
    v.name = s.name;
    static_cast<FightingValues&>(v) = s;
    for (const ValueField& row : kValueFields)
        if (row.text)
            v.*row.value = fieldValue(s.*row.text);
    v.increment = hpIncrement(fieldValue(s.maxHP), v.minHP);
    v.itemPosition = s.item;
    const Placement p = placementOf(enemy.sprites[0]);
    v.robotY = p.robotY;
    v.robotX = p.robotX;
    v.robotTo = p.robotTo;
    v.sprites = enemy.sprites;
    return v;
}

bool replacesAnother(const std::filesystem::path& target, const std::filesystem::path& ownFile,
                     const std::string& text)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(target, error))
        return false;  // nothing there, or nothing a write could replace (it fails and says so)
    if (!ownFile.empty() && std::filesystem::equivalent(target, ownFile, error))
        return false;
    if (std::filesystem::file_size(target, error) != text.size() || error)
        return true;
    std::ifstream in(target, std::ios::binary);
    std::string bytes(text.size(), '\0');
    return !in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())) || bytes != text;
}

CreateOutcome create(const Enemy& enemy, const std::filesystem::path& folder, const ScriptStarter& start,
                     const Replacing& replacing, bool windowsFileNames, const FolderMaker& makeFolder)
{
    using Status = CreateOutcome::Status;
    CreateOutcome outcome;
    if (const auto refusal = checkGivingProgram(enemy, windowsFileNames, outcome.programName)) {
        outcome.status = Status::Refused;
        outcome.title = refusal->title;
        outcome.text = refusal->text;
        outcome.subject = refusal->subject;
        return outcome;
    }
    // Said only when a script was asked for: without one nothing was to start.
    const std::string notStarted = start ? "\n\nThe build script was not started." : "";
    if (makeFolder)
        if (const std::string reason = makeFolder(); !reason.empty()) {
            outcome.status = Status::NotWritten;
            outcome.title = "Create";
            outcome.text = reason + notStarted;
            return outcome;
        }
    try {
        // The name passed the checks above, which refuse whatever would leave the folder.
        const std::filesystem::path target = folder / (enemy.settings.name + ".asm");
        const std::string text = sourceTextOfCheckedName(fileValues(enemy));
        if (replacesAnother(target, replacing.ownFile, text) &&
            !(replacing.mayReplace && replacing.mayReplace(target))) {
            outcome.status = Status::NotReplaced;
            outcome.source = target;
            outcome.title = "Create";
            outcome.text = target.filename().string() + " in " + folder.string() +
                           " holds another enemy; it was kept and nothing was written.";
            return outcome;
        }
        writeWhole(target, text);
        outcome.source = target;
    } catch (const WriteError& e) {
        outcome.status = Status::NotWritten;
        outcome.title = "Create";
        outcome.text = "The file " + e.path().string() + " could not be written: " + e.reason() + notStarted;
        return outcome;
    } catch (const std::exception& e) {
        // The checks above make this unreachable; still never a silent success.
        outcome.status = Status::NotWritten;
        outcome.title = "Create";
        outcome.text = std::string("The source file could not be written: ") + e.what() + notStarted;
        return outcome;
    }
    if (!start) {
        outcome.status = Status::Written;
        return outcome;
    }
    const std::string reason = start(enemy.settings.name, folder);
    if (!reason.empty()) {
        outcome.status = Status::NotStarted;
        outcome.title = "Build Script";
        outcome.text = "The build script could not be started: " + reason + "\n\nThe source file " +
                       outcome.source.string() + " was written.";
        return outcome;
    }
    outcome.status = Status::Started;
    return outcome;
}

}  // namespace palvorn
