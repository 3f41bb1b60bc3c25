# Builds the two Debian packages from the build folder and checks their
# metadata and contents, the desktop entry and the status server's units.
foreach(tool dpkg-deb dpkg-shlibdeps desktop-file-validate)
    find_program(found_${tool} ${tool})
    if(NOT found_${tool})
        message("skipped: ${tool} is missing (Debian: dpkg-dev, desktop-file-utils)")
        return()
    endif()
endforeach()
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
execute_process(COMMAND ${CMAKE_CPACK_COMMAND} -G DEB -B ${WORK_DIR} --config ${BUILD_DIR}/CPackConfig.cmake
                WORKING_DIRECTORY ${BUILD_DIR}
                RESULT_VARIABLE packed OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT packed EQUAL 0)
    message(FATAL_ERROR "cpack failed: ${output}")
endif()
set(program ${WORK_DIR}/quorvane_2.3_amd64.deb)
set(server ${WORK_DIR}/quorvane-server_2.3_amd64.deb)
foreach(deb ${program} ${server})
    if(NOT EXISTS ${deb})
        file(GLOB made ${WORK_DIR}/*.deb)
        message(FATAL_ERROR "no ${deb}; made: ${made}")
    endif()
endforeach()

set(failures 0)
macro(expect text what)
    string(FIND "${${text}}" "${what}" at)
    if(at EQUAL -1)
        message(SEND_ERROR "${text} lacks \"${what}\":\n${${text}}")
        math(EXPR failures "${failures} + 1")
    endif()
endmacro()
macro(refuse text what)
    string(FIND "${${text}}" "${what}" at)
    if(NOT at EQUAL -1)
        message(SEND_ERROR "${text} holds \"${what}\":\n${${text}}")
        math(EXPR failures "${failures} + 1")
    endif()
endmacro()

# The program.
execute_process(COMMAND dpkg-deb --field ${program} Package Version Architecture Section Depends Recommends
                        Description
                OUTPUT_VARIABLE fields)
expect(fields "Description: messenger status checker: online, offline or blocking you\n Quorvane tells")
refuse(fields ";")
expect(fields "Package: quorvane\n")
expect(fields "Version: 2.3")
expect(fields "Architecture: amd64")
expect(fields "Section: net")
foreach(runtime libqt6webenginewidgets6 libqt6webenginecore6 libqt6widgets6 libqt6gui6 libqt6core6)
    expect(fields "${runtime} (>=")
endforeach()
expect(fields "Recommends: quorvane-server")
expect(fields "fonts-liberation2")

execute_process(COMMAND dpkg-deb --contents ${program} OUTPUT_VARIABLE contents)
foreach(path ./usr/bin/quorvane\n ./usr/share/applications/quorvane.desktop
             ./usr/share/icons/hicolor/32x32/apps/quorvane.png
             /quorvane/quorvane_webengine.so)
    expect(contents "${path}")
endforeach()
# Only the program's own files: no server, tests, tools or development files.
foreach(stray quorvane-server drawpictures tst_ libquorvane include/ quorvane_floor systemd)
    refuse(contents "${stray}")
endforeach()

execute_process(COMMAND dpkg-deb -x ${program} ${WORK_DIR}/program)
execute_process(COMMAND desktop-file-validate ${WORK_DIR}/program/usr/share/applications/quorvane.desktop
                RESULT_VARIABLE valid OUTPUT_VARIABLE problems ERROR_VARIABLE problems)
if(NOT valid EQUAL 0 OR problems)
    message(SEND_ERROR "the desktop entry is not valid: ${problems}")
endif()
file(READ ${WORK_DIR}/program/usr/share/applications/quorvane.desktop entry)
expect(entry "Exec=quorvane")
expect(entry "Icon=quorvane")

# The status server: headless, with its units and their maintainer scripts.
execute_process(COMMAND dpkg-deb --field ${server} Package Version Depends Description
                OUTPUT_VARIABLE server_fields)
expect(server_fields "Description: status server for Quorvane")
refuse(server_fields ";")
expect(server_fields "Package: quorvane-server")
expect(server_fields "Version: 2.3")
expect(server_fields "libmicrohttpd12 (>=")
refuse(server_fields "libqt6httpserver6")
expect(server_fields "libqt6network6 (>=")
foreach(heavy libqt6gui6 libqt6widgets6 libqt6webengine)
    refuse(server_fields "${heavy}")
endforeach()
execute_process(COMMAND dpkg-deb --contents ${server} OUTPUT_VARIABLE server_contents)
foreach(path ./usr/bin/quorvane-server\n ./usr/lib/systemd/system/quorvane-server.socket
             ./usr/lib/systemd/system/quorvane-server.service ./usr/lib/systemd/system/quorvane-server@.socket
             ./usr/lib/systemd/system/quorvane-server@.service
             ./usr/share/doc/quorvane-server/examples/nginx-quorvane.conf
             ./usr/share/doc/quorvane-server/examples/quorvane-server-cluster)
    expect(server_contents "${path}")
endforeach()
refuse(server_contents "quorvane.desktop")
execute_process(COMMAND dpkg-deb --ctrl-tarfile ${server} COMMAND tar -t OUTPUT_VARIABLE scripts)
foreach(script postinst prerm postrm)
    expect(scripts "./${script}")
endforeach()

execute_process(COMMAND dpkg-deb -x ${server} ${WORK_DIR}/server)
file(READ ${WORK_DIR}/server/usr/lib/systemd/system/quorvane-server.socket socket)
expect(socket "ListenStream=127.0.0.1:80\n")
expect(socket "ListenStream=127.0.0.1:6969\n")
file(READ ${WORK_DIR}/server/usr/lib/systemd/system/quorvane-server.service service)
file(READ ${WORK_DIR}/server/usr/lib/systemd/system/quorvane-server@.service instance)
file(READ ${WORK_DIR}/server/usr/lib/systemd/system/quorvane-server@.socket instance_socket)
foreach(setting "DynamicUser=yes" "NoNewPrivileges=yes" "ProtectSystem=strict" "ProtectHome=yes"
                "PrivateTmp=yes" "RestrictAddressFamilies=AF_INET AF_INET6 AF_UNIX"
                "CapabilityBoundingSet=\n" "SystemCallFilter=@system-service" "MemoryMax=")
    expect(service "${setting}")
    expect(instance "${setting}")
endforeach()
# A cluster's instances: one port each, the store's password as a credential.
expect(instance_socket "ListenStream=127.0.0.1:%i\n")
expect(instance "LoadCredential=redis-password:")
refuse(instance "--redis-password ")
# systemd's own reading of the units, against the unpacked package.
find_program(analyze systemd-analyze)
if(analyze)
    # The service runs the unpacked program, so the check finds what it starts.
    file(MAKE_DIRECTORY ${WORK_DIR}/units)
    string(REPLACE "ExecStart=/usr/bin/" "ExecStart=${WORK_DIR}/server/usr/bin/" unpacked "${service}")
    file(WRITE ${WORK_DIR}/units/quorvane-server.service "${unpacked}")
    file(WRITE ${WORK_DIR}/units/quorvane-server.socket "${socket}")
    # An instance of the cluster's template, as systemd makes it.
    string(REPLACE "ExecStart=/usr/bin/" "ExecStart=${WORK_DIR}/server/usr/bin/" unpacked "${instance}")
    string(REPLACE "EnvironmentFile=" "EnvironmentFile=-" unpacked "${unpacked}")
    file(WRITE ${WORK_DIR}/units/quorvane-server@.service "${unpacked}")
    file(WRITE ${WORK_DIR}/units/quorvane-server@.socket "${instance_socket}")
    execute_process(COMMAND ${analyze} verify --man=no
                            ${WORK_DIR}/units/quorvane-server.socket ${WORK_DIR}/units/quorvane-server.service
                            ${WORK_DIR}/units/quorvane-server@7001.socket ${WORK_DIR}/units/quorvane-server@7001.service
                    RESULT_VARIABLE verified OUTPUT_VARIABLE report ERROR_VARIABLE report)
    # It reports what it ignores without failing: anything said of our units fails the test.
    if(NOT verified EQUAL 0 OR report MATCHES "quorvane-server")
        message(SEND_ERROR "systemd-analyze verify refuses the units:\n${report}")
        math(EXPR failures "${failures} + 1")
    endif()
else()
    message(STATUS "systemd-analyze is missing: the units were read by this test only")
endif()

if(failures EQUAL 0)
    message(STATUS "packages ${program} and ${server} as expected")
endif()
