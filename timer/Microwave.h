#pragma once

#include "framework/ModuleGlobal.h"
#include "framework/Sound.h"

namespace tockamo {

namespace x_Microwave {
// Set by the first call of Microwave before it looks for the file, so that a
// failed load is never tried again in this run.
extern bool loaded;
// The alarm sound of this run, or nil when none could be loaded; released by
// permaSound.Exit() among the finalisers.
extern fw::ModuleGlobal<fw::Sound> permaSound;
}

// The alarm: "Microwave.wav" from the resources folder, read once per run.
fw::RefPtr<fw::Sound> Microwave();

// Plays the alarm once; the desktop's bell stands in when there is no sound.
void PlayAlarm();

}
