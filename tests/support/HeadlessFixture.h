#pragma once

#include "framework/headless/HeadlessBackend.h"

#include <gtest/gtest.h>

namespace fw::testing {

// A fresh framework on a fresh headless backend for each test: the backend is
// installed and the runtime started in SetUp; the framework's windows and
// globals are released in TearDown.
class HeadlessTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    HeadlessBackend& ui() { return *m_backend; }

private:
    HeadlessBackend* m_backend = nullptr;
};

}
