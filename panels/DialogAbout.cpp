#include "panels/DialogAbout.h"

#include <QComboBox>
#include <QDir>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <string_view>

#include "control/Identities.h"
#include "control/XKorvelCamCtrl.h"
#include "panels/ControlText.h"
#include "panels/Label.h"
#include "panels/PanelToolTip.h"

namespace zr
{

namespace
{

using enum ControlKind;
using enum CDialogAbout::ControlId;

// The project's home page, as the packages name it; the link shows it without its scheme.
constexpr std::string_view kHomePage = ZR_HOMEPAGE;
constexpr std::string_view kWebAddress = kHomePage.substr(kHomePage.find("//") + 2);
constexpr const char* kDownloadPage = ZR_HOMEPAGE "/downloads";

// clang-format off
constexpr ControlSpec kControls[] = {
    {kPicture,       Picture,       30,  14,  21, 20, nullptr,                                          nullptr,                         {}},
    {kTitle,         TextNoWrap,    79,   7, 183,  8, "",                                               nullptr,                         {}},
    {kVersion,       TextNoWrap,    79,  15, 183,  8, "",                                               nullptr,                         {}},
    {kNotice,        TextNoWrap,    79,  23, 201,  8, "Copyright (C) Korvel. All rights reserved.",     nullptr,                         {}},
    {kWebLink,       Link,          79,  34,  72,  8, kWebAddress.data(),                               nullptr,                         {}},
    {kDataGroup,     Group,          7,  43, 285, 71, "Camera Data",                                    nullptr,                         {}},
    {kModelLabel,    TextRight,     17,  54,  55, 12, "Model Name",                                     nullptr,                         {}},
    {kModel,         ReadOnlyEdit,  76,  54,  74, 12, nullptr,                                          nullptr,                         {kModelLabel}},
    {kCameraIdLabel, TextRight,    158,  54,  47, 12, "Camera ID",                                      nullptr,                         {}},
    {kCameraId,      ReadOnlyEdit, 209,  54,  74, 12, nullptr,                                          nullptr,                         {kCameraIdLabel}},
    {kFirmwareLabel, TextRight,     17,  68,  55, 12, "Firmware Version",                               nullptr,                         {}},
    {kFirmware,      ReadOnlyEdit,  76,  68,  74, 12, nullptr,                                          nullptr,                         {kFirmwareLabel}},
    {kFpgaLabel,     TextRight,    158,  68,  47, 12, "FPGA Version",                                   nullptr,                         {}},
    {kFpga,          ReadOnlyEdit, 209,  68,  74, 12, nullptr,                                          nullptr,                         {kFpgaLabel}},
    {kUserIdLabel,   TextRight,     17,  83,  55, 12, "User ID",                                        nullptr,                         {}},
    {kUserId,        Edit,          76,  83,  74, 12, nullptr,                                          nullptr,                         {kUserIdLabel}},
    {kSave,          Button,       160,  82,  48, 14, "Save User ID",                                   "Click to update the user ID",   {}},
    {kProtect,       RadioFirst,    76,  99,  65, 10, "Protect User ID",                                nullptr,                         {}},
    {kEnableEdit,    Radio,        160,  99,  87, 10, "Enable To Edit User ID",                         nullptr,                         {}},
    {kHelpGroup,     Group,          7, 116, 285, 42, "Help",                                           nullptr,                         {}},
    {kManualLink,    Link,          67, 126, 182,  8, "User's Manual  (Referenced In Korvel Web Site)", nullptr,                         {}},
    {kHelpLabel,     TextNoWrap,    19, 138,  40, 12, "Help File",                                      nullptr,                         {}},
    {kHelpFiles,     DropDown,      67, 138, 135, 37, nullptr,                                          nullptr,                         {kHelpLabel}},
    {kView,          Button,       209, 138,  69, 14, "View Help File",                                 "Online Help And Documentation", {}},
    {kStrip,         Strip,          7, 160, 285,  3, nullptr,                                          nullptr,                         {}},
};
// clang-format on

constexpr const char* kFamily = "ZR-47xCL";
constexpr int kTipWidth = 200;

} // namespace

const DialogLayout& CDialogAbout::Layout()
{
    static constexpr DialogLayout layout{1, "About This Control", 299, 170, kControls};
    return layout;
}

CDialogAbout::CDialogAbout(const PanelSpec& panelSpec, CXKorvelCamCtrl& owner,
                           PanelEnvironment& environment, QWidget* parent)
    : CDialogOCXBase(panelSpec, owner, environment, Layout(), parent)
{
    Controls().Get<QLabel>(kPicture)->setPixmap(QIcon(":/pictures/component.svg").pixmap(32, 32));
    // The about panel's tips wrap at half the other panels' width.
    Controls().ToolTip()->SetMaximumWidth(kTipWidth);

    // Both links: blue, underlined, a pointing hand, and they take clicks. The web link opens
    // its own text, the manual link the download page.
    for (int id : {kWebLink, kManualLink}) {
        CLabel* link = Controls().Get<CLabel>(id);
        link->SetNotify(true);
        link->SetTextColor(QColor(0, 0, 255));
        link->SetUnderline(true);
        link->SetLinkCursor(Qt::PointingHandCursor);
        link->SetOpener([this](const QString& target) { Environment().open(target); });
    }
    Controls().Get<CLabel>(kManualLink)->SetLinkTarget(kDownloadPage);

    Controls().Get<QLabel>(kTitle)->setText(QString("%1 Camera Control Tool").arg(kFamily));
    Controls().Get<QLabel>(kVersion)->setText(VersionLine(ZR_VERSION));

    // The help documents are the PDF files of the current folder.
    auto* files = Controls().Get<QComboBox>(kHelpFiles);
    files->addItems(QDir::current().entryList({"*.pdf"}, QDir::Files, QDir::Name));
    files->setCurrentIndex(files->count() > 0 ? 0 : -1);

    for (QLineEdit* field : {Field(kModel), Field(kCameraId), Field(kFirmware), Field(kFpga)})
        field->setFocusPolicy(Qt::ClickFocus);

    Handle(Controls().Get<QPushButton>(kSave), &QPushButton::clicked,
           [this](bool) { SaveUserId(); });
    Handle(Controls().Get<QPushButton>(kView), &QPushButton::clicked,
           [this](bool) { ViewHelpFile(); });
    Handle(Controls().Get<QRadioButton>(kProtect), &QRadioButton::clicked,
           [this](bool) { SetEditMode(0); });
    Handle(Controls().Get<QRadioButton>(kEnableEdit), &QRadioButton::clicked,
           [this](bool) { SetEditMode(1); });

    SetEditMode(editMode_);
    OnOnlineStatusChanged(owner.CheckOnline());
    for (int32_t row : {P_ID, P_MD, P_UD, P_VN, P_PV})
        ReadRow(row);
    CopyToControls();
}

QString CDialogAbout::VersionLine(const QString& version)
{
    // "1.30" is major 1, minor 30, as --version prints it.
    const QStringList parts = version.split('.');
    const int major = parts.value(0).toInt();
    const int minor = parts.value(1).toInt();
    return QString::asprintf("Version %d.%02d (x64)", major, minor);
}

QString CDialogAbout::FormatVersion(int32_t hundredths)
{
    return QString::asprintf("%.02f", hundredths / 100.0);
}

void CDialogAbout::ReadRow(int32_t row)
{
    switch (row) {
    case P_VN:
        firmware_ = Owner().GetParameterValue(P_VN);
        break;
    case P_PV:
        fpga_ = Owner().GetParameterValue(P_PV);
        break;
    case P_ID:
        cameraId_ = FromControlText(Owner().GetParameterText(P_ID));
        break;
    case P_MD:
        modelName_ = FromControlText(Owner().GetParameterText(P_MD));
        break;
    case P_UD:
        userId_ = FromControlText(Owner().GetParameterText(P_UD));
        break;
    default:
        break;
    }
}

void CDialogAbout::OnParameterChanged(int32_t parameter, bool, bool)
{
    if (parameter < P_VN || parameter > P_UD)
        return;
    ReadRow(parameter);
    // Only the field of that row is written: a user ID being typed is replaced by one the
    // camera reports, but not by the old text when another row of the panel changes.
    switch (parameter) {
    case P_VN:
        Field(kFirmware)->setText(FormatVersion(firmware_));
        break;
    case P_PV:
        Field(kFpga)->setText(FormatVersion(fpga_));
        break;
    case P_ID:
        Field(kCameraId)->setText(cameraId_);
        break;
    case P_MD:
        Field(kModel)->setText(modelName_);
        break;
    default:
        Field(kUserId)->setText(userId_);
        break;
    }
}

void CDialogAbout::CopyToControls()
{
    Field(kModel)->setText(modelName_);
    Field(kCameraId)->setText(cameraId_);
    Field(kFirmware)->setText(FormatVersion(firmware_));
    Field(kFpga)->setText(FormatVersion(fpga_));
    Field(kUserId)->setText(userId_);
    Controls().Get<QRadioButton>(editMode_ == 0 ? kProtect : kEnableEdit)->setChecked(true);
}

void CDialogAbout::CopyFromControls()
{
    userId_ = Field(kUserId)->text();
    editMode_ = Controls().Get<QRadioButton>(kEnableEdit)->isChecked() ? 1 : 0;
}

void CDialogAbout::SetEditMode(int mode)
{
    editMode_ = mode == 1 ? 1 : 0;
    Field(kUserId)->setReadOnly(editMode_ == 0);
    Controls().Get<QPushButton>(kSave)->setEnabled(editMode_ == 1);
    CopyToControls();
}

void CDialogAbout::SaveUserId()
{
    CopyFromControls();
    if (userId_.isEmpty()) {
        Owner().Ui().ShowMessageBox("A valid User ID must contain some characters !!",
                                    identity::kApplicationName, MessageIcon::Warning);
        return;
    }
    // Leading blanks go; a text of blanks only is sent as an empty one.
    qsizetype first = 0;
    while (first < userId_.size() && userId_[first].isSpace())
        ++first;
    userId_ = userId_.mid(first);
    std::string text;
    std::string error;
    if (!ToControlText(userId_, text, error)) {
        // Sent only as it was typed: nothing is replaced behind the user's back.
        Owner().Ui().ShowMessageBox("The User ID cannot be sent: " + error + ".",
                                    identity::kApplicationName, MessageIcon::Warning);
        return;
    }
    if (Owner().CheckOnline())
        Owner().SetUserIDText(text);
}

void CDialogAbout::ViewHelpFile()
{
    const auto* files = Controls().Get<QComboBox>(kHelpFiles);
    if (files->currentIndex() < 0) {
        Owner().Ui().ShowMessageBox("No file was selected!!", identity::kApplicationName,
                                    MessageIcon::Warning);
        return;
    }
    Environment().open(files->currentText());
}

} // namespace zr
