// Redrawing the screen preview and the picture box, measured against the
// cheapest way to make an image of the same size: allocate it and fill it
// with one colour. The preview is redrawn on every change in the wizard, so
// it must stay well under a millisecond; the verdict is printed at the end.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <iostream>
#include <map>
#include <random>
#include <string>

#include "Render.h"
#include "ScreenPreview.h"
#include "SpriteView.h"
#include "Rules.h"
#include "Sprite.h"
#include "MeanReporter.h"

namespace {

constexpr int kSide = 40;
constexpr double kLimitMicroseconds = 1000;
constexpr double kHugeLimitMicroseconds = 10000;  // what a 4096 x 4096 sprite may add to both views

// side × side random pixels; the same every run.
palvorn::Sprite randomSprite(int side)
{
    std::mt19937 random(20261211u + static_cast<unsigned>(side));
    palvorn::Sprite s(side, side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            s.setPixel(x, y, random() & 1u);
    return s;
}

const palvorn::Sprite& cachedSprite(int side)
{
    static std::map<int, palvorn::Sprite> cache;
    auto it = cache.find(side);
    if (it == cache.end())
        it = cache.emplace(side, randomSprite(side)).first;
    return it->second;
}

// The screen image alone, 40 × 40 sprite, argument: zoom.
void RenderScreen(benchmark::State& state)
{
    const palvorn::Sprite& sprite = cachedSprite(kSide);
    const int zoom = static_cast<int>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(render::renderScreen(sprite, sprite, zoom));
}

// What the wizard pays per change: a new scene, then a synchronous repaint of
// the shown widget into its window's backing store.
void ScreenPreviewRepaint(benchmark::State& state)
{
    const palvorn::Sprite& sprite = cachedSprite(kSide);
    ScreenPreview preview;
    preview.setZoom(static_cast<int>(state.range(0)));
    preview.show();
    QApplication::processEvents();
    for (auto _ : state) {
        preview.setScene(sprite, sprite);
        preview.repaint();
    }
}

// The yardstick: a fresh image of the preview's size, filled with one colour.
void PlainFill(benchmark::State& state)
{
    const int zoom = static_cast<int>(state.range(0));
    for (auto _ : state) {
        QImage image(palvorn::kScreenWidth * zoom, palvorn::kScreenHeight * zoom, QImage::Format_RGB32);
        image.fill(render::kScreenColour);
        benchmark::DoNotOptimize(image.constBits());
    }
}

// The picture box at twice the screen; argument: sprite side (40 is enlarged
// 3:1, 4096 shrunk 1:32). Random pixels end most blocks at their first set
// pixel; a blank sprite is the worst case, where every pixel is read.
void RenderBox(benchmark::State& state, bool blank)
{
    const int side = static_cast<int>(state.range(0));
    const palvorn::Sprite sprite = blank ? palvorn::Sprite(side, side) : cachedSprite(side);
    for (auto _ : state)
        benchmark::DoNotOptimize(render::renderBox(sprite, {}, {192, 128}));
}

// Both views of the wizard taking a sprite and repainting, the picture box at
// a typical size; argument: sprite side. A blank sprite makes the box read
// every pixel.
void BothViews(benchmark::State& state, bool blank)
{
    const int side = static_cast<int>(state.range(0));
    const palvorn::Sprite sprite = blank ? palvorn::Sprite(side, side) : cachedSprite(side);
    SpriteView box;
    box.resize(480, 320);
    ScreenPreview preview;
    preview.setZoom(4);
    box.show();
    preview.show();
    QApplication::processEvents();
    for (auto _ : state) {
        box.setSprite(sprite);
        preview.setScene(sprite, sprite);
        box.repaint();
        preview.repaint();
    }
}

BENCHMARK(RenderScreen)->Arg(2)->Arg(4)->Unit(benchmark::kMicrosecond);
BENCHMARK(ScreenPreviewRepaint)->Arg(2)->Arg(4)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainFill)->Arg(2)->Arg(4)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RenderBox, Random, false)->Arg(40)->Arg(4096)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(RenderBox, Blank, true)->Arg(40)->Arg(4096)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BothViews, Random, false)->Arg(40)->Arg(4096)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BothViews, Blank, true)->Arg(40)->Arg(4096)->Unit(benchmark::kMicrosecond);


}  // namespace

int main(int argc, char** argv)
{
    // The widget needs no display to be painted.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    MeanReporter reporter;
    if (!runBenchmarks(argc, argv, reporter))
        return 1;

    for (const char* zoom : {"2", "4"}) {
        const double fill = reporter.mean(std::string("PlainFill/") + zoom);
        for (const char* redraw : {"RenderScreen", "ScreenPreviewRepaint"}) {
            const double time = reporter.mean(std::string(redraw) + "/" + zoom);
            if (time <= 0 || fill <= 0)
                continue;
            std::cout << redraw << ", " << kSide << " x " << kSide << " sprite at zoom " << zoom << ": " << time
                      << " us (" << (time < kLimitMicroseconds ? "under" : "OVER") << " the " << kLimitMicroseconds
                      << " us limit), plain fill " << fill << " us, ratio " << time / fill << "\n";
        }
    }
    for (const char* sprite : {"Random", "Blank"}) {
        const double small = reporter.mean(std::string("BothViews/") + sprite + "/40");
        const double huge = reporter.mean(std::string("BothViews/") + sprite + "/4096");
        if (small <= 0 || huge <= 0)
            continue;
        std::cout << "Picture box and screen preview, " << sprite << " 4096 x 4096 sprite: " << huge << " us, "
                  << kSide << " x " << kSide << ": " << small << " us; the huge one adds " << huge - small
                  << " us (goal at most " << kHugeLimitMicroseconds << " us: "
                  << (huge - small <= kHugeLimitMicroseconds ? "met" : "NOT MET") << ")\n";
    }
    return 0;
}
