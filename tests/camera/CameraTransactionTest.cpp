// Set and query transactions over a real pseudo-terminal and the serial port link, with a
// scripted camera on the far end.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "camera/Camera.h"
#include "camera/CameraError.h"
#include "support/ManualClock.h"
#include "support/MemorySettings.h"
#include "support/PseudoTerminal.h"
#include "support/RecordingCamera.h"
#include "support/ScriptedPeer.h"

namespace zr
{
namespace
{

using namespace std::string_literals;
using Strings = std::vector<std::string>;
using test::ManualClock;
using test::MemorySettings;
using test::PseudoTerminal;
using test::RecordingCamera;
using test::ScriptedPeer;

class CameraTransaction : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.IsValid());
        settings.WriteString("Comm", "COM1", pty.SlavePath());
        Connect(clock);
    }

    // A camera on COM1 (the pseudo-terminal), online, with a fresh peer and no events yet.
    void Connect(Clock& use)
    {
        peer.reset();
        camera.reset();
        camera = std::make_unique<RecordingCamera>(settings, use);
        ASSERT_EQ(camera->OpenCommPort(0, 0), 0);
        camera->SetOnline(true);
        camera->ClearEvents();
        peer = std::make_unique<ScriptedPeer>(pty);
    }

    bool LinkOpen() { return camera->ActiveLink().IsOpen(); }

    // Declared so that the peer goes first, then the camera object, then what it used.
    PseudoTerminal pty;
    MemorySettings settings;
    ManualClock clock;
    ManualClock wrapping{0xFFFFFFFAu}; // a few ticks before the counter wraps
    std::unique_ptr<RecordingCamera> camera;
    std::unique_ptr<ScriptedPeer> peer;
};

TEST_F(CameraTransaction, SetWritesTheExactLineAndExpectsComplete)
{
    peer->Answer("COMPLETE\r\n");
    camera->StoreValue(P_SH1, 3);
    EXPECT_EQ(camera->SendValue(P_SH1, true), 0);
    EXPECT_TRUE(camera->IsRowSynchronized(P_SH1));
    EXPECT_EQ(camera->Events(),
              (Strings{"sending 1", "log > SH1=3\r\n", "sending 0", "log < COMPLETE\r\n"}));

    // The value is notified before anything is sent.
    camera->ClearEvents();
    peer->Answer("COMPLETE\r\n");
    EXPECT_EQ(camera->SetValue(P_GA1, -84, true, true, true), 0);
    EXPECT_EQ(camera->Events().front(), "value 20 1");

    peer->Answer("COMPLETE\r\n");
    EXPECT_EQ(camera->SetValueString(P_UD, "Line 7"), 0);
    EXPECT_EQ(peer->Commands(), (Strings{"SH1=3\r\n", "GA1=-84\r\n", "UD=Line 7\r\n"}));
    EXPECT_FALSE(camera->IsSending());
}

// A camera whose owner reacts to the sending notification by changing the row about to be sent,
// as a script handler of the sending event may.
class ReactingCamera : public RecordingCamera
{
public:
    using RecordingCamera::RecordingCamera;
    void SetSending(bool sending) override
    {
        RecordingCamera::SetSending(sending);
        if (sending) {
            StoreValue(P_SH1, 7);
            StoreText(P_UD, "changed");
        }
    }
};

TEST_F(CameraTransaction, SetLineIsBuiltAfterSendingIsAnnounced)
{
    camera.reset(); // frees COM1
    ReactingCamera reacting(settings, clock);
    ASSERT_EQ(reacting.OpenCommPort(0, 0), 0);
    reacting.SetOnline(true);
    peer->Answer("COMPLETE\r\n");
    peer->Answer("COMPLETE\r\n");
    reacting.StoreValue(P_SH1, 3);
    EXPECT_EQ(reacting.SendValue(P_SH1, true), 0);
    reacting.StoreText(P_UD, "before");
    EXPECT_EQ(reacting.SendValue(P_UD, true), 0);
    EXPECT_EQ(peer->Commands(), (Strings{"SH1=7\r\n", "UD=changed\r\n"}));
    EXPECT_EQ(reacting.Log()[0].first, "SH1=7\r\n");
}

TEST_F(CameraTransaction, QueryStoresOnlyValidAnswers)
{
    peer->Answer("GA1=120\r\n");
    EXPECT_EQ(camera->QueryValue(P_GA1, true), 0);
    EXPECT_EQ(camera->GetValue(P_GA1), 120);
    EXPECT_TRUE(camera->IsRowSynchronized(P_GA1));
    EXPECT_EQ(camera->Events(),
              (Strings{"receiving 1", "log > GA1?\r\n", "receiving 0", "log < GA1=120\r\n"}));

    // Out of range: refused, mirror unchanged, row unsynchronised, still connected.
    camera->ClearEvents();
    peer->Answer("GA1=400\r\n");
    EXPECT_EQ(camera->QueryValue(P_GA1, true), CAMERA_ANSWER_OUT_OF_RANGE);
    EXPECT_EQ(camera->GetValue(P_GA1), 120);
    EXPECT_FALSE(camera->IsRowSynchronized(P_GA1));
    EXPECT_TRUE(camera->IsOnline());
    EXPECT_TRUE(LinkOpen());
    EXPECT_EQ(camera->Events().size(), 4u);

    // Number conversion: blanks and a sign, stops at the first non-digit, saturates at 32 bits
    // (a wrapped 2^32 + 100 would pass as 100). PIV2 is not an enabled item while the imagers
    // differ. An answer must name the row and hold "=".
    camera->StoreValue(P_IM1, 5);
    camera->StoreValue(P_SH1, 9);
    const struct {
        int32_t row;
        const char* answer;
        int code;
        int32_t value;
    } cases[] = {
        {P_GA1, "GA1= -12abc", 0, -12},
        {P_GA1, "GA1=4294967396", CAMERA_ANSWER_OUT_OF_RANGE, -12},
        {P_TR1, "TR1=5", CAMERA_ANSWER_OUT_OF_RANGE, 0},
        {P_SH1, "SH2=3", CAMERA_INVALID_ANSWER, 9},
        {P_SH1, "SH1", CAMERA_INVALID_ANSWER, 9},
        {P_SH1, "SH1=", 0, 0},
    };
    for (const auto& c : cases) {
        peer->Answer(c.answer + "\r\n"s);
        EXPECT_EQ(camera->QueryValue(c.row, true), c.code) << c.answer;
        EXPECT_EQ(camera->GetValue(c.row), c.value) << c.answer;
        EXPECT_EQ(camera->IsRowSynchronized(c.row), c.code == 0) << c.answer;
    }

    // Text rows take the text whatever its length.
    peer->Answer("MD=ZR-472 with a long tail\r\n");
    EXPECT_EQ(camera->QueryValue(P_MD, true), 0);
    EXPECT_EQ(camera->GetText(P_MD), "ZR-472 with a long tail");

    // Asking through GetValueString notifies a non-interactive change.
    camera->ClearEvents();
    peer->Answer("SH1=6\r\n");
    std::string text;
    EXPECT_EQ(camera->GetValueString(P_SH1, text, true, true, true), 0);
    EXPECT_EQ(text, "1/1000");
    EXPECT_EQ(camera->Events().back(), "value 11 0");
    peer->Answer("Bad Parameters!!\r\n");
    EXPECT_EQ(camera->GetValueString(P_SH1, text, true, true, true), CAMERA_BAD_PARAMETER);
    EXPECT_EQ(text, "");
    EXPECT_EQ(camera->Events().back(), "log < Bad Parameters!!\r\n");
    EXPECT_TRUE(camera->IsOnline());
}

TEST_F(CameraTransaction, AnswersAreClassifiedLikeTheCamerasLines)
{
    struct Case {
        std::string answer;
        int expected;
    };
    const Case cases[] = {
        {"COMPLETE \r\n", CAMERA_INVALID_ANSWER},
        {"complete\r\n", CAMERA_INVALID_ANSWER},
        {"SH1=3 Bad Parameters!!\r\n", CAMERA_BAD_PARAMETER},
        {"Unknown Command!!\r\n", CAMERA_UNKNOWN_COMMAND},
        {"Bad Parameters!! Unknown Command!!\r\n", CAMERA_UNKNOWN_COMMAND},
        {"\x05zz\xff"
         "COMPLETE\r\n",
         CAMERA_INVALID_ANSWER},  // noise becomes part of the line
        {"\nCOMPLETE\r\n", 0},    // a lone LF does not end a line
        {"COM\0PLETE\r\0\n"s, 0}, // NUL bytes add nothing
    };
    for (const Case& c : cases) {
        peer->Answer(c.answer);
        EXPECT_EQ(camera->SendValue(P_CM1, true), c.expected) << c.answer;
        EXPECT_EQ(camera->IsRowSynchronized(P_CM1), c.expected == 0) << c.answer;
    }
    // Camera-level failures never disconnect.
    EXPECT_TRUE(camera->IsOnline());
    EXPECT_TRUE(LinkOpen());
    EXPECT_EQ(peer->Commands().size(), std::size(cases));
    // The log shows the line as received, CR LF included, NUL bytes left out.
    EXPECT_EQ(camera->Log().back(), (std::pair<std::string, bool>{"COMPLETE\r\n", false}));

    peer->Answer("\x01\x02GA1=5\r\n");
    EXPECT_EQ(camera->QueryValue(P_GA1, true), CAMERA_INVALID_ANSWER);
}

TEST_F(CameraTransaction, TimeOutDisconnectsOnlyWhenAsked)
{
    camera->SetRowSynchronized(P_GA1, true);
    camera->SetSynchronized(true);
    camera->ClearEvents();
    peer->Silence();
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(camera->SendValue(P_SH1, false), CAMERA_TIMEOUT);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(400));
    EXPECT_TRUE(camera->IsOnline());
    EXPECT_TRUE(LinkOpen());
    EXPECT_FALSE(camera->IsRowSynchronized(P_SH1));
    EXPECT_TRUE(camera->IsRowSynchronized(P_GA1));
    EXPECT_EQ(camera->Events(), (Strings{"sending 1", "log > SH1=0\r\n", "sending 0"}));

    // A line ended by LF alone never completes: the same time-out, now with disconnect.
    camera->ClearEvents();
    peer->Answer("COMPLETE\n");
    EXPECT_EQ(camera->QueryValue(P_SH1, true), CAMERA_TIMEOUT);
    EXPECT_EQ(camera->Events(), (Strings{"receiving 1", "log > SH1?\r\n", "receiving 0", "online 0",
                                         "synchronized 0"}));
    EXPECT_FALSE(LinkOpen());
    EXPECT_FALSE(camera->IsOnline());
    EXPECT_FALSE(camera->IsSynchronized());
    EXPECT_FALSE(camera->IsRowSynchronized(P_GA1));

    // Offline now: nothing is written, notified or changed.
    camera->ClearEvents();
    EXPECT_EQ(camera->SendValue(P_SH1, true), CAMERA_OFFLINE);
    EXPECT_EQ(camera->QueryValue(P_SH1, true), CAMERA_OFFLINE);
    EXPECT_EQ(camera->SetUserID("x"), CAMERA_OFFLINE);
    EXPECT_EQ(camera->SetValue(P_SH1, 2, true, false, true), CAMERA_OFFLINE);
    EXPECT_TRUE(camera->Events().empty());
    EXPECT_EQ(camera->GetValue(P_ULCK), 0);
    EXPECT_FALSE(peer->WaitForCommands(3, 100));
}

TEST_F(CameraTransaction, LinkErrorsPassThroughAndHangUpsTimeOut)
{
    // Online with a closed link: the write fails with the link's own code.
    camera->ActiveLink().Close();
    EXPECT_EQ(camera->SendValue(P_SH1, false), 2);
    EXPECT_TRUE(camera->IsOnline());
    EXPECT_EQ(camera->SendValue(P_SH1, true), 2);
    EXPECT_FALSE(camera->IsOnline());

    ASSERT_EQ(camera->OpenCommPort(0, 0), 0);
    camera->SetOnline(true);
    camera->ClearEvents();
    peer->HangUp();
    EXPECT_EQ(camera->QueryValue(P_GA1, true), CAMERA_TIMEOUT);
    EXPECT_FALSE(camera->IsOnline());
    EXPECT_FALSE(LinkOpen());
    EXPECT_EQ(camera->Events().back(), "synchronized 0");
}

TEST_F(CameraTransaction, RowsMarkedNotToBeLoggedNeverReachTheLog)
{
    peer->Answer("EB=0\r\n");
    EXPECT_EQ(camera->QueryValue(P_EB, true), 0);
    peer->Answer("IM1=5\r\n");
    EXPECT_EQ(camera->QueryValue(P_IM1, true), 0);
    EXPECT_EQ(camera->GetValue(P_IM1), 5);
    peer->Answer("COMPLETE\r\n");
    EXPECT_EQ(camera->SendValue(P_EB, true), 0);
    peer->Answer("COMPLETE\r\n");
    EXPECT_EQ(camera->SendValue(P_ULCK, true), 0);
    // ULCK is never asked: its answer time-out is 0.
    peer->Silence();
    EXPECT_EQ(camera->QueryValue(P_ULCK, false), CAMERA_TIMEOUT);
    EXPECT_TRUE(camera->Log().empty());
    ASSERT_TRUE(peer->WaitForCommands(5));
    EXPECT_EQ(peer->Commands(),
              (Strings{"EB?\r\n", "IM1?\r\n", "EB=0\r\n", "ULCK=0\r\n", "ULCK?\r\n"}));
}

TEST_F(CameraTransaction, UserIdIsSentOnlyAfterTheUnlockCode)
{
    peer->Answer("COMPLETE\r\n");
    peer->Answer("COMPLETE\r\n");
    EXPECT_EQ(camera->SetUserID("ABCDEFGHIJKLMNOPQRSTU"), 0);
    EXPECT_EQ(peer->Commands(), (Strings{"ULCK=4127\r\n", "UD=ABCDEFGHIJKLMNOP\r\n"}));
    EXPECT_EQ(camera->Events(),
              (Strings{"value 8 1", "sending 1", "sending 0", "value 7 1", "sending 1",
                       "log > UD=ABCDEFGHIJKLMNOP\r\n", "sending 0", "log < COMPLETE\r\n"}));

    peer->Answer("Bad Parameters!!\r\n");
    EXPECT_EQ(camera->SetUserID("other"), CAMERA_BAD_PARAMETER);
    EXPECT_FALSE(peer->WaitForCommands(4, 100));
    EXPECT_EQ(camera->GetText(P_UD), "ABCDEFGHIJKLMNOP");
}

TEST_F(CameraTransaction, PollingSleepsOneMillisecondPerByteAcrossATickWrap)
{
    Connect(wrapping);
    peer->Answer("COMPLETE\r\n");
    EXPECT_EQ(camera->SendValue(P_SH1, true), 0);
    EXPECT_EQ(wrapping.SleepCalls(), 9u);
    EXPECT_EQ(wrapping.SleptMs(), 9u);

    // The tick count ends a line that keeps coming: 100 ms, so about a hundred bytes are read
    // and the rest of the noise is still waiting (the link's own time-out would take it all).
    peer->Answer(std::string(1000, 'n'));
    ASSERT_EQ(camera->ActiveLink().Write("NOISE\r\n", 7, 400), 0);
    ASSERT_TRUE(peer->WaitForCommands(2));
    std::string answer;
    EXPECT_EQ(camera->ReadAnswer(answer, nullptr, 100, true), CAMERA_TIMEOUT);
    EXPECT_GT(camera->ActiveLink().GetBytesWaiting(), 0);
}

TEST_F(CameraTransaction, FloodsAndGarbageEndWithACode)
{
    // Only NUL bytes: nothing is added, the line never completes.
    peer->Answer(std::string(200, '\0'));
    EXPECT_EQ(camera->SendValue(P_SH1, false), CAMERA_TIMEOUT);

    // Frozen ticks: only the link's own read time-out ends a line, so a fast peer could grow
    // the answer without bound. An over-long line is kept to the limit and logged with CR LF.
    clock.SetStep(0);
    peer->Answer(std::string(CCamera::kMaxAnswerLength + 1000, 'y') + "\r\n");
    ASSERT_EQ(camera->ActiveLink().Write("LONG\r\n", 6, 400), 0);
    camera->ClearEvents();
    std::string answer;
    EXPECT_EQ(camera->ReadAnswer(answer, nullptr, 2000, true), 0);
    EXPECT_EQ(answer.size(), CCamera::kMaxAnswerLength);
    EXPECT_EQ(answer.find_first_not_of('y'), std::string::npos);
    ASSERT_EQ(camera->Log().size(), 1u);
    EXPECT_EQ(camera->Log()[0].first.size(), CCamera::kMaxAnswerLength + 2);
    EXPECT_EQ(camera->Log()[0].first.substr(CCamera::kMaxAnswerLength), "\r\n");
    peer->Answer("COMPLETE\r\n");
    EXPECT_EQ(camera->SendValue(P_SH1, true), 0);

    // Twice the limit without CR LF: a time-out once the line falls silent, memory capped.
    peer->Answer(std::string(2 * CCamera::kMaxAnswerLength, 'x'));
    ASSERT_EQ(camera->ActiveLink().Write("FLOOD\r\n", 7, 400), 0);
    EXPECT_EQ(camera->ReadAnswer(answer, nullptr, 300, true), CAMERA_TIMEOUT);
    EXPECT_LE(answer.size(), CCamera::kMaxAnswerLength);

    // A megabyte at full speed with running ticks: the answer time-out ends it.
    clock.SetStep(1);
    peer->Answer(std::string(1024 * 1024, 'z'));
    EXPECT_EQ(camera->SendValue(P_SH1, true), CAMERA_TIMEOUT);
    EXPECT_FALSE(camera->IsOnline());
}

TEST_F(CameraTransaction, RealClockPacesAndTimesOut)
{
    Connect(Clock::System());
    peer->Answer("COMPLETE\r\n");
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(camera->SendValue(P_SH1, true), 0);
    // One millisecond between the ten bytes of the answer.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(9));

    peer->Answer("COMPLETE");
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(camera->SendValue(P_SH1, true), CAMERA_TIMEOUT);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(400));
    EXPECT_FALSE(camera->IsOnline());
}

} // namespace
} // namespace zr
