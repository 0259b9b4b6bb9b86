#include "cli/ProgressLine.h"

#include <cstdio>

#include "base/TerminationSignals.h"

namespace zr::cli
{

namespace
{

// Carriage return to the start of the line, erase to its end.
constexpr const char* kEraseLine = "\r\x1b[K";

} // namespace

void ProgressLine::OnProgress(const char* operation, int32_t done, int32_t total)
{
    if (!terminal_ || total <= 0)
        return;
    // The last step: the operation is over, its line goes.
    if (done >= total) {
        Clear();
        return;
    }
    const long percent = static_cast<long>(done) * 100 / total;
    char figures[48];
    std::snprintf(figures, sizeof figures, "  %d/%d  %ld%%", static_cast<int>(done),
                  static_cast<int>(total), percent);
    std::string text = operation;
    text += figures;
    if (TerminationSignals::Requested())
        text += "  (stopping)";
    if (shown_ && text == last_)
        return;
    std::fputs(kEraseLine, stderr);
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
    shown_ = true;
    last_ = std::move(text);
}

bool ProgressLine::IsStopRequested()
{
    return TerminationSignals::Requested();
}

void ProgressLine::Line(const std::string& text)
{
    Clear();
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

void ProgressLine::Clear()
{
    if (!shown_)
        return;
    std::fputs(kEraseLine, stderr);
    std::fflush(stderr);
    shown_ = false;
    last_.clear();
}

} // namespace zr::cli
