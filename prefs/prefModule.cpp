#include "prefs/prefModule.h"

#include "framework/Runtime.h"
#include "framework/SaveFile.h"
#include "framework/Text.h"
#include "framework/TextField.h"
#include "framework/TextInputStream.h"
#include "timer/Window1.h"

#include <cstdio>
#include <optional>
#include <string>
#include <utility>

namespace tockamo::prefModule {

int32_t MySetMin;
int32_t Window1Top;
int32_t Window1Left;
DirectiveArray gDirectives;

namespace {

constexpr const char* kFileName = "tockamo.txt";
// The file holds two short lines. Of anything far larger, which is not the
// program's writing, only the start is read: start-up stays quick and small.
constexpr size_t kReadLimit = 64 * 1024;

// How the file stood at start-up. One that was there but could not be read
// (no permission, or a pipe or device in its place) is left as it is at
// quit: writing the defaults over it would lose the user's settings.
enum class FileAtStart {
    Readable, // or absent
    Unreadable,
    UnreadableAndSaid,
};
FileAtStart s_fileAtStart = FileAtStart::Readable;


}

void DirectiveArray::Init()
{
    m_items.emplace(1);
}

void DirectiveArray::Exit()
{
    std::optional<std::vector<fw::RefPtr<directiveClass>>> taken = std::exchange(m_items, std::nullopt);
    taken.reset();
}

int32_t DirectiveArray::UBound() const
{
    return m_items ? static_cast<int32_t>(m_items->size()) - 1 : -1;
}

fw::RefPtr<directiveClass> DirectiveArray::At(int32_t index) const
{
    if (!m_items)
        throw fw::NilObjectException("gDirectives has no array");
    if (index < 0 || index > UBound())
        throw fw::RuntimeException("gDirectives has no element " + std::to_string(index));
    return (*m_items)[static_cast<size_t>(index)];
}

void DirectiveArray::Append(fw::Ref<directiveClass> directive)
{
    if (!m_items)
        throw fw::NilObjectException("gDirectives has no array");
    m_items->emplace_back(directive);
}

bool extractDirectives(fw::RefPtr<fw::FolderItem> f)
{
    if (!f)
        return false;
    fw::RefPtr<fw::TextInputStream> stream = f->OpenAsTextFile(kReadLimit);
    if (!stream)
        return false;
    for (;;) {
        if (stream->IsEOF()) {
            stream->Close();
            return true;
        }
        std::string line = stream->ReadLine();
        std::string first = fw::Mid(line, 1, 1);
        if (first != "#" && first != "'") {
            // The first line that is neither a directive nor a comment, an
            // empty one included, ends the directives.
            stream->Close();
            return true;
        }
        if (first == "'")
            continue;
        int64_t blank = fw::InStr(0, line, " ");
        if (blank <= 0)
            continue;
        fw::Ref<directiveClass> directive = directiveClass::Create();
        gDirectives.Append(directive);
        directive->name = fw::Lowercase(fw::Mid(line, 2, blank - 2));
        directive->text = fw::Mid(line, blank + 1);
    }
}

void loadPrefs()
{
    // Without a Preferences folder there is no file to open, which is the
    // case the defaults are for; it is not worth ending the program over.
    fw::RefPtr<fw::FolderItem> folder = fw::SpecialFolder::Preferences();
    fw::RefPtr<fw::FolderItem> file = folder ? folder->Child(kFileName) : nullptr;
    s_fileAtStart = FileAtStart::Readable;
    if (!extractDirectives(file)) {
        if (file && file->Exists())
            s_fileAtStart = FileAtStart::Unreadable;
        Window1Top = 150;
        Window1Left = 150;
        MySetMin = 30;
        return;
    }
    // Directives apply in file order, so a later one overrides an earlier one.
    int32_t i = 0;
    while (i < gDirectives.UBound()) {
        ++i;
        fw::RefPtr<directiveClass> d = gDirectives.At(i);
        if (fw::TextEquals(d->name, "Window1Position")) {
            Window1Top = fw::ToInt32(fw::Val(fw::NthField(d->text, fw::Chr(44), 1)));
            Window1Left = fw::ToInt32(fw::Val(fw::NthField(d->text, fw::Chr(44), 2)));
        } else if (fw::TextEquals(d->name, "MySetMin")) {
            MySetMin = fw::ToInt32(fw::Val(d->text));
        }
    }
}

void savePrefs()
{
    // Quitting goes on whatever stops the save: the settings are then lost,
    // and standard error says so, naming what stood in the way.
    const std::string& command = fw::GetProgramIdentity().command;
    std::string problem;
    fw::RefPtr<fw::FolderItem> folder = fw::SpecialFolder::Preferences(&problem);
    if (!folder) {
        std::fprintf(stderr, "%s: the settings were not saved: %s\n", command.c_str(), fw::EscapedForMessage(problem).c_str());
        return;
    }
    fw::Ref<fw::FolderItem> file = folder->Child(kFileName).ToRef();

    // Both lines are made before anything touches the disk, so a failure to
    // reach the window leaves no stray file behind.
    std::string position = "#Window1Position " + fw::Str(Window1()->Top()) + fw::Chr(44) + fw::Str(Window1()->Left());
    std::string minutes = "#MySetMin " + fw::Str(fw::Variant(Window1()->SetMin()->Text()));

    const std::string path = fw::EscapedForMessage(file->NativePath());
    if (s_fileAtStart != FileAtStart::Readable) {
        if (s_fileAtStart == FileAtStart::Unreadable)
            std::fprintf(stderr, "%s: %s could not be read at start, so it is left as it is\n", command.c_str(), path.c_str());
        s_fileAtStart = FileAtStart::UnreadableAndSaid;
        return;
    }
    if (std::optional<std::string> failure = fw::SaveFile::Replace(*file, { position, minutes }))
        std::fprintf(stderr, "%s: %s was not saved: %s\n", command.c_str(), path.c_str(), fw::EscapedForMessage(*failure).c_str());
}

}
