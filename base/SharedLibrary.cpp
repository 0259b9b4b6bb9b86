#include "base/SharedLibrary.h"

#include <dlfcn.h>

#include <utility>

namespace zr
{

SharedLibrary::~SharedLibrary()
{
    Unload();
}

SharedLibrary::SharedLibrary(SharedLibrary&& other) noexcept
    : handle_(std::exchange(other.handle_, nullptr))
{
}

SharedLibrary& SharedLibrary::operator=(SharedLibrary&& other) noexcept
{
    if (this != &other) {
        Unload();
        handle_ = std::exchange(other.handle_, nullptr);
    }
    return *this;
}

bool SharedLibrary::Load(const std::string& fileName, Residency residency)
{
    Unload();
    // RTLD_LOCAL keeps the library's symbols out of the global scope, so two libraries that
    // export the same entry point names never see each other's.
    int flags = RTLD_NOW | RTLD_LOCAL;
    if (residency == Residency::Resident)
        flags |= RTLD_NODELETE;
    handle_ = dlopen(fileName.c_str(), flags);
    return handle_ != nullptr;
}

void SharedLibrary::Unload()
{
    if (handle_ != nullptr) {
        dlclose(handle_);
        handle_ = nullptr;
    }
}

void* SharedLibrary::Symbol(const char* name) const
{
    if (handle_ == nullptr)
        return nullptr;
    return dlsym(handle_, name);
}

} // namespace zr
