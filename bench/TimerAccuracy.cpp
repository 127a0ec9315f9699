// Runs a framework Timer in Mode 2 with the real clock on the desktop backend
// and measures how late each Action arrives against start + k x Period. With
// --stall-ms the handler blocks the loop now and then, the way a slow repaint
// or a busy machine would, and the count must still end on time.

#include "bench/Figures.h"
#include "bench/TickWindow.h"

#include "framework/Runtime.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Options {
    int ticks = 60;
    int periodMs = 1000;
    int stallMs = 0;
    int stallEvery = 7;
};

Options ParseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        std::string key = argv[i];
        int value = std::atoi(argv[i + 1]);
        if (key == "--ticks")
            options.ticks = value;
        else if (key == "--period-ms")
            options.periodMs = value;
        else if (key == "--stall-ms")
            options.stallMs = value;
        else if (key == "--stall-every")
            options.stallEvery = value;
    }
    return options;
}

double Ms(fw::Clock::Duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

}

int main(int argc, char** argv)
{
    Options options = ParseOptions(argc, argv);
    bench::StartDesktopRuntime();

    std::vector<double> lateness;
    fw::Clock::Duration start {};
    fw::Clock::Duration firstDue {};
    fw::Clock::Duration lastAction {};
    const auto period = std::chrono::milliseconds(options.periodMs);

    {
        fw::Ref<bench::TickWindow> window = bench::TickWindow::Create();
        window->Constructor();
        fw::Ref<fw::Timer> timer = window->AddTimer(options.periodMs, [&](fw::Timer& t) {
            fw::Clock::Duration now = bench::Now();
            int k = static_cast<int>(lateness.size()) + 1;
            lateness.push_back(Ms(now - (firstDue + (k - 1) * period)));
            lastAction = now;
            if (k >= options.ticks) {
                t.SetMode(fw::Timer::kModeOff);
                fw::Quit(0);
                return;
            }
            if (options.stallMs > 0 && k % options.stallEvery == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(options.stallMs));
        });
        start = bench::Now();
        timer->SetMode(fw::Timer::kModeMultiple);
        firstDue = timer->NextDue();
        bench::RunLoop();
        window->Close();
    }

    std::printf("Timer Mode 2, period %d ms, %d ticks%s\n", options.periodMs, options.ticks,
        options.stallMs ? (", loop stalled " + std::to_string(options.stallMs) + " ms every " + std::to_string(options.stallEvery) + " ticks").c_str() : "");
    if (static_cast<int>(lateness.size()) < options.ticks) {
        std::printf("  only %zu of %d ticks arrived\n", lateness.size(), options.ticks);
        return 1;
    }

    size_t tenth = std::max<size_t>(1, lateness.size() / 6);
    std::vector<double> early(lateness.begin(), lateness.begin() + tenth);
    std::vector<double> late(lateness.end() - tenth, lateness.end());
    double growth = bench::Median(late) - bench::Median(early);
    double endError = Ms(lastAction - start) - options.ticks * options.periodMs;
    double scheduleOffset = Ms(firstDue - start) - options.periodMs;

    bench::Report("lateness per Action, median", bench::Median(lateness), "ms", "< 10 ms", bench::Median(lateness) < 10);
    if (options.stallMs == 0)
        bench::Report("lateness per Action, max", bench::Max(lateness), "ms", "< 10 ms (alarm on time)", bench::Max(lateness) < 10);
    else
        bench::Note("lateness per Action, max (a stalled tick's next)", bench::Max(lateness), "ms");
    if (options.stallMs == 0)
        bench::Report("lateness growth, last sixth vs first sixth", growth, "ms", "does not grow (< 1 ms)", growth < 1);
    bench::Report(("end of count vs " + std::to_string(options.ticks * options.periodMs / 1000) + ".000 s after start").c_str(), endError, "ms",
        "within 10 ms", endError >= -0.5 && endError < 10);
    bench::Note("first due vs start + Period", scheduleOffset, "ms");

    bench::ShutdownRuntime();
    return 0;
}
