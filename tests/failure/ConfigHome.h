#pragma once

#include "tests/support/Files.h"
#include "tests/support/HeadlessFixture.h"

#include <optional>
#include <string>
#include <vector>

namespace tockamo::testing {

// A private Preferences folder for one test: XDG_CONFIG_HOME points at
// <temporary root>/config (not created) until the object goes, when the old
// value comes back and the whole temporary tree is removed.
class ConfigHome {
public:
    ConfigHome();
    ~ConfigHome();
    ConfigHome(const ConfigHome&) = delete;
    ConfigHome& operator=(const ConfigHome&) = delete;

    const std::string& Root() const { return m_root; }
    std::string Folder() const { return m_root + "/config"; }
    std::string PrefsPath() const { return Folder() + "/tockamo.txt"; }
    // Points XDG_CONFIG_HOME somewhere else, e.g. below a regular file.
    void PointAt(const std::string& path);

    // Creates the folder and writes tockamo.txt with exactly `contents`.
    void WritePrefs(const std::string& contents) const;
    // The file's bytes, or nothing when it cannot be read.
    std::optional<std::string> ReadPrefs() const;
    // The names in the Preferences folder, sorted.
    std::vector<std::string> FolderEntries() const;

private:
    std::string m_root;
    std::optional<std::string> m_saved;
};

// The program on the headless backend, named as its start code names it, so
// that what it says on standard error reads as it does for the user.
class ProgramTest : public fw::testing::HeadlessTest {
protected:
    void SetUp() override;
    void TearDown() override;
};

// The lines of what the program said on standard error that name `path`.
std::vector<std::string> LinesNaming(const std::string& said, const std::string& path);
// Checks that the program said, of the file at `path`, exactly one line and
// that it holds `words`, or nothing at all where `words` is nullptr.
void ExpectSaid(const std::string& said, const std::string& path, const char* words);


}
