// zr47xcl-tool: the ZR-47xCL Control Tool, one dialog that carries one control.

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <time.h>

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QScreen>
#include <QSocketNotifier>
#include <QTimer>

#include "base/TerminationSignals.h"
#include "control/ControlUi.h"
#include "host/ControlDialog.h"
#include "host/DisplayProbe.h"
#include "host/FirstArrangement.h"
#include "host/LongOperationPump.h"
#include "panels/DialogMetrics.h"

namespace
{

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
// Ended by SIGTERM, SIGINT or SIGHUP, after the operation under way stopped and the settings
// were saved; as zr47xcl ends when interrupted.
constexpr int kExitInterrupted = 130;

constexpr const char* kUsage =
    R"(Usage: zr47xcl-tool [--port PORT] [--screenshot DIR | --dismiss-messages DIR] [Qt options]

The ZR-47xCL Control Tool: a small window that carries the ZR-47xCL control, its row of five
buttons and the panels they open. The control component is found through the class
registration: the user's ${XDG_DATA_HOME:-$HOME/.local/share}/xkorvel/classes.ini
(zr47xcl-regsvr writes it) first, then xkorvel/classes.ini under each folder of $XDG_DATA_DIRS
(default /usr/local/share:/usr/share; the package registers it there for every user). Without
a registration the tool says so and ends. Right-click the window for the about entry and the
serial ports window. Closing the window asks before the tool quits; minimising it hides the
floating panels.

Options:
  --port PORT         start up on PORT instead of the remembered port: COM1..COM16, CL:N
                      (port index N of the Camera Link class), or the device path of a COM
                      port (/dev/ttyUSB0; the first COM port that leads to it, see "Serial
                      Ports..." in the window's menu); remembered at the end
  --screenshot DIR    render the main window to DIR/Main.png and every panel (shown or not),
                      the progress window, the property page and the serial ports window
                      (Ports.png) to DIR/<section>.png, then
                      exit. The start-up connection attempt runs as usual; a message box it
                      shows is rendered to DIR/Message-<n>.png and dismissed. Drawn on the
                      offscreen platform, whatever DISPLAY says.
  --dismiss-messages DIR
                      for unattended runs: every message box of the control is rendered to
                      DIR/Message-<n>.png, its text written to DIR/Message-<n>.txt, and
                      dismissed at once instead of waiting for a user
  --report-first-paint
                      print "first-paint <ns>" on stdout once the window has been painted
                      (the monotonic clock in nanoseconds; for the start-up benchmark)
  --help              this text
  --version           the version

Qt's own options (-platform, -display, -style, ...) are accepted too.
SIGTERM, SIGINT or SIGHUP end the tool as a confirmed close does: the operation under way
stops at its next safe point after its restoring steps, the module settings are saved, then
the tool exits with status 130 (a second signal ends it at once).
Exit status: 0 on success, 1 without a display or with one that cannot be opened (unless
--screenshot), without a registered control component or when screenshots could not be made,
2 for a usage error, 130 after a signal.
)";

// "COM1".."COM16" or "CL:N" in any letter case, or a device path: what --port takes. Which port
// a device path names is for the control to say, from its module settings.
bool LooksLikePort(std::string text)
{
    if (text.starts_with('/'))
        return true;
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const bool com = text.starts_with("COM"), cl = text.starts_with("CL:");
    const std::string digits = text.substr(com || cl ? 3 : 0);
    if ((!com && !cl) || digits.empty() || digits.size() > 4 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return false;
    return cl || (std::stoi(digits) >= 1 && std::stoi(digits) <= 16);
}

struct Options {
    std::optional<std::string> port;
    std::optional<std::string> screenshotFolder;
    std::optional<std::string> messageFolder;
    bool reportFirstPaint = false;
};

// Parses what Qt left of the command line. Nothing on a usage error (already reported).
std::optional<Options> ParseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool folderFollows = i + 1 < argc;
        if (arg == "--port" && folderFollows) {
            options.port = argv[++i];
            if (!LooksLikePort(*options.port)) {
                std::fprintf(stderr,
                             "zr47xcl-tool: --port needs COM1..COM16, CL:N or a device path, "
                             "got '%s'\n",
                             argv[i]);
                return std::nullopt;
            }
        } else if (arg == "--screenshot" && folderFollows) {
            options.screenshotFolder = argv[++i];
        } else if (arg == "--dismiss-messages" && folderFollows) {
            options.messageFolder = argv[++i];
        } else if (arg == "--report-first-paint") {
            options.reportFirstPaint = true;
        } else {
            std::fprintf(stderr, "zr47xcl-tool: %s '%s' (see --help)\n",
                         arg == "--screenshot" || arg == "--dismiss-messages" || arg == "--port"
                             ? "missing value after"
                             : "unknown argument",
                         arg.c_str());
            return std::nullopt;
        }
    }
    return options;
}

bool HasArgument(int argc, char** argv, const char* wanted)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], wanted) == 0)
            return true;
    }
    return false;
}

bool HasDisplay()
{
    auto set = [](const char* name) {
        const char* value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

long long MonotonicNanoseconds()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

// Prints the time of the first paint of `window`, once the whole painting pass that it starts
// (the window and every child, the control's main panel included) has been done.
class FirstPaintReporter : public QObject
{
public:
    explicit FirstPaintReporter(QWidget* window) : window_(window)
    {
        qApp->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->window() == window_) {
            qApp->removeEventFilter(this);
            QTimer::singleShot(0, [] {
                std::printf("first-paint %lld\n", MonotonicNanoseconds());
                std::fflush(stdout);
            });
        }
        return false;
    }

private:
    QPointer<QWidget> window_;
};

// Without a control there is nothing to show: say why on stderr and, unless nobody is there to
// answer, in a message box.
void ReportNoControl(const std::string& failure, bool showMessageBox)
{
    std::fprintf(stderr, "zr47xcl-tool: %s\n", failure.c_str());
    if (showMessageBox)
        QMessageBox::critical(nullptr, "ZR-47xCL Control Tool",
                              QString::fromLocal8Bit(failure.c_str()));
}

// Renders the dialog and asks the control for its panels; the dialog is never shown.
int SaveScreenshots(zr::CControlDialog& dialog, const std::string& folder)
{
    // The control's pictures first: its own Main.png (the bare main panel) is then replaced by
    // the host's window with the control in it.
    int exitCode = kExitOk;
    if (!dialog.Control().HasControl()) {
        std::fprintf(stderr, "zr47xcl-tool: no control, so only Main.png is written (%s)\n",
                     dialog.Control().Failure().c_str());
        exitCode = kExitFailure;
    } else if (const int32_t result = dialog.Control().SaveScreenshots(folder); result != 0) {
        std::fprintf(stderr, "zr47xcl-tool: the control could not save its screenshots (0x%08X)\n",
                     static_cast<unsigned>(result));
        exitCode = kExitFailure;
    }
    const QString mainFile = QString::fromStdString(folder + "/Main.png");
    if (!dialog.grab().save(mainFile)) {
        std::fprintf(stderr, "zr47xcl-tool: cannot write %s\n", mainFile.toLocal8Bit().data());
        exitCode = kExitFailure;
    }
    return exitCode;
}

// What is answered before Qt starts: --help and --version need no display, and without one
// there is nothing to start. The exit status then, or nothing to go on.
std::optional<int> AnswerBeforeQt(int argc, char** argv)
{
    if (HasArgument(argc, argv, "--help") || HasArgument(argc, argv, "-h")) {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (HasArgument(argc, argv, "--version")) {
        std::printf("zr47xcl-tool %s\n", ZR_VERSION);
        return kExitOk;
    }
    // Pictures need no display: whatever DISPLAY names, they are drawn offscreen.
    if (HasArgument(argc, argv, "--screenshot"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!HasDisplay() && !HasArgument(argc, argv, "-platform")) {
        std::fputs("zr47xcl-tool: no display (neither DISPLAY nor WAYLAND_DISPLAY is set)\n",
                   stderr);
        return kExitFailure;
    }
    return std::nullopt;
}

// Where message boxes are saved and dismissed instead of shown (screenshots include them), made
// ready; nothing when they are shown.
std::optional<std::string> MessageFolder(const Options& options)
{
    const std::optional<std::string> folder =
        options.screenshotFolder ? options.screenshotFolder : options.messageFolder;
    if (folder) {
        std::error_code ec;
        std::filesystem::create_directories(*folder, ec);
    }
    return folder;
}

// A first start: the windows get places of their own before the control reads them.
void ArrangeAFirstStart()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen != nullptr)
        zr::FirstArrangement::WriteIfFirstStart(zr::FirstArrangement::SettingsPath(),
                                                screen->availableGeometry(), zr::DialogMetrics());
}

// A problem with the module settings when nobody is there to answer a message box about it.
void PrintSettingsProblem(const std::string& problem)
{
    std::fprintf(stderr, "zr47xcl-tool: %s\n", problem.c_str());
}

} // namespace

int main(int argc, char** argv)
{
    if (const std::optional<int> answered = AnswerBeforeQt(argc, argv))
        return *answered;
    zr::DisplayProbe display(argc, argv);
    if (!display.Error().empty()) {
        std::fprintf(stderr, "zr47xcl-tool: %s\n", display.Error().c_str());
        return kExitFailure;
    }

    QApplication application(argc, argv);
    display.Release();
    application.setApplicationName("zr47xcl-tool");
    application.setApplicationVersion(ZR_VERSION);
    // The desktop entry's name: the shell matches the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(ZR_APP_ID);
    const std::optional<Options> options = ParseOptions(argc, argv);
    if (!options)
        return kExitUsage;
    const std::optional<std::string> messageFolder = MessageFolder(*options);

    // A termination signal ends the tool as a confirmed close would; meanwhile long operations
    // keep the windows answering the window manager and stop at the signal.
    zr::TerminationSignals terminationSignals;
    QSocketNotifier termination(terminationSignals.Fd(), QSocketNotifier::Read);
    QObject::connect(&termination, &QSocketNotifier::activated, [&termination] {
        termination.setEnabled(false); // readable from the first signal on; it counts once
        // What the control would still show (a restore that failed) goes to stderr.
        QCoreApplication::instance()->setProperty(zr::kProgramEndingProperty, true);
        QCoreApplication::exit(kExitInterrupted);
    });
    if (!options->screenshotFolder)
        ArrangeAFirstStart();
    zr::LongOperationPump pump;
    zr::CXKorvelZR47xCL control =
        zr::CXKorvelZR47xCL::FromRegistration(zr::CXKorvelZR47xCL::ClassRegistryPaths());
    if (!control.HasControl() && !options->screenshotFolder) {
        ReportNoControl(control.Failure(), !messageFolder);
        return kExitFailure;
    }
    control.SetProgress(&pump);
    if (messageFolder)
        control.SetScreenshotFolder(*messageFolder);
    if (options->port) {
        const std::string why = control.SelectPortNamed(*options->port);
        if (!why.empty() && control.HasControl()) {
            std::fprintf(stderr, "zr47xcl-tool: --port: %s\n", why.c_str());
            return kExitUsage;
        }
    }
    zr::CControlDialog dialog(std::move(control), zr::AskQuitWithMessageBox);
    if (messageFolder) // nobody to answer a message box
        dialog.reportSettingsProblem = PrintSettingsProblem;
    if (options->screenshotFolder)
        return SaveScreenshots(dialog, *options->screenshotFolder);

    std::optional<FirstPaintReporter> reporter;
    if (options->reportFirstPaint)
        reporter.emplace(&dialog);
    // The window is not modal: it is the program's main window, and the program ends when the
    // window ends (the confirmed close).
    QObject::connect(&dialog, &QDialog::finished, &application, [] { QCoreApplication::exit(0); });
    if (!zr::TerminationSignals::Requested()) {
        dialog.show();
        application.exec();
    }
    if (!zr::TerminationSignals::Requested())
        return kExitOk;
    // The dialog goes after this, which saves the panels and the module settings; nobody is
    // left to answer a message box about them.
    dialog.reportSettingsProblem = PrintSettingsProblem;
    std::fprintf(stderr, "zr47xcl-tool: ended by %s\n",
                 zr::TerminationSignals::SignalName(zr::TerminationSignals::Signal()));
    return kExitInterrupted;
}
