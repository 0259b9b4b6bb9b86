// The serial ports window: every COM port with its device and state, the devices present to
// choose from, and the choice written where the command line reads it.
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <filesystem>
#include <gtest/gtest.h>

#include "comm/ComPortMap.h"
#include "comm/PortName.h"
#include "panels/DialogMetrics.h"
#include "panels/DialogPorts.h"
#include "support/MemorySettings.h"
#include "support/TempDir.h"

namespace zr
{
namespace
{

using test::MemorySettings;
using test::TempDir;

TEST(PortsWindow, ListsThePortsOffersTheDevicesAndWritesTheChoice)
{
    TempDir dir;
    const std::string dev = dir.File("dev");
    std::filesystem::create_directories(dev + "/serial/by-id");
    ASSERT_TRUE(TempDir::WriteFile(dev + "/ttyUSB3", ""));
    std::filesystem::create_symlink("../../ttyUSB3", dev + "/serial/by-id/usb-FTDI_A1-port0");
    MemorySettings settings;
    settings.WriteString("Comm", "COM2", dev + "/ttyUSB3");
    const DialogMetrics metrics;
    CDialogPorts window(settings, metrics, nullptr, SerialDevices(dev, dir.File("sys")));
    EXPECT_EQ(window.windowTitle(), "Serial Ports");

    // Sixteen ports; a port without an entry says its device is the built-in one.
    ASSERT_EQ(window.Ports()->count(), 16);
    const QString com5 = window.Ports()->item(4)->text();
    EXPECT_TRUE(com5.startsWith("COM5 ")) << com5.toStdString();
    EXPECT_TRUE(com5.contains("/dev/ttyUSB0") && com5.endsWith("(default)")) << com5.toStdString();
    const QString com2 = window.Ports()->item(1)->text();
    EXPECT_TRUE(com2.contains(QString::fromStdString(dev + "/ttyUSB3 ")) &&
                com2.contains("present") && !com2.contains("(default)"))
        << com2.toStdString();

    // The stable name first, then the device itself.
    ASSERT_EQ(window.Device()->count(), 2);
    const QString stable = QString::fromStdString(dev + "/serial/by-id/usb-FTDI_A1-port0");
    EXPECT_EQ(window.Device()->itemText(0), stable);
    EXPECT_EQ(window.Device()->itemText(1), QString::fromStdString(dev + "/ttyUSB3"));

    // Choosing a port shows its device and state; "Set" writes what the command line reads.
    window.Ports()->setCurrentRow(4);
    EXPECT_EQ(window.Device()->currentText(), "/dev/ttyUSB0");
    window.Device()->setCurrentIndex(0);
    EXPECT_EQ(window.State()->text(), "present");
    window.Controls().Get<QPushButton>(CDialogPorts::kSet)->click();
    EXPECT_EQ(settings.GetString("Comm", "COM5", ""), stable.toStdString());
    EXPECT_FALSE(window.Ports()->item(4)->text().endsWith("(default)"));
    std::string why;
    const std::optional<PortChoice> chosen =
        ResolvePort(dev + "/ttyUSB3", ComPortMap(settings), why);
    ASSERT_TRUE(chosen.has_value()) << why;
    EXPECT_EQ(chosen->port, 1); // COM2 names that device by its own path, before COM5's link

    // A device that is not there is said to be missing, and a name that is no path refused.
    window.Device()->setEditText(QString::fromStdString(dev + "/ttyUSB9"));
    EXPECT_EQ(window.State()->text(), "missing");
    window.Device()->setEditText("ttyUSB3");
    window.Controls().Get<QPushButton>(CDialogPorts::kSet)->click();
    EXPECT_EQ(settings.GetString("Comm", "COM5", ""), stable.toStdString());
    EXPECT_TRUE(window.State()->text().startsWith("A device is a path"))
        << window.State()->text().toStdString();

    // "Use Default" lets the port lead to its built-in device again.
    window.Controls().Get<QPushButton>(CDialogPorts::kDefault)->click();
    EXPECT_EQ(ComPortMap(settings).DevicePath(4), "/dev/ttyUSB0");
    EXPECT_TRUE(window.Ports()->item(4)->text().endsWith("(default)"));
    EXPECT_EQ(window.Device()->currentText(), "/dev/ttyUSB0");
}

} // namespace
} // namespace zr
