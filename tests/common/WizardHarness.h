#pragma once
// What the wizard tests share: a shown wizard window, its controls by name,
// recognisable test pictures, and tidying up the windows it opens.

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QWidget>
#include <memory>

#include "PictureIntake.h"
#include "SettingsWindow.h"
#include "WizardWindow.h"
#include "SpritesWindow.h"

namespace harness {

// Every intake in the tests is applied before the call that started it
// returns, so that a test reads its outcome right after; the tests of the
// intake's waiting turn this off for themselves.
inline const bool kIntakeWaits = [] {
    PictureIntake::setWaitForEachIntake(true);
    return true;
}();

template <class T>
T* control(QWidget* window, const char* name)
{
    return window->findChild<T*>(QLatin1String(name));
}

// White with black top and bottom rows and one black dot: a picture whose
// pixels show when it was cropped, flipped or replaced.
inline QImage testSprite(int width, int height)
{
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(Qt::white);
    for (int x = 0; x < width; ++x) {
        picture.setPixel(x, 0, qRgb(0, 0, 0));
        picture.setPixel(x, height - 1, qRgb(0, 0, 0));
    }
    picture.setPixel(width / 3, height / 2, qRgb(0, 0, 0));
    return picture;
}

inline std::unique_ptr<WizardWindow> showWizard()
{
    auto wizard = std::make_unique<WizardWindow>();
    wizard->show();
    if (!QTest::qWaitForWindowExposed(wizard.get()))
        return nullptr;
    return wizard;
}

// The open (shown) top-level window of that class, or nullptr.
template <class T>
T* openWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* window = qobject_cast<T*>(widget); window && window->isVisible())
            return window;
    return nullptr;
}

// Closing a window discards it; the discarding may wait for the event loop.
inline bool otherWindowsGone()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (qobject_cast<SettingsWindow*>(widget) || qobject_cast<SpritesWindow*>(widget))
            widget->close();
    return QTest::qWaitFor([] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (qobject_cast<SettingsWindow*>(widget) || qobject_cast<SpritesWindow*>(widget))
                return false;
        return true;
    });
}

}  // namespace harness
