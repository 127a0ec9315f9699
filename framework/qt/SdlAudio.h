#pragma once

#include "framework/Backend.h"

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QObject;

namespace fw::qt {

// A decoded sound in the mixer's format: interleaved signed 16-bit stereo
// samples at SdlAudio::kRate.
class SdlClip final : public SoundClip {
public:
    explicit SdlClip(std::vector<int16_t> samples)
        : m_samples(std::move(samples))
    {
    }
    const std::vector<int16_t>& Samples() const { return m_samples; }

private:
    std::vector<int16_t> m_samples;
};

// Plays sounds through SDL2. Every clip is converted to one format when it is
// loaded, so the audio callback only has to add the playing clips together.
// The device is open only while something plays: an open SDL device wakes
// the process about ten times a second even when it plays silence.
// Everything but the callback runs on the Qt thread.
class SdlAudio {
public:
    static constexpr int kRate = 44100;
    static constexpr int kChannels = 2;
    // How long the device stays open after the last sample was handed over.
    static constexpr int kCloseDelayMs = 250;

    struct Voice {
        std::shared_ptr<const SdlClip> clip;
        size_t position = 0; // in samples, not frames
    };

    SdlAudio();
    ~SdlAudio();
    SdlAudio(const SdlAudio&) = delete;
    SdlAudio& operator=(const SdlAudio&) = delete;

    // nullptr when the file is missing or is not a WAV SDL can decode.
    static std::shared_ptr<SdlClip> Load(const std::string& path);
    // Starts the clip and returns at once; a clip already playing goes on and
    // the two are heard together.
    void Play(const std::shared_ptr<const SdlClip>& clip);

    bool IsDeviceOpen() const { return m_device != 0; }
    // Called on the Qt thread each time the device has been closed because
    // nothing was left to play.
    void SetIdleCallback(std::function<void()> callback) { m_onIdle = std::move(callback); }

    // Adds every voice into `out` (`count` samples), clipping the sum to the
    // 16-bit range, and drops the voices that have ended.
    static void Mix(int16_t* out, size_t count, std::vector<Voice>& voices);

private:
    enum class State { Uninitialised, Ready, Unavailable };

    bool EnsureInitialised();
    bool EnsureDeviceOpen();
    void CloseIfIdle();
    void ReportNoDevice(const char* what);
    static void Callback(void* self, Uint8* stream, int length);

    State m_state = State::Uninitialised;
    SDL_AudioDeviceID m_device = 0;
    std::vector<Voice> m_voices; // guarded by the device lock while it is open
    bool m_drainPosted = false; // guarded by the device lock
    bool m_reported = false;
    std::function<void()> m_onIdle;
    // Receives the callback's "all played" notice on the Qt thread; deleted
    // after the device is closed, which drops a notice still in the queue.
    std::unique_ptr<QObject> m_context;
};

}
