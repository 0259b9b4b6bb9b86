#include "PanelTestBed.h"

#include "panels/DialogProgress.h"
#include "panels/PanelFactory.h"

namespace zr::test
{

PanelTestBed::PanelTestBed() : controlWindow(new QWidget(&host))
{
    InitPanelResources();
    environment.open = [this](const QString& target) { opened << target; };
    host.resize(200, 60);
    host.show();
}

PanelTestBed::~PanelTestBed()
{
    bed.DestroyControl();
}

CXKorvelCamCtrl& PanelTestBed::Start(const std::string& model,
                                     const std::vector<std::string>& faults)
{
    sim::SimOptions options;
    options.model = model;
    options.faults = faults;
    bed.AttachCamera(0, options);
    return StartControl();
}

CXKorvelCamCtrl& PanelTestBed::StartOffline()
{
    return StartControl();
}

CXKorvelCamCtrl& PanelTestBed::StartControl()
{
    bed.settings.WriteInt("Comm", "Class", 0);
    bed.settings.WriteInt("Comm", "Port", 0);
    CXKorvelCamCtrl& control = bed.MakeControl();
    control.SetUi(*this);
    control.OnCreate();
    bed.ui.Clear();
    return control;
}

std::vector<std::string> PanelTestBed::Messages() const
{
    std::vector<std::string> texts;
    for (const std::string& line : bed.ui.Lines("message "))
        texts.push_back(line.substr(8));
    return texts;
}

std::unique_ptr<Panel> PanelTestBed::CreatePanel(const PanelSpec& panelSpec, CXKorvelCamCtrl& owner,
                                                 Panel*)
{
    return CreatePanelWindow(panelSpec, owner, environment, controlWindow);
}

void PanelTestBed::ShowMessageBox(const std::string& text, const std::string& caption,
                                  MessageIcon icon)
{
    bed.ui.ShowMessageBox(text, caption, icon);
}

std::unique_ptr<ProgressWindow> PanelTestBed::CreateProgressWindow(const std::string& caption)
{
    auto window = std::make_unique<CDialogProgress>(caption, environment.metrics, controlWindow);
    QObject::connect(window.get(), &QWidget::windowTitleChanged,
                     [this](const QString& title) { progressTitles << title; });
    if (onProgress)
        onProgress(*window);
    return window;
}

} // namespace zr::test
