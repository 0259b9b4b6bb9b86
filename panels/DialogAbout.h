#pragma once

#include <QLineEdit>
#include <QString>

#include "panels/DialogOCXBase.h"

class QComboBox;

class QPushButton;

namespace zr
{

class CLabel;

// The about panel: the tool and its version, the connected camera's identity, the user ID with
// its save button, and the help documents.
class CDialogAbout : public CDialogOCXBase
{
    Q_OBJECT

public:
    // Control identifiers of the layout.
    enum ControlId : int {
        kPicture = 1100,
        kTitle,
        kVersion,
        kNotice,
        kWebLink,
        kDataGroup,
        kModelLabel,
        kModel,
        kCameraIdLabel,
        kCameraId,
        kFirmwareLabel,
        kFirmware,
        kFpgaLabel,
        kFpga,
        kUserIdLabel,
        kUserId,
        kSave,
        kProtect,
        kEnableEdit,
        kHelpGroup,
        kManualLink,
        kHelpLabel,
        kHelpFiles,
        kView,
        kStrip,
    };

    static const DialogLayout& Layout();
    // The version line for the project's version ("1.30" gives "Version 1.30 (x64)").
    static QString VersionLine(const QString& version);

    CDialogAbout(const PanelSpec& panelSpec, CXKorvelCamCtrl& owner, PanelEnvironment& environment,
                 QWidget* parent);

    // Rows 3 to 7 (VN, PV, ID, MD, UD): that field is read again and shown; the other fields
    // keep what they show.
    void OnParameterChanged(int32_t parameter, bool interactive, bool updateControls) override;

    // The user-ID edit mode: 0 protects the field, 1 lets the user edit and save it.
    void SetEditMode(int mode);
    // "Save User ID" and "View Help File".
    void SaveUserId();
    void ViewHelpFile();
    // A version value in hundredths as shown ("%.02f" of value / 100).
    static QString FormatVersion(int32_t hundredths);

    QLineEdit* Field(int id) const { return Controls().Get<QLineEdit>(id); }

private:
    void ReadRow(int32_t row);
    void CopyToControls();
    void CopyFromControls();

    QString modelName_;
    QString cameraId_;
    QString userId_;
    int32_t firmware_ = 0;
    int32_t fpga_ = 0;
    int editMode_ = 0;
};

} // namespace zr
