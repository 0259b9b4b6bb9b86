#pragma once

#include <QString>
#include <QTimer>
#include <functional>

#include "base/Signal.h"
#include "panels/DialogOCXBase.h"

class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace zr
{

// The communication panel: the communication class and port, the line status and the transfer
// indicator, synchronisation in either direction, setup and camera data files, the camera's
// EEPROM areas and the list of messages exchanged with the camera.
//
// All camera work goes through the control; the panel adds the dialogs, the indicators and the
// message list. Everything runs on the user-interface thread: while a long camera operation
// runs inside a button handler, the panel repaints only while the first few messages of an
// otherwise empty list arrive.
class CDialogComm : public CDialogOCXBase
{
    Q_OBJECT

public:
    // Control identifiers of the layout.
    enum ControlId : int {
        kDataGroup = 1200,
        kWriteCameraData,
        kLineGroup,
        kLineIcon,
        kLineText,
        kActivityIcon,
        kActivityText,
        kPortGroup,
        kCategoryLabel,
        kCategoryList,
        kPortLabel,
        kPortList,
        kAuto,
        kSyncGroup,
        kSyncIcon,
        kSyncText,
        kSyncCamera,
        kSyncProgram,
        kFilesGroup,
        kSaveIcon,
        kWriteFile,
        kOpenIcon,
        kReadFile,
        kCurrentAreaGroup,
        kCurrentArea,
        kGetArea,
        kAreaGroup,
        kAreaList,
        kStore,
        kLoad,
        kMessagesGroup,
        kMessages,
        kWriteLog,
        kClear,
        kFailureIcon,
        kStrip,
    };

    // The four file dialogs of the panel.
    enum class FileRequest : uint8_t { CameraData, SaveSetup, OpenSetup, SaveLog };
    // Asks the user for a file for `request`; an empty name when the dialog was cancelled.
    using FileChooser = std::function<QString(FileRequest)>;

    // The message list holds at most this many lines; the oldest go first.
    static constexpr int kMaxMessages = 512;
    // The transfer indicator stays at least this long after each transfer.
    static constexpr int kActivityHoldMs = 100;

    static const DialogLayout& Layout();

    CDialogComm(const PanelSpec& panelSpec, CXKorvelCamCtrl& owner, PanelEnvironment& environment,
                QWidget* parent);
    ~CDialogComm() override;

    void OnOnlineStatusChanged(bool online) override;
    void OnSynchronizationStatusChanged(bool synchronized) override;
    void OnSendingStatusChanged(bool sending, int32_t atOnce) override;
    void OnReceivingStatusChanged(bool receiving, int32_t atOnce) override;
    void OnCommPortChanged() override;
    // Only the current EEPROM area (EA) is shown here.
    void OnParameterChanged(int32_t parameter, bool interactive, bool updateControls) override;

    // A message line: CR and LF removed, added on top, the oldest dropped beyond kMaxMessages.
    void AddMessage(const QString& text);
    // Lists why the last connection attempt failed (the port, its device and the system's
    // reason) while the camera is offline; nothing after a success.
    void AddConnectionFailure();
    // Connects on `port` of `commClass` as the lists ask; a failure is listed, then reported.
    void ConnectFromLists(int32_t commClass, int32_t port);
    // Writes the message list to `path`, oldest line first, each ended by CR LF. The file is
    // replaced only once it has been written completely; false when that failed.
    bool WriteMessages(const QString& path) const;

    // The file dialog the panel uses (tests answer without a window).
    void SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }

    bool IsBusy() const { return busy_; }
    // The one-shot timer that hides the transfer indicator.
    QTimer& ActivityTimer() { return activityTimer_; }
    QComboBox* CategoryList() const;
    QComboBox* PortList() const;
    QComboBox* AreaList() const;
    QListWidget* Messages() const;
    QLabel* Text(int id) const;
    QPushButton* Button(int id) const;

    // A camera operation behind one of the buttons (defined with the panel's tables).
    struct Operation;

private:
    void FillCategories();
    void FillPorts(int32_t commClass);
    void FillAreas();
    void SelectCategory(int index);
    void SelectPort(int index);
    void AutoSelect();
    void SelectArea(int index);
    void ShowCurrentArea(const QString& text);
    void RunCameraOperation(const Operation& operation);
    // The control's operation behind `button` with the chosen file; its result code and the row
    // its report names.
    int CallControl(int button, const std::string& path, int32_t& row);
    void SaveFile(FileRequest request);
    void WriteLog();
    void ClearMessages();
    void ShowFailure(bool failed);
    void SetPicture(int id, const char* picture);
    QString ChooseFileWithDialog(FileRequest request);

    FileChooser chooseFile_;
    QTimer activityTimer_;
    ScopedConnection<const std::string&, bool> commLog_;
    int32_t shownClass_ = -1;
    bool busy_ = false;
    bool linkLossShown_ = false; // the link loss under way is in the message list
};

} // namespace zr
