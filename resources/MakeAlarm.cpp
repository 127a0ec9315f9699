// Writes the alarm chime, a 16-bit mono PCM WAVE file, to the path given as
// the only argument. The build runs it so that the sound is our own and the
// source tree holds no binary.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr int kSampleRate = 22050;
constexpr double kLength = 1.2; // seconds

// A bell-like note: a fundamental with two soft overtones, a quick attack and
// an exponential decay.
struct Note {
    double start; // seconds
    double frequency; // Hz
    double decay; // per second
};

// Three descending-then-rising tones, a familiar "ding-dong-ding".
const Note kNotes[] = {
    { 0.00, 1318.51, 5.0 }, // E6
    { 0.28, 1046.50, 5.0 }, // C6
    { 0.56, 1567.98, 3.5 }, // G6
};

double NoteSample(const Note& note, double t)
{
    if (t < note.start)
        return 0;
    double local = t - note.start;
    double attack = std::min(1.0, local / 0.005);
    double envelope = attack * std::exp(-note.decay * local);
    double phase = 2 * std::numbers::pi * note.frequency * local;
    return envelope * (std::sin(phase) + 0.3 * std::sin(2 * phase) + 0.1 * std::sin(3 * phase));
}

std::vector<int16_t> Render()
{
    const int count = static_cast<int>(kSampleRate * kLength);
    std::vector<int16_t> samples(count);
    for (int i = 0; i < count; ++i) {
        double t = static_cast<double>(i) / kSampleRate;
        double value = 0;
        for (const Note& note : kNotes)
            value += NoteSample(note, t);
        // A short fade at the end so the file stops without a click.
        double fade = std::min(1.0, (kLength - t) / 0.05);
        value *= 0.5 * fade;
        value = std::max(-1.0, std::min(1.0, value));
        samples[i] = static_cast<int16_t>(std::lround(value * 32767));
    }
    return samples;
}

void PutLE(std::string& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::string Wave(const std::vector<int16_t>& samples)
{
    const uint32_t dataSize = static_cast<uint32_t>(samples.size() * 2);
    std::string out;
    out += "RIFF";
    PutLE(out, 36 + dataSize, 4);
    out += "WAVE";
    out += "fmt ";
    PutLE(out, 16, 4); // size of the format chunk
    PutLE(out, 1, 2); // PCM
    PutLE(out, 1, 2); // mono
    PutLE(out, kSampleRate, 4);
    PutLE(out, kSampleRate * 2, 4); // bytes per second
    PutLE(out, 2, 2); // bytes per frame
    PutLE(out, 16, 2); // bits per sample
    out += "data";
    PutLE(out, dataSize, 4);
    for (int16_t sample : samples)
        PutLE(out, static_cast<uint16_t>(sample), 2);
    return out;
}

}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.wav\n", argv[0]);
        return 2;
    }
    std::string wave = Wave(Render());
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    file.write(wave.data(), static_cast<std::streamsize>(wave.size()));
    file.close();
    if (!file) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
