// The control's window comes from the factory its module was given: the shared library's module
// carries the panels' (tests/panels), a headless build's none.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "component/ComponentInterface.h"
#include "component/ComponentModule.h"
#include "component/ComponentObject.h"
#include "control/Identities.h"
#include "support/TempDir.h"

namespace zr
{
namespace
{

using test::ScopedEnv;
using test::TempDir;

class FakeWindow final : public ControlWindow
{
public:
    void* Handle() override { return this; }
    int SaveScreenshots(const std::string&) override { return 0; }
    std::unique_ptr<EventSourceWatch> Watch(EventSource&) override { return nullptr; }
};

// Records what the object asks of it; throws when told to, as a window toolkit may.
class RecordingFactory final : public ControlWindowFactory
{
public:
    std::unique_ptr<ControlWindow> Create(CXKorvelCamCtrl&, void* parent,
                                          const std::string& screenshotFolder) override
    {
        ++calls;
        lastParent = parent;
        lastFolder = screenshotFolder;
        if (fail)
            throw std::runtime_error("no display");
        return std::make_unique<FakeWindow>();
    }

    int calls = 0;
    void* lastParent = nullptr;
    std::string lastFolder;
    bool fail = false;
};

TEST(ComponentWindowFactory, ObjectsMakeTheirWindowThroughTheModulesFactory)
{
    TempDir dir;
    ScopedEnv config("XDG_CONFIG_HOME", dir.Path() + "/config");
    RecordingFactory windows;
    ComponentModule module(&windows);
    int parent = 0;
    {
        std::unique_ptr<IXKorvelCamObject, ReleaseObject> object(new CXKorvelCamObject(module));
        object->SetScreenshotFolder("shots");
        void* handle = object->CreateControlWindow(&parent);
        ASSERT_NE(handle, nullptr);
        EXPECT_EQ(windows.lastParent, &parent);
        EXPECT_EQ(windows.lastFolder, "shots");
        // The one window is handed out again, not made twice.
        EXPECT_EQ(object->CreateControlWindow(nullptr), handle);
        EXPECT_EQ(windows.calls, 1);
        EXPECT_EQ(object->SaveScreenshots(dir.Path().c_str()), hresult::kOk);
    }
    {
        // A factory that throws yields no window and nothing escapes the boundary.
        windows.fail = true;
        std::unique_ptr<IXKorvelCamObject, ReleaseObject> object(new CXKorvelCamObject(module));
        EXPECT_EQ(object->CreateControlWindow(&parent), nullptr);
        EXPECT_EQ(windows.calls, 2);
        EXPECT_EQ(object->SaveScreenshots(dir.Path().c_str()), hresult::kFail);
    }
    {
        ComponentModule headless;
        std::unique_ptr<IXKorvelCamObject, ReleaseObject> object(new CXKorvelCamObject(headless));
        EXPECT_EQ(object->CreateControlWindow(&parent), nullptr);
    }

    // The entry points of the headless build, linked in-process as zr47xcl links them.
    void* raw = nullptr;
    ASSERT_EQ(DllGetClassObject(identity::kControlClassId, kClassFactoryInterface, &raw),
              hresult::kOk);
    std::unique_ptr<IXKorvelCamClassFactory, ReleaseObject> factory(
        static_cast<IXKorvelCamClassFactory*>(raw));
    IXKorvelCamObject* created = nullptr;
    ASSERT_EQ(factory->CreateInstance(&created), hresult::kOk);
    std::unique_ptr<IXKorvelCamObject, ReleaseObject> object(created);
    EXPECT_EQ(object->CreateControlWindow(&parent), nullptr);
    EXPECT_EQ(EntryModule().WindowFactory(), nullptr);
    EXPECT_EQ(DllCanUnloadNow(), hresult::kFalse);
    object.reset();
    factory.reset();
    EXPECT_EQ(DllCanUnloadNow(), hresult::kOk);
}

} // namespace
} // namespace zr
