// libFuzzer target for the preferences reader. Each input becomes the whole of
// "tockamo.txt"; the reader must neither crash nor misbehave, and what it
// extracts must be what the reading rules give, checked against a small
// independent reading of the same bytes.

#include "framework/FolderItem.h"
#include "framework/Text.h"
#include "prefs/directiveClass.h"
#include "prefs/prefModule.h"

#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

struct Directive {
    std::string name; // as written, before lower-casing
    std::string text;
};

// Only the first 64 KB of the file are read, up to the last line end within
// them. Lines end at LF, CR LF or a lone CR. The first line that is neither a
// directive ("#") nor a comment ("'") ends reading; a directive without a
// blank is skipped.
std::vector<Directive> ReadByTheRules(std::string_view bytes)
{
    constexpr size_t kReadLimit = 64 * 1024;
    if (bytes.size() > kReadLimit) {
        size_t lastEnd = bytes.find_last_of("\r\n", kReadLimit - 1);
        bytes = bytes.substr(0, lastEnd == std::string_view::npos ? 0 : lastEnd + 1);
    }
    std::vector<Directive> found;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = bytes.size();
        std::string_view line = bytes.substr(pos, end - pos);
        pos = end;
        if (pos < bytes.size())
            pos += bytes[pos] == '\r' && pos + 1 < bytes.size() && bytes[pos + 1] == '\n' ? 2 : 1;

        if (line.empty() || (line[0] != '#' && line[0] != '\''))
            break;
        if (line[0] == '\'')
            continue;
        size_t blank = line.find(' ');
        if (blank == std::string_view::npos)
            continue;
        found.push_back({ std::string(line.substr(1, blank - 1)), std::string(line.substr(blank + 1)) });
    }
    return found;
}

std::string s_folder;
std::string s_path;

void Setup()
{
    char folder[] = "/tmp/tockamo-fuzz-XXXXXX";
    if (!::mkdtemp(folder))
        std::abort();
    s_folder = folder;
    s_path = s_folder + "/tockamo.txt";
    ::setenv("XDG_CONFIG_HOME", s_folder.c_str(), 1);
    std::atexit([] {
        ::unlink(s_path.c_str());
        ::rmdir(s_folder.c_str());
    });
    tockamo::directiveClass::ctblinit();
}

void WriteInput(const uint8_t* data, size_t size)
{
    int fd = ::open(s_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        std::abort();
    for (size_t done = 0; done < size;) {
        ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0)
            std::abort();
        done += static_cast<size_t>(n);
    }
    ::close(fd);
}

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace tockamo::prefModule;
    static bool ready = (Setup(), true);
    (void)ready;
    WriteInput(data, size);
    std::vector<Directive> expected = ReadByTheRules(std::string_view(reinterpret_cast<const char*>(data), size));

    // The reader alone: exactly the expected directives, in order.
    gDirectives.Exit();
    gDirectives.Init();
    Check(extractDirectives(fw::FolderItem::Create(s_path)));
    Check(gDirectives.UBound() == static_cast<int32_t>(expected.size()));
    Check(!gDirectives.At(0));
    for (size_t i = 0; i < expected.size(); ++i) {
        fw::RefPtr<tockamo::directiveClass> d = gDirectives.At(static_cast<int32_t>(i + 1));
        Check(d->name == fw::Lowercase(expected[i].name));
        Check(d->text == expected[i].text);
    }

    // The whole load: a readable file never gives the defaults, and the last
    // directive of each recognised name decides.
    gDirectives.Exit();
    gDirectives.Init();
    MySetMin = Window1Top = Window1Left = 0;
    loadPrefs();
    int32_t minutes = 0, top = 0, left = 0;
    for (const Directive& d : expected) {
        if (fw::TextEquals(d.name, "MySetMin")) {
            minutes = fw::ToInt32(fw::Val(d.text));
        } else if (fw::TextEquals(d.name, "Window1Position")) {
            top = fw::ToInt32(fw::Val(fw::NthField(d.text, ",", 1)));
            left = fw::ToInt32(fw::Val(fw::NthField(d.text, ",", 2)));
        }
    }
    Check(MySetMin == minutes);
    Check(Window1Top == top);
    Check(Window1Left == left);
    return 0;
}
