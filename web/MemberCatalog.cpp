#include "web/MemberCatalog.h"

#include "base/AnsiText.h"
#include "camera/ParameterTable.h"

namespace zr::web
{

namespace
{

bool IsCommunication(SpecialOp op)
{
    switch (op) {
    case SpecialOp::CommClass:
    case SpecialOp::CommPort:
    case SpecialOp::CheckOnline:
    case SpecialOp::CheckSynchronized:
    case SpecialOp::CheckSending:
    case SpecialOp::CheckReceiving:
    case SpecialOp::AskCommClassRange:
    case SpecialOp::AskCommClassString:
    case SpecialOp::AskCommPortRange:
    case SpecialOp::AskCommPortString:
    case SpecialOp::StartCommunication:
    case SpecialOp::AutoSelectCommunication:
    case SpecialOp::OnlineStatusChanged:
    case SpecialOp::SynchronizationStatusChanged:
    case SpecialOp::SendingStatusChanged:
    case SpecialOp::ReceivingStatusChanged:
    case SpecialOp::CommPortChanged:
        return true;
    default:
        return false;
    }
}

// The methods a user starts from a button; the rest (queries, the about box, the file
// methods) are for scripts.
bool IsOperation(SpecialOp op)
{
    switch (op) {
    case SpecialOp::ReadAllFromCamera:
    case SpecialOp::WriteAllToCamera:
    case SpecialOp::LoadSettings:
    case SpecialOp::StoreSettings:
    case SpecialOp::OnePushBalance:
    case SpecialOp::ShadingRecalibration:
    case SpecialOp::StartCommunication:
    case SpecialOp::AutoSelectCommunication:
        return true;
    default:
        return false;
    }
}

bool TakesFileName(SpecialOp op)
{
    return op == SpecialOp::ReadAllFromFile || op == SpecialOp::WriteAllToFile ||
           op == SpecialOp::WriteCameraDataToFile;
}

const ParameterEntry* RowOf(const AutomationMember& member)
{
    return member.row >= 0 ? FindParameter(member.row) : nullptr;
}

bool IsList(const AutomationMember& member)
{
    const ParameterEntry* row = RowOf(member);
    return row != nullptr && row->itemCount > 0 && row->items != nullptr;
}

const char* TypeName(VarType type)
{
    switch (type) {
    case VarType::I4:
        return "I4";
    case VarType::Bool:
        return "BOOL";
    case VarType::BStr:
        return "BSTR";
    case VarType::PtrI4:
        return "PTR(I4)";
    case VarType::Void:
        break;
    }
    return "";
}

} // namespace

const char* GroupOf(const AutomationMember& member)
{
    if (member.imager == 0)
        return "imager1";
    if (member.imager == 1)
        return "imager2";
    if (IsCommunication(member.special))
        return "communication";
    if (member.special != SpecialOp::None)
        return "main";
    return member.row >= 0 ? "common" : "other";
}

const char* ControlOf(const AutomationMember& member)
{
    if (member.kind == MemberKind::Method)
        return IsOperation(member.special) ? "button" : "none";
    // Events, and the panels' visibility (a browser has no panels).
    if (member.kind == MemberKind::Event || member.special == SpecialOp::PanelVisibility)
        return "none";
    switch (member.behaviour) {
    case MemberBehaviour::RowIndex:
        return "none";
    case MemberBehaviour::RowText: {
        // The text twin of a list or number row; a row that holds text is shown as text.
        const ParameterEntry* row = RowOf(member);
        return row != nullptr && row->Has(PF_STRING) ? "text" : "none";
    }
    default:
        break;
    }
    if (member.type == VarType::Bool)
        return "check";
    if (member.type == VarType::BStr)
        return "text";
    return IsList(member) ? "list" : "number";
}

bool CallableFromPage(const AutomationMember& member)
{
    return member.kind == MemberKind::Method && !TakesFileName(member.special);
}

Json DescribeMember(const AutomationMember& member)
{
    Json json = {{"name", std::string(member.Name())},
                 {"dispid", member.dispid},
                 {"kind", MemberKindName(member.kind)},
                 {"type", TypeName(member.type)},
                 {"group", GroupOf(member)},
                 {"control", ControlOf(member)},
                 {"readOnly", member.readOnly}};
    Json args = Json::array();
    for (const AutomationArgument& a : member.Arguments())
        args.push_back(
            {{"name", a.name}, {"type", TypeName(a.type)}, {"out", a.type == VarType::PtrI4}});
    json["args"] = std::move(args);
    const ParameterEntry* row = RowOf(member);
    if (member.kind != MemberKind::Property || row == nullptr ||
        member.behaviour != MemberBehaviour::RowValue)
        return json;
    if (IsList(member)) {
        // values: index = value (null where no item has that value); items: every item.
        Json values = Json::array();
        Json items = Json::array();
        for (int32_t i = 0; i < row->itemCount; ++i) {
            const ValueName& item = row->items[i];
            items.push_back({{"value", item.value}, {"text", item.text}});
            if (item.value >= 0 && item.value < 1024) {
                while (values.size() <= static_cast<size_t>(item.value))
                    values.push_back(nullptr);
                values[static_cast<size_t>(item.value)] = item.text;
            }
        }
        json["values"] = std::move(values);
        json["items"] = std::move(items);
    } else {
        json["min"] = row->minimum;
        json["max"] = row->maximum;
    }
    return json;
}

Json DescribeMembers()
{
    Json members = Json::array();
    for (const AutomationMember& member : AutomationMembers())
        members.push_back(DescribeMember(member));
    return {{"members", std::move(members)}};
}

Json ValueJson(const Variant& value)
{
    switch (value.Type()) {
    case VarType::I4:
        return *value.ToI4();
    case VarType::Bool:
        return *value.ToBool();
    case VarType::BStr:
        return AnsiToUtf8(*value.ToBStr()); // JSON is UTF-8, the control's texts Windows-1252
    default:
        return nullptr;
    }
}

std::optional<Variant> VariantOf(VarType type, const Json& value, std::string& error)
{
    error = "the value does not fit the type";
    if (type == VarType::BStr && value.is_string()) {
        // A character the control's texts cannot hold is refused, never replaced.
        std::string ansi;
        if (!Utf8ToAnsi(value.get<std::string>(), ansi, error))
            return std::nullopt;
        return Variant(ansi);
    }
    if (type == VarType::Bool && value.is_boolean())
        return Variant(value.get<bool>());
    if (value.is_number_integer()) {
        const int64_t number = value.get<int64_t>();
        if (number < INT32_MIN || number > INT32_MAX)
            return std::nullopt;
        if (type == VarType::Bool)
            return Variant(number != 0);
        if (type == VarType::I4)
            return Variant(static_cast<int32_t>(number));
    }
    if (type == VarType::I4 && value.is_boolean())
        return Variant(static_cast<int32_t>(value.get<bool>() ? -1 : 0));
    return std::nullopt;
}

std::map<std::string, bool> Enablement(const std::map<std::string, Variant>& values)
{
    ParameterValues rows{};
    for (const AutomationMember& member : AutomationMembers())
        if (member.kind == MemberKind::Property && member.behaviour == MemberBehaviour::RowValue &&
            member.row >= 0 && member.row < PARAMETER_COUNT)
            if (auto found = values.find(std::string(member.Name())); found != values.end())
                rows[static_cast<size_t>(member.row)] = found->second.ToI4().value_or(0);
    std::map<std::string, bool> enabled;
    for (const AutomationMember& member : AutomationMembers())
        if (member.kind == MemberKind::Property && member.row >= 0 && member.row < PARAMETER_COUNT)
            enabled[std::string(member.Name())] =
                EvaluateCondition(kParameterTable[static_cast<size_t>(member.row)].enabled, rows);
    return enabled;
}

} // namespace zr::web
