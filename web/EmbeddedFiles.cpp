#include "web/EmbeddedFiles.h"

namespace zr::web
{

namespace
{

struct MediaTypeRow {
    std::string_view extension;
    std::string_view type;
};

constexpr MediaTypeRow kMediaTypes[] = {
    {".html", "text/html; charset=utf-8"},
    {".js", "text/javascript; charset=utf-8"},
    {".mjs", "text/javascript; charset=utf-8"},
    {".css", "text/css; charset=utf-8"},
    {".json", "application/json"},
    {".svg", "image/svg+xml"},
    {".png", "image/png"},
    {".ico", "image/x-icon"},
    {".txt", "text/plain; charset=utf-8"},
};

} // namespace

const EmbeddedFile* FindStaticFile(std::string_view name)
{
    const auto files = StaticFiles();
    for (const EmbeddedFile& file : files)
        if (file.name == name)
            return &file;
    return nullptr;
}

std::string_view MediaType(std::string_view name)
{
    for (const MediaTypeRow& row : kMediaTypes)
        if (name.ends_with(row.extension))
            return row.type;
    return "application/octet-stream";
}

} // namespace zr::web
