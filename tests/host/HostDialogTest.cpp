// The host dialog when the control cannot be created.

#include <QWidget>
#include <cmath>
#include <cstdio>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <string>

#include "host/ControlDialog.h"
#include "support/TempDir.h"

namespace zr
{
namespace
{

// Each way the control can be missing leaves an empty client area; the about entry and
// minimising then do nothing and quitting still asks.
TEST(HostDialog, NoControlLeavesAnEmptyClientArea)
{
    test::TempDir dir;
    const std::string registry = dir.File("classes.ini");
    const std::string clsid = "[{1E99EA24-C476-4200-A535-94746DC568E6}]\n";
    const std::string notALibrary = dir.File("not-a-library.so");
    test::TempDir::WriteFile(notALibrary, "text\n");
    // A loadable library without the component's entry point, by its absolute path.
    Dl_info libm{};
    ASSERT_NE(::dladdr(reinterpret_cast<void*>(static_cast<double (*)(double)>(&::cos)), &libm), 0);
    const std::string libmPath = libm.dli_fname;
    const struct {
        const char* name;
        std::string registryText; // nothing written when empty
        const char* failure;      // a part of the reason given
    } cases[] = {
        {"no registration file", "", "not registered"},
        {"another class only",
         "[{00000000-0000-0000-0000-000000000000}]\nKind=Class\nLibrary=" + libmPath,
         "not registered"},
        {"a program identifier section", clsid + "Kind=ProgID\nLibrary=" + libmPath,
         "not registered"},
        {"a library that is not there", clsid + "Kind=Class\nLibrary=" + dir.File("none.so"),
         "cannot load"},
        {"a file that is no library", clsid + "Kind=Class\nLibrary=" + notALibrary, "cannot load"},
        {"a library without the entry point", clsid + "Kind=Class\nLibrary=" + libmPath,
         "no DllGetClassObject"},
        // Found on the search path, it would load; a registration never writes such a path.
        {"a library path that is not absolute", clsid + "Kind=Class\nLibrary=libm.so.6",
         "not absolute"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::remove(registry.c_str());
        if (!c.registryText.empty()) {
            ASSERT_TRUE(test::TempDir::WriteFile(registry, c.registryText));
        }

        CXKorvelZR47xCL control = CXKorvelZR47xCL::FromRegistration(registry);
        EXPECT_FALSE(control.HasControl());
        EXPECT_NE(control.Failure().find(c.failure), std::string::npos) << control.Failure();
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
