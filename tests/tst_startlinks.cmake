# The program starts without the browser engine: its own binary needs none of
# the engine's libraries (nor Qt Quick, QML or OpenGL, which come with it);
# the engine module does, and is loaded later.
execute_process(COMMAND readelf -d ${PROGRAM} OUTPUT_VARIABLE program RESULT_VARIABLE read)
if(NOT read EQUAL 0)
    message("skipped: readelf cannot read ${PROGRAM}")
    return()
endif()
execute_process(COMMAND readelf -d ${ENGINE} OUTPUT_VARIABLE engine)

string(REGEX MATCHALL "\\(NEEDED\\)[^[]*\\[[^]]+\\]" needed "${program}")
set(failures)
foreach(entry IN LISTS needed)
    if(entry MATCHES "WebEngine|Qt6Quick|Qt6Qml|Qt6OpenGL|libGL|libEGL")
        list(APPEND failures "${entry}")
    endif()
endforeach()
if(failures)
    message(FATAL_ERROR "the program links what only its engine module should: ${failures}")
endif()
if(NOT engine MATCHES "libQt6WebEngineWidgets")
    message(FATAL_ERROR "the engine module does not link Qt WebEngine:\n${engine}")
endif()
