#pragma once

#include <cstdint>

#include "automation/AutomationTypes.h"
#include "automation/HResult.h"

// The interfaces that cross the component boundary: DllGetClassObject hands out a class factory,
// the factory creates automation objects, an object drives one control through its dispatch.
//
// A program may load the component with dlopen, so both sides see only abstract classes with
// virtual functions, C strings and the Variant of AutomationTypes.h, compiled from the same
// headers by the same toolchain. Objects are destroyed by their own Release(), so memory is
// always freed by the side that allocated it. Nothing here throws.

namespace zr
{

// The interface name a caller passes to DllGetClassObject for IXKorvelCamClassFactory. The
// trailing number changes whenever one of these interfaces changes, so a program built against
// other headers is refused (kNoInterface) instead of calling through a mismatched table.
inline constexpr const char* kClassFactoryInterface = "zr.IXKorvelCamClassFactory.3";

// Receives what an automation object reports. Calls arrive synchronously on the caller's thread,
// from inside the Invoke or Start call that caused them.
class IXKorvelCamEvents
{
public:
    // An event of the event interface _DXKorvelCamEvents (all take no arguments).
    virtual void OnEvent(int32_t dispid, const char* name) = 0;
    // A command line sent to the camera (sent = true) or an answer line received, CR LF removed.
    // Lines of rows marked not to be logged do not arrive here either.
    virtual void OnCommLog(const char* line, bool sent) = 0;

protected:
    virtual ~IXKorvelCamEvents() = default;
};

// Follows the long operations of an automation object (read-all, write-all, setup files, the
// camera data report, one-push functions, the port search) and may ask them to stop. Calls
// arrive synchronously on the caller's thread, from inside the Invoke that runs the operation.
class IXKorvelCamProgress
{
public:
    // The operation `operation` ("Reading all settings") has `done` of `total` steps behind it.
    virtual void OnProgress(const char* operation, int32_t done, int32_t total) = 0;
    // Asked wherever an operation can stop safely (between rows, polls, port candidates).
    // True stops it there: it finishes its restoring steps (the camera data report puts the
    // camera's settings back) and ends with the result code of a stopped operation, 201.
    virtual bool IsStopRequested() = 0;

protected:
    virtual ~IXKorvelCamProgress() = default;
};

// One control object with its dispatch interface _DXKorvelCam.
class IXKorvelCamObject
{
public:
    // The start-up a container's window creation runs: with `connect`, one connection attempt
    // with the remembered class and port; a failure shows the start-up message and leaves the
    // control offline. Without `connect` the control simply stays offline. Call it once.
    virtual void Start(bool connect) = 0;
    // Before Start: the start-up uses this communication class and port instead of the
    // remembered ones. Like a StartCommunication, the choice is remembered when the object is
    // released, whether or not the connection succeeds.
    virtual void SelectPort(int32_t commClass, int32_t port) = 0;
    // Why the last connection attempt failed: the port, its device and the system's reason
    // ("COM6 is /dev/ttyUSB1: No such file or directory"); empty after a success. Valid until
    // the next call into the object.
    virtual const char* ConnectionFailure() const = 0;

    // The member of that name, without regard to letter case: kOk with its kind (MemberKind as
    // an integer) and dispid, or kUnknownName.
    virtual int32_t GetIDOfName(const char* name, int32_t* kind, int32_t* dispid) = 0;

    // Calls a member of the dispatch interface. `args` are the arguments in declaration order (a
    // property put passes the new value as its only argument); a PTR(I4) argument is a slot the
    // call overwrites with an I4. kOk, a script error's status code (ErrorDescription() then
    // gives its text), or one of the dispatch failures of `hresult`.
    virtual int32_t Invoke(int32_t dispid, InvokeKind kind, Variant* args, uint32_t argCount,
                           Variant* result) = 0;
    // The description of the last failed Invoke, or of what Close() reported; valid until the
    // next Invoke or Close.
    virtual const char* ErrorDescription() const = 0;

    // Adds or removes a receiver of events; the object does not own it. A receiver must stay
    // valid until it is removed or the object released.
    virtual void Advise(IXKorvelCamEvents* sink) = 0;
    virtual void Unadvise(IXKorvelCamEvents* sink) = 0; // removes a receiver Advise() added
    // Sets the one receiver of progress and stop requests, or none with nullptr; the object
    // does not own it. It must stay valid until replaced or the object released.
    virtual void SetProgress(IXKorvelCamProgress* progress) = 0;

    // The in-place activation of a container: creates the control's window (a QWidget*) as a
    // child of the host's QWidget* `parentWidget`, gives the control its windows and runs the
    // start-up (connection attempt, start-up message box on failure, panels). Instead of Start.
    // The window, or nullptr when this build of the component has no windows (the control then
    // stays headless and nothing is started). A second call returns the same window.
    virtual void* CreateControlWindow(void* parentWidget) = 0;
    // From now on every message box is rendered to `dir`/Message-<n>.png (n from 1) and dismissed
    // at once instead of waiting for a user. Call it before CreateControlWindow.
    virtual void SetScreenshotFolder(const char* dir) = 0;
    // Renders every panel (shown or not), the progress window and the property page to
    // `dir`/<settings section>.png (Main.png, About.png, ..., Progress.png, PropertyPage.png).
    // kOk, or kFail when there is no window or a picture could not be written.
    virtual int32_t SaveScreenshots(const char* dir) = 0;

    // Destroys the control (the module settings are written) and this object.
    virtual void Release() = 0;

    // Destroys the control now, which writes its settings into the module settings file, and
    // tells whether the file holds them: kOk; kFail when they could not be saved; kFalse when
    // the file could not be read (it is left as it is) but nothing needed saving. Unless kOk,
    // ErrorDescription() says why in one line for the user, as a host shows it in a message
    // box. Afterwards Invoke fails with kUnexpected; Release() still has to be called. Release()
    // alone closes the same way without telling.
    virtual int32_t Close() = 0;

    // Before Start: as SelectPort, with the port as users name it: COM1..COM16, CL:N, or the
    // device path of a COM port (the first COM port that leads to that device through the module
    // settings). kOk, or kFail with ErrorDescription() saying why.
    virtual int32_t SelectPortNamed(const char* name) = 0;
    // Shows the serial ports window over the control's window, where the user chooses the device
    // each COM port leads to; returns once it is closed. kOk, or kFail without a window.
    virtual int32_t ShowPortsWindow() = 0;

protected:
    virtual ~IXKorvelCamObject() = default;
};

// The class factory of the control.
class IXKorvelCamClassFactory
{
public:
    // A new control object in *object (not started), or a failure code and nullptr.
    virtual int32_t CreateInstance(IXKorvelCamObject** object) = 0;
    virtual void Release() = 0; // destroys the factory

protected:
    virtual ~IXKorvelCamClassFactory() = default;
};

// For std::unique_ptr<IXKorvelCamObject, ReleaseObject> on the caller's side.
struct ReleaseObject {
    void operator()(IXKorvelCamObject* object) const { object->Release(); }         // releases it
    void operator()(IXKorvelCamClassFactory* factory) const { factory->Release(); } // releases it
};

} // namespace zr

// The entry points of the component library, with C linkage. Their names follow the self-
// registration convention; the signatures are this system's.
extern "C" {
// Registers the control, its property page and the type library for the current user. kOk,
// kSelfRegTypeLib or kSelfRegClass.
int32_t DllRegisterServer();
// Removes exactly what DllRegisterServer wrote. kOk, kSelfRegTypeLib or kSelfRegClass.
int32_t DllUnregisterServer();
// A class factory for the class identifier `clsid` ("{...}", any letter case) and the interface
// name `iid` (kClassFactoryInterface). kOk with *object set (an IXKorvelCamClassFactory*),
// kClassNotAvailable, kNoInterface or kPointer.
int32_t DllGetClassObject(const char* clsid, const char* iid, void** object);
// kOk when no object or factory of the component is alive, else kFalse.
int32_t DllCanUnloadNow();
}
