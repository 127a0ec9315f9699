#include "timer/Microwave.h"

#include "framework/FolderItem.h"
#include "framework/Runtime.h"
#include "framework/RuntimeException.h"

namespace tockamo {

namespace x_Microwave {
bool loaded = false;
fw::ModuleGlobal<fw::Sound> permaSound;
}

fw::RefPtr<fw::Sound> Microwave()
{
    if (!x_Microwave::loaded) {
        // Marked first: whatever the lookup below gives, an exception
        // included, the file is not looked for again in this run.
        x_Microwave::loaded = true;
        if (fw::RefPtr<fw::FolderItem> resources = fw::GetApplicationBundleResources()) {
            fw::RefPtr<fw::FolderItem> file = resources->Child("Microwave.wav");
            if (!file)
                throw fw::NilObjectException("no item for \"Microwave.wav\" in the resources folder");
            x_Microwave::permaSound.Set(file->OpenAsSound());
        }
    }
    return x_Microwave::permaSound.Get();
}

void PlayAlarm()
{
    // A missing or unplayable sound file must not stop the alarm's other
    // steps; the bell at least tells the user that the time is up.
    if (fw::RefPtr<fw::Sound> sound = Microwave())
        sound->Play();
    else
        fw::Beep();
}

}
