#include "panels/DialogComm.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <optional>
#include <string_view>

#include "base/AtomicFile.h"
#include "camera/CameraError.h"
#include "control/Identities.h"
#include "control/XKorvelCamCtrl.h"
#include "panels/ControlText.h"
#include "panels/WaitCursor.h"

namespace zr
{

namespace
{

using enum ControlKind;
using enum CDialogComm::ControlId;

// clang-format off
constexpr ControlSpec kControls[] = {
    {kDataGroup,        Group,        7,   3, 114, 32, "Write All Camera Data To File",       nullptr,                                           {}},
    {kWriteCameraData,  Button,      22,  14,  82, 14, "Write Camera Data",                   "Click to write camera data to a selecable file",  {}},
    {kLineGroup,        Group,      127,   3, 165, 32, "Line Status",                         nullptr,                                           {}},
    {kLineIcon,         Picture,    134,  13,  21, 20, nullptr,                               nullptr,                                           {}},
    {kLineText,         TextNoWrap, 161,  19,  31,  8, "Off-Line",                            nullptr,                                           {}},
    {kActivityIcon,     Picture,    207,  13,  21, 20, nullptr,                               nullptr,                                           {}},
    {kActivityText,     TextNoWrap, 233,  19,  31,  8, "Receiving",                           nullptr,                                           {}},
    {kPortGroup,        Group,        7,  37, 285, 28, "Communication Port",                  nullptr,                                           {}},
    {kCategoryLabel,    TextRight,   14,  47,  31, 12, "Category",                            nullptr,                                           {}},
    {kCategoryList,     DropDown,    50,  47,  62, 54, nullptr,                               "Select the communication category",               {kCategoryLabel}},
    {kPortLabel,        TextNoWrap, 123,  47,  34, 12, "Port Name",                           nullptr,                                           {}},
    {kPortList,         DropDown,   163,  47,  62, 62, nullptr,                               "Select the communication port",                   {kPortLabel}},
    {kAuto,             Button,     235,  46,  45, 14, "Auto",                                "Click to search an available communication port", {}},
    {kSyncGroup,        Group,        7,  67, 285, 32, "Synchronize",                         nullptr,                                           {}},
    {kSyncIcon,         Picture,     16,  76,  21, 20, nullptr,                               nullptr,                                           {}},
    {kSyncText,         TextNoWrap,  40,  78,  55, 12, "Not Synchronized",                    nullptr,                                           {}},
    {kSyncCamera,       Button,     110,  78,  82, 14, "Synchronize Camera",                  "Click to write data to the camera",               {}},
    {kSyncProgram,      Button,     199,  78,  82, 14, "Synchronize Program",                 "Click to read data from the camera",              {}},
    {kFilesGroup,       Group,        7, 101, 285, 32, "Files",                               nullptr,                                           {}},
    {kSaveIcon,         Picture,     29, 108,  21, 20, nullptr,                               nullptr,                                           {}},
    {kWriteFile,        Button,      54, 112,  82, 14, "Write To File...",                    "Click to write camera data to a selectable file", {}},
    {kOpenIcon,         Picture,    159, 108,  21, 20, nullptr,                               nullptr,                                           {}},
    {kReadFile,         Button,     185, 112,  82, 14, "Read From File...",                   "Click to read camera data from a selecable file", {}},
    {kCurrentAreaGroup, Group,        7, 135, 114, 32, "EEPROM Current Area",                 nullptr,                                           {}},
    {kCurrentArea,      TextNoWrap,  15, 146,  48, 14, nullptr,                               "Power up setting area name",                      {}},
    {kGetArea,          Button,      68, 146,  44, 14, "Get Area",                            "Click to read power up setting area name",        {}},
    {kAreaGroup,        Group,      127, 135, 165, 32, "Factory And User Settings In Camera", nullptr,                                           {}},
    {kAreaList,         DropDown,   137, 147,  62, 64, nullptr,                               "Area name to be stored/loaded",                   {}},
    {kStore,            Button,     205, 146,  37, 14, "Store",                               "Click to store camera data to the selected area", {}},
    {kLoad,             Button,     244, 146,  37, 14, "Load",                                "Click to load camera data to the selected area",  {}},
    {kMessagesGroup,    Group,        7, 168, 285, 59, "Control Tool Messages",               nullptr,                                           {}},
    {kMessages,         List,        15, 179, 199, 42, nullptr,                               "Communication log",                               {}},
    {kWriteLog,         Button,     224, 179,  57, 14, "Write To File...",                    "Click to write log data to a selecable file",     {}},
    {kClear,            Button,     224, 194,  57, 14, "Clear",                               "Click to clear log data",                         {}},
    {kFailureIcon,      Picture,    241, 205,  21, 20, nullptr,                               nullptr,                                           {}},
    {kStrip,            Strip,        7, 229, 285,  3, nullptr,                               nullptr,                                           {}},
};
// clang-format on

// The file dialogs: save or open, the filter and the suffix added to a name typed without one.
struct FileDialogSpec {
    CDialogComm::FileRequest request;
    bool save;
    const char* filter;
    const char* suffix;
};

constexpr FileDialogSpec kFileDialogs[] = {
    {CDialogComm::FileRequest::CameraData, true, "Camera Data (*.txt)", "txt"},
    {CDialogComm::FileRequest::SaveSetup, true, "Camera setup (*.cam)", "cam"},
    {CDialogComm::FileRequest::OpenSetup, false, "Camera setup (*.cam)", "cam"},
    {CDialogComm::FileRequest::SaveLog, true, "Control Tool Messages (*.txt)", "txt"},
};

constexpr const char* kOfflineLine = "Operation failed. The Camera is offline.";
constexpr const char* kNotFound = "Camera not found.";
constexpr const char* kLogFailed = "Operation failed in writing log file.";

// While the busy flag is set, the first lines of the list make the panel repaint.
constexpr int kRepaintLines = 5;

} // namespace

// One camera operation behind a button: the file dialog that asks for its file, if any, and how
// the panel accompanies it.
struct CDialogComm::Operation {
    int button;
    std::optional<FileRequest> file;
    // Sets the busy flag while it runs.
    bool busy;
    // Offline result listed and the failure picture shown, as for the long camera operations.
    bool examined;
};

namespace
{

// clang-format off
const CDialogComm::Operation kOperations[] = {
    // button         file dialog                           busy   examined
    {kSyncCamera,      std::nullopt,                         true,  true},
    {kSyncProgram,     std::nullopt,                         true,  true},
    {kStore,           std::nullopt,                         true,  true},
    {kLoad,            std::nullopt,                         true,  true},
    {kReadFile,        CDialogComm::FileRequest::OpenSetup,  true,  true},
    {kWriteCameraData, CDialogComm::FileRequest::CameraData, true,  false},
    // Writing a setup file shows the wait cursor only.
    {kWriteFile,       CDialogComm::FileRequest::SaveSetup,  false, false},
};
// clang-format on

} // namespace

const DialogLayout& CDialogComm::Layout()
{
    static constexpr DialogLayout layout{224, "Communication", 299, 239, kControls};
    return layout;
}

CDialogComm::CDialogComm(const PanelSpec& panelSpec, CXKorvelCamCtrl& owner,
                         PanelEnvironment& environment, QWidget* parent)
    : CDialogOCXBase(panelSpec, owner, environment, Layout(), parent),
      chooseFile_([this](FileRequest request) { return ChooseFileWithDialog(request); })
{
    QLabel* area = Text(kCurrentArea);
    area->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    area->setAlignment(Qt::AlignCenter);
    SetPicture(kSaveIcon, "disk");
    SetPicture(kOpenIcon, "folder-open");
    SetPicture(kFailureIcon, "stop");
    ShowFailure(false);

    activityTimer_.setSingleShot(true);
    activityTimer_.setInterval(kActivityHoldMs);
    connect(&activityTimer_, &QTimer::timeout, this,
            [this] { Guarded([this] { OnReceivingStatusChanged(false, 1); }); });

    OnSynchronizationStatusChanged(owner.CheckSynchronized());
    OnReceivingStatusChanged(false, 1);
    OnOnlineStatusChanged(owner.CheckOnline());

    FillCategories();
    FillPorts(owner.GetCommClass());
    CategoryList()->setCurrentIndex(owner.GetCommClass());
    PortList()->setCurrentIndex(owner.GetCommPort());
    FillAreas();
    ShowCurrentArea(FromControlText(owner.GetCurrentAreaText()));
    // A start-up that failed before this panel existed is listed now.
    AddConnectionFailure();

    // The same subscription to the communication log as every other reader of it.
    commLog_ = ScopedConnection<const std::string&, bool>(
        owner.commLog,
        [this](const std::string& line, bool) { AddMessage(FromControlText(line)); });

    Handle(CategoryList(), &QComboBox::activated, [this](int index) { SelectCategory(index); });
    Handle(PortList(), &QComboBox::activated, [this](int index) { SelectPort(index); });
    Handle(AreaList(), &QComboBox::activated, [this](int index) { SelectArea(index); });
    Handle(Button(kAuto), &QPushButton::clicked, [this](bool) { AutoSelect(); });
    Handle(Button(kGetArea), &QPushButton::clicked,
           [this](bool) { ShowCurrentArea(FromControlText(Owner().GetCurrentAreaText())); });
    Handle(Button(kWriteLog), &QPushButton::clicked, [this](bool) { WriteLog(); });
    Handle(Button(kClear), &QPushButton::clicked, [this](bool) { ClearMessages(); });
    for (const Operation& operation : kOperations)
        Handle(Button(operation.button), &QPushButton::clicked,
               [this, &operation](bool) { RunCameraOperation(operation); });
}

CDialogComm::~CDialogComm() = default;

QComboBox* CDialogComm::CategoryList() const
{
    return Controls().Get<QComboBox>(kCategoryList);
}

QComboBox* CDialogComm::PortList() const
{
    return Controls().Get<QComboBox>(kPortList);
}

QComboBox* CDialogComm::AreaList() const
{
    return Controls().Get<QComboBox>(kAreaList);
}

QListWidget* CDialogComm::Messages() const
{
    return Controls().Get<QListWidget>(kMessages);
}

QLabel* CDialogComm::Text(int id) const
{
    return Controls().Get<QLabel>(id);
}

QPushButton* CDialogComm::Button(int id) const
{
    return Controls().Get<QPushButton>(id);
}

void CDialogComm::SetPicture(int id, const char* picture)
{
    Text(id)->setPixmap(QIcon(QString(":/pictures/%1.svg").arg(picture)).pixmap(32, 32));
}

void CDialogComm::OnOnlineStatusChanged(bool online)
{
    CDialogOCXBase::OnOnlineStatusChanged(online);
    SetPicture(kLineIcon, online ? "plug-online" : "plug-offline");
    Text(kLineText)->setText(online ? "Online" : "Offline");
    // A link lost under an operation: the message list says which port and device, and why.
    if (online) {
        linkLossShown_ = false;
    } else if (!linkLossShown_ && !Owner().GetLinkLoss().empty()) {
        AddMessage(FromControlText(Owner().GetLinkLoss()));
        linkLossShown_ = true;
    }
}

void CDialogComm::OnSynchronizationStatusChanged(bool synchronized)
{
    SetPicture(kSyncIcon, synchronized ? "figures-alike" : "figures-unlike");
    Text(kSyncText)->setText(synchronized ? "Synchronized" : "Not Synchronized");
}

void CDialogComm::OnSendingStatusChanged(bool sending, int32_t atOnce)
{
    if (!sending) {
        // Ending is the same for both directions: they share the picture and the text.
        OnReceivingStatusChanged(false, atOnce);
        return;
    }
    SetPicture(kActivityIcon, "arrow-left");
    Text(kActivityText)->setText("Sending");
    Text(kActivityIcon)->show();
    Text(kActivityText)->show();
}

void CDialogComm::OnReceivingStatusChanged(bool receiving, int32_t atOnce)
{
    QLabel* icon = Text(kActivityIcon);
    QLabel* text = Text(kActivityText);
    if (receiving) {
        // A hide still pending from the last transfer is left running.
        SetPicture(kActivityIcon, "arrow-right");
        text->setText("Receiving");
        icon->show();
        text->show();
    } else if (atOnce != 0) {
        icon->hide();
        text->hide();
        text->clear();
        activityTimer_.stop();
    } else {
        // Short transfers stay visible long enough to be seen.
        activityTimer_.start();
    }
}

void CDialogComm::OnCommPortChanged()
{
    const int32_t commClass = Owner().GetCommClass();
    if (commClass != shownClass_)
        FillPorts(commClass);
    CategoryList()->setCurrentIndex(commClass);
    PortList()->setCurrentIndex(Owner().GetCommPort());
}

void CDialogComm::OnParameterChanged(int32_t parameter, bool, bool)
{
    // The value was just read from the camera: its text is shown without asking again.
    if (parameter == P_EA)
        ShowCurrentArea(FromControlText(Owner().GetParameterText(P_EA)));
}

void CDialogComm::FillCategories()
{
    QComboBox* list = CategoryList();
    list->clear();
    for (int32_t c = 0; c < Owner().GetCommClassCount(); ++c)
        list->addItem(FromControlText(Owner().AskCommClassString(c)));
}

void CDialogComm::FillPorts(int32_t commClass)
{
    QComboBox* list = PortList();
    list->clear();
    for (int32_t p = 0; p < Owner().GetCommPortCount(commClass); ++p)
        list->addItem(FromControlText(Owner().AskCommPortString(commClass, p)));
    shownClass_ = commClass;
}

void CDialogComm::FillAreas()
{
    // Values 0 to 3; the last has no name and shows as an empty entry.
    QComboBox* list = AreaList();
    list->clear();
    for (int32_t value = 0; value <= CXKorvelCamCtrl::AskRange(P_AREA, 1); ++value)
        list->addItem(FromControlText(Owner().AskItemString(P_AREA, value)));
    const int32_t area = Owner().GetParameterValue(P_AREA);
    list->setCurrentIndex(area);
    Button(kStore)->setEnabled(area != 0);
}

void CDialogComm::SelectCategory(int index)
{
    if (index < 0)
        return;
    // A new class always starts on its first port.
    FillPorts(index);
    PortList()->setCurrentIndex(0);
    ConnectFromLists(index, 0);
}

void CDialogComm::SelectPort(int index)
{
    if (index < 0)
        return;
    ConnectFromLists(CategoryList()->currentIndex(), index);
}

void CDialogComm::ConnectFromLists(int32_t commClass, int32_t port)
{
    const int result = Owner().ConnectCamera(commClass, port, true);
    // Listed first: the report of a failure ends the handling with its message box.
    if (result != 0)
        AddConnectionFailure();
    Owner().ReportResult(-1, result);
}

void CDialogComm::AddConnectionFailure()
{
    const std::string& failure = Owner().GetConnectionFailure();
    if (!Owner().CheckOnline() && !failure.empty())
        AddMessage(QString::fromLocal8Bit(failure));
}

void CDialogComm::AutoSelect()
{
    const int previousClass = CategoryList()->currentIndex();
    const int previousPort = PortList()->currentIndex();
    int32_t commClass = previousClass;
    int32_t port = previousPort;
    int32_t found = 0;
    {
        WaitCursor cursor(Owner().Ui());
        found = Owner().AutoSelectCommunication(commClass, port, true);
    }
    // A camera found has already updated the lists through the port change notification.
    if (found != 0)
        return;
    FillPorts(previousClass);
    CategoryList()->setCurrentIndex(previousClass);
    PortList()->setCurrentIndex(previousPort);
    Owner().Ui().ShowMessageBox(kNotFound, identity::kApplicationName, MessageIcon::Warning);
}

void CDialogComm::SelectArea(int index)
{
    if (index < 0)
        return;
    Owner().SetParameterValue(P_AREA, index);
    Owner().SetModifiedFlag();
    // The factory area cannot be overwritten.
    Button(kStore)->setEnabled(index != 0);
}

void CDialogComm::ShowCurrentArea(const QString& text)
{
    Text(kCurrentArea)->setText(text);
}

void CDialogComm::RunCameraOperation(const Operation& operation)
{
    std::string path;
    if (operation.file) {
        const QString chosen = chooseFile_(*operation.file);
        if (chosen.isEmpty())
            return;
        path = chosen.toLocal8Bit().toStdString();
        // The area under the closed dialog repaints before the operation holds the thread.
        ProcessWindowEvents();
    }

    int32_t row = 0;
    int code = 0;
    {
        // Both end before the control's message box, also when it stops the handler.
        WaitCursor cursor(Owner().Ui());
        FlagScope busy(busy_, busy_ || operation.busy);
        code = CallControl(operation.button, path, row);
    }
    // A failure other than offline shows the control's message box and ends the handling here.
    Owner().ReportResult(row, code);
    if (operation.examined) {
        if (code == CAMERA_OFFLINE)
            AddMessage(kOfflineLine);
        ShowFailure(code == CAMERA_OFFLINE);
    }
}

int CDialogComm::CallControl(int button, const std::string& path, int32_t& row)
{
    CXKorvelCamCtrl& control = Owner();
    switch (button) {
    case kSyncCamera:
        return control.WriteAll(row);
    case kSyncProgram:
        return control.ReadAll(row);
    case kStore:
        row = -1;
        return control.StoreArea();
    case kLoad:
        row = -1;
        return control.LoadArea();
    case kReadFile:
        return control.ReadSetupFile(path, row);
    case kWriteCameraData:
        return control.WriteCameraDataFile(path, row);
    case kWriteFile:
        return control.WriteSetupFile(path, row);
    default:
        return 0;
    }
}

void CDialogComm::AddMessage(const QString& text)
{
    QString line = text;
    line.remove('\n');
    line.remove('\r');
    QListWidget* list = Messages();
    list->insertItem(0, line);
    while (list->count() > kMaxMessages)
        delete list->takeItem(list->count() - 1);
    // The only moments a long operation lets the panel repaint.
    if (busy_ && list->count() <= kRepaintLines)
        ProcessWindowEvents();
}

bool CDialogComm::WriteMessages(const QString& path) const
{
    // Written beside the target and renamed over it once complete: a failed write (a full disk,
    // a folder of that name) leaves no partial file behind.
    AtomicFile file(QFile::encodeName(path).toStdString());
    if (!file.IsOpen())
        return false;
    const QListWidget* list = Messages();
    for (int i = list->count() - 1; i >= 0; --i) {
        // The lines came from the control's texts: written back as their bytes.
        const QString text = list->item(i)->text();
        std::string line;
        std::string unused;
        if (!ToControlText(text, line, unused))
            line = text.toUtf8().toStdString();
        if (!file.Write(line + "\r\n"))
            return false;
    }
    return file.Commit();
}

void CDialogComm::WriteLog()
{
    const QString path = chooseFile_(FileRequest::SaveLog);
    if (path.isEmpty())
        return;
    bool written = false;
    {
        WaitCursor cursor(Owner().Ui());
        written = WriteMessages(path);
    }
    if (!written)
        Owner().Ui().ShowMessageBox(kLogFailed, identity::kApplicationName, MessageIcon::Warning);
}

void CDialogComm::ClearMessages()
{
    Messages()->clear();
    ShowFailure(false);
}

void CDialogComm::ShowFailure(bool failed)
{
    Text(kFailureIcon)->setVisible(failed);
}

QString CDialogComm::ChooseFileWithDialog(FileRequest request)
{
    const FileDialogSpec* fileDialog = nullptr;
    for (const FileDialogSpec& candidate : kFileDialogs)
        if (candidate.request == request)
            fileDialog = &candidate;
    if (fileDialog == nullptr)
        return {};
    // A save dialog asks before overwriting; an open dialog takes only a file that exists.
    // In the current folder, unless that is one the user cannot write to (the help folder the
    // desktop entry starts the tool in): then in the home folder.
    const QString start =
        QFileInfo(QDir::currentPath()).isWritable() ? QString() : QDir::homePath();
    QFileDialog dialog(this, QString(), start, fileDialog->filter);
    dialog.setAcceptMode(fileDialog->save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(fileDialog->save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(fileDialog->suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace zr
