#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace zr
{

// The reasons a long operation may be asked to stop, each from its own source: the program's
// termination, the Cancel of a progress display, the caller of a call that came over the bus.
// The operation asks Requested() at its safe points; it is true once any source says so.
//
// Every source is asked on every check, in the order they were added, so a source may do work
// there (a publication answers its bus between an operation's steps).
class StopSources
{
public:
    using Source = std::function<bool()>;
    using Id = uint64_t;

    StopSources() = default;
    StopSources(const StopSources&) = delete;
    StopSources& operator=(const StopSources&) = delete;

    // Adds a source; the id removes it again. An empty function adds nothing (id 0).
    Id Add(Source source)
    {
        if (!source)
            return 0;
        sources_.emplace_back(++lastId_, std::move(source));
        return lastId_;
    }
    void Remove(Id id)
    {
        std::erase_if(sources_, [id](const auto& entry) { return entry.first == id; });
    }

    bool Requested() const
    {
        bool requested = false;
        // By index with a copy of each source: a source may add or remove sources while it runs.
        for (size_t i = 0; i < sources_.size(); ++i) {
            const Source source = sources_[i].second;
            requested = source() || requested;
        }
        return requested;
    }

private:
    std::vector<std::pair<Id, Source>> sources_;
    Id lastId_ = 0;
};

} // namespace zr
