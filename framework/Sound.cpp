#include "Sound.h"

namespace fw {

RefPtr<Sound> Sound::Open(const std::string& path)
{
    std::shared_ptr<SoundClip> clip = GetBackend().LoadSound(path);
    if (!clip)
        return nullptr;
    return RefPtr<Sound>(Adopt(*new Sound(path, std::move(clip))));
}

void Sound::Play()
{
    GetBackend().PlaySound(m_clip, m_path);
}

void Beep()
{
    GetBackend().Beep();
}

namespace {

const ClassRecord& ctblinit()
{
    return ClassRecord::Build("Sound", &Object::Lookup(), [](ClassRecord::Builder& builder) {
        builder.ClassAttribute("__Scope", "Public");
    });
}

}

const ClassRecord& Sound::Lookup()
{
    static const ClassRecord& record = ctblinit();
    return record;
}

const ClassRecord& Sound::Class() const
{
    return Lookup();
}

}
