# Builds the Debian package from the build folder and checks its metadata
# and contents, and the desktop entry it installs.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
execute_process(COMMAND ${CMAKE_CPACK_COMMAND} -G DEB -B ${WORK_DIR} --config ${BUILD_DIR}/CPackConfig.cmake
                WORKING_DIRECTORY ${BUILD_DIR}
                RESULT_VARIABLE packed OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT packed EQUAL 0)
    message(FATAL_ERROR "cpack failed: ${output}")
endif()
file(GLOB debs ${WORK_DIR}/quorvane_*.deb)
list(LENGTH debs count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one package, found: ${debs}")
endif()

set(failures 0)
macro(expect text what)
    string(FIND "${${text}}" "${what}" at)
    if(at EQUAL -1)
        message(SEND_ERROR "${text} lacks \"${what}\":\n${${text}}")
        math(EXPR failures "${failures} + 1")
    endif()
endmacro()

execute_process(COMMAND dpkg-deb --field ${debs} Package Version Architecture Section Depends Recommends
                OUTPUT_VARIABLE fields)
expect(fields "Package: quorvane")
expect(fields "Version: 2.3")
expect(fields "Architecture: amd64")
expect(fields "Section: net")
foreach(runtime libqt6webenginewidgets6 libqt6webenginecore6 libqt6widgets6 libqt6gui6 libqt6core6)
    expect(fields "${runtime} (>=")
endforeach()
expect(fields "fonts-liberation2")

execute_process(COMMAND dpkg-deb --contents ${debs} OUTPUT_VARIABLE contents)
foreach(path ./usr/bin/quorvane ./usr/share/applications/quorvane.desktop
             ./usr/share/icons/hicolor/32x32/apps/quorvane.png)
    expect(contents "${path}\n")
endforeach()
# Only the program's own files: no tests, tools or development files.
foreach(stray drawpictures tst_ quorvane_core include/ quorvane_floor)
    string(FIND "${contents}" "${stray}" at)
    if(NOT at EQUAL -1)
        message(SEND_ERROR "the package holds ${stray}:\n${contents}")
        math(EXPR failures "${failures} + 1")
    endif()
endforeach()

execute_process(COMMAND dpkg-deb -x ${debs} ${WORK_DIR}/root)
execute_process(COMMAND desktop-file-validate ${WORK_DIR}/root/usr/share/applications/quorvane.desktop
                RESULT_VARIABLE valid OUTPUT_VARIABLE problems ERROR_VARIABLE problems)
if(NOT valid EQUAL 0 OR problems)
    message(SEND_ERROR "the desktop entry is not valid: ${problems}")
endif()
file(READ ${WORK_DIR}/root/usr/share/applications/quorvane.desktop entry)
expect(entry "Exec=quorvane")
expect(entry "Icon=quorvane")
if(failures EQUAL 0)
    message(STATUS "package ${debs} as expected")
endif()
