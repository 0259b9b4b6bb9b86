#include "bus/BusValues.h"

#include <cstdint>
#include <string>

namespace zr::bus
{

void AppendValue(sdbus::Message& message, VarType type, const Variant& value)
{
    switch (type) {
    case VarType::I4:
    case VarType::PtrI4:
        message << value.ToI4().value_or(0);
        break;
    case VarType::Bool:
        message << value.ToBool().value_or(false);
        break;
    case VarType::BStr:
        message << value.ToBStr().value_or(std::string());
        break;
    case VarType::Void:
        break;
    }
}

Variant ReadValue(sdbus::Message& message, VarType type)
{
    switch (type) {
    case VarType::I4:
    case VarType::PtrI4: {
        int32_t number = 0;
        message >> number;
        return Variant(number);
    }
    case VarType::Bool: {
        bool flag = false;
        message >> flag;
        return Variant(flag);
    }
    case VarType::BStr: {
        std::string text;
        message >> text;
        return Variant(std::move(text));
    }
    case VarType::Void:
        break;
    }
    return {};
}

} // namespace zr::bus
