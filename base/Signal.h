#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace zr
{

// Identifies one connection of a slot to a signal; 0 is never handed out.
using SignalConnection = uint64_t;

// A list of receivers called in the order they connected, synchronously, on the emitting
// thread. A slot may connect or disconnect slots (itself included) and emit again while a
// signal is being emitted: a slot disconnected meanwhile is not called any more, a slot
// connected meanwhile gets the next emission, not this one. The bookkeeping stays right when a
// slot throws; the exception then goes on to the emitter's caller.
template <typename... Args> class Signal
{
public:
    using Slot = std::function<void(Args...)>;

    Signal() = default;
    Signal(const Signal&) = delete;
    Signal& operator=(const Signal&) = delete;

    SignalConnection Connect(Slot slot)
    {
        const SignalConnection id = ++lastId_;
        slots_.push_back({id, std::move(slot)});
        return id;
    }

    // False when `id` is not connected (any more).
    bool Disconnect(SignalConnection id)
    {
        auto found =
            std::find_if(slots_.begin(), slots_.end(), [id](const Entry& e) { return e.id == id; });
        if (found == slots_.end())
            return false;
        // While emitting the list is walked by position: leave a hole, compacted afterwards.
        if (emitting_ > 0)
            found->id = 0;
        else
            slots_.erase(found);
        return true;
    }

    bool IsConnected(SignalConnection id) const
    {
        return id != 0 && std::any_of(slots_.begin(), slots_.end(),
                                      [id](const Entry& e) { return e.id == id; });
    }

    size_t Count() const
    {
        return static_cast<size_t>(
            std::count_if(slots_.begin(), slots_.end(), [](const Entry& e) { return e.id != 0; }));
    }

    void Emit(Args... args)
    {
        Emitting guard(*this);
        const size_t count = slots_.size();
        for (size_t i = 0; i < count; ++i) {
            // A copy, so a slot that disconnects itself can finish running.
            if (slots_[i].id == 0)
                continue;
            Slot slot = slots_[i].slot;
            slot(args...);
        }
    }

private:
    struct Entry {
        SignalConnection id;
        Slot slot;
    };
    // Counts the nesting even when a slot throws; the outermost emission compacts the holes.
    struct Emitting {
        Signal& signal;
        explicit Emitting(Signal& s) : signal(s) { ++signal.emitting_; }
        ~Emitting()
        {
            if (--signal.emitting_ == 0)
                std::erase_if(signal.slots_, [](const Entry& e) { return e.id == 0; });
        }
        Emitting(const Emitting&) = delete;
        Emitting& operator=(const Emitting&) = delete;
    };

    std::vector<Entry> slots_;
    SignalConnection lastId_ = 0;
    int emitting_ = 0;
};

// Disconnects its connection when it goes; the signal must outlive it.
template <typename... Args> class ScopedConnection
{
public:
    ScopedConnection() = default;
    ScopedConnection(Signal<Args...>& signal, typename Signal<Args...>::Slot slot)
        : signal_(&signal), id_(signal.Connect(std::move(slot)))
    {
    }
    ScopedConnection(ScopedConnection&& other) noexcept
        : signal_(std::exchange(other.signal_, nullptr)), id_(std::exchange(other.id_, 0))
    {
    }
    ScopedConnection& operator=(ScopedConnection&& other) noexcept
    {
        if (this != &other) {
            Reset();
            signal_ = std::exchange(other.signal_, nullptr);
            id_ = std::exchange(other.id_, 0);
        }
        return *this;
    }
    ScopedConnection(const ScopedConnection&) = delete;
    ScopedConnection& operator=(const ScopedConnection&) = delete;
    ~ScopedConnection() { Reset(); }

    void Reset()
    {
        if (signal_ != nullptr)
            signal_->Disconnect(id_);
        signal_ = nullptr;
        id_ = 0;
    }

private:
    Signal<Args...>* signal_ = nullptr;
    SignalConnection id_ = 0;
};

} // namespace zr
