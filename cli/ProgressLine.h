#pragma once

#include <cstdint>
#include <string>

#include "base/TerminalText.h"
#include "component/ComponentInterface.h"

namespace zr::cli
{

// Standard error of the command line. On a terminal a long operation keeps one progress line
// up to date there ("Reading all settings  34/95  36%"), cleared at its last step and before
// any other line; when
// standard error is no terminal nothing but the other lines is written, so scripts see only
// those. Stop requests come from the termination signals (TerminationSignals).
class ProgressLine final : public IXKorvelCamProgress
{
public:
    // `terminal`: whether progress is shown at all; `text`: how the control's texts are shown.
    explicit ProgressLine(bool terminal, TerminalText text = TerminalText(false))
        : terminal_(terminal), text_(text)
    {
    }
    ~ProgressLine() override { Clear(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void OnProgress(const char* operation, int32_t done, int32_t total) override;
    bool IsStopRequested() override;

    // One line of text on standard error, after the progress line is cleared.
    void Line(const std::string& text);
    // Removes the progress line, if one is shown.
    void Clear();

    // The control's text (a value, a description, a log line) as the terminal shows it.
    std::string Shown(std::string_view text) const { return text_.Out(text); }

private:
    bool terminal_;
    TerminalText text_;
    bool shown_ = false;
    std::string last_; // the text last drawn, to redraw only what changed
};

} // namespace zr::cli
