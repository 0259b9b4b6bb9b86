// embed-control: a window of its own that carries the ZR-47xCL control, made through the
// component's class factory and driven through its dispatch.
//
//   embed-control [--quit-after MS]
//
// Prints the camera's model once the control has started. With --quit-after the program ends
// itself through QApplication::quit() after MS milliseconds, with the control's panel shown.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <QApplication>
#include <QMainWindow>
#include <QTimer>
#include <QVBoxLayout>

#include "automation/AutomationTypes.h"
#include "automation/HResult.h"
#include "component/ComponentInterface.h"
#include "control/Identities.h"

namespace
{

using ObjectPtr = std::unique_ptr<zr::IXKorvelCamObject, zr::ReleaseObject>;

// A control object from the component's class factory, or nothing.
ObjectPtr CreateControl()
{
    void* factoryPointer = nullptr;
    if (DllGetClassObject(zr::identity::kControlClassId, zr::kClassFactoryInterface,
                          &factoryPointer) != zr::hresult::kOk)
        return nullptr;
    std::unique_ptr<zr::IXKorvelCamClassFactory, zr::ReleaseObject> factory(
        static_cast<zr::IXKorvelCamClassFactory*>(factoryPointer));
    zr::IXKorvelCamObject* object = nullptr;
    if (factory->CreateInstance(&object) != zr::hresult::kOk)
        return nullptr;
    return ObjectPtr(object);
}

// A property by name through the dispatch; an empty Variant when it cannot be read.
zr::Variant GetProperty(zr::IXKorvelCamObject& object, const char* name)
{
    int32_t kind = 0;
    int32_t dispid = 0;
    zr::Variant value;
    if (object.GetIDOfName(name, &kind, &dispid) == zr::hresult::kOk)
        object.Invoke(dispid, zr::InvokeKind::PropertyGet, nullptr, 0, &value);
    return value;
}

void SetProperty(zr::IXKorvelCamObject& object, const char* name, zr::Variant value)
{
    int32_t kind = 0;
    int32_t dispid = 0;
    zr::Variant result;
    if (object.GetIDOfName(name, &kind, &dispid) == zr::hresult::kOk)
        object.Invoke(dispid, zr::InvokeKind::PropertyPut, &value, 1, &result);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    int quitAfter = -1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quit-after") == 0 && i + 1 < argc) {
            quitAfter = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: embed-control [--quit-after MS]\n");
            return 2;
        }
    }

    ObjectPtr control = CreateControl();
    if (!control) {
        std::fputs("embed-control: the component made no control\n", stderr);
        return 1;
    }
    QMainWindow window;
    window.setWindowTitle("Embedded ZR-47xCL control");
    auto* frame = new QWidget(&window);
    auto* layout = new QVBoxLayout(frame);
    window.setCentralWidget(frame);
    // The control's start-up runs here: connection attempt, panels.
    auto* controlWindow = static_cast<QWidget*>(control->CreateControlWindow(frame));
    if (controlWindow == nullptr) {
        std::fputs("embed-control: the component has no window\n", stderr);
        return 1;
    }
    layout->addWidget(controlWindow);
    window.show();
    SetProperty(*control, "ShowControlWindow", zr::Variant(true));
    std::printf("model %s\n", GetProperty(*control, "ModelName").ToText().c_str());
    std::fflush(stdout);

    if (quitAfter >= 0)
        QTimer::singleShot(quitAfter, &application, &QApplication::quit);
    const int status = application.exec();
    // The control goes before the window that holds its own; it writes the module settings.
    control->Close();
    control.reset();
    std::printf("ended %d\n", status);
    return status;
}
