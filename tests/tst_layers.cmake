cmake_minimum_required(VERSION 3.21)

# The layer check on small trees of its own: a sound one passes, a part that
# includes a part above it and a cycle of parts are both refused.
set(failures 0)

function(check name parts expect)
    execute_process(COMMAND ${CMAKE_COMMAND} "-DPARTS=${parts}" -DSOURCE_DIR=${WORK_DIR}
                            -P ${LAYERS_SCRIPT}
                    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(expect STREQUAL "pass" AND NOT result EQUAL 0)
        message(SEND_ERROR "${name}: refused a sound tree:\n${output}")
    elseif(NOT expect STREQUAL "pass" AND (result EQUAL 0 OR NOT output MATCHES "${expect}"))
        message(SEND_ERROR "${name}: expected a refusal matching '${expect}', got:\n${output}")
    endif()
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
file(WRITE ${WORK_DIR}/lookup/sequence.cpp "#include \"lookup/sequence.h\"\n#include <QTimer>\n")
file(WRITE ${WORK_DIR}/windows/window.cpp "#include \"lookup/sequence.h\"\n#include \"support/any.h\"\n")
file(WRITE ${WORK_DIR}/app/main.cpp "#include \"windows/window.h\"\n#include \"lookup/sequence.h\"\n")
check("layered tree" "lookup:;windows:lookup;app:windows" pass)

file(WRITE ${WORK_DIR}/lookup/sequence.cpp "#include \"windows/progressbar.h\"\n")
check("lookup including a window header" "lookup:;windows:lookup;app:windows"
      "lookup/sequence.cpp: #include \"windows/progressbar.h\": part lookup does not use windows")

file(WRITE ${WORK_DIR}/lookup/sequence.cpp "#include \"lookup/sequence.h\"\n")
check("a cycle of parts" "lookup:app;windows:lookup;app:windows" "part lookup depends on itself")

# The status server's own order, as its build declares it: its tree passes,
# and the model reaching into the IRC checker, or the IRC checker into the
# HTTP side, is refused.
if(NOT SERVER_PARTS)
    message(SEND_ERROR "the status server's parts were not passed to the test")
else()
    file(REMOVE_RECURSE ${WORK_DIR}/server)
    file(COPY ${SERVER_DIR}/ DESTINATION ${WORK_DIR}/server)
    set(WORK_DIR ${WORK_DIR}/server)
    check("the status server's tree" "${SERVER_PARTS}" pass)
    file(APPEND ${WORK_DIR}/model/medium.cpp "#include \"irc/ircpresence.h\"\n")
    check("the model including the IRC checker" "${SERVER_PARTS}"
          "model/medium.cpp: #include \"irc/ircpresence.h\": part model does not use irc")
    file(COPY ${SERVER_DIR}/model/medium.cpp DESTINATION ${WORK_DIR}/model)
    file(APPEND ${WORK_DIR}/irc/ircnetwork.cpp "#include \"http/pages.h\"\n")
    check("the IRC checker including the pages" "${SERVER_PARTS}" "part irc does not use http")
endif()
