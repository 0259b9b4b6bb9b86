#include "automation/LocalControl.h"

namespace zr
{

LocalControl::LocalControl(SettingsStore& settings) : control_(settings), dispatch_(control_)
{
    steps_ = ScopedConnection<const char*, int32_t, int32_t>(
        control_.operationProgress, [this](const char* operation, int32_t done, int32_t total) {
            progress_.Emit(operation != nullptr ? operation : "", done, total);
        });
}

LocalControl::~LocalControl()
{
    if (control_.HasWindow())
        control_.OnDestroy();
}

} // namespace zr
