// The host dialog with a control that records what the host asks of it: keys that must not end
// the tool, the quit question and the order of destruction; and the dialog without a control.

#include <QPointer>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

#include "host/ControlDialog.h"
#include "support/TempDir.h"

namespace zr
{
namespace
{

struct Put {
    int32_t dispid;
    bool value;
    bool operator==(const Put&) const = default;
};

// What the fake control saw, kept by the test beyond the control's life.
struct ControlLog {
    std::vector<Put> puts;
    bool released = false;
    bool windowAliveAtRelease = false;
    bool topLevelAliveAtRelease = false;
};

// A control with a window and one floating panel, the about panel (dispid 1).
class FakeControl final : public IXKorvelCamObject
{
public:
    explicit FakeControl(ControlLog& log) : log_(log) {}

    void Start(bool) override {}
    int32_t GetIDOfName(const char*, int32_t*, int32_t*) override { return hresult::kUnknownName; }
    int32_t Invoke(int32_t dispid, InvokeKind kind, Variant* args, uint32_t count,
                   Variant*) override
    {
        if (kind != InvokeKind::PropertyPut || count != 1 || dispid < 1 || dispid > 5)
            return hresult::kMemberNotFound;
        log_.puts.push_back({dispid, args[0] == Variant(true)});
        return hresult::kOk;
    }
    const char* ErrorDescription() const override { return ""; }
    void Advise(IXKorvelCamEvents*) override {}
    void Unadvise(IXKorvelCamEvents*) override {}
    void* CreateControlWindow(void* parent) override
    {
        window_ = new QWidget(static_cast<QWidget*>(parent));
        return window_.data();
    }
    void SetScreenshotFolder(const char*) override {}
    int32_t SaveScreenshots(const char*) override { return hresult::kOk; }
    void Release() override
    {
        log_.released = true;
        log_.windowAliveAtRelease = !window_.isNull();
        log_.topLevelAliveAtRelease = window_ && window_->window() != window_.data();
        delete this;
    }

private:
    ControlLog& log_;
    QPointer<QWidget> window_;
};

// A dialog around a fake control whose quit question is answered from a list of answers.
struct HostBed {
    explicit HostBed(std::vector<bool> answers = {})
        : fake(new FakeControl(log)), answers_(std::move(answers)),
          dialog(std::make_unique<CControlDialog>(
              CXKorvelZR47xCL({}, fake), [this](QWidget*, const QString& text) {
                  questions.push_back(text.toStdString());
                  bool yes = !answers_.empty() && answers_.front();
                  if (!answers_.empty())
                      answers_.erase(answers_.begin());
                  return yes;
              }))
    {
        dialog->show();
    }

    ControlLog log;
    FakeControl* fake;
    std::vector<std::string> questions;

private:
    std::vector<bool> answers_;

public:
    std::unique_ptr<CControlDialog> dialog;
};

TEST(HostDialog, OnlyAConfirmedCloseEndsTheTool)
{
    HostBed bed({false, true});
    ASSERT_NE(bed.dialog->ControlWindow(), nullptr);

    // Enter and Esc, on the dialog and on the control's window, never end the dialog.
    for (QWidget* target : {static_cast<QWidget*>(bed.dialog.get()), bed.dialog->ControlWindow()}) {
        for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Enter}) {
            QTest::keyClick(target, key);
            EXPECT_TRUE(bed.dialog->isVisible()) << "key " << key;
        }
    }
    EXPECT_TRUE(bed.questions.empty());

    // Answered no: everything stays as it was, and no panel is touched.
    EXPECT_FALSE(bed.dialog->close());
    EXPECT_TRUE(bed.dialog->isVisible());
    EXPECT_EQ(bed.dialog->result(), 0);
    EXPECT_TRUE(bed.log.puts.empty());

    // Answered yes: the dialog ends through its cancel action.
    EXPECT_TRUE(bed.dialog->close());
    EXPECT_FALSE(bed.dialog->isVisible());
    EXPECT_EQ(bed.dialog->result(), QDialog::Rejected);
    const std::vector<std::string> asked(2, CControlDialog::kQuitQuestion);
    EXPECT_EQ(bed.questions, asked);
    EXPECT_EQ(std::string(CControlDialog::kQuitQuestion),
              "Are you sure you want to quit the ZR-47xCL control tool ?");

    // The control goes first, while its window and the top-level window still exist.
    bed.dialog.reset();
    EXPECT_TRUE(bed.log.released);
    EXPECT_TRUE(bed.log.windowAliveAtRelease);
    EXPECT_TRUE(bed.log.topLevelAliveAtRelease);
}

// Each way the control can be missing leaves an empty client area; the about entry and
// minimising then do nothing and quitting still asks.
TEST(HostDialog, NoControlLeavesAnEmptyClientArea)
{
    test::TempDir dir;
    const std::string registry = dir.File("classes.ini");
    const std::string clsid = "[{1E99EA24-C476-4200-A535-94746DC568E6}]\n";
    const std::string notALibrary = dir.File("not-a-library.so");
    test::TempDir::WriteFile(notALibrary, "text\n");
    const struct {
        const char* name;
        std::string registryText; // nothing written when empty
    } cases[] = {
        {"no registration file", ""},
        {"another class only", "[{00000000-0000-0000-0000-000000000000}]\nKind=Class\n"
                               "Library=/usr/lib/libXKorvelZR47xCL.so\n"},
        {"a program identifier section", clsid + "Kind=ProgID\nLibrary=/nowhere.so\n"},
        {"a library that is not there", clsid + "Kind=Class\nLibrary=" + dir.File("none.so")},
        {"a file that is no library", clsid + "Kind=Class\nLibrary=" + notALibrary},
        {"a library without the entry point", clsid + "Kind=Class\nLibrary=libm.so.6"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(registry.c_str());
        if (!c.registryText.empty()) {
            ASSERT_TRUE(test::TempDir::WriteFile(registry, c.registryText));
        }

        CXKorvelZR47xCL control = CXKorvelZR47xCL::FromRegistration(registry);
        EXPECT_FALSE(control.HasControl());
        EXPECT_FALSE(control.Failure().empty());
        int asked = 0;
        CControlDialog dialog(std::move(control), [&](QWidget*, const QString&) {
            ++asked;
            return false;
        });
        dialog.show();
        EXPECT_EQ(dialog.ControlWindow(), nullptr);
        EXPECT_TRUE(dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size() <= 1)
            << "only the context menu";
        dialog.ShowAboutPanel();
        dialog.setWindowState(Qt::WindowMinimized);
        EXPECT_FALSE(dialog.close());
        EXPECT_EQ(asked, 1);
    }
}

} // namespace
} // namespace zr
