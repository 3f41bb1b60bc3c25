# Compiles the program's Windows resources with the MinGW resource compiler
# and reads the version record back.
if(NOT WINDRES)
    message("skipped: x86_64-w64-mingw32-windres is missing (Debian: binutils-mingw-w64-x86-64)")
    return()
endif()
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
execute_process(
    COMMAND ${WINDRES} --preprocessor=cpp --preprocessor-arg=-xc-header
            -I ${ICON_DIR} -O res -i ${RC_FILE} -o ${WORK_DIR}/quorvane.res
    RESULT_VARIABLE compiled ERROR_VARIABLE errors)
if(NOT compiled EQUAL 0)
    message(FATAL_ERROR "the resource file does not compile: ${errors}")
endif()
execute_process(
    COMMAND ${WINDRES} -i ${WORK_DIR}/quorvane.res -J res -O rc -o ${WORK_DIR}/readback.rc
    RESULT_VARIABLE readback ERROR_VARIABLE errors)
if(NOT readback EQUAL 0)
    message(FATAL_ERROR "the compiled resources cannot be read back: ${errors}")
endif()
file(READ ${WORK_DIR}/readback.rc text)

set(failures 0)
foreach(expected
        [["FileVersion", "2.03"]]
        [["ProductVersion", "2.03"]]
        [["ProductName", "Quorvane"]]
        [["InternalName", "Quorvane2_3"]]
        [["OriginalFilename", "Quorvane2_3.exe"]]
        [["CompanyName", "::[-:Telmik-Brasko:-]::"]]
        [[BLOCK "040904b0"]]
        [[VALUE "Translation", 0x409, 1200]]
        [[ICON]])
    string(FIND "${text}" "${expected}" at)
    if(at EQUAL -1)
        message(SEND_ERROR "missing from the version record: ${expected}")
        math(EXPR failures "${failures} + 1")
    endif()
endforeach()
file(SIZE ${ICON_DIR}/quorvane.ico icon_size)
# One 32 x 32 picture in 256 colours: headers, palette, pixels and mask.
if(NOT icon_size EQUAL 2238)
    message(SEND_ERROR "the icon file has ${icon_size} bytes, expected 2238")
    math(EXPR failures "${failures} + 1")
endif()
if(failures EQUAL 0)
    message(STATUS "version record and icon as expected")
endif()
