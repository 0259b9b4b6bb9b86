// The entry points of the component library: self-registration and the class factory.

#include <climits>
#include <cstdlib>
#include <dlfcn.h>
#include <new>
#include <string>
#include <string_view>

#include "component/ComponentInterface.h"
#include "component/ComponentModule.h"
#include "component/ComponentObject.h"
#include "component/Registration.h"
#include "control/Identities.h"

namespace
{

using namespace zr;

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

// The absolute path of the file this code was loaded from: the component library, or the
// program when the code is linked into one. The library's real file carries the full version
// (libXKorvelZR47xCL.so.1.30); when the link named after its SONAME lies beside it and leads to
// it, that link is the path, so a registration outlives an upgrade that replaces the real file.
std::string ModulePath()
{
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&DllRegisterServer), &info) == 0 ||
        info.dli_fname == nullptr)
        return {};
    char resolved[PATH_MAX];
    if (::realpath(info.dli_fname, resolved) == nullptr)
        return {};
    std::string path = resolved;
    std::string soname = path.substr(0, path.rfind('/') + 1) + std::string(ZR_COMPONENT_SONAME);
    char linked[PATH_MAX];
    if (soname != path && ::realpath(soname.c_str(), linked) != nullptr && path == linked)
        return soname;
    return path;
}

class ControlFactory final : public IXKorvelCamClassFactory
{
public:
    // Factories and objects hold the module while they live; DllCanUnloadNow says no until
    // all are gone.
    ControlFactory() : hold_(EntryModule()) {}
    ControlFactory(const ControlFactory&) = delete;
    ControlFactory& operator=(const ControlFactory&) = delete;

    int32_t CreateInstance(IXKorvelCamObject** object) override
    {
        if (object == nullptr)
            return hresult::kPointer;
        *object = nullptr;
        try {
            *object = new CXKorvelCamObject(hold_.Module());
        } catch (const std::bad_alloc&) {
            return hresult::kOutOfMemory;
        }
        return hresult::kOk;
    }
    void Release() override { delete this; }

private:
    ~ControlFactory() override = default;

    ComponentModule::Hold hold_;
};

} // namespace

extern "C" {

int32_t DllRegisterServer()
{
    return RegisterComponent(ClassRegistryPath(), ModulePath());
}

int32_t DllUnregisterServer()
{
    return UnregisterComponent(ClassRegistryPath(), ModulePath());
}

int32_t DllGetClassObject(const char* clsid, const char* iid, void** object)
{
    if (object == nullptr)
        return hresult::kPointer;
    *object = nullptr;
    if (clsid == nullptr || iid == nullptr)
        return hresult::kPointer;
    // The property page is a window of its own: a headless component has none to offer.
    if (!EqualsNoCase(clsid, identity::kControlClassId))
        return hresult::kClassNotAvailable;
    if (std::string_view(iid) != kClassFactoryInterface)
        return hresult::kNoInterface;
    IXKorvelCamClassFactory* factory = new (std::nothrow) ControlFactory();
    if (factory == nullptr)
        return hresult::kOutOfMemory;
    *object = factory;
    return hresult::kOk;
}

int32_t DllCanUnloadNow()
{
    return EntryModule().CanUnload() ? hresult::kOk : hresult::kFalse;
}

} // extern "C"
