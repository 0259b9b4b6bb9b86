// The bus speaks UTF-8, the control Windows-1252: a user ID with every high byte through
// `zr47xcl serve`, as a plain D-Bus client and the bus layer's client see it (Get, GetAll, the
// CommLog signal), and a text the control cannot hold refused. Then the bus's own failures and
// a link lost under a caller's operation, each told with what happened and what to do.

#include <chrono>
#include <csignal>
#include <map>
#include <thread>

#include <gtest/gtest.h>
#include <sdbus-c++/sdbus-c++.h>

#include "automation/AutomationMembers.h"
#include "base/AnsiText.h"
#include "base/ProfileFile.h"
#include "bus/BusClient.h"
#include "bus/BusProtocol.h"
#include "cli/CliHarness.h"
#include "support/SessionBus.h"

namespace zr::test
{
namespace
{

const std::string kZr47xcl = std::string(ZR_BIN_DIR) + "/zr47xcl";
constexpr size_t kUserIdLength = 16;
const std::string kStartOne =
    "start one with zr47xcl serve (or the ZR-47xCL Control Tool) and attach again";

// `zr47xcl serve` in the session, its standard error kept in a file.
std::unique_ptr<ServingProgram> Serve(const CliSession& session, const std::string& errFile)
{
    return std::make_unique<ServingProgram>(
        "/bin/sh", std::vector<std::string>{"-c", "exec \"$0\" serve 2>\"$1\"", kZr47xcl, errFile},
        session.Environment());
}

template <typename Done> bool ServeUntil(sdbus::IConnection& connection, Done done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        if (!connection.processPendingRequest())
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

TEST(BusText, UserIdWithEveryHighByteCrossesAsUtf8AndComesBackAsItsBytes)
{
    PrivateSessionBus bus;
    if (bus.Address().empty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    CliSession session{sim::SimOptions{}};
    sim::SimCamera& camera = session.Camera()->Camera();
    auto served = Serve(session, session.dir.File("serve.err"));
    const std::string name = served->FirstLine();
    ASSERT_TRUE(name.starts_with(bus::kNamePrefix)) << name;

    auto connection = sdbus::createSessionBusConnection();
    auto proxy = sdbus::createProxy(*connection, name, bus::kObjectPath);
    std::vector<std::string> logged;
    auto slot = connection->addMatch("type='signal',sender='" + name + "',member='CommLog'",
                                     [&](sdbus::Message& message) {
                                         std::string line;
                                         bool sent = false;
                                         message >> line >> sent;
                                         logged.push_back(line);
                                     });
    std::string error;
    auto client = bus::BusClient::Attach(std::nullopt, error);
    ASSERT_TRUE(client) << error;
    const AutomationMember& userId = *FindMember("UserID");

    for (int first = 0x80; first <= 0xFF; first += kUserIdLength) {
        std::string chunk;
        for (int b = first; b < first + static_cast<int>(kUserIdLength); ++b)
            chunk += static_cast<char>(b);
        const std::string utf8 = AnsiToUtf8(chunk);
        SCOPED_TRACE(utf8);
        // Written by the bus layer's client: UTF-8 on the bus, the bytes in the camera.
        std::vector<Variant> value{Variant(chunk)};
        Variant unused;
        const DispatchResult put = client->Invoke(userId, InvokeKind::PropertyPut, value, unused);
        EXPECT_TRUE(put.Succeeded()) << put.description;
        EXPECT_EQ(camera.Text("UD"), chunk);

        // A plain client reads UTF-8, alone and among all the properties.
        EXPECT_EQ(proxy->getProperty("UserID").onInterface(bus::kInterface).get<std::string>(),
                  utf8);
        std::map<std::string, sdbus::Variant> all;
        proxy->callMethod("GetAll")
            .onInterface("org.freedesktop.DBus.Properties")
            .withArguments(std::string(bus::kInterface))
            .storeResultsTo(all);
        EXPECT_EQ(all.size(), 129u);
        EXPECT_EQ(all["UserID"].get<std::string>(), utf8);

        // The bus layer's client has the bytes again.
        std::vector<Variant> none;
        Variant read;
        EXPECT_TRUE(client->Invoke(userId, InvokeKind::PropertyGet, none, read).Succeeded());
        EXPECT_EQ(read, Variant(chunk));
        EXPECT_TRUE(ServeUntil(*connection, [&] {
            return std::find(logged.begin(), logged.end(), "UD=" + utf8) != logged.end();
        }));
    }

    // A character Windows-1252 cannot hold is refused by name; the camera keeps its ID.
    const std::string before = camera.Text("UD");
    try {
        proxy->setProperty("UserID")
            .onInterface(bus::kInterface)
            .toValue(std::string("A\xE2\x86\x92"
                                 "B"));
        ADD_FAILURE() << "a text the control cannot hold was taken";
    } catch (const sdbus::Error& e) {
        EXPECT_EQ(e.getName(), "com.korvel.ZR47xCL.Error.E80020005");
        EXPECT_NE(e.getMessage().find("(U+2192), which the control's 8-bit texts "
                                      "(Windows-1252) cannot hold"),
                  std::string::npos)
            << e.getMessage();
    }
    EXPECT_EQ(camera.Text("UD"), before);
    EXPECT_EQ(served->Stop(SIGTERM), 0);
}

TEST(BusErrors, EachFailureSaysWhatHappenedAndWhatToDo)
{
    PrivateSessionBus bus;
    if (bus.Address().empty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    // Close after the start-up's two commands and one more.
    CliSession session{sim::SimOptions{"ZR-470", "", false, {"close-after=3"}}};

    // No session bus at all.
    const std::vector<std::string> noBus{"-u", "DBUS_SESSION_BUS_ADDRESS", "-u", "XDG_RUNTIME_DIR",
                                         kZr47xcl};
    auto without = [&](std::vector<std::string> args) {
        args.insert(args.begin(), noBus.begin(), noBus.end());
        return RunProgram("/usr/bin/env", args, session.Environment());
    };
    const std::string noBusText =
        "there is no session bus to use (Failed to open bus (No medium found)): run this in a "
        "desktop session, or under dbus-run-session, or set DBUS_SESSION_BUS_ADDRESS to the "
        "address of a running session bus\n";
    const RunResult attach = without({"--attach", "get", "CommPort"});
    EXPECT_EQ(attach.exitCode, 1);
    EXPECT_EQ(attach.err, "zr47xcl: --attach: " + noBusText);
    const RunResult serve = without({"--offline", "serve"});
    EXPECT_EQ(serve.exitCode, 1);
    EXPECT_NE(
        serve.err.find("zr47xcl: cannot publish the control on the session bus: " + noBusText),
        std::string::npos)
        << serve.err;

    // Nothing published yet.
    const RunResult nobody = session.Run({"--attach", "get", "CommPort"});
    EXPECT_EQ(nobody.err,
              "zr47xcl: --attach: no published control on the session bus; " + kStartOne + "\n");

    // The line goes down under an attached caller's verb: the caller has the camera's text,
    // `serve` names the port, its device and why.
    const std::string errFile = session.dir.File("serve.err");
    auto served = Serve(session, errFile);
    ASSERT_TRUE(served->FirstLine().starts_with(bus::kNamePrefix));
    const RunResult lost =
        session.Run({"--attach", "set", "IMG1ShutterSpeed=3", "set", "IMG1ShutterSpeed=4"});
    EXPECT_EQ(lost.exitCode, 1);
    EXPECT_TRUE(lost.err.starts_with("error 0x800A0039: ")) << lost.err;
    const std::string device = ProfileFile(session.SettingsFile()).GetString("Comm", "COM1", "");
    EXPECT_NE(TempDir::ReadFile(errFile).find("zr47xcl: link lost: COM1 is " + device + ": "),
              std::string::npos)
        << TempDir::ReadFile(errFile);

    // A control that went away under an attached client.
    std::string error;
    auto client = bus::BusClient::Attach(std::nullopt, error);
    ASSERT_TRUE(client) << error;
    EXPECT_EQ(served->Stop(SIGTERM), 0);
    std::vector<Variant> none;
    Variant value;
    const DispatchResult gone =
        client->Invoke(*FindMember("CommPort"), InvokeKind::PropertyGet, none, value);
    EXPECT_EQ(gone.status, bus::kBusFailure);
    EXPECT_NE(gone.description.find(" is no longer on the session bus (its program has ended: "),
              std::string::npos)
        << gone.description;
    EXPECT_NE(gone.description.find("was not provided by any .service files"), std::string::npos)
        << gone.description;
    EXPECT_TRUE(gone.description.ends_with("); " + kStartOne)) << gone.description;
}

} // namespace
} // namespace zr::test
