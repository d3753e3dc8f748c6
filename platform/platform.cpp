#include "platform.h"

#include <memory>

// Defined with the Qt implementation.
std::unique_ptr<Platform> createQtPlatform();

namespace {
Platform* installed = nullptr;
}

Platform& Platform::instance()
{
    if (installed == nullptr) {
        static std::unique_ptr<Platform> qtPlatform = createQtPlatform();
        installed = qtPlatform.get();
    }
    return *installed;
}

Platform* Platform::install(Platform* p)
{
    Platform* before = installed;
    installed = p;
    return before;
}
