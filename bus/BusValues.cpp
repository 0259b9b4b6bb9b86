#include "bus/BusValues.h"

#include <cstdint>
#include <string>

#include <sdbus-c++/Error.h>

#include "automation/HResult.h"
#include "base/AnsiText.h"
#include "bus/BusProtocol.h"

namespace zr::bus
{

std::string TextToBus(std::string_view ansi)
{
    return AnsiToUtf8(ansi);
}

std::string TextFromBus(const std::string& utf8)
{
    std::string ansi;
    std::string error;
    if (!Utf8ToAnsi(utf8, ansi, error))
        throw sdbus::Error(ErrorName(hresult::kTypeMismatch), "Type mismatch: " + error + ".");
    return ansi;
}

void AppendArgument(sdbus::Message& message, const AutomationArgument& argument,
                    const Variant& value)
{
    if (IsFileName(argument))
        message << value.ToBStr().value_or(std::string());
    else
        AppendValue(message, argument.type, value);
}

Variant ReadArgument(sdbus::Message& message, const AutomationArgument& argument)
{
    if (!IsFileName(argument))
        return ReadValue(message, argument.type);
    std::string path;
    message >> path;
    return Variant(std::move(path));
}

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
        message << TextToBus(value.ToBStr().value_or(std::string()));
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
        return Variant(TextFromBus(text));
    }
    case VarType::Void:
        break;
    }
    return {};
}

} // namespace zr::bus
