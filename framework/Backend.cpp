#include "Backend.h"

#include "RuntimeException.h"

namespace fw {

namespace {

std::unique_ptr<Backend>& InstalledBackend()
{
    static std::unique_ptr<Backend> backend;
    return backend;
}

}

void InstallBackend(std::unique_ptr<Backend> backend)
{
    InstalledBackend() = std::move(backend);
}

Backend& GetBackend()
{
    auto& backend = InstalledBackend();
    if (!backend)
        throw RuntimeException("no backend is installed: the start code must call fw::InstallBackend before the framework is used");
    return *backend;
}

bool HasBackend()
{
    return InstalledBackend() != nullptr;
}

}
