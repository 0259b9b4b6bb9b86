#pragma once

#include <cstdint>

#include "control/ControlWindow.h"
#include "control/XKorvelCamApp.h"

namespace zr
{

// The component module as its entry points see it: the module object with its settings, kept
// initialised while any class factory or object of the module is alive. The first lock starts
// the module object (so the settings file is found anew for every run of objects); the last
// unlock saves and closes its settings. All calls come from the thread that uses the objects.
class ComponentModule
{
public:
    // `windows` makes the control's windows; nullptr for a component without windows.
    explicit ComponentModule(ControlWindowFactory* windows = nullptr) : windows_(windows) {}
    ComponentModule(const ComponentModule&) = delete;
    ComponentModule& operator=(const ComponentModule&) = delete;

    void Lock();
    void Unlock();
    // Whether no factory or object holds the module (DllCanUnloadNow).
    bool CanUnload() const { return locks_ == 0; }

    // The module settings; only while locked.
    ModuleSettings& Settings();
    // The factory of the control's windows this build of the component carries, or nullptr.
    ControlWindowFactory* WindowFactory() const { return windows_; }

    // Holds the module for the lifetime of the object that owns it.
    class Hold
    {
    public:
        explicit Hold(ComponentModule& module) : module_(module) { module_.Lock(); }
        ~Hold() { module_.Unlock(); }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

        ComponentModule& Module() const { return module_; }

    private:
        ComponentModule& module_;
    };

private:
    CXKorvelCamApp app_;
    ControlWindowFactory* windows_;
    int32_t locks_ = 0;
};

// The module behind the component's entry points (ComponentEntry.cpp), as the framework keeps one
// per loaded module. Each build of the component defines it with its window factory:
// HeadlessComponent.cpp without windows (zr47xcl-component-headless, which zr47xcl links to make
// its control in-process), WindowedComponent.cpp with the panels' (the shared library).
ComponentModule& EntryModule();

} // namespace zr
