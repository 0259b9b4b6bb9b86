// The control published by `zr47xcl serve` on a private session bus, seen by the bus's own
// tools and by a plain D-Bus client: its interface as the member table describes it, property
// reads and writes with their change signals, script errors, and one transaction at a time.

#include <chrono>
#include <csignal>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>
#include <sdbus-c++/sdbus-c++.h>

#include "automation/AutomationMembers.h"
#include "bus/BusClient.h"
#include "bus/BusProtocol.h"
#include "cli/CliHarness.h"
#include "sim/lib/SimCamera.h"
#include "support/SessionBus.h"

namespace zr::test
{
namespace
{

const std::string kZr47xcl = std::string(ZR_BIN_DIR) + "/zr47xcl";

// The members of one interface in an introspection document, one line each:
// "property NAME TYPE ACCESS [no-change-signal]", "method NAME(in...)->(out...)", "signal
// NAME(...)".
std::set<std::string> InterfaceMembers(const std::string& xml, const std::string& interface)
{
    std::set<std::string> members;
    const size_t start = xml.find("<interface name=\"" + interface + "\"");
    if (start == std::string::npos)
        return members;
    const std::string body = xml.substr(start, xml.find("</interface>", start) - start);
    const std::regex tag(R"(<(/?)(method|signal|property|arg|annotation)\b([^>]*?)(/?)>)");
    const std::regex attribute(R"re((\w+)="([^"]*)")re");
    std::string open;    // the member being read, with its arguments so far
    std::string inArgs;  // of a method
    std::string outArgs; // of a method
    for (auto it = std::sregex_iterator(body.begin(), body.end(), tag);
         it != std::sregex_iterator(); ++it) {
        const std::smatch& m = *it;
        std::map<std::string, std::string> attrs;
        const std::string text = m[3].str();
        for (auto a = std::sregex_iterator(text.begin(), text.end(), attribute);
             a != std::sregex_iterator(); ++a)
            attrs[(*a)[1].str()] = (*a)[2].str();
        const std::string kind = m[2].str();
        const bool closing = m[1].length() > 0;
        const bool selfClosing = m[4].length() > 0;
        if (kind == "arg") {
            const std::string arg = attrs["type"] + " " + attrs["name"];
            (attrs["direction"] == "out" ? outArgs : inArgs) += arg + ",";
        } else if (kind == "annotation") {
            if (attrs["name"] == "org.freedesktop.DBus.Property.EmitsChangedSignal" &&
                attrs["value"] == "false")
                open += " no-change-signal";
        } else if (!closing) {
            open = kind == "property"
                       ? "property " + attrs["name"] + " " + attrs["type"] + " " + attrs["access"]
                       : kind + " " + attrs["name"];
            inArgs.clear();
            outArgs.clear();
        }
        if (kind != "arg" && kind != "annotation" && (closing || selfClosing)) {
            members.insert(kind == "property" ? open
                                              : open + "(" + inArgs + ")->(" + outArgs + ")");
            open.clear();
        }
    }
    return members;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class PublishedControlTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (bus.Address().empty())
            GTEST_SKIP() << "dbus-daemon is not installed";
        served = std::make_unique<ServingProgram>(kZr47xcl, std::vector<std::string>{"serve"},
                                                  session.Environment());
        name = served->FirstLine();
        ASSERT_TRUE(name.starts_with(bus::kNamePrefix)) << name;
    }
    void TearDown() override
    {
        if (served) {
            EXPECT_EQ(served->Stop(SIGTERM), 0);
        }
    }

    PrivateSessionBus bus;
    CliSession session{sim::SimOptions{"ZR-470", "", false, {"awb-working=25:AW1"}}};
    std::unique_ptr<ServingProgram> served;
    std::string name;
};

TEST_F(PublishedControlTest, InterfaceIsTheMemberTableAsTheBusReportsIt)
{
    const RunResult introspected = RunProgram(
        "/usr/bin/busctl", {"--user", "introspect", "--xml-interface", name, bus::kObjectPath}, {});
    ASSERT_EQ(introspected.exitCode, 0) << introspected.err;
    const std::set<std::string> live = InterfaceMembers(introspected.out, bus::kInterface);
    const std::set<std::string> generated =
        InterfaceMembers(ReadFile(std::string(ZR_BUILD_DIR) +
                                  "/share/dbus-1/interfaces/com.korvel.ZR47xCL.Control.xml"),
                         bus::kInterface);
    EXPECT_EQ(live, generated);
    // With Stop and the bus's own signals (CommLog, Progress, Message).
    EXPECT_EQ(bus::BusSignals().size(), 3u);
    EXPECT_EQ(live.size(), 129u + 155u + 83u + 1u + bus::BusSignals().size());

    // Every member `zr47xcl list` names is there, as the kind it is.
    const RunResult list = RunProgram(kZr47xcl, {"list"}, session.Environment());
    size_t listed = 0;
    for (const std::string& row : SplitLines(list.out)) {
        std::istringstream fields(row);
        std::string dispid, kind, member;
        fields >> dispid >> kind >> member;
        const std::string busKind = kind == "event" ? "signal" : kind;
        const bool found = std::any_of(live.begin(), live.end(), [&](const std::string& line) {
            return line.starts_with(busKind + " " + member + (kind == "property" ? " " : "("));
        });
        EXPECT_TRUE(found) << row;
        ++listed;
    }
    EXPECT_EQ(listed, 129u + 155u + 83u);
    // The property types follow the member table: BOOL as "b", BSTR as "s".
    EXPECT_TRUE(live.count("property ShowAboutWindow b readwrite no-change-signal"));
    EXPECT_TRUE(live.count("property ModelName s read"));
    EXPECT_TRUE(live.count(
        "method AutoSelectCommunication(i nShowProgressBar,)->(i result,i pnClass,i pnPort,)"));
}

// Changed values announced by PropertiesChanged, as a plain D-Bus client receives them.
struct ChangeRecorder {
    explicit ChangeRecorder(sdbus::IConnection& connection, const std::string& sender)
    {
        slot = connection.addMatch(
            "type='signal',sender='" + sender +
                "',interface='org.freedesktop.DBus.Properties',member='PropertiesChanged'",
            [this](sdbus::Message& message) {
                std::string interface;
                std::map<std::string, sdbus::Variant> values;
                message >> interface >> values;
                for (auto& [property, value] : values)
                    changes[property].push_back(value);
            });
    }
    sdbus::Slot slot;
    std::map<std::string, std::vector<sdbus::Variant>> changes;
};

// Serves `connection` until `done` says so or five seconds passed.
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

TEST_F(PublishedControlTest, PropertiesReadWriteAndAnnounceTheirChangesErrorsCarryTheirCode)
{
    auto connection = sdbus::createSessionBusConnection();
    auto proxy = sdbus::createProxy(*connection, name, bus::kObjectPath);
    ChangeRecorder recorder(*connection, name);
    session.Camera()->Camera().ClearReceivedLines();

    proxy->setProperty("IMG1ShutterSpeed").onInterface(bus::kInterface).toValue(int32_t{6});
    EXPECT_EQ(proxy->getProperty("IMG1ShutterSpeed").onInterface(bus::kInterface).get<int32_t>(),
              6);
    EXPECT_EQ(proxy->getProperty("IMG1ShutterSpeedString")
                  .onInterface(bus::kInterface)
                  .get<std::string>(),
              "1/1000");
    EXPECT_EQ(session.Camera()->Camera().Value("SH1"), 6);
    ASSERT_TRUE(
        ServeUntil(*connection, [&] { return recorder.changes.count("IMG1ShutterSpeedString"); }));
    EXPECT_EQ(recorder.changes["IMG1ShutterSpeed"].back().get<int32_t>(), 6);
    EXPECT_EQ(recorder.changes["IMG1ShutterSpeedString"].back().get<std::string>(), "1/1000");
    // Only what changed is announced.
    EXPECT_FALSE(recorder.changes.count("IMG2ShutterSpeed"));

    // A value out of range is clamped, as locally; the announcement has the clamped value.
    proxy->setProperty("IMG1ShutterSpeed").onInterface(bus::kInterface).toValue(int32_t{99});
    ASSERT_TRUE(
        ServeUntil(*connection, [&] { return recorder.changes["IMG1ShutterSpeed"].size() == 2; }));
    EXPECT_EQ(recorder.changes["IMG1ShutterSpeed"].back().get<int32_t>(), 11);

    // Methods with in and out arguments.
    int32_t top = 0;
    proxy->callMethod("AskIMG1TriggerModeRange")
        .onInterface(bus::kInterface)
        .withArguments(1)
        .storeResultsTo(top);
    EXPECT_EQ(top, 6);

    // A script error: its status code in the error's name, its description as the message,
    // the same as zr47xcl prints for it locally.
    try {
        proxy->callMethod("StartCommunication").onInterface(bus::kInterface).withArguments(0, 15);
        ADD_FAILURE() << "StartCommunication to a port that leads nowhere succeeded";
    } catch (const sdbus::Error& e) {
        EXPECT_EQ(e.getName(), "com.korvel.ZR47xCL.Error.E800A0039");
        const RunResult local =
            RunProgram(kZr47xcl, {"--offline", "call", "StartCommunication", "0", "15"},
                       session.Environment());
        EXPECT_EQ(local.err, "error 0x800A0039: " + e.getMessage() + "\n");
    }
    ASSERT_TRUE(ServeUntil(*connection, [&] { return recorder.changes.count("CommPort"); }));
    EXPECT_EQ(recorder.changes["CommPort"].back().get<int32_t>(), 15);

    // A read-only property refuses a write; back on COM1 the control is online again.
    EXPECT_THROW(proxy->setProperty("CommPort").onInterface(bus::kInterface).toValue(int32_t{0}),
                 sdbus::Error);
    int32_t code = -1;
    proxy->callMethod("StartCommunication")
        .onInterface(bus::kInterface)
        .withArguments(0, 0)
        .storeResultsTo(code);
    EXPECT_EQ(code, 0);
    bool online = false;
    proxy->callMethod("CheckOnline").onInterface(bus::kInterface).storeResultsTo(online);
    EXPECT_TRUE(online);
}

TEST_F(PublishedControlTest, OneTransactionAtATimeBusyAnswersAtOnceAndAVanishedCallerCostsNothing)
{
    std::string error;
    // A one-push white balance that the camera reports working for about 2.5 s.
    DispatchResult longCall;
    Variant longResult;
    std::vector<Variant> longArgs{Variant(), Variant(0)};
    std::thread first([&] {
        std::string attachError;
        auto client = bus::BusClient::Attach(std::nullopt, attachError);
        ASSERT_TRUE(client) << attachError;
        longCall = client->Invoke(*FindMember("DoIMG1OnePushAWB"), InvokeKind::Method, longArgs,
                                  longResult);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    auto second = bus::BusClient::Attach(std::nullopt, error);
    ASSERT_TRUE(second) << error;
    second->SetBusyWait(std::chrono::milliseconds(0));
    std::vector<Variant> value{Variant(3)};
    Variant unused;
    const auto asked = std::chrono::steady_clock::now();
    DispatchResult busy =
        second->Invoke(*FindMember("IMG1ShutterSpeed"), InvokeKind::PropertyPut, value, unused);
    EXPECT_EQ(busy.status, bus::kBusy);
    EXPECT_EQ(busy.description, bus::kBusyDescription);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(1000));
    // Reading the mirror is no transaction: it is answered meanwhile.
    std::vector<Variant> none;
    Variant speed;
    EXPECT_TRUE(
        second->Invoke(*FindMember("IMG1ShutterSpeed"), InvokeKind::PropertyGet, none, speed)
            .Succeeded());

    first.join();
    EXPECT_TRUE(longCall.Succeeded()) << longCall.description;
    EXPECT_EQ(longResult, Variant(0));
    EXPECT_EQ(longArgs[0], Variant(1)); // the camera's result: success

    // A caller that goes away in the middle of a long operation: the control finishes it and
    // serves the next caller, who waits for the operation instead of being refused.
    {
        auto vanishing = session.Start({"--attach", "call", "DoIMG1OnePushAWB", "0"});
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    } // killed here
    second->SetBusyWait(std::chrono::milliseconds(10000));
    EXPECT_TRUE(
        second->Invoke(*FindMember("IMG1ShutterSpeed"), InvokeKind::PropertyPut, value, unused)
            .Succeeded());
    EXPECT_EQ(session.Camera()->Camera().Value("SH1"), 3);
}

} // namespace
} // namespace zr::test
