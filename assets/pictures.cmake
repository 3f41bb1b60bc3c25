# The program's pictures are drawn by tools/drawpictures at build time, so the
# pictures always match their drawing code. This list is the manifest: every
# file the program loads from ":/pictures/" is named here.
set(QUORVANE_PICTURES
    background.png      # lookup and help windows, 307 x 304
    fieldbar.png        # yellow bar under box captions, 90 x 15
    buttonbar.png       # grey bar under picture-button labels, 90 x 14
    butterfly.png       # mouse pointer, 32 x 32
    quorvane.png        # program icon, 32 x 32
    ybubble-48.png      # Yahoo! speech bubble pointer, 48 x 48
    ybubble-32.png      #   the same, 32 x 32
    ybubble-16.png      #   the same, 16 x 16
    runner-48.png       # AIM running figure pointer, 48 x 48
    runner-32.png       #   the same, 32 x 32
    runner-16.png       #   the same, 16 x 16
    icq-online.png      # ICQ window status samples, 22 x 22
    icq-offline.png     #   21 x 22
    unknown.png         #   21 x 22
    irc-online.png      # IRC window status samples, 22 x 22
    irc-offline.png     #   22 x 22
    about-background.png # about window, 498 x 250
    legend1-online.png  # help window legend, 22 x 22
    legend1-offline.png #   22 x 22
    legend2-online.png  #   22 x 22
    legend2-offline.png #   21 x 22
    legend3-online.png  #   22 x 22
    legend3-offline.png #   22 x 22
    legend4-online.png  #   22 x 22
    legend4-offline.png #   21 x 22
    legend5-online.png  #   22 x 22
    legend5-offline.png #   21 x 22
    iconset1.png        # status icon sets, 280 x 100
    iconset2.png        #   304 x 120
    iconset3.png        #   315 x 122
    iconset4.png        #   407 x 124
)

# Each icon of the four sets alone, as the status server answers ?set=1..4:
# set<N>-<medium>-<state>.png, the size of the set's cells (set 1 16 x 16,
# sets 2 and 3 22 x 22, set 4 55 x 16 with its badge).
foreach(_set 1 2 3 4)
    foreach(_medium aim icq irc msn yahoo)
        foreach(_state online offline unknown)
            list(APPEND QUORVANE_PICTURES set${_set}-${_medium}-${_state}.png)
        endforeach()
    endforeach()
endforeach()

set(QUORVANE_PICTURE_DIR ${CMAKE_BINARY_DIR}/pictures)
set(QUORVANE_ICON_FILE ${QUORVANE_PICTURE_DIR}/quorvane.ico)

set(_outputs ${QUORVANE_ICON_FILE})
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
        FILES ${_files})
endfunction()
