#include "control/HeadlessUi.h"

#include <iostream>

namespace zr
{

HeadlessUi::HeadlessUi() : out_(std::cerr) {}

std::unique_ptr<Panel> HeadlessUi::CreatePanel(const PanelSpec&, CXKorvelCamCtrl&, Panel*)
{
    return nullptr;
}

void HeadlessUi::ShowMessageBox(const std::string& text, const std::string&, MessageIcon)
{
    // The text only (the caption is always the application's name), with plain line ends.
    std::string lines;
    lines.reserve(text.size());
    for (char c : text)
        if (c != '\r')
            lines.push_back(c);
    out_ << lines << std::endl;
}

std::unique_ptr<ProgressWindow> HeadlessUi::CreateProgressWindow(const std::string&)
{
    return nullptr;
}

} // namespace zr
