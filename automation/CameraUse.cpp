#include "automation/CameraUse.h"

#include "camera/ParameterTable.h"

namespace zr
{

namespace
{

// The methods with a behaviour of their own that involve the camera: whether they need it to do
// anything, and whether their result is a result code.
struct CameraUse {
    SpecialOp op;
    bool needsCamera;
    bool resultCode;
};
constexpr CameraUse kCameraUses[] = {
    {SpecialOp::ReadCurrentArea, true, false},
    {SpecialOp::ReadCurrentAreaString, true, false},
    {SpecialOp::LoadSettings, true, true},
    {SpecialOp::StoreSettings, true, true},
    {SpecialOp::ReadAllFromCamera, true, true},
    {SpecialOp::WriteAllToCamera, true, true},
    {SpecialOp::ReadAllFromFile, true, true},
    {SpecialOp::WriteAllToFile, false, true},
    {SpecialOp::WriteCameraDataToFile, true, true},
    {SpecialOp::StartCommunication, true, true},
    {SpecialOp::AutoSelectCommunication, true, false},
    {SpecialOp::OnePushBalance, true, true},
    {SpecialOp::ShadingRecalibration, true, true},
};

const CameraUse* FindCameraUse(const AutomationMember& member)
{
    if (member.kind != MemberKind::Method || member.behaviour != MemberBehaviour::Special)
        return nullptr;
    for (const CameraUse& use : kCameraUses)
        if (use.op == member.special)
            return &use;
    return nullptr;
}

} // namespace

bool NeedsCamera(const AutomationMember& member, InvokeKind kind)
{
    if (kind == InvokeKind::PropertyPut) {
        if (member.special == SpecialOp::UserId)
            return true;
        return member.row >= 0 && member.row < PARAMETER_COUNT &&
               kParameterTable[static_cast<size_t>(member.row)].Has(PF_WRITE);
    }
    if (kind == InvokeKind::Method) {
        const CameraUse* use = FindCameraUse(member);
        return use != nullptr && use->needsCamera;
    }
    return false;
}

bool ReturnsResultCode(const AutomationMember& member)
{
    const CameraUse* use = FindCameraUse(member);
    return use != nullptr && use->resultCode;
}

} // namespace zr
