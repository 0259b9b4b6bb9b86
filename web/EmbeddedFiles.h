#pragma once

#include <span>
#include <string_view>

namespace zr::web
{

// A file compiled into the program at build time.
struct EmbeddedFile {
    std::string_view name; // its file name, "app.js"
    std::string_view body;
};

// Every file of web/static, by name.
std::span<const EmbeddedFile> StaticFiles();
// The OpenAPI description, generated from the member table.
std::string_view OpenApiDocument();

// The file of that exact name, or nullptr.
const EmbeddedFile* FindStaticFile(std::string_view name);
// The media type of a file name by its extension.
std::string_view MediaType(std::string_view name);

} // namespace zr::web
