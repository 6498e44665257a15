// Taking a 4096 x 4096 24-bit bitmap through Browse in a fresh real wizard
// each time, from the dialog's accept to the settled window, against the
// netpbm pipeline `bmptopnm | ppmtopgm | pgmtopbm -threshold` on the same
// file, which also turns it into one bit a pixel. Goals: at most half the
// pipeline's time, and a peak under 100 MB for this whole process. Its own
// process, so that the peak is the window's and nothing else's.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPushButton>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>

#include <sys/resource.h>

#include "BenchPictures.h"
#include "MeanReporter.h"
#include "PictureIntake.h"
#include "Platform.h"
#include "WizardWindow.h"

namespace {

constexpr double kGoalRatio = 0.5;
constexpr double kPeakLimitMegabytes = 100;

const benchpictures::ScratchFolder* g_folder = nullptr;

void Browse(benchmark::State& state, bool allBlack)
{
    const QString path =
        QString::fromStdString(benchpictures::makeBitmap(g_folder->path(), int(state.range(0)), allBlack));
    platform::setOpenFileDialog([&](QWidget*, const platform::OpenFileRequest&) { return path; });
    platform::setWarningBox([](QWidget*, const QString&, const QString&, platform::Buttons) {});
    // Each intake into a fresh window, as the first Browse after starting:
    // making, showing and closing the window are not timed.
    for (auto _ : state) {
        state.PauseTiming();
        auto wizard = std::make_unique<WizardWindow>();
        wizard->show();
        QApplication::processEvents();
        auto* browse = wizard->findChild<QPushButton*>(QStringLiteral("Browse"));
        if (!browse) {
            state.SkipWithError("no Browse button");
            break;
        }
        state.ResumeTiming();
        browse->click();  // the dialog answers at once: what follows is its accept
        // The picture is read on a worker; the event loop runs until it is in.
        auto* intake = wizard->findChild<PictureIntake*>();
        while (intake && intake->busy())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        wizard->repaint();  // the picture box and the screen preview drawn
        QApplication::processEvents();
        state.PauseTiming();
        wizard.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    platform::setOpenFileDialog({});
    platform::setWarningBox({});
}

void NetpbmPipeline(benchmark::State& state)
{
    const std::string command =
        benchpictures::netpbmCommand(benchpictures::makeBitmap(g_folder->path(), int(state.range(0)), false));
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("the netpbm pipeline failed (is netpbm installed?)");
            break;
        }
    }
}

BENCHMARK_CAPTURE(Browse, Drawing, false)->Arg(256)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Browse, AllBlack, true)->Arg(256)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime();
// Its work is in children, so only the real time tells.
BENCHMARK(NetpbmPipeline)->Arg(256)->Arg(4096)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    // The wizard needs no display to be painted.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const benchpictures::ScratchFolder folder;
    g_folder = &folder;
    MeanReporter reporter;
    if (!runBenchmarks(argc, argv, reporter))
        return 1;

    // The goal is for a 4096 x 4096 picture; the small one keeps the smoke test quick.
    const double netpbm = reporter.mean("NetpbmPipeline/4096");
    for (const char* picture : {"Drawing", "AllBlack"}) {
        const double browse = reporter.mean(std::string("Browse/") + picture + "/4096");
        if (browse <= 0 || netpbm <= 0)
            continue;
        const double ratio = browse / netpbm;
        std::cout << "4096 x 4096 24-bit " << picture << " through Browse: " << browse << " ms, netpbm " << netpbm
                  << " ms, ratio " << ratio << " (goal at most " << kGoalRatio << ": "
                  << (ratio <= kGoalRatio ? "met" : "NOT MET") << ")\n";
    }
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const double peak = double(usage.ru_maxrss) / 1024;  // kilobytes on Linux
    std::cout << "peak of this process: " << peak << " MB (goal under " << kPeakLimitMegabytes << " MB: "
              << (peak < kPeakLimitMegabytes ? "met" : "NOT MET") << ")\n";
    return 0;
}
