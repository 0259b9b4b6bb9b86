#include "automation/CheckInvocation.h"

#include <optional>

#include "automation/HResult.h"
#include "control/ScriptError.h"

namespace zr
{

namespace
{

// The argument converted to its declared type; nothing when it does not convert.
std::optional<Variant> Convert(const Variant& value, VarType type)
{
    switch (type) {
    case VarType::I4:
        if (std::optional<int32_t> i = value.ToI4())
            return Variant(*i);
        return std::nullopt;
    case VarType::Bool:
        if (std::optional<bool> b = value.ToBool())
            return Variant(*b);
        return std::nullopt;
    case VarType::BStr:
        if (std::optional<std::string> s = value.ToBStr())
            return Variant(std::move(*s));
        return std::nullopt;
    case VarType::PtrI4:
        return Variant(value.ToI4().value_or(0));
    case VarType::Void:
        break;
    }
    return std::nullopt;
}

} // namespace

DispatchResult CheckInvocation(const AutomationMember* member, InvokeKind kind,
                               const std::vector<Variant>& args, std::vector<Variant>* typed)
{
    const bool method = kind == InvokeKind::Method;
    if (member == nullptr || member->kind == MemberKind::Event ||
        (member->kind == MemberKind::Method) != method)
        return {hresult::kMemberNotFound, "Member not found."};
    // The declared arguments: a put passes the property value, a method its parameters.
    const size_t expected = kind == InvokeKind::PropertyGet   ? 0
                            : kind == InvokeKind::PropertyPut ? 1
                                                              : member->argumentCount;
    if (args.size() != expected)
        return {hresult::kBadParamCount, "Invalid number of parameters."};
    if (kind == InvokeKind::PropertyPut && member->readOnly)
        return {static_cast<int32_t>(ScriptError::kSetNotSupported), kReadOnlyDescription};
    if (typed != nullptr) {
        typed->clear();
        typed->reserve(expected);
    }
    for (size_t i = 0; i < expected; ++i) {
        std::optional<Variant> value =
            Convert(args[i], method ? member->arguments[i].type : member->type);
        if (!value)
            return {hresult::kTypeMismatch, "Type mismatch."};
        if (typed != nullptr)
            typed->push_back(std::move(*value));
    }
    return {};
}

} // namespace zr
