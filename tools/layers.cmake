# Checks the layering of the program's parts: the graph of parts is acyclic,
# and each part's sources include headers of that part and of the parts it
# uses (directly or through others) only.
#
#   cmake -DPARTS=<part>:<used>,<used>;... -DSOURCE_DIR=<dir> -P layers.cmake
cmake_minimum_required(VERSION 3.21)

set(names)
foreach(entry IN LISTS PARTS)
    string(REPLACE ":" ";" fields "${entry}")
    list(GET fields 0 part)
    list(APPEND names ${part})
    set(uses_${part})
    list(LENGTH fields count)
    if(count GREATER 1)
        list(GET fields 1 used)
        string(REPLACE "," ";" uses_${part} "${used}")
    endif()
endforeach()

# What each part may reach: the closure of its uses. A part that reaches
# itself stands in a cycle.
set(failures)
foreach(part IN LISTS names)
    set(reach ${uses_${part}})
    set(index 0)
    list(LENGTH reach size)
    while(index LESS size)
        list(GET reach ${index} next)
        foreach(further IN LISTS uses_${next})
            if(NOT further IN_LIST reach)
                list(APPEND reach ${further})
            endif()
        endforeach()
        math(EXPR index "${index} + 1")
        list(LENGTH reach size)
    endwhile()
    if(part IN_LIST reach)
        list(APPEND failures "part ${part} depends on itself: ${reach}")
    endif()
    set(reach_${part} ${reach})
endforeach()

foreach(part IN LISTS names)
    file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}
         ${SOURCE_DIR}/${part}/*.h ${SOURCE_DIR}/${part}/*.cpp ${SOURCE_DIR}/${part}/*.in)
    foreach(source IN LISTS sources)
        file(STRINGS ${SOURCE_DIR}/${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[A-Za-z0-9_]+/")
        foreach(line IN LISTS includes)
            string(REGEX REPLACE "^[^\"]*\"([A-Za-z0-9_]+)/.*$" "\\1" folder "${line}")
            if(folder IN_LIST names AND NOT folder STREQUAL part AND NOT folder IN_LIST reach_${part})
                string(STRIP "${line}" line)
                list(APPEND failures "${source}: ${line}: part ${part} does not use ${folder}")
            endif()
        endforeach()
    endforeach()
endforeach()

if(failures)
    list(JOIN failures "\n  " text)
    message(FATAL_ERROR "Layering broken:\n  ${text}")
endif()
