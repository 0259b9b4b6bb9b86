#include "sim/cl/ClTestConfig.h"

#include <charconv>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string_view>

namespace zr::cltest
{

namespace
{

// Blank-separated fields; a field may be wrapped in double quotes to hold blanks.
std::vector<std::string> SplitFields(std::string_view line)
{
    std::vector<std::string> fields;
    size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t' || line[i] == '\r') {
            ++i;
            continue;
        }
        if (line[i] == '"') {
            const size_t end = line.find('"', i + 1);
            const size_t stop = end == std::string_view::npos ? line.size() : end;
            fields.emplace_back(line.substr(i + 1, stop - i - 1));
            i = stop + 1;
            continue;
        }
        const size_t end = line.find_first_of(" \t\r", i);
        const size_t stop = end == std::string_view::npos ? line.size() : end;
        fields.emplace_back(line.substr(i, stop - i));
        i = stop;
    }
    return fields;
}

void ApplyPortOption(ClTestConfig::Port& port, std::string_view option)
{
    if (option == "silent")
        port.silent = true;
    else if (option.starts_with("model="))
        port.model = option.substr(6);
    else if (option.starts_with("backlog=")) {
        const std::string_view count = option.substr(8);
        std::from_chars(count.data(), count.data() + count.size(), port.backlog);
    } else if (option.starts_with("fault="))
        port.faults.emplace_back(option.substr(6));
}

} // namespace

ClTestConfig ClTestConfig::Read(const std::string& library)
{
    const char* path = std::getenv(kEnvironmentVariable);
    if (path == nullptr)
        return {};
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return Parse(text.str(), library);
}

ClTestConfig ClTestConfig::Parse(const std::string& text, const std::string& library)
{
    ClTestConfig config;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const std::vector<std::string> f = SplitFields(line);
        if (f.empty() || f[0].starts_with("#"))
            continue;
        if (f[0] == "log" && f.size() == 2) {
            config.logPath = f[1];
            continue;
        }
        if (f[0] != library || f.size() < 3)
            continue;
        if (f[1] == "status" && f.size() == 4) {
            int32_t status = 0;
            const char* end = f[3].data() + f[3].size();
            if (std::from_chars(f[3].data(), end, status).ptr == end)
                config.forcedStatus[f[2]] = status;
        } else if (f[1] == "port") {
            // ClAllSerial names a port by manufacturer and port identifier; ClSerial by the
            // manufacturer alone.
            const size_t nameFields = library == "ClAllSerial" ? 2 : 1;
            if (f.size() < 2 + nameFields)
                continue;
            Port port;
            port.manufacturer = f[2];
            if (nameFields == 2)
                port.portId = f[3];
            for (size_t i = 2 + nameFields; i < f.size(); ++i)
                ApplyPortOption(port, f[i]);
            config.ports.push_back(std::move(port));
        }
    }
    return config;
}

} // namespace zr::cltest
