# The kit for hosts (component Development, the package libzr47xcl-dev). A host links the
# component library for its entry points, and the small static library zr47xcl-kit for the
# Variant it passes through them (the component keeps its own copy hidden behind its export
# list). The installed headers are complete: every type they use is defined in one of them.
add_library(zr47xcl-kit STATIC ${CMAKE_SOURCE_DIR}/automation/AutomationTypes.cpp)
target_include_directories(zr47xcl-kit PRIVATE ${CMAKE_BINARY_DIR}/layer-include/automation
    INTERFACE $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}/zr47xcl>)
# The headers are C++17; the host chooses its own standard from there.
target_compile_features(zr47xcl-kit INTERFACE cxx_std_17)
set_target_properties(zr47xcl-kit PROPERTIES EXPORT_NAME Kit)
set_target_properties(XKorvelZR47xCL PROPERTIES EXPORT_NAME Component)
# ZR47xCL::ZR47xCL: the component and the kit library together, what a host links.
add_library(zr47xcl-host-kit INTERFACE)
target_link_libraries(zr47xcl-host-kit INTERFACE XKorvelZR47xCL zr47xcl-kit)
set_target_properties(zr47xcl-host-kit PROPERTIES EXPORT_NAME ZR47xCL)
install(TARGETS zr47xcl-kit zr47xcl-host-kit EXPORT ZR47xCLTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development)

# The member table as a header: name, kind, dispid, type, arguments with their directions and a
# description of every member, and a named dispid for each, generated at build time.
add_executable(zr47xcl-member-header-writer WriteMemberHeader.cpp)
target_link_libraries(zr47xcl-member-header-writer PRIVATE zr47xcl-automation)
set(ZR_MEMBER_HEADER ${CMAKE_BINARY_DIR}/kit-include/component/ControlMembers.h)
add_custom_command(OUTPUT ${ZR_MEMBER_HEADER}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/kit-include/component
    COMMAND zr47xcl-member-header-writer ${ZR_MEMBER_HEADER}
    DEPENDS zr47xcl-member-header-writer
    COMMENT "Generating the kit's member header")
add_custom_target(zr47xcl-member-header ALL DEPENDS ${ZR_MEMBER_HEADER})

set(ZR_KIT_HEADERS ${CMAKE_SOURCE_DIR}/component/ComponentInterface.h
    ${CMAKE_SOURCE_DIR}/automation/AutomationTypes.h ${CMAKE_SOURCE_DIR}/automation/HResult.h
    ${CMAKE_SOURCE_DIR}/control/Identities.h ${ZR_MEMBER_HEADER})
foreach(header IN LISTS ZR_KIT_HEADERS)
    get_filename_component(folder ${header} DIRECTORY)
    get_filename_component(folder ${folder} NAME)
    install(FILES ${header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/zr47xcl/${folder}
        COMPONENT Development)
endforeach()

configure_file(zr47xcl.pc.in ${CMAKE_CURRENT_BINARY_DIR}/zr47xcl.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/zr47xcl.pc
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT Development)

# The CMake package: the exported targets under the namespace ZR47xCL::, a config file that
# includes them, and the version file.
include(CMakePackageConfigHelpers)
set(ZR_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/ZR47xCL)
install(EXPORT ZR47xCLTargets NAMESPACE ZR47xCL:: DESTINATION ${ZR_CMAKE_DIR}
    COMPONENT Development)
configure_package_config_file(ZR47xCLConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/ZR47xCLConfig.cmake INSTALL_DESTINATION ${ZR_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/ZR47xCLConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/ZR47xCLConfig.cmake
    ${CMAKE_CURRENT_BINARY_DIR}/ZR47xCLConfigVersion.cmake
    DESTINATION ${ZR_CMAKE_DIR} COMPONENT Development)

# The API reference: Doxygen over the installed headers, as HTML. Any warning (an undocumented
# member among them) fails it. scripts/package.sh builds it into libzr47xcl-dev; the tests
# check it wherever Doxygen is installed.
option(ZR_API_REFERENCE "Build and install the kit's API reference (needs doxygen)" OFF)
find_program(ZR_DOXYGEN doxygen)
if(ZR_DOXYGEN)
    set(ZR_API_REFERENCE_DIR ${CMAKE_BINARY_DIR}/api-reference)
    string(JOIN " " ZR_DOXYGEN_INPUT ${ZR_KIT_HEADERS})
    set(ZR_DOXYGEN_STRIP "${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/kit-include")
    set(ZR_DOXYFILE ${CMAKE_CURRENT_BINARY_DIR}/Doxyfile)
    configure_file(Doxyfile.in ${ZR_DOXYFILE} @ONLY)
    set(ZR_API_INDEX ${ZR_API_REFERENCE_DIR}/html/index.html)
    add_custom_command(OUTPUT ${ZR_API_INDEX}
        COMMAND ${CMAKE_COMMAND} -E rm -rf ${ZR_API_REFERENCE_DIR}
        COMMAND ${ZR_DOXYGEN} ${ZR_DOXYFILE}
        # The pages load Debian's jQuery (libjs-jquery) instead of a copy of their own.
        COMMAND ${CMAKE_COMMAND} -E rm ${ZR_API_REFERENCE_DIR}/html/jquery.js
        COMMAND ${CMAKE_COMMAND} -E create_symlink ../../../javascript/jquery/jquery.js
            ${ZR_API_REFERENCE_DIR}/html/jquery.js
        DEPENDS ${ZR_KIT_HEADERS} ${ZR_DOXYFILE} doxygen-comments.sed zr47xcl-member-header
        COMMENT "Generating the kit's API reference")
    if(ZR_API_REFERENCE)
        add_custom_target(zr47xcl-api-reference ALL DEPENDS ${ZR_API_INDEX})
        install(DIRECTORY ${ZR_API_REFERENCE_DIR}/html
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/libzr47xcl-dev COMPONENT Development)
    endif()
elseif(ZR_API_REFERENCE)
    message(FATAL_ERROR "ZR_API_REFERENCE needs doxygen (scripts/setup.sh --packaging)")
endif()
