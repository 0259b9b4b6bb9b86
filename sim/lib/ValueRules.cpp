#include "sim/lib/ValueRules.h"

#include <charconv>

#include "camera/ParameterTable.h"

namespace zr::sim
{

bool IsAcceptedValue(int32_t index, int32_t value)
{
    const ParameterEntry* row = FindParameter(index);
    if (row == nullptr || row->Has(PF_STRING))
        return false;
    if (index == P_AREA || index == P_LD || index == P_SA || index == P_EA)
        return value >= 0 && value <= 2;
    if (row->itemCount > 0) {
        for (int32_t i = 0; i < row->itemCount; ++i)
            if (row->items[i].value == value)
                return true;
        return false;
    }
    return value >= row->minimum && value <= row->maximum;
}

std::optional<int32_t> ParseCameraNumber(std::string_view text)
{
    bool plus = !text.empty() && text.front() == '+';
    if (plus)
        text.remove_prefix(1);
    if (text.empty() || (plus && text.front() == '-'))
        return std::nullopt;
    int32_t value = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

} // namespace zr::sim
