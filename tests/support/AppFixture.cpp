#include "tests/support/AppFixture.h"

#include "app/Startup.h"
#include "framework/Backend.h"
#include "framework/Runtime.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace tockamo::testing {

namespace {

std::optional<std::string> GetEnv(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::optional<std::string>(value) : std::nullopt;
}

void PutEnv(const char* name, const std::optional<std::string>& value)
{
    if (value)
        ::setenv(name, value->c_str(), 1);
    else
        ::unsetenv(name);
}

}

void AppTest::SetUp()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "tockamo-app-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    m_root = pattern;
    m_configDir = m_root / "config";
    std::filesystem::create_directories(m_configDir);
    std::filesystem::create_directories(m_root / "home");

    m_savedConfigHome = GetEnv("XDG_CONFIG_HOME");
    m_savedHome = GetEnv("HOME");
    PutEnv("XDG_CONFIG_HOME", m_configDir.string());
    PutEnv("HOME", (m_root / "home").string());
    // The program names itself, as its start code has it do first.
    fw::SetProgramIdentity(tockamo::Identity());
}

void AppTest::TearDown()
{
    PutEnv("XDG_CONFIG_HOME", m_savedConfigHome);
    PutEnv("HOME", m_savedHome);
    fw::SetProgramIdentity({});
    std::error_code ignored;
    std::filesystem::remove_all(m_root, ignored);
}

int32_t AppTest::RunProgram(Script script)
{
    auto backend = std::make_unique<fw::HeadlessBackend>();
    m_backend = backend.get();
    if (script) {
        // The script runs inside the program's event loop, which would report
        // an exception of the script's own as the program's and go on.
        backend->SetScript([script = std::move(script)](fw::HeadlessBackend& ui) {
            try {
                script(ui);
            } catch (const std::exception& error) {
                ADD_FAILURE() << "the test's script threw: " << error.what();
                throw;
            }
        });
    }
    return RunProgramOn(std::move(backend));
}

int32_t AppTest::RunProgramOn(std::unique_ptr<fw::Backend> backend)
{
    fw::InstallBackend(std::move(backend));
    // The alarm sound reads the build's share/tockamo/, which lies beside
    // bin/ as in an installed program.
    fw::SetExecutablePath(std::string(TOCKAMO_TEST_RESOURCES_DIR) + "/../../bin/tockamo");
    return tockamo::main();
}

void AppTest::SetConfigHome(const std::optional<std::string>& path)
{
    PutEnv("XDG_CONFIG_HOME", path);
    if (!path)
        PutEnv("HOME", std::nullopt);
}

void AppTest::WritePrefs(const std::string& contents) const
{
    std::ofstream out(PrefsFile(), std::ios::binary | std::ios::trunc);
    out << contents;
}

std::string AppTest::ReadPrefs() const
{
    std::ifstream in(PrefsFile(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void AppTest::ExpectInFreshProcess(const std::function<int()>& body)
{
    // The "threadsafe" style starts the test program anew and runs only the
    // calling test there, so the copy begins with nothing registered.
    std::string previousStyle = GTEST_FLAG_GET(death_test_style);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            int failures = body();
            TearDown();
            std::exit(failures == 0 ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    GTEST_FLAG_SET(death_test_style, previousStyle);
}

}
