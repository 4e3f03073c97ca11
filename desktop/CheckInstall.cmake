# Installs the build into PREFIX and checks that everything a desktop needs arrived.
# cmake -DBUILD_DIR=... -DAPP_ID=... -DPRIVATE_DIR=... -DPREFIX=... [-DREADELF=...] -P CheckInstall.cmake
file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
    RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
set(expected
    bin/mojing
    ${PRIVATE_DIR}/mojing-desktop
    share/applications/${APP_ID}.desktop
    share/metainfo/${APP_ID}.metainfo.xml
    share/icons/hicolor/48x48/apps/${APP_ID}.png
    share/icons/hicolor/128x128/apps/${APP_ID}.png
    share/icons/hicolor/256x256/apps/${APP_ID}.png
    share/icons/hicolor/scalable/apps/${APP_ID}.svg
    share/man/man1/mojing.1
    share/doc/mojing/copyright)
set(missing)
foreach(path ${expected})
    if(NOT EXISTS ${PREFIX}/${path})
        list(APPEND missing ${path})
    endif()
endforeach()
if(missing)
    message(FATAL_ERROR "not installed: ${missing}")
endif()
# The entry starts what was installed, and the manual page names the installed version.
file(STRINGS ${PREFIX}/share/applications/${APP_ID}.desktop exec REGEX "^Exec=")
if(NOT exec STREQUAL "Exec=mojing")
    message(FATAL_ERROR "desktop entry runs '${exec}', not mojing")
endif()
execute_process(COMMAND ${PREFIX}/bin/mojing --version OUTPUT_VARIABLE version
    OUTPUT_STRIP_TRAILING_WHITESPACE)
file(STRINGS ${PREFIX}/share/man/man1/mojing.1 title REGEX "^\\.TH ")
string(REGEX REPLACE "^mojing " "" number "${version}")
if(NOT title MATCHES "mojing ${number}")
    message(FATAL_ERROR "manual page '${title}' does not match '${version}'")
endif()
# The program on the path links no widgets and no browser engine: commands start without them.
if(READELF)
    execute_process(COMMAND ${READELF} --dynamic ${PREFIX}/bin/mojing OUTPUT_VARIABLE dynamic)
    string(REGEX MATCHALL "\\[libQt6[A-Za-z]+" linked "${dynamic}")
    foreach(library ${linked})
        if(NOT library MATCHES "Qt6(Core|Network)$")
            message(FATAL_ERROR "bin/mojing links ${library}]; only the desktop part may")
        endif()
    endforeach()
endif()
# The installed `mojing` finds its desktop part: without a display the part itself answers.
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY --unset=QT_QPA_PLATFORM
                        ${PREFIX}/bin/mojing
    RESULT_VARIABLE result ERROR_VARIABLE message)
if(NOT result EQUAL 3 OR NOT message MATCHES "no display found")
    message(FATAL_ERROR "the installed mojing did not start its desktop part (${result}): ${message}")
endif()
file(REMOVE_RECURSE ${PREFIX})
