// Writes the interface description of a published control, generated from the member table,
// to the file named by its one argument.

#include <cstdio>
#include <fstream>

#include "bus/BusProtocol.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: zr47xcl-bus-interface FILE\n", stderr);
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << "<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object Introspection 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd\">\n<node>\n"
        << zr::bus::InterfaceXml() << "</node>\n";
    out.close();
    return out ? 0 : 1;
}
