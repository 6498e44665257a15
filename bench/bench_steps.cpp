// Trim, the flips and a shift on a 4096 × 4096 sprite in the real wizard,
// each clicked and then undone, with the repaint that follows; against a
// plain copy of the sprite's bytes. A step that stays under 100 ms leaves
// the window responsive without a thread.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <cstring>
#include <memory>

#include "SpriteView.h"
#include "WizardWindow.h"

namespace {

constexpr int kSide = 4096;

// A sprite with set pixels away from every edge, so that trim has work.
palvorn::Sprite bigSprite()
{
    palvorn::Sprite sprite(kSide, kSide);
    for (int y = 100; y < kSide - 100; y += 3)
        for (int x = 100 + y % 7; x < kSide - 100; x += 5)
            sprite.setPixel(x, y, true);
    return sprite;
}

struct Wizard {
    std::unique_ptr<WizardWindow> window;
    SpriteView* box = nullptr;
};

Wizard wizardWithBigSprite()
{
    Wizard w{std::make_unique<WizardWindow>(), nullptr};
    w.window->show();
    w.window->takeIn(bigSprite());
    QApplication::processEvents();
    w.box = w.window->findChild<SpriteView*>(QStringLiteral("Sprite"));
    return w;
}

void clickUndo(Wizard& w)
{
    w.window->findChild<QPushButton*>(QStringLiteral("UndoBut"))->click();
    QApplication::processEvents();
}

// The button named by the argument: 0 Trim, 1 Flip H, 2 Flip V.
void ButtonStep(benchmark::State& state)
{
    static const char* const names[] = {"TrimBut", "FlipHBut", "FlipVBut"};
    const char* name = names[state.range(0)];
    state.SetLabel(name);
    Wizard w = wizardWithBigSprite();
    auto* button = w.window->findChild<QPushButton*>(QLatin1String(name));
    for (auto _ : state) {
        button->click();
        QApplication::processEvents();
        state.PauseTiming();
        clickUndo(w);
        state.ResumeTiming();
    }
}

// One arrow key on the picture box: the sprite shifted a pixel right.
void Shift(benchmark::State& state)
{
    Wizard w = wizardWithBigSprite();
    w.box->setFocus();
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
        QApplication::sendEvent(w.box, &press);
        QApplication::processEvents();
        state.PauseTiming();
        clickUndo(w);
        state.ResumeTiming();
    }
    state.counters["history"] = static_cast<double>(w.window->history().size());
}

// The yardstick: the sprite's bytes copied once.
void PlainCopy(benchmark::State& state)
{
    const palvorn::Sprite sprite = bigSprite();
    std::vector<std::uint8_t> copy(std::size_t(sprite.packedSize()));
    for (auto _ : state) {
        for (int y = 0; y < sprite.height(); ++y)
            std::memcpy(copy.data() + std::size_t(y) * std::size_t(sprite.bytesPerRow()), sprite.row(y),
                        std::size_t(sprite.bytesPerRow()));
        benchmark::DoNotOptimize(copy.data());
    }
}

}  // namespace

BENCHMARK(ButtonStep)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(Shift)->Unit(benchmark::kMillisecond);
BENCHMARK(PlainCopy)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
