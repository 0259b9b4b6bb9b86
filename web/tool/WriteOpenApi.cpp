// Writes the OpenAPI description of the web face's JSON API, generated from the member table:
// the names a set or call accepts and the type of every property's value come from the table.
#include <cstdio>
#include <fstream>

#include "web/MemberCatalog.h"

namespace
{

using zr::web::Json;

Json Ref(const char* name)
{
    return {{"$ref", std::string("#/components/schemas/") + name}};
}

Json JsonAnswer(const char* description, Json schema)
{
    return {{"description", description},
            {"content", {{"application/json", {{"schema", std::move(schema)}}}}}};
}

Json Operation(const char* summary, Json answer, Json body = nullptr)
{
    Json op = {{"summary", summary},
               {"responses",
                {{"200", std::move(answer)},
                 {"4XX", JsonAnswer("refused", Ref("Error"))},
                 {"5XX", JsonAnswer("failed", Ref("Error"))}}}};
    if (!body.is_null())
        op["requestBody"] = {{"required", true},
                             {"content", {{"application/json", {{"schema", std::move(body)}}}}}};
    return op;
}

const char* SchemaType(zr::VarType type)
{
    return type == zr::VarType::Bool ? "boolean" : type == zr::VarType::BStr ? "string" : "integer";
}

Json Schemas()
{
    Json writable = Json::array();
    Json methods = Json::array();
    Json values = {{"type", "object"}, {"properties", Json::object()}};
    for (const zr::AutomationMember& m : zr::AutomationMembers()) {
        const std::string name(m.Name());
        if (m.kind == zr::MemberKind::Property) {
            values["properties"][name] = {{"type", SchemaType(m.type)}};
            if (!m.readOnly)
                writable.push_back(name);
        } else if (m.kind == zr::MemberKind::Method && zr::web::CallableFromPage(m)) {
            methods.push_back(name);
        }
    }
    Json error = {{"type", "object"},
                  {"properties",
                   {{"error",
                     {{"type", "object"},
                      {"properties",
                       {{"code", {{"type", "string"}}}, {"message", {{"type", "string"}}}}}}}}}};
    return {
        {"Error", error},
        {"Values", values},
        {"SetRequest",
         {{"type", "object"},
          {"required", {"name", "value"}},
          {"properties",
           {{"name", {{"type", "string"}, {"enum", writable}}}, {"value", Json::object()}}}}},
        {"CallRequest",
         {{"type", "object"},
          {"required", {"name"}},
          {"properties",
           {{"name", {{"type", "string"}, {"enum", methods}}}, {"args", {{"type", "array"}}}}}}}};
}

Json Paths()
{
    Json id = {{"name", "id"},
               {"in", "path"},
               {"required", true},
               {"description", "the control's port: COM1..COM16 or CL:N"},
               {"schema", {{"type", "string"}}}};
    Json object = {{"type", "object"}};
    const Json file = {{"description", "the file, as an attachment"}};
    const Json stream = {{"description", "text/event-stream"}};
    Json paths = Json::object();
    auto add = [&paths](const char* path, const char* method, Json operation) {
        paths[path][method] = std::move(operation);
    };
    add("/api/v1/session", "get",
        Operation("whether this client is signed in, and its CSRF token",
                  JsonAnswer("the session", object)));
    add("/api/v1/login", "post",
        Operation("sign in with the password", JsonAnswer("signed in", object),
                  {{"type", "object"}, {"properties", {{"password", {{"type", "string"}}}}}}));
    add("/api/v1/logout", "post", Operation("sign out", JsonAnswer("signed out", object)));
    add("/api/v1/controls", "get",
        Operation("the controls published on the session bus", JsonAnswer("the controls", object)));
    add("/api/v1/members", "get",
        Operation("every member with its group, range and value names",
                  JsonAnswer("the members", object)));
    add("/api/v1/controls/{id}/values", "get",
        Operation("current values and enablement",
                  JsonAnswer("the values",
                             {{"type", "object"}, {"properties", {{"values", Ref("Values")}}}})));
    add("/api/v1/controls/{id}/set", "post",
        Operation("write a property", JsonAnswer("written", object), Ref("SetRequest")));
    add("/api/v1/controls/{id}/call", "post",
        Operation("invoke a method; a long operation answers when done",
                  JsonAnswer("the result", object), Ref("CallRequest")));
    add("/api/v1/controls/{id}/stop", "post",
        Operation("stop the long operation under way", JsonAnswer("asked", object)));
    add("/api/v1/controls/{id}/setup", "get", Operation("the settings as a setup file", file));
    add("/api/v1/controls/{id}/setup", "post",
        Operation("load a setup file sent as the body", JsonAnswer("loaded", object)));
    add("/api/v1/controls/{id}/report", "get", Operation("the camera data report", file));
    add("/api/v1/controls/{id}/events", "get",
        Operation("Server-Sent Events: change, log, progress, online, event, message", stream));
    for (auto& [path, item] : paths.items())
        if (path.find("{id}") != std::string::npos)
            item["parameters"] = Json::array({id});
    return paths;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: zr47xcl-web-openapi OUTPUT\n", stderr);
        return 2;
    }
    // A build step: a fault in the tables ends it with the JSON library's message.
    try {
        const Json document = {{"openapi", "3.0.3"},
                               {"info", {{"title", "zr47xcl web"}, {"version", ZR_VERSION}}},
                               {"paths", Paths()},
                               {"components", {{"schemas", Schemas()}}}};
        std::ofstream out(argv[1], std::ios::binary);
        out << document.dump(1) << "\n";
        return out ? 0 : 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zr47xcl-web-openapi: %s\n", error.what());
        return 1;
    }
}
