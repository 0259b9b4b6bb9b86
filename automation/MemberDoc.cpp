#include "automation/MemberDoc.h"

#include "camera/ParameterTable.h"

namespace zr
{

namespace
{

using enum MemberBehaviour;
using enum SpecialOp;

// What a member bound to a parameter row is, by behaviour; "@" stands for the row's mnemonic.
struct BehaviourDoc {
    MemberBehaviour behaviour;
    const char* text;
};

constexpr BehaviourDoc kBehaviourDocs[] = {
    {RowValue, "Value of the camera setting @."},
    {RowText, "Value of the camera setting @ as the text the panels show."},
    {RowIndex, "Value of the camera setting @ as its position among the choices enabled now."},
    {RowRange, "Smallest (nMinMax 0) or greatest (else) value of the camera setting @."},
    {RowIndexRange,
     "0 (nMinMax 0) or the greatest position among the choices of the camera setting @ enabled "
     "now."},
    {RowItemString, "Text of the value nIndex of the camera setting @."},
    {RowEvent, "Fired when the camera setting @ changed."},
};

// What a member with a behaviour of its own is.
struct SpecialDoc {
    SpecialOp special;
    const char* text;
};

constexpr SpecialDoc kSpecialDocs[] = {
    {PanelVisibility, "Whether the panel is shown: true shows it, false hides it."},
    {CommClass, "Communication class of the port the control uses: 0 serial, 1 Camera Link."},
    {CommPort, "Port the control uses within its class, from 0 (COM1 or the first frame grabber)."},
    {UserId, "User ID stored in the camera; a write unlocks the camera for it first."},
    {AboutBox, "Shows the About panel."},
    {CheckOnline, "True while the control holds its port and the camera answers."},
    {CheckSynchronized, "True once the control's mirror holds every setting of the camera."},
    {CheckSending, "True while a command is being sent to the camera."},
    {CheckReceiving, "True while an answer is being received from the camera."},
    {IsSameImager, "True when both imagers are of the same type."},
    {IsColorImager, "True when imager nImager (0 or 1) is a colour imager."},
    {ReadCurrentArea, "Asks the camera which EEPROM area it started from: its number."},
    {ReadCurrentAreaString, "Asks the camera which EEPROM area it started from: its name."},
    {LoadSettings, "Loads the settings of the chosen EEPROM area into the camera; a result code."},
    {StoreSettings, "Stores the camera's settings into the chosen EEPROM area; a result code."},
    {ReadAllFromCamera, "Reads every setting from the camera; a result code."},
    {WriteAllToCamera, "Writes every setting to the camera; a result code."},
    {ReadAllFromFile, "Writes the settings of the setup file bstrFileName to the camera; a result "
                      "code."},
    {WriteAllToFile,
     "Writes the camera's settings into the setup file bstrFileName; a result code."},
    {WriteCameraDataToFile, "Writes the camera data report into the file bstrFileName; a result "
                            "code."},
    {AskCommClassRange, "Smallest (nMinMax 0) or greatest (else) communication class."},
    {AskCommClassString, "Name of the communication class nIndex."},
    {AskCommPortRange, "Smallest (nMinMax 0) or greatest (else) port of the class nClass."},
    {AskCommPortString, "Name of the port nIndex of the class nClass."},
    {StartCommunication, "Connects to the camera on the port nPort of the class nClass; a result "
                         "code."},
    {AutoSelectCommunication,
     "Searches the ports for a camera and connects to it; a result code, then the class and port "
     "found (pnClass, pnPort)."},
    {OnePushBalance,
     "Runs the one-push balance of the camera setting @; a result code, then the camera's result "
     "(pnResult). nShowResultMessage non-zero shows the result in a message box."},
    {ShadingRecalibration,
     "Runs the shading correction (camera setting @); a result code, then the camera's result "
     "(pnResult). nShowResultMessage non-zero shows the result in a message box."},
    {OnlineStatusChanged, "Fired when the control goes online or offline."},
    {SynchronizationStatusChanged, "Fired when the mirror becomes or stops being synchronized."},
    {SendingStatusChanged, "Fired when sending to the camera starts or ends."},
    {ReceivingStatusChanged, "Fired when receiving from the camera starts or ends."},
    {CommPortChanged, "Fired when the control's communication class or port changed."},
};

const char* Template(const AutomationMember& member)
{
    if (member.behaviour == Special) {
        for (const SpecialDoc& doc : kSpecialDocs)
            if (doc.special == member.special)
                return doc.text;
        return "";
    }
    for (const BehaviourDoc& doc : kBehaviourDocs)
        if (doc.behaviour == member.behaviour)
            return doc.text;
    return "";
}

} // namespace

std::string MemberDoc(const AutomationMember& member)
{
    // A row the camera does not know (the EEPROM area chosen for loading and storing) is the
    // control's own setting.
    const ParameterEntry* row = member.row >= 0 ? FindParameter(member.row) : nullptr;
    const bool camera = row != nullptr && *row->mnemonic != '\0';
    std::string doc;
    for (const char* c = Template(member); *c != '\0'; ++c) {
        if (*c != '@')
            doc += *c;
        else if (camera)
            doc += row->mnemonic;
        else if (doc.ends_with("camera setting "))
            doc.replace(doc.size() - 15, 15, "setting the control keeps");
        else
            doc += "the control's own";
    }
    if (member.kind == MemberKind::Property && member.readOnly)
        doc += " Read-only.";
    return doc;
}

} // namespace zr
