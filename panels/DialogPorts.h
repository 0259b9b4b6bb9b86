#pragma once

#include <QDialog>

#include "comm/SerialDevices.h"
#include "panels/DialogLayout.h"

class QComboBox;
class QLabel;
class QListWidget;

namespace zr
{

class DialogMetrics;
class SettingsStore;

// The serial ports window: COM1..COM16 with the device each one leads to and whether that
// device is there and may be opened; the serial devices present to choose from (the stable
// serial/by-id names first). "Set" writes the selected port's entry "COMn" in section "Comm" of
// the module settings, which the command line's --port and ports read too; "Use Default" empties
// it, so the built-in device applies again. Every change is saved at once.
class CDialogPorts : public QDialog
{
    Q_OBJECT

public:
    enum ControlId : int {
        kIntro = 1700,
        kPortsGroup,
        kPorts,
        kDeviceLabel,
        kDevice,
        kSet,
        kState,
        kDefault,
        kClose,
    };

    static const DialogLayout& Layout();

    CDialogPorts(SettingsStore& settings, const DialogMetrics& metrics, QWidget* parent,
                 SerialDevices devices = SerialDevices());

    QListWidget* Ports() const;
    QComboBox* Device() const;
    QLabel* State() const;
    const DialogControls& Controls() const { return controls_; }

    // The line of the list for `port` (0..15): name, device, state, and "(default)" where no
    // entry of the settings chose the device.
    QString PortLine(int port) const;

private:
    void FillPorts();
    void FillDevices();
    void ShowPort(int port);
    void ShowDeviceState();
    void WriteDevice(const QString& device);

    SettingsStore& settings_;
    SerialDevices devices_;
    DialogControls controls_;
};

} // namespace zr
