// Registration of the component library for a temporary user, creation of the control through
// its class factory by class identifier, and unregistration.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "automation/AutomationMembers.h"
#include "base/ProfileFile.h"
#include "base/SharedLibrary.h"
#include "cli/CliHarness.h"
#include "component/ComponentInterface.h"
#include "component/Registration.h"
#include "control/Identities.h"

namespace zr
{
namespace
{

using test::RunResult;
using test::ScopedEnv;
using test::TempDir;

using EntryPoint = int32_t (*)();
using GetClassObject = int32_t (*)(const char*, const char*, void**);

const std::string kOtherEntries = "; classes of another component\r\n"
                                  "[{00000000-1111-2222-3333-444444444444}]\r\n"
                                  "Kind=Class\r\n"
                                  "Library=/opt/other/libother.so\r\n"
                                  "\r\n"
                                  "[Other.Program.1]\r\n"
                                  "CLSID={00000000-1111-2222-3333-444444444444}\r\n";

std::string RealPath(const std::string& path)
{
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? resolved : "";
}

class Registration : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(::mkdir((dir.Path() + "/data").c_str(), 0755), 0);
        ASSERT_EQ(::mkdir((dir.Path() + "/data/xkorvel").c_str(), 0755), 0);
        ASSERT_TRUE(TempDir::WriteFile(registry, kOtherEntries));
    }

    RunResult Regsvr(const std::vector<std::string>& args)
    {
        return test::RunProgram(std::string(ZR_BIN_DIR) + "/zr47xcl-regsvr", args, environment);
    }

    TempDir dir;
    const std::string registry = dir.Path() + "/data/xkorvel/classes.ini";
    // A registration names the SONAME link, which outlives an upgrade of the real file.
    const std::string library = RealPath(ZR_LIB_DIR) + "/libXKorvelZR47xCL.so.1";
    test::EnvList environment = test::UserEnvironment(dir.Path());
};

TEST_F(Registration, RegisterCreateByClassIdentifierAndUnregister)
{
    ASSERT_FALSE(library.empty());
    RunResult r = Regsvr({});
    ASSERT_EQ(r.exitCode, 0) << r.err;

    // The control's section carries what a container needs; other entries are as they were.
    ProfileFile file(registry);
    const char* control = identity::kControlClassId;
    EXPECT_EQ(file.GetString(control, "ProgID", ""), identity::kControlProgId);
    EXPECT_EQ(file.GetString(control, "TypeName", ""), "XKorvelZR47xCL Control");
    EXPECT_EQ(file.GetString(control, "MiscStatus", ""), "0x00020191");
    EXPECT_EQ(file.GetString(control, "ThreadingModel", ""), "Apartment");
    EXPECT_EQ(file.GetString(control, "TypeLib", ""), identity::kTypeLibraryId);
    EXPECT_EQ(file.GetString(control, "Version", ""), "1.30");
    EXPECT_EQ(file.GetString(control, "Library", ""), library);
    EXPECT_EQ(file.GetString(identity::kControlProgId, "CLSID", ""), control);
    EXPECT_EQ(file.GetString(identity::kTypeLibraryId, "Version", ""), "1.30");
    EXPECT_EQ(file.GetString(identity::kPropertyPageClassId, "TypeName", ""),
              "XKorvelZR47xCL Property Page");
    EXPECT_EQ(file.GetString(identity::kPropertyPageProgId, "CLSID", ""),
              identity::kPropertyPageClassId);
    EXPECT_TRUE(TempDir::ReadFile(registry).starts_with(kOtherEntries));
    // Registering again changes nothing.
    std::string registered = TempDir::ReadFile(registry);
    ASSERT_EQ(Regsvr({library}).exitCode, 0);
    EXPECT_EQ(TempDir::ReadFile(registry), registered);

    {
        // A host: find the library by class identifier, load it, ask for the factory.
        ScopedEnv config("XDG_CONFIG_HOME", dir.Path() + "/config");
        EXPECT_EQ(FindRegisteredLibrary(registry, identity::kControlProgId), "");
        std::string found =
            FindRegisteredLibrary(registry, "{1e99ea24-c476-4200-a535-94746dc568e6}");
        ASSERT_EQ(found, library);
        SharedLibrary component;
        ASSERT_TRUE(component.Load(found, Residency::Resident));
        auto getClassObject =
            reinterpret_cast<GetClassObject>(component.Symbol("DllGetClassObject"));
        auto canUnloadNow = reinterpret_cast<EntryPoint>(component.Symbol("DllCanUnloadNow"));
        ASSERT_NE(getClassObject, nullptr);
        ASSERT_NE(canUnloadNow, nullptr);

        void* raw = &raw;
        EXPECT_EQ(getClassObject(identity::kPropertyPageClassId, kClassFactoryInterface, &raw),
                  hresult::kClassNotAvailable);
        EXPECT_EQ(raw, nullptr);
        // A caller built against the interfaces before the control's window existed is refused.
        for (const char* older : {"zr.IXKorvelCamClassFactory.0", "zr.IXKorvelCamClassFactory.1"})
            EXPECT_EQ(getClassObject(control, older, &raw), hresult::kNoInterface) << older;
        EXPECT_EQ(getClassObject(control, kClassFactoryInterface, nullptr), hresult::kPointer);
        EXPECT_EQ(canUnloadNow(), hresult::kOk);

        // Class identifiers are matched without regard to letter case.
        ASSERT_EQ(
            getClassObject("{1e99ea24-c476-4200-a535-94746dc568e6}", kClassFactoryInterface, &raw),
            hresult::kOk);
        std::unique_ptr<IXKorvelCamClassFactory, ReleaseObject> factory(
            static_cast<IXKorvelCamClassFactory*>(raw));
        IXKorvelCamObject* created = nullptr;
        ASSERT_EQ(factory->CreateInstance(&created), hresult::kOk);
        std::unique_ptr<IXKorvelCamObject, ReleaseObject> object(created);
        factory.reset();
        EXPECT_EQ(canUnloadNow(), hresult::kFalse);

        // The object works through its dispatch without a window or connection.
        int32_t kind = -1;
        int32_t dispid = 0;
        ASSERT_EQ(object->GetIDOfName("imG1ShutterSpeed", &kind, &dispid), hresult::kOk);
        EXPECT_EQ(kind, static_cast<int32_t>(MemberKind::Property));
        EXPECT_EQ(dispid, 26);
        EXPECT_EQ(object->GetIDOfName("Nothing", &kind, &dispid), hresult::kUnknownName);
        Variant value(15);
        Variant result;
        EXPECT_EQ(object->Invoke(26, InvokeKind::PropertyPut, &value, 1, &result), hresult::kOk);
        EXPECT_EQ(object->Invoke(26, InvokeKind::PropertyGet, nullptr, 0, &result), hresult::kOk);
        EXPECT_EQ(result, Variant(11));
        Variant port(3);
        EXPECT_EQ(object->Invoke(7, InvokeKind::PropertyPut, &port, 1, &result),
                  static_cast<int32_t>(0x800A017F));
        EXPECT_STREQ(object->ErrorDescription(), "Property is read-only.");
        // No window without an application object of the window system in the process.
        EXPECT_EQ(object->CreateControlWindow(nullptr), nullptr);
        EXPECT_EQ(object->SaveScreenshots(dir.Path().c_str()), hresult::kFail);
        object.reset();
        EXPECT_EQ(canUnloadNow(), hresult::kOk);
    }
    // The control wrote its module settings when it went.
    ProfileFile settings(dir.Path() + "/config/Korvel-XKorvelZR47xCL.ini-Control/" +
                         "XKorvelZR47xCL Control.ini");
    EXPECT_EQ(settings.GetInt("Comm", "Port", -1), 0);
    EXPECT_EQ(settings.GetInt("Main", "Show", -1), 1);

    r = Regsvr({"-u", library});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(TempDir::ReadFile(registry), kOtherEntries);
    EXPECT_EQ(FindRegisteredLibrary(registry, control), "");
    // Unregistering what is not registered is no failure and touches nothing.
    EXPECT_EQ(Regsvr({"-u"}).exitCode, 0);
    EXPECT_EQ(TempDir::ReadFile(registry), kOtherEntries);
}

TEST_F(Registration, NamesTheSonameAndLeavesNoEmptyFileBehind)
{
    // Loaded by the fully versioned file, or by the link a host links against, the library
    // still registers its SONAME link; the version-less link belongs to the kit, which may go.
    TempDir user;
    const std::string data = user.Path() + "/data";
    const test::EnvList env = test::UserEnvironment(user.Path());
    const std::string regsvr = std::string(ZR_BIN_DIR) + "/zr47xcl-regsvr";
    for (const char* name : {"/libXKorvelZR47xCL.so", "/libXKorvelZR47xCL.so.1"}) {
        SCOPED_TRACE(name);
        RunResult r = test::RunProgram(regsvr, {std::string(ZR_LIB_DIR) + name}, env);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(FindRegisteredLibrary(data + "/xkorvel/classes.ini", identity::kControlClassId),
                  library);
        // The last registration gone, the file and its folder go too.
        r = test::RunProgram(regsvr, {"-u"}, env);
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(user.Names(), std::vector<std::string>{"data"});
        EXPECT_FALSE(::access((data + "/xkorvel").c_str(), F_OK) == 0);
    }
}

TEST_F(Registration, HandEditedFilesAndTheRegistrationForEveryUserAreReadRight)
{
    // A UTF-8 byte-order mark before the first section, the kind in lower case: registered.
    const std::string clsid = identity::kControlClassId;
    ASSERT_TRUE(TempDir::WriteFile(registry, "\xEF\xBB\xBF[" + clsid +
                                                 "]\r\nkind=class\r\nLibrary=/opt/x/lib.so\r\n"));
    EXPECT_EQ(FindRegisteredLibrary(registry, clsid), "/opt/x/lib.so");
    ASSERT_TRUE(TempDir::WriteFile(registry, kOtherEntries));

    // The package's registration for every user outlives the user's own: -u says so.
    TempDir shared;
    const std::string everyUser = shared.Path() + "/xkorvel/classes.ini";
    ASSERT_EQ(::mkdir((shared.Path() + "/xkorvel").c_str(), 0755), 0);
    ASSERT_EQ(RegisterComponent(everyUser, "/usr/lib/x/libXKorvelZR47xCL.so.1"), 0);
    test::SetEnv(environment, "XDG_DATA_DIRS", shared.Path());
    ASSERT_EQ(Regsvr({}).exitCode, 0);
    RunResult r = Regsvr({"-u"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_TRUE(r.out.ends_with(" succeeded for this user only.\n")) << r.out;
    EXPECT_EQ(r.err, "zr47xcl-regsvr: the component is still registered for every user in " +
                         everyUser +
                         ", so hosts still create the control; that registration belongs to the "
                         "package that installed it: remove the package to unregister it.\n");
    EXPECT_EQ(FindRegisteredLibrary(registry, clsid), "");
    // Without one, unregistering is all there is to say.
    test::SetEnv(environment, "XDG_DATA_DIRS", shared.Path() + "/none");
    ASSERT_EQ(Regsvr({}).exitCode, 0);
    r = Regsvr({"-u"});
    EXPECT_TRUE(r.out.ends_with(" succeeded.\n")) << r.out;
    EXPECT_EQ(r.err, "");
}

TEST_F(Registration, FailuresKeepTheFileAndGiveTheirCodes)
{
    // A registry that cannot be read is never overwritten: the type library step fails.
    TempDir other;
    std::string blocked = other.Path() + "/classes.ini";
    ASSERT_EQ(::mkdir(blocked.c_str(), 0755), 0);
    EXPECT_EQ(RegisterComponent(blocked, library), hresult::kSelfRegTypeLib);
    EXPECT_EQ(UnregisterComponent(blocked, library), hresult::kSelfRegTypeLib);

    // A library path that an entry cannot hold whole, or a relative one, is refused.
    std::string longPath = "/" + std::string(ProfileFile::kMaxValueLength, 'x');
    EXPECT_EQ(RegisterComponent(registry, longPath), hresult::kSelfRegTypeLib);
    EXPECT_EQ(RegisterComponent(registry, "lib/libXKorvelZR47xCL.so"), hresult::kSelfRegTypeLib);
    EXPECT_EQ(TempDir::ReadFile(registry), kOtherEntries);

    // The program reports what went wrong.
    RunResult r = Regsvr({dir.File("no-such-library.so")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("cannot load"), std::string::npos) << r.err;
    r = Regsvr({"-x"});
    EXPECT_EQ(r.exitCode, 2);
    test::EnvList blockedEnvironment = test::UserEnvironment(other.Path());
    ASSERT_EQ(::mkdir((other.Path() + "/data").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((other.Path() + "/data/xkorvel").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((other.Path() + "/data/xkorvel/classes.ini").c_str(), 0755), 0);
    r = test::RunProgram(std::string(ZR_BIN_DIR) + "/zr47xcl-regsvr", {}, blockedEnvironment);
    EXPECT_EQ(r.exitCode, 1);
    // The code, then the file and the system's reason.
    EXPECT_NE(r.err.find("0x80040200: " + other.Path() +
                         "/data/xkorvel/classes.ini: Is a "
                         "directory"),
              std::string::npos)
        << r.err;
    // A data folder that is a file: the folder and why it cannot be one.
    ASSERT_TRUE(TempDir::WriteFile(other.Path() + "/plain", "a file\n"));
    test::SetEnv(blockedEnvironment, "XDG_DATA_HOME", other.Path() + "/plain/data");
    r = test::RunProgram(std::string(ZR_BIN_DIR) + "/zr47xcl-regsvr", {}, blockedEnvironment);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("0x80040200: " + other.Path() + "/plain: Not a directory"),
              std::string::npos)
        << r.err;
    // A data folder without write permission (run as "nobody" where the tests run as the
    // superuser, who ignores permissions).
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
    ASSERT_EQ(::chmod((dir.Path() + "/data/xkorvel").c_str(), 0555), 0);
    ::unlink(registry.c_str());
    std::vector<std::string> asUser{library};
    std::string program = std::string(ZR_BIN_DIR) + "/zr47xcl-regsvr";
    if (::geteuid() == 0) {
        asUser.insert(asUser.begin(),
                      {"--reuid=65534", "--regid=65534", "--clear-groups", program});
        program = "/usr/bin/setpriv";
    }
    r = test::RunProgram(program, asUser, environment);
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("0x80040200: " + dir.Path() + "/data/xkorvel: Permission denied"),
              std::string::npos)
        << r.err;
}

TEST_F(Registration, UnregisteringOneInstallationKeepsAnothersRegistration)
{
    // Installation B registered the same identifiers for its own copy of the library: removing
    // installation A (this build) must leave B working.
    const std::string other = "/opt/zr47xcl-b/lib/libXKorvelZR47xCL.so";
    ASSERT_EQ(RegisterComponent(registry, other), hresult::kOk);
    const std::string registeredB = TempDir::ReadFile(registry);
    RunResult r = Regsvr({"-u", library});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(TempDir::ReadFile(registry), registeredB);
    EXPECT_EQ(FindRegisteredLibrary(registry, identity::kControlClassId), other);

    // A registered last; then B unregisters and A stays. A name of the same file counts as it.
    ASSERT_EQ(Regsvr({library}).exitCode, 0);
    EXPECT_EQ(UnregisterComponent(registry, other), hresult::kOk);
    EXPECT_EQ(FindRegisteredLibrary(registry, identity::kControlClassId), library);
    const std::string linkToA = dir.File("link-to-a.so");
    ASSERT_EQ(::symlink(library.c_str(), linkToA.c_str()), 0);
    EXPECT_EQ(UnregisterComponent(registry, linkToA), hresult::kOk);
    EXPECT_EQ(TempDir::ReadFile(registry), kOtherEntries);

    // Sections left without their owner (a program identifier whose class is gone) go with it.
    ASSERT_EQ(RegisterComponent(registry, library), hresult::kOk);
    ProfileFile file(registry);
    ASSERT_TRUE(file.RemoveSection(identity::kControlClassId));
    ASSERT_TRUE(file.Save(registry));
    EXPECT_EQ(Regsvr({"-u", library}).exitCode, 0);
    EXPECT_EQ(TempDir::ReadFile(registry), kOtherEntries);
}

// A copy of the component library: its first `size` bytes (all for 0), with `patch` applied.
std::string CopyLibrary(const std::string& from, const std::string& to, size_t size,
                        const std::vector<std::pair<size_t, char>>& patch = {})
{
    std::string bytes = TempDir::ReadFile(from);
    if (size > 0)
        bytes.resize(size);
    for (const auto& [offset, value] : patch)
        bytes[offset] = value;
    EXPECT_TRUE(TempDir::WriteFile(to, bytes));
    return to;
}

TEST_F(Registration, DamagedLibraryIsRefusedWithItsReason)
{
    // Cut short as by a half-finished copy: the loader would map it and die of a bus error.
    const std::string cut = CopyLibrary(library, dir.File("cut.so"), 4000);
    RunResult r = Regsvr({cut});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("cannot load " + cut +
                         ": the file is cut short (4000 bytes, its "
                         "headers say "),
              std::string::npos)
        << r.err;
    // Built for another machine (AArch64 is 183 in the header's machine field).
    const std::string foreign =
        CopyLibrary(library, dir.File("foreign.so"), 0, {{18, static_cast<char>(183)}, {19, 0}});
    r = Regsvr({foreign});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find(foreign + ": a library for AArch64 (64-bit), but this program runs on "),
              std::string::npos)
        << r.err;
    // Not a library at all, and a header cut in the middle.
    ASSERT_TRUE(TempDir::WriteFile(dir.File("text.so"), "#!/bin/sh\n"));
    r = Regsvr({dir.File("text.so")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("text.so: not an ELF file"), std::string::npos) << r.err;
    r = Regsvr({CopyLibrary(library, dir.File("header.so"), 30)});
    EXPECT_NE(r.err.find("header.so: not an ELF file"), std::string::npos) << r.err;
    // Nothing was registered by any of them.
    EXPECT_EQ(TempDir::ReadFile(registry), kOtherEntries);
}

} // namespace
} // namespace zr
