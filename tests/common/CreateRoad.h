#pragma once
// The road to "Create" as a user travels it: pictures into the wizard from
// the clipboard, "Finish", the Slime settings typed into the settings window,
// the "Create" button; and a build launcher that records each start and
// plays the build script's part instead of running one.

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <array>
#include <cstdlib>
#include <functional>

#include "FileBytes.h"
#include "Platform.h"
#include "SettingsFixture.h"
#include "SettingsWindow.h"
#include "SlimePictures.h"
#include "SpritesWindow.h"
#include "WizardWindow.h"

namespace road {

using ::readAll;
using ::writeFile;

// The 24 fields of the value line of an enemy file, as written.
inline QList<QByteArray> valueFields(const QString& path)
{
    QByteArray line = readAll(path).split('\n').value(4);
    line.chop(1);  // CR
    if (!line.startsWith(" .db "))
        return {};
    return line.mid(5).split(',');
}

// What the event loop does between two clicks of a user: windows closed on
// the way are gone by the next click.
inline void returnToEventLoop()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

inline void click(QWidget* window, const char* button)
{
    QTest::mouseClick(control<QPushButton>(window, button), Qt::LeftButton);
}

// The picture on the clipboard, taken in at the wizard's current step.
inline void takeFromClipboard(WizardWindow* wizard, const QImage& picture)
{
    QGuiApplication::clipboard()->setImage(picture);
    click(wizard, "ClipboardBut");
}

// Steps 1 to 5 from the clipboard with Next in between; ends at step 5
// without pressing Finish.
inline void takeInAll(WizardWindow* wizard, const std::array<QImage, 5>& pictures = slimePictures())
{
    for (int step = 1; step <= 5; ++step) {
        takeFromClipboard(wizard, pictures[step - 1]);
        if (step < 5)
            click(wizard, "NextBut");
    }
}

// Presses "Finish"; the settings window it opened, or nullptr.
inline SettingsWindow* finish(WizardWindow* wizard)
{
    click(wizard, "FinishBut");
    SettingsWindow* settings = wizard->settingsWindow();
    return settings && settings->isVisible() ? settings : nullptr;
}

// Walks the wizard back (negative) or forward by that many steps.
inline void walk(WizardWindow* wizard, int steps)
{
    for (int i = 0; i < std::abs(steps); ++i)
        click(wizard, steps < 0 ? "BackBut" : "NextBut");
}

inline void chooseItem(SettingsWindow* settings, int downPresses)
{
    auto* item = control<QComboBox>(settings, "cmbItem");
    item->setFocus();
    for (int i = 0; i < downPresses; ++i)
        QTest::keyClick(item, Qt::Key_Down);
}

// Moves a slider from wherever it is by that many single steps of the keyboard.
inline void moveSlider(SettingsWindow* settings, const char* name, int steps)
{
    auto* slider = control<QSlider>(settings, name);
    slider->setFocus();
    for (int i = 0; i < std::abs(steps); ++i)
        QTest::keyClick(slider, steps < 0 ? Qt::Key_Left : Qt::Key_Right);
}

// The Slime enemy of tests/core/data/Slime.asm, typed in as a user does on
// a freshly opened settings window.
inline void enterSlime(SettingsWindow* settings)
{
    replaceText(control<QLineEdit>(settings, "CharName"), QStringLiteral("Slime"));
    chooseItem(settings, 2);  // "Heal Leaf"
    replaceText(control<QLineEdit>(settings, "txtMinHP"), QStringLiteral("20"));
    replaceText(control<QLineEdit>(settings, "txtMaxHP"), QStringLiteral("65"));  // increment 5
    replaceText(control<QLineEdit>(settings, "txtRobotMoney"), QStringLiteral("15"));
    moveSlider(settings, "LowDefSlider", -1);
    moveSlider(settings, "UpAtkSlider", 1);
    moveSlider(settings, "LowAtkSlider", -2);
    moveSlider(settings, "SpecAtkSlider", 2);
    moveSlider(settings, "BlksSlider", -2);
}

inline void clickCreate(SettingsWindow* settings)
{
    click(settings, "CreateBut");
}

// One start of the build script as the launcher was asked for it.
struct Start {
    QString script;
    QString argument;
    QString folder;
    QString statusFile;
};

// Installs itself as the script launcher; restores the real one when
// destroyed. Each start is recorded, then `build` (if set) plays the
// script's part; its answer is the launcher's (empty: started).
class FakeLauncher {
public:
    using Build = std::function<QString(const Start&)>;

    explicit FakeLauncher(Build build = {}) : build_(std::move(build))
    {
        platform::setScriptLauncher(
            [this](const QString& script, const QString& argument, const QString& folder, const QString& status) {
                starts.append({script, argument, folder, status});
                return build_ ? build_(starts.last()) : QString();
            });
    }
    ~FakeLauncher() { platform::setScriptLauncher({}); }
    FakeLauncher(const FakeLauncher&) = delete;
    FakeLauncher& operator=(const FakeLauncher&) = delete;

    void setBuild(Build build) { build_ = std::move(build); }

    QList<Start> starts;

private:
    Build build_;
};

}  // namespace road
