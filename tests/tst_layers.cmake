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
