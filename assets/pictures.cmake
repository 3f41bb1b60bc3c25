# The program's pictures are drawn by tools/drawpictures at build time, so the
# pictures always match their drawing code. This list is the manifest: every
# file the program loads from ":/pictures/" is named here.

# The pictures the windows show, each drawn for the device pixel ratios 1,
# 1.5 and 2 (PictureFiles::ratios): name.png, name@1.5x.png and name@2x.png,
# sized in device pixels as the logical size times the ratio, rounded to the
# nearest pixel with halves up (307 x 304 gives 461 x 456 and 614 x 608).
set(_window_pictures
    background          # lookup and help windows, 307 x 304
    fieldbar            # yellow bar under box captions, 90 x 15
    buttonbar           # grey bar under picture-button labels, 90 x 14
    butterfly           # mouse pointer, 32 x 32
    quorvane            # program icon, 32 x 32
    ybubble-32          # Yahoo! speech bubble pointer, 32 x 32
    runner-32           # AIM running figure pointer, 32 x 32
    icq-online          # ICQ window status samples, 22 x 22
    icq-offline         #   21 x 22
    unknown             #   21 x 22
    irc-online          # IRC window status samples, 22 x 22
    irc-offline         #   22 x 22
    about-background    # about window, 498 x 250
    legend1-online      # help window legend, 22 x 22
    legend1-offline     #   22 x 22
    legend2-online      #   22 x 22
    legend2-offline     #   21 x 22
    legend3-online      #   22 x 22
    legend3-offline     #   22 x 22
    legend4-online      #   22 x 22
    legend4-offline     #   21 x 22
    legend5-online      #   22 x 22
    legend5-offline     #   21 x 22
    iconset1            # status icon sets, 280 x 100
    iconset2            #   304 x 120
    iconset3            #   315 x 122
    iconset4            #   407 x 124
)

# Drawn at 1 x only: the pointers' other stored sizes, and the icons the
# status server answers with (the legend's Jabber icons here, the sets' below).
set(QUORVANE_PICTURES
    ybubble-16.png      # Yahoo! speech bubble pointer, 16 x 16
    runner-16.png       # AIM running figure pointer, 16 x 16
    legend6-online.png  # Jabber in the help window legend's style, for the
    legend6-away.png    #   status server only (unknown is the shared
    legend6-offline.png #   question mark), 22 x 22
)
foreach(_picture IN LISTS _window_pictures)
    list(APPEND QUORVANE_PICTURES ${_picture}.png ${_picture}@1.5x.png ${_picture}@2x.png)
endforeach()

# Each icon of the four sets alone, as the status server answers ?set=1..4:
# set<N>-<medium>-<state>.png, the size of the set's cells (set 1 16 x 16,
# sets 2 and 3 22 x 22, set 4 55 x 16 with its badge).
# Jabber has an away state besides.
foreach(_set 1 2 3 4)
    foreach(_medium aim icq irc msn yahoo)
        foreach(_state online offline unknown)
            list(APPEND QUORVANE_PICTURES set${_set}-${_medium}-${_state}.png)
        endforeach()
    endforeach()
    foreach(_state online away offline unknown)
        list(APPEND QUORVANE_PICTURES set${_set}-jabber-${_state}.png)
    endforeach()
endforeach()

set(QUORVANE_PICTURE_DIR ${CMAKE_BINARY_DIR}/pictures)
set(QUORVANE_ICON_FILE ${QUORVANE_PICTURE_DIR}/quorvane.ico)

# The advance widths of the status badges' font, for the status server.
set(QUORVANE_BADGE_FONT_WIDTHS ${QUORVANE_PICTURE_DIR}/badgefontwidths.h)

set(_outputs ${QUORVANE_ICON_FILE} ${QUORVANE_BADGE_FONT_WIDTHS})
foreach(_picture IN LISTS QUORVANE_PICTURES)
    list(APPEND _outputs ${QUORVANE_PICTURE_DIR}/${_picture})
endforeach()

add_custom_command(
    OUTPUT ${_outputs}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QUORVANE_PICTURE_DIR}
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            $<TARGET_FILE:drawpictures> ${QUORVANE_PICTURE_DIR}
    DEPENDS drawpictures
    COMMENT "Drawing the program's pictures"
    VERBATIM)
add_custom_target(pictures DEPENDS ${_outputs})

function(quorvane_add_pictures target)
    set(_files)
    foreach(_picture IN LISTS QUORVANE_PICTURES)
        list(APPEND _files ${QUORVANE_PICTURE_DIR}/${_picture})
    endforeach()
    add_dependencies(${target} pictures)
    qt_add_resources(${target} pictures
        PREFIX /pictures
        BASE ${QUORVANE_PICTURE_DIR}
        FILES ${_files}
        OUTPUT_TARGETS _resource_targets)
    # The resource is compiled by targets of its own (for a static library),
    # in this folder, from files drawn in another: each must wait for the
    # drawing. Ninja sees that through its one graph of files; the Makefiles
    # generator knows the drawing's outputs only in the folder that makes them.
    foreach(_resource_target IN LISTS _resource_targets)
        add_dependencies(${_resource_target} pictures)
    endforeach()
    # The pictures drawn and compiled, and nothing else: what a clean build
    # of many jobs must get right (tst_cleanbuild builds it alone).
    if(NOT TARGET picture_resources)
        add_custom_target(picture_resources)
    endif()
    add_dependencies(picture_resources ${_resource_targets})
endfunction()
