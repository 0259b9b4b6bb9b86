#include "cli/SettingsReport.h"

#include <initializer_list>
#include <vector>

#include "camera/ParameterTable.h"

namespace zr::cli
{

namespace
{

// The first member of that kind bound to `row` with one of the behaviours.
const AutomationMember* RowMember(int32_t row, MemberKind kind,
                                  std::initializer_list<MemberBehaviour> behaviours)
{
    for (const AutomationMember& m : AutomationMembers()) {
        if (m.kind != kind || m.row != row)
            continue;
        for (MemberBehaviour b : behaviours)
            if (m.behaviour == b)
                return &m;
    }
    return nullptr;
}

// The property holding a row's value: its number, or its text for a text row.
const AutomationMember* ValueProperty(int32_t row)
{
    const AutomationMember* number =
        RowMember(row, MemberKind::Property, {MemberBehaviour::RowValue});
    if (number != nullptr)
        return number;
    return RowMember(row, MemberKind::Property,
                     {MemberBehaviour::RowText, MemberBehaviour::Special});
}

// The display-text property beside a row's number property, or nullptr.
const AutomationMember* TextProperty(int32_t row)
{
    if (RowMember(row, MemberKind::Property, {MemberBehaviour::RowValue}) == nullptr)
        return nullptr;
    return RowMember(row, MemberKind::Property, {MemberBehaviour::RowText});
}

} // namespace

std::string SettingsReport::Get(const AutomationMember& property)
{
    std::vector<Variant> none;
    Variant value;
    if (!object_.Invoke(property, InvokeKind::PropertyGet, none, value).Succeeded())
        return {};
    return value.ToText();
}

std::string SettingsReport::Call(const AutomationMember& method, int32_t argument)
{
    std::vector<Variant> args{Variant(argument)};
    Variant value;
    if (!object_.Invoke(method, InvokeKind::Method, args, value).Succeeded())
        return {};
    return value.ToText();
}

std::string SettingsReport::Describe(const AutomationMember& property)
{
    std::string out = std::string(property.Name()) + ": " + VarTypeName(property.type) +
                      (property.readOnly ? " property, read-only" : " property");
    const int32_t row = property.row;
    if (row < 0 || row >= PARAMETER_COUNT) {
        out += ", not bound to a camera setting\nvalue: " + Get(property) + "\n";
        return out;
    }
    const ParameterEntry& entry = kParameterTable[static_cast<size_t>(row)];
    out += ", row " + std::to_string(row);
    if (*entry.mnemonic != '\0')
        out += " (" + std::string(entry.mnemonic) + ")";
    out += "\n";

    const AutomationMember* value = ValueProperty(row);
    const AutomationMember* text = TextProperty(row);
    out += "value: " + (value != nullptr ? Get(*value) : Get(property));
    if (text != nullptr)
        out += " (" + Get(*text) + ")";
    out += "\n";

    if (entry.Has(PF_STRING)) {
        out += "text of at most " + std::to_string(entry.maximum) + " characters\n";
    } else if (entry.itemCount > 0) {
        // The enabled items, in item order, as the item-text method lists them now; an item
        // is enabled when it is the next one of that list.
        const AutomationMember* itemText =
            RowMember(row, MemberKind::Method, {MemberBehaviour::RowItemString});
        std::vector<std::string> enabled;
        for (int32_t k = 0; itemText != nullptr && k < entry.itemCount; ++k) {
            std::string item = Call(*itemText, k);
            if (item.empty())
                break;
            enabled.push_back(std::move(item));
        }
        out += "choices (* enabled now):\n";
        size_t next = 0;
        for (int32_t i = 0; i < entry.itemCount; ++i) {
            const ValueName& item = entry.items[i];
            const bool on = next < enabled.size() && enabled[next] == item.text;
            next += on ? 1 : 0;
            out += std::string(on ? "  * " : "    ") + std::to_string(item.value) + "\t" +
                   item.text + "\n";
        }
    } else {
        out += "range: " + std::to_string(entry.minimum) + " .. " + std::to_string(entry.maximum) +
               "\n";
    }

    if (entry.Has(PF_SETUP)) {
        const SettingsName& name = kParameterSettings[static_cast<size_t>(row)];
        out += "setup file: [" + std::string(name.section) + "] " + name.key + "\n";
    } else {
        out += "setup file: not stored\n";
    }
    out += std::string("text row: ") + (entry.Has(PF_STRING) ? "yes" : "no") + "\n";
    return out;
}

std::string SettingsReport::Dump()
{
    std::string out;
    for (int32_t row = 0; row < PARAMETER_COUNT; ++row) {
        const AutomationMember* value = ValueProperty(row);
        if (value == nullptr)
            continue;
        out += std::string(value->Name()) + "=" + Get(*value);
        if (const AutomationMember* text = TextProperty(row))
            out += " (" + Get(*text) + ")";
        out += "\n";
    }
    return out;
}

} // namespace zr::cli
