#pragma once

#include <cstdint>
#include <string>

namespace zr
{

// The per-user class registration of the component: a profile file with one section per
// identifier, standing in for the class entries of a system registry.
//
//   [{type library id}]        the type library: name, version 1.30, help string, library
//   [{interface id}]           the dispatch and the event interface, bound to the type library
//   [{control class id}]       the control: program id, type name, misc status, threading
//                              model, insertable, type library and version, library
//   [control program id]       CLSID of the control
//   [{property page class id}] the property page: program id, type name, threading model,
//                              library
//   [property page program id] CLSID of the property page
//
// "Library" is the absolute path of the component library that serves the identifier.
// Registering updates these sections in place and replaces the file atomically; unregistering
// removes exactly these sections, where they name the library unregistered, and leaves every
// other line of the file as it was.

// ${XDG_DATA_HOME:-$HOME/.local/share}/xkorvel/classes.ini (a relative XDG_DATA_HOME is
// ignored, as the base directory rules say).
std::string ClassRegistryPath();

// Registers the type library, then the classes, served by `libraryPath` (absolute). 0, or
// hresult::kSelfRegTypeLib when the type library could not be registered (file unreadable or
// not writable, or a library path that does not fit an entry), hresult::kSelfRegClass when the
// classes could not.
int32_t RegisterComponent(const std::string& registryPath, const std::string& libraryPath);

// Removes the type library, then the classes, with the same failure codes, but only where the
// registration names `libraryPath` (or no library): another installation's registration of
// the same identifiers stays. Nothing registered is no failure. A file left without any entry
// is removed, and its folder when that is empty.
int32_t UnregisterComponent(const std::string& registryPath, const std::string& libraryPath);

// Why the registration file `registryPath` cannot be read or replaced, as the file or folder
// concerned and the system's reason ("/home/u/.local/share/xkorvel: Permission denied"), or
// empty when nothing is found wrong with it. For a report after a failed registration.
std::string RegistryFileProblem(const std::string& registryPath);

// The library registered for a class identifier (any letter case), or empty: what a host reads
// to create a control by class identifier.
std::string FindRegisteredLibrary(const std::string& registryPath, const std::string& classId);

} // namespace zr
