#include "SdlAudio.h"

#include "framework/Runtime.h"

#include <QMetaObject>
#include <QObject>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace fw::qt {

SdlAudio::SdlAudio()
    : m_context(std::make_unique<QObject>())
{
}

SdlAudio::~SdlAudio()
{
    // Closing waits for a running callback, so nothing touches this object
    // once the device is gone.
    if (m_device != 0)
        SDL_CloseAudioDevice(m_device);
    m_context.reset();
    if (m_state == State::Ready)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

std::shared_ptr<SdlClip> SdlAudio::Load(const std::string& path)
{
    SDL_AudioSpec wavFormat {};
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV(path.c_str(), &wavFormat, &buffer, &length))
        return nullptr;

    // The common case, 16-bit at the mixer's rate, is copied exactly; SDL's
    // converter goes through floating point and may move a sample by one.
    if (wavFormat.format == AUDIO_S16SYS && wavFormat.freq == kRate && (wavFormat.channels == 1 || wavFormat.channels == 2)) {
        size_t frames = length / (sizeof(int16_t) * wavFormat.channels);
        std::vector<int16_t> data(frames * kChannels);
        for (size_t frame = 0; frame < frames; ++frame) {
            for (int channel = 0; channel < kChannels; ++channel) {
                int16_t sample;
                std::memcpy(&sample, buffer + (frame * wavFormat.channels + (wavFormat.channels == 1 ? 0 : channel)) * sizeof(int16_t), sizeof sample);
                data[frame * kChannels + channel] = sample;
            }
        }
        SDL_FreeWAV(buffer);
        return std::make_shared<SdlClip>(std::move(data));
    }

    SDL_AudioCVT cvt {};
    if (SDL_BuildAudioCVT(&cvt, wavFormat.format, wavFormat.channels, wavFormat.freq, AUDIO_S16SYS, kChannels, kRate) < 0) {
        SDL_FreeWAV(buffer);
        return nullptr;
    }
    std::vector<Uint8> bytes(static_cast<size_t>(length) * std::max(cvt.len_mult, 1));
    std::memcpy(bytes.data(), buffer, length);
    SDL_FreeWAV(buffer);
    size_t converted = length;
    if (cvt.needed) {
        cvt.buf = bytes.data();
        cvt.len = static_cast<int>(length);
        if (SDL_ConvertAudio(&cvt) < 0)
            return nullptr;
        converted = static_cast<size_t>(cvt.len_cvt);
    }
    // Whole frames only, so that the two channels never swap places.
    size_t samples = converted / sizeof(int16_t);
    samples -= samples % kChannels;
    std::vector<int16_t> data(samples);
    std::memcpy(data.data(), bytes.data(), samples * sizeof(int16_t));
    return std::make_shared<SdlClip>(std::move(data));
}

void SdlAudio::Play(const std::shared_ptr<const SdlClip>& clip)
{
    if (!clip || clip->Samples().empty())
        return;
    if (!EnsureDeviceOpen())
        return;
    SDL_LockAudioDevice(m_device);
    m_voices.push_back(Voice { clip, 0 });
    m_drainPosted = false;
    SDL_UnlockAudioDevice(m_device);
    SDL_PauseAudioDevice(m_device, 0);
}

bool SdlAudio::EnsureInitialised()
{
    if (m_state == State::Uninitialised) {
        // Without this SDL installs its own SIGINT and SIGTERM handlers and
        // the program could no longer be ended with them.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
            m_state = State::Ready;
        } else {
            m_state = State::Unavailable;
            ReportNoDevice("no audio driver");
        }
    }
    return m_state == State::Ready;
}

bool SdlAudio::EnsureDeviceOpen()
{
    if (m_device != 0)
        return true;
    if (!EnsureInitialised())
        return false;
    SDL_AudioSpec want {};
    want.freq = kRate;
    want.format = AUDIO_S16SYS;
    want.channels = kChannels;
    want.samples = 1024;
    want.callback = &SdlAudio::Callback;
    want.userdata = this;
    SDL_AudioSpec have {};
    // No changes allowed: SDL converts to whatever the hardware wants, and
    // the callback always sees the clips' own format.
    m_device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (m_device == 0) {
        ReportNoDevice("the audio device could not be opened");
        return false;
    }
    m_voices.clear();
    m_drainPosted = false;
    return true;
}

void SdlAudio::CloseIfIdle()
{
    if (m_device == 0)
        return;
    SDL_LockAudioDevice(m_device);
    bool idle = m_voices.empty();
    SDL_UnlockAudioDevice(m_device);
    if (!idle)
        return;
    SDL_CloseAudioDevice(m_device);
    m_device = 0;
    if (m_onIdle)
        m_onIdle();
}

void SdlAudio::ReportNoDevice(const char* what)
{
    if (m_reported)
        return;
    m_reported = true;
    std::fprintf(stderr, "%s: %s (%s); sounds will not be heard\n", GetProgramIdentity().command.c_str(), what, SDL_GetError());
}

void SdlAudio::Mix(int16_t* out, size_t count, std::vector<Voice>& voices)
{
    for (size_t i = 0; i < count; ++i) {
        int32_t sum = 0;
        for (const Voice& voice : voices) {
            const auto& samples = voice.clip->Samples();
            if (voice.position + i < samples.size())
                sum += samples[voice.position + i];
        }
        out[i] = static_cast<int16_t>(std::clamp<int32_t>(sum, INT16_MIN, INT16_MAX));
    }
    for (Voice& voice : voices)
        voice.position += count;
    std::erase_if(voices, [](const Voice& voice) { return voice.position >= voice.clip->Samples().size(); });
}

void SdlAudio::Callback(void* self, Uint8* stream, int length)
{
    auto& audio = *static_cast<SdlAudio*>(self);
    Mix(reinterpret_cast<int16_t*>(stream), static_cast<size_t>(length) / sizeof(int16_t), audio.m_voices);
    // A device may not be closed from its own callback; the Qt thread does
    // it, a little later, so that the sound system can play out what it has
    // buffered.
    if (audio.m_voices.empty() && !audio.m_drainPosted) {
        audio.m_drainPosted = true;
        QObject* context = audio.m_context.get();
        QMetaObject::invokeMethod(
            context, [&audio, context] { QTimer::singleShot(kCloseDelayMs, context, [&audio] { audio.CloseIfIdle(); }); },
            Qt::QueuedConnection);
    }
}

}
