// Measures the time from a timer's Action (the tick that ends a count) to the
// moment the first non-silent sample of the alarm reaches the audio device.
// SDL2's disk driver stands in for the sound card: it writes every buffer it
// would have played to a file, at the device's pace, so the moment non-zero
// bytes appear in that file is the moment the samples were handed over.

#include "bench/Figures.h"
#include "bench/TickWindow.h"

#include "framework/Runtime.h"
#include "framework/Sound.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

double Ms(fw::Clock::Duration duration)
{
    return std::chrono::duration<double, std::milli>(duration).count();
}

void Put32(std::FILE* f, uint32_t v) { std::fwrite(&v, 4, 1, f); }
void Put16(std::FILE* f, uint16_t v) { std::fwrite(&v, 2, 1, f); }

// A short 16-bit mono beep whose very first sample is loud, so the first
// non-zero byte is the start of the sound.
void WriteBeep(const std::string& path, int milliseconds)
{
    const uint32_t rate = 44100;
    const uint32_t samples = rate * milliseconds / 1000;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite("RIFF", 1, 4, f);
    Put32(f, 36 + samples * 2);
    std::fwrite("WAVEfmt ", 1, 8, f);
    Put32(f, 16);
    Put16(f, 1);
    Put16(f, 1);
    Put32(f, rate);
    Put32(f, rate * 2);
    Put16(f, 2);
    Put16(f, 16);
    std::fwrite("data", 1, 4, f);
    Put32(f, samples * 2);
    for (uint32_t i = 0; i < samples; ++i)
        Put16(f, static_cast<uint16_t>((i / 50) % 2 ? 12000 : -12000));
    std::fclose(f);
}

// Watches the disk driver's output file and notes when non-silent data
// arrives. The driver truncates the file whenever the device is reopened.
class DeviceWatch {
public:
    explicit DeviceWatch(std::string path)
        : m_path(std::move(path))
    {
        m_thread = std::thread([this] { Run(); });
    }
    ~DeviceWatch()
    {
        m_stop = true;
        m_thread.join();
    }
    std::vector<fw::Clock::Duration> Arrivals()
    {
        std::lock_guard lock(m_mutex);
        return m_arrivals;
    }
    long BytesSeen() const { return m_total; }

private:
    void Run()
    {
        int fd = -1;
        off_t offset = 0;
        std::vector<unsigned char> buffer(1 << 16);
        while (!m_stop) {
            if (fd < 0)
                fd = ::open(m_path.c_str(), O_RDONLY);
            if (fd >= 0) {
                struct stat info {};
                if (::fstat(fd, &info) == 0 && info.st_size < offset)
                    offset = 0;
                ssize_t n;
                while ((n = ::pread(fd, buffer.data(), buffer.size(), offset)) > 0) {
                    fw::Clock::Duration now = bench::Now();
                    offset += n;
                    m_total += n;
                    bool loud = false;
                    for (ssize_t i = 0; i < n && !loud; ++i)
                        loud = buffer[i] != 0;
                    if (loud) {
                        std::lock_guard lock(m_mutex);
                        m_arrivals.push_back(now);
                    }
                }
            }
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        if (fd >= 0)
            ::close(fd);
    }

    std::string m_path;
    std::atomic<bool> m_stop { false };
    std::atomic<long> m_total { 0 };
    std::mutex m_mutex;
    std::vector<fw::Clock::Duration> m_arrivals;
    std::thread m_thread;
};

}

int main(int argc, char** argv)
{
    int ticks = argc > 1 ? std::atoi(argv[1]) : 10;
    char dirTemplate[] = "/tmp/tockamo-alarm-XXXXXX";
    std::string dir = ::mkdtemp(dirTemplate);
    std::string wav = dir + "/beep.wav";
    std::string deviceFile = dir + "/device.raw";
    WriteBeep(wav, 150);
    ::setenv("SDL_AUDIODRIVER", "disk", 1);
    ::setenv("SDL_DISKAUDIOFILE", deviceFile.c_str(), 1);

    bench::StartDesktopRuntime();
    std::vector<fw::Clock::Duration> due;
    std::vector<fw::Clock::Duration> actions;
    long bytes = 0;
    std::vector<fw::Clock::Duration> arrivals;
    {
        DeviceWatch watch(deviceFile);
        fw::RefPtr<fw::Sound> sound = fw::Sound::Open(wav);
        if (!sound) {
            std::printf("the desktop backend could not load %s\n", wav.c_str());
            return 1;
        }
        fw::Ref<bench::TickWindow> window = bench::TickWindow::Create();
        window->Constructor();
        fw::Clock::Duration firstDue {};
        fw::Ref<fw::Timer> timer = window->AddTimer(1000, [&](fw::Timer& t) {
            actions.push_back(bench::Now());
            due.push_back(firstDue + (actions.size() - 1) * std::chrono::milliseconds(1000));
            sound->Play();
            if (static_cast<int>(actions.size()) >= ticks) {
                t.SetMode(fw::Timer::kModeOff);
                fw::Quit(0);
            }
        });
        timer->SetMode(fw::Timer::kModeMultiple);
        firstDue = timer->NextDue();
        bench::RunLoop();
        // The device thread goes on after the loop; give the last play time to
        // reach the file.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        arrivals = watch.Arrivals();
        bytes = watch.BytesSeen();
        window->Close();
    }

    std::vector<double> fromAction, fromDue;
    int missing = 0;
    for (size_t k = 0; k < actions.size(); ++k) {
        auto it = std::find_if(arrivals.begin(), arrivals.end(), [&](auto t) { return t >= actions[k]; });
        if (it == arrivals.end() || *it - actions[k] > std::chrono::milliseconds(900)) {
            ++missing;
            continue;
        }
        fromAction.push_back(Ms(*it - actions[k]));
        fromDue.push_back(Ms(*it - due[k]));
    }

    std::printf("Alarm latency through SDL2's disk driver, %zu plays\n", actions.size());
    if (fromAction.empty()) {
        std::printf("  no non-silent audio reached the device (%ld bytes written)\n", bytes);
        return 1;
    }
    bench::Report("end tick -> first non-silent sample, median", bench::Median(fromAction), "ms", "< 30 ms", bench::Median(fromAction) < 30);
    bench::Report("end tick -> first non-silent sample, max", bench::Max(fromAction), "ms", "< 30 ms", bench::Max(fromAction) < 30);
    bench::Note("due time -> first non-silent sample, median", bench::Median(fromDue), "ms");
    std::printf("      each play (ms):");
    for (double latency : fromAction)
        std::printf(" %.1f", latency);
    std::printf("\n");
    if (missing)
        bench::Note("plays that never reached the device", missing, "");

    bench::ShutdownRuntime();
    std::remove(wav.c_str());
    std::remove(deviceFile.c_str());
    ::rmdir(dir.c_str());
    return missing ? 1 : 0;
}
