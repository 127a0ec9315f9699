#pragma once

#include "framework/FolderItem.h"
#include "framework/Ref.h"
#include "prefs/directiveClass.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tockamo::prefModule {

// The values that outlive a run. They are zero until loadPrefs sets them.
extern int32_t MySetMin;
extern int32_t Window1Top;
extern int32_t Window1Left;

// The growable array behind gDirectives, indexed from 0. There is no array
// until Init creates it with one empty element at index 0; the reader
// appends from index 1 on.
class DirectiveArray {
public:
    void Init();
    // Drops the array: the global reads as "no array" before its directives
    // are released.
    void Exit();

    bool Exists() const { return m_items.has_value(); }
    // The highest index; -1 when there is no array.
    int32_t UBound() const;
    // The element at `index` (nil at index 0). Raises NilObjectException
    // when there is no array and RuntimeException outside 0 to UBound.
    fw::RefPtr<directiveClass> At(int32_t index) const;
    // Appends at UBound + 1; raises NilObjectException when there is no array.
    void Append(fw::Ref<directiveClass> directive);

private:
    std::optional<std::vector<fw::RefPtr<directiveClass>>> m_items;
};

extern DirectiveArray gDirectives;

// Reads "tockamo.txt" from the Preferences folder (its first 64 KB at
// most) into the three values, or takes 150, 150 and 30 when there is no
// regular file that can be read whole.
void loadPrefs();
// Rewrites "tockamo.txt" from the open main window with SaveFile: the old
// file is replaced only once the new one is wholly on disk, and a failure
// keeps the old file. A file that was there at start but could not be read
// is left as it is. Whatever keeps the settings from being saved, standard
// error says so in one line that names the file, or the folder in the way,
// and why.
void savePrefs();
// Appends the directives of `f` to gDirectives; false when there is no file
// to read.
bool extractDirectives(fw::RefPtr<fw::FolderItem> f);

}
