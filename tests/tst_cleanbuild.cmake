# A clean tree builds with CMake's default generator on Linux (Unix
# Makefiles) and many jobs at once: the pictures are drawn before anything
# compiles them into resources, whichever job gets there first. Ninja's one
# graph of files would hide a missing dependency; Makefiles do not.
#
#   cmake -DSOURCE_DIR=<dir> -DWORK_DIR=<dir> -P tst_cleanbuild.cmake
cmake_minimum_required(VERSION 3.21)

file(REMOVE_RECURSE ${WORK_DIR})
execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR} -G "Unix Makefiles" -DBUILD_TESTING=OFF
    RESULT_VARIABLE failed OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(failed)
    message(FATAL_ERROR "configuring with Unix Makefiles failed:\n${output}")
endif()
# The drawn pictures, compiled as resources.
execute_process(
    COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR} --parallel 8 --target picture_resources
    RESULT_VARIABLE failed OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(failed)
    message(FATAL_ERROR "a clean Makefiles build with 8 jobs failed:\n${output}")
endif()
file(REMOVE_RECURSE ${WORK_DIR})
message(STATUS "a clean Makefiles build with 8 jobs drew and compiled the pictures")
