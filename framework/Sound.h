#pragma once

#include "Backend.h"
#include "ClassRecord.h"
#include "Object.h"

#include <memory>
#include <string>

namespace fw {

class Sound : public Object {
public:
    // Decodes the file through the backend; nil when it is missing or is not
    // a sound.
    static RefPtr<Sound> Open(const std::string& path);

    static const ClassRecord& Lookup();
    const ClassRecord& Class() const override;

    // Plays the sound once and returns at once; overlapping plays mix.
    void Play();
    const std::string& Path() const { return m_path; }

private:
    Sound(std::string path, std::shared_ptr<SoundClip> clip)
        : m_path(std::move(path))
        , m_clip(std::move(clip))
    {
    }
    std::string m_path;
    std::shared_ptr<SoundClip> m_clip;
};

// The desktop's bell, the stand-in when there is no sound to play.
void Beep();

}
