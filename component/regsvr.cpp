// zr47xcl-regsvr: registers or unregisters the control component for the current user by
// calling its self-registration entry points.

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#include "base/SharedLibrary.h"
#include "base/UserFolders.h"
#include "component/ComponentInterface.h"
#include "component/Registration.h"
#include "control/Identities.h"

namespace
{

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

constexpr const char* kUsage =
    R"(Usage: zr47xcl-regsvr [-u] [LIBRARY]
       zr47xcl-regsvr --help | --version

Registers the control component LIBRARY for the current user by calling its DllRegisterServer,
or with -u unregisters it by calling its DllUnregisterServer: only entries that name LIBRARY
go, so another installation's registration stays. The registration lives in
${XDG_DATA_HOME:-$HOME/.local/share}/xkorvel/classes.ini.

LIBRARY defaults to the component installed beside this program: libXKorvelZR47xCL.so.1 in the
library folder of its installation (../lib relative to its folder, or where the installation
put it). A name without a slash is looked up on the library search path.

Unregistering leaves a registration for every user (xkorvel/classes.ini under a folder of
$XDG_DATA_DIRS, made by the package) in effect; the program says so.

Exit status: 0 on success, 1 when the library cannot be loaded, lacks the entry point or the
entry point fails, 2 for a usage error.
)";

constexpr const char* kLibraryName = ZR_COMPONENT_SONAME;

// The component beside this program: in the installed library folder (ZR_LIBDIR_FROM_BINDIR,
// relative to the program's folder), else in ../lib as in the build tree.
std::string DefaultLibrary()
{
    char self[PATH_MAX];
    ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return kLibraryName;
    std::string folder(self, static_cast<size_t>(n));
    folder.resize(folder.rfind('/') + 1);
    for (const char* relative : {ZR_LIBDIR_FROM_BINDIR, "../lib"}) {
        std::string path = folder + relative + "/" + kLibraryName;
        if (::access(path.c_str(), F_OK) == 0)
            return path;
    }
    return folder + "../lib/" + kLibraryName;
}

// The registration for every user that hosts still find once the user's own is gone: the
// first system data folder's registration file that registers the control, or empty.
std::string RegistrationForEveryUser()
{
    for (const std::string& folder : zr::SystemDataFolders()) {
        std::string path = folder + "/xkorvel/classes.ini";
        if (!zr::FindRegisteredLibrary(path, zr::identity::kControlClassId).empty())
            return path;
    }
    return {};
}

} // namespace

int main(int argc, char** argv)
{
    bool unregister = false;
    std::string library;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return kExitOk;
        }
        if (arg == "--version") {
            std::printf("zr47xcl-regsvr %s\n", ZR_VERSION);
            return kExitOk;
        }
        if (arg == "-u") {
            unregister = true;
        } else if (arg.size() > 1 && arg.front() == '-') {
            std::fprintf(stderr, "zr47xcl-regsvr: unknown option '%s'\n", arg.c_str());
            return kExitUsage;
        } else if (library.empty()) {
            library = arg;
        } else {
            std::fprintf(stderr, "zr47xcl-regsvr: more than one library given ('%s')\n",
                         arg.c_str());
            return kExitUsage;
        }
    }
    if (library.empty())
        library = DefaultLibrary();

    zr::SharedLibrary component;
    if (!component.Load(library, zr::Residency::Resident)) {
        // The reason names the file.
        std::fprintf(stderr, "zr47xcl-regsvr: cannot load %s\n", component.Error().c_str());
        return kExitFailure;
    }
    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    auto call = reinterpret_cast<int32_t (*)()>(component.Symbol(entry));
    if (call == nullptr) {
        std::fprintf(stderr, "zr47xcl-regsvr: %s has no entry point %s\n", library.c_str(), entry);
        return kExitFailure;
    }
    const int32_t result = call();
    if (result != zr::hresult::kOk) {
        // The entry point has only its code to tell; the file it works on says the rest.
        const std::string registry = zr::ClassRegistryPath();
        std::string problem = zr::RegistryFileProblem(registry);
        if (problem.empty())
            problem = "the registration file is " + registry;
        std::fprintf(stderr, "zr47xcl-regsvr: %s in %s failed with 0x%08X: %s\n", entry,
                     library.c_str(), static_cast<unsigned>(result), problem.c_str());
        return kExitFailure;
    }
    const std::string everyUser = unregister ? RegistrationForEveryUser() : std::string();
    if (everyUser.empty()) {
        std::printf("%s in %s succeeded.\n", entry, library.c_str());
        return kExitOk;
    }
    // The user's registration is gone, but hosts go on creating the control: say so rather
    // than let "succeeded" suggest the component is no longer registered.
    std::printf("%s in %s succeeded for this user only.\n", entry, library.c_str());
    std::fprintf(stderr,
                 "zr47xcl-regsvr: the component is still registered for every user in %s, "
                 "so hosts still create the control; that registration belongs to the package "
                 "that installed it: remove the package to unregister it.\n",
                 everyUser.c_str());
    return kExitOk;
}
