#pragma once

#include <cstdint>
#include <string>

namespace zr
{

// Whether a library's code may leave the process when its last handle goes. A library that
// registers itself with process-wide services while it loads (the component library with its
// window toolkit) stays resident: unloading it would leave those registrations dangling.
enum class Residency : uint8_t { Unloadable, Resident };

// Owns one handle of a library loaded at run time; unloads it when destroyed. Move-only.
class SharedLibrary
{
public:
    SharedLibrary() = default;
    ~SharedLibrary();
    SharedLibrary(SharedLibrary&& other) noexcept;
    SharedLibrary& operator=(SharedLibrary&& other) noexcept;
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // Loads `fileName` (a bare name goes through the system's library search). Any library held
    // before is unloaded first. False when the library cannot be loaded; Error() says why.
    //
    // A file named by a path is checked before the loader sees it: it must be an ELF shared
    // object of this program's class, byte order and machine, and as long as its headers say.
    // The loader maps a cut-short file (a half-copied installation) and the process dies of a
    // bus error on its first touch of the missing part; and of a library for another machine
    // it says only "No such file or directory".
    bool Load(const std::string& fileName, Residency residency = Residency::Unloadable);
    // Why the last Load failed, naming the file: the check's finding or the loader's message.
    const std::string& Error() const { return error_; }
    void Unload();
    bool IsLoaded() const { return handle_ != nullptr; }

    // The address of an exported symbol, or nullptr when not loaded or not exported.
    void* Symbol(const char* name) const;
    // The exported function `name` as a pointer of type `Fn` (which must match the function's
    // real type), or nullptr. Look it up once after loading and keep the typed pointer.
    template <typename Fn> Fn Function(const char* name) const
    {
        return reinterpret_cast<Fn>(Symbol(name));
    }

private:
    void* handle_ = nullptr;
    std::string error_;
};

} // namespace zr
