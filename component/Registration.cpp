#include "component/Registration.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <strings.h>
#include <system_error>
#include <unistd.h>
#include <utility>
#include <vector>

#include "base/ProfileFile.h"
#include "base/UserFolders.h"
#include "component/ComponentInterface.h"
#include "control/Identities.h"

namespace zr
{

namespace
{

using namespace identity;

// Registration runs in two steps, each with its own failure code.
enum class Step { TypeLibrary, Classes };

struct Entry {
    std::string key;
    std::string value;
};

struct Section {
    Step step;
    std::string name;
    std::vector<Entry> entries;
    // The section whose "Library" says who owns this one: the section itself for a class or the
    // type library, the type library for an interface, the class for a program identifier.
    std::string owner;
};

std::string VersionText()
{
    return std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor);
}

std::string MiscStatusText()
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(kMiscStatus));
    return text;
}

// Every section the component owns, with the entries registration writes into it.
std::vector<Section> ComponentSections(const std::string& library)
{
    const std::string version = VersionText();
    return {
        {Step::TypeLibrary,
         kTypeLibraryId,
         {{"Kind", "TypeLib"},
          {"Name", kTypeLibraryName},
          {"Version", version},
          {"HelpString", kTypeLibraryHelpString},
          {"HelpFile", kTypeLibraryHelpFile},
          {"Coclass", kCoclassName},
          {"Library", library}},
         kTypeLibraryId},
        {Step::TypeLibrary,
         kDispatchInterfaceId,
         {{"Kind", "Interface"},
          {"Name", kDispatchInterfaceName},
          {"TypeLib", kTypeLibraryId},
          {"Version", version}},
         kTypeLibraryId},
        {Step::TypeLibrary,
         kEventInterfaceId,
         {{"Kind", "Interface"},
          {"Name", kEventInterfaceName},
          {"TypeLib", kTypeLibraryId},
          {"Version", version}},
         kTypeLibraryId},
        {Step::Classes,
         kControlClassId,
         {{"Kind", "Class"},
          {"ProgID", kControlProgId},
          {"TypeName", kControlTypeName},
          {"MiscStatus", MiscStatusText()},
          {"ThreadingModel", kThreadingModel},
          {"Insertable", kInsertable ? "1" : "0"},
          {"Control", "1"},
          {"TypeLib", kTypeLibraryId},
          {"Version", version},
          {"Library", library}},
         kControlClassId},
        {Step::Classes,
         kControlProgId,
         {{"Kind", "ProgID"}, {"CLSID", kControlClassId}},
         kControlClassId},
        {Step::Classes,
         kPropertyPageClassId,
         {{"Kind", "Class"},
          {"ProgID", kPropertyPageProgId},
          {"TypeName", kPropertyPageTypeName},
          {"ThreadingModel", kThreadingModel},
          {"Library", library}},
         kPropertyPageClassId},
        {Step::Classes,
         kPropertyPageProgId,
         {{"Kind", "ProgID"}, {"CLSID", kPropertyPageClassId}},
         kPropertyPageClassId},
    };
}

int32_t FailureOf(Step step)
{
    return step == Step::TypeLibrary ? hresult::kSelfRegTypeLib : hresult::kSelfRegClass;
}

bool SaveRegistry(ProfileFile& file, const std::string& path)
{
    if (!file.IsModified())
        return true;
    std::error_code ec;
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (!folder.empty())
        std::filesystem::create_directories(folder, ec);
    return file.Save(path);
}

// A registration file that unregistering has left without any entry goes, and with it its
// folder when nothing else is in it, so an installation removed leaves nothing behind.
void RemoveIfEmpty(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    in.close();
    if (text.find_first_not_of(" \t\r\n") != std::string::npos)
        return;
    std::error_code ec;
    if (std::filesystem::remove(path, ec))
        std::filesystem::remove(std::filesystem::path(path).parent_path(), ec); // only if empty
}

// Whether two library paths name one file: the same text, or two names of one existing file.
bool SameLibrary(const std::string& registered, const std::string& library)
{
    if (registered == library)
        return true;
    std::error_code ec;
    return !registered.empty() && !library.empty() &&
           std::filesystem::equivalent(registered, library, ec) && !ec;
}

} // namespace

std::string ClassRegistryPath()
{
    return UserBaseFolder("XDG_DATA_HOME", ".local/share") + "/xkorvel/classes.ini";
}

int32_t RegisterComponent(const std::string& registryPath, const std::string& libraryPath)
{
    ProfileFile file;
    // A file that exists but cannot be read is never overwritten: its other entries would go.
    if (!file.Load(registryPath))
        return hresult::kSelfRegTypeLib;
    // An entry keeps at most kMaxValueLength characters: a longer path would read back cut.
    const bool libraryFits = !libraryPath.empty() && libraryPath.front() == '/' &&
                             libraryPath.size() <= ProfileFile::kMaxValueLength;

    for (Step step : {Step::TypeLibrary, Step::Classes}) {
        if (!libraryFits)
            return FailureOf(step);
        for (const Section& section : ComponentSections(libraryPath)) {
            if (section.step != step)
                continue;
            for (const Entry& entry : section.entries) {
                if (!file.WriteString(section.name, entry.key, entry.value))
                    return FailureOf(step);
            }
        }
        if (!SaveRegistry(file, registryPath))
            return FailureOf(step);
    }
    return hresult::kOk;
}

int32_t UnregisterComponent(const std::string& registryPath, const std::string& libraryPath)
{
    ProfileFile file;
    if (!file.Load(registryPath))
        return hresult::kSelfRegTypeLib;
    // Decided before anything goes, as a section's owner may be removed ahead of it. A section
    // whose owner names no library at all (left half-written) goes too.
    std::vector<std::string> ours;
    for (const Section& section : ComponentSections({})) {
        const std::string owner = file.GetString(section.owner, "Library", "");
        if (owner.empty() || SameLibrary(owner, libraryPath))
            ours.push_back(section.name);
    }
    for (Step step : {Step::TypeLibrary, Step::Classes}) {
        for (const Section& section : ComponentSections({})) {
            if (section.step == step &&
                std::find(ours.begin(), ours.end(), section.name) != ours.end())
                file.RemoveSection(section.name);
        }
        if (!SaveRegistry(file, registryPath))
            return FailureOf(step);
    }
    RemoveIfEmpty(registryPath);
    return hresult::kOk;
}

std::string RegistryFileProblem(const std::string& registryPath)
{
    auto reason = [](const std::string& path, int error) {
        return path + ": " + std::strerror(error);
    };
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::file_status status = fs::status(registryPath, ec);
    if (fs::exists(status)) {
        if (!fs::is_regular_file(status))
            return reason(registryPath, fs::is_directory(status) ? EISDIR : EINVAL);
        if (::access(registryPath.c_str(), R_OK) != 0)
            return reason(registryPath, errno);
        // A file made read-only is kept as it is, though its folder would allow replacing it.
        if (::access(registryPath.c_str(), W_OK) != 0)
            return reason(registryPath, errno);
    }
    // The nearest folder that exists must let the file (and the folders missing below it) in.
    fs::path folder = fs::path(registryPath).parent_path();
    while (!folder.empty() && !fs::exists(folder, ec) && folder != folder.parent_path())
        folder = folder.parent_path();
    if (folder.empty())
        return {};
    if (!fs::is_directory(folder, ec))
        return reason(folder.string(), ENOTDIR);
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return reason(folder.string(), errno);
    return {};
}

std::string FindRegisteredLibrary(const std::string& registryPath, const std::string& classId)
{
    ProfileFile file(registryPath);
    // Values are compared without regard to letter case, as keys and sections are.
    if (::strcasecmp(file.GetString(classId, "Kind", "").c_str(), "Class") != 0)
        return {};
    return file.GetString(classId, "Library", "");
}

} // namespace zr
