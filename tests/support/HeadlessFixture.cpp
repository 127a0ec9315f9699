#include "tests/support/HeadlessFixture.h"

#include "framework/Runtime.h"

namespace fw::testing {

void HeadlessTest::SetUp()
{
    auto backend = std::make_unique<HeadlessBackend>();
    m_backend = backend.get();
    InstallBackend(std::move(backend));
    RuntimeInit();
    InitializeFrameworkClasses();
}

void HeadlessTest::TearDown()
{
    FinalizeFrameworkGlobals();
    RuntimeExit();
}

}
