#include "panels/DialogPorts.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "base/SettingsStore.h"
#include "comm/ComPortMap.h"

namespace zr
{

namespace
{

using enum ControlKind;
using enum CDialogPorts::ControlId;

constexpr const char* kSection = "Comm";

// clang-format off
constexpr ControlSpec kControls[] = {
    {kIntro,       Text,        7,   6, 246, 18, "Each port name leads to a serial device. The command line (--port, ports) uses the same choice.", nullptr, {}},
    {kPortsGroup,  Group,       7,  26, 246, 114, "Ports",                                       nullptr, {}},
    {kPorts,       List,       14,  37, 232,  97, nullptr,                                       nullptr, {}},
    {kDeviceLabel, TextRight,   7, 146,  36,  12, "Device",                                      nullptr, {}},
    {kDevice,      DropDown,   46, 146, 150,  80, nullptr,                                       "A serial device of this computer, or type a path", {kDeviceLabel}},
    {kSet,         Button,    200, 145,  53,  14, "&Set",                                        "Let the selected port lead to this device", {}},
    {kState,       TextNoWrap, 46, 161, 207,   8, "",                                            nullptr, {}},
    {kDefault,     Button,      7, 175,  70,  14, "Use &Default",                                "Let the selected port lead to its built-in device", {}},
    {kClose,       Button,    200, 175,  53,  14, "Close",                                       nullptr, {}},
};
// clang-format on

QString StateText(const std::string& path)
{
    const DeviceState state = SerialDevices::StateOf(path);
    QString text = SerialDevices::StateName(state);
    if (state == DeviceState::NotPermitted)
        text += " (add yourself to the device's group, e.g. dialout)";
    return text;
}

} // namespace

const DialogLayout& CDialogPorts::Layout()
{
    static constexpr DialogLayout layout{229, "Serial Ports", 260, 196, kControls};
    return layout;
}

CDialogPorts::CDialogPorts(SettingsStore& settings, const DialogMetrics& metrics, QWidget* parent,
                           SerialDevices devices)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      settings_(settings), devices_(std::move(devices))
{
    controls_.Build(*this, Layout(), metrics);
    // Columns line up in a fixed-pitch font of the dialog's size.
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSizeF(font().pointSizeF());
    Ports()->setFont(fixed);
    Device()->setEditable(true);
    Device()->setInsertPolicy(QComboBox::NoInsert);

    FillPorts();
    FillDevices();
    connect(Ports(), &QListWidget::currentRowChanged, this, [this](int row) { ShowPort(row); });
    connect(Device(), &QComboBox::currentTextChanged, this, [this] { ShowDeviceState(); });
    connect(controls_.Get<QPushButton>(kSet), &QPushButton::clicked, this,
            [this] { WriteDevice(Device()->currentText().trimmed()); });
    connect(controls_.Get<QPushButton>(kDefault), &QPushButton::clicked, this,
            [this] { WriteDevice({}); });
    connect(controls_.Get<QPushButton>(kClose), &QPushButton::clicked, this, &QDialog::accept);
    Ports()->setCurrentRow(0);
}

QListWidget* CDialogPorts::Ports() const
{
    return controls_.Get<QListWidget>(kPorts);
}

QComboBox* CDialogPorts::Device() const
{
    return controls_.Get<QComboBox>(kDevice);
}

QLabel* CDialogPorts::State() const
{
    return controls_.Get<QLabel>(kState);
}

QString CDialogPorts::PortLine(int port) const
{
    const ComPortMap map(settings_);
    const std::string device = map.DevicePath(port);
    const bool chosen = !settings_.GetString(kSection, ComPortMap::PortName(port), "").empty();
    return QString("%1 %2 %3%4")
        .arg(QString::fromStdString(ComPortMap::PortName(port)), -5)
        .arg(QString::fromLocal8Bit(device), -20)
        .arg(StateText(device), chosen ? QString() : QString(" (default)"));
}

void CDialogPorts::FillPorts()
{
    const int current = Ports()->currentRow();
    Ports()->clear();
    for (int port = 0; port < ComPortMap::kPortCount; ++port)
        Ports()->addItem(PortLine(port));
    Ports()->setCurrentRow(current);
}

void CDialogPorts::FillDevices()
{
    Device()->clear();
    for (const std::string& path : devices_.Present())
        Device()->addItem(QString::fromLocal8Bit(path));
}

void CDialogPorts::ShowPort(int port)
{
    if (port < 0)
        return;
    Device()->setEditText(QString::fromLocal8Bit(ComPortMap(settings_).DevicePath(port)));
    ShowDeviceState();
}

void CDialogPorts::ShowDeviceState()
{
    const QString device = Device()->currentText().trimmed();
    State()->setText(device.isEmpty() ? QString() : StateText(device.toLocal8Bit().toStdString()));
}

void CDialogPorts::WriteDevice(const QString& device)
{
    const int port = Ports()->currentRow();
    if (port < 0)
        return;
    if (!device.isEmpty() && !device.startsWith('/')) {
        State()->setText("A device is a path, such as /dev/ttyUSB0");
        return;
    }
    if (!settings_.WriteString(kSection, ComPortMap::PortName(port),
                               device.toLocal8Bit().toStdString())) {
        State()->setText("The module settings could not be saved");
        return;
    }
    FillPorts();
    ShowPort(port);
}

} // namespace zr
