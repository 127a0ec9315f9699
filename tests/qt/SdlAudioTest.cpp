#include "framework/Runtime.h"
#include "framework/qt/SdlAudio.h"

#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <numbers>
#include <string>
#include <vector>

namespace fw::qt::testing {

namespace {

const std::string kOutputDir = TOCKAMO_QT_TEST_OUTPUT_DIR;

// A mono 16-bit tone at the mixer's rate, so that loading it only doubles
// each sample into two channels and the expected output is exact.
std::vector<int16_t> Tone(int frames, double frequency, double amplitude)
{
    std::vector<int16_t> samples(frames);
    for (int i = 0; i < frames; ++i)
        samples[i] = static_cast<int16_t>(std::lround(amplitude * std::sin(2 * std::numbers::pi * frequency * i / SdlAudio::kRate)));
    return samples;
}

void WriteWav(const std::string& path, const std::vector<int16_t>& samples)
{
    auto le32 = [](std::ofstream& out, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
    };
    auto le16 = [](std::ofstream& out, uint16_t value) {
        out.put(static_cast<char>(value & 0xFF));
        out.put(static_cast<char>(value >> 8));
    };
    uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "RIFF";
    le32(out, 36 + dataBytes);
    out << "WAVEfmt ";
    le32(out, 16);
    le16(out, 1); // PCM
    le16(out, 1); // mono
    le32(out, SdlAudio::kRate);
    le32(out, SdlAudio::kRate * 2);
    le16(out, 2);
    le16(out, 16);
    out << "data";
    le32(out, dataBytes);
    for (int16_t sample : samples)
        le16(out, static_cast<uint16_t>(sample));
}

std::vector<int16_t> ReadSamples(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<int16_t> samples(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<int16_t>(static_cast<uint8_t>(bytes[2 * i]) | (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
    return samples;
}

// Lets the audio thread play out and the Qt thread close the device; ends
// early when it closes, and gives up after a generous bound.
bool PlayOut(SdlAudio& audio)
{
    QEventLoop loop;
    audio.SetIdleCallback([&loop] { loop.quit(); });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    if (audio.IsDeviceOpen())
        loop.exec();
    audio.SetIdleCallback(nullptr);
    return !audio.IsDeviceOpen();
}

class SdlAudioTest : public ::testing::Test {
protected:
    void SetUp() override { m_previousDriver = std::getenv("SDL_AUDIODRIVER") ? std::getenv("SDL_AUDIODRIVER") : "dummy"; }
    void TearDown() override { setenv("SDL_AUDIODRIVER", m_previousDriver.c_str(), 1); }

private:
    std::string m_previousDriver;
};

}

TEST_F(SdlAudioTest, MixAddsVoicesAndClipsTheSum)
{
    struct Case {
        const char* name;
        int16_t a, b;
        int16_t expected;
    };
    const Case cases[] = {
        { "plain sum", 1000, -300, 700 },
        { "clipped high", 20000, 20000, 32767 },
        { "clipped low", -20000, -20000, -32768 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto first = std::make_shared<SdlClip>(std::vector<int16_t>(4, c.a));
        auto second = std::make_shared<SdlClip>(std::vector<int16_t>(8, c.b));
        std::vector<SdlAudio::Voice> voices { { first, 0 }, { second, 0 } };
        int16_t out[6];
        SdlAudio::Mix(out, 6, voices);
        EXPECT_EQ(out[0], c.expected);
        EXPECT_EQ(out[3], c.expected);
        // The shorter clip has ended; the other goes on where it was.
        EXPECT_EQ(out[4], c.b);
        ASSERT_EQ(voices.size(), 1u);
        EXPECT_EQ(voices[0].position, 6u);
        SdlAudio::Mix(out, 6, voices);
        EXPECT_EQ(out[1], c.b);
        EXPECT_EQ(out[2], 0);
        EXPECT_TRUE(voices.empty());
    }
}

TEST_F(SdlAudioTest, LoadsWavsAndRefusesEverythingElse)
{
    std::vector<int16_t> tone = Tone(441, 440, 8000);
    std::string wav = kOutputDir + "/load-tone.wav";
    WriteWav(wav, tone);
    std::string text = kOutputDir + "/load-not-a-sound.wav";
    std::ofstream(text) << "#Window1Position 150,150\n";

    std::shared_ptr<SdlClip> clip = SdlAudio::Load(wav);
    ASSERT_NE(clip, nullptr);
    ASSERT_EQ(clip->Samples().size(), tone.size() * 2);
    for (size_t i = 0; i < tone.size(); ++i) {
        EXPECT_EQ(clip->Samples()[2 * i], tone[i]);
        EXPECT_EQ(clip->Samples()[2 * i + 1], tone[i]);
    }
    EXPECT_EQ(SdlAudio::Load(text), nullptr);
    EXPECT_EQ(SdlAudio::Load(kOutputDir + "/no-such-file.wav"), nullptr);
}

TEST_F(SdlAudioTest, OverlappingPlaysAreMixedOnTheDiskDriver)
{
    const int frames = 22050;
    std::vector<int16_t> tone = Tone(frames, 440, 8000);
    std::string wav = kOutputDir + "/overlap-tone.wav";
    std::string output = kOutputDir + "/overlap-output.raw";
    WriteWav(wav, tone);
    std::remove(output.c_str());
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
    // One millisecond per buffer: much faster than real time.
    setenv("SDL_DISKAUDIODELAY", "1", 1);

    SdlAudio audio;
    std::shared_ptr<SdlClip> clip = SdlAudio::Load(wav);
    ASSERT_NE(clip, nullptr);
    audio.Play(clip);
    audio.Play(clip);
    EXPECT_TRUE(audio.IsDeviceOpen());
    ASSERT_TRUE(PlayOut(audio));

    // Left channel only; the right one is the same.
    std::vector<int16_t> raw = ReadSamples(output);
    std::vector<int16_t> left;
    for (size_t i = 0; i + 1 < raw.size(); i += 2)
        left.push_back(raw[i]);
    size_t start = 0;
    while (start < left.size() && left[start] == 0)
        ++start;
    ASSERT_LT(start, left.size()) << "nothing was played";
    // The tone itself begins with silent samples (sin 0 = 0).
    size_t lead = 0;
    while (tone[lead] == 0)
        ++lead;
    ASSERT_GE(start, lead);
    start -= lead;

    // The second play starts `delay` frames after the first, at a buffer
    // boundary; the output must be exactly the clipped sum of both.
    auto matches = [&](size_t delay) {
        for (size_t i = 0; i < frames + delay + 64; ++i) {
            int32_t sum = 0;
            if (i < size_t(frames))
                sum += tone[i];
            if (i >= delay && i - delay < size_t(frames))
                sum += tone[i - delay];
            int16_t expected = static_cast<int16_t>(std::clamp<int32_t>(sum, INT16_MIN, INT16_MAX));
            if (start + i >= left.size() || left[start + i] != expected)
                return false;
        }
        return true;
    };
    bool found = false;
    for (size_t delay = 0; delay < size_t(frames) && !found; ++delay)
        found = matches(delay);
    EXPECT_TRUE(found) << "the output is not the sum of two overlapping plays";
    EXPECT_GT(*std::max_element(left.begin(), left.end()), 8000) << "the plays did not add up";
}

TEST_F(SdlAudioTest, WithoutARealDevicePlaysAreSilentAndNothingEscapes)
{
    std::string wav = kOutputDir + "/silent-tone.wav";
    WriteWav(wav, Tone(441, 440, 8000));
    struct Case {
        const char* name;
        const char* driver;
        bool opens;
        bool reports;
    };
    const Case cases[] = {
        { "dummy driver", "dummy", true, false },
        { "no such driver", "no-such-audio-driver", false, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        setenv("SDL_AUDIODRIVER", c.driver, 1);
        SetProgramIdentity({ .name = "Egg Timer", .command = "eggtimer" });
        ::testing::internal::CaptureStderr();
        {
            SdlAudio audio;
            std::shared_ptr<SdlClip> clip = SdlAudio::Load(wav);
            ASSERT_NE(clip, nullptr);
            EXPECT_NO_THROW(audio.Play(clip));
            EXPECT_NO_THROW(audio.Play(clip));
            EXPECT_EQ(audio.IsDeviceOpen(), c.opens);
            EXPECT_TRUE(PlayOut(audio));
        }
        std::string errors = ::testing::internal::GetCapturedStderr();
        SetProgramIdentity({});
        if (c.reports) {
            EXPECT_EQ(errors.rfind("eggtimer: ", 0), 0u) << errors;
            EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
        } else {
            EXPECT_EQ(errors, "");
        }
    }
}

}
