#include "host/XKorvelZR47xCL.h"

#include <QWidget>
#include <strings.h>
#include <utility>

#include "automation/AutomationTypes.h"
#include "base/ProfileFile.h"
#include "base/UserFolders.h"
#include "control/Identities.h"

namespace zr
{

namespace
{

using GetClassObjectFunction = int32_t (*)(const char*, const char*, void**);

// The library registered for a class: the registration keeps one section per class identifier,
// with "Kind" = "Class" and the library's absolute path in "Library".
std::string RegisteredLibrary(const std::string& registryPath, const char* classId)
{
    ProfileFile file(registryPath);
    // Values are compared without regard to letter case, as keys and sections are.
    if (::strcasecmp(file.GetString(classId, "Kind", "").c_str(), "Class") != 0)
        return {};
    return file.GetString(classId, "Library", "");
}

} // namespace

CXKorvelZR47xCL::CXKorvelZR47xCL(SharedLibrary library, IXKorvelCamObject* object)
    : library_(std::move(library)), object_(object)
{
}

CXKorvelZR47xCL& CXKorvelZR47xCL::operator=(CXKorvelZR47xCL&& other) noexcept
{
    if (this != &other) {
        // The old object goes before the library that serves it.
        object_ = std::move(other.object_);
        library_ = std::move(other.library_);
        failure_ = std::move(other.failure_);
    }
    return *this;
}

CXKorvelZR47xCL::~CXKorvelZR47xCL() = default;

std::string CXKorvelZR47xCL::ClassRegistryPath()
{
    return UserBaseFolder("XDG_DATA_HOME", ".local/share") + "/xkorvel/classes.ini";
}

std::vector<std::string> CXKorvelZR47xCL::ClassRegistryPaths()
{
    std::vector<std::string> paths{ClassRegistryPath()};
    for (const std::string& folder : SystemDataFolders())
        paths.push_back(folder + "/xkorvel/classes.ini");
    return paths;
}

CXKorvelZR47xCL CXKorvelZR47xCL::FromRegistration(const std::vector<std::string>& registryPaths)
{
    std::string failures;
    std::string searched;
    for (const std::string& path : registryPaths) {
        searched += (searched.empty() ? "" : ", ") + path;
        if (RegisteredLibrary(path, identity::kControlClassId).empty())
            continue;
        CXKorvelZR47xCL proxy = FromRegistration(path);
        if (proxy.HasControl())
            return proxy;
        failures += (failures.empty() ? "" : "; ") + proxy.failure_;
    }
    CXKorvelZR47xCL proxy;
    if (!failures.empty()) {
        proxy.failure_ = failures; // why each registration found could not be used
    } else {
        proxy.failure_ = std::string("the control component is not registered: none of ") +
                         searched + " registers the class " + identity::kControlClassId +
                         ". Install the zr47xcl package, or register the component for "
                         "yourself with zr47xcl-regsvr.";
    }
    return proxy;
}

CXKorvelZR47xCL CXKorvelZR47xCL::FromRegistration(const std::string& registryPath)
{
    CXKorvelZR47xCL proxy;
    const std::string path = RegisteredLibrary(registryPath, identity::kControlClassId);
    if (path.empty()) {
        proxy.failure_ = std::string("the control class is not registered in ") + registryPath;
        return proxy;
    }
    // Registration writes absolute paths only. Any other name would be looked up on the library
    // search path or in the current folder, so a stray file there could be loaded instead.
    if (path.front() != '/') {
        proxy.failure_ = "the registered library path is not absolute: " + path;
        return proxy;
    }
    SharedLibrary library;
    if (!library.Load(path, Residency::Resident)) {
        proxy.failure_ = "cannot load " + library.Error(); // the reason names the file
        return proxy;
    }
    auto getClassObject =
        reinterpret_cast<GetClassObjectFunction>(library.Symbol("DllGetClassObject"));
    if (getClassObject == nullptr) {
        proxy.failure_ = path + " has no DllGetClassObject";
        return proxy;
    }
    void* factoryPointer = nullptr;
    if (getClassObject(identity::kControlClassId, kClassFactoryInterface, &factoryPointer) !=
            hresult::kOk ||
        factoryPointer == nullptr) {
        proxy.failure_ = path + " offers no class factory of this host's interface version";
        return proxy;
    }
    std::unique_ptr<IXKorvelCamClassFactory, ReleaseObject> factory(
        static_cast<IXKorvelCamClassFactory*>(factoryPointer));
    IXKorvelCamObject* object = nullptr;
    if (factory->CreateInstance(&object) != hresult::kOk || object == nullptr) {
        proxy.failure_ = path + " could not create the control";
        return proxy;
    }
    factory.reset();
    return CXKorvelZR47xCL(std::move(library), object);
}

void CXKorvelZR47xCL::SetScreenshotFolder(const std::string& folder)
{
    if (object_)
        object_->SetScreenshotFolder(folder.c_str());
}

void CXKorvelZR47xCL::SelectPort(int32_t commClass, int32_t port)
{
    if (object_)
        object_->SelectPort(commClass, port);
}

std::string CXKorvelZR47xCL::SelectPortNamed(const std::string& name)
{
    if (!object_)
        return "no control";
    if (object_->SelectPortNamed(name.c_str()) != hresult::kOk)
        return object_->ErrorDescription();
    return {};
}

void CXKorvelZR47xCL::ShowPortsWindow()
{
    if (object_)
        object_->ShowPortsWindow();
}

void CXKorvelZR47xCL::SetProgress(IXKorvelCamProgress* progress)
{
    if (object_)
        object_->SetProgress(progress);
}

QWidget* CXKorvelZR47xCL::CreateControlWindow(QWidget* parent)
{
    if (!object_)
        return nullptr;
    return static_cast<QWidget*>(object_->CreateControlWindow(parent));
}

void CXKorvelZR47xCL::SetProperty(int32_t dispid, bool value)
{
    if (!object_)
        return;
    Variant argument(value);
    Variant result;
    // A visibility property cannot fail; there is nothing the host could do about it anyway.
    object_->Invoke(dispid, InvokeKind::PropertyPut, &argument, 1, &result);
}

int32_t CXKorvelZR47xCL::SaveScreenshots(const std::string& folder)
{
    if (!object_)
        return hresult::kFail;
    return object_->SaveScreenshots(folder.c_str());
}

std::string CXKorvelZR47xCL::Release()
{
    if (!object_)
        return {};
    std::string problem;
    if (object_->Close() != hresult::kOk)
        problem = object_->ErrorDescription();
    object_.reset();
    return problem;
}

} // namespace zr
