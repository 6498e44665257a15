#include "Create.h"

#include <exception>
#include <fstream>
#include <tuple>

#include "Rules.h"

namespace palvorn {

namespace {

const std::string kSpritesTitle = "Sprites";

std::optional<Refusal> checkDigits(const std::string& text, std::size_t digits, const std::string& title,
                                   const std::string& field, const std::string& subject)
{
    bool onlyDigits = true;
    for (const char c : text)
        onlyDigits = onlyDigits && c >= '0' && c <= '9';
    if (onlyDigits && text.size() <= digits)
        return std::nullopt;
    return Refusal{title,
                   field + " takes a whole number of at most " + std::to_string(digits) + " digits; \"" + text +
                       "\" is not one.",
                   subject};
}

std::optional<Refusal> checkSlider(int value, SliderRange range, const std::string& name, const std::string& subject)
{
    if (value >= range.minimum && value <= range.maximum)
        return std::nullopt;
    return Refusal{"Fighting Values",
                   name + " must be from " + std::to_string(range.minimum) + " to " + std::to_string(range.maximum) +
                       "; it is " + std::to_string(value) + ".",
                   subject};
}

}  // namespace

std::optional<Refusal> checkSprites(const Enemy& enemy)
{
    for (int i = 0; i < kPoses; ++i) {
        const Sprite& sprite = enemy.sprites[static_cast<std::size_t>(i)];
        const std::string pose(poseWord(i));
        const std::string subject = "sprite" + std::to_string(i + 1);
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
                       "sprite1"};
    return std::nullopt;
}

std::optional<Refusal> checkEnemy(const Enemy& enemy, bool windowsFileNames)
{
    const EnemySettings& s = enemy.settings;
    if (s.itemText == kNoItemChosen)
        return Refusal{"Select Item", "You must select an item!", "item"};
    if (fieldValue(s.maxHP) <= fieldValue(s.minHP))
        return Refusal{"Figuring HP", "Max HP must be higher than Min HP!", "hp"};
    if (auto r = checkDigits(s.minHP, 3, "Figuring HP", "Min HP", "min-hp"))
        return r;
    if (auto r = checkDigits(s.maxHP, 3, "Figuring HP", "Max HP", "max-hp"))
        return r;
    if (fieldValue(s.minHP) > kByteMax)
        return Refusal{"Figuring HP",
                       "Min HP can be at most " + std::to_string(kByteMax) +
                           ", since the calculator keeps it in one byte; it is " + s.minHP + ".",
                       "min-hp"};
    if (auto r = checkDigits(s.money, 2, "Base Money", "Base Money", "money"))
        return r;
    if (s.item < -1 || s.item >= static_cast<int>(kItems.size()))
        return Refusal{"Select Item", "The item number " + std::to_string(s.item) + " names no item.", "item"};
    const std::tuple<int, const char*, const char*> sliders[] = {
        {s.highDefense, "High Defense", "high-defense"}, {s.lowDefense, "Low Defense", "low-defense"},
        {s.highAttack, "High Attack", "high-attack"},    {s.lowAttack, "Low Attack", "low-attack"},
        {s.specialAttack, "Special Attack", "special-attack"}, {s.attacks, "Attacks", "attacks"}};
    for (const auto& [value, name, subject] : sliders)
        if (auto r = checkSlider(value, kSliderRange, name, subject))
            return r;
    if (auto r = checkSlider(s.blockChance, kBlockChanceRange, "Block Chance", "block-chance"))
        return r;

    if (s.name.empty())
        return Refusal{"Robot Name", "You must enter a name!", "name"};
    if (s.name.size() > static_cast<std::size_t>(kNameLength) || !nameAllowed(s.name, windowsFileNames) ||
        s.name == "." || s.name == "..")
        return Refusal{"Robot Name",
                       "The name \"" + s.name + "\" cannot be used: a name is at most " + std::to_string(kNameLength) +
                           " printable ASCII characters without / \\ or \"" +
                           (windowsFileNames ? std::string(" (nor : * ? < > | %)") : std::string()) +
                           ", with no space at either end.",
                       "name"};
    if (!calculatorName(s.name))
        return Refusal{"Robot Name", "The name \"" + s.name +
                                         "\" gives no calculator program name: the calculator needs a name that "
                                         "starts with a letter, and only letters and digits count.",
                       "name"};
    return checkSprites(enemy);
}

EnemyValues fileValues(const Enemy& enemy)
{
    const EnemySettings& s = enemy.settings;
    EnemyValues v;
    v.name = s.name;
    v.minHP = fieldValue(s.minHP);
    v.increment = hpIncrement(fieldValue(s.maxHP), v.minHP);
    v.highDefense = s.highDefense;
    v.lowDefense = s.lowDefense;
    v.highAttack = s.highAttack;
    v.lowAttack = s.lowAttack;
    v.specialAttack = s.specialAttack;
    v.blockChance = s.blockChance;
    v.attacks = s.attacks;
    v.itemPosition = s.item;
    v.money = fieldValue(s.money);
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
                     const Replacing& replacing, bool windowsFileNames)
{
    using Status = CreateOutcome::Status;
    CreateOutcome outcome;
    if (const auto refusal = checkEnemy(enemy, windowsFileNames)) {
        outcome.status = Status::Refused;
        outcome.title = refusal->title;
        outcome.text = refusal->text;
        outcome.subject = refusal->subject;
        return outcome;
    }
    outcome.programName = *calculatorName(enemy.settings.name);
    try {
        const std::filesystem::path target = EnemySourcePath(folder, enemy.settings.name);
        if (replacesAnother(target, replacing.ownFile, EnemySourceText(fileValues(enemy))) &&
            !(replacing.mayReplace && replacing.mayReplace(target))) {
            outcome.status = Status::NotReplaced;
            outcome.source = target;
            outcome.title = "Create";
            outcome.text = target.filename().string() + " in " + folder.string() +
                           " holds another enemy; it was kept and nothing was written.";
            return outcome;
        }
        outcome.source = WriteEnemySource(folder, fileValues(enemy));
    } catch (const WriteError& e) {
        outcome.status = Status::NotWritten;
        outcome.title = "Create";
        outcome.text = "The file " + e.path().string() + " could not be written: " + e.reason() +
                       "\n\nThe build script was not started.";
        return outcome;
    } catch (const std::exception& e) {
        // The checks above make this unreachable; still never a silent success.
        outcome.status = Status::NotWritten;
        outcome.title = "Create";
        outcome.text = std::string("The source file could not be written: ") + e.what() +
                       "\n\nThe build script was not started.";
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
