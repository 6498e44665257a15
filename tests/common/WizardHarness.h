#pragma once
// What the wizard tests share: a shown wizard window, its controls by name,
// recognisable test pictures, and tidying up the windows it opens.

#include <QApplication>
#include <QImage>
#include <QTest>
#include <QWidget>
#include <memory>

#include "SettingsWindow.h"
#include "WizardWindow.h"
#include "SpritesWindow.h"

namespace harness {

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

// Closing a window discards it; the discarding may wait for the event loop.
inline bool otherWindowsGone()
{
    SettingsWindow::closeIfOpen();
    SpritesWindow::closeIfOpen();
    return QTest::qWaitFor([] { return !SettingsWindow::existing() && !SpritesWindow::existing(); });
}

}  // namespace harness
