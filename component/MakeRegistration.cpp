// zr47xcl-mkregistration FILE LIBRARY: a build step, never installed. Writes into FILE the
// registration of the component served by LIBRARY (an absolute path, where the installation
// puts the library), as DllRegisterServer writes it for a user. A package installs FILE as the
// registration for every user.

#include <cstdio>
#include <string>

#include "automation/HResult.h"
#include "component/Registration.h"

int main(int argc, char** argv)
{
    if (argc != 3 || argv[2][0] != '/') {
        std::fputs("usage: zr47xcl-mkregistration FILE /ABSOLUTE/PATH/OF/THE/LIBRARY\n", stderr);
        return 2;
    }
    const int32_t result = zr::RegisterComponent(argv[1], argv[2]);
    if (result != zr::hresult::kOk) {
        std::fprintf(stderr, "zr47xcl-mkregistration: cannot write %s (0x%08X)\n", argv[1],
                     static_cast<unsigned>(result));
        return 1;
    }
    return 0;
}
