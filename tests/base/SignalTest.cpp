#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "base/Signal.h"

namespace zr
{
namespace
{

// Slots that change the connections while the signal is being emitted, nested emissions and a
// throwing slot: the cases the delivery guard exists for.
TEST(Signal, ConnectionsMayChangeWhileEmitting)
{
    Signal<int> signal;
    std::vector<std::string> calls;
    SignalConnection first = 0, late = 0;
    first = signal.Connect([&](int v) {
        calls.push_back("first " + std::to_string(v));
        signal.Disconnect(first); // leaves during its own call
        late = signal.Connect([&](int w) { calls.push_back("late " + std::to_string(w)); });
    });
    SignalConnection second = signal.Connect([&](int v) {
        calls.push_back("second " + std::to_string(v));
        if (v == 1)
            signal.Emit(2); // nested: the first slot is already gone, the late one not yet called
    });
    signal.Emit(1);
    // "late" connected during emission 1 is not called by it, but the nested emission 2 reads
    // the list afresh and calls it.
    EXPECT_EQ(calls, (std::vector<std::string>{"first 1", "second 1", "second 2", "late 2"}));
    EXPECT_FALSE(signal.IsConnected(first));
    EXPECT_EQ(signal.Count(), 2u);

    calls.clear();
    signal.Emit(3);
    EXPECT_EQ(calls, (std::vector<std::string>{"second 3", "late 3"}));

    // A slot that throws: the exception reaches the emitter, and the bookkeeping stays right, so
    // a slot removed during that emission is really gone afterwards.
    SignalConnection thrower = signal.Connect([&](int) {
        signal.Disconnect(second);
        throw std::runtime_error("slot");
    });
    EXPECT_THROW(signal.Emit(4), std::runtime_error);
    EXPECT_TRUE(signal.Disconnect(thrower));
    EXPECT_FALSE(signal.Disconnect(second));
    calls.clear();
    signal.Emit(5);
    EXPECT_EQ(calls, (std::vector<std::string>{"late 5"}));
}

TEST(Signal, ScopedConnectionDisconnectsWhenItGoes)
{
    Signal<const std::string&, bool> signal;
    int calls = 0;
    {
        ScopedConnection<const std::string&, bool> a(signal,
                                                     [&](const std::string&, bool) { ++calls; });
        ScopedConnection<const std::string&, bool> moved = std::move(a);
        signal.Emit("x", true);
        EXPECT_EQ(signal.Count(), 1u);
    }
    signal.Emit("y", false);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(signal.Count(), 0u);
}

} // namespace
} // namespace zr
