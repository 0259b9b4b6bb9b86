#pragma once

#include "base/SettingsStore.h"
#include "control/ModuleSettings.h"

namespace zr
{

// Gathers the settings writes of a control's shut-down (its own entries, then the camera's rows,
// then the communication choice) into one save of the module settings file. The control derives
// from it first, so it is destroyed last, after every base has written its entries. A save that
// fails keeps its changes unsaved in the module settings, whose HasUnsavedWrites() and Problem()
// tell the owner of the control (the component object's Close()).
class ShutdownBatch
{
protected:
    ShutdownBatch() = default;
    ~ShutdownBatch()
    {
        if (batch_ != nullptr)
            batch_->EndBatch();
    }
    ShutdownBatch(const ShutdownBatch&) = delete;
    ShutdownBatch& operator=(const ShutdownBatch&) = delete;

    // Opens the batch; stores other than the module settings file save nothing to batch.
    void BeginShutdownBatch(SettingsStore& settings)
    {
        batch_ = dynamic_cast<ModuleSettings*>(&settings);
        if (batch_ != nullptr)
            batch_->BeginBatch();
    }

private:
    ModuleSettings* batch_ = nullptr;
};

} // namespace zr
