#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "ClTestBed.h"
#include "comm/CommLink.h"
#include "comm/CommLinkAllSerial.h"
#include "comm/CommLinkSerial.h"

namespace zr
{
namespace
{

using test::ClTestBed;
using Lines = std::vector<std::string>;

constexpr const char* kSetLine = "SH1=3\r\n";
constexpr const char* kComplete = "COMPLETE\r\n";

// The names of ports 0..4 and of the out-of-range indexes -1 and INT32_MIN.
Lines PortNames(const CCommAbstract& link)
{
    Lines names;
    for (const int32_t port : {0, 1, 2, 3, 4, -1, INT32_MIN})
        names.push_back(link.GetPortName(port));
    return names;
}

// Sends `line` and reads `wanted` answer bytes; the link's code and what came back.
std::pair<int, std::string> Exchange(CCommAbstract& link, const std::string& line, int32_t wanted,
                                     uint32_t timeoutMs = 400)
{
    const int written = link.Write(line.data(), static_cast<uint32_t>(line.size()), 400);
    if (written != 0)
        return {written, {}};
    std::string buffer(static_cast<size_t>(wanted), '\0');
    int32_t received = -1;
    const int result = link.Read(buffer.data(), wanted, received, timeoutMs);
    buffer.resize(static_cast<size_t>(received < 0 ? 0 : received));
    return {result, buffer};
}

TEST(CameraLinkTest, PortListsAreBuiltOnceFromBothLibraries)
{
    ClTestBed bed;
    bed.AddFourPorts();
    CCommLink link(ClTestBed::SerialLibrary(), ClTestBed::AllSerialLibrary());

    EXPECT_EQ(link.GetLinkClassName(), "CameraLink");
    ASSERT_EQ(link.GetPortCount(), 4);
    EXPECT_EQ(PortNames(link), (Lines{"Maker A", "Maker B", "Grabber X - Port 0",
                                      "Grabber X - Port 1", "", "", ""}));
    EXPECT_FALSE(link.IsOpen());

    // Each library is loaded, asked for its list with 260-byte buffers and unloaded again.
    EXPECT_EQ(bed.Log(), (Lines{
                             "ClSerial load",
                             "ClSerial clGetNumManufacturers",
                             "ClSerial clGetManufacturer index=0 size=260",
                             "ClSerial clGetManufacturer index=1 size=260",
                             "ClSerial unload",
                             "ClAllSerial load",
                             "ClAllSerial clGetNumPorts",
                             "ClAllSerial clGetPortInfo index=0 sizes=260,260",
                             "ClAllSerial clGetPortInfo index=1 sizes=260,260",
                             "ClAllSerial unload",
                         }));

    // The list does not follow later changes of the libraries' ports.
    bed.AddSerialPort("Maker C");
    EXPECT_EQ(link.GetPortCount(), 4);

    CCommLinkSerial serial(ClTestBed::SerialLibrary());
    CCommLinkAllSerial allSerial(ClTestBed::AllSerialLibrary());
    EXPECT_EQ(serial.GetLinkClassName(), "CamLink-Serial");
    EXPECT_EQ(allSerial.GetLinkClassName(), "CamLink-AllSerial");
    EXPECT_EQ(serial.GetPortCount(), 3);
    EXPECT_EQ(allSerial.GetPortCount(), 2);
}

TEST(CameraLinkTest, OpenGoesToTheLibraryOwningThePort)
{
    ClTestBed bed;
    bed.AddFourPorts();
    CCommLink link(ClTestBed::SerialLibrary(), ClTestBed::AllSerialLibrary());

    bed.ClearLog();
    EXPECT_EQ(link.Open(2), 0);
    EXPECT_TRUE(link.IsOpen());
    EXPECT_EQ(bed.Log(), (Lines{
                             "ClAllSerial load",
                             "ClAllSerial clSerialInit index=0",
                             "ClAllSerial clSetBaudRate rate=1",
                         }));

    // Opening another port closes the current one (and unloads its library) first.
    bed.ClearLog();
    EXPECT_EQ(link.Open(1), 0);
    EXPECT_TRUE(link.IsOpen());
    EXPECT_EQ(bed.Log(), (Lines{
                             "ClAllSerial clSerialClose",
                             "ClAllSerial unload",
                             "ClSerial load",
                             "ClSerial clSelectManufacturer name=Maker B",
                             "ClSerial clSerialInit index=1",
                             "ClSerial clSetBaudRate rate=1",
                         }));

    bed.ClearLog();
    EXPECT_EQ(link.Close(), 0);
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(bed.Log(), (Lines{"ClSerial clSerialClose", "ClSerial unload"}));

    // A port without a name belongs to the ClAllSerial side: 1, nothing initialised, the link
    // stays closed, and the library loaded for the attempt stays until the next Close.
    for (const int32_t port : {4, -1, INT32_MIN, INT32_MAX}) {
        bed.ClearLog();
        EXPECT_EQ(link.Open(port), 1) << port;
        EXPECT_FALSE(link.IsOpen()) << port;
        EXPECT_EQ(link.Write(kSetLine, 7, 400), 2) << port;
        EXPECT_EQ(bed.Log(), (Lines{"ClAllSerial load"})) << port;
        EXPECT_EQ(link.Close(), 0);
        EXPECT_EQ(bed.Log(), (Lines{"ClAllSerial load", "ClAllSerial unload"})) << port;
    }

    // Destruction closes an open port and unloads its library.
    {
        CCommLink other(ClTestBed::SerialLibrary(), ClTestBed::AllSerialLibrary());
        ASSERT_EQ(other.Open(3), 0);
        bed.ClearLog();
    }
    EXPECT_EQ(bed.Log(), (Lines{"ClAllSerial clSerialClose", "ClAllSerial unload"}));
}

TEST(CameraLinkTest, IncompleteOrMissingLibraryOffersNothing)
{
    ClTestBed bed;
    bed.AddFourPorts();

    // Every variant that lacks one entry point is refused as a whole: it is loaded and unloaded
    // again without a single call.
    namespace fs = std::filesystem;
    int serialVariants = 0;
    int allSerialVariants = 0;
    for (const auto& entry : fs::directory_iterator(ClTestBed::LibraryFolder())) {
        const std::string folder = entry.path().filename();
        bed.ClearLog();
        std::unique_ptr<CCommAbstract> link;
        if (folder.starts_with("ClSerial-without-")) {
            ++serialVariants;
            link = std::make_unique<CCommLinkSerial>(entry.path() / "libClSerial.so");
        } else if (folder.starts_with("ClAllSerial-without-")) {
            ++allSerialVariants;
            link = std::make_unique<CCommLinkAllSerial>(entry.path() / "libClAllSerial.so");
        } else {
            continue;
        }
        EXPECT_EQ(link->GetPortCount(), 0) << folder;
        EXPECT_EQ(link->Open(0), 1) << folder;
        EXPECT_FALSE(link->IsOpen()) << folder;
        for (const std::string& line : bed.Log())
            EXPECT_TRUE(line.ends_with(" load") || line.ends_with(" unload")) << line;
    }
    EXPECT_EQ(serialVariants, 10);
    EXPECT_EQ(allSerialVariants, 10);

    // The case named most often: a ClSerial without only clGetErrorText, in the composite.
    CCommLink composite(ClTestBed::LibraryFolder() +
                            "/ClSerial-without-clGetErrorText/libClSerial.so",
                        ClTestBed::AllSerialLibrary());
    EXPECT_EQ(composite.GetPortCount(), 2);
    EXPECT_EQ(composite.GetPortName(0), "Grabber X - Port 0");

    // No library file at all.
    CCommLink missing(bed.Folder() + "/libClSerial.so", bed.Folder() + "/libClAllSerial.so");
    EXPECT_EQ(missing.GetPortCount(), 0);
    EXPECT_EQ(missing.GetLinkClassName(), "CameraLink");
    EXPECT_EQ(missing.Open(0), 1);
    EXPECT_FALSE(missing.IsOpen());

    // Libraries that fail to count their ports list none.
    bed.ForceStatus("ClSerial", "clGetNumManufacturers", -10005);
    bed.ForceStatus("ClAllSerial", "clGetNumPorts", -10005);
    CCommLink failing(ClTestBed::SerialLibrary(), ClTestBed::AllSerialLibrary());
    EXPECT_EQ(failing.GetPortCount(), 0);
}

TEST(CameraLinkTest, FailedNameQueriesStillListTheirPorts)
{
    // The status of a name query is not looked at: every index counted is a port, named by what
    // the library left in the buffers (here nothing).
    ClTestBed bed;
    bed.AddFourPorts();
    bed.ForceStatus("ClSerial", "clGetManufacturer", -10001);
    bed.ForceStatus("ClAllSerial", "clGetPortInfo", -10001);
    CCommLink link(ClTestBed::SerialLibrary(), ClTestBed::AllSerialLibrary());
    ASSERT_EQ(link.GetPortCount(), 4);
    EXPECT_EQ(PortNames(link), (Lines{"", "", " - ", " - ", "", "", ""}));

    // A manufacturer without a name cannot be selected: 1 before any call but the load.
    bed.ClearLog();
    EXPECT_EQ(link.Open(1), 1);
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(bed.Log(), (Lines{"ClSerial load"}));
    // The ClAllSerial ports open by index whatever their names.
    EXPECT_EQ(link.Open(3), 0);
    EXPECT_TRUE(link.IsOpen());
    EXPECT_EQ(bed.Log().back(), "ClAllSerial clSetBaudRate rate=1");
}

TEST(CameraLinkTest, RefusedManufacturerOrPortLeavesTheLinkClosed)
{
    ClTestBed bed;
    bed.AddFourPorts();

    // A second link on the same port: the library refuses to initialise it again.
    CCommLinkSerial first(ClTestBed::SerialLibrary());
    CCommLinkSerial second(ClTestBed::SerialLibrary());
    ASSERT_EQ(first.Open(0), 0);
    EXPECT_EQ(second.Open(0), 3);
    EXPECT_FALSE(second.IsOpen());
    EXPECT_EQ(second.Write(kSetLine, 7, 400), 2);
    EXPECT_EQ(Exchange(first, kSetLine, 10), std::make_pair(0, std::string(kComplete)));
    EXPECT_EQ(second.Open(1), 0);
    first.Close();
    second.Close();

    bed.ForceStatus("ClSerial", "clSelectManufacturer", -10002);
    bed.ForceStatus("ClAllSerial", "clSerialInit", -10003);
    CCommLink link(ClTestBed::SerialLibrary(), ClTestBed::AllSerialLibrary());
    bed.ClearLog();
    EXPECT_EQ(link.Open(0), 1);
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(bed.Log().back(), "ClSerial unload");
    bed.ClearLog();
    EXPECT_EQ(link.Open(3), 3);
    EXPECT_FALSE(link.IsOpen());
    EXPECT_EQ(bed.Log().back(), "ClAllSerial unload");
}

TEST(CameraLinkTest, ExchangeWithTheSimulatedCameraThroughEachLibrary)
{
    ClTestBed bed;
    bed.AddFourPorts();
    CCommLinkSerial serial(ClTestBed::SerialLibrary());
    CCommLinkAllSerial allSerial(ClTestBed::AllSerialLibrary());
    CCommLink composite(ClTestBed::SerialLibrary(), ClTestBed::AllSerialLibrary());

    struct Case {
        CCommAbstract& link;
        int32_t port;
    };
    for (const Case& c :
         {Case{serial, 1}, Case{allSerial, 1}, Case{composite, 0}, Case{composite, 3}}) {
        const std::string name = c.link.GetLinkClassName() + " " + std::to_string(c.port);
        ASSERT_EQ(c.link.Open(c.port), 0) << name;
        EXPECT_EQ(Exchange(c.link, kSetLine, 10), std::make_pair(0, std::string(kComplete)))
            << name;
        EXPECT_EQ(Exchange(c.link, "SH1?\r\n", 7), std::make_pair(0, std::string(kSetLine)))
            << name;
        EXPECT_EQ(c.link.Close(), 0) << name;
    }
    // The caller's time-out reaches the library with the bytes; the entry points that are only
    // bound are never called, and bytes waiting is not asked of the library.
    bool sawWrite = false;
    for (const std::string& line : bed.Log()) {
        sawWrite |= line == "ClSerial clSerialWrite count=7 timeout=400 data=SH1=3\\r\\n";
        for (const char* boundOnly :
             {"clGetNumSerialPorts", "clGetNumBytesAvail", "clGetErrorText"})
            EXPECT_EQ(line.find(boundOnly), std::string::npos) << line;
    }
    EXPECT_TRUE(sawWrite);
    EXPECT_EQ(allSerial.GetBytesWaiting(), 1);
    EXPECT_EQ(composite.GetBytesWaiting(), 1);
}

TEST(CameraLinkTest, ReadAndWriteResults)
{
    ClTestBed bed;
    bed.AddSerialPort("Maker A");
    bed.AddSerialPort("Quiet", "silent");
    bed.AddAllSerialPort("Grabber X", "Port 0");
    CCommLinkSerial link(ClTestBed::SerialLibrary());

    // Closed: no data moves; bytes waiting is 1 all the same.
    char buffer[32] = {};
    int32_t received = -1;
    EXPECT_EQ(link.GetBytesWaiting(), 1);
    EXPECT_EQ(link.Write(kSetLine, 7, 400), 2);
    EXPECT_EQ(link.Read(buffer, 1, received, 10), 2);
    EXPECT_EQ(received, 0);
    EXPECT_EQ(link.Flush(), 0);

    ASSERT_EQ(link.Open(0), 0);
    EXPECT_EQ(link.GetBytesWaiting(), 1);
    // Fewer bytes than wanted in time: 7, with the bytes the library did deliver.
    EXPECT_EQ(Exchange(link, kSetLine, 20, 20), std::make_pair(7, std::string(kComplete)));
    // Nothing wanted: nothing asked of the library.
    bed.ClearLog();
    EXPECT_EQ(link.Read(buffer, 0, received, 10), 0);
    EXPECT_EQ(received, 0);
    EXPECT_EQ(link.Read(buffer, -5, received, 10), 0);
    EXPECT_EQ(received, 0);
    EXPECT_TRUE(bed.Log().empty());
    link.Close();
    EXPECT_EQ(link.GetBytesWaiting(), 1);

    // A camera that never answers.
    ASSERT_EQ(link.Open(1), 0);
    EXPECT_EQ(Exchange(link, kSetLine, 1, 20), std::make_pair(7, std::string()));
    link.Close();

    // Library statuses: the time-out is told apart, every other failure is a plain failure.
    struct Case {
        const char* function;
        int32_t status;
        int result;
    };
    for (const Case& c : {Case{"clSerialWrite", -10004, 6}, Case{"clSerialWrite", -10003, 4},
                          Case{"clSerialWrite", 1, 4}, Case{"clSerialRead", -10004, 7},
                          Case{"clSerialRead", -10006, 5}, Case{"clSerialRead", 1, 5}}) {
        const std::string name = std::string(c.function) + " " + std::to_string(c.status);
        ClTestBed forced;
        forced.AddAllSerialPort("Grabber X", "Port 0");
        forced.ForceStatus("ClAllSerial", c.function, c.status);
        CCommLinkAllSerial allSerial(ClTestBed::AllSerialLibrary());
        ASSERT_EQ(allSerial.Open(0), 0) << name;
        if (std::string(c.function) == "clSerialWrite") {
            EXPECT_EQ(allSerial.Write(kSetLine, 7, 400), c.result) << name;
        } else {
            received = -1;
            EXPECT_EQ(allSerial.Read(buffer, 4, received, 10), c.result) << name;
            EXPECT_EQ(received, 0) << name;
        }
    }
}

TEST(CameraLinkTest, FlushDiscardsPendingBytes)
{
    constexpr int32_t kBeyondLimit = 100;
    ClTestBed bed;
    bed.AddSerialPort("Maker A");
    bed.AddSerialPort("Backlog",
                      "backlog=" + std::to_string(CCommLinkSerial::kFlushByteLimit + kBeyondLimit));
    bed.AddAllSerialPort("Grabber X", "Port 0");
    CCommLinkSerial serial(ClTestBed::SerialLibrary());
    CCommLinkAllSerial allSerial(ClTestBed::AllSerialLibrary());
    char byte = 0;
    int32_t received = -1;

    // Not open: nothing to do, nothing called.
    bed.ClearLog();
    EXPECT_EQ(serial.Flush(), 0);
    EXPECT_EQ(allSerial.Flush(), 0);
    EXPECT_TRUE(bed.Log().empty());

    // ClSerial: one-byte reads with a 1 ms time-out until one brings nothing.
    ASSERT_EQ(serial.Open(0), 0);
    bed.ClearLog();
    EXPECT_EQ(serial.Flush(), 0);
    EXPECT_EQ(bed.Log(), (Lines{"ClSerial clSerialRead count=1 timeout=1"}));

    ASSERT_EQ(serial.Write(kSetLine, 7, 400), 0);
    bed.ClearLog();
    EXPECT_EQ(serial.Flush(), 0);
    EXPECT_EQ(bed.Log(), Lines(11, "ClSerial clSerialRead count=1 timeout=1"));
    EXPECT_EQ(serial.Read(&byte, 1, received, 0), 7);
    EXPECT_EQ(received, 0);

    // ClAllSerial: the library's own flush.
    ASSERT_EQ(allSerial.Open(0), 0);
    ASSERT_EQ(allSerial.Write(kSetLine, 7, 400), 0);
    bed.ClearLog();
    EXPECT_EQ(allSerial.Flush(), 0);
    EXPECT_EQ(bed.Log(), (Lines{"ClAllSerial clFlushPort"}));
    EXPECT_EQ(allSerial.Read(&byte, 1, received, 0), 7);
    EXPECT_EQ(received, 0);

    // ClSerial with more pending than one flush takes (a peer that never falls quiet would
    // otherwise hold it for ever): it stops at its limit and the rest stays for the next read.
    ASSERT_EQ(serial.Open(1), 0);
    bed.ClearLog();
    EXPECT_EQ(serial.Flush(), 0);
    EXPECT_EQ(bed.Log().size(), static_cast<size_t>(CCommLinkSerial::kFlushByteLimit));
    std::string rest(2 * kBeyondLimit, '\0');
    EXPECT_EQ(serial.Read(rest.data(), 2 * kBeyondLimit, received, 0), 7);
    EXPECT_EQ(received, kBeyondLimit);
}

} // namespace
} // namespace zr
