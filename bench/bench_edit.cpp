// One pen stroke of 100 points in the wizard's picture box, through the
// real mouse events, the enemy's undo history and the repaint of the
// picture box and the screen preview; against a plain copy of the pixels
// those two repaints put on screen. The goal (a stroke under 4 ms) and the
// ratio are printed at the end.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <iostream>
#include <memory>
#include <string>

#include "MeanReporter.h"
#include "ScreenPreview.h"
#include "SpriteView.h"
#include "WizardWindow.h"

namespace {

constexpr int kPoints = 100;
constexpr double kLimitMicroseconds = 4000;

struct Wizard {
    std::unique_ptr<WizardWindow> window;
    SpriteView* box = nullptr;
    ScreenPreview* screen = nullptr;
};

// The wizard as it starts, shown, holding a blank side × side sprite.
Wizard wizardWithSprite(int side)
{
    Wizard w{std::make_unique<WizardWindow>(), nullptr, nullptr};
    w.window->show();
    w.window->takeIn(palvorn::Sprite(side, side));
    QApplication::processEvents();
    w.box = w.window->findChild<SpriteView*>(QStringLiteral("Sprite"));
    w.screen = w.window->findChild<ScreenPreview*>(QStringLiteral("ScreenPreview"));
    return w;
}

void send(SpriteView* box, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, at, box->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(box, &event);
}

// A zigzag over the whole sprite, a new pixel at every point.
QPoint strokePoint(SpriteView* box, int side, int i)
{
    const int x = i * (side - 1) / (kPoints - 1);
    const int y = (i % 2) ? side - 1 - (i * 7) % side : (i * 7) % side;
    return box->pointOf({x, y});
}

// Press, 98 moves, release: one undo step. The stroke sets, then clears, so
// that every stroke changes the sprite. The event loop repaints what changed
// (the picture box only the pixels drawn): 0 once at the end, as when the
// points arrive together, 1 after every point, as when each comes alone.
void PenStroke(benchmark::State& state)
{
    const int side = static_cast<int>(state.range(0));
    const bool everyPoint = state.range(1) != 0;
    Wizard w = wizardWithSprite(side);
    bool set = true;
    for (auto _ : state) {
        const Qt::MouseButton button = set ? Qt::LeftButton : Qt::RightButton;
        for (int i = 0; i < kPoints; ++i) {
            const QPoint at = strokePoint(w.box, side, i);
            if (i == 0)
                send(w.box, QEvent::MouseButtonPress, at, button, button);
            else if (i == kPoints - 1)
                send(w.box, QEvent::MouseButtonRelease, at, button, Qt::NoButton);
            else
                send(w.box, QEvent::MouseMove, at, Qt::NoButton, button);
            if (everyPoint || i == kPoints - 1)
                QApplication::processEvents();
        }
        set = !set;
    }
    state.counters["history"] = static_cast<double>(w.window->history().size());
}

// The yardstick: a plain copy of the pixels of both views at their sizes in
// the wizard, once.
void PlainCopy(benchmark::State& state)
{
    Wizard w = wizardWithSprite(static_cast<int>(state.range(0)));
    QImage box(w.box->size(), QImage::Format_RGB32);
    QImage screen(w.screen->size(), QImage::Format_RGB32);
    box.fill(Qt::white);
    screen.fill(Qt::white);
    for (auto _ : state) {
        QImage a = box.copy();
        QImage b = screen.copy();
        benchmark::DoNotOptimize(a.constBits());
        benchmark::DoNotOptimize(b.constBits());
    }
}

BENCHMARK(PenStroke)->Args({40, 0})->Args({40, 1})->Args({96, 0})->Args({96, 1})->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainCopy)->Arg(40)->Arg(96)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    MeanReporter reporter;
    if (!runBenchmarks(argc, argv, reporter))
        return 1;

    for (const char* side : {"40", "96"}) {
        const double copy = reporter.mean(std::string("PlainCopy/") + side);
        for (const char* repaint : {"0", "1"}) {
            const double stroke = reporter.mean(std::string("PenStroke/") + side + "/" + repaint);
            if (stroke <= 0 || copy <= 0)
                continue;
            std::cout << "Pen stroke of " << kPoints << " points on a " << side << " x " << side << " sprite, "
                      << (*repaint == '0' ? "repainted at the end" : "repainted after every point") << ": "
                      << stroke << " us (" << (stroke < kLimitMicroseconds ? "under" : "OVER") << " the "
                      << kLimitMicroseconds << " us goal), plain copy of both views " << copy << " us, ratio "
                      << stroke / copy << "\n";
        }
    }
    return 0;
}
