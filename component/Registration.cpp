#include "component/Registration.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
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
          {"Library", library}}},
        {Step::TypeLibrary,
         kDispatchInterfaceId,
         {{"Kind", "Interface"},
          {"Name", kDispatchInterfaceName},
          {"TypeLib", kTypeLibraryId},
          {"Version", version}}},
        {Step::TypeLibrary,
         kEventInterfaceId,
         {{"Kind", "Interface"},
          {"Name", kEventInterfaceName},
          {"TypeLib", kTypeLibraryId},
          {"Version", version}}},
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
          {"Library", library}}},
        {Step::Classes, kControlProgId, {{"Kind", "ProgID"}, {"CLSID", kControlClassId}}},
        {Step::Classes,
         kPropertyPageClassId,
         {{"Kind", "Class"},
          {"ProgID", kPropertyPageProgId},
          {"TypeName", kPropertyPageTypeName},
          {"ThreadingModel", kThreadingModel},
          {"Library", library}}},
        {Step::Classes, kPropertyPageProgId, {{"Kind", "ProgID"}, {"CLSID", kPropertyPageClassId}}},
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

int32_t UnregisterComponent(const std::string& registryPath)
{
    ProfileFile file;
    if (!file.Load(registryPath))
        return hresult::kSelfRegTypeLib;
    for (Step step : {Step::TypeLibrary, Step::Classes}) {
        for (const Section& section : ComponentSections({})) {
            if (section.step == step)
                file.RemoveSection(section.name);
        }
        if (!SaveRegistry(file, registryPath))
            return FailureOf(step);
    }
    RemoveIfEmpty(registryPath);
    return hresult::kOk;
}

std::string FindRegisteredLibrary(const std::string& registryPath, const std::string& classId)
{
    ProfileFile file(registryPath);
    if (file.GetString(classId, "Kind", "") != "Class")
        return {};
    return file.GetString(classId, "Library", "");
}

} // namespace zr
