#include "prefs/prefModule.h"

#include "framework/Text.h"
#include "framework/TextField.h"
#include "framework/TextInputStream.h"
#include "framework/TextOutputStream.h"
#include "timer/Window1.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <unistd.h>
#include <utility>

namespace tockamo::prefModule {

int32_t MySetMin;
int32_t Window1Top;
int32_t Window1Left;
DirectiveArray gDirectives;

namespace {

constexpr const char* kFileName = "tockamo.txt";
// A save writes "tockamo.txt.tmp-<pid>" and renames it over the settings.
constexpr std::string_view kTemporaryPrefix = "tockamo.txt.tmp-";

// Exactly the name a save of some process writes: the prefix, then a process
// id in plain decimal digits.
bool IsTemporaryName(std::string_view name)
{
    if (!name.starts_with(kTemporaryPrefix))
        return false;
    std::string_view pid = name.substr(kTemporaryPrefix.size());
    return !pid.empty() && pid.front() != '0' && std::all_of(pid.begin(), pid.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A save killed half-way leaves its temporary file beside the settings.
// Those are removed; the file of a save still under way in another running
// Tockamo is locked by its writer and stays, whatever its process id says
// (an id can be reused by a new process long after its owner died).
void RemoveLeftoverTemporaries(const fw::FolderItem& folder)
{
    for (const std::string& name : folder.ItemNames()) {
        if (!IsTemporaryName(name))
            continue;
        if (fw::RefPtr<fw::FolderItem> leftover = folder.Child(name))
            leftover->DeleteIfAbandoned();
    }
}

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
    fw::RefPtr<fw::TextInputStream> stream = f->OpenAsTextFile();
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
    if (!extractDirectives(file)) {
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
    // Without a Preferences folder there is nowhere to keep the settings;
    // quitting goes on regardless.
    fw::RefPtr<fw::FolderItem> folder = fw::SpecialFolder::Preferences();
    if (!folder)
        return;
    fw::Ref<fw::FolderItem> file = folder->Child(kFileName).ToRef();

    // Both lines are made before anything touches the disk, so a failure to
    // reach the window leaves no stray file behind.
    std::string position = "#Window1Position " + fw::Str(Window1()->Top()) + fw::Chr(44) + fw::Str(Window1()->Left());
    std::string minutes = "#MySetMin " + fw::Str(fw::Variant(Window1()->SetMin()->Text()));

    RemoveLeftoverTemporaries(*folder);

    // The new contents go to a file of their own beside the old one and are
    // renamed over it only once they are safely on disk: a failed write or a
    // crash half-way leaves the user's settings as they were.
    fw::RefPtr<fw::FolderItem> temporary = folder->Child(std::string(kTemporaryPrefix) + std::to_string(getpid()));
    if (!temporary)
        return;
    fw::RefPtr<fw::TextOutputStream> stream = temporary->CreateTextFile();
    if (!stream)
        return;
    stream->WriteLine(position);
    stream->WriteLine(minutes);
    // The stream keeps its file locked until Close, so another Tockamo
    // tidying the folder meanwhile leaves it alone until it has its place.
    if (!stream->Flush() || !temporary->MoveOver(*file))
        temporary->Delete();
    stream->Close();
}

}
