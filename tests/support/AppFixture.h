#pragma once

#include "framework/Backend.h"
#include "framework/headless/HeadlessBackend.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace tockamo::testing {

// Runs the whole program, from its entry point through the event loop to its
// exit status, on a fresh headless backend, with the preferences folder in a
// temporary folder of the test's own.
class AppTest : public ::testing::Test {
protected:
    using Script = std::function<void(fw::HeadlessBackend&)>;

    void SetUp() override;
    void TearDown() override;

    // What the start code does, with a headless backend in place of the
    // desktop one. `script` acts as the user while the loop runs; when it
    // returns without quitting, the session ends.
    int32_t RunProgram(Script script = {});
    // The same on the backend given, which stays installed after the run.
    int32_t RunProgramOn(std::unique_ptr<fw::Backend> backend);
    // The backend of the last run; it stays installed after the run, so what
    // it saw and heard can be read back.
    fw::HeadlessBackend& ui() { return *m_backend; }

    // The folder that $XDG_CONFIG_HOME names, and the preferences file in it.
    const std::filesystem::path& ConfigDir() const { return m_configDir; }
    std::filesystem::path PrefsFile() const { return m_configDir / "tockamo.txt"; }
    // Points $XDG_CONFIG_HOME elsewhere; nullopt unsets it (and $HOME).
    void SetConfigHome(const std::optional<std::string>& path);

    void WritePrefs(const std::string& contents) const;
    std::string ReadPrefs() const;
    const std::filesystem::path& Scratch() const { return m_root; }

    // Runs `body` in a freshly started copy of the test program, for what can
    // be seen only once per process (the order in which class records are
    // first built) or leaves the process changed for good. `body` writes what
    // it finds wrong to stderr and returns how many things were wrong; the
    // test fails, showing that output, unless it returns 0.
    void ExpectInFreshProcess(const std::function<int()>& body);

private:
    fw::HeadlessBackend* m_backend = nullptr;
    std::filesystem::path m_root;
    std::filesystem::path m_configDir;
    std::optional<std::string> m_savedConfigHome;
    std::optional<std::string> m_savedHome;
};

}
