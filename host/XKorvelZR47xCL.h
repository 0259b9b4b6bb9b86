#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/SharedLibrary.h"
#include "component/ComponentInterface.h"

class QWidget;

namespace zr
{

// The host's proxy for the embedded control. It creates the control by its class identifier
// through the per-user class registration and, once created, embeds the control's window and
// writes the five visibility properties by dispid; that is all the host asks of the control.
// Without a control every call does nothing.
class CXKorvelZR47xCL
{
public:
    // The visibility properties, the only members the host uses.
    enum Dispid : int32_t {
        kShowAboutWindow = 1,
        kShowCommunicationWindow = 2,
        kShowControlWindow = 3,
        kShowImage1Window = 4,
        kShowImage2Window = 5,
    };

    CXKorvelZR47xCL() = default;
    // Takes over a control object already created (and the library that serves it, if any).
    CXKorvelZR47xCL(SharedLibrary library, IXKorvelCamObject* object);
    CXKorvelZR47xCL(CXKorvelZR47xCL&&) noexcept = default;
    CXKorvelZR47xCL& operator=(CXKorvelZR47xCL&&) noexcept;
    ~CXKorvelZR47xCL();

    // Creates the control of the class registered as the control's class identifier in the
    // class registration file `registryPath`. A proxy without a control when the class is not
    // registered, its library cannot be loaded or refuses to create it; Failure() says why.
    static CXKorvelZR47xCL FromRegistration(const std::string& registryPath);
    // The same over several registration files in order: the first that registers the class
    // and whose library creates the control wins; a registration whose library fails is
    // passed over for the next. Without any, Failure() names every file looked at and how to
    // register.
    static CXKorvelZR47xCL FromRegistration(const std::vector<std::string>& registryPaths);
    // The per-user class registration file:
    // ${XDG_DATA_HOME:-$HOME/.local/share}/xkorvel/classes.ini.
    static std::string ClassRegistryPath();
    // Where a host looks, in order: the user's file above, then xkorvel/classes.ini under each
    // folder of $XDG_DATA_DIRS (default /usr/local/share:/usr/share), where a package registers
    // the component for every user.
    static std::vector<std::string> ClassRegistryPaths();

    bool HasControl() const { return object_ != nullptr; }
    // Why FromRegistration made no control; empty when it did.
    const std::string& Failure() const { return failure_; }

    // Message boxes of the control are rendered to this folder and dismissed at once instead
    // of waiting for a user. Call before CreateControlWindow.
    void SetScreenshotFolder(const std::string& folder);
    // The start-up uses this communication class and port instead of the remembered ones, and
    // remembers them at the end. Call before CreateControlWindow.
    void SelectPort(int32_t commClass, int32_t port);
    // The same with the port as users name it (COM1..COM16, CL:N or a COM port's device path).
    // Empty, or why the name leads to no port.
    std::string SelectPortNamed(const std::string& name);
    // Shows the control's serial ports window; returns once it is closed.
    void ShowPortsWindow();
    // The receiver of the control's progress and stop requests (see IXKorvelCamProgress); it
    // must outlive the control. Call before CreateControlWindow, so the start-up uses it too.
    void SetProgress(IXKorvelCamProgress* progress);
    // Creates the control's window as a child of `parent`; the control's start-up runs now
    // (connection attempt, its message box on failure, the panels). The window, or nullptr.
    QWidget* CreateControlWindow(QWidget* parent);
    // A property put of an automation boolean by dispid.
    void SetProperty(int32_t dispid, bool value);
    // Renders every panel, the progress window and the property page into `folder`. kOk, a
    // failure code of the control, or kFail without a control.
    int32_t SaveScreenshots(const std::string& folder);

    // Destroys the control: its window, then the object, which writes the module settings.
    // The library stays loaded until the proxy goes. Empty, or why the module settings could
    // not be read or saved.
    std::string Release();

private:
    // Declared before the object, so the object is always released before its code unloads.
    SharedLibrary library_;
    std::unique_ptr<IXKorvelCamObject, ReleaseObject> object_;
    std::string failure_;
};

} // namespace zr
