# A program whose web engine module is missing (a broken installation) says
# so once and goes on: its windows work, its web views stay empty.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR}/home/runtime)
file(COPY ${PROGRAM} DESTINATION ${WORK_DIR})
get_filename_component(name ${PROGRAM} NAME)
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen HOME=${WORK_DIR}/home
            XDG_RUNTIME_DIR=${WORK_DIR}/home/runtime
            ${WORK_DIR}/${name}
    TIMEOUT 5
    RESULT_VARIABLE result
    ERROR_VARIABLE errors
    OUTPUT_VARIABLE output)
if(NOT result MATCHES "timeout")
    message(FATAL_ERROR "the program ended by itself (${result}) instead of going on:\n${errors}")
endif()
string(REGEX MATCHALL "web engine module quorvane_webengine could not be loaded" said "${errors}")
list(LENGTH said times)
if(NOT times EQUAL 1)
    message(FATAL_ERROR "expected the missing engine to be reported once, got ${times} times:\n${errors}")
endif()
