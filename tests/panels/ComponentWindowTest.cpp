// The component library as a host uses it: loaded at run time, asked for the current factory
// interface, its control's window created inside the host's window, pictures saved, and the
// visibility properties reaching the panels.
#include <QDir>
#include <QFile>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

#include "base/SharedLibrary.h"
#include "component/ComponentInterface.h"
#include "control/Identities.h"
#include "support/TempDir.h"

namespace zr
{
namespace
{

using GetClassObject = int32_t (*)(const char*, const char*, void**);

TEST(ComponentWindow, AHostEmbedsTheControlThroughTheLibrary)
{
    test::TempDir dir;
    test::ScopedEnv config("XDG_CONFIG_HOME", dir.Path() + "/config");
    // COM1, the port tried at start-up, leads nowhere, whatever the machine has.
    const QString settings =
        QString::fromStdString(dir.Path() + "/config/Korvel-XKorvelZR47xCL.ini-Control");
    QDir().mkpath(settings);
    QFile file(settings + "/XKorvelZR47xCL Control.ini");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(("[Comm]\r\nCOM1=" + dir.Path() + "/no-such-tty\r\n").c_str());
    file.close();
    SharedLibrary component;
    ASSERT_TRUE(
        component.Load(std::string(ZR_LIB_DIR) + "/libXKorvelZR47xCL.so", Residency::Resident));
    auto getClassObject = reinterpret_cast<GetClassObject>(component.Symbol("DllGetClassObject"));
    ASSERT_NE(getClassObject, nullptr);
    void* raw = nullptr;
    EXPECT_EQ(getClassObject(identity::kControlClassId, "zr.IXKorvelCamClassFactory.1", &raw),
              hresult::kNoInterface);
    ASSERT_EQ(getClassObject(identity::kControlClassId, kClassFactoryInterface, &raw),
              hresult::kOk);
    std::unique_ptr<IXKorvelCamClassFactory, ReleaseObject> factory(
        static_cast<IXKorvelCamClassFactory*>(raw));
    IXKorvelCamObject* created = nullptr;
    ASSERT_EQ(factory->CreateInstance(&created), hresult::kOk);
    std::unique_ptr<IXKorvelCamObject, ReleaseObject> object(created);

    const std::string pictures = dir.Path() + "/pictures";
    QDir().mkpath(QString::fromStdString(pictures));
    object->SetScreenshotFolder(pictures.c_str());
    EXPECT_EQ(object->SaveScreenshots(pictures.c_str()), hresult::kFail) << "no window yet";
    auto host = std::make_unique<QWidget>();
    auto* window = static_cast<QWidget*>(object->CreateControlWindow(host.get()));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->parentWidget(), host.get());
    EXPECT_EQ(object->CreateControlWindow(host.get()), window);
    // The start-up found no camera: its message was rendered, not waited for.
    EXPECT_TRUE(QFile::exists(QString::fromStdString(pictures + "/Message-1.png")));

    // ShowAboutWindow (dispid 1) false hides the about panel.
    Variant hide(false);
    ASSERT_EQ(object->Invoke(1, InvokeKind::PropertyPut, &hide, 1, nullptr), hresult::kOk);
    const auto windows = window->findChildren<QWidget*>();
    const auto about = std::find_if(windows.begin(), windows.end(), [](const QWidget* w) {
        return w->windowTitle() == "About This Control";
    });
    ASSERT_NE(about, windows.end());
    EXPECT_FALSE((*about)->isVisible());

    ASSERT_EQ(object->SaveScreenshots(pictures.c_str()), hresult::kOk);
    for (const char* name : {"Main", "About", "Communication", "Control", "Control - IMG1",
                             "Control - IMG2", "Progress", "PropertyPage"})
        EXPECT_TRUE(QFile::exists(QString::fromStdString(pictures + "/" + name + ".png"))) << name;

    // The host's window may go first; the object is released safely afterwards.
    host.reset();
    EXPECT_EQ(object->SaveScreenshots(pictures.c_str()), hresult::kFail);
    object.reset();
    factory.reset();
}

} // namespace
} // namespace zr
