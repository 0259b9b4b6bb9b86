# The Debian packages, made by CPack's DEB generator from the install rules of the build tree
# that scripts/package.sh configures (prefix /usr): one package per install component.
#
#   Runtime      -> zr47xcl           programs, component library, manual pages, completions,
#                                     desktop entry, icons, metainfo, registration for all users
#   Python       -> python3-zr47xcl   the module, its stub package
#   Development  -> libzr47xcl-dev    headers, kit library, .so link, pkg-config, CMake package
#
# Files only a package carries (its copyright and changelog, the registration for every user)
# are installed only when their component is installed by name, so a per-user installation
# (scripts/install.sh) leaves them out.
set(ZR_MAINTAINER "ZR-47xCL developers <zr47xcl@korvel.com>"
    CACHE STRING "The Maintainer field of the Debian packages")

# copyright and changelog of each package, under its own documentation folder.
string(TIMESTAMP ZR_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
foreach(package IN ITEMS zr47xcl python3-zr47xcl libzr47xcl-dev)
    set(ZR_PACKAGE ${package})
    configure_file(debian/changelog.in ${CMAKE_CURRENT_BINARY_DIR}/doc/${package}/changelog @ONLY)
    add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/doc/${package}/changelog.gz
        COMMAND gzip -9nc ${CMAKE_CURRENT_BINARY_DIR}/doc/${package}/changelog
            > ${CMAKE_CURRENT_BINARY_DIR}/doc/${package}/changelog.gz
        DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/doc/${package}/changelog VERBATIM)
    list(APPEND ZR_CHANGELOGS ${CMAKE_CURRENT_BINARY_DIR}/doc/${package}/changelog.gz)
endforeach()
add_custom_target(zr47xcl-changelogs ALL DEPENDS ${ZR_CHANGELOGS})
foreach(pair IN ITEMS Runtime:zr47xcl Python:python3-zr47xcl Development:libzr47xcl-dev)
    string(REPLACE ":" ";" pair ${pair})
    list(GET pair 0 component)
    list(GET pair 1 package)
    install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/debian/copyright
        ${CMAKE_CURRENT_BINARY_DIR}/doc/${package}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${package}
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
        COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()

# lintian's overrides, each with the reason it does not apply.
foreach(pair IN ITEMS Runtime:zr47xcl)
    string(REPLACE ":" ";" pair ${pair})
    list(GET pair 0 component)
    list(GET pair 1 package)
    install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/debian/${package}/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME ${package}
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ
        COMPONENT ${component} EXCLUDE_FROM_ALL)
endforeach()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zr47xcl)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Korvel)
set(CPACK_PACKAGE_CONTACT ${ZR_MAINTAINER})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL Runtime Python Development)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${ZR_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${ZR_HOMEPAGE})
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME zr47xcl)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION video)
# The component library is loaded by path and linked by hosts through the kit: it gets a shlibs
# file, and the library folder's cache is refreshed through the ldconfig trigger. Maintainer
# scripts of our own keep CPack from calling ldconfig from generated ones instead.
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_SOURCE_DIR}/debian/zr47xcl/triggers
    ${CMAKE_CURRENT_SOURCE_DIR}/debian/zr47xcl/postinst
    ${CMAKE_CURRENT_SOURCE_DIR}/debian/zr47xcl/postrm)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# What is loaded at run time, which shlibdeps cannot see: the dialogs' font, Qt's X11 and Wayland
# platform plugins, and the SVG image and icon plugins that draw the panels' pictures.
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "fonts-wine, qt6-qpa-plugins, qt6-wayland, libqt6svg6")
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
"Control tool of the ZR-47xCL Camera Link cameras
The desktop program zr47xcl-tool, the command-line program zr47xcl, the
simulated camera zr47xcl-sim and the embeddable control component of the
ZR-470, ZR-471 and ZR-472 two-imager Camera Link cameras. The control talks
to the camera over its 9600-baud serial channel, on a serial port or through
a frame grabber's Camera Link serial library, and keeps a mirror of all
camera parameters. The component is registered for every user.")

set(CPACK_DEBIAN_PYTHON_PACKAGE_NAME python3-zr47xcl)
set(CPACK_DEBIAN_PYTHON_PACKAGE_SECTION python)
# The extension is built for this interpreter version alone.
if(Python3_VERSION_MINOR)
    math(EXPR ZR_PYTHON_NEXT_MINOR "${Python3_VERSION_MINOR} + 1")
endif()
set(CPACK_DEBIAN_PYTHON_PACKAGE_DEPENDS
    "python3 (>= ${Python3_VERSION_MAJOR}.${Python3_VERSION_MINOR}), python3 (<< ${Python3_VERSION_MAJOR}.${ZR_PYTHON_NEXT_MINOR})")
set(CPACK_DEBIAN_PYTHON_DESCRIPTION
"Python module of the ZR-47xCL camera control
The module zr47xcl drives a control of a ZR-470, ZR-471 or ZR-472 Camera Link
camera through its automation interface: every property, method and event,
with the results, error codes and texts of the command-line program zr47xcl.
It comes with a type stub.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME libzr47xcl-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "zr47xcl (= ${PROJECT_VERSION})")
# The API reference's pages use Debian's jQuery (packaging/Kit.cmake).
if(ZR_API_REFERENCE)
    string(APPEND CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS ", libjs-jquery")
endif()
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
"Kit for programs that embed the ZR-47xCL camera control
Headers of the control component's entry points and interfaces, the code of
the values passed through them, the link to the component library, a
pkg-config file (zr47xcl) and a CMake package (find_package(ZR47xCL) with the
imported target ZR47xCL::ZR47xCL), the member table as a header, and the API
reference of the headers.")

include(CPack)
