#include "automation/Dispatch.h"

#include <algorithm>
#include <new>

#include "automation/CheckInvocation.h"
#include "automation/HResult.h"
#include "control/ScriptError.h"
#include "control/XKorvelCamCtrl.h"

namespace zr
{

namespace
{

using B = MemberBehaviour;
using S = SpecialOp;

DispatchResult Failure(int32_t status, const char* description)
{
    return {status, description};
}

int32_t I4(const std::vector<Variant>& args, size_t i)
{
    return args[i].ToI4().value_or(0);
}

std::string BStr(const std::vector<Variant>& args, size_t i)
{
    return args[i].ToBStr().value_or(std::string());
}

} // namespace

CXKorvelCamDispatch::CXKorvelCamDispatch(CXKorvelCamCtrl& control)
    : control_(control),
      statusConnection_(control.statusChanged,
                        [this](StatusChange change) { Fire(StatusEvent(change)); }),
      parameterConnection_(control.parameterChanged,
                           [this](int32_t row) { Fire(FindRowEvent(row)); })
{
}

const AutomationMember* CXKorvelCamDispatch::StatusEvent(StatusChange change)
{
    static constexpr struct {
        StatusChange change;
        SpecialOp event;
    } kEvents[] = {
        {StatusChange::Online, SpecialOp::OnlineStatusChanged},
        {StatusChange::Synchronized, SpecialOp::SynchronizationStatusChanged},
        {StatusChange::Sending, SpecialOp::SendingStatusChanged},
        {StatusChange::Receiving, SpecialOp::ReceivingStatusChanged},
        {StatusChange::CommPort, SpecialOp::CommPortChanged},
    };
    for (const auto& e : kEvents)
        if (e.change == change)
            return FindSpecialMember(MemberKind::Event, e.event);
    return nullptr;
}

void CXKorvelCamDispatch::Fire(const AutomationMember* event)
{
    if (event != nullptr)
        eventFired.Emit(*event);
}

const AutomationMember* CXKorvelCamDispatch::GetIDsOfNames(std::string_view name)
{
    return FindMember(name);
}

DispatchResult CXKorvelCamDispatch::Invoke(int32_t dispid, InvokeKind kind,
                                           std::vector<Variant>& args, Variant& result)
{
    result = Variant();
    const MemberKind memberKind =
        kind == InvokeKind::Method ? MemberKind::Method : MemberKind::Property;
    const AutomationMember* member = FindMember(memberKind, dispid);
    std::vector<Variant> typed;
    if (DispatchResult refused = CheckInvocation(member, kind, args, &typed); !refused.Succeeded())
        return refused;
    const size_t expected = typed.size();

    try {
        switch (kind) {
        case InvokeKind::PropertyGet:
            result = GetProperty(*member);
            break;
        case InvokeKind::PropertyPut:
            PutProperty(*member, typed[0]);
            break;
        case InvokeKind::Method:
            result = CallMethod(*member, typed);
            // Hand the out arguments back through the caller's slots.
            for (size_t i = 0; i < expected; ++i) {
                if (member->arguments[i].type == VarType::PtrI4)
                    args[i] = typed[i];
            }
            break;
        }
    } catch (const ScriptError& error) {
        result = Variant();
        return {static_cast<int32_t>(error.Status()), error.Description()};
    } catch (const std::bad_alloc&) {
        result = Variant();
        return Failure(hresult::kOutOfMemory, "Out of memory.");
    } catch (...) {
        // Nothing may cross the automation boundary as an exception, whatever its type.
        result = Variant();
        return Failure(hresult::kFail, "Unspecified error.");
    }
    return {};
}

Variant CXKorvelCamDispatch::GetProperty(const AutomationMember& m)
{
    switch (m.behaviour) {
    case B::RowValue:
        return control_.GetParameterValue(m.row);
    case B::RowText:
        return control_.GetParameterText(m.row);
    case B::RowIndex:
        return control_.GetParameterIndex(m.row);
    case B::Special:
        break;
    default:
        return {};
    }
    switch (m.special) {
    case S::PanelVisibility:
        return control_.GetPanelVisible(m.panel);
    case S::CommClass:
        return control_.GetCommClass();
    case S::CommPort:
        return control_.GetCommPort();
    case S::UserId:
        return control_.GetParameterText(m.row);
    default:
        return {};
    }
}

void CXKorvelCamDispatch::PutProperty(const AutomationMember& m, const Variant& value)
{
    switch (m.behaviour) {
    case B::RowValue:
        control_.SetParameterValue(m.row, *value.ToI4());
        return;
    case B::RowText:
        control_.SetParameterText(m.row, *value.ToBStr());
        return;
    case B::RowIndex:
        control_.SetParameterIndex(m.row, *value.ToI4());
        return;
    case B::Special:
        break;
    default:
        return;
    }
    switch (m.special) {
    case S::PanelVisibility:
        control_.SetPanelVisible(m.panel, *value.ToBool());
        return;
    case S::UserId:
        control_.SetUserIDText(*value.ToBStr());
        return;
    default:
        return;
    }
}

Variant CXKorvelCamDispatch::CallMethod(const AutomationMember& m, std::vector<Variant>& args)
{
    switch (m.behaviour) {
    case B::RowRange:
        return CXKorvelCamCtrl::AskRange(m.row, I4(args, 0));
    case B::RowIndexRange:
        return control_.AskIndexRange(m.row, I4(args, 0));
    case B::RowItemString:
        return control_.AskItemString(m.row, I4(args, 0));
    case B::Special:
        return CallSpecialMethod(m, args);
    default:
        return {};
    }
}

Variant CXKorvelCamDispatch::CallSpecialMethod(const AutomationMember& m,
                                               std::vector<Variant>& args)
{
    CXKorvelCamCtrl& c = control_;
    int32_t row = 0;
    int code = 0;
    switch (m.special) {
    case S::AboutBox:
        c.AboutBox();
        return {};
    case S::CheckOnline:
        return c.CheckOnline();
    case S::CheckSynchronized:
        return c.CheckSynchronized();
    case S::CheckSending:
        return c.CheckSending();
    case S::CheckReceiving:
        return c.CheckReceiving();
    case S::IsSameImager:
        return c.IsSameImager();
    case S::IsColorImager:
        return c.IsColorImager(I4(args, 0));
    case S::ReadCurrentArea:
        return c.GetCurrentArea();
    case S::ReadCurrentAreaString:
        return c.GetCurrentAreaText();
    // The reported methods: a code other than 0 and 100 becomes a script error, naming the row
    // where the operation names one.
    case S::LoadSettings:
        return c.ReportResult(-1, c.LoadArea());
    case S::StoreSettings:
        return c.ReportResult(-1, c.StoreArea());
    case S::ReadAllFromCamera:
        code = c.ReadAll(row);
        return c.ReportResult(row, code);
    case S::WriteAllToCamera:
        code = c.WriteAll(row);
        return c.ReportResult(row, code);
    case S::ReadAllFromFile:
        code = c.ReadSetupFile(BStr(args, 0), row);
        return c.ReportResult(row, code);
    case S::WriteAllToFile:
        code = c.WriteSetupFile(BStr(args, 0), row);
        return c.ReportResult(row, code);
    case S::WriteCameraDataToFile:
        code = c.WriteCameraDataFile(BStr(args, 0), row);
        return c.ReportResult(row, code);
    case S::AskCommClassRange:
        return c.AskCommClassRange(I4(args, 0));
    case S::AskCommClassString:
        return c.AskCommClassString(I4(args, 0));
    case S::AskCommPortRange:
        return c.AskCommPortRange(I4(args, 0), I4(args, 1));
    case S::AskCommPortString:
        return c.AskCommPortString(I4(args, 0), I4(args, 1));
    case S::StartCommunication:
        return c.StartCommunication(I4(args, 0), I4(args, 1));
    case S::AutoSelectCommunication:
    case S::OnePushBalance:
    case S::ShadingRecalibration:
        return RunLongOperation(m, args);
    default:
        return {};
    }
}

// The long operations return their code unreported, with their outcome in the out arguments.
Variant CXKorvelCamDispatch::RunLongOperation(const AutomationMember& m, std::vector<Variant>& args)
{
    CXKorvelCamCtrl& c = control_;
    switch (m.special) {
    case S::AutoSelectCommunication: {
        int32_t commClass = I4(args, 0);
        int32_t port = I4(args, 1);
        int32_t found = c.AutoSelectCommunication(commClass, port, I4(args, 2) != 0);
        args[0] = commClass;
        args[1] = port;
        return found;
    }
    case S::OnePushBalance: {
        // AWB of the member's imager; the AYB balance (no imager) is kind 2.
        int32_t result = 0;
        const int32_t code =
            c.RunOnePushBalance(m.imager >= 0 ? m.imager : 2, result, I4(args, 1) != 0);
        args[0] = result;
        return code;
    }
    case S::ShadingRecalibration: {
        int32_t result = 0;
        const int32_t code = c.RunShadingRecalibration(m.imager, result, I4(args, 1) != 0);
        args[0] = result;
        return code;
    }
    default:
        return {};
    }
}

} // namespace zr
