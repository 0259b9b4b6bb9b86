# The help folder of zr47xcl-tool: the manual pages rendered as PDF by groff, and the user guide
# rendered as PDF with pictures of the panels that the built tool takes of itself. The desktop
# entry starts the tool in this folder, so the about panel lists these files and opens them.
set(ZR_HELP_DIR ${CMAKE_INSTALL_DATADIR}/zr47xcl/help)
set(ZR_HELP_BUILD_DIR ${CMAKE_CURRENT_BINARY_DIR}/help)
set(ZR_HELP_FILES "")

find_program(ZR_GROFF groff)
if(ZR_GROFF)
    foreach(page IN LISTS ZR_MAN_PAGES)
        get_filename_component(name ${page} NAME_WE)
        set(pdf ${ZR_HELP_BUILD_DIR}/${name}.pdf)
        # groff's own PDF output; its warnings about lines it could not adjust are left out.
        add_custom_command(OUTPUT ${pdf}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${ZR_HELP_BUILD_DIR}
            COMMAND ${ZR_GROFF} -Tpdf -man -Wbreak ${page} > ${pdf}
            DEPENDS ${page} VERBATIM)
        list(APPEND ZR_HELP_FILES ${pdf})
    endforeach()
else()
    message(WARNING "groff (Debian package groff) is missing: the manual pages are not rendered "
                    "as PDF into the help folder (scripts/setup.sh installs it)")
endif()

# The pictures: the tool's --screenshot run for a throw-away user whose COM1 leads to a USB
# adapter that is not plugged in, so nothing of the build machine's is opened and the start-up
# message box shows what a first start without the camera shows.
add_executable(zr47xcl-render-guide RenderGuide.cpp)
target_link_libraries(zr47xcl-render-guide PRIVATE Qt6::Gui)
set(ZR_GUIDE_WORK ${CMAKE_CURRENT_BINARY_DIR}/guide)
set(ZR_GUIDE_SETTINGS_DIR ${ZR_GUIDE_WORK}/config/Korvel-XKorvelZR47xCL.ini-Control)
set(ZR_GUIDE_COM1 /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K5XYZ-if00-port0)
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/guide-settings.ini
    "[Comm]\r\nCOM1=${ZR_GUIDE_COM1}\r\nClass=0\r\nPort=0\r\n")
set(ZR_GUIDE_ENV HOME=${ZR_GUIDE_WORK} XDG_CONFIG_HOME=${ZR_GUIDE_WORK}/config
    XDG_DATA_HOME=${ZR_GUIDE_WORK}/data XDG_DATA_DIRS=${ZR_GUIDE_WORK}/none
    DBUS_SESSION_BUS_ADDRESS=disabled: QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0)
set(ZR_GUIDE_PDF ${ZR_HELP_BUILD_DIR}/zr47xcl-user-guide.pdf)
set(ZR_GUIDE_SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/guide/user-guide.html)
add_custom_command(OUTPUT ${ZR_GUIDE_PDF}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${ZR_GUIDE_WORK}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${ZR_GUIDE_SETTINGS_DIR} ${ZR_HELP_BUILD_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_BINARY_DIR}/guide-settings.ini
        "${ZR_GUIDE_SETTINGS_DIR}/XKorvelZR47xCL Control.ini"
    COMMAND ${CMAKE_COMMAND} -E env ${ZR_GUIDE_ENV} $<TARGET_FILE:zr47xcl-regsvr> > /dev/null
    COMMAND ${CMAKE_COMMAND} -E env ${ZR_GUIDE_ENV} $<TARGET_FILE:zr47xcl-tool>
        --screenshot ${ZR_GUIDE_WORK}/pictures 2> ${ZR_GUIDE_WORK}/tool.log
    COMMAND ${CMAKE_COMMAND} -E env ${ZR_GUIDE_ENV} $<TARGET_FILE:zr47xcl-render-guide>
        ${ZR_GUIDE_SOURCE} ${ZR_GUIDE_WORK}/pictures ${ZR_GUIDE_PDF}
    DEPENDS ${ZR_GUIDE_SOURCE} zr47xcl-render-guide zr47xcl-tool zr47xcl-regsvr XKorvelZR47xCL
    VERBATIM)
list(APPEND ZR_HELP_FILES ${ZR_GUIDE_PDF})

add_custom_target(zr47xcl-help ALL DEPENDS ${ZR_HELP_FILES})
install(FILES ${ZR_HELP_FILES} DESTINATION ${ZR_HELP_DIR} COMPONENT Runtime)

# The desktop entry names the help folder as the tool's working folder.
set(ZR_HELP_FULL_DIR ${CMAKE_INSTALL_FULL_DATADIR}/zr47xcl/help)
configure_file(${ZR_APP_ID}.desktop ${CMAKE_CURRENT_BINARY_DIR}/${ZR_APP_ID}.desktop @ONLY)
